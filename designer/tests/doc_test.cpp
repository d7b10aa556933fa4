// The report document offscreen: new and open, save and reopen, the open and save failures, sheets and
// parameters deleted, the parameter file and the batch fill.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include <gmock/gmock.h>

#include "designer/doc/doc_internal.h"
#include "designer/navigator/navigator_items.h"
#include "designer/users/login.h"
#include "designer/tests/doc_fixture.h"
#include "report/model/report_param.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"
#include "report/model/schema.h"
#include "report/model/text_value.h"
#include "report/model/report_section.h"
#include "report/model/table_element.h"
#include "platform/settings/profile.h"
#include "report/tests/generation/template_builder.h"

namespace quillmark::doc_test {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using generation_test::TemplateBuilder;

std::vector<std::string> DocTest::SheetNames(CQuillmarkDoc& doc) const {
    std::vector<std::string> names;
    for (CReportSheet* sheet : doc.Manager().GetSheets()) names.push_back(sheet->GetName());
    return names;
}

std::vector<std::string> DocTest::TreeTexts() const {
    std::vector<std::string> texts;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) texts.push_back(tree.topLevelItem(i)->text(0).toStdString());
    return texts;
}

namespace {

// The own texts of a sheet's text elements, in order (the sheet is loaded for it).
std::vector<std::string> Texts(CReportSheet* sheet) {
    sheet->LoadElementsFromFile();
    std::vector<std::string> texts;
    for (CReportElement* e : sheet->GetElements()) texts.push_back(e->GetTextValue().GetText());
    return texts;
}

// Three sheets, each holding one text that names it, and a parameter shown on sheets 1 and 3.
bool WriteThreeSheetTemplate(const std::string& path) {
    TemplateBuilder b;
    if (!b.Ready()) return false;
    CReportParam* param = b.AddParam("Клиент", kParamText, "ООО");
    b.AddParam("Дата отчета", kParamDate);
    for (const char* text : {"первый", "второй", "третий"}) {
        CReportSheet* sheet = b.AddSheet();
        b.AddText(sheet, CPoint(100, -100), CSize(500, 100), text);
    }
    b.AddParamText(b.Manager().GetSheet(0), CPoint(100, -300), CSize(500, 100), param);
    b.AddParamText(b.Manager().GetSheet(2), CPoint(100, -300), CSize(500, 100), param);
    return b.Save(path);
}

}  // namespace

TEST_F(DocTest, NewDocumentIsOneEmptyA4LandscapeSheetAndUnchanged) {
    auto doc = NewDoc();
    ASSERT_TRUE(doc->OnNewDocument());
    EXPECT_THAT(SheetNames(*doc), ElementsAre("Лист1"));
    EXPECT_THAT(TreeTexts(), ElementsAre("Лист1"));
    EXPECT_EQ(doc->m_mode, kDocEdit);
    EXPECT_EQ(doc->m_pageSize, CSize(2970, 2100));
    EXPECT_EQ(doc->m_pageOrient, 1);
    EXPECT_FALSE(doc->IsChanged());
    doc.reset();
    EXPECT_THAT(messages.Texts(), IsEmpty());
}

TEST_F(DocTest, ProfileSettingsAreReadAndShowPictureWrittenBack) {
    {
        auto doc = NewDoc();
        EXPECT_EQ(doc->m_useOneScaleInDot, 0);
        EXPECT_EQ(doc->m_useOneScaleInReport, 1);
        EXPECT_EQ(doc->m_showPicture, 0);
    }
    WriteProfileInt("DefaultSettings", "UseOneScaleInDot", 1);
    WriteProfileInt("DefaultSettings", "UseOneScaleInReport", 0);
    WriteProfileInt("PrintParams", "split_page", 1);
    {
        auto doc = NewDoc();
        EXPECT_EQ(doc->m_useOneScaleInDot, 1);
        EXPECT_EQ(doc->m_useOneScaleInReport, 0);
        EXPECT_EQ(doc->m_splitPage, 1);
        doc->ToggleShowPicture();
    }
    EXPECT_EQ(GetProfileInt("DefaultSettings", "ShowPicture", -1), 1);
}

TEST_F(DocTest, OpenReadsSheetsAndShownParametersWithoutWritingTheFile) {
    const std::string path = Path("t.zordot");
    ASSERT_TRUE(WriteThreeSheetTemplate(path));
    const std::string before = ReadBytes(path);
    const timespec time = ModTime(path);

    auto doc = NewDoc();
    ASSERT_TRUE(doc->OnOpenDocument(path));
    EXPECT_THAT(SheetNames(*doc), ElementsAre("Лист1", "Лист2", "Лист3"));
    // Sheets first by number, then the parameters by image (type) and name.
    EXPECT_THAT(TreeTexts(), ElementsAre("Лист1", "Лист2", "Лист3", "Клиент", "Дата отчета"));
    EXPECT_FALSE(doc->m_readOnly);
    EXPECT_FALSE(doc->IsChanged());
    // Only the first sheet stays loaded.
    EXPECT_TRUE(doc->Manager().GetSheet(0)->IsLoaded());
    EXPECT_FALSE(doc->Manager().GetSheet(1)->IsLoaded());
    doc.reset();
    EXPECT_THAT(messages.Texts(), IsEmpty());
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(ModTime(path).tv_sec, time.tv_sec);
    EXPECT_EQ(ModTime(path).tv_nsec, time.tv_nsec);
}

TEST_F(DocTest, OpenFailuresAreRefusedAndLeaveTheFileAlone) {
    const std::string good = Path("good.zordot");
    ASSERT_TRUE(WriteThreeSheetTemplate(good));
    const std::string text = ReadBytes(good);
    const struct {
        const char* name;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"garbage.zordot", "this is not an exchange file\n", "Ошибка загрузки данных"},
        {"truncated.zordot", text.substr(0, text.size() / 2), "Ошибка загрузки данных"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.Clear();
        const std::string path = Path(c.name);
        WriteBytes(path, c.bytes);
        auto doc = NewDoc();
        EXPECT_FALSE(doc->OnOpenDocument(path));
        EXPECT_EQ(doc->GetPathName(), "");
        ASSERT_EQ(messages.Texts().size(), 1u);
        EXPECT_THAT(messages.Texts()[0], HasSubstr(c.message));
        doc.reset();
        EXPECT_EQ(ReadBytes(path), c.bytes);
    }
    messages.Clear();
    auto doc = NewDoc();
    EXPECT_FALSE(doc->OnOpenDocument(Path("missing.zordot")));
    EXPECT_EQ(messages.Texts().size(), 1u);

    // Without the dictionary nothing can be read, and nothing is opened under the file's name.
    messages.Clear();
    std::filesystem::remove(Path("quillmark.dict"));
    auto noDictionary = NewDoc();
    EXPECT_FALSE(noDictionary->OnOpenDocument(good));
    EXPECT_EQ(noDictionary->GetPathName(), "");
    EXPECT_THAT(messages.Texts(), ElementsAre("Ошибка загрузки словаря " + dir.Path() + "/quillmark.dict"));
    noDictionary.reset();
    EXPECT_EQ(ReadBytes(good), text);
}

TEST_F(DocTest, EmptyFileOpensAsAnEmptyReport) {
    const std::string path = Path("empty.zorrep");
    WriteBytes(path, "");
    auto doc = NewDoc();
    ASSERT_TRUE(doc->OnOpenDocument(path));
    EXPECT_THAT(SheetNames(*doc), ElementsAre("Лист1"));
    EXPECT_THAT(messages.Texts(), IsEmpty());
    EXPECT_EQ(ReadBytes(path), "");
}

TEST_F(DocTest, ReadOnlyFileOpensReadOnlyAndRefusesSavingOverItself) {
    const std::string path = Path("ro.zordot");
    ASSERT_TRUE(WriteThreeSheetTemplate(path));
    ::chmod(path.c_str(), 0444);
    const std::string before = ReadBytes(path);
    auto doc = NewDoc();
    ASSERT_TRUE(doc->OnOpenDocument(path));
    EXPECT_TRUE(doc->m_readOnly);
    EXPECT_FALSE(doc->EditAllowed());
    EXPECT_THAT(messages.Texts(), ElementsAre("Файл " + path + " доступен только для чтения."));
    messages.Clear();

    EXPECT_FALSE(doc->OnSaveDocument(path));
    EXPECT_THAT(messages.Texts(), ElementsAre("Файл " + path + " доступен только для чтения."));
    // Elsewhere it saves, and the copy is an ordinary writable document.
    const std::string copy = Path("copy.zordot");
    EXPECT_TRUE(doc->OnSaveDocument(copy));
    EXPECT_FALSE(doc->m_readOnly);
    EXPECT_EQ(doc->GetPathName(), copy);
    doc.reset();
    EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(DocTest, FailedSaveLogsAndKeepsTheOldFileAndTheChanges) {
    const std::string path = Path("t.zordot");
    ASSERT_TRUE(WriteThreeSheetTemplate(path));
    const std::string before = ReadBytes(path);
    auto doc = NewDoc();
    ASSERT_TRUE(doc->OnOpenDocument(path));
    doc->AddSheet();
    ASSERT_TRUE(doc->IsChanged());
    // A folder that is a file cannot be written into, whoever runs the test.
    const std::string unwritable = path + "/inside.zordot";
    EXPECT_FALSE(doc->OnSaveDocument(unwritable));
    EXPECT_THAT(messages.Texts(), ElementsAre(::testing::StartsWith("Не могу сохранить в файл.\n" + unwritable + ": ")));
    EXPECT_TRUE(doc->IsChanged());
    EXPECT_EQ(doc->GetPathName(), path);
    const std::string log = ReadBytes(Path("report.log"));
    EXPECT_THAT(log, HasSubstr(" - Cann't save file " + unwritable + " error code = "));
    EXPECT_THAT(log, ::testing::ContainsRegex("[0-9]{2}\\.[0-9]{2}\\.[0-9]{4}  [0-9]{2}:[0-9]{2}:[0-9]{2} - Cann't"));
    EXPECT_EQ(ReadBytes(path), before);
    messages.QueueAnswer(IDNO);
    doc.reset();  // asks to save, and is told not to
    EXPECT_EQ(messages.Texts().back(), "Сохранить изменения?");
}

// Save As offers the open file's own type first, so a template stays a template unless the user says so.
TEST(SaveAsTypes, TheOpenFilesTypeComesFirst) {
    const struct {
        const char* path;
        const char* first;
    } cases[] = {
        {"/d/form.zordot", "zordot"}, {"/d/FORM.ZORDOT", "zordot"}, {"/d/year.zorrep", "zorrep"},
        {"", "zorrep"},               {"/d.zordot/plain", "zorrep"},
    };
    for (const auto& c : cases) {
        const std::vector<SaveFileType> types = SaveFileTypes(c.path);
        ASSERT_EQ(types.size(), 2u);
        EXPECT_STREQ(types.front().extension, c.first) << c.path;
        EXPECT_NE(std::string(types.front().filter).find(std::string("*.") + c.first), std::string::npos) << c.path;
    }
}

// The message's second line names the file and says why it could not be written.
TEST_F(DocTest, FailedSaveNamesTheFileAndTheReason) {
    const std::string path = Path("t.zordot");
    ASSERT_TRUE(WriteThreeSheetTemplate(path));
    std::filesystem::create_directory(Path("folder"));
    const struct {
        std::string target, reason;
    } cases[] = {
        {path + "/inside.zordot", std::strerror(ENOTDIR)},
        {Path("missing/r.zordot"), std::strerror(ENOENT)},
        {Path("folder"), "это папка"},
    };
    auto doc = NewDoc();
    ASSERT_TRUE(doc->OnOpenDocument(path));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        messages.Clear();
        EXPECT_FALSE(doc->OnSaveDocument(c.target));
        ASSERT_EQ(messages.Texts().size(), 1u);
        const std::string text = messages.Texts()[0];
        EXPECT_THAT(text, ::testing::StartsWith("Не могу сохранить в файл.\n" + c.target + ": "));
        EXPECT_THAT(text, HasSubstr(c.reason));
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    }
    EXPECT_EQ(doc->GetPathName(), path);
}

TEST_F(DocTest, OnlyRealChangesAskToSave) {
    const std::string path = Path("t.zordot");
    ASSERT_TRUE(WriteThreeSheetTemplate(path));
    {
        auto doc = NewDoc();
        ASSERT_TRUE(doc->OnOpenDocument(path));
        doc->RebuildNavigator(false);
        doc->SetTool(kToolZoom);
        for (CReportSheet* sheet : doc->Manager().GetSheets()) sheet->LoadElementsFromFile();
    }
    EXPECT_THAT(messages.Texts(), IsEmpty());
    {
        auto doc = NewDoc();
        ASSERT_TRUE(doc->OnOpenDocument(path));
        doc->AddSheet();
        messages.QueueAnswer(IDYES);
    }
    EXPECT_THAT(messages.Texts(), ElementsAre("Сохранить изменения?"));
    auto reopened = NewDoc();
    ASSERT_TRUE(reopened->OnOpenDocument(path));
    EXPECT_EQ(reopened->Manager().GetSheetCount(), 4);
}

// A file with report users opens only after a login; what the user may do follows the access mode.
TEST_F(DocTest, FileWithReportUsersOpensForAUserWithHisRights) {
    const std::string path = Path("users.zordot");
    {
        TemplateBuilder b;
        ASSERT_TRUE(b.Ready());
        b.AddSheet();
        for (auto [name, mode] : {std::pair{"Зритель", 1}, {"Печать", 3}, {"Правка", 5}, {"Все", 7}, {"Админ", 9},
                                  {"Главный", 15}}) {
            CReportUser user(&b.Manager());
            user.name = name;
            ASSERT_TRUE(user.SetPassword(std::string("п") + name));
            user.access_mode = mode;
            ASSERT_TRUE(user.Exchange(true));
        }
        ASSERT_TRUE(b.Save(path));
    }
    const std::string before = ReadBytes(path);
    struct Case { const char* name; bool view, print, edit, users; } cases[] = {
        {"Зритель", true, false, false, false}, {"Печать", true, true, false, false},
        {"Правка", true, false, true, false},   {"Все", true, true, true, false},
        {"Админ", true, false, false, true},    {"Главный", true, true, true, true},
    };
    for (const Case& c : cases) {
        messages.Clear();
        int asked = 0;
        CQuillmarkDoc::SetLoginPrompt([&](const CLoginDlgLogic& logic, std::string& name, std::string& password) {
            EXPECT_EQ(logic.Names().size(), 6u);
            name = c.name;
            password = ++asked == 1 ? "не тот" : std::string("п") + c.name;
            return true;
        });
        auto doc = NewDoc();
        ASSERT_TRUE(doc->OnOpenDocument(path)) << c.name;
        EXPECT_EQ(asked, 2);
        ASSERT_NE(doc->CurrentUser(), nullptr);
        EXPECT_EQ(doc->GetTitle(), path + " - [" + c.name + "]");
        EXPECT_EQ(doc->m_mode, c.edit ? kDocEdit : kDocView) << c.name;
        EXPECT_EQ(doc->EditAllowed(), c.edit) << c.name;
        EXPECT_EQ(doc->HasRight(kRightPrint, false), c.print) << c.name;
        EXPECT_EQ(doc->HasRight(kRightUsers, false), c.users) << c.name;
        EXPECT_EQ(doc->HasRight(kRightView, false), c.view) << c.name;
        messages.Clear();
        EXPECT_EQ(doc->HasRight(kRightEdit, true), c.edit);
        EXPECT_EQ(messages.Texts(), c.edit ? std::vector<std::string>{}
                                           : std::vector<std::string>{"Недостаточно прав!"});
        doc.reset();
    }

    // Cancel fails the open, and nothing opened leaves the file as it was.
    CQuillmarkDoc::SetLoginPrompt([](const CLoginDlgLogic&, std::string&, std::string&) { return false; });
    auto doc = NewDoc();
    EXPECT_FALSE(doc->OnOpenDocument(path));
    EXPECT_EQ(doc->CurrentUser(), nullptr);
    doc.reset();
    CQuillmarkDoc::SetLoginPrompt({});
    EXPECT_EQ(ReadBytes(path), before);
}

TEST_F(DocTest, SheetOrderAndNamesSurviveSaveAndReopen) {
    const std::string path = Path("t.zordot");
    ASSERT_TRUE(WriteThreeSheetTemplate(path));
    auto doc = NewDoc();
    ASSERT_TRUE(doc->OnOpenDocument(path));
    // The third sheet moves to the front, as a drop on the first sheet's item does.
    CSheetItem* third = nullptr;
    CSheetItem* first = nullptr;
    for (const auto& item : Nav(*doc).SheetItems()) {
        if (item->Sheet() == doc->Manager().GetSheet(2)) third = item.get();
        if (item->Sheet() == doc->Manager().GetSheet(0)) first = item.get();
    }
    ASSERT_TRUE(third && first);
    ASSERT_TRUE(Nav(*doc).MoveSheetTo(third, first));
    EXPECT_THAT(TreeTexts(), ElementsAre("Лист1", "Лист2", "Лист3", "Клиент", "Дата отчета"));
    EXPECT_EQ(tree.currentItem(), third->TreeItem());
    EXPECT_EQ(third->Text(), "Лист1");
    ASSERT_TRUE(doc->OnSaveDocument(path));
    doc.reset();

    auto reopened = NewDoc();
    ASSERT_TRUE(reopened->OnOpenDocument(path));
    EXPECT_THAT(SheetNames(*reopened), ElementsAre("Лист1", "Лист2", "Лист3"));
    std::vector<std::string> firstTexts;
    for (int i = 0; i < 3; ++i) firstTexts.push_back(Texts(reopened->Manager().GetSheet(i)).at(0));
    EXPECT_THAT(firstTexts, ElementsAre("третий", "первый", "второй"));
}

TEST_F(DocTest, DeletingASheetRenamesTheRestInOrder) {
    const std::string path = Path("t.zordot");
    ASSERT_TRUE(WriteThreeSheetTemplate(path));
    auto doc = NewDoc();
    ASSERT_TRUE(doc->OnOpenDocument(path));
    CSheetItem* second = nullptr;
    for (const auto& item : Nav(*doc).SheetItems())
        if (item->Sheet() == doc->Manager().GetSheet(1)) second = item.get();
    ASSERT_NE(second, nullptr);
    doc->DeleteSheet(second->Sheet());
    EXPECT_THAT(SheetNames(*doc), ElementsAre("Лист1", "Лист2"));
    EXPECT_THAT(Texts(doc->Manager().GetSheet(1)).at(0), "третий");
    EXPECT_THAT(TreeTexts(), ElementsAre("Лист1", "Лист2", "Клиент", "Дата отчета"));
    ASSERT_TRUE(doc->OnSaveDocument(path));

    // The last sheet cannot go.
    doc->DeleteSheet(Nav(*doc).SheetItems()[0]->Sheet());
    ASSERT_EQ(Nav(*doc).SheetItems().size(), 1u);
    messages.Clear();
    doc->DeleteSheet(Nav(*doc).SheetItems()[0]->Sheet());
    EXPECT_THAT(messages.Texts(), ElementsAre("Отчет должен содержать хотябы одну страницу."));
    EXPECT_EQ(doc->Manager().GetSheetCount(), 1);
    doc->SetChanged(false);
    doc.reset();

    auto reopened = NewDoc();
    ASSERT_TRUE(reopened->OnOpenDocument(path));
    EXPECT_THAT(SheetNames(*reopened), ElementsAre("Лист1", "Лист2"));
    EXPECT_THAT(Texts(reopened->Manager().GetSheet(1)).at(0), "третий");
}

TEST_F(DocTest, DeletingAParameterUnlinksItsTextsOnLoadedAndUnloadedSheets) {
    const std::string path = Path("t.zordot");
    ASSERT_TRUE(WriteThreeSheetTemplate(path));
    for (int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        messages.Clear();
        auto doc = NewDoc();
        ASSERT_TRUE(doc->OnOpenDocument(path));
        ASSERT_FALSE(doc->Manager().GetSheet(2)->IsLoaded());  // its use is only in the store
        CParamItem* item = nullptr;
        for (const auto& p : Nav(*doc).ParamItems())
            if (p->Param()->GetName() == "Клиент") item = p.get();
        ASSERT_NE(item, nullptr);
        messages.QueueAnswer(answer);
        doc->DeleteParam(item->Param());
        EXPECT_THAT(messages.Texts(), ElementsAre("Данный параметр используется, удалить?"));
        if (answer == IDNO) {
            EXPECT_EQ(doc->Manager().GetParams().GetSize(), 2);
            EXPECT_FALSE(doc->IsChanged());
            continue;
        }
        EXPECT_EQ(doc->Manager().GetParams().GetSize(), 1);
        EXPECT_THAT(TreeTexts(), ElementsAre("Лист1", "Лист2", "Лист3", "Дата отчета"));
        // The loaded sheet's element shows an empty own text at once.
        CReportElement* shown = doc->Manager().GetSheet(0)->GetElement(1);
        EXPECT_EQ(shown->GetTextValue().GetType(), kTextOwn);
        EXPECT_EQ(shown->GetTextValue().GetText(), "");
        ASSERT_TRUE(doc->OnSaveDocument(path));
    }

    auto reopened = NewDoc();
    ASSERT_TRUE(reopened->OnOpenDocument(path));
    EXPECT_EQ(reopened->Manager().GetParams().Find("Клиент"), -1);
    for (int i : {0, 2}) {
        CReportElement* e = reopened->Manager().GetSheet(i)->GetElement(1);
        reopened->Manager().GetSheet(i)->LoadElementsFromFile();
        e = reopened->Manager().GetSheet(i)->GetElement(1);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->GetTextValue().GetType(), kTextOwn) << i;
        EXPECT_EQ(e->GetTextValue().GetText(), "") << i;
    }
    // No text value refers to anything: the link is gone, not pointed at nothing.
    const CReportSchema& s = reopened->Manager().Schema();
    CzorTAggr<CzorInstance> values;
    reopened->Store().GetEntityExtent(s.e_zor_value, values);
    for (CzorInstance* value : values) {
        CzorInstance* linked = nullptr;
        reopened->Store().GetAttr(value, s.zor_value_inst, linked);
        EXPECT_EQ(linked, nullptr);
    }
}

TEST_F(DocTest, ParameterFileLines) {
    const std::string path = Path("t.zordot");
    {
        TemplateBuilder b;
        ASSERT_TRUE(b.Ready());
        b.AddSheet();
        for (const char* name : {"a", "b", "c", "пусто", "ё"}) b.AddParam(name, kParamText, "прежнее");
        ASSERT_TRUE(b.Save(path));
    }
    auto doc = NewDoc();
    ASSERT_TRUE(doc->OnOpenDocument(path));
    WriteBytes(Path("p.par"),
               "=skipped\n"              // no name
               "novalue\n"               // no "="
               "a=x=y\n"                 // everything after the first "="
               "b=with spaces \r\n"      // a Windows line end is not part of the value
               "\n"
               "unknown=1\n"
               "пусто=\n"
               "ё=значение\n"
               "c =not c\n");            // the name is exact
    doc->ReadParamFile(Path("p.par"));
    const auto value = [&](const char* name) {
        return doc->Manager().GetParams().GetAt(doc->Manager().GetParams().Find(name))->GetText();
    };
    EXPECT_EQ(value("a"), "x=y");
    EXPECT_EQ(value("b"), "with spaces ");
    EXPECT_EQ(value("c"), "прежнее");
    EXPECT_EQ(value("пусто"), "");
    EXPECT_EQ(value("ё"), "значение");
    doc->ReadParamFile(Path("missing.par"));
    EXPECT_EQ(value("a"), "x=y");
}

TEST_F(DocTest, BatchFillInModeOneSetsValuesAndWritesTheReportInViewMode) {
    const std::string path = Path("t.zordot");
    {
        TemplateBuilder b;
        ASSERT_TRUE(b.Ready());
        CReportSheet* sheet = b.AddSheet();
        b.AddParamText(sheet, CPoint(100, -100), CSize(500, 100), b.AddParam("Клиент", kParamText));
        ASSERT_TRUE(b.Save(path));
    }
    WriteBytes(Path("d.par"), "Клиент=ООО Ромашка\n");
    WriteBytes(Path("d.csv"), "Город,Сумма\nТверь,5\n");
    const std::string out = Path("out.zorrep");
    {
        auto doc = NewDoc();
        doc->SetBatchRun({1, Path("d.par"), Path("d.csv"), out});
        ASSERT_TRUE(doc->OnOpenDocument(path));
        EXPECT_EQ(doc->m_mode, kDocView);
        EXPECT_EQ(doc->Manager().GetDataSource().GetHeader()->GetSize(), 2);
        doc->SetChanged(false);
    }
    auto report = NewDoc();
    ASSERT_TRUE(report->OnOpenDocument(out));
    EXPECT_EQ(report->m_mode, kDocView);
    EXPECT_EQ(report->Manager().GetParams().GetAt(0)->GetText(), "ООО Ромашка");

    // Other modes and a missing data file fail the fill; the report is not written.
    for (const DocBatchRun& run : {DocBatchRun{2, "", "", Path("o2.zorrep")},
                                   DocBatchRun{1, Path("d.par"), Path("none.csv"), Path("o3.zorrep")}}) {
        auto doc = NewDoc();
        doc->SetBatchRun(run);
        ASSERT_TRUE(doc->OnOpenDocument(path));
        EXPECT_EQ(doc->m_mode, kDocEdit);
        EXPECT_FALSE(std::filesystem::exists(run.outFile));
    }
}

TEST_F(DocTest, BatchFillRunsTheFirstSheetsTablesOverFollowOnSheets) {
    // The table's rows go on on copies of the last sheet, which holds its continuation; sheets beyond the
    // last one the table reaches go.
    const std::string path = Path("t.zordot");
    {
        TemplateBuilder b;
        ASSERT_TRUE(b.Ready());
        CHeaderColumn* city = b.Column("Город");
        CReportSheet* sheet = b.AddSheet();
        b.AddText(sheet, CPoint(100, -100), CSize(1000, 80), "Шапка");
        CTableElement* table = b.AddTable(sheet, CPoint(100, -2800), CSize(1900, 1000));
        auto* section = new CReportSection(&b.Manager());
        section->SetName("Города");
        section->GetLevels().Add(b.Level(100, {TemplateBuilder::FieldColumn(city, 1900)}));
        table->GetSections().Add(section);
        CReportSheet* next = b.AddSheet();
        b.AddText(next, CPoint(100, -100), CSize(1000, 80), "Продолжение");
        b.AddContinuation(next, table, CPoint(100, -2800), CSize(1900, 1000));
        ASSERT_TRUE(b.Save(path));
    }
    const struct {
        int rows;
        int sheets;
    } cases[] = {{25, 3}, {5, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows);
        std::string csv = "Город\n";
        for (int i = 1; i <= c.rows; ++i) csv += "Город " + std::to_string(i) + "\n";
        WriteBytes(Path("d.csv"), csv);
        const std::string out = Path("out.zorrep");
        auto doc = NewDoc();
        doc->SetBatchRun({1, Path("none.par"), Path("d.csv"), out});
        ASSERT_TRUE(doc->OnOpenDocument(path));
        EXPECT_EQ(doc->m_mode, kDocView);
        EXPECT_THAT(messages.Texts(), IsEmpty());
        doc->SetChanged(false);
        doc.reset();

        auto report = NewDoc();
        ASSERT_TRUE(report->OnOpenDocument(out));
        EXPECT_EQ(report->m_mode, kDocView);
        ASSERT_EQ(report->Manager().GetSheetCount(), c.sheets);
        for (int i = 1; i < c.sheets; ++i)
            EXPECT_EQ(Texts(report->Manager().GetSheet(i)).at(0), "Продолжение") << i;
    }
}

}  // namespace quillmark::doc_test
