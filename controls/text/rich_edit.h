#pragma once
// A rich-text box for small formatted texts: its content or selection read and written as RTF of our
// subset (rtf_document.h), one-call formatting of the selection and its paragraphs, raising and
// lowering by the size table, bullets, and the font and colour dialogs.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QTextEdit>

#include "controls/text/rtf_document.h"
#include "platform/win/gdi_types.h"

namespace zor {

// Stream formats of GetRTF and SetRTF.
inline constexpr unsigned SF_TEXT = 0x1;
inline constexpr unsigned SF_RTF = 0x2;
inline constexpr unsigned SFF_SELECTION = 0x8000;

// The command identifier the parent is told after the font dialog applied a font.
inline constexpr int kRichEditFontChosenId = 1034;

// What a character-format query asks for (mask bits) and the styles it reports (effect bits).
inline constexpr uint32_t CFM_BOLD = 0x00000001;
inline constexpr uint32_t CFM_ITALIC = 0x00000002;
inline constexpr uint32_t CFM_UNDERLINE = 0x00000004;
inline constexpr uint32_t CFM_STRIKEOUT = 0x00000008;
inline constexpr uint32_t CFM_CHARSET = 0x08000000;
inline constexpr uint32_t CFM_OFFSET = 0x10000000;
inline constexpr uint32_t CFM_FACE = 0x20000000;
inline constexpr uint32_t CFM_COLOR = 0x40000000;
inline constexpr uint32_t CFM_SIZE = 0x80000000;
inline constexpr uint32_t CFM_ALL = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_CHARSET | CFM_OFFSET |
                                    CFM_FACE | CFM_COLOR | CFM_SIZE;
inline constexpr uint32_t CFE_BOLD = 0x0001;
inline constexpr uint32_t CFE_ITALIC = 0x0002;
inline constexpr uint32_t CFE_UNDERLINE = 0x0004;
inline constexpr uint32_t CFE_STRIKEOUT = 0x0008;
inline constexpr uint32_t CFE_AUTOCOLOR = 0x40000000;  // the text has the automatic colour

// The character format of a selection. `dwMask` holds the asked-for bits whose value is the same over
// the whole selection; the values are those of the selection's first character. Sizes and offsets in
// twips; the size is the drawn one (raised and lowered text is drawn smaller).
struct RichCharFormat {
    uint32_t dwMask = 0;
    uint32_t dwEffects = 0;  // only the bits asked for
    int yHeight = 0;
    int yOffset = 0;
    COLORREF crTextColor = 0;
    uint8_t bCharSet = 0;
    std::string szFaceName;  // UTF-8
};

// Raised and lowered text is drawn two entries of this table (points) smaller than its nominal size.
inline constexpr int kScriptSizes[] = {4, 5, 6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 32, 36, 54, 72, 144};
// The drawn size of raised or lowered text of `points`: two entries smaller, or unchanged when the
// size is not in the table or has no two smaller entries.
int ScriptDrawnPoints(int points);
// Offsets in twips for text drawn at `points`.
inline int RaiseOffsetTwips(int points) { return points * 40 / 3; }
inline int LowerOffsetTwips(int points) { return points * -20 / 3; }

}  // namespace zor

class CzorRichEditCtrl : public QTextEdit {
    Q_OBJECT
public:
    // The font and colour dialogs, replaceable so tests answer them: true (and the choice) on OK.
    using FontChooser = std::function<bool(QFont& font, QWidget* parent)>;
    using ColorChooser = std::function<bool(QColor& color, QWidget* parent)>;
    // An empty chooser restores Qt's dialog; each returns the previous one.
    static FontChooser SetFontChooser(FontChooser chooser);
    static ColorChooser SetColorChooser(ColorChooser chooser);

    explicit CzorRichEditCtrl(QWidget* parent = nullptr);

    // SF_RTF or SF_TEXT, with SFF_SELECTION for the selection only.
    std::string GetRTF(unsigned format = zor::SF_RTF) const;
    // Replaces the content (or the selection); false, changing nothing, when the text is not RTF.
    // A cut RTF text gives what it held before the cut.
    bool SetRTF(const std::string& text, unsigned format = zor::SF_RTF);

    void SetSelectionBold();
    void SetSelectionItalic();
    void SetSelectionUnderlined();
    void SetSelectionStrikeouted();
    void SetSelectionBold(bool on);
    void SetSelectionItalic(bool on);
    void SetSelectionUnderlined(bool on);
    void SetSelectionStrikeouted(bool on);
    bool SelectionIsBold() const;
    bool SelectionIsItalic() const;
    bool SelectionIsUnderlined() const;
    bool SelectionIsStrikeouted() const;
    // The selection's format for the CFM_ bits of `mask` (the caret's format without a selection).
    zor::RichCharFormat GetCharFormat(uint32_t mask = zor::CFM_ALL) const;

    void SetFontName(const std::string& face);
    void SetFontSize(int points);
    std::string GetSelectionFontName() const;
    // The nominal size: for raised or lowered text, the size before it was made smaller.
    int GetSelectionFontSize() const;
    bool SetSelectionCharSet(uint8_t charset);
    COLORREF SetSelectionTextColor(COLORREF color);

    void SetSuperscribe();
    void SetSubscribe();
    bool SelectionIsSuperscribe() const;
    bool SelectionIsSubscribe() const;
    int SelectionOffsetTwips() const;

    void SetParagraphLeft();
    void SetParagraphCenter();
    void SetParagraphRight();
    bool ParagraphIsLeft() const;
    bool ParagraphIsCentered() const;
    bool ParagraphIsRight() const;
    zor::RtfParagraphFormat GetParagraphFormat() const;
    void SetParagraphBulleted();
    bool ParagraphIsBulleted() const;
    void SetParagraphSpacePara15();
    void SetParagraphSpacePara1() {}
    void SetParagraphSpacePara2() {}

    bool SelectFont();
    void SelectColor();
    // Appends the scalable font families.
    void GetSystemFonts(std::vector<std::string>& faces) const;

signals:
    // The parent's notice that the font dialog applied a font (its command identifier is 1034).
    void fontChosen(int id);

private:
    void Toggle(int property, bool invert, bool on);
    bool AllSelected(int property) const;
    void SetAlign(zor::RtfAlign align);
    void Script(bool raise);
};
