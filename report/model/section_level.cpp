// Section levels and level lists: store binding and flat records.
#include "report/model/section_level.h"

#include <memory>
#include <vector>

#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/mem_record.h"
#include "report/model/section_store.h"

CSectionLevel& CSectionLevel::operator=(const CSectionLevel& other) {
    if (this == &other) return *this;
    m_pManager = other.m_pManager;
    m_pInstance = other.m_pInstance;
    m_Name = other.m_Name;
    m_Columns = other.m_Columns;
    m_nHeight = other.m_nHeight;
    m_nFlag = other.m_nFlag;
    return *this;
}

bool CSectionLevel::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return false;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    if (write) {
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, s.e_zor_level);
        store->PutAttr(m_pInstance, s.zor_level_name, m_Name);
        m_Columns.Update(m_pManager, true);
        CzorTAggr<CzorInstance> cols;
        m_Columns.GetExtent(cols);
        store->PutAttr(m_pInstance, s.zor_level_cols, cols);
        store->PutAttr(m_pInstance, s.zor_level_flag, m_nFlag);
        store->PutAttr(m_pInstance, s.zor_level_height, m_nHeight);
        return true;
    }
    if (!m_pInstance) return false;
    CzorTAggr<CzorInstance> cols;
    store->GetAttr(m_pInstance, s.zor_level_name, m_Name);
    store->GetAttr(m_pInstance, s.zor_level_cols, cols);
    DropRepeats(cols);
    store->GetAttr(m_pInstance, s.zor_level_flag, m_nFlag);
    store->GetAttr(m_pInstance, s.zor_level_height, m_nHeight);
    m_Columns.RemoveAll();
    for (CzorInstance* instance : cols) {
        if (!instance) continue;
        auto* column = new CColumn;
        column->m_pInstance = instance;
        column->Update(m_pManager, false);
        m_Columns.Add(column);
    }
    return true;
}

void CSectionLevel::Delete() {
    DeleteStoreInstance(m_pManager, m_pInstance);
    m_pInstance = nullptr;
    m_Columns.Delete(m_pManager);
}

void CSectionLevel::ForgetInstances() {
    m_pInstance = nullptr;
    m_Columns.ForgetInstances();
}

int CSectionLevel::GetMemSize() const { return 12 + RecordStringSize(m_Name) + m_Columns.GetMemSize(); }

void CSectionLevel::CopyToMem(CRecordWriter& out) const {
    out.PutInt32(m_nHeight);
    out.PutInt32(m_nFlag);
    out.PutString(m_Name);
    out.PutInt32(m_Columns.GetSize());
    m_Columns.CopyToMem(out);
}

bool CSectionLevel::LoadDataFromMem(CRecordReader& in) {
    int32_t height = 0, flag = 0, count = 0;
    std::string name;
    in.GetInt32(height);
    in.GetInt32(flag);
    in.GetString(name);
    // Each column record takes at least its fixed part: a count the bytes left cannot hold is refused
    // before anything is made.
    if (!in.GetCount(count, kColumnRecordMinSize)) return false;
    std::vector<std::unique_ptr<CColumn>> columns;
    columns.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        columns.push_back(std::make_unique<CColumn>());
        if (!columns.back()->LoadDataFromMem(in)) return false;
    }
    m_nHeight = height;
    m_nFlag = flag;
    m_Name = std::move(name);
    m_Columns.RemoveAll();
    for (auto& column : columns) m_Columns.Add(column.release());
    return true;
}

// --- CSectionLevelArray --------------------------------------------------------------------------------------

CSectionLevelArray& CSectionLevelArray::operator=(const CSectionLevelArray& other) {
    if (this == &other) return *this;
    RemoveAll();
    CFolivox* manager = other.GetSize() ? other.GetAt(0)->m_pManager : nullptr;
    for (const CSectionLevel* level : other) {
        auto* copy = new CSectionLevel(manager);
        *copy = *level;
        copy->m_pManager = manager;
        m_Items.Add(copy);
    }
    return *this;
}

int CSectionLevelArray::Find(const std::string& text) const {
    for (int i = 0; i < GetSize(); ++i)
        if (m_Items.GetAt(i)->m_Name == text) return i;
    return -1;
}

bool CSectionLevelArray::Locate(const CColumn* column, int& level, int& index) const {
    if (!column) return false;
    for (int l = 0; l < GetSize(); ++l) {
        const int c = m_Items.GetAt(l)->m_Columns.Find(column);
        if (c >= 0) {
            level = l;
            index = c;
            return true;
        }
    }
    return false;
}

CColumn* CSectionLevelArray::GetColumn(int level, int index) const {
    const CSectionLevel* l = GetAt(level);
    return l ? l->m_Columns.GetAt(index) : nullptr;
}

CColumn* CSectionLevelArray::GetTitleColumn(CzorInstance* instance) const {
    if (!instance) return nullptr;
    for (const CSectionLevel* level : m_Items) {
        const int c = level->m_Columns.Find(instance);
        if (c >= 0) return level->m_Columns.GetAt(c);
    }
    return nullptr;
}

void CSectionLevelArray::Update(bool write) {
    for (CSectionLevel* level : m_Items) level->Update(write);
}

void CSectionLevelArray::AddFromInstances(CFolivox* manager, const CzorTAggr<CzorInstance>& stored) {
    CzorTAggr<CzorInstance> list(stored);
    DropRepeats(list);
    for (CzorInstance* instance : list) {
        if (!instance) continue;
        auto* level = new CSectionLevel(manager);
        level->m_pInstance = instance;
        level->Update(false);
        Add(level);
    }
}

void CSectionLevelArray::GetExtent(CzorTAggr<CzorInstance>& list) const {
    list.RemoveAll();
    for (const CSectionLevel* level : m_Items) AddUniqueInstance(list, level->m_pInstance);
}

void CSectionLevelArray::Delete() {
    for (CSectionLevel* level : m_Items) level->Delete();
    RemoveAll();
}

void CSectionLevelArray::ForgetInstances() {
    for (CSectionLevel* level : m_Items) level->ForgetInstances();
}

int CSectionLevelArray::GetMemSize() const {
    int size = 0;
    for (const CSectionLevel* level : m_Items) size += level->GetMemSize();
    return size;
}

void CSectionLevelArray::CopyToMem(CRecordWriter& out) const {
    for (const CSectionLevel* level : m_Items) level->CopyToMem(out);
}

bool CSectionLevelArray::LoadDataFromMem(CRecordReader& in) {
    for (CSectionLevel* level : m_Items)
        if (!level->LoadDataFromMem(in)) return false;
    return true;
}
