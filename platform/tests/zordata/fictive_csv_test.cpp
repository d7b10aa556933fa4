// The store object that borrows another store's data, and the separated-values file object.
#include <gtest/gtest.h>

#include "platform/tests/zordata/store_fixture.h"

namespace {

using StoreObjects = StoreTest;

TEST_F(StoreObjects, StartsEmptyWithTheDefaultsOfAStore) {
    const CzorFictiveStepData fictive;
    EXPECT_EQ(fictive.GetEntities().GetSize(), 0);
    EXPECT_EQ(fictive.GetAttrs().GetSize(), 0);
    EXPECT_EQ(fictive.GetInstances().GetSize(), 0);
    EXPECT_FALSE(fictive.GetEntities().IsOwning());
    EXPECT_FALSE(fictive.GetAttrs().IsOwning());
    EXPECT_FALSE(fictive.GetInstances().IsOwning());
    EXPECT_TRUE(fictive.GetInstances().IsUnique());
    EXPECT_TRUE(fictive.GetInstances().IsOpen());
    EXPECT_FALSE(fictive.IsReadOnly());
    EXPECT_EQ(fictive.GetLastError(), 0);
    EXPECT_STREQ(fictive.GetLastErrorDescription(), "");
    EXPECT_TRUE(fictive.GetErrorPrintMode());
    EXPECT_FALSE(fictive.GetErrorMessageMode());
    EXPECT_FALSE(fictive.GetWarningPrintMode());
    EXPECT_FALSE(fictive.GetWarningMessageMode());
    EXPECT_EQ(fictive.GetEntityBN("zor_point"), nullptr);
}

// Copies share the store's items and free none of them: the store and every copy outlive each other
// (the sanitizer build checks that nothing is freed twice).
TEST_F(StoreObjects, BorrowsTheStoresItemsAndCopiesEveryField) {
    CzorInstance* p = Point(1, 2);
    CzorInstance* q = Point(3, 4);
    auto fictive = std::make_unique<CzorFictiveStepData>(store);
    EXPECT_EQ(fictive->GetDictName(), "quillmark");
    EXPECT_EQ(fictive->GetEntities().GetSize(), store.GetEntities().GetSize());
    EXPECT_EQ(fictive->GetAttrs().GetSize(), store.GetAttrs().GetSize());
    ASSERT_EQ(fictive->GetInstances().GetSize(), 2);
    EXPECT_EQ(fictive->GetInstances().GetAt(0), p);
    EXPECT_EQ(fictive->GetInstances().GetAt(1), q);
    EXPECT_EQ(fictive->GetEntityBN("ZOR_POINT"), E("zor_point"));
    EXPECT_FALSE(fictive->GetInstances().IsOwning());

    fictive->SetErorPrintMode(false);
    fictive->SetWarningMessageMode(true);
    CzorFictiveStepData copy(*fictive);
    CzorFictiveStepData assigned;
    assigned = *fictive;
    for (const CzorFictiveStepData* f : {&copy, &assigned}) {
        EXPECT_EQ(f->GetDictName(), "quillmark");
        EXPECT_EQ(f->GetEntityBN("zor_point"), E("zor_point"));
        ASSERT_EQ(f->GetInstances().GetSize(), 2);
        EXPECT_EQ(f->GetInstances().GetAt(1), q);
        EXPECT_FALSE(f->GetErrorPrintMode());
        EXPECT_TRUE(f->GetWarningMessageMode());
        EXPECT_FALSE(f->GetInstances().IsOwning());
    }
    fictive.reset();
    int x = 0;
    EXPECT_TRUE(store.GetAttrBN(q, "x", x));
    EXPECT_EQ(x, 3);
    EXPECT_EQ(Extent("zor_point"), (std::vector<CzorInstance*>{p, q}));
}

TEST_F(StoreObjects, CsvHasASeparatorAndClosesItsFile) {
    EXPECT_EQ(CzorCSV().GetSeparator(), ',');
    EXPECT_EQ(CzorCSV(';').GetSeparator(), ';');
    const std::string path = Path("data.csv");
    {
        CzorCSV csv;
        EXPECT_FALSE(csv.GetFile().IsOpen());
        ASSERT_TRUE(csv.GetFile().Open(path, true));
        EXPECT_TRUE(csv.GetFile().IsOpen());
        std::fputs("\"A\",\"B\"\n", csv.GetFile().GetHandle());
    }  // closed, and so written, by the destructor
    EXPECT_EQ(zor::test::Slurp(path), "\"A\",\"B\"\n");
    CzorCSV csv;
    ASSERT_TRUE(csv.GetFile().Open(path, false));
    char line[16] = {};
    ASSERT_NE(std::fgets(line, sizeof line, csv.GetFile().GetHandle()), nullptr);
    EXPECT_STREQ(line, "\"A\",\"B\"\n");
    EXPECT_TRUE(csv.GetFile().Close());
    EXPECT_FALSE(csv.GetFile().IsOpen());
    EXPECT_FALSE(csv.GetFile().Open(Path("missing/x.csv"), false));
}

}  // namespace
