#include "report/model/page_reference_element.h"

#include "platform/text/utf8.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/report_sheet.h"
#include "report/model/store_instances.h"

CPageReferenceElement::CPageReferenceElement(CFolivox* manager) : CReportElement(manager) { m_nKind = kElemPageReference; }

CPageReferenceElement::~CPageReferenceElement() {
    if (m_pManager) m_pManager->ForgetElement(this);
}

void CPageReferenceElement::SetTarget(CReportSheet* sheet) {
    m_pTarget = sheet;
    m_pUnresolved = nullptr;
    if (sheet) SetListed(false);
}

CReportSheet* CPageReferenceElement::FindSheet(CzorInstance* instance) const {
    if (!instance || !m_pManager) return nullptr;
    for (CReportSheet* sheet : m_pManager->GetSheets())
        if (sheet->GetInstance() == instance) return sheet;
    return nullptr;
}

void CPageReferenceElement::SetListed(bool unresolved) {
    if (!m_pManager) return;
    CTypedPtrArray<CReportElement>& list = m_pManager->GetUnresolvedReferences();
    if (!unresolved)
        list.Remove(this);
    else if (list.Find(this) < 0)
        list.Add(this);
}

std::string CPageReferenceElement::TargetText(int reportMode) const {
    // A sheet that has left the manager's pages is no target any more (the pointer may be stale).
    if (!m_pTarget || (m_pManager && m_pManager->FindSheetInd(m_pTarget) < 0)) return m_TextValue.GetText();
    if (reportMode <= 0) return m_pTarget->GetName();
    return zor::TrimLeft(m_pTarget->GetName(), "Лист");
}

int CPageReferenceElement::Draw(CDC* dc, double zoom, int reportMode, unsigned flags) {
    if (m_pTarget) m_TextValue.SetText(TargetText(reportMode));
    return CReportElement::Draw(dc, zoom, reportMode, flags);
}

CReportElement* CPageReferenceElement::CreateClon() {
    auto* clone = new CPageReferenceElement(m_pManager);
    clone->m_pTarget = m_pTarget;
    clone->m_pUnresolved = m_pUnresolved;
    CopyBaseTo(*clone);
    clone->m_TextValue = m_TextValue;
    return clone;
}

void CPageReferenceElement::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    CzorAttr* element = m_pManager->Schema().zor_reference_element_element;
    if (write) {
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, m_pManager->Schema().e_zor_reference_element);
        CReportElement::Update(true);
        CReportSheet* target = m_pTarget && m_pManager->FindSheetInd(m_pTarget) >= 0 ? m_pTarget : nullptr;
        if (target) {
            if (!IsLive(target->GetInstance())) target->Update(true);
            store->PutAttr(m_pInstance, element, target->GetInstance());
        } else if (IsLive(m_pUnresolved)) {
            store->PutAttr(m_pInstance, element, m_pUnresolved);
        } else {
            store->PutAttr(m_pInstance, element, nullptr);
        }
        return;
    }
    if (!m_pInstance) return;
    CzorInstance* stored = nullptr;
    store->GetAttr(m_pInstance, element, stored);
    if (!IsLive(stored)) stored = nullptr;
    m_pTarget = FindSheet(stored);
    m_pUnresolved = m_pTarget ? nullptr : stored;
    CReportElement::Update(false);
    SetListed(m_pTarget == nullptr);
}

int CPageReferenceElement::ResolvePending(CFolivox* manager) {
    if (!manager) return 0;
    int bound = 0;
    const std::vector<CReportElement*> listed(manager->GetUnresolvedReferences().begin(),
                                              manager->GetUnresolvedReferences().end());
    for (CReportElement* e : listed) {
        auto* reference = dynamic_cast<CPageReferenceElement*>(e);
        if (!reference || !IsLive(reference->m_pUnresolved)) continue;
        if (CReportSheet* sheet = reference->FindSheet(reference->m_pUnresolved)) {
            reference->SetTarget(sheet);
            ++bound;
        }
    }
    return bound;
}
