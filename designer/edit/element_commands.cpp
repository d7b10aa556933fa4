#include "designer/edit/element_commands.h"

#include <algorithm>
#include <vector>

#include <QFont>
#include <QFontDialog>

#include "platform/ui/messages.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"

namespace quillmark {

namespace {

constexpr const char* kCannotAlignToLine = "Нельзя выравнивать по линии.";
constexpr int kBoldWeight = 700;
constexpr int kNormalWeight = 400;
constexpr uint8_t kFlagSet = 0xFF;
constexpr int kHorizontalBits = kAlignLeft | kAlignHCenter | kAlignRight;

// The selection as it stands now: a command that changes elements never changes the selection itself.
std::vector<CReportElement*> Selected(const CReportSheet* sheet) {
    if (!sheet) return {};
    const auto& list = sheet->GetSelection();
    return std::vector<CReportElement*>(list.begin(), list.end());
}

}  // namespace

CReportElement* CElementCommands::First() const {
    if (!m_ctx.sheet || m_ctx.sheet->GetSelection().GetSize() == 0) return nullptr;
    return m_ctx.sheet->GetSelection().GetAt(0);
}

CReportElement* CElementCommands::FirstTextRect() const {
    for (CReportElement* e : Selected(m_ctx.sheet))
        if (e && e->GetKind() == kElemRect) return e;
    return nullptr;
}

void CElementCommands::Changed() const {
    if (m_ctx.changed) m_ctx.changed();
}

bool CElementCommands::CanEditSelection() const {
    return First() != nullptr && m_ctx.HasRight(kRightEdit, false);
}

bool CElementCommands::StartFormat() const {
    if (!m_ctx.sheet || !m_ctx.HasRight(kRightEdit, true)) return false;
    return First() != nullptr;
}

// --- Alignment ----------------------------------------------------------------------------------------------

bool CElementCommands::CanAlignElements() const {
    return m_ctx.sheet && m_ctx.sheet->GetSelection().GetSize() >= 2 && m_ctx.mode == 0 &&
           m_ctx.HasRight(kRightEdit, false);
}

void CElementCommands::AlignElements(AlignCommand command) {
    if (!CanAlignElements()) return;
    const std::vector<CReportElement*> selection = Selected(m_ctx.sheet);
    CReportElement* reference = selection.front();
    if (!reference) return;
    if (reference->IsLine()) {
        AfxMessageBox(kCannotAlignToLine);
        return;
    }
    const CPoint ro = reference->GetOrigin();
    const CSize rs = reference->GetSize();
    for (size_t i = 1; i < selection.size(); ++i) {
        CReportElement* e = selection[i];
        if (!e || e->IsLine()) continue;
        CPoint o = e->GetOrigin();
        CSize s = e->GetSize();
        switch (command) {
            case AlignCommand::Left: o.x = ro.x; break;
            case AlignCommand::Right: o.x = ro.x + rs.cx - s.cx; break;
            case AlignCommand::Bottom: o.y = ro.y; break;
            case AlignCommand::Top: o.y = ro.y + rs.cy - s.cy; break;
            case AlignCommand::Width: s.cx = rs.cx; break;
            case AlignCommand::Height: s.cy = rs.cy; break;
            case AlignCommand::WidthAndHeight: s = rs; break;
        }
        e->SetOrigin(o);
        e->SetSize(s);
    }
    Changed();
}

void CElementCommands::RoundToMillimetres() {
    if (!CanEditSelection()) return;
    for (CReportElement* e : Selected(m_ctx.sheet))
        if (e) e->Align();
    Changed();
}

// --- Text format --------------------------------------------------------------------------------------------

template <typename Change>
void CElementCommands::ForEachTextRect(Change change) {
    for (CReportElement* e : Selected(m_ctx.sheet))
        if (e && e->GetKind() == kElemRect) change(e->GetTextValue());
    Changed();
}

void CElementCommands::ToggleBold() {
    if (!StartFormat()) return;
    const int weight = First()->GetTextValue().GetFont().lfWeight == kBoldWeight ? kNormalWeight : kBoldWeight;
    ForEachTextRect([&](CTextValue& t) {
        LOGFONT f = t.GetFont();
        f.lfWeight = weight;
        t.SetFont(f);
    });
}

void CElementCommands::ToggleItalic() {
    if (!StartFormat()) return;
    const uint8_t italic = First()->GetTextValue().GetFont().lfItalic ? 0 : kFlagSet;
    ForEachTextRect([&](CTextValue& t) {
        LOGFONT f = t.GetFont();
        f.lfItalic = italic;
        t.SetFont(f);
    });
}

void CElementCommands::ToggleUnderline() {
    if (!StartFormat()) return;
    const uint8_t underline = First()->GetTextValue().GetFont().lfUnderline ? 0 : kFlagSet;
    ForEachTextRect([&](CTextValue& t) {
        LOGFONT f = t.GetFont();
        f.lfUnderline = underline;
        t.SetFont(f);
    });
}

void CElementCommands::SetTextAlign(int horizontal) {
    if (!StartFormat()) return;
    ForEachTextRect([&](CTextValue& t) { t.SetAlign((t.GetAlign() & ~kHorizontalBits) | horizontal); });
}

void CElementCommands::SetOrientation(int orientation) {
    if (!StartFormat()) return;
    ForEachTextRect([&](CTextValue& t) { t.SetOrientation(orientation); });
}

bool CElementCommands::IsBold() const {
    const CReportElement* e = FirstTextRect();
    return e && e->GetTextValue().GetFont().lfWeight == kBoldWeight;
}

bool CElementCommands::IsItalic() const {
    const CReportElement* e = FirstTextRect();
    return e && e->GetTextValue().GetFont().lfItalic;
}

bool CElementCommands::IsUnderline() const {
    const CReportElement* e = FirstTextRect();
    return e && e->GetTextValue().GetFont().lfUnderline;
}

bool CElementCommands::HasTextAlign(int horizontal) const {
    const CReportElement* e = FirstTextRect();
    return e && (e->GetTextValue().GetAlign() & horizontal);
}

bool CElementCommands::HasOrientation(int orientation) const {
    const CReportElement* e = FirstTextRect();
    return e && e->GetTextValue().GetOrientation() == orientation;
}

// --- Font ---------------------------------------------------------------------------------------------------

QFont FontFromLogFont(const LOGFONT& font) {
    QFont f(QString::fromUtf8(font.FaceName().data(), static_cast<int>(font.FaceName().size())));
    // Tenths of a point, whole points in the dialog (the tenths are dropped, as the height / 10 says).
    f.setPointSize(std::max(1, font.lfHeight / 10));
    f.setWeight(static_cast<QFont::Weight>(std::clamp(font.lfWeight > 0 ? font.lfWeight : kNormalWeight, 1, 1000)));
    f.setItalic(font.lfItalic != 0);
    f.setUnderline(font.lfUnderline != 0);
    f.setStrikeOut(font.lfStrikeOut != 0);
    return f;
}

LOGFONT LogFontFromChosen(LOGFONT font, const QFont& chosen) {
    font.SetFaceName(chosen.family().toStdString());
    const double points = chosen.pointSizeF() > 0 ? chosen.pointSizeF() : chosen.pointSize();
    font.lfHeight = static_cast<int32_t>(points * 10 + 0.5);
    font.lfWeight = chosen.weight();
    font.lfItalic = chosen.italic() ? kFlagSet : 0;
    font.lfUnderline = chosen.underline() ? kFlagSet : 0;
    font.lfStrikeOut = chosen.strikeOut() ? kFlagSet : 0;
    return font;
}

QFont CElementCommands::DialogFont() const {
    const CReportElement* e = First();
    return e ? FontFromLogFont(e->GetTextValue().GetFont()) : QFont();
}

void CElementCommands::ApplyFont(const QFont& chosen) {
    const CReportElement* first = First();
    if (!first) return;
    const LOGFONT font = LogFontFromChosen(first->GetTextValue().GetFont(), chosen);
    ForEachTextRect([&](CTextValue& t) { t.SetFont(font); });
}

void CElementCommands::ChooseFont(QWidget* parent) {
    if (!StartFormat()) return;
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, DialogFont(), parent);
    if (ok) ApplyFont(chosen);
}

// --- Text ---------------------------------------------------------------------------------------------------

void CElementCommands::EditText(const TextDialog& dialog) {
    if (!dialog || !StartFormat()) return;
    std::string text = First()->GetTextValue().GetText();
    if (!dialog("Текст", text, 2)) return;
    ForEachTextRect([&](CTextValue& t) { t.SetText(text); });
}

// --- Fixed flag, select all -------------------------------------------------------------------------------

void CElementCommands::ToggleFixed() {
    if (!m_ctx.sheet || !m_ctx.HasRight(kRightEdit, true) || !First()) return;
    const int fixed = First()->GetFixed() <= 0 ? 1 : 0;
    for (CReportElement* e : Selected(m_ctx.sheet))
        if (e) e->SetFixed(fixed);
    Changed();
}

bool CElementCommands::IsFixed() const {
    const CReportElement* e = First();
    return e && e->GetFixed() > 0;
}

void CElementCommands::SelectAll() {
    if (!m_ctx.sheet) return;
    m_ctx.sheet->UnselectAll();
    for (int i = 0; i < m_ctx.sheet->GetElementCount(); ++i) m_ctx.sheet->Select(m_ctx.sheet->GetElement(i), 1);
    if (m_ctx.redraw) m_ctx.redraw();
}

}  // namespace quillmark
