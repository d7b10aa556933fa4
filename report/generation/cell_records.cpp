#include "report/generation/cell_records.h"

#include <initializer_list>
#include <typeinfo>

#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/store_instances.h"

namespace {

using Field = CCellRecords::Field;

// One value the writing puts: into attr, of the store type; a reference names an instance of target.
struct Put {
    CzorAttr* attr;
    Field field;
    int type;
    const CzorEntity* target = nullptr;
};

// The slots of an instance of entity after the puts, in their order, as PutAttr takes them: a value of
// another type than the attribute's, an attribute the entity does not have, or a reference outside the
// attribute's domain leaves the slot as it was.
std::vector<Field> Fields(const CzorEntity* entity, std::initializer_list<Put> puts) {
    std::vector<Field> fields(static_cast<size_t>(entity->GetAttrCount()), Field::kNone);
    for (const Put& p : puts) {
        if (!p.attr || p.attr->GetType() != p.type) continue;
        const int k = p.attr->GetIndex();
        if (k < 0 || k >= static_cast<int>(fields.size()) || !entity->IsKindOf(p.attr->GetEntity())) continue;
        if (p.type == zorINSTANCE && !(p.target && p.target->IsKindOf(p.attr->GetDomain()))) continue;
        fields[static_cast<size_t>(k)] = p.field;
    }
    return fields;
}

}  // namespace

CCellRecords::CCellRecords(CFolivox& manager) : m_batch(*manager.GetStore()) {
    const CReportSchema& s = manager.Schema();
    for (const CzorEntity* e : {s.e_zor_report_rect, s.e_zor_report_line, s.e_zor_value, s.e_zor_font, s.e_zor_point})
        if (!e) return;
    // Without these attributes the writing makes no point (CFolivox::PutPoint).
    if (!s.zor_report_sheet_element_org_pt || !s.zor_report_sheet_element_size) return;
    // In the order of CReportElement::WriteCommon, CTextValue::WriteValues, CFolivox::SetFontValue and
    // CFolivox::PutPoint.
    const auto element = [&](CzorEntity* entity) {
        return Record{entity, Fields(entity, {{s.zor_report_sheet_element_text_value, Field::kTextValue, zorINSTANCE,
                                              s.e_zor_value},
                                             {s.zor_report_sheet_element_name, Field::kName, zorSTRING},
                                             {s.zor_report_sheet_element_line_width, Field::kLineWidth, zorINTEGER},
                                             {s.zor_report_sheet_element_fixed, Field::kFixed, zorINTEGER},
                                             {s.zor_report_sheet_element_org_pt, Field::kOrigin, zorINSTANCE,
                                              s.e_zor_point},
                                             {s.zor_report_sheet_element_size, Field::kSize, zorINSTANCE,
                                              s.e_zor_point}})};
    };
    m_rect = element(s.e_zor_report_rect);
    m_line = element(s.e_zor_report_line);
    m_value = Record{s.e_zor_value, Fields(s.e_zor_value, {{s.zor_value_text, Field::kText, zorSTRING},
                                                          {s.zor_value_align, Field::kAlign, zorINTEGER},
                                                          {s.zor_value_border, Field::kBorder, zorINTEGER},
                                                          {s.zor_value_orient, Field::kOrient, zorINTEGER},
                                                          {s.zor_value_type, Field::kType, zorINTEGER},
                                                          {s.zor_value_font, Field::kFont, zorINSTANCE, s.e_zor_font},
                                                          {s.zor_value_fit_text, Field::kFitText, zorINTEGER}})};
    m_font = Record{s.e_zor_font, Fields(s.e_zor_font, {{s.zor_font_char_set, Field::kCharSet, zorINTEGER},
                                                       {s.zor_font_font_name, Field::kFaceName, zorSTRING},
                                                       {s.zor_font_height, Field::kHeight, zorINTEGER},
                                                       {s.zor_font_weight, Field::kWeight, zorINTEGER},
                                                       {s.zor_font_italic, Field::kItalic, zorINTEGER},
                                                       {s.zor_font_strikeout, Field::kStrikeOut, zorINTEGER},
                                                       {s.zor_font_underline, Field::kUnderline, zorINTEGER}})};
    m_point = Record{s.e_zor_point,
                     Fields(s.e_zor_point, {{s.zor_point_x, Field::kX, zorINTEGER}, {s.zor_point_y, Field::kY, zorINTEGER}})};
    m_ready = true;
}

bool CCellRecords::Writes(const CReportElement& cell) {
    if (typeid(cell) != typeid(CReportElement) || (cell.GetKind() != kElemRect && cell.GetKind() != kElemLine))
        return false;
    const CTextValue& text = cell.GetTextValue();
    return !cell.GetInstance() && !IsLive(text.GetInstance()) && !IsLive(text.GetFontInstance()) && !text.GetParam();
}

namespace {

bool SameFont(const LOGFONT& a, const LOGFONT& b) {
    return a.lfHeight == b.lfHeight && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
           a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.FaceName() == b.FaceName();
}

}  // namespace

void CCellRecords::Add(const CReportElement& cell) {
    // The places of the records the writing makes, in the order it makes them.
    const uint32_t element = m_batch.Count();
    ElementKey& e = m_lastElementKey;
    if (e.kind == cell.GetKind() && e.lineWidth == cell.GetLineWidth() && e.fixed == cell.GetFixed() &&
        e.name == cell.GetName()) {
        m_batch.Repeat(m_lastElement, true);
    } else {
        Emit(cell.GetKind() == kElemLine ? m_line : m_rect, cell, element, 0, 0);
        m_batch.CopyLast(m_lastElement);
        e = ElementKey{cell.GetKind(), cell.GetLineWidth(), cell.GetFixed(), cell.GetName()};
    }
    Emit(m_value, cell, element, 0, 0);
    const LOGFONT& font = cell.GetTextValue().GetFont();
    if (m_lastFont.entity && SameFont(font, m_lastFontKey)) {
        m_batch.Repeat(m_lastFont, false);
    } else {
        Emit(m_font, cell, element, 0, 0);
        m_batch.CopyLast(m_lastFont);
        m_lastFontKey = font;
    }
    Emit(m_point, cell, element, cell.GetOrigin().x, cell.GetOrigin().y);
    Emit(m_point, cell, element, cell.GetSize().cx, cell.GetSize().cy);
}

void CCellRecords::Emit(const Record& record, const CReportElement& cell, uint32_t element, int x, int y) {
    const CTextValue& text = cell.GetTextValue();
    const LOGFONT& font = text.GetFont();
    m_batch.Begin(record.entity, m_batch.Count() == element);
    for (const Field field : record.fields) {
        switch (field) {
        case Field::kNone: m_batch.Unset(); break;
        case Field::kName: m_batch.Text(cell.GetName()); break;
        case Field::kLineWidth: m_batch.Int(cell.GetLineWidth()); break;
        case Field::kFixed: m_batch.Int(cell.GetFixed()); break;
        case Field::kTextValue: m_batch.Ref(element + 1); break;
        case Field::kOrigin: m_batch.Ref(element + 3); break;
        case Field::kSize: m_batch.Ref(element + 4); break;
        case Field::kText: m_batch.Text(text.GetOwnText()); break;
        case Field::kAlign: m_batch.Int(text.GetAlign()); break;
        case Field::kBorder: m_batch.Int(text.GetBorder()); break;
        case Field::kOrient: m_batch.Int(text.GetOrientation()); break;
        case Field::kType: m_batch.Int(text.GetType()); break;
        case Field::kFont: m_batch.Ref(element + 2); break;
        case Field::kFitText: m_batch.Int(text.GetFitText()); break;
        case Field::kCharSet: m_batch.Int(font.lfCharSet); break;
        case Field::kFaceName: m_batch.Text(font.FaceName()); break;
        case Field::kHeight: m_batch.Int(font.lfHeight); break;
        case Field::kWeight: m_batch.Int(font.lfWeight); break;
        case Field::kItalic: m_batch.Int(font.lfItalic); break;
        case Field::kStrikeOut: m_batch.Int(font.lfStrikeOut); break;
        case Field::kUnderline: m_batch.Int(font.lfUnderline); break;
        case Field::kX: m_batch.Int(x); break;
        case Field::kY: m_batch.Int(y); break;
        }
    }
    m_batch.End();
}
