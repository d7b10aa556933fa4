#include "report/model/value_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "datasource_fixture.h"

namespace {

CzorValue Value(auto v) {
    CzorValue value;
    value.Set(v);
    return value;
}

TEST(ValueText, TextFormOfEachType) {
    CzorValue empty;
    CzorInstance* someInstance = reinterpret_cast<CzorInstance*>(&empty);  // never dereferenced
    struct Case { CzorValue value; const char* text; };
    const Case cases[] = {
        {Value(2.5), "2.5"},
        {Value(3.0), "3"},
        {Value(-0.25), "-0.25"},
        {Value(100.0), "100"},     // only zeros after the point go
        {Value(0.0), "0"},
        {Value(1e-7), "0"},        // "%f" keeps six decimals
        {Value(1234567.125), "1234567.125"},
        {Value(0.1 + 0.2), "0.3"},
        {Value(std::numeric_limits<double>::infinity()), ""},  // no number: never "inf" or "nan" in a report
        {Value(-std::numeric_limits<double>::infinity()), ""},
        {Value(std::numeric_limits<double>::quiet_NaN()), ""},
        {Value(42), "42"},
        {Value(-7), "-7"},
        {Value(std::numeric_limits<int>::min()), "-2147483648"},
        {Value("Иванов"), "Иванов"},
        {Value("2.500"), "2.500"},  // a string is never reformatted
        {Value(""), ""},
        {Value(someInstance), ""},
        {Value(true), ""},
        {Value('x'), ""},
        {CzorValue(), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(GetAsString(&c.value), c.text) << c.text;
    EXPECT_EQ(GetAsString(nullptr), "");
    CzorValue bytes;
    bytes.SetBinary("abc", 3);
    EXPECT_EQ(GetAsString(&bytes), "");
}

TEST(ValueText, SameUnderCommaDecimalLocale) {
    dstest::ScopedLocale locale("ru_RU.UTF-8");
    ASSERT_TRUE(locale.ok()) << "ru_RU.UTF-8 is missing: tools/setup.sh generates it";
    const CzorValue half = Value(2.5);
    EXPECT_EQ(GetAsString(&half), "2.5");
}

class AttrPath : public ::testing::Test {
protected:
    dstest::PartsStore parts;
    CzorStepData& store = parts.store;
};

TEST_F(AttrPath, FollowsReferencesAndFormatsTheLastAttribute) {
    CzorInstance* steel = parts.Material("Сталь 45", 7.85, 3);
    CzorInstance* bolt = parts.Part("bolt", "Болт М6", steel);
    store.PutAttrBN(bolt, "count", 12);
    store.PutAttrBN(bolt, "weight", 3.0);
    store.PutAttrBN(bolt, "thread", "M6");
    store.PutAttrBN(bolt, "done", true);
    CzorInstance* loose = parts.Part("part", "Шайба", nullptr);

    struct Case { CzorInstance* from; const char* path; const char* text; };
    const Case cases[] = {
        {bolt, "name", "Болт М6"},
        {bolt, "count", "12"},
        {bolt, "weight", "3.000000"},  // trailing zeros stay, unlike GetAsString
        {bolt, "thread", "M6"},         // an attribute of the subtype
        {bolt, "material.name", "Сталь 45"},
        {bolt, "material.density", "7.850000"},
        {bolt, "material.grade", "3"},
        {bolt, "..name", "Болт М6"},    // leading points are dropped
        {bolt, ".material..name", "Сталь 45"},
        {bolt, "done", ""},             // a boolean has no text
        {bolt, "material", ""},         // nor a reference
        {bolt, "no_such", ""},
        {bolt, "no_such.name", ""},
        {bolt, "", ""},
        {loose, "count", "0"},          // a missing number reads as its zero
        {loose, "weight", "0.000000"},
        {loose, "name", "Шайба"},
        {loose, "material.name", ""},   // a reference holding no instance
        {loose, "material.grade", ""},
        {loose, "thread", ""},          // not an attribute of a plain part
    };
    for (const Case& c : cases) EXPECT_EQ(GetAttrEx(c.from, c.path, &store), c.text) << c.path;
}

TEST_F(AttrPath, NothingWithoutStoreInstanceOrEntity) {
    CzorInstance* part = parts.Part("part", "Гайка", nullptr);
    EXPECT_EQ(GetAttrEx(part, "name", nullptr), "");
    EXPECT_EQ(GetAttrEx(nullptr, "name", &store), "");
    EXPECT_EQ(GetAttrEx(part, nullptr, &store), "");
    CzorInstance* gone = parts.Part("part", "x", nullptr);
    ASSERT_TRUE(store.DeleteInstance(gone));
    EXPECT_EQ(GetAttrEx(gone, "name", &store), "");  // a deleted instance has no entity
}

TEST_F(AttrPath, ReferenceToDeletedInstanceEndsTheChain) {
    CzorInstance* brass = parts.Material("Латунь", 8.5, 1);
    CzorInstance* part = parts.Part("part", "Втулка", brass);
    ASSERT_EQ(GetAttrEx(part, "material.name", &store), "Латунь");
    ASSERT_TRUE(store.DeleteInstance(brass));
    EXPECT_EQ(GetAttrEx(part, "material.name", &store), "");
}

}  // namespace
