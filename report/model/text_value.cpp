#include "report/model/text_value.h"

#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/mem_record.h"
#include "report/model/report_param.h"
#include "report/model/store_instances.h"

LOGFONT DefaultTextFont() {
    LOGFONT f;
    f.lfHeight = 80;
    f.lfWeight = FW_NORMAL;
    f.lfItalic = 255;
    f.lfCharSet = RUSSIAN_CHARSET;
    f.SetFaceName("Arial");
    return f;
}

CTextValue::CTextValue() : m_Font(DefaultTextFont()) {}

CTextValue& CTextValue::operator=(CTextValue source) {
    m_Font = source.m_Font;
    m_nType = source.m_nType;
    m_nAlign = source.m_nAlign;
    m_nWordWrap = source.m_nWordWrap;
    m_nOrientation = source.m_nOrientation;
    m_nBorder = source.m_nBorder;
    m_nFitText = source.m_nFitText;
    if (source.m_nType == kTextParam)
        SetText(source.m_pParam);
    else
        SetText(source.GetText());
    return *this;
}

std::string CTextValue::GetText() const {
    if (m_nType == kTextOwn) return m_Text;
    if (m_nType == kTextParam && m_pParam) return m_pParam->GetText();
    return {};
}

void CTextValue::SetText(const std::string& text) {
    m_Text = text;
    m_nType = kTextOwn;
    m_pParam = nullptr;
}

void CTextValue::SetText(CReportParam* parameter) {
    m_nType = kTextParam;
    m_pParam = parameter;
}

void CTextValue::CreateInst(CFolivox* manager) {
    if (m_pValueInst || !manager || !manager->GetStore()) return;
    UpdateData(manager);
}

void CTextValue::UpdateData(CFolivox* manager) {
    if (!manager) return;
    CzorStepDataWithFile* store = manager->GetStore();
    if (!store) return;
    const CReportSchema& s = manager->Schema();
    m_pValueInst = LiveOrNewInstance(manager, m_pValueInst, s.e_zor_value);
    m_pFontInst = LiveOrNewInstance(manager, m_pFontInst, s.e_zor_font);
    WriteValues(manager);
}

void CTextValue::WriteValues(CFolivox* manager) {
    CzorStepDataWithFile* store = manager->GetStore();
    const CReportSchema& s = manager->Schema();
    store->PutAttr(m_pValueInst, s.zor_value_text, m_Text);
    store->PutAttr(m_pValueInst, s.zor_value_align, m_nAlign);
    store->PutAttr(m_pValueInst, s.zor_value_border, m_nBorder);
    store->PutAttr(m_pValueInst, s.zor_value_orient, m_nOrientation);
    if (m_nType == kTextParam && m_pParam) {
        // A parameter made since the last save may not have its instance yet: without it the link
        // would be stored as nothing and lost.
        if (!m_pParam->GetInstance() && m_pParam->GetDict() == manager) m_pParam->Update(true);
        store->PutAttr(m_pValueInst, s.zor_value_inst, m_pParam->GetInstance());
    }
    store->PutAttr(m_pValueInst, s.zor_value_type, m_nType);
    store->PutAttr(m_pValueInst, s.zor_value_font, m_pFontInst);
    store->PutAttr(m_pValueInst, s.zor_value_fit_text, m_nFitText);
    manager->SetFontValue(m_pFontInst, m_Font);
}

CTextValue* CTextValue::CreateFromInst(CzorInstance* value, CFolivox* manager) {
    if (!value || !manager || !manager->GetStore()) return nullptr;
    CzorStepDataWithFile* store = manager->GetStore();
    const CReportSchema& s = manager->Schema();
    m_pValueInst = value;
    store->GetAttr(value, s.zor_value_text, m_Text);
    int align = 0;
    store->GetAttr(value, s.zor_value_align, align);
    m_nAlign = align;
    // A value stored without an orientation is horizontal.
    int orient = 0;
    store->GetAttr(value, s.zor_value_orient, orient);
    m_nOrientation = orient;
    store->GetAttr(value, s.zor_value_border, m_nBorder);
    store->GetAttr(value, s.zor_value_type, m_nType);
    store->GetAttr(value, s.zor_value_font, m_pFontInst);
    store->GetAttr(value, s.zor_value_fit_text, m_nFitText);
    // Only a stored font replaces the font held: a value without one keeps drawing.
    if (IsLive(m_pFontInst)) m_Font = manager->GetFontValue(m_pFontInst);
    m_pParam = nullptr;
    if (m_nType == kTextParam) {
        CzorInstance* linked = nullptr;
        if (store->GetAttr(value, s.zor_value_inst, linked) && linked) {
            CParamArray& params = manager->GetParams();
            m_pParam = params.GetAt(params.Find(linked));
        }
    }
    return this;
}

void CTextValue::Delete(CFolivox* manager) {
    if (!m_pValueInst || !manager || !manager->GetStore()) return;
    CzorStepDataWithFile* store = manager->GetStore();
    store->DeleteInstance(m_pValueInst, true, false);
    if (m_pFontInst) store->DeleteInstance(m_pFontInst, true, false);
    m_pValueInst = nullptr;
    m_pFontInst = nullptr;
}

int CTextValue::GetMemSize() const { return 24 + kLogFontRecordSize + RecordStringSize(m_Text); }

void CTextValue::CopyToMem(CRecordWriter& out) const {
    out.PutInt32(m_nType);
    out.PutInt32(m_nAlign);
    out.PutInt32(m_nWordWrap);
    out.PutInt32(m_nOrientation);
    out.PutInt32(m_nFitText);
    out.PutInt32(m_nBorder);
    out.PutLogFont(m_Font);
    out.PutString(m_Text);
}

bool CTextValue::LoadDataFromMem(CRecordReader& in) {
    int32_t type = 0, align = 0, wrap = 0, orient = 0, fit = 0, border = 0;
    LOGFONT font;
    std::string text;
    in.GetInt32(type);
    in.GetInt32(align);
    in.GetInt32(wrap);
    in.GetInt32(orient);
    in.GetInt32(fit);
    in.GetInt32(border);
    in.GetLogFont(font);
    in.GetString(text);
    if (in.Failed()) return false;
    m_nAlign = align;
    m_nWordWrap = wrap;
    m_nOrientation = orient;
    m_nFitText = fit;
    m_nBorder = border;
    m_Font = font;
    // A pasted value is own text: the link of the copied value means nothing where it is pasted.
    SetText(text);
    return true;
}
