// Header columns in the object store: each column is one `zor_col` instance.
#include "platform/zordata/stepdata.h"
#include "report/model/data_source.h"
#include "report/model/schema.h"

void CHeaderColumn::Delete(CzorStepData* store) {
    if (store && m_pInstance) store->DeleteInstance(m_pInstance, true, false);
    m_pInstance = nullptr;
}

void CHeader::Delete(CzorStepData* store) {
    for (CHeaderColumn* c : m_Columns) c->Delete(store);
    RemoveAll();
}

void CHeader::Update(CzorStepData* store, const CReportSchema& schema, bool toStore) {
    if (!store) return;
    for (CHeaderColumn* c : m_Columns) {
        if (toStore) {
            if (!c->m_pInstance) c->m_pInstance = store->CreateInstance(schema.e_zor_col, false, true);
            store->PutAttr(c->m_pInstance, schema.zor_col_type, c->m_nType);
            store->PutAttr(c->m_pInstance, schema.zor_col_name, c->m_Name);
            store->PutAttr(c->m_pInstance, schema.zor_col_col_type, c->m_nColType);
        } else if (c->m_pInstance) {
            // A read that finds no value leaves the field as it was.
            store->GetAttr(c->m_pInstance, schema.zor_col_name, c->m_Name);
            store->GetAttr(c->m_pInstance, schema.zor_col_type, c->m_nType);
            store->GetAttr(c->m_pInstance, schema.zor_col_col_type, c->m_nColType);
        }
    }
}
