#include "controls/text/rich_edit.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

#include <QColorDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QTextBlock>
#include <QTextList>

#include "controls/text/rich_text_rtf.h"

namespace zor {

int ScriptDrawnPoints(int points) {
    const auto* begin = std::begin(kScriptSizes);
    const auto* it = std::find(begin, std::end(kScriptSizes), points);
    return it == std::end(kScriptSizes) || it - begin < 2 ? points : *(it - 2);
}

}  // namespace zor

namespace {

using namespace zor;

// The nominal size of text drawn at `points` two entries smaller; unchanged when there is no such entry.
int NominalOfDrawn(int points) {
    const auto* begin = std::begin(kScriptSizes);
    const auto* it = std::find(begin, std::end(kScriptSizes), points);
    return it == std::end(kScriptSizes) || std::end(kScriptSizes) - it <= 2 ? points : *(it + 2);
}

// The character formats of the selection, or the format at the caret when nothing is selected.
std::vector<QTextCharFormat> SelectedFormats(const QTextCursor& c) {
    std::vector<QTextCharFormat> out;
    if (!c.hasSelection()) {
        out.push_back(c.charFormat());
        return out;
    }
    const int from = c.selectionStart(), to = c.selectionEnd();
    for (QTextBlock b = c.document()->findBlock(from); b.isValid() && b.position() < to; b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() < to && f.position() + f.length() > from)
                out.push_back(f.charFormat());
        }
    if (out.empty())
        out.push_back(c.charFormat());
    return out;
}

bool HasStyle(const QTextCharFormat& f, int property) {
    switch (property) {
    case QTextFormat::FontWeight: return f.fontWeight() >= QFont::Bold;
    case QTextFormat::FontItalic: return f.fontItalic();
    case QTextFormat::FontUnderline: return f.fontUnderline();
    default: return f.fontStrikeOut();
    }
}

QTextCharFormat StyleFormat(int property, bool on) {
    QTextCharFormat f;
    switch (property) {
    case QTextFormat::FontWeight: f.setFontWeight(on ? QFont::Bold : QFont::Normal); break;
    case QTextFormat::FontItalic: f.setFontItalic(on); break;
    case QTextFormat::FontUnderline: f.setFontUnderline(on); break;
    default: f.setFontStrikeOut(on); break;
    }
    return f;
}

CzorRichEditCtrl::FontChooser& FontChooserSlot() {
    static CzorRichEditCtrl::FontChooser chooser;
    return chooser;
}

CzorRichEditCtrl::ColorChooser& ColorChooserSlot() {
    static CzorRichEditCtrl::ColorChooser chooser;
    return chooser;
}

double PointsOf(const QTextCharFormat& f, const QFont& documentFont) {
    return f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : documentFont.pointSizeF();
}

}  // namespace

CzorRichEditCtrl::FontChooser CzorRichEditCtrl::SetFontChooser(FontChooser chooser) {
    return std::exchange(FontChooserSlot(), std::move(chooser));
}

CzorRichEditCtrl::ColorChooser CzorRichEditCtrl::SetColorChooser(ColorChooser chooser) {
    return std::exchange(ColorChooserSlot(), std::move(chooser));
}

CzorRichEditCtrl::CzorRichEditCtrl(QWidget* parent) : QTextEdit(parent) {
    document()->setDefaultFont(QFont("Arial", 10));
    setAcceptRichText(false);
    // Enter and Tab are the text's own keys.
    setTabChangesFocus(false);
}

std::string CzorRichEditCtrl::GetRTF(unsigned format) const {
    const QTextCursor c = textCursor();
    const bool selection = (format & SFF_SELECTION) != 0;
    const int from = selection ? c.selectionStart() : 0;
    const int to = selection ? c.selectionEnd() : document()->characterCount() - 1;
    if (format & SF_TEXT) {
        QTextCursor range(document());
        range.setPosition(from);
        range.setPosition(to, QTextCursor::KeepAnchor);
        return range.selectedText().replace(QChar::ParagraphSeparator, '\n').toStdString();
    }
    return WriteRtf(ExportRtf(*document(), from, to));
}

bool CzorRichEditCtrl::SetRTF(const std::string& text, unsigned format) {
    RtfDocument doc;
    if (format & SF_TEXT) {
        RtfParagraph p;
        p.runs.push_back({ToRtf(textCursor().charFormat(), document()->defaultFont()), text});
        doc.paragraphs.push_back(p);
    } else {
        RtfReadResult r = ReadRtf(text);
        if (!text.empty() && r.error.rfind("the text is not RTF", 0) == 0)
            return false;
        doc = std::move(r.doc);
    }
    QTextCursor c = textCursor();
    c.beginEditBlock();
    if (format & SFF_SELECTION) {
        c.removeSelectedText();
    } else {
        clear();
        c = QTextCursor(document());
    }
    InsertRtf(c, doc);
    c.endEditBlock();
    setTextCursor(c);
    return true;
}

bool CzorRichEditCtrl::AllSelected(int property) const {
    const auto formats = SelectedFormats(textCursor());
    return std::all_of(formats.begin(), formats.end(), [&](const QTextCharFormat& f) { return HasStyle(f, property); });
}

void CzorRichEditCtrl::Toggle(int property, bool invert, bool on) {
    const auto formats = SelectedFormats(textCursor());
    const bool first = HasStyle(formats.front(), property);
    const bool consistent = std::all_of(formats.begin(), formats.end(),
                                        [&](const QTextCharFormat& f) { return HasStyle(f, property) == first; });
    if (!invert && consistent && first == on)
        return;
    const bool value = invert ? (consistent ? !first : true) : on;
    QTextCursor c = textCursor();
    if (c.hasSelection())
        c.mergeCharFormat(StyleFormat(property, value));
    else
        mergeCurrentCharFormat(StyleFormat(property, value));
}

void CzorRichEditCtrl::SetSelectionBold() { Toggle(QTextFormat::FontWeight, true, false); }
void CzorRichEditCtrl::SetSelectionItalic() { Toggle(QTextFormat::FontItalic, true, false); }
void CzorRichEditCtrl::SetSelectionUnderlined() { Toggle(QTextFormat::FontUnderline, true, false); }
void CzorRichEditCtrl::SetSelectionStrikeouted() { Toggle(QTextFormat::FontStrikeOut, true, false); }
void CzorRichEditCtrl::SetSelectionBold(bool on) { Toggle(QTextFormat::FontWeight, false, on); }
void CzorRichEditCtrl::SetSelectionItalic(bool on) { Toggle(QTextFormat::FontItalic, false, on); }
void CzorRichEditCtrl::SetSelectionUnderlined(bool on) { Toggle(QTextFormat::FontUnderline, false, on); }
void CzorRichEditCtrl::SetSelectionStrikeouted(bool on) { Toggle(QTextFormat::FontStrikeOut, false, on); }
bool CzorRichEditCtrl::SelectionIsBold() const { return AllSelected(QTextFormat::FontWeight); }
bool CzorRichEditCtrl::SelectionIsItalic() const { return AllSelected(QTextFormat::FontItalic); }
bool CzorRichEditCtrl::SelectionIsUnderlined() const { return AllSelected(QTextFormat::FontUnderline); }
bool CzorRichEditCtrl::SelectionIsStrikeouted() const { return AllSelected(QTextFormat::FontStrikeOut); }

RichCharFormat CzorRichEditCtrl::GetCharFormat(uint32_t mask) const {
    std::vector<RtfCharFormat> formats;
    for (const QTextCharFormat& f : SelectedFormats(textCursor())) formats.push_back(ToRtf(f, document()->defaultFont()));
    const RtfCharFormat& first = formats.front();
    // A bit stays in the mask while every character agrees with the first on it.
    auto same = [&](auto field) {
        return std::all_of(formats.begin(), formats.end(), [&](const RtfCharFormat& f) { return field(f) == field(first); });
    };
    struct Field {
        uint32_t bit;
        bool consistent;
    };
    const Field fields[] = {
        {CFM_BOLD, same([](const RtfCharFormat& f) { return f.bold; })},
        {CFM_ITALIC, same([](const RtfCharFormat& f) { return f.italic; })},
        {CFM_UNDERLINE, same([](const RtfCharFormat& f) { return f.underline; })},
        {CFM_STRIKEOUT, same([](const RtfCharFormat& f) { return f.strike; })},
        {CFM_CHARSET, same([](const RtfCharFormat& f) { return f.charset; })},
        {CFM_OFFSET, same([](const RtfCharFormat& f) { return f.offsetTwips; })},
        {CFM_FACE, same([](const RtfCharFormat& f) { return f.face; })},
        {CFM_COLOR, same([](const RtfCharFormat& f) { return f.color; })},
        {CFM_SIZE, same([](const RtfCharFormat& f) { return f.sizeTwips; })},
    };
    RichCharFormat out;
    for (const Field& field : fields)
        if ((mask & field.bit) && field.consistent) out.dwMask |= field.bit;
    const uint32_t effects = (first.bold ? CFE_BOLD : 0) | (first.italic ? CFE_ITALIC : 0) |
                             (first.underline ? CFE_UNDERLINE : 0) | (first.strike ? CFE_STRIKEOUT : 0) |
                             (first.color ? 0 : CFE_AUTOCOLOR);
    out.dwEffects = effects & (mask & (CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR));
    if (mask & CFM_SIZE) out.yHeight = first.sizeTwips;
    if (mask & CFM_OFFSET) out.yOffset = first.offsetTwips;
    if (mask & CFM_COLOR) out.crTextColor = first.color.value_or(0);
    if (mask & CFM_CHARSET) out.bCharSet = static_cast<uint8_t>(first.charset);
    if (mask & CFM_FACE) out.szFaceName = first.face;
    return out;
}

void CzorRichEditCtrl::SetFontName(const std::string& face) {
    QTextCharFormat f;
    f.setFontFamilies(QStringList{QString::fromStdString(face)});
    mergeCurrentCharFormat(f);
}

void CzorRichEditCtrl::SetFontSize(int points) {
    // Raised or lowered text keeps its offset rule but is drawn at the size asked for.
    const int offset = SelectionOffsetTwips();
    QTextCharFormat f;
    f.setFontPointSize(points);
    if (offset != 0) {
        f.setProperty(kPropNominalTwips, points * 20);
        SetOffset(f, offset > 0 ? RaiseOffsetTwips(points) : LowerOffsetTwips(points), points * 20);
    }
    mergeCurrentCharFormat(f);
}

std::string CzorRichEditCtrl::GetSelectionFontName() const {
    return ToRtf(textCursor().charFormat(), document()->defaultFont()).face;
}

int CzorRichEditCtrl::GetSelectionFontSize() const {
    const QTextCharFormat f = SelectedFormats(textCursor()).front();
    const int drawn = static_cast<int>(std::lround(PointsOf(f, document()->defaultFont())));
    if (f.intProperty(kPropOffsetTwips) == 0)
        return drawn;
    const int nominal = f.intProperty(kPropNominalTwips);
    return nominal > 0 ? nominal / 20 : NominalOfDrawn(drawn);
}

bool CzorRichEditCtrl::SetSelectionCharSet(uint8_t charset) {
    QTextCharFormat f;
    f.setProperty(kPropCharset, static_cast<int>(charset));
    mergeCurrentCharFormat(f);
    return true;
}

COLORREF CzorRichEditCtrl::SetSelectionTextColor(COLORREF color) {
    const QColor old = SelectedFormats(textCursor()).front().foreground().color();
    QTextCharFormat f;
    f.setForeground(QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
    mergeCurrentCharFormat(f);
    return RGB(static_cast<uint8_t>(old.red()), static_cast<uint8_t>(old.green()), static_cast<uint8_t>(old.blue()));
}

int CzorRichEditCtrl::SelectionOffsetTwips() const {
    return SelectedFormats(textCursor()).front().intProperty(kPropOffsetTwips);
}
bool CzorRichEditCtrl::SelectionIsSuperscribe() const { return SelectionOffsetTwips() > 0; }
bool CzorRichEditCtrl::SelectionIsSubscribe() const { return SelectionOffsetTwips() < 0; }

void CzorRichEditCtrl::Script(bool raise) {
    const int offset = SelectionOffsetTwips();
    const int nominal = GetSelectionFontSize();
    QTextCharFormat f;
    if (raise ? offset > 0 : offset < 0) {
        f.setFontPointSize(nominal);
        f.setProperty(kPropNominalTwips, 0);
        SetOffset(f, 0, nominal * 20);
    } else {
        const int drawn = ScriptDrawnPoints(nominal);
        f.setFontPointSize(drawn);
        f.setProperty(kPropNominalTwips, nominal * 20);
        SetOffset(f, raise ? RaiseOffsetTwips(drawn) : LowerOffsetTwips(drawn), drawn * 20);
    }
    mergeCurrentCharFormat(f);
    setFocus();
}

void CzorRichEditCtrl::SetSuperscribe() { Script(true); }
void CzorRichEditCtrl::SetSubscribe() { Script(false); }

void CzorRichEditCtrl::SetAlign(RtfAlign align) {
    QTextBlockFormat f;
    f.setAlignment(align == RtfAlign::Center ? Qt::AlignHCenter : align == RtfAlign::Right ? Qt::AlignRight : Qt::AlignLeft);
    textCursor().mergeBlockFormat(f);
}

void CzorRichEditCtrl::SetParagraphLeft() { SetAlign(RtfAlign::Left); }
void CzorRichEditCtrl::SetParagraphCenter() { SetAlign(RtfAlign::Center); }
void CzorRichEditCtrl::SetParagraphRight() { SetAlign(RtfAlign::Right); }
bool CzorRichEditCtrl::ParagraphIsLeft() const { return GetParagraphFormat().align == RtfAlign::Left; }
bool CzorRichEditCtrl::ParagraphIsCentered() const { return GetParagraphFormat().align == RtfAlign::Center; }
bool CzorRichEditCtrl::ParagraphIsRight() const { return GetParagraphFormat().align == RtfAlign::Right; }

RtfParagraphFormat CzorRichEditCtrl::GetParagraphFormat() const {
    const int pos = textCursor().position();
    return ExportRtf(*document(), pos, pos).paragraphs.front().format;
}

bool CzorRichEditCtrl::ParagraphIsBulleted() const { return textCursor().block().textList() != nullptr; }

void CzorRichEditCtrl::SetParagraphBulleted() {
    const bool on = !ParagraphIsBulleted();
    QTextCursor c = textCursor();
    const int from = c.selectionStart(), to = c.selectionEnd();
    c.beginEditBlock();
    for (QTextBlock b = document()->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        QTextCursor bc(b);
        QTextBlockFormat f;
        if (on) {
            if (b.blockFormat().intProperty(kPropHangingOffset) == 0)
                f.setProperty(kPropHangingOffset, 4);
        } else {
            f.setProperty(kPropStartIndent, 0);
            f.setProperty(kPropHangingOffset, 0);
        }
        bc.mergeBlockFormat(f);
        SetBullet(bc, on);
    }
    c.endEditBlock();
}

void CzorRichEditCtrl::SetParagraphSpacePara15() {
    QTextBlockFormat f;
    f.setLineHeight(100, QTextBlockFormat::ProportionalHeight);
    textCursor().mergeBlockFormat(f);
}

bool CzorRichEditCtrl::SelectFont() {
    const QTextCharFormat current = SelectedFormats(textCursor()).front();
    QFont start = current.font();
    start.setPointSize(GetSelectionFontSize());
    QFont chosen = start;
    bool ok = false;
    if (FontChooserSlot())
        ok = FontChooserSlot()(chosen, this);
    else
        chosen = QFontDialog::getFont(&ok, start, this);
    if (!ok)
        return false;
    SetFontName(chosen.family().toStdString());
    SetFontSize(std::clamp(chosen.pointSize(), 6, 144));
    SetSelectionBold(chosen.bold());
    SetSelectionItalic(chosen.italic());
    SetSelectionStrikeouted(chosen.strikeOut());
    SetSelectionUnderlined(chosen.underline());
    emit fontChosen(kRichEditFontChosenId);
    setFocus();
    return true;
}

void CzorRichEditCtrl::SelectColor() {
    QColor c = SelectedFormats(textCursor()).front().foreground().color();
    const bool ok = ColorChooserSlot() ? ColorChooserSlot()(c, this) : (c = QColorDialog::getColor(c, this)).isValid();
    if (ok && c.isValid())
        SetSelectionTextColor(RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue())));
}

void CzorRichEditCtrl::GetSystemFonts(std::vector<std::string>& faces) const {
    for (const QString& family : QFontDatabase::families())
        if (QFontDatabase::isScalable(family))
            faces.push_back(family.toStdString());
}
