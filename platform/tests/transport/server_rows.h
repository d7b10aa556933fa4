#pragma once
// The server's database rows of a client store's instances, so a test can fill a database directly
// (far faster than saving through a session) with exactly what a save would have stored; and the save
// buffer a client sends for instances.
#include <vector>

#include <gtest/gtest.h>

#include "platform/appserver/database.h"
#include "platform/zordata/databuf.h"
#include "platform/zordata/stepbuf.h"
#include "platform/zordata/zordata.h"

namespace zor::test {

inline zor::appserver::InstanceRow ServerRowOf(CzorStepData& store, CzorInstance* inst) {
    CzorDataBuf b;
    for (CzorAttr* a : inst->GetEntity()->GetAllAttrs()) {
        CzorValue v;
        store.GetAttr(inst, a, v);
        EXPECT_TRUE(zorAppendBufValue(b, v)) << inst->GetId();
    }
    return {inst->GetId(), inst->GetEntity()->GetName(),
            std::vector<unsigned char>(b.GetBuffer(), b.GetBuffer() + b.GetSize())};
}

inline std::vector<zor::appserver::InstanceRow> ServerRowsOf(CzorStepData& store) {
    std::vector<zor::appserver::InstanceRow> rows;
    for (CzorInstance* inst : store.GetInstances()) rows.push_back(ServerRowOf(store, inst));
    return rows;
}

// A save buffer of `list` as the client sends it (its text in code page 1251, changed values only);
// the store is emptied afterwards, as a client's is once its changes are sent.
inline std::vector<unsigned char> SaveBufferOf(CzorStepData& store, const std::vector<CzorInstance*>& list) {
    zorStepBufWriteOptions o;
    o.text = zorBufText::Cp1251;
    o.values = zorStepBufValues::Changed;
    CzorDataBuf b;
    EXPECT_TRUE(zorWriteStepDataBuf(store, b, list, o));
    store.ClearData();
    return std::vector<unsigned char>(b.GetBuffer(), b.GetBuffer() + b.GetSize());
}

}  // namespace zor::test
