#pragma once
// What the rich edit holds, as plain data, and its RTF form: the writer gives everything the control
// can hold, the reader takes that subset back and passes over what it does not know.
//
// Written RTF: {\rtf1\ansi\ansicpg1251\deff0{\fonttbl{\f0\fcharsetN Face;}...}{\colortbl ;\redR\greenG\blueB;...}
// then per paragraph \pard with \ql \qc \qr, a bullet as {\*\pn\pnlvlblt{\pntxtb\'B7}}, \li and \fi (the
// hanging offset, negated), its runs as groups {\fN\fsN\b\i\ul\strike\cfN\upN\dnN text}, and \par
// between paragraphs. Text: \\ \{ \} escaped, \tab, \line, code page 1251 characters as \'hh bytes and
// every other character as \uN? (UTF-16 units). Sizes and offsets are kept in twips and written in
// half-points (\fs, \up, \dn), so an offset is rounded to 10 twips on its first trip.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/gdi_types.h"

namespace zor {

inline constexpr int kRtfCharsetCyrillic = 204;

struct RtfCharFormat {
    std::string face = "Arial";  // UTF-8
    int charset = kRtfCharsetCyrillic;
    int sizeTwips = 200;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    std::optional<COLORREF> color;  // none: the automatic colour
    int offsetTwips = 0;            // above 0 raised, below 0 lowered
    bool operator==(const RtfCharFormat&) const = default;
};

struct RtfRun {
    RtfCharFormat format;
    std::string text;  // UTF-8; "\t" a tab, U+2028 a line break inside the paragraph
    bool operator==(const RtfRun&) const = default;
};

enum class RtfAlign { Left = 1, Right = 2, Center = 3 };

struct RtfParagraphFormat {
    RtfAlign align = RtfAlign::Left;
    bool bullet = false;
    int startIndentTwips = 0;
    int offsetTwips = 0;  // hanging offset of the lines after the first
    bool operator==(const RtfParagraphFormat&) const = default;
};

struct RtfParagraph {
    RtfParagraphFormat format;
    std::vector<RtfRun> runs;
    bool operator==(const RtfParagraph&) const = default;
};

// Never without a paragraph when read; an empty document is one paragraph without runs.
struct RtfDocument {
    std::vector<RtfParagraph> paragraphs;
    bool operator==(const RtfDocument&) const = default;
};

std::string WriteRtf(const RtfDocument& doc);

struct RtfReadResult {
    RtfDocument doc;  // what was read, also when `error` is set
    std::string error;  // empty when the whole text was understood as RTF
};
// Never fails hard: text that is not RTF gives an empty document and an error; a cut or over-deep
// text keeps what came before the fault.
RtfReadResult ReadRtf(std::string_view rtf);

// The most nested groups a text may open.
inline constexpr int kRtfMaxDepth = 256;

}  // namespace zor
