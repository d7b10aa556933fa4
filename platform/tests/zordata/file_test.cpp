// Exchange files: round trips, the written form, read-only files, atomic saves, blobs.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <ctime>
#include <limits>
#include <filesystem>

#include "platform/tests/zordata/store_fixture.h"
#include "platform/zordata/clock.h"

using File = StoreTest;

namespace {
std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> r;
    for (const auto& e : std::filesystem::directory_iterator(dir)) r.push_back(e.path().filename().string());
    std::sort(r.begin(), r.end());
    return r;
}
}  // namespace

TEST_F(File, EveryValueTypeRoundTrips) {
    const int ints[] = {0, -1, 42, INT_MAX, INT_MIN};
    const double reals[] = {0.0, 1.0, -2.5, 0.1, 1e300, -1e-300, 5e-324, 123456789.125, 1e21, 3.0e-7};
    const std::string texts[] = {"", "Отчёт о продажах", "it's", "C:\\path\\file", "две\nстроки\tи табуляция",
                                 "''", "эмодзи 😀", "\\X\\41 stays as typed", "/* not a comment */"};
    std::vector<CzorInstance*> fonts, levels, cols;
    for (int i : ints) {
        fonts.push_back(store.CreateInstanceBN("zor_font"));
        store.PutAttrBN(fonts.back(), "height", i);
    }
    for (double d : reals) {
        levels.push_back(store.CreateInstanceBN("zor_table_content_title_level"));
        store.PutAttrBN(levels.back(), "para_delta", d);
    }
    for (const std::string& s : texts) {
        cols.push_back(store.CreateInstanceBN("zor_col"));
        store.PutAttrBN(cols.back(), "name", s);
    }
    CzorInstance* unset = store.CreateInstanceBN("zor_font");
    RoundTrip();

    const auto f = Extent("zor_font"), l = Extent("zor_table_content_title_level"), c = Extent("zor_col");
    ASSERT_EQ(f.size(), std::size(ints) + 1);
    ASSERT_EQ(l.size(), std::size(reals));
    ASSERT_EQ(c.size(), std::size(texts));
    for (size_t k = 0; k < std::size(ints); ++k) {
        int v = 1;
        ASSERT_TRUE(store.GetAttrBN(f[k], "height", v));
        EXPECT_EQ(v, ints[k]);
    }
    for (size_t k = 0; k < std::size(reals); ++k) {
        double v = 1;
        ASSERT_TRUE(store.GetAttrBN(l[k], "para_delta", v));
        EXPECT_EQ(v, reals[k]);
    }
    for (size_t k = 0; k < std::size(texts); ++k) {
        std::string v = "?";
        ASSERT_TRUE(store.GetAttrBN(c[k], "name", v));
        EXPECT_EQ(v, texts[k]);
    }
    int h = 77;
    EXPECT_FALSE(store.GetAttrBN(f.back(), "height", h));
    EXPECT_EQ(h, 77);
    (void)unset;
}

TEST_F(File, ReferencesListsAndExtentOrderRoundTrip) {
    CzorInstance* report = store.CreateInstanceBN("zor_report");
    std::vector<CzorInstance*> sheets;
    for (int k = 0; k < 3; ++k) {
        sheets.push_back(store.CreateInstanceBN("zor_report_sheet"));
        store.PutAttrBN(sheets.back(), "name", "Лист" + std::to_string(k + 1));
    }
    CzorTAggr<CzorInstance> order;
    order.Add(sheets[2]);
    order.Add(sheets[0]);
    order.Add(sheets[1]);
    store.PutAttrBN(report, "sheets", order);
    store.PutAttrBN(report, "params", CzorTAggr<CzorInstance>());
    // elements of several kinds interleaved; each refers to points created after it
    const char* kinds[] = {"zor_report_table", "zor_report_rect", "zor_report_line", "zor_report_rect", "zor_report_pic"};
    CzorTAggr<CzorInstance> elems;
    for (const char* k : kinds) {
        CzorInstance* e = store.CreateInstanceBN(k);
        elems.Add(e);
        store.PutAttrBN(e, "org_pt", Point(10, -20));
        store.PutAttrBN(e, "size", Point(300, 400));
    }
    store.PutAttrBN(sheets[0], "elems", elems);
    CzorInstance* param = store.CreateInstanceBN("zor_report_param");
    store.PutAttrBN(param, "parent", param);  // a reference to itself
    RoundTrip();

    ASSERT_EQ(Extent("zor_report").size(), 1u);
    CzorInstance* r = Extent("zor_report")[0];
    CzorTAggr<CzorInstance> got;
    ASSERT_TRUE(store.GetAttrBN(r, "sheets", got));
    const auto s = Extent("zor_report_sheet");
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(std::vector<CzorInstance*>(got.begin(), got.end()), (std::vector<CzorInstance*>{s[2], s[0], s[1]}));
    std::string name;
    store.GetAttrBN(s[2], "name", name);
    EXPECT_EQ(name, "Лист3");
    ASSERT_TRUE(store.GetAttrBN(r, "params", got));
    EXPECT_EQ(got.GetSize(), 0);

    const auto all = Extent("zor_report_sheet_element");
    ASSERT_EQ(all.size(), 3u + std::size(kinds));
    for (size_t k = 0; k < std::size(kinds); ++k) EXPECT_EQ(all[3 + k]->GetEntity()->GetName(), kinds[k]);
    ASSERT_TRUE(store.GetAttrBN(s[0], "elems", got));
    EXPECT_EQ(std::vector<CzorInstance*>(got.begin(), got.end()), std::vector<CzorInstance*>(all.begin() + 3, all.end()));
    CzorInstance* pt = nullptr;
    ASSERT_TRUE(store.GetAttrBN(all[4], "size", pt));
    int x = 0;
    store.GetAttrBN(pt, "x", x);
    EXPECT_EQ(x, 300);
    CzorInstance* p = Extent("zor_report_param")[0];
    CzorInstance* parent = nullptr;
    EXPECT_TRUE(store.GetAttrBN(p, "parent", parent));
    EXPECT_EQ(parent, p);
}

TEST_F(File, WrittenFormIsReadableAndStable) {
    CzorInstance* rect = store.CreateInstanceBN("zor_report_rect");
    store.PutAttrBN(rect, "name", "Текст 'в кавычках'");
    store.PutAttrBN(rect, "org_pt", Point(100, -250));
    CzorInstance* title = store.CreateInstanceBN("zor_table_content_element");
    store.PutAttrBN(title, "width", 3.0);
    store.PutAttrBN(store.CreateInstanceBN("zor_level"), "cols", CzorTAggr<CzorInstance>());
    CzorInstance* pic = store.CreateInstanceBN("zor_report_pic");
    ASSERT_TRUE(store.PutIntegratedBlob(pic, A("zor_report_pic", "picture"), "\x00\xAB\x10", 3));
    ASSERT_TRUE(store.SaveToFile(Path("a.zordot").c_str()));
    const std::string text = Read(Path("a.zordot"));
    EXPECT_EQ(text.rfind("ISO-10303-21;\nHEADER;\n", 0), 0u);
    EXPECT_NE(text.find("FILE_SCHEMA(('QUILLMARK'));"), std::string::npos);
    EXPECT_NE(text.find("#1=ZOR_REPORT_RECT('Текст ''в кавычках''',#2,$,$,$,$);"), std::string::npos) << text;
    EXPECT_NE(text.find("#2=ZOR_POINT(100,-250);"), std::string::npos);
    EXPECT_NE(text.find("#3=ZOR_TABLE_CONTENT_ELEMENT($,$,$,$,$,$,$,3.,$,$);"), std::string::npos);
    EXPECT_NE(text.find("#4=ZOR_LEVEL($,(),$,$);"), std::string::npos);
    EXPECT_NE(text.find("#5=ZOR_REPORT_PIC($,$,$,$,$,$,\"000AB10\",$);"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 26), "ENDSEC;\nEND-ISO-10303-21;\n");

    store.ClearData();
    ASSERT_TRUE(store.LoadFromFile(Path("a.zordot").c_str()));
    // Written again at the same time under the same name, the file is the same byte for byte.
    ASSERT_TRUE(store.SaveToFile(Path("a.zordot").c_str()));
    EXPECT_EQ(Read(Path("a.zordot")), text);
}

TEST_F(File, DeletedInstancesLeaveNoReferenceBehind) {
    CzorInstance* sheet = store.CreateInstanceBN("zor_report_sheet");
    CzorInstance* gone = store.CreateInstanceBN("zor_report_rect");
    CzorInstance* kept = store.CreateInstanceBN("zor_report_line");
    CzorTAggr<CzorInstance> elems;
    elems.Add(gone);
    elems.Add(kept);
    store.PutAttrBN(sheet, "elems", elems);
    CzorInstance* pt = Point(1, 2);
    store.PutAttrBN(kept, "org_pt", pt);
    CzorInstance* ref = store.CreateInstanceBN("zor_reference_element");
    store.PutAttrBN(ref, "element", sheet);
    store.DeleteInstance(gone);
    store.DeleteInstance(pt);
    ASSERT_TRUE(store.SaveToFile(Path("d.zordot").c_str()));
    const std::string text = Read(Path("d.zordot"));
    EXPECT_NE(text.find("#1=ZOR_REPORT_SHEET($,$,$,$,$,$,$,(#2));"), std::string::npos) << text;
    EXPECT_NE(text.find("#2=ZOR_REPORT_LINE($,$,$,$,$,$);"), std::string::npos) << text;
    EXPECT_NE(text.find("#3=ZOR_REFERENCE_ELEMENT($,$,$,$,$,$,#1);"), std::string::npos) << text;
    EXPECT_EQ(text.find("#4"), std::string::npos);
    store.ClearData();
    ASSERT_TRUE(store.LoadFromFile(Path("d.zordot").c_str())) << store.GetLastErrorDescription();
    EXPECT_EQ(store.GetInstanceCount(), 3);
}

TEST_F(File, EscapesLineBreaksAndCommentsAreRead) {
    Write(Path("h.zordot"),
          "ISO-10303-21;\r\nHEADER;\n/* written by hand */\nFILE_DESCRIPTION(('x'),'2;1');\n"
          "FILE_NAME('n','2024-01-01T00:00:00',('a'),('b'),'p','s','');\nFILE_SCHEMA(('quillmark','OTHER'));\nENDSEC;\n"
          "DATA;\n"
          "#10=ZOR_COL('\\X\\E9t\\X\\E9 \\X2\\041F04400438043204350442\\X0\\ \\X4\\0001F600\\X0\\ \\S\\i \\\\',\n"
          "  3, /* a comment */ 7);\n"
          "#20 = zor_col ( 'line\n broken' , $ , -0 ) ;\n"
          "#7=ZOR_TABLE_CONTENT_TITLE_LEVEL(2,$);\n"
          "ENDSEC;\nEND-ISO-10303-21;\n\n");
    ASSERT_TRUE(store.LoadFromFile(Path("h.zordot").c_str())) << store.GetLastErrorDescription();
    const auto cols = Extent("zor_col");
    ASSERT_EQ(cols.size(), 2u);
    std::string s;
    store.GetAttrBN(cols[0], "name", s);
    EXPECT_EQ(s, "été Привет 😀 é \\");
    store.GetAttrBN(cols[1], "name", s);
    EXPECT_EQ(s, "line broken");
    int t = 1;
    EXPECT_TRUE(store.GetAttrBN(cols[1], "col_type", t));
    EXPECT_EQ(t, 0);
    double d = 0;
    EXPECT_TRUE(store.GetAttrBN(Extent("zor_table_content_title_level")[0], "para_delta", d));  // an integer where a real goes
    EXPECT_EQ(d, 2.0);
}

// The header declares the third edition's level, whose strings hold UTF-8 as it is, and names the file and
// the time it was written (the clock in force, fixed here).
TEST_F(File, TheHeaderNamesTheEditionTheFileAndTheTime) {
    CzorInstance* col = store.CreateInstanceBN("zor_col");
    store.PutAttrBN(col, "name", "Привет");
    ASSERT_TRUE(store.SaveToFile(Path("it's.zordot").c_str())) << store.GetLastErrorDescription();
    const std::string text = Read(Path("it's.zordot"));
    EXPECT_EQ(text.substr(0, text.find("DATA;")),
              "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION((''),'3;1');\n"
              "FILE_NAME('it''s.zordot','2024-03-05T12:00:00',(''),(''),'','','');\n"
              "FILE_SCHEMA(('QUILLMARK'));\nENDSEC;\n");
    EXPECT_NE(text.find("#1=ZOR_COL('Привет',$,$);"), std::string::npos) << text;

    // Without a fixed clock the time stamp is now's.
    zor::ScopedClock system({});
    ASSERT_TRUE(store.SaveToFile(Path("now.zordot").c_str()));
    const std::string now = Read(Path("now.zordot"));
    char year[8];
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    std::strftime(year, sizeof year, "%Y", &local);
    EXPECT_NE(now.find("FILE_NAME('now.zordot','" + std::string(year) + "-"), std::string::npos) << now;
}

// Texts as other writers write them by the standard: print controls anywhere, characters of the code pages
// ISO 8859-1 to -9 with \S\ after \PA\ to \PI\. A NUL by \X\00 is refused rather than cutting the text.
TEST_F(File, TextsFromOtherWritersLoadWithTheirCharacters) {
    const struct {
        const char* name;
        const char* literal;  // the string as the file holds it
        const char* text;     // what it loads as; null: the file is refused
    } cases[] = {
        {"print controls", "a\\N\\b\\F\\c\\N\\", "abc"},
        {"print controls only", "\\N\\\\F\\", ""},
        {"print control between characters of a code page", "\\PE\\\\S\\?\\N\\\\S\\`", "Пр"},
        {"Cyrillic, ISO 8859-5", "\\PE\\\\S\\?\\S\\`\\S\\X\\S\\R\\S\\U\\S\\b", "Привет"},
        {"the page stays for the rest of the text", "\\PE\\abc \\S\\?", "abc П"},
        {"Latin-1 by default and by \\PA\\", "\\S\\D\\PA\\\\S\\D", "ÄÄ"},
        {"Latin-2, ISO 8859-2", "\\PB\\\\S\\3\\S\\sd\\S\\<", "łódź"},
        {"Greek, ISO 8859-7", "\\PG\\\\S\\Y", "Ω"},
        {"a later page replaces an earlier", "\\PE\\\\S\\?\\PA\\\\S\\D", "ПÄ"},
        {"\\X\\ and \\X2\\ beside them", "\\X\\E9\\N\\\\X2\\041F\\X0\\", "éП"},
        {"\\X\\00", "a\\X\\00b", nullptr},
        {"a byte the code page leaves undefined", "\\PF\\\\S\\!", nullptr},
        {"\\S\\ of a byte that is not a printable character", "\\S\\\x7F", nullptr},
        {"an unknown page", "\\PJ\\x", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write(Path("other.zordot"),
              std::string("ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('another writer\\N\\'),'2;1');\n"
                          "FILE_NAME('other\\F\\','2024-01-01T00:00:00',(''),(''),'','','');\n"
                          "FILE_SCHEMA(('QUILLMARK'));\nENDSEC;\nDATA;\n#1=ZOR_COL('") +
                  c.literal + "',$,$);\nENDSEC;\nEND-ISO-10303-21;\n");
        const bool loaded = store.LoadFromFile(Path("other.zordot").c_str());
        if (!c.text) {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(store.GetLastError(), zorErrFileSyntax);
            EXPECT_EQ(store.GetInstanceCount(), 0);
            continue;
        }
        ASSERT_TRUE(loaded) << store.GetLastErrorDescription();
        std::string text = "?";
        ASSERT_EQ(Extent("zor_col").size(), 1u);
        EXPECT_TRUE(store.GetAttrBN(Extent("zor_col")[0], "name", text));
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(File, EmptyFileIsAnEmptyStoreAndOtherSchemasAreRefused) {
    Point(1, 2);
    Write(Path("empty.zordot"), "");
    EXPECT_TRUE(store.LoadFromFile(Path("empty.zordot").c_str())) << store.GetLastErrorDescription();
    EXPECT_EQ(store.GetInstanceCount(), 0);

    Point(1, 2);
    Write(Path("other.zordot"), "ISO-10303-21;\nHEADER;\nFILE_SCHEMA(('AUTOMOTIVE_DESIGN'));\nENDSEC;\nDATA;\n"
                                "#1=ZOR_POINT(1,2);\nENDSEC;\nEND-ISO-10303-21;\n");
    EXPECT_FALSE(store.LoadFromFile(Path("other.zordot").c_str()));
    EXPECT_EQ(store.GetLastError(), zorErrFileSchema);
    EXPECT_NE(std::string(store.GetLastErrorDescription()).find("AUTOMOTIVE_DESIGN"), std::string::npos);
    EXPECT_EQ(store.GetInstanceCount(), 0);
    EXPECT_FALSE(store.LoadFromFile(Path("missing.zordot").c_str()));
    EXPECT_EQ(store.GetLastError(), zorErrFileOpen);
    EXPECT_FALSE(store.LoadFromFile(dir.c_str()));
    EXPECT_EQ(store.GetLastError(), zorErrFileOpen);

    CzorStepDataWithFile bare;  // no dictionary loaded
    EXPECT_FALSE(bare.LoadFromFile(Path("empty.zordot").c_str()));
    EXPECT_EQ(bare.GetLastError(), zorErrNoDictionary);
}

TEST_F(File, ReadOnlyFilesLoadWithCode24AndRefuseSaving) {
    Point(5, 6);
    const std::string path = Path("ro.zordot");
    ASSERT_TRUE(store.SaveToFile(path.c_str()));
    const std::string before = Read(path);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    store.ClearData();
    EXPECT_FALSE(store.LoadFromFile(path.c_str()));
    EXPECT_EQ(store.GetLastError(), 24);
    EXPECT_STREQ(CzorStepData::GetErrorDescription(24), "Файл доступен только для чтения");
    EXPECT_TRUE(store.IsReadOnly());
    EXPECT_EQ(store.GetInstanceCount(), 1);  // loaded all the same

    Point(7, 8);  // changes in memory are allowed
    EXPECT_FALSE(store.SaveToFile(path.c_str()));
    EXPECT_EQ(store.GetLastError(), 24);
    EXPECT_EQ(Read(path), before);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"ro.zordot"});

    EXPECT_TRUE(store.SaveToFile(Path("copy.zordot").c_str()));  // saving elsewhere works
    EXPECT_FALSE(store.IsReadOnly());
    ASSERT_TRUE(store.LoadFromFile(Path("copy.zordot").c_str()));
    EXPECT_FALSE(store.IsReadOnly());
}

TEST_F(File, SaveIntoAFolderWithoutWritePermissionKeepsTheOldFile) {
    Point(1, 1);
    const std::string path = Path("keep.zordot");
    ASSERT_TRUE(store.SaveToFile(path.c_str()));
    const std::string before = Read(path);
    if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root; see FailedWritesKeepTheOldFile";
    ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
    Point(2, 2);
    EXPECT_FALSE(store.SaveToFile(path.c_str()));
    EXPECT_EQ(store.GetLastError(), zorErrFileWrite);
    ::chmod(dir.c_str(), 0755);
    EXPECT_EQ(Read(path), before);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"keep.zordot"});
}

TEST_F(File, FailedWritesKeepTheOldFile) {
    // A file-size limit makes the write fail halfway, for root as well.
    Point(1, 1);
    const std::string path = Path("keep.zordot");
    ASSERT_TRUE(store.SaveToFile(path.c_str()));
    const std::string before = Read(path);
    for (int k = 0; k < 2000; ++k) Point(k, -k);
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = store.SaveToFile(path.c_str());
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(store.GetLastError(), zorErrFileWrite);
    EXPECT_EQ(Read(path), before);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"keep.zordot"});

    EXPECT_FALSE(store.SaveToFile(dir.c_str()));  // a folder is no file
    EXPECT_FALSE(store.SaveToFile((dir + "/no/such/folder.zordot").c_str()));
    EXPECT_EQ(store.GetLastError(), zorErrFileWrite);
}

// A file of more than a megabyte goes out block by block: whatever fails after the first block has reached the
// temporary file (the disk, a value that can't be written) leaves the old file and no temporary file.
TEST_F(File, LargeFilesAreWrittenWholeOrNotAtAll) {
    CzorInstance* first = Point(1, 1);
    const std::string path = Path("big.zordot");
    ASSERT_TRUE(store.SaveToFile(path.c_str()));
    const std::string before = Read(path);
    for (int k = 0; k < 30000; ++k) {
        CzorInstance* rect = store.CreateInstanceBN("zor_report_rect");
        store.PutAttrBN(rect, "name", "Ячейка " + std::to_string(k));
        store.PutAttrBN(rect, "org_pt", first);
    }
    CzorInstance* last = store.CreateInstanceBN("zor_table_content_element");

    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1200 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = store.SaveToFile(path.c_str());
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(store.GetLastError(), zorErrFileWrite);
    EXPECT_TRUE(Read(path) == before);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"big.zordot"});

    // The store refuses such a real; a caller writing through the value's pointer is not stopped.
    CzorValue* width = nullptr;
    store.PutAttrBN(last, "width", 1.0);
    ASSERT_TRUE(store.GetAttr(last, A("zor_table_content_element", "width"), &width));
    width->Set(std::numeric_limits<double>::infinity());
    EXPECT_FALSE(store.SaveToFile(path.c_str()));
    EXPECT_EQ(store.GetLastError(), zorErrFileValue);
    EXPECT_TRUE(Read(path) == before);
    EXPECT_EQ(FilesIn(dir), std::vector<std::string>{"big.zordot"});

    store.PutAttrBN(last, "width", 2.5);
    ASSERT_TRUE(store.SaveToFile(path.c_str()));
    const std::string text = Read(path);
    ASSERT_GT(text.size(), 1300u * 1024);  // two blocks at least
    EXPECT_EQ(text.substr(text.size() - 26), "ENDSEC;\nEND-ISO-10303-21;\n");
    store.ClearData();
    ASSERT_TRUE(store.LoadFromFile(path.c_str()));
    EXPECT_EQ(Extent("zor_report_rect").size(), 30000u);
    ASSERT_TRUE(store.SaveToFile(path.c_str()));
    EXPECT_TRUE(Read(path) == text);
}

TEST_F(File, IntegratedBlobsComeBackByteIdentical) {
    std::string bytes;
    for (int k = 0; k < 70000; ++k) bytes.push_back(static_cast<char>(k * 7 % 256));
    bytes[0] = '\0';
    Write(Path("in.bin"), bytes);
    CzorAttr* picture = A("zor_report_pic", "picture");
    CzorInstance* a = store.CreateInstanceBN("zor_report_pic");
    CzorInstance* b = store.CreateInstanceBN("zor_report_pic");
    CzorInstance* c = store.CreateInstanceBN("zor_report_pic");
    ASSERT_TRUE(store.PutIntegratedBlob(a, picture, Path("in.bin").c_str()));
    ASSERT_TRUE(store.PutIntegratedBlob(b, picture, "", 0));
    ASSERT_TRUE(store.PutIntegratedBlob(c, picture, "\0\0\0", 3));
    EXPECT_FALSE(store.PutIntegratedBlob(a, picture, Path("missing.bin").c_str()));
    EXPECT_EQ(store.GetLastError(), zorErrBlobFile);
    EXPECT_FALSE(store.PutIntegratedBlob(a, A("zor_report_pic", "name"), "x", 1));  // not a binary attribute
    RoundTrip();

    const auto pics = Extent("zor_report_pic");
    ASSERT_TRUE(store.GetIntegratedBlob(pics[0], picture, Path("out.bin").c_str()));
    EXPECT_EQ(Read(Path("out.bin")), bytes);
    std::vector<unsigned char> data{1};
    ASSERT_TRUE(store.GetIntegratedBlob(pics[1], picture, data));
    EXPECT_TRUE(data.empty());
    ASSERT_TRUE(store.GetIntegratedBlob(pics[2], picture, data));
    EXPECT_EQ(data, std::vector<unsigned char>(3, 0));

    EXPECT_TRUE(store.DelIntegratedBlob(pics[2], picture));
    EXPECT_FALSE(store.GetIntegratedBlob(pics[2], picture, data));
    EXPECT_FALSE(store.GetIntegratedBlob(pics[2], picture, Path("none.bin").c_str()));
    EXPECT_FALSE(std::filesystem::exists(Path("none.bin")));
    EXPECT_FALSE(store.DelIntegratedBlob(nullptr, picture));
}

TEST_F(File, BooleansRoundTripInAnotherDictionary) {
    Write(Path("flags.dict"), "SCHEMA flags; ENTITY f; on : OPTIONAL BOOLEAN; n : OPTIONAL INTEGER; END_ENTITY; END_SCHEMA;");
    ASSERT_TRUE(store.LoadDictionary(Path("flags").c_str()));
    CzorInstance* t = store.CreateInstanceBN("f");
    CzorInstance* f = store.CreateInstanceBN("f");
    store.PutAttrBN(t, "on", true);
    store.PutAttrBN(f, "on", false);
    ASSERT_TRUE(store.SaveToFile(Path("f.zordot").c_str()));
    EXPECT_NE(Read(Path("f.zordot")).find("#1=F(.T.,$);\n#2=F(.F.,$);"), std::string::npos);
    store.ClearData();
    ASSERT_TRUE(store.LoadFromFile(Path("f.zordot").c_str()));
    bool on = false;
    EXPECT_TRUE(store.GetAttrBN(Extent("f")[0], "on", on));
    EXPECT_TRUE(on);
    EXPECT_TRUE(store.GetAttrBN(Extent("f")[1], "on", on));
    EXPECT_FALSE(on);
    ASSERT_TRUE(store.LoadDictionary(QM_DICT_DIR "/quillmark"));
    EXPECT_FALSE(store.LoadFromFile(Path("f.zordot").c_str()));  // written for the other dictionary
    EXPECT_EQ(store.GetLastError(), zorErrFileSchema);
}

TEST_F(File, LoadedTextsOutliveTheStoreInTheCallersValues) {
    CzorInstance* c = store.CreateInstanceBN("zor_col");
    store.PutAttrBN(c, "name", "имя");
    RoundTrip();
    CzorValue* stored = nullptr;
    ASSERT_TRUE(store.GetAttr(Extent("zor_col")[0], A("zor_col", "name"), &stored));
    CzorValue copy(*stored);
    CzorValue moved(std::move(*stored));
    CzorValue assigned;
    assigned = std::move(*stored);
    store.ClearDict();
    EXPECT_EQ(store.GetEntityBN("zor_col"), nullptr);
    EXPECT_FALSE(store.HasDictionary());
    EXPECT_STREQ(copy.GetString(), "имя");
    EXPECT_STREQ(moved.GetString(), "имя");
    EXPECT_STREQ(assigned.GetString(), "имя");
}
