#include "report/model/table_content_element.h"

#include "platform/gdi/dc.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/store_instances.h"

CTableContentElement::CTableContentElement(CFolivox* manager)
    : CReportElement(manager), m_pContentTitle(std::make_unique<CTableContentTitle>(manager)), m_TitleFont(DefaultTextFont()) {
    m_nKind = kElemTableContent;
    m_TitleFont.lfHeight = 160;
}

CTableContentElement::~CTableContentElement() = default;

void CTableContentElement::CopyToMem(CRecordWriter& out) {
    m_nKind = kElemRect;
    CReportElement::CopyToMem(out);
    m_nKind = kElemTableContent;
}

int CTableContentElement::Draw(CDC* dc, double zoom, int reportMode, unsigned flags) {
    CReportElement::Draw(dc, zoom, reportMode, flags);
    if (dc && zoom != 0 && reportMode == 0) {
        CRect r;
        GetRect(r, zoom, dc->IsPrinting() ? 1 : 0);
        CGdiObject* oldFont = dc->SelectStockObject(ANSI_VAR_FONT);
        ReportDrawText(dc, r, "Содержание", kAlignDefault, zoom);
        if (oldFont) dc->SelectObject(oldFont);
    }
    return 1;
}

void CTableContentElement::Delete() {
    if (!m_pInstance || !m_pManager || !m_pManager->GetStore()) return;
    DeleteFontInstance(m_pManager, m_pInstance, m_pManager->Schema().zor_table_content_element_font);
    // The heading levels hang from this element only: they go with it.
    m_pContentTitle->Delete();
    CReportElement::Delete();
}

CReportElement* CTableContentElement::CreateClon() {
    auto* clone = new CTableContentElement(m_pManager);
    CopyBaseTo(*clone);
    clone->m_TextValue = m_TextValue;
    for (int i = 0; i < m_pContentTitle->GetLevelCount(); ++i) {
        const CTableContentTitleLevel* level = m_pContentTitle->GetLevel(i);
        CTableContentTitleLevel* copy = clone->m_pContentTitle->AddLevel();
        copy->SetIndent(level->GetIndent());
        copy->SetFont(level->GetFont());
    }
    clone->m_Title = m_Title;
    clone->m_TitleFont = m_TitleFont;
    clone->m_dWidth = m_dWidth;
    return clone;
}

void CTableContentElement::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    if (write) {
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, s.e_zor_table_content_element);
        m_pContentTitle->Update(true);
        store->PutAttr(m_pInstance, s.zor_table_content_element_table_content_title, m_pContentTitle->GetInstance());
        store->PutAttr(m_pInstance, s.zor_table_content_element_width, m_dWidth);
        store->PutAttr(m_pInstance, s.zor_table_content_element_title, m_Title);
        PutFontInstance(m_pManager, m_pInstance, s.zor_table_content_element_font, m_TitleFont);
        CReportElement::Update(true);
        return;
    }
    if (!m_pInstance) return;
    CReportElement::Update(false);
    auto title = std::make_unique<CTableContentTitle>(m_pManager);
    CzorInstance* titleInstance = nullptr;
    store->GetAttr(m_pInstance, s.zor_table_content_element_table_content_title, titleInstance);
    if (IsLive(titleInstance) && store->IsKindOf(titleInstance, s.e_zor_table_content_title)) {
        title->SetInstance(titleInstance);
        title->Update(false);
    }
    m_pContentTitle = std::move(title);
    store->GetAttr(m_pInstance, s.zor_table_content_element_width, m_dWidth);
    store->GetAttr(m_pInstance, s.zor_table_content_element_title, m_Title);
    GetFontInstance(m_pManager, m_pInstance, s.zor_table_content_element_font, m_TitleFont);
}
