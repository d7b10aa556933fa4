#include "controls/html/html_gen.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/tests/html_rows_fake.h"
#include "platform/base/file_io.h"
#include "platform/tests/test_support.h"

namespace {

using namespace zor;
using zor::test::FakeRows;

const std::string kTableStart =
    "<table border=\"1\"  style=\"font-size: 9pt;\" cellspacing=\"1\" cellpadding=\"3\" cellspacing=\"0\" "
    "cellpadding=\"3\" style='border-collapse:collapse' color=0 bordercolorlight=\"#000000\" "
    "bordercolordark=\"#000000\" bordercolor=\"#000000\" width=100%>\r\n<tr>";

std::string Title(int percent, const std::string& text) {
    return "<td width=\"" + std::to_string(percent) + "%\"><center><b>" + text + "</b></center></td>\r\n";
}
std::string Row(const std::vector<std::string>& cells, bool close = true) {
    std::string out = "<tr>\r\n";
    for (const auto& c : cells) out += "<td>" + c + "</td>\r\n";
    return close ? out + "</tr>\r\n" : out;
}

std::string Read(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadWholeFile(path, bytes)) << path;
    return bytes;
}

class HtmlGenTest : public ::testing::Test {
protected:
    zor::test::ScopedTempDir dir;
    std::string Path(const std::string& name) const { return dir / name; }

    // Two columns 30 and 10 wide; a parent with a child and a fictive child, a blank row, a
    // collapsed parent.
    FakeRows Tree() {
        FakeRows t;
        t.columns = {{"Имя", 30}, {"Размер", 10}};
        const auto a = t.Add(0, {"a", "1"});
        t.Add(a, {"a1", ""});
        t.rows[t.Add(a, {"fict", "x"})].fictive = true;
        t.rows[t.Add(0, {" ", "2"})].selected = true;
        const auto c = t.Add(0, {"c", "3"});
        t.rows[c].expanded = false;
        t.rows[t.Add(c, {"c1", "4"})].selected = true;
        return t;
    }
};

TEST_F(HtmlGenTest, TreeTablesPerFlags) {
    const FakeRows tree = Tree();
    const std::string head = kTableStart + Title(75, "Имя") + Title(25, "Размер") + "</tr>\r\n";
    const std::string end = "</table>\r\n";
    struct Case { const char* name; unsigned char flags; std::string body; };
    const Case cases[] = {
        // Children stand inside their parent's row; the fictive row and all under it are left out.
        {"whole tree", CHtmlGen::kCreate | CHtmlGen::kWholeTree,
         Row({"a", "1"}, false) + Row({"a1", "&nbsp"}) + "</tr>\r\n" + Row({"&nbsp", "2"}) +
             Row({"c", "3"}, false) + Row({"c1", "4"}) + "</tr>\r\n"},
        // The collapsed parent's child is not visible; the fictive row is.
        {"visible", CHtmlGen::kCreate | CHtmlGen::kVisible,
         Row({"a", "1"}) + Row({"a1", "&nbsp"}) + Row({"fict", "x"}) + Row({"&nbsp", "2"}) + Row({"c", "3"})},
        {"selected visible", CHtmlGen::kCreate | CHtmlGen::kSelected, Row({"&nbsp", "2"})},
        {"no row flag", CHtmlGen::kCreate, ""},
    };
    for (const auto& c : cases) {
        const auto file = Path("t.htm");
        ASSERT_TRUE(CHtmlGen::GenerateByTreeList(&tree, file, c.flags, nullptr)) << c.name;
        EXPECT_EQ(Read(file), head + c.body + end) << c.name;
    }
}

TEST_F(HtmlGenTest, InvalidFlagPairsAndNullWriteNothing) {
    const FakeRows tree = Tree();
    const auto file = Path("none.htm");
    EXPECT_FALSE(CHtmlGen::GenerateByTreeList(&tree, file, CHtmlGen::kCreate | CHtmlGen::kAppend, nullptr));
    EXPECT_FALSE(CHtmlGen::GenerateByTreeList(&tree, file,
                                              CHtmlGen::kCreate | CHtmlGen::kWholeTree | CHtmlGen::kVisible, nullptr));
    EXPECT_FALSE(CHtmlGen::GenerateByListCtrl(&tree, file, CHtmlGen::kCreate | CHtmlGen::kAppend, nullptr));
    EXPECT_FALSE(CHtmlGen::GenerateByTreeList(nullptr, file, CHtmlGen::kCreate, nullptr));
    EXPECT_FALSE(CHtmlGen::GenerateByListCtrl(nullptr, file, CHtmlGen::kCreate, nullptr));
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(HtmlGenTest, ListTablesSkippedColumnsAndAppend) {
    FakeRows list;
    list.columns = {{"A", 1}, {"B", 2}, {"C", 0}};
    list.Add(0, {"x", "y", "z"});
    list.rows[list.Add(0, {"p", "", "r"})].selected = true;
    list.rows[list.Add(0, {"s", "t", "u"})].selected = true;
    const auto file = Path("l.htm");
    const std::vector<unsigned> skipB{1};
    ASSERT_TRUE(CHtmlGen::GenerateByListCtrl(&list, file, CHtmlGen::kCreate, &skipB));
    EXPECT_EQ(Read(file), kTableStart + Title(100, "A") + Title(0, "C") + "</tr>\r\n" + Row({"x", "z"}) +
                              Row({"p", "r"}) + Row({"s", "u"}) + "</table>\r\n");

    // The first selected row only, appended to what is there.
    const std::string before = Read(file);
    ASSERT_TRUE(CHtmlGen::GenerateByListCtrl(&list, file, CHtmlGen::kAppend | CHtmlGen::kSelected, nullptr));
    EXPECT_EQ(Read(file), before + kTableStart + Title(33, "A") + Title(66, "B") + Title(0, "C") + "</tr>\r\n" +
                              Row({"p", "&nbsp", "r"}) + "</table>\r\n");

    // Every column skipped: the frame of the table remains.
    const std::vector<unsigned> all{0, 1, 2};
    ASSERT_TRUE(CHtmlGen::GenerateByListCtrl(&list, file, CHtmlGen::kCreate, &all));
    EXPECT_EQ(Read(file), kTableStart + "</tr>\r\n" + Row({}) + Row({}) + Row({}) + "</table>\r\n");

    // Appending creates a missing file; no flag at all needs one.
    ASSERT_TRUE(CHtmlGen::GenerateByListCtrl(&list, Path("new.htm"), CHtmlGen::kAppend, nullptr));
    EXPECT_FALSE(CHtmlGen::GenerateByListCtrl(&list, Path("missing.htm"), 0, nullptr));
}

TEST_F(HtmlGenTest, EmptyPageHeadEndAndBody) {
    const auto file = Path("p.htm");
    EXPECT_EQ(CHtmlGen::CreateEmptyPS(file), -2);  // nothing to close yet
    ASSERT_EQ(CHtmlGen::CreateEmptyTitle(file), 0);
    ASSERT_EQ(CHtmlGen::WriteStrToFile("Тело\r\n", file, CHtmlGen::kAppend), 0);
    ASSERT_EQ(CHtmlGen::CreateEmptyPS(file), 0);
    std::string page = Read(file);
    EXPECT_EQ(page,
              "<HEADER>\r\n<TITLE>\r\n</TITLE>\r\n</HEADER>\r\n"
              "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\r\n<BODY>\r\nТело\r\n</BODY>\r\n");
    EXPECT_EQ(CHtmlGen::GetBody(&page), "Тело\r\n");
    EXPECT_NE(page.find("<body>"), std::string::npos);  // lower-cased in place

    struct Case { std::string text, body; };
    const Case bodies[] = {{"<body>x</body>", "x"}, {"<BODY>\nA</Body>", "a"}, {"no tags", ""},
                           {"<body>open", ""},     {"</body><body>", ""},     {"", ""}};
    for (auto c : bodies) EXPECT_EQ(CHtmlGen::GetBody(&c.text), c.body) << c.text;
    EXPECT_EQ(CHtmlGen::GetBody(nullptr), "");
}

TEST(HtmlGenValues, ReadHtmlToStringAppendsTheLinesLeft) {
    struct Case { std::string file; int skipLines; std::string before, after; };
    const Case cases[] = {
        {"<p>a</p>\r\n<p>b</p>\r\n", 0, "", "<p>a</p>\n<p>b</p>\n"},
        {"one\ntwo", 0, "head\n", "head\none\ntwo\n"},  // the last line is ended too
        {"one\ntwo\nthree\n", 1, "", "two\nthree\n"},     // only what is left in the file
        {"\n\r\n", 0, "", "\n\n"},
        {"", 0, "kept", "kept"},
        {std::string("a\0b\n", 4), 0, "", std::string("a\0b\n", 4)},
    };
    for (const Case& c : cases) {
        std::istringstream file(c.file);
        std::string skipped;
        for (int i = 0; i < c.skipLines; ++i) std::getline(file, skipped);
        std::string text = c.before;
        EXPECT_EQ(CHtmlGen::ReadHtmlToString(&text, file), 0);
        EXPECT_EQ(text, c.after) << c.file;
    }
    std::istringstream file("x\n");
    EXPECT_EQ(CHtmlGen::ReadHtmlToString(nullptr, file), 0);
}

TEST_F(HtmlGenTest, WriteStrToFileFlags) {
    const auto file = Path("w.txt");
    EXPECT_EQ(CHtmlGen::WriteStrToFile("x", file, CHtmlGen::kCreate | CHtmlGen::kAppend), -2);
    EXPECT_EQ(CHtmlGen::WriteStrToFile("x", file, 0), -2);  // must exist without the create bit
    EXPECT_EQ(CHtmlGen::WriteStrToFile("x", file, CHtmlGen::kAppend), -2);
    EXPECT_FALSE(std::filesystem::exists(file));
    ASSERT_EQ(CHtmlGen::WriteStrToFile("hello", file, CHtmlGen::kCreate), 0);
    ASSERT_EQ(CHtmlGen::WriteStrToFile("!", file, CHtmlGen::kAppend), 0);
    ASSERT_EQ(CHtmlGen::WriteStrToFile("J", file, 0), 0);
    EXPECT_EQ(Read(file), "Jello!");
    EXPECT_EQ(CHtmlGen::WriteStrToFile("x", Path("no/such/dir.txt"), CHtmlGen::kCreate), -2);
}

TEST(HtmlGenValues, GetNextStringTakesAndRemoves) {
    std::string list = "a;;b";
    EXPECT_EQ(CHtmlGen::GetNextString(list, ';'), "a");
    EXPECT_EQ(CHtmlGen::GetNextString(list, ';'), "");
    EXPECT_EQ(CHtmlGen::GetNextString(list, ';'), "b");
    EXPECT_EQ(list, "");
    EXPECT_EQ(CHtmlGen::GetNextString(list, ';'), "");
}

// A report template: title slots, a row part of two slots with a colour, a parameter part and
// a closing part.
const char* kTemplate =
    "<html sec=0>##</html>\r\n"
    "<h1>sec=1</h1>\r\n"
    "<p>##</p>\r\n"
    "<p>no slot</p>\r\n"
    "<table>\r\n"
    "<tr sec=2 bgcolor=#000000>\r\n"
    "<td>##</td>\r\n"
    "<td>##</td>\r\n"
    "</tr>\r\n"
    "<tr><td fcolor bcolor>##</td></tr>\r\n"
    "<!-- sec=3 -->\r\n"
    "</table>##\r\n";

TEST_F(HtmlGenTest, TemplatedReport) {
    const auto tpl = Path("table.htm"), out = Path("report.htm");
    ASSERT_TRUE(WriteFileAtomically(tpl, kTemplate));
    CHtmlGen gen(2, 2, tpl, out, ';');
    ASSERT_EQ(gen.CreateTitle("T1;T2;unused"), 0);
    // The lines between the title part and the row part keep their line ends.
    EXPECT_EQ(Read(out), "<html sec=0>T1</html>\r\n<h1>sec=1</h1>\r\n<p>T2</p>\r\n<p>no slot</p>\r\n<table>\r\n");

    ASSERT_EQ(gen.AddRow("v1;v2", 0x00FF1005), 0);  // RGB(5, 16, 255)
    ASSERT_EQ(gen.AddRow("only", 0), 0);            // a short list leaves "&nbsp"
    ASSERT_EQ(gen.AddParam("fcolor ## bcolor", "red", "blue"), 0);
    ASSERT_EQ(gen.CreatePS("end"), 0);
    EXPECT_EQ(Read(out),
              "<html sec=0>T1</html>\r\n<h1>sec=1</h1>\r\n<p>T2</p>\r\n<p>no slot</p>\r\n<table>\r\n"
              "<tr sec=2 bgcolor=#0510FF>\r\n<td>v1</td>\r\n<td>v2</td>\r\n</tr>\r\n"
              "<tr sec=2 bgcolor=#000000>\r\n<td>only</td>\r\n<td>&nbsp</td>\r\n</tr>\r\n"
              // The parameter search starts at the row part and stops at its first slot.
              "<tr sec=2 bgcolor=#000000>\r\n<td>fcolor ## bcolor</td>\r\n"
              "<!-- sec=3 -->\r\n</table>end\r\n");
}

TEST_F(HtmlGenTest, TemplatesWithoutSectionsAndMissingFiles) {
    const auto tpl = Path("t.htm"), out = Path("o.htm");
    CHtmlGen gen(1, 1, tpl, out, ';');
    EXPECT_EQ(gen.CreateTitle("x"), -1);
    EXPECT_EQ(gen.AddRow("x", 0), -1);
    ASSERT_TRUE(WriteFileAtomically(tpl, "a ## sec=0\nb\nc ##\n"));
    EXPECT_EQ(gen.AddRow("x", 0), -2);  // no output yet
    EXPECT_EQ(gen.CreatePS("x"), -2);
    // Without "sec=2" the rest is copied; without "sec=3" no closing part.
    ASSERT_EQ(gen.CreateTitle("v"), 0);
    EXPECT_EQ(Read(out), "a v sec=0\r\nb\r\nc ##\r\n");
    ASSERT_EQ(gen.CreatePS("z"), 0);
    EXPECT_EQ(Read(out), "a v sec=0\r\nb\r\nc ##\r\n");
    CHtmlGen toDir(1, 1, tpl, Path("no/dir/o.htm"), ';');
    EXPECT_EQ(toDir.CreateTitle("v"), -2);
}

// Templates a user may hand us: no markers, binary bytes, very long lines, no line ends.
TEST_F(HtmlGenTest, HostileTemplatesAreCopiedSafely) {
    std::string binary;
    for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
    const std::string hostile[] = {
        "",
        "plain text without markers",
        binary + binary,
        std::string(1 << 20, '#'),
        "sec=0" + std::string(200000, 'x') + "##\n" + std::string(300000, '\r') + "sec=2\n##\nsec=3##",
        "sec=2\nsec=2\n#000000##\n\n\n</tr>sec=3\n##",
        "\n\n\n\r\r\r##sec=1##sec=0",
    };
    const auto tpl = Path("h.htm"), out = Path("h-out.htm");
    for (const auto& text : hostile) {
        ASSERT_TRUE(WriteFileAtomically(tpl, text));
        CHtmlGen gen(255, 255, tpl, out, ';');
        EXPECT_EQ(gen.CreateTitle(";;;"), 0);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(gen.AddRow("a;b", 0xFFFFFFFF), 0);
            EXPECT_EQ(gen.AddParam("p", "f", "b"), 0);
        }
        EXPECT_EQ(gen.CreatePS(""), 0);
        std::string html = Read(out);
        CHtmlGen::GetBody(&html);
    }
}

}  // namespace
