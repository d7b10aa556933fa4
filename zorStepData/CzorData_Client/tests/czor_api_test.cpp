// The store-management interface offline: its fifteen managers, each named with what it manages, bound
// to the interface while it lives, and the option words it starts with.
#include <gtest/gtest.h>

#include <set>
#include <typeindex>
#include <typeinfo>

#include "zorStepData/CzorData_Client/czor_api.h"

namespace {

struct ManagerRow {
    const char* manages;
    CzorStepManager* manager;
    std::type_index type;
};

std::vector<ManagerRow> Managers(CzorAPI& api) {
    return {
        {"categories", &api.m_CategoryManager, typeid(CzorCategoryManager)},
        {"documents", &api.m_DocManager, typeid(CzorDocManager)},
        {"products", &api.m_ProductManager, typeid(CzorProductManager)},
        {"product instances", &api.m_PrdInstManager, typeid(CzorPrdInstManager)},
        {"business processes", &api.m_BPManager, typeid(CzorBPManager)},
        {"characteristics", &api.m_CharacteristicManager, typeid(CzorCharacreristicManager)},
        {"unit exchange", &api.m_UnitExchangeManager, typeid(CzorUnitExchangeManager)},
        {"folders", &api.m_FolderManager, typeid(CzorFolderManager)},
        {"messages", &api.m_MessageManager, typeid(CzorMessageManager)},
        {"authorization", &api.m_AutorizationManager, typeid(CzorAutorizationManager)},
        {"changes", &api.m_ChangeManager, typeid(CzorChangeManager)},
        {"queries", &api.m_QueryManager, typeid(CzorQueryManager)},
        {"pre-projects", &api.m_PreProjectManager, typeid(CzorPreProjectManager)},
        {"options", &api.m_OptionsManager, typeid(CzorOptionsManager)},
        {"classifiers", &api.m_ClassifierMgr, typeid(CzorClassifierMgr)},
    };
}

TEST(CzorApi, EveryManagerIsBoundToTheInterfaceItServes) {
    CzorAPI api;
    std::set<std::type_index> types;
    for (const ManagerRow& row : Managers(api)) {
        SCOPED_TRACE(row.manages);
        EXPECT_EQ(std::type_index(typeid(*row.manager)), row.type);
        types.insert(row.type);
        EXPECT_EQ(row.manager->GetAPI(), &api);
        row.manager->Detach();
        EXPECT_EQ(row.manager->GetAPI(), nullptr);
        EXPECT_FALSE(row.manager->Attach(nullptr));
        EXPECT_TRUE(row.manager->Attach(&api));
        EXPECT_EQ(row.manager->GetAPI(), &api);
    }
    EXPECT_EQ(types.size(), 15u);  // fifteen kinds, no manager twice
}

TEST(CzorApi, OptionsManagerDropsItsTextsWhenDetached) {
    CzorAPI api;
    api.m_OptionsManager.GetOptions().Add(new std::string("шаблон"));
    api.m_OptionsManager.GetOptions().Add(new std::string("шаблон"));  // not a unique list
    EXPECT_EQ(api.m_OptionsManager.GetOptions().GetSize(), 2);
    api.m_OptionsManager.Detach();
    EXPECT_EQ(api.m_OptionsManager.GetOptions().GetSize(), 0);
}

TEST(CzorApi, StartsWithItsOptionWords) {
    CzorAPI api;
    EXPECT_EQ(api.m_nOptionWord, 0);
    for (bool flag : api.m_bOptionFlags) EXPECT_TRUE(flag);
    EXPECT_EQ(api.m_nOptionLimit, 200);
    EXPECT_EQ(api.m_nOptionReserved, 0);
    for (int i = 0; i < CShowOpt::kOptionCount; ++i) EXPECT_EQ(api.GetOption(i), 0) << i;
}

}  // namespace
