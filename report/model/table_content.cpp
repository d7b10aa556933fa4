#include "report/model/store_instances.h"
#include "report/model/table_content.h"

#include <unordered_set>

#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/report_sheet.h"
#include "report/model/text_value.h"

// --- Font instances ------------------------------------------------------------------------------------

void PutFontInstance(CFolivox* manager, CzorInstance* owner, CzorAttr* attr, const LOGFONT& font) {
    if (!manager || !manager->GetStore() || !owner || !attr) return;
    CzorStepDataWithFile* store = manager->GetStore();
    CzorInstance* instance = nullptr;
    store->GetAttr(owner, attr, instance);
    if (!IsLive(instance) || !store->IsKindOf(instance, manager->Schema().e_zor_font))
        instance = store->CreateInstance(manager->Schema().e_zor_font, false, true);
    manager->SetFontValue(instance, font);
    store->PutAttr(owner, attr, instance);
}

bool GetFontInstance(CFolivox* manager, CzorInstance* owner, CzorAttr* attr, LOGFONT& font) {
    if (!manager || !manager->GetStore() || !owner || !attr) return false;
    CzorStepDataWithFile* store = manager->GetStore();
    CzorInstance* instance = nullptr;
    if (!store->GetAttr(owner, attr, instance) || !IsLive(instance) ||
        !store->IsKindOf(instance, manager->Schema().e_zor_font))
        return false;
    manager->GetFontValue(instance, font);
    return true;
}

void DeleteFontInstance(CFolivox* manager, CzorInstance* owner, CzorAttr* attr) {
    if (!manager || !manager->GetStore() || !owner || !attr) return;
    CzorInstance* instance = nullptr;
    if (manager->GetStore()->GetAttr(owner, attr, instance) && IsLive(instance))
        manager->GetStore()->DeleteInstance(instance, true, false);
}

// --- Nodes ----------------------------------------------------------------------------------------------

CTableContent::CTableContent(CFolivox* manager) : m_pManager(manager) {}

CTableContent::~CTableContent() { DeleteChildren(); }

void CTableContent::DeleteChildren() {
    for (CTableContent* child : m_Children) delete child;
    m_Children.RemoveAll();
}

int CTableContent::FindSheet(const CReportSheet* sheet) const { return m_Sheets.Find(sheet); }

int CTableContent::AddSheet(CReportSheet* sheet) {
    if (!sheet) return -1;
    const int index = m_Sheets.Find(sheet);
    return index >= 0 ? index : m_Sheets.Add(sheet);
}

void CTableContent::ForgetSheet(const CReportSheet* sheet) {
    m_Sheets.Remove(sheet);
    for (CTableContent* child : m_Children) child->ForgetSheet(sheet);
}

void CTableContent::ForgetAllSheets() {
    m_Sheets.RemoveAll();
    for (CTableContent* child : m_Children) child->ForgetAllSheets();
}

int CTableContent::AddChild(CTableContent* child) { return child ? m_Children.Add(child) : -1; }

void CTableContent::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return;
    if (!write) {
        std::unordered_set<const CzorInstance*> seen;
        Read(seen);
        return;
    }
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, s.e_zor_table_content);
    store->PutAttr(m_pInstance, s.zor_table_content_title, m_Title);
    CzorTAggr<CzorInstance> childs;
    WriteEach(m_Children, childs);
    store->PutAttr(m_pInstance, s.zor_table_content_childs, childs);
    CzorTAggr<CzorInstance> sheets;
    for (CReportSheet* sheet : m_Sheets) {
        // A sheet that left the report is not listed: its pointer may no longer be a sheet at all.
        if (m_pManager->FindSheetInd(sheet) < 0) continue;
        if (!IsLive(sheet->GetInstance())) sheet->Update(true);
        if (sheet->GetInstance()) sheets.Add(sheet->GetInstance());
    }
    store->PutAttr(m_pInstance, s.zor_table_content_sheets, sheets);
}

void CTableContent::Read(std::unordered_set<const CzorInstance*>& seen) {
    if (!m_pInstance) return;
    seen.insert(m_pInstance);
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    store->GetAttr(m_pInstance, s.zor_table_content_title, m_Title);
    m_Sheets.RemoveAll();
    DeleteChildren();
    CzorTAggr<CzorInstance> childs;
    store->GetAttr(m_pInstance, s.zor_table_content_childs, childs);
    for (CzorInstance* instance : childs) {
        if (!instance || seen.count(instance)) continue;
        auto* child = new CTableContent(m_pManager);
        child->SetInstance(instance);
        child->Read(seen);
        m_Children.Add(child);
    }
    CzorTAggr<CzorInstance> sheets;
    store->GetAttr(m_pInstance, s.zor_table_content_sheets, sheets);
    for (CzorInstance* instance : sheets)
        for (CReportSheet* sheet : m_pManager->GetSheets())
            if (instance && sheet->GetInstance() == instance) AddSheet(sheet);
}

// --- Title levels ---------------------------------------------------------------------------------------

CTableContentTitleLevel::CTableContentTitleLevel(CFolivox* manager) : m_Font(DefaultTextFont()), m_pManager(manager) {
    m_Font.lfHeight = 120;
}

void CTableContentTitleLevel::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    if (write) {
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, s.e_zor_table_content_title_level);
        store->PutAttr(m_pInstance, s.zor_table_content_title_level_para_delta, m_dIndent);
        PutFontInstance(m_pManager, m_pInstance, s.zor_table_content_title_level_font, m_Font);
    } else if (m_pInstance) {
        store->GetAttr(m_pInstance, s.zor_table_content_title_level_para_delta, m_dIndent);
        GetFontInstance(m_pManager, m_pInstance, s.zor_table_content_title_level_font, m_Font);
    }
}

// --- Title ----------------------------------------------------------------------------------------------

CTableContentTitle::CTableContentTitle(CFolivox* manager) : m_pManager(manager) {}

CTableContentTitle::~CTableContentTitle() {
    for (CTableContentTitleLevel* level : m_Levels) delete level;
    m_Levels.RemoveAll();
}

CTableContentTitleLevel* CTableContentTitle::AddLevel() {
    auto* level = new CTableContentTitleLevel(m_pManager);
    m_Levels.Add(level);
    return level;
}

void CTableContentTitle::DelLevel(int index) {
    CTableContentTitleLevel* level = m_Levels.GetAt(index);
    if (!level) return;
    m_Levels.RemoveAt(index);
    delete level;
}

void CTableContentTitle::DelLevel(CTableContentTitleLevel* level) { DelLevel(m_Levels.Find(level)); }

void CTableContentTitle::Delete() {
    if (!m_pManager || !m_pManager->GetStore()) return;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    for (CTableContentTitleLevel* level : m_Levels) {
        CzorInstance* instance = level->GetInstance();
        if (!IsLive(instance)) continue;
        DeleteFontInstance(m_pManager, instance, s.zor_table_content_title_level_font);
        store->DeleteInstance(instance, true, false);
        level->SetInstance(nullptr);
    }
    DeleteStoreInstance(m_pManager, m_pInstance);
    m_pInstance = nullptr;
}

void CTableContentTitle::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    if (write) {
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, s.e_zor_table_content_title);
        CzorTAggr<CzorInstance> levels;
        WriteEach(m_Levels, levels);
        store->PutAttr(m_pInstance, s.zor_table_content_title_levels, levels);
    } else if (m_pInstance) {
        CzorTAggr<CzorInstance> levels;
        store->GetAttr(m_pInstance, s.zor_table_content_title_levels, levels);
        for (CzorInstance* instance : levels) {
            if (!instance) continue;
            CTableContentTitleLevel* level = AddLevel();
            level->SetInstance(instance);
            level->Update(false);
        }
    }
}
