#pragma once
// The hyperlink's rules apart from the label: its styles and colours, the defaults of its target
// and text, fitting it to its text, opening the target (with the fallback through the desktop's
// handler for HTML) and the texts of its error box.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win/gdi_types.h"
#include "platform/win/geometry.h"

// Colours of all hyperlinks, in the order link, active, visited, hover.
struct tagHYPERLINKCOLORS {
    COLORREF crLink;
    COLORREF crActive;
    COLORREF crVisited;
    COLORREF crHover;
};
using HYPERLINKCOLORS = tagHYPERLINKCOLORS;

namespace zor {

enum HyperLinkStyle : uint32_t {
    StyleUnderline = 1,
    StyleUseHover = 2,
    StyleAutoSize = 4,
    StyleDownClick = 8,
    StyleGetFocusOnClick = 16,
    StyleNoHandCursor = 32,
    StyleNoActiveColor = 64,
};
constexpr uint32_t kDefaultLinkStyle = StyleUnderline | StyleAutoSize | StyleGetFocusOnClick;  // 21

// Hover colour while over with StyleUseHover; else the visited or link colour when inactive or
// with StyleNoActiveColor; else the active colour.
COLORREF LinkTextColor(uint32_t style, bool over, bool active, bool visited, const HYPERLINKCOLORS& colors);

// Style = (style without `remove`) with `add`; false, changing nothing, when the sets overlap.
bool ModifyLinkStyle(uint32_t& style, uint32_t remove, uint32_t add);

// A link without a target uses its text, one without text shows its target.
void DefaultUrlAndText(std::string& url, std::string& text);

// How a label fits its text: vertically centred labels shrink evenly, others keep their top;
// centred text shrinks evenly, right-aligned keeps its right edge, left-aligned its left.
enum class FitAlign { Left, Centre, Right };
CRect FitToText(const CRect& rect, const CSize& text, FitAlign horizontal, bool verticalCentre);

// A launcher's command line cut at its first file or URL placeholder ("%u", "%U", "%f", "%F"
// or "%1"): one between double quotes is cut with its quotes and takes precedence; else the first
// bare one. Everything after the cut goes; a line without a placeholder stays whole.
std::string CutCommandLine(const std::string& command);

// A command line as a launcher's "Exec" line writes it, split into the program and its arguments:
// blanks separate words, double quotes keep blanks inside one word.
std::vector<std::string> SplitCommandLine(const std::string& command);

// What opening a link needs from the desktop; tests replace each part.
struct LinkLauncher {
    std::function<bool(const std::string& url)> open;                 // the desktop's opener
    std::function<std::optional<std::string>()> htmlHandlerCommand;  // the HTML handler's command line
    // Starts the program argv[0] with the rest as its arguments, each handed over as it is (no shell).
    std::function<bool(const std::vector<std::string>& argv)> start;
};
// The desktop's own: its opener, its default handler of "text/html", a detached process.
LinkLauncher DesktopLinkLauncher();

// Greater than 32 on success. Otherwise the opener's failure (31: no handler) or, when the
// fallback's program cannot be started, 2. The fallback gives the HTML handler the target as one
// argument of its own, whatever blanks, quotes or shell characters it holds.
int GotoUrl(const std::string& url, const LinkLauncher& launcher);

// "Can't open link:\n\n" and the text for the code.
std::string LinkErrorText(int code);

}  // namespace zor
