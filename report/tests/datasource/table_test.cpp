// Rows and the table: cells, ownership, ranges and the messages of a wrong row.
#include <gtest/gtest.h>

#include <random>

#include "datasource_fixture.h"
#include "report/model/value_text.h"

namespace {

using dstest::Cells;
using dstest::Table;
using dstest::Texts;

TEST(TableRow, CellsOfEveryKind) {
    CTableRow row;
    EXPECT_EQ(row.AddColumn(std::string_view("текст")), 0);
    EXPECT_EQ(row.AddColumn(2.5), 1);
    EXPECT_EQ(row.AddColumn(7), 2);
    EXPECT_EQ(row.AddColumn(static_cast<CzorInstance*>(nullptr)), 3);
    auto* own = new CzorValue;
    own->Set(-1);
    EXPECT_EQ(row.AddColumn(own), 4);
    EXPECT_EQ(row.AddColumn(static_cast<CzorValue*>(nullptr)), -1);

    const int types[] = {zorSTRING, zorREAL, zorINTEGER, zorNOTYPE, zorINTEGER};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(row.GetColumnType(i), types[i]) << i;
    EXPECT_EQ(row.GetColumnType(5), 0);
    const char* texts[] = {"текст", "2.5", "7", "", "-1"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(row.GetAsString(i), texts[i]) << i;
    EXPECT_EQ(row.GetAsString(-1), "");
    EXPECT_EQ(row.GetColumn(4), own);  // the very value, not a copy
    EXPECT_EQ(row.Find(own), 4);
    EXPECT_EQ(row.Find(nullptr), -1);
}

// A row whose missing cells cost nothing behaves, through every operation, like the same row with real
// empty texts in their place: the same size, types and texts at every index.
TEST(TableRow, MissingCellsReadAsEmptyTextsThroughEveryChange) {
    auto same = [](const CTableRow& a, const CTableRow& b, const std::string& step) {
        ASSERT_EQ(a.GetSize(), b.GetSize()) << step;
        for (int i = -1; i <= a.GetSize(); ++i) {
            EXPECT_EQ(a.GetColumnType(i), b.GetColumnType(i)) << step << " at " << i;
            EXPECT_EQ(a.GetAsString(i), b.GetAsString(i)) << step << " at " << i;
            EXPECT_EQ(a.GetColumn(i) == nullptr, b.GetColumn(i) == nullptr) << step << " at " << i;
        }
    };
    std::mt19937 random(20);
    for (int round = 0; round < 200; ++round) {
        const std::string_view texts[] = {"a", "", "в"};
        CTableRow sparse, dense;
        const int head = static_cast<int>(random() % 4);
        const int missing = 1 + static_cast<int>(random() % 6);
        sparse.AddStrings(texts, head);
        dense.AddStrings(texts, head);
        EXPECT_EQ(sparse.AddMissing(missing), head);
        for (int i = 0; i < missing; ++i) dense.AddColumn(std::string_view());
        std::string steps = "head " + std::to_string(head) + ", missing " + std::to_string(missing);
        same(sparse, dense, steps);
        for (int op = 0; op < 12; ++op) {
            const int size = dense.GetSize();
            const int index = size ? static_cast<int>(random() % static_cast<unsigned>(size)) : 0;
            const int value = static_cast<int>(random() % 100);
            switch (random() % 6) {
            case 0: {
                auto* a = new CzorValue;
                auto* b = new CzorValue;
                a->Set(value);
                b->Set(value);
                EXPECT_EQ(sparse.SetAt(index, a), dense.SetAt(index, b));
                if (size == 0) { delete a; delete b; }
                steps += ", set " + std::to_string(index);
                break;
            }
            case 1:
                sparse.RemoveAt(index);
                dense.RemoveAt(index);
                steps += ", remove " + std::to_string(index);
                break;
            case 2: {
                const int at = size ? static_cast<int>(random() % static_cast<unsigned>(size + 1)) : 0;
                auto* a = new CzorValue;
                auto* b = new CzorValue;
                a->Set(value);
                b->Set(value);
                EXPECT_EQ(sparse.InsertColumn(at, a), dense.InsertColumn(at, b));
                steps += ", insert " + std::to_string(at);
                break;
            }
            case 3:
                sparse.AddColumn(value);
                dense.AddColumn(value);
                steps += ", add";
                break;
            case 4:
                sparse.AddMissing(2);
                dense.AddColumn(std::string_view());
                dense.AddColumn(std::string_view());
                steps += ", add 2 missing";
                break;
            case 5: {
                const CzorValue* cell = sparse.GetColumn(index);
                const int found = sparse.Find(cell);
                if (cell) {
                    EXPECT_EQ(sparse.GetColumn(found), cell) << steps;
                }
                break;
            }
            }
            same(sparse, dense, steps);
        }
    }
    CTableRow row;
    EXPECT_EQ(row.AddMissing(0), 0);
    EXPECT_EQ(row.GetSize(), 0);
    EXPECT_EQ(row.AddMissing(3), 0);
    EXPECT_EQ(row.Find(row.GetColumn(1)), 0);  // the missing cells are one and the same
    EXPECT_EQ(row.Find(nullptr), -1);
}

TEST(TableRow, BlockCellsBehaveLikeAnyOther) {
    const std::string_view texts[] = {"a", "", "Лист \"1\"", "long text that needs more room than a small string"};
    CTableRow row;
    EXPECT_EQ(row.AddStrings(texts, 4), 0);
    EXPECT_EQ(row.AddEmpty(2), 4);
    EXPECT_EQ(row.AddColumn(3), 6);  // the cell array grows out of the block
    ASSERT_EQ(row.GetSize(), 7);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(row.GetColumnType(i), zorSTRING);
        EXPECT_EQ(row.GetAsString(i), texts[i]);
    }
    EXPECT_EQ(row.GetColumnType(4), zorNOTYPE);

    // A block cell can be set like any value; a copy of it owns its own text.
    CzorValue copy(*row.GetColumn(3));
    row.GetColumn(0)->Set("новый");
    EXPECT_EQ(row.GetAsString(0), "новый");
    row.GetColumn(4)->Set(1.5);
    EXPECT_EQ(row.GetAsString(4), "1.5");

    // Replacing, removing and inserting keep the others in place.
    auto* v = new CzorValue;
    v->Set("заменён");
    EXPECT_TRUE(row.SetAt(2, v));
    EXPECT_EQ(row.GetColumn(2), v);
    EXPECT_TRUE(row.SetAt(2, v));  // the same value again: kept, not released
    EXPECT_EQ(row.GetAsString(2), "заменён");
    row.RemoveAt(1);
    row.RemoveAt(0);
    row.RemoveAt(99);
    EXPECT_EQ(row.GetSize(), 5);
    EXPECT_EQ(row.GetAsString(0), "заменён");
    EXPECT_EQ(row.GetAsString(1), texts[3]);
    auto* first = new CzorValue;
    first->Set(9);
    EXPECT_EQ(row.InsertColumn(0, first), 0);
    EXPECT_EQ(row.GetAsString(0), "9");
    EXPECT_EQ(row.GetAsString(2), texts[3]);
    EXPECT_EQ(GetAsString(&copy), texts[3]);
    row.RemoveAll();
    EXPECT_EQ(row.GetSize(), 0);
    EXPECT_EQ(GetAsString(&copy), texts[3]);  // the copy outlives the row's texts
    EXPECT_EQ(row.AddStrings(texts, 2), 0);   // a second batch after the block is used up
    EXPECT_EQ(row.GetAsString(0), "a");
}

TEST(TableRow, BlockAfterEarlierCells) {
    const std::string_view texts[] = {"x", "y", "z"};
    CTableRow reserved;
    reserved.Reserve(5);
    EXPECT_EQ(reserved.AddStrings(texts, 3), 0);  // into the room already made
    CTableRow emptied;
    emptied.AddColumn(1);
    emptied.RemoveAll();
    EXPECT_EQ(emptied.AddStrings(texts, 3), 0);   // the old cell array gives way to the block
    CTableRow after;
    after.AddColumn(1);
    EXPECT_EQ(after.AddStrings(texts, 3), 1);     // behind a cell of its own
    for (const CTableRow* row : {&reserved, &emptied}) EXPECT_EQ(row->GetAsString(2), "z");
    EXPECT_EQ(after.GetAsString(3), "z");
    EXPECT_EQ(after.GetAsString(0), "1");
}

// A row read from a file holds its cells without a pointer array until they first change; the cells a
// caller already holds must be the very cells the row shows after that change, whichever change it is.
TEST(TableRow, HeldCellsSurviveTheFirstChange) {
    struct Case {
        const char* change;
        void (*apply)(CTableRow&);
        int shift;  // where the held cells stand afterwards, relative to before
    };
    const Case cases[] = {
        {"add", [](CTableRow& r) { r.AddColumn(5); }, 0},
        {"add missing", [](CTableRow& r) { r.AddMissing(2); }, 0},
        {"set the last", [](CTableRow& r) { auto* v = new CzorValue; v->Set(5); r.SetAt(3, v); }, 0},
        {"insert first", [](CTableRow& r) { auto* v = new CzorValue; v->Set(5); r.InsertColumn(0, v); }, 1},
        {"remove the last", [](CTableRow& r) { r.RemoveAt(3); }, 0},
        {"reserve", [](CTableRow& r) { r.Reserve(10); }, 0},
    };
    const std::string_view texts[] = {"a", "", "Лист2", "z"};
    for (const Case& c : cases) {
        CTableRow row;
        row.AddStrings(texts, 4);
        row.AddMissing(1);
        const CzorValue* held[3] = {row.GetColumn(0), row.GetColumn(1), row.GetColumn(2)};
        c.apply(row);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(row.GetColumn(i + c.shift), held[i]) << c.change << " at " << i;
            EXPECT_EQ(row.Find(held[i]), i + c.shift) << c.change << " at " << i;
            EXPECT_EQ(row.GetAsString(i + c.shift), texts[i]) << c.change << " at " << i;
        }
    }
}

TEST(TableRow, RefusesNullCellsAndOutOfRange) {
    CTableRow row;
    row.AddColumn(1);
    auto* v = new CzorValue;
    EXPECT_FALSE(row.SetAt(1, v));
    EXPECT_FALSE(row.SetAt(-1, v));
    EXPECT_FALSE(row.SetAt(0, nullptr));
    EXPECT_EQ(row.InsertColumn(2, v), -1);  // past the end: no null gap
    EXPECT_EQ(row.InsertColumn(-2, v), -1);
    EXPECT_EQ(row.InsertColumn(0, nullptr), -1);
    EXPECT_EQ(row.InsertColumn(1, v), 1);   // at the end: appends
    EXPECT_EQ(row.GetSize(), 2);
    EXPECT_EQ(row.GetColumn(1), v);
}

TEST(DataSource, RowsFollowTheColumnCount) {
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink(&messages);
    CDataSource ds;
    int rows = -1, columns = -1;
    EXPECT_TRUE(ds.GetSize(rows, columns));
    EXPECT_EQ(rows, 0);
    EXPECT_EQ(columns, 0);
    auto* header = new CHeader;
    header->AddColumn("A", zorSTRING);
    header->AddColumn("B", zorSTRING);
    header->AddColumn("C", zorSTRING);
    EXPECT_EQ(ds.SetHeader(header), nullptr);
    EXPECT_EQ(ds.SetHeader(nullptr), nullptr);  // refused
    EXPECT_EQ(ds.GetHeader(), header);

    EXPECT_EQ(ds.AddRow(), 0);
    ASSERT_EQ(ds.GetRow(0)->GetSize(), 3);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(ds.GetAt(0, c)->GetType(), zorNOTYPE);

    auto* shortRow = new CTableRow;
    shortRow->AddColumn(std::string_view("x"));
    shortRow->AddColumn(std::string_view("y"));
    EXPECT_EQ(ds.AddRow(shortRow), -1);
    EXPECT_EQ(messages.Texts(), Texts{"Не верно сформирована строка!"});
    EXPECT_EQ(ds.GetRowCount(), 1);
    shortRow->AddColumn(std::string_view("z"));
    EXPECT_EQ(ds.AddRow(shortRow), 1);  // taken once it fits
    EXPECT_EQ(ds.FindRow(shortRow), 1);
    EXPECT_EQ(ds.FindRow(nullptr), -1);
    EXPECT_EQ(ds.GetRow(2), nullptr);

    EXPECT_EQ(ds.AddColumn(), 2);  // returns the row count
    EXPECT_EQ(ds.GetColumnCount(), 4);
    EXPECT_EQ(ds.GetHeader()->GetSize(), 4);
    EXPECT_EQ(ds.GetAt(1, 3)->GetType(), zorINTEGER);
    EXPECT_EQ(ds.GetAt(1, 3)->GetInt(), 0);
    EXPECT_EQ(ds.GetHeader()->Find("A"), 0);  // the unnamed entry does not disturb look-ups

    EXPECT_TRUE(ds.DeleteColumn(1));
    EXPECT_EQ(ds.GetColumnCount(), 3);
    EXPECT_EQ(Cells(ds), (Table{{"", "", "0"}, {"x", "z", "0"}}));
    EXPECT_FALSE(ds.DeleteColumn(3));  // outside: nothing changes
    EXPECT_FALSE(ds.DeleteColumn(-1));
    EXPECT_EQ(ds.GetColumnCount(), 3);

    EXPECT_FALSE(ds.DeleteRow(2));
    EXPECT_TRUE(ds.DeleteRow(0));
    EXPECT_EQ(ds.GetRowCount(), 1);
    EXPECT_EQ(Cells(ds), (Table{{"x", "z", "0"}}));
}

TEST(DataSource, SetAtEveryValueTypeByIndexAndName) {
    CDataSource ds;
    dstest::Fill(ds, {"A", "B", "Итог=A"}, {{"1", "2", "3"}, {"4", "5", "6"}});
    ds.GetHeader()->GetColumn(2)->m_nColType = kFormulaColumn;  // its name is "Итог"
    CzorInstance* marker = reinterpret_cast<CzorInstance*>(&ds);  // never dereferenced
    auto* value = new CzorValue;
    value->Set(2.25);

    EXPECT_TRUE(ds.SetAt(0, 0, "текст"));
    EXPECT_TRUE(ds.SetAt(0, 1, 42));
    EXPECT_TRUE(ds.SetAt(0, 2, 0.5));
    EXPECT_TRUE(ds.SetAt(1, 0, value));
    EXPECT_TRUE(ds.SetAt(1, 1, marker));
    EXPECT_TRUE(ds.SetAt(1, 2, static_cast<CzorInstance*>(nullptr)));
    EXPECT_EQ(ds.GetAt(1, 0), value);
    EXPECT_EQ(ds.GetAt(1, 1)->GetInstance(), marker);
    EXPECT_EQ(ds.GetAt(1, 2)->GetType(), zorNOTYPE);
    EXPECT_EQ(Cells(ds), (Table{{"текст", "42", "0.5"}, {"2.25", "", ""}}));

    EXPECT_TRUE(ds.SetAt(1, "Итог", "по имени"));
    EXPECT_TRUE(ds.SetAt(1, "B", 7));
    EXPECT_TRUE(ds.SetAt(0, "A", -1.5));
    EXPECT_FALSE(ds.SetAt(0, "Итог=A", 1));  // the name part only
    EXPECT_FALSE(ds.SetAt(0, "нет", 1));
    EXPECT_FALSE(ds.SetAt(2, 0, 1));
    EXPECT_FALSE(ds.SetAt(0, 3, "x"));
    EXPECT_FALSE(ds.SetAt(-1, 0, 1.0));
    auto* refused = new CzorValue;
    EXPECT_FALSE(ds.SetAt(0, 9, refused));  // not taken: still the caller's
    delete refused;
    EXPECT_EQ(Cells(ds), (Table{{"-1.5", "42", "0.5"}, {"2.25", "7", "по имени"}}));

    const CHeaderColumn byName(kPlainColumn, "B", zorSTRING);
    EXPECT_EQ(ds.GetAt(1, &byName), ds.GetAt(1, 1));
    EXPECT_EQ(ds.GetAt(1, static_cast<const CHeaderColumn*>(nullptr)), nullptr);
    EXPECT_EQ(ds.GetAt(5, &byName), nullptr);
    EXPECT_EQ(ds.GetColumnInd(&byName), 1);
    EXPECT_EQ(ds.GetColumnInd(ds.GetColumn(2)), 2);
    EXPECT_EQ(ds.GetColumn(3), nullptr);
    CDataSource bare;
    EXPECT_EQ(bare.GetColumnInd(&byName), -2);
    EXPECT_EQ(bare.GetAt(0, &byName), nullptr);
    EXPECT_FALSE(bare.SetAt(0, "B", 1));
}

TEST(DataSource, ClearKeepsHeaderRemoveAllDeletesIt) {
    CDataSource ds;
    dstest::Fill(ds, {"A", "B"}, {{"1", "2"}});
    ds.Clear();
    EXPECT_NE(ds.GetHeader(), nullptr);
    EXPECT_EQ(ds.GetRowCount(), 0);
    EXPECT_EQ(ds.GetColumnCount(), 0);
    ds.RemoveAll();
    EXPECT_EQ(ds.GetHeader(), nullptr);

    // Without a header, a new column brings one.
    EXPECT_EQ(ds.AddColumn(), 0);
    ASSERT_NE(ds.GetHeader(), nullptr);
    EXPECT_EQ(ds.GetHeader()->GetSize(), 1);
    EXPECT_EQ(ds.AddRow(), 0);
    EXPECT_EQ(ds.GetRow(0)->GetSize(), 1);
}

TEST(DataSource, HeaderGivenAtConstruction) {
    auto* header = new CHeader;
    header->AddColumn("A", zorSTRING);
    header->AddColumn("B", zorSTRING);
    header->AddColumn("C", zorSTRING);
    CDataSource ds(header);
    EXPECT_EQ(ds.GetColumnCount(), 3);
    ds.AddRow();
    EXPECT_EQ(ds.GetRow(0)->GetSize(), 3);
    CHeader* other = new CHeader;
    EXPECT_EQ(ds.SetHeader(other), header);  // handed back to the caller
    delete header;
    EXPECT_EQ(ds.GetColumnCount(), 0);
}

TEST(DataSource, StringPart) {
    struct Case { const char* text; bool ok; const char* rest; };
    const Case cases[] = {
        {"Лист12", true, "Лист"}, {"12", true, ""}, {"Лист", false, "unchanged"}, {"", false, "unchanged"},
        {"a1b2", true, "a1b"},    {"x007", true, "x"}, {"12a", false, "unchanged"},
    };
    for (const Case& c : cases) {
        std::string rest = "unchanged";
        EXPECT_EQ(CDataSource::GetStringPart(c.text, rest), c.ok) << c.text;
        EXPECT_EQ(rest, c.rest) << c.text;
    }
}

}  // namespace
