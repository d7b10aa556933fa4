// Row order: the comparison of values (natural order for texts) and the multi-key stable sort.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "datasource_fixture.h"

namespace {

using dstest::Column;
using dstest::Texts;

CzorValue Text(const std::string& s) {
    CzorValue v;
    v.Set(s);
    return v;
}

int CompareTexts(const std::string& a, const std::string& b) {
    const CzorValue x = Text(a), y = Text(b);
    return CDataSource::Compare(&x, &y);
}

TEST(Compare, NaturalOrderOfTexts) {
    const std::string digits25 = "1000000000000000000000000", nines24 = "999999999999999999999999";
    struct Case { std::string a, b; int want; };
    const Case cases[] = {
        {"Лист2", "Лист10", -1},
        {"Лист10", "Лист2", 1},
        {"Лист1", "Лист2", -1},
        {"Лист10", "Лист10", 0},
        {"A01", "A1", -1},   // equal numbers: the plain order decides
        {"A1", "A01", 1},
        {"A1", "A1b", -1},
        {"ab10", "a10", 1},  // digits at different places: plain order
        {"a2b10", "a2b9", 1},
        {"a2b", "a2", 1},
        {"10", "9", 1},
        {"", "a", -1},
        {"", "", 0},
        {"a", "", 1},
        {"", "1", -1},
        {"Z", "a", -1},          // capitals before small letters
        {"Ёлка", "Арбуз", -1},   // Ё before А
        {"abc", "abd", -1},
        {"x" + digits25, "x" + nines24, 1},  // longer than any machine integer
        {"x" + nines24, "x" + digits25, -1},
        {"4294967296", "1", 1},  // would wrap to 0 in 32 bits
        {"2147483648", "2147483647", 1},
        {"12345678901234567890123", "12345678901234567890124", -1},
        {"x00000000000000000000000000001", "x1", -1},
        {"x00000000000000000000000000002", "x1", 1},
        {"p0", "p00", -1},  // a prefix first
    };
    for (const Case& c : cases) EXPECT_EQ(CompareTexts(c.a, c.b), c.want) << c.a << " vs " << c.b;
}

TEST(Compare, NumbersByValueOtherTypesEqual) {
    auto value = [](auto v) {
        CzorValue x;
        x.Set(v);
        return x;
    };
    const CzorValue i3 = value(3), i10 = value(10), r25 = value(2.5), rm1 = value(-1.0), s3 = value("3");
    const CzorValue empty, yes = value(true), no = value(false);
    EXPECT_EQ(CDataSource::Compare(&i3, &i10), -1);
    EXPECT_EQ(CDataSource::Compare(&i10, &i3), 1);
    EXPECT_EQ(CDataSource::Compare(&i3, &i3), 0);
    EXPECT_EQ(CDataSource::Compare(&rm1, &r25), -1);
    EXPECT_EQ(CDataSource::Compare(&r25, &r25), 0);
    EXPECT_EQ(CDataSource::Compare(&i3, &s3), 0);  // different types
    EXPECT_EQ(CDataSource::Compare(&i3, &r25), 0);
    EXPECT_EQ(CDataSource::Compare(&empty, &empty), 0);
    EXPECT_EQ(CDataSource::Compare(&yes, &no), 0);
    EXPECT_EQ(CDataSource::Compare(&i3, nullptr), 0);
    EXPECT_EQ(CDataSource::Compare(nullptr, nullptr), 0);
}

class Sorting : public ::testing::Test {
protected:
    CDataSource ds;
};

TEST_F(Sorting, ByOneColumnByNameAndByObject) {
    dstest::Fill(ds, {"Лист", "N"}, {{"Лист10", "a"}, {"Лист2", "b"}, {"Лист1", "c"}});
    ds.Sort("Лист");
    EXPECT_EQ(Column(ds, 0), (Texts{"Лист1", "Лист2", "Лист10"}));
    ds.Sort("нет");  // not a column: nothing moves
    EXPECT_EQ(Column(ds, 0), (Texts{"Лист1", "Лист2", "Лист10"}));
    ds.Sort(ds.GetHeader()->GetColumn(1));
    EXPECT_EQ(Column(ds, 1), (Texts{"a", "b", "c"}));
    const CHeaderColumn stranger(kPlainColumn, "Лист", zorSTRING);  // same name, other object
    ds.Sort(&stranger);
    EXPECT_EQ(Column(ds, 1), (Texts{"a", "b", "c"}));
}

TEST_F(Sorting, SeveralKeysInPriority) {
    dstest::Fill(ds, {"Имя", "Ряд", "Группа"},
                 {{"б", "1", "Лист10"}, {"а", "2", "Лист2"}, {"в", "3", "Лист10"}, {"а", "4", "Лист10"}, {"б", "5", "Лист2"}});
    const CColumnIndexArray keys{2, 0};
    ds.Sort(&keys, nullptr);
    EXPECT_EQ(Column(ds, 2), (Texts{"Лист2", "Лист2", "Лист10", "Лист10", "Лист10"}));
    EXPECT_EQ(Column(ds, 0), (Texts{"а", "б", "а", "б", "в"}));
    EXPECT_EQ(Column(ds, 1), (Texts{"2", "5", "4", "1", "3"}));
}

TEST_F(Sorting, EqualKeysKeepTheirOrder) {
    dstest::Fill(ds, {"K", "Ряд"}, {{"b", "1"}, {"a", "2"}, {"b", "3"}, {"a", "4"}, {"a", "5"}, {"b", "6"}});
    ds.Sort("K");
    EXPECT_EQ(Column(ds, 1), (Texts{"2", "4", "5", "1", "3", "6"}));
}

TEST_F(Sorting, GivenRowArrayAndNothingToDo) {
    dstest::Fill(ds, {"K"}, {{"3"}, {"1"}, {"2"}});
    CTableRowArray rows = ds.GetRows();
    ds.Sort(0, &rows);
    EXPECT_EQ(rows[0]->GetAsString(0), "1");
    EXPECT_EQ(rows[2]->GetAsString(0), "3");
    EXPECT_EQ(Column(ds, 0), (Texts{"3", "1", "2"}));  // the own rows stay as they were

    const CColumnIndexArray none, negative{-1}, beyond{5};
    ds.Sort(&none, nullptr);
    ds.Sort(static_cast<const CColumnIndexArray*>(nullptr), nullptr);
    ds.Sort(&negative, nullptr);
    ds.Sort(&beyond, nullptr);  // rows without that cell compare equal
    ds.Sort(-1, &ds.GetRows());
    ds.Sort(0, nullptr);
    EXPECT_EQ(Column(ds, 0), (Texts{"3", "1", "2"}));
    CTableRowArray one{ds.GetRow(0)};
    ds.Sort(0, &one);
    EXPECT_EQ(one.size(), 1u);
}

TEST_F(Sorting, MixedTypesNeitherCrashNorLoseRows) {
    dstest::Fill(ds, {"K"}, {});
    std::mt19937 random(7);
    for (int i = 0; i < 3000; ++i) {
        const int row = ds.AddRow();
        switch (random() % 4) {
        case 0: ds.SetAt(row, 0, static_cast<int>(random() % 50)); break;
        case 1: ds.SetAt(row, 0, ("s" + std::to_string(random() % 50)).c_str()); break;
        case 2: ds.SetAt(row, 0, static_cast<double>(random() % 50) / 4); break;
        default: break;  // empty
        }
    }
    const CTableRowArray before = ds.GetRows();
    ds.Sort("K");
    CTableRowArray after = ds.GetRows();
    ASSERT_EQ(after.size(), before.size());
    CTableRowArray a = before, b = after;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_EQ(a, b);  // the same rows, each once
}

TEST_F(Sorting, ManyRowsByTwoKeysAreOrderedAndStable) {
    dstest::Fill(ds, {"Лист", "Поз", "Ряд"}, {});
    std::mt19937 random(11);
    for (int i = 0; i < 20000; ++i) {
        const int row = ds.AddRow();
        ds.SetAt(row, 0, ("Лист" + std::to_string(random() % 40)).c_str());
        ds.SetAt(row, 1, ("A" + std::string(random() % 3, '0') + std::to_string(random() % 30)).c_str());
        ds.SetAt(row, 2, i);
    }
    const CColumnIndexArray keys{0, 1};
    ds.Sort(&keys, nullptr);
    for (int i = 0; i + 1 < ds.GetRowCount(); ++i) {
        const int c0 = CDataSource::Compare(ds.GetAt(i, 0), ds.GetAt(i + 1, 0));
        ASSERT_LE(c0, 0) << i;
        if (c0 < 0) continue;
        const int c1 = CDataSource::Compare(ds.GetAt(i, 1), ds.GetAt(i + 1, 1));
        ASSERT_LE(c1, 0) << i;
        if (c1 == 0) {
            ASSERT_LT(ds.GetAt(i, 2)->GetInt(), ds.GetAt(i + 1, 2)->GetInt()) << i;
        }
    }
}

}  // namespace
