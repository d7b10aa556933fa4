// The separated-values data file, byte for byte: reading, writing, the field splitter, round trips.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <random>

#include "datasource_fixture.h"
#include "platform/tests/alloc_counter.h"

namespace {

using dstest::Cells;
using dstest::ColumnNames;
using dstest::Table;
using dstest::Texts;

class SeparatedValues : public dstest::FilesTest {
protected:
    // Loads bytes as a file.
    bool Load(CDataSource& ds, const std::string& bytes) {
        const std::string path = Path("in.csv");
        Write(path, bytes);
        return ds.LoadFromFile(path);
    }
};

struct LoadCase {
    const char* name;
    std::string bytes;
    Texts columns;
    Table rows;
};

TEST_F(SeparatedValues, LoadsTheseBytesAsTheseCells) {
    const LoadCase cases[] = {
        {"empty lines before the header, CR LF", "\r\n\r\nA,B\r\n1,2\r\n", {"A", "B"}, {{"1", "2"}}},
        {"trailing separator", "a,b,\n1,2,\n", {"a", "b"}, {{"1", "2"}}},
        {"empty name in the middle", "a,,b\n", {"a", "", "b"}, {}},
        {"missing and extra fields, empty line", "a,b,c\nx\nx,y,z,w\n\n", {"a", "b", "c"},
         {{"x", "", ""}, {"x", "y", "z"}, {"", "", ""}}},
        {"empty fields at the end of a line", "A,B,C\n1,,\n,,\n,x,\n", {"A", "B", "C"},
         {{"1", "", ""}, {"", "", ""}, {"", "x", ""}}},
        {"quoted: empty fields at the end of a line", "\"A\",\"B\"\n\"1\",\"\"\n\"\",\"\"\n", {"A", "B"},
         {{"1", ""}, {"", ""}}},
        {"empty lines after the header are rows", "A\n\n\n1\n", {"A"}, {{""}, {""}, {"1"}}},
        {"no line end at the end", "A,B\n1,2", {"A", "B"}, {{"1", "2"}}},
        {"one line end at the end adds no row", "A\n1\n", {"A"}, {{"1"}}},
        {"a CR not before LF stays", "A\na\rb\n\r\n", {"A"}, {{"a\rb"}, {""}}},
        {"only the CR right before LF goes", "A\nx\r\r\n", {"A"}, {{"x\r"}}},
        {"a line of blanks is a header", "  \nA\n", {"  "}, {{"A"}}},
        {"quoted: separator inside quotes", "\"Имя\",\"Адрес\"\n\"Иванов, И.\",\"Москва\"\n", {"Имя", "Адрес"},
         {{"Иванов, И.", "Москва"}}},
        {"quoted: doubled quotes and empty field", "\"A\",\"B\"\n\"a\"\"b\",\"\"\n", {"A", "B"}, {{"a\"b", ""}}},
        {"quoted: value ending in a doubled quote", "\"A\",\"B\"\n\"Винт \"\"М6\"\"\",\"x\"\n", {"A", "B"},
         {{"Винт \"М6\"", "x"}}},
        {"quoted: value starting with a doubled quote", "\"A\",\"B\"\n\"\"\"x\"\"\",\"y\"\n", {"A", "B"}, {{"\"x\"", "y"}}},
        {"quoted: a lone quote as the value", "\"A\",\"B\"\n\"\"\"\",\"\"\"\"\n", {"A", "B"}, {{"\"", "\""}}},
        {"quoted: unquoted fields are kept", "\"A\",\"B\"\nplain,\"q\"\n", {"A", "B"}, {{"plain", "q"}}},
        {"quoted: CR LF", "\"A\"\r\n\"1\"\r\n", {"A"}, {{"1"}}},
        {"unquoted: quotes stay", "A,B\n\"x,y\",z\n", {"A", "B"}, {{"\"x,y\"", "z"}}},
        {"unquoted: doubled quote is one quote", "A,B\n\"\",a\"\"b\n", {"A", "B"}, {{"\"", "a\"b"}}},
        {"unquoted: a lone quote opens a stretch", "A,B\nab\"c,d\n", {"A", "B"}, {{"ab\"c,d", ""}}},
        {"unquoted: header with a blank before the quote", " \"A\",B\n1,2\n", {" \"A\"", "B"}, {{"1", "2"}}},
        {"bytes pass unchanged", "Ключ\n\xff\xfe\x01 \xd0\n", {"Ключ"}, {{"\xff\xfe\x01 \xd0"}}},
        {"byte-order mark: quoted", "\xEF\xBB\xBF\"A\",\"B\"\r\n\"1\",\"x,y\"\r\n", {"A", "B"}, {{"1", "x,y"}}},
        {"byte-order mark: before empty lines", "\xEF\xBB\xBF\n\nA\n1\n", {"A"}, {{"1"}}},
        {"byte-order mark: only at the start", "A\n\xEF\xBB\xBF\n", {"A"}, {{"\xEF\xBB\xBF"}}},
        {"byte-order mark: a cut one stays", "\xEF\xBB" "A\n", {"\xEF\xBB" "A"}, {}},
    };
    for (const LoadCase& c : cases) {
        CDataSource ds;
        ASSERT_TRUE(Load(ds, c.bytes)) << c.name;
        EXPECT_EQ(ColumnNames(ds), c.columns) << c.name;
        EXPECT_EQ(ds.GetColumnCount(), static_cast<int>(c.columns.size())) << c.name;
        EXPECT_EQ(Cells(ds), c.rows) << c.name;
        for (int i = 0; i < ds.GetHeader()->GetSize(); ++i) {
            EXPECT_EQ(ds.GetHeader()->GetColumn(i)->m_nType, zorSTRING);
            EXPECT_EQ(ds.GetHeader()->GetColumn(i)->m_nColType, kPlainColumn);
        }
        for (int r = 0; r < ds.GetRowCount(); ++r)
            for (int i = 0; i < ds.GetColumnCount(); ++i) EXPECT_EQ(ds.GetAt(r, i)->GetType(), zorSTRING) << c.name;
    }
}

TEST_F(SeparatedValues, NoHeaderLineNoData) {
    for (const char* bytes : {"", "\n", "\r\n\n\r\n", "\xEF\xBB\xBF", "\xEF\xBB\xBF\r\n"}) {
        CDataSource ds;
        dstest::Fill(ds, {"old"}, {{"row"}});
        EXPECT_FALSE(Load(ds, bytes));
        EXPECT_EQ(ds.GetHeader(), nullptr);  // emptied all the same
        EXPECT_EQ(ds.GetRowCount(), 0);
    }
    CDataSource ds;
    dstest::Fill(ds, {"old"}, {{"row"}});
    EXPECT_FALSE(ds.LoadFromFile(Path("missing.csv")));
    EXPECT_EQ(ds.GetHeader(), nullptr);
    EXPECT_FALSE(ds.LoadFromFile(dir));  // a folder
    EXPECT_TRUE(messages.Texts().empty());
}

// What a failed load says, so that the caller can tell the user more than that it failed.
TEST_F(SeparatedValues, FailedLoadSaysWhy) {
    Write(Path("empty.csv"), "\r\n\n");
    const struct {
        std::string path, reason;
    } cases[] = {
        {Path("missing.csv"), std::strerror(ENOENT)},
        {dir, std::strerror(EISDIR)},
        {Path("empty.csv"), "в файле нет строки с названиями колонок"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        CDataSource ds;
        std::string reason;
        EXPECT_FALSE(ds.LoadFromFile(c.path, &reason));
        EXPECT_EQ(reason, c.reason);
    }
    Write(Path("good.csv"), "a\n1\n");
    CDataSource ds;
    std::string reason = "untouched";
    EXPECT_TRUE(ds.LoadFromFile(Path("good.csv"), &reason));
    EXPECT_EQ(reason, "untouched");
}

TEST_F(SeparatedValues, LoadReplacesTheContent) {
    CDataSource ds;
    dstest::Fill(ds, {"X", "Y", "Z"}, {{"1", "2", "3"}, {"4", "5", "6"}});
    ASSERT_TRUE(Load(ds, "A\nnew\n"));
    EXPECT_EQ(ColumnNames(ds), Texts{"A"});
    EXPECT_EQ(Cells(ds), (Table{{"new"}}));
}

TEST_F(SeparatedValues, LinesAcrossReadBlocks) {
    // The CR of a CR LF is the last byte of the first block read, its LF the first of the next.
    const std::string longCell(1048573, 'x');
    CDataSource ds;
    ASSERT_TRUE(Load(ds, "A\n" + longCell + "\r\ny\r\n" + std::string(3 << 20, 'z')));
    ASSERT_EQ(ds.GetRowCount(), 3);
    EXPECT_EQ(ds.GetRow(0)->GetAsString(0), longCell);
    EXPECT_EQ(ds.GetRow(1)->GetAsString(0), "y");
    EXPECT_EQ(ds.GetRow(2)->GetAsString(0).size(), size_t(3) << 20);

    std::string many = "N,M\n";
    for (int i = 0; i < 200000; ++i) many += std::to_string(i) + ",\"v" + std::to_string(i) + "\"\n";
    ASSERT_TRUE(Load(ds, many));
    ASSERT_EQ(ds.GetRowCount(), 200000);
    EXPECT_EQ(ds.GetRow(123456)->GetAsString(0), "123456");
    EXPECT_EQ(ds.GetRow(199999)->GetAsString(1), "\"v199999\"");
}

// A line shorter than the header costs memory for what it holds, not for the header's width: 8000 names
// over 8000 empty lines once made 64 million cells. Every reader still sees one cell per column.
TEST_F(SeparatedValues, MissingFieldsCostNoMemory) {
    const int n = 8000;
    std::string bytes;
    for (int i = 0; i < n; ++i) bytes += (i ? ",c" : "c") + std::to_string(i);
    bytes += "\n";
    bytes += "x,y\n";
    bytes += std::string(n, '\n');
    const std::string path = Path("padded.csv");
    Write(path, bytes);

    CDataSource ds;
    zor::test::AllocationWatch watch;
    ASSERT_TRUE(ds.LoadFromFile(path));
    // The read buffer, the header, and a row object per line; the full table would need 64 million cells.
    EXPECT_LT(watch.PeakBytes(), (size_t(4) << 20) + 64 * bytes.size());
    EXPECT_LT(watch.Allocations(), size_t(4) * n + 1000);

    ASSERT_EQ(ds.GetColumnCount(), n);
    ASSERT_EQ(ds.GetRowCount(), n + 1);
    for (const int r : {0, 1, n}) {
        ASSERT_EQ(ds.GetRow(r)->GetSize(), n) << r;
        for (const int c : {0, 1, 2, n / 2, n - 1}) {
            ASSERT_NE(ds.GetAt(r, c), nullptr);
            EXPECT_EQ(ds.GetAt(r, c)->GetType(), zorSTRING) << r << "," << c;
        }
    }
    EXPECT_EQ(ds.GetRow(0)->GetAsString(0), "x");
    EXPECT_EQ(ds.GetRow(0)->GetAsString(1), "y");
    EXPECT_EQ(ds.GetRow(0)->GetAsString(2), "");
    EXPECT_EQ(ds.GetAt(0, n), nullptr);

    // A formula over the last column adds a cell per row and nothing for the missing ones.
    CHeader computed;
    computed.AddColumn(new CHeaderColumn(kFormulaColumn, "Итог=c1 + \"/\" + c" + std::to_string(n - 1), zorSTRING));
    zor::test::AllocationWatch extending;
    ASSERT_TRUE(ds.Extend(&computed, nullptr));
    EXPECT_LT(extending.PeakBytes(), size_t(64) * n + (size_t(1) << 20));
    EXPECT_EQ(ds.GetRow(0)->GetAsString(n), "y/");
    EXPECT_EQ(ds.GetRow(n)->GetAsString(n), "/");
    EXPECT_EQ(ds.GetRow(n)->GetSize(), n + 1);

    // Filling a missing cell, or an empty field at the end of a line, changes that row alone.
    ASSERT_TRUE(ds.SetAt(n, n / 2, "z"));
    EXPECT_EQ(ds.GetRow(n)->GetAsString(n / 2), "z");
    EXPECT_EQ(ds.GetRow(n - 1)->GetAsString(n / 2), "");
    CDataSource trailing;
    ASSERT_TRUE(Load(trailing, "A,B\n1,\n2,\n"));
    ASSERT_TRUE(trailing.SetAt(0, 1, "z"));
    EXPECT_EQ(Cells(trailing), (Table{{"1", "z"}, {"2", ""}}));
}

struct WordCase {
    const char* line;
    bool quoted;
    bool result;
    const char* word;
    const char* rest;
};

TEST_F(SeparatedValues, NextWord) {
    const WordCase cases[] = {
        {"a,b,c", false, true, "a", "b,c"},
        {"", false, false, "", ""},
        {",", false, true, "", ""},
        {"a", false, true, "a", ""},
        {"a,", true, true, "a", ""},
        {"\"x,y\",z", true, true, "x,y", "z"},
        {"\"x,y\",z", false, true, "\"x,y\"", "z"},
        {"\"\"", true, true, "", ""},
        {"\"\"", false, true, "\"", ""},
        {"\"\",b", true, true, "", "b"},
        {"\"a\"\"b\"", true, true, "a\"b", ""},
        {"\"Винт \"\"М6\"\"\",\"x\"", true, true, "Винт \"М6\"", "\"x\""},
        {"\"\"\"\",x", true, true, "\"", "x"},
        {"\"", true, true, "", ""},
        {"x\"", false, true, "x\"", ""},
        {"ab\"c,d", false, true, "ab\"c,d", ""},
        {"ab\"c\",d", false, true, "ab\"c\"", "d"},
        {"\"a,b", true, true, "a,b", ""},  // never closed: the rest of the line
        {"\"a\"x,y", true, true, "a\"x", "y"},
    };
    CDataSource ds;
    for (const WordCase& c : cases) {
        std::string line = c.line, word = "stale";
        EXPECT_EQ(ds.GetNextWord(line, word, c.quoted), c.result) << c.line;
        EXPECT_EQ(word, c.word) << c.line;
        EXPECT_EQ(line, c.rest) << c.line;
    }
}

struct SaveCase {
    const char* name;
    std::function<void(CDataSource&)> fill;
    std::string bytes;
};

TEST_F(SeparatedValues, WritesTheseBytes) {
    const SaveCase cases[] = {
        {"values of each type",
         [](CDataSource& ds) {
             dstest::Fill(ds, {"A", "B", "C"}, {});
             ds.AddRow();
             ds.SetAt(0, 0, 5);
             ds.SetAt(0, 1, 2.5);
         },
         "\"A\",\"B\",\"C\"\n\"5\",\"2.5\",\"\"\n"},
        {"quotes doubled, separators and CR kept",
         [](CDataSource& ds) { dstest::Fill(ds, {"Имя \"1\"", "B"}, {{"Винт \"М6\"", "a,b\r"}}); },
         "\"Имя \"\"1\"\"\",\"B\"\n\"Винт \"\"М6\"\"\",\"a,b\r\"\n"},
        {"a line feed in a cell is written as is",
         [](CDataSource& ds) { dstest::Fill(ds, {"A"}, {{"x\ny"}}); }, "\"A\"\n\"x\ny\"\n"},
        {"columns but no rows", [](CDataSource& ds) { dstest::Fill(ds, {"A", "B"}, {}); }, "\"A\",\"B\"\n"},
        {"no columns", [](CDataSource& ds) { dstest::Fill(ds, {}, {}); }, "\n"},
        {"a formula column writes its name",
         [](CDataSource& ds) {
             dstest::Fill(ds, {"A"}, {{"1"}});
             ds.GetHeader()->GetColumn(0)->m_Name = "Итог=A+\"x\"";
             ds.GetHeader()->GetColumn(0)->m_nColType = kFormulaColumn;
         },
         "\"Итог\"\n\"1\"\n"},
        {"an instance value has no text",
         [](CDataSource& ds) {
             dstest::Fill(ds, {"A", "B"}, {});
             ds.AddRow();
             ds.SetAt(0, 0, reinterpret_cast<CzorInstance*>(&ds));
             ds.SetAt(0, 1, -0.125);
         },
         "\"A\",\"B\"\n\"\",\"-0.125\"\n"},
    };
    for (const SaveCase& c : cases) {
        CDataSource ds;
        c.fill(ds);
        const std::string path = Path("out.csv");
        ASSERT_TRUE(ds.SaveToFile(path)) << c.name;
        EXPECT_EQ(Read(path), c.bytes) << c.name;
    }
}

TEST_F(SeparatedValues, SavedNumbersLoadAsTheirText) {
    CDataSource ds;
    dstest::Fill(ds, {"A", "B", "C"}, {});
    ds.AddRow();
    ds.SetAt(0, 0, 5);
    ds.SetAt(0, 1, 2.5);
    ASSERT_TRUE(ds.SaveToFile(Path("n.csv")));
    CDataSource back;
    ASSERT_TRUE(back.LoadFromFile(Path("n.csv")));
    EXPECT_EQ(Cells(back), (Table{{"5", "2.5", ""}}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(back.GetAt(0, i)->GetType(), zorSTRING);
}

TEST_F(SeparatedValues, LineFeedInACellSplitsTheRowOnReading) {
    CDataSource ds;
    dstest::Fill(ds, {"A", "B"}, {{"x\ny", "z"}});
    ASSERT_TRUE(ds.SaveToFile(Path("lf.csv")));
    CDataSource back;
    ASSERT_TRUE(back.LoadFromFile(Path("lf.csv")));
    EXPECT_EQ(Cells(back), (Table{{"x", ""}, {"y\",\"z", ""}}));
}

TEST_F(SeparatedValues, SaveThenLoadGivesTheSameCells) {
    // Texts made of the bytes that matter to the format, everything but a line feed.
    const std::string pieces[] = {"\"", "\"\"", ",", " ", "\r", "a", "Я", "1", "\t", "'", "\\", "ё"};
    std::mt19937 random(20240611);
    auto text = [&] {
        std::string t;
        const int n = static_cast<int>(random() % 7);
        for (int i = 0; i < n; ++i) t += pieces[random() % std::size(pieces)];
        return t;
    };
    for (int round = 0; round < 60; ++round) {
        const int columns = 1 + static_cast<int>(random() % 4);
        Texts names;
        for (int c = 0; c < columns; ++c) names.push_back(text());
        Table rows(random() % 6);
        for (Texts& r : rows)
            for (int c = 0; c < columns; ++c) r.push_back(text());
        CDataSource ds;
        dstest::Fill(ds, names, rows);
        const std::string path = Path("rt.csv");
        ASSERT_TRUE(ds.SaveToFile(path));
        CDataSource back;
        ASSERT_TRUE(back.LoadFromFile(path)) << Read(path);
        EXPECT_EQ(ColumnNames(back), names) << Read(path);
        EXPECT_EQ(Cells(back), rows) << Read(path);
    }
}

TEST_F(SeparatedValues, SaveWithoutHeaderWritesNothing) {
    CDataSource ds;
    EXPECT_FALSE(ds.SaveToFile(Path("none.csv")));
    EXPECT_FALSE(std::filesystem::exists(Path("none.csv")));
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(SeparatedValues, SaveThatCannotWriteTellsAndKeepsTheOldFile) {
    CDataSource ds;
    dstest::Fill(ds, {"A"}, {{"1"}});
    Write(Path("file"), "not a folder");
    const std::string bad = Path("file") + "/x.csv";
    EXPECT_FALSE(ds.SaveToFile(bad));
    EXPECT_EQ(messages.Texts(), Texts{"Не могу создать файл " + bad});

    // A save that fails half-way never leaves a half-written file: the target is replaced whole.
    const std::string good = Path("good.csv");
    Write(good, "\"old\"\n");
    ASSERT_TRUE(ds.SaveToFile(good));
    EXPECT_EQ(Read(good), "\"A\"\n\"1\"\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 2);
}

TEST_F(SeparatedValues, ReadOnlyFileIsNotReplaced) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
    CDataSource ds;
    dstest::Fill(ds, {"A"}, {{"1"}});
    const std::string locked = Path("locked.csv");
    Write(locked, "\"old\"\n");
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
    EXPECT_FALSE(ds.SaveToFile(locked));
    EXPECT_EQ(messages.Texts(), Texts{"Не могу создать файл " + locked});
    EXPECT_EQ(Read(locked), "\"old\"\n");
}

}  // namespace
