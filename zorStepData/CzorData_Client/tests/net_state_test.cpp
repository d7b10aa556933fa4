// The state the networked store hands to its collaborators, where a slip leaves a stale pointer: the
// index of loaded instances by id, and the placeholder agents that nested pattern uses share.
#include <gtest/gtest.h>

#include "zorStepData/CzorData_Client/net_id_index.h"
#include "zorStepData/CzorData_Client/net_rights_state.h"
#include "zorStepData/CzorData_Client/tests/access_store.h"

// Only a live instance under the id it has now: an instance added after the last look-up, one
// renumbered or deleted since it was indexed.
TEST(NetIdIndex, FindsOnlyWhatIsLiveUnderItsIdNow) {
    access_test::AccessStore store;
    ASSERT_TRUE(store.LoadAccessDictionary());
    const CzorTAggr<CzorInstance>& all = store.GetInstances();
    CzorNetIdIndex index;
    CzorInstance* deleted = store.Make("zor_point", 10);
    CzorInstance* renumbered = store.Make("zor_point", 11);
    CzorInstance* kept = store.Make("zor_point", 13);
    ASSERT_EQ(index.Find(10, all), deleted);
    ASSERT_EQ(index.Find(11, all), renumbered);
    CzorInstance* later = store.Make("zor_point", 12);
    renumbered->SetId(21);
    ASSERT_TRUE(store.DeleteInstance(deleted));
    struct Case {
        const char* what;
        int id;
        CzorInstance* want;
    } const cases[] = {
        {"indexed and unchanged", 13, kept},
        {"added after the last look-up", 12, later},
        {"renumbered, by its new id", 21, renumbered},
        {"renumbered, by its old id", 11, nullptr},
        {"deleted", 10, nullptr},
        {"never given", 99, nullptr},
        {"zero", 0, nullptr},
        {"negative", -1, nullptr},
    };
    for (const Case& c : cases) EXPECT_EQ(index.Find(c.id, all), c.want) << c.what;
    // Emptied with the store, the index answers from what the store holds afterwards.
    store.ClearData();
    index.Clear();
    EXPECT_EQ(index.Find(13, store.GetInstances()), nullptr);
}

// The placeholders go with the last of nested uses, never while one still holds them, and an end
// without a use frees nothing twice.
TEST(NetRightsState, PlaceholdersGoWithTheLastUse) {
    CzorNetRightsState rights;
    EXPECT_FALSE(rights.EndUse());
    ASSERT_TRUE(rights.PlaceholdersFree());
    rights.AddUse();
    rights.AddUse();
    EXPECT_FALSE(rights.PlaceholdersFree());
    EXPECT_FALSE(rights.EndUse());
    EXPECT_TRUE(rights.EndUse());
    EXPECT_TRUE(rights.PlaceholdersFree());
    EXPECT_FALSE(rights.EndUse());
}
