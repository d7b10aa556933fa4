#pragma once
// A store holding the query-test schema with a few instances, and a look-up that counts what a
// parse asks it (instances by id come from a map, as a networked store would fetch them).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/text/cp1251.h"
#include "platform/zordata/query_parser.h"
#include "platform/zordata/zordata.h"

namespace zor::test {

class FakeLookup : public CzorQLLookup {
public:
    explicit FakeLookup(CzorStepData& store) : m_store(store) {}
    CzorEntity* FindEntity(const std::string& name) override { return m_store.GetEntityBN(name); }
    CzorAttr* FindAttr(CzorEntity* e, const std::string& name) override { return m_store.GetAttrDefinition(e, name); }
    CzorInstance* FindInstance(int id) override {
        ++instanceLookups;
        auto it = instances.find(id);
        return it == instances.end() ? nullptr : it->second;
    }
    std::map<int, CzorInstance*> instances;
    int instanceLookups = 0;

private:
    CzorStepData& m_store;
};

class QueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        store.SetErorPrintMode(false);
        ASSERT_TRUE(store.LoadDictionaryFromFile(QM_SOURCE_DIR "/platform/tests/data/query.dict"))
            << store.GetLastErrorDescription();
        Make(4001, "person");
        Make(4002, "employee");
        Make(4003, "place");
    }
    CzorInstance* Make(int id, const char* entity) {
        CzorInstance* inst = store.CreateInstanceBN(entity);
        inst->SetId(id);
        lookup.instances[id] = inst;
        return inst;
    }
    // Parses UTF-8 text (converted to the code page the parser reads).
    bool Parse(const std::string& utf8) {
        std::string cp;
        EXPECT_TRUE(zor::Utf8ToCp1251(utf8, cp)) << utf8;
        return parser.ParseSelectStatement(cp);
    }

    CzorStepData store;
    FakeLookup lookup{store};
    CzorQLQueryParser parser{&store, &lookup};
};

}  // namespace zor::test
