// Hostile exchange files: each fails with a clear error and leaves an empty store.
#include <gtest/gtest.h>

#include <random>

#include "platform/tests/zordata/store_fixture.h"

class Hostile : public StoreTest {
protected:
    // A small store of every kind of value, saved; returns the file.
    std::string SampleFile();
};

namespace {
std::string File(const std::string& data) {
    return "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((''),'2;1');\nFILE_SCHEMA(('QUILLMARK'));\nENDSEC;\nDATA;\n" + data +
           "ENDSEC;\nEND-ISO-10303-21;\n";
}
}  // namespace

TEST_F(Hostile, EachBadFileFailsWithItsCode) {
    struct Case { std::string text; int code; const char* hint; };
    const Case cases[] = {
        {File("#1=ZOR_COL('open,1,2);\n"), zorErrFileSyntax, "незакрытая строка"},
        {File("#1=ZOR_REPORT_SHEET($,#99,$,$,$,$,$,$);\n"), zorErrFileReference, "#99"},
        {File("#1=ZOR_REPORT_SHEET($,$,$,$,$,$,$,(#1,#5));\n"), zorErrFileReference, "#5"},
        {File("#1=ZOR_POINT('1',2);\n"), zorErrFileValue, "x"},
        {File("#1=ZOR_COL(5,1,2);\n"), zorErrFileValue, "name"},
        {File("#1=ZOR_POINT(1.5,2);\n"), zorErrFileValue, "вещественное"},
        {File("#1=ZOR_POINT(1,2);\n#2=ZOR_REPORT_RECT($,$,$,#1,$,$);\n"), zorErrFileValue, "ZOR_VALUE"},
        {File("#1=ZOR_POINT(1,2);\n#2=ZOR_REPORT_RECT($,(#1),$,$,$,$);\n"), zorErrFileValue, "org_pt"},
        {File("#1=ZOR_LEVEL($,#1,$,$);\n"), zorErrFileValue, "cols"},
        {File("#1=ZOR_LEVEL($,(1,2),$,$);\n"), zorErrFileValue, "cols"},
        {File("#1=ZOR_POINT(1,2,3);\n"), zorErrFileValue, "больше параметров"},
        {File("#1=ZOR_POINT(1);\n"), zorErrFileValue, "меньше параметров"},
        {File("#1=ZOR_POINT();\n"), zorErrFileValue, "меньше параметров"},
        {File("#1=NO_SUCH_THING(1);\n"), zorErrFileValue, "NO_SUCH_THING"},
        {File("#1=ZOR_POINT(1,2);\n#1=ZOR_POINT(3,4);\n"), zorErrFileSyntax, "дважды"},
        {File("#1=ZOR_POINT(99999999999,2);\n"), zorErrFileNumber, "диапазона"},
        {File("#1=ZOR_POINT(2147483648,2);\n"), zorErrFileNumber, "диапазона"},
        {File("#1=ZOR_TABLE_CONTENT_TITLE_LEVEL(1E999,$);\n"), zorErrFileNumber, "диапазона"},
        {File("#1=ZOR_REPORT_RECT($,#99999999999999999999999,$,$,$,$);\n"), zorErrFileNumber, "номер"},
        {File("#0=ZOR_POINT(1,2);\n"), zorErrFileSyntax, "#0"},
        {File("#1=ZOR_REPORT_PIC($,$,$,$,$,$,\"1F\",$);\n"), zorErrFileValue, "целых байтов"},
        {File("#1=ZOR_REPORT_PIC($,$,$,$,$,$,\"0ZZ\",$);\n"), zorErrFileValue, "цифра"},
        {File("#1=ZOR_REPORT_PIC($,$,$,$,$,$,\"00\n"), zorErrFileSyntax, "двоичные"},
        {File("#1=ZOR_COL('\\X2\\D800\\X0\\',1,2);\n"), zorErrFileSyntax, "суррогат"},
        {File("#1=ZOR_COL('\\X4\\00110000\\X0\\',1,2);\n"), zorErrFileSyntax, "символ"},
        {File("#1=ZOR_COL('\\X2\\041F',1,2);\n"), zorErrFileSyntax, "шестнадцатеричная"},
        {File("#1=ZOR_COL('\\Q\\',1,2);\n"), zorErrFileSyntax, "'\\'"},
        {File(std::string("#1=ZOR_COL('a\0b',1,2);\n", 24)), zorErrFileSyntax, "нулевой"},
        {File("#1=(ZOR_POINT(1,2)ZOR_COL('a',1,2));\n"), zorErrFileSyntax, "составные"},
        {File("#1=ZOR_POINT(1,2)\n"), zorErrFileSyntax, "';'"},
        {File("/* open comment\n"), zorErrFileSyntax, "комментарий"},
        {File("#1=ZOR_POINT(1,2);\n") + "garbage", zorErrFileSyntax, "после"},
        {"ISO-10303-21;\nHEADER;\nFILE_SCHEMA(('QUILLMARK'));\nENDSEC;\nANCHOR;\nENDSEC;\nEND-ISO-10303-21;\n",
         zorErrFileSyntax, "ANCHOR"},
        {"ISO-10303-21;\nHEADER;\nENDSEC;\nDATA;\nENDSEC;\nEND-ISO-10303-21;\n", zorErrFileSchema, "FILE_SCHEMA"},
        {"ISO-10303-21;\nHEADER;\nFILE_NAME(" + std::string(5000, '(') + ");\n", zorErrFileSyntax, "вложенность"},
        {"ISO-10303-21;\nHEADER;\nFILE_SCHEMA(('QUILLMARK'));\nENDSEC;\nDATA;\n#1=ZOR_POINT(1,", zorErrFileSyntax, "оборван"},
        {"hello", zorErrFileSyntax, "ISO-10303-21"},
        {std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10), zorErrFileSyntax, "0x7F"},
    };
    for (const Case& c : cases) {
        Point(1, 2);
        Write(Path("bad.zordot"), c.text);
        EXPECT_FALSE(store.LoadFromFile(Path("bad.zordot").c_str())) << c.text;
        EXPECT_EQ(store.GetLastError(), c.code) << c.text;
        EXPECT_EQ(store.GetInstanceCount(), 0) << c.text;
        EXPECT_EQ(store.GetInstances().GetSize(), 0) << c.text;
        const std::string desc = store.GetLastErrorDescription();
        EXPECT_NE(desc.find(c.hint), std::string::npos) << desc;
        EXPECT_NE(desc.find("bad.zordot"), std::string::npos) << desc;
        EXPECT_FALSE(store.IsReadOnly());
    }
}

TEST_F(Hostile, SparseNumbersAreFine) {
    Write(Path("sparse.zordot"), File("#4000000000=ZOR_POINT(1,2);\n#3=ZOR_REPORT_RECT($,#4000000000,$,$,$,$);\n"));
    ASSERT_TRUE(store.LoadFromFile(Path("sparse.zordot").c_str())) << store.GetLastErrorDescription();
    CzorInstance* pt = nullptr;
    EXPECT_TRUE(store.GetAttrBN(Extent("zor_report_rect")[0], "org_pt", pt));
    EXPECT_EQ(pt, Extent("zor_point")[0]);
}

std::string Hostile::SampleFile() {
    CzorStepDataWithFile& s = store;
    CzorInstance* sheet = s.CreateInstanceBN("zor_report_sheet");
    s.PutAttrBN(sheet, "name", "Лист1 'x' \\");
    CzorTAggr<CzorInstance> elems;
    for (int k = 0; k < 3; ++k) {
        CzorInstance* e = s.CreateInstanceBN(k == 1 ? "zor_report_pic" : "zor_report_rect");
        s.PutAttrBN(e, "org_pt", Point(k, -k));
        elems.Add(e);
        if (k == 1) s.PutIntegratedBlob(e, s.GetAttrDefinition(s.GetEntityBN("zor_report_pic"), "picture"), "\0\1\2", 3);
    }
    s.PutAttrBN(sheet, "elems", elems);
    CzorInstance* lvl = s.CreateInstanceBN("zor_table_content_title_level");
    s.PutAttrBN(lvl, "para_delta", 1.25);
    EXPECT_TRUE(s.SaveToFile(Path("sample.zordot").c_str()));
    return StoreTest::Read(Path("sample.zordot"));
}

TEST_F(Hostile, EveryTruncationFailsCleanly) {
    const std::string good = SampleFile();
    for (size_t n = 1; n + 1 < good.size(); ++n) {
        Write(Path("cut.zordot"), good.substr(0, n));
        ASSERT_FALSE(store.LoadFromFile(Path("cut.zordot").c_str())) << n;
        ASSERT_NE(store.GetLastError(), 0) << n;
        ASSERT_EQ(store.GetInstances().GetSize(), 0) << n;
    }
}

TEST_F(Hostile, RandomDamageNeverCrashes) {
    const std::string good = SampleFile();
    std::mt19937 rng(12345);
    const char alphabet[] = "#$()',;=.\\\"0123456789EXZ_ \n\x80\xff";
    int loaded = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string bad = good;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            const size_t at = rng() % bad.size();
            switch (rng() % 3) {
            case 0: bad[at] = alphabet[rng() % (sizeof alphabet - 1)]; break;
            case 1: bad.erase(at, 1 + rng() % 8); break;
            default: bad.insert(at, 1, alphabet[rng() % (sizeof alphabet - 1)]); break;
            }
            if (bad.empty()) bad = "x";
        }
        Write(Path("fuzz.zordot"), bad);
        if (store.LoadFromFile(Path("fuzz.zordot").c_str())) {
            ++loaded;  // a harmless edit (inside a text, a digit of a number)
            continue;
        }
        ASSERT_NE(store.GetLastError(), 0);
        ASSERT_EQ(store.GetInstances().GetSize(), 0);
    }
    EXPECT_LT(loaded, 1500);
}
