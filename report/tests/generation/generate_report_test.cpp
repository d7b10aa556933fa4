// The generation entry points without table filling: refusals and their messages, the parameter file,
// page fields, tables and continuations that leave the report, empty reports and saving.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gmock/gmock.h>

#include "platform/zordata/zordata.h"
#include "report/model/table_content.h"
#include "report/model/report_section.h"
#include "report/tests/generation/generation_fixture.h"

namespace generation_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char* const kData = "Код,Имя\n1,Первый\n2,Второй\n";

// Files of the folder other than the given ones: a failed save must leave no temporary file behind.
std::vector<std::string> OtherFiles(const std::string& folder, const std::vector<std::string>& known) {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(known.begin(), known.end(), name) == known.end()) out.push_back(name);
    }
    return out;
}

class GenerateReportTest : public GenerationTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(builder.Ready());
        WriteFile("data.csv", kData);
    }
    // Saves the builder's template as t.zordot.
    // Templates that cannot make a report: no sheets, not an exchange file, empty, a computed column that
    // does not parse.
    void WriteFaultyTemplates() {
        TemplateBuilder noSheets;
        std::string error;
        ASSERT_TRUE(noSheets.Save(Path("nosheets.zordot"), &error)) << error;
        WriteFile("broken.zordot", "ISO-10303-21;\nHEADER;\nthis is not a template\n");
        WriteFile("noroot.zordot", "");
        TemplateBuilder badFormula;
        badFormula.AddSheet();
        badFormula.Computed("Итог=\"незакрытый текст");
        ASSERT_TRUE(badFormula.Save(Path("formula.zordot"), &error)) << error;
    }
    void SaveTemplate() {
        std::string error;
        ASSERT_TRUE(builder.Save(Path("t.zordot"), &error)) << error;
    }
    bool Run(const std::string& par = "none.par", const std::string& report = "r.zorrep") {
        return Generate(Path("t.zordot"), Path("data.csv"), Path(par), Path(report));
    }

    TemplateBuilder builder;
};

TEST_F(GenerateReportTest, NullArgumentsAreRefusedWithoutAMessage) {
    CFolivox manager;
    CRParamsArray values;
    const std::string t = Path("t.zordot"), r = Path("r.zorrep"), p = Path("p.par");
    EXPECT_FALSE(GenerateReport(nullptr, &values, t.c_str(), r.c_str(), nullptr));
    EXPECT_FALSE(GenerateReport(&manager, static_cast<CRParamsArray*>(nullptr), t.c_str(), r.c_str(), nullptr));
    EXPECT_FALSE(GenerateReport(&manager, &values, nullptr, r.c_str(), nullptr));
    EXPECT_FALSE(GenerateReport(&manager, &values, t.c_str(), nullptr, nullptr));
    EXPECT_FALSE(GenerateReport(nullptr, t.c_str(), p.c_str(), r.c_str(), nullptr));
    EXPECT_FALSE(GenerateReport(&manager, static_cast<const char*>(nullptr), p.c_str(), r.c_str(), nullptr));
    EXPECT_FALSE(GenerateReport(&manager, t.c_str(), nullptr, r.c_str(), nullptr));
    EXPECT_FALSE(GenerateReport(&manager, t.c_str(), p.c_str(), nullptr, nullptr));
    EXPECT_THAT(Messages(), IsEmpty());
    EXPECT_EQ(manager.GetStore(), nullptr);
}

TEST_F(GenerateReportTest, EmptyReportPathIsReportedBeforeAnythingIsRead) {
    // The template does not even exist: nothing is read.
    CFolivox manager;
    CRParamsArray values;
    EXPECT_FALSE(GenerateReport(&manager, &values, Path("missing.zordot").c_str(), "", nullptr));
    EXPECT_THAT(Messages(), ElementsAre("Не указан файл отчета!"));
    EXPECT_EQ(manager.GetStore(), nullptr);
}

// Each failure shows its one message, leaves the manager detached and an earlier report as it was, and
// leaves no other file behind.
TEST_F(GenerateReportTest, TemplateFailuresLeaveTheEarlierReport) {
    builder.AddSheet();
    SaveTemplate();
    ASSERT_NO_FATAL_FAILURE(WriteFaultyTemplates());

    const struct {
        const char* file;
        std::string message;
    } cases[] = {
        {"missing.zordot", "Ошибка загрузки данных " + Path("missing.zordot") + " (23)\n" +
                               CzorStepData::GetErrorDescription(23)},
        {"broken.zordot", "Ошибка загрузки данных " + Path("broken.zordot") + " (26)\n" +
                              CzorStepData::GetErrorDescription(26)},
        {"noroot.zordot", "Не корректный шаблон."},
        {"nosheets.zordot", "Ошибка. Шаблон не содержит ниодной страницы."},
        {"formula.zordot", "Не верно задана функция!"},
    };
    const std::vector<std::string> known = {"t.zordot", "nosheets.zordot", "broken.zordot", "noroot.zordot",
                                            "formula.zordot", "data.csv", "r.zorrep"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        messages.Clear();
        WriteFile("r.zorrep", "an earlier report\n");
        CFolivox manager;
        ASSERT_TRUE(manager.GetDataSource().LoadFromFile(Path("data.csv")));
        EXPECT_FALSE(GenerateReport(&manager, Path(c.file).c_str(), Path("none.par").c_str(), Path("r.zorrep").c_str(),
                                    nullptr));
        EXPECT_THAT(Messages(), ElementsAre(c.message));
        EXPECT_EQ(manager.GetStore(), nullptr);
        EXPECT_EQ(manager.GetSheetCount(), 0);
        EXPECT_EQ(zor::test::Slurp(Path("r.zorrep")), "an earlier report\n");
        EXPECT_THAT(OtherFiles(dir.Path(), known), IsEmpty());
    }
}

// The engine's answer for every way a run can fail: the system's message and the file it concerns, and not
// one box shown on the way (the caller shows the answer). The earlier report stays and nothing else is left.
TEST_F(GenerateReportTest, FailedRunsAnswerTheMessageAndTheFileAndShowNothing) {
    builder.AddText(builder.AddSheet(), CPoint(100, -200), CSize(1000, 100), "Текст");
    SaveTemplate();
    ASSERT_NO_FATAL_FAILURE(WriteFaultyTemplates());
    const std::string nodict = Path("nodict") + "/";

    const struct {
        const char* name;
        std::string templ, report;
        bool noDictionary;
        std::string message, file;
    } cases[] = {
        {"missing template", Path("missing.zordot"), Path("r.zorrep"), false,
         "Ошибка загрузки данных " + Path("missing.zordot") + " (23)\n" + CzorStepData::GetErrorDescription(23),
         Path("missing.zordot")},
        {"malformed template", Path("broken.zordot"), Path("r.zorrep"), false,
         "Ошибка загрузки данных " + Path("broken.zordot") + " (26)\n" + CzorStepData::GetErrorDescription(26),
         Path("broken.zordot")},
        {"template without a report", Path("noroot.zordot"), Path("r.zorrep"), false, "Не корректный шаблон.",
         Path("noroot.zordot")},
        {"template without pages", Path("nosheets.zordot"), Path("r.zorrep"), false,
         "Ошибка. Шаблон не содержит ниодной страницы.", Path("nosheets.zordot")},
        {"bad computed column", Path("formula.zordot"), Path("r.zorrep"), false, "Не верно задана функция!",
         Path("formula.zordot")},
        {"missing dictionary", Path("t.zordot"), Path("r.zorrep"), true,
         "Ошибка загрузки словаря " + nodict + "quillmark.dict", nodict + "quillmark.dict"},
        {"no report file named", Path("t.zordot"), "", false, "Не указан файл отчета!", ""},
    };
    const std::vector<std::string> known = {"t.zordot", "nosheets.zordot", "broken.zordot", "noroot.zordot",
                                            "formula.zordot", "data.csv", "r.zorrep", "ZorTransport.ini"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile("ZorTransport.ini", c.noDictionary ? "[Paths]\nDictionary=" + nodict + "\n" : "");
        WriteFile("r.zorrep", "an earlier report\n");
        CFolivox manager;
        ASSERT_TRUE(manager.GetDataSource().LoadFromFile(Path("data.csv")));
        const zor::Outcome outcome = GenerateReportOutcome(&manager, c.templ.c_str(), Path("none.par").c_str(),
                                                           c.report.c_str(), nullptr);
        EXPECT_FALSE(outcome.Ok());
        EXPECT_EQ(outcome.Why().Text(), c.message);
        EXPECT_EQ(outcome.Why().file, c.file);
        EXPECT_THAT(outcome.Notes(), IsEmpty());
        EXPECT_THAT(Messages(), IsEmpty());
        EXPECT_EQ(manager.GetStore(), nullptr);
        EXPECT_EQ(zor::test::Slurp(Path("r.zorrep")), "an earlier report\n");
        EXPECT_THAT(OtherFiles(dir.Path(), known), IsEmpty());
    }

    // A report that cannot be written: its file and the system's reason, and no file made.
    CFolivox manager;
    ASSERT_TRUE(manager.GetDataSource().LoadFromFile(Path("data.csv")));
    const zor::Outcome unwritable = GenerateReportOutcome(&manager, Path("t.zordot").c_str(), Path("none.par").c_str(),
                                                          Path("missing-folder/r.zorrep").c_str(), nullptr);
    EXPECT_FALSE(unwritable.Ok());
    EXPECT_THAT(unwritable.Why().Text(),
                ::testing::StartsWith("Ошибка при сохранении отчета!\n" + Path("missing-folder/r.zorrep") + ": "));
    EXPECT_EQ(unwritable.Why().file, Path("missing-folder/r.zorrep"));
    EXPECT_NE(unwritable.Why().detail, "");
    EXPECT_THAT(Messages(), IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(Path("missing-folder")));
}

TEST_F(GenerateReportTest, MissingDictionaryIsReportedWithItsFolder) {
    builder.AddSheet();
    SaveTemplate();
    const std::string folder = Path("nodict") + "/";
    WriteFile("ZorTransport.ini", "[Paths]\nDictionary=" + folder + "\n");
    EXPECT_FALSE(Run());
    EXPECT_THAT(Messages(), ElementsAre("Ошибка загрузки словаря " + folder + "quillmark.dict"));
    EXPECT_FALSE(std::filesystem::exists(Path("r.zorrep")));
}

TEST_F(GenerateReportTest, UnwritableOutputFolderKeepsNothingHalfWritten) {
    builder.AddText(builder.AddSheet(), CPoint(100, -200), CSize(1000, 100), "Текст");
    SaveTemplate();
    std::vector<std::string> targets = {"missing-folder/r.zorrep"};
    if (::geteuid() != 0) {
        // Permissions do not stop the superuser; a folder that does not exist stops everyone.
        std::filesystem::create_directory(Path("locked"));
        ::chmod(Path("locked").c_str(), 0555);
        targets.push_back("locked/r.zorrep");
    }
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        messages.Clear();
        EXPECT_FALSE(Run("none.par", target));
        // The message names the file and says why on its second line.
        EXPECT_THAT(Messages(), ElementsAre(::testing::StartsWith("Ошибка при сохранении отчета!\n" + Path(target) + ": ")));
        EXPECT_FALSE(std::filesystem::exists(Path(target)));
    }
    if (::geteuid() != 0) {
        EXPECT_TRUE(std::filesystem::is_empty(Path("locked")));
        ::chmod(Path("locked").c_str(), 0755);
    }
}

TEST_F(GenerateReportTest, ATemplateThatMayOnlyBeReadIsGenerated) {
    builder.AddText(builder.AddSheet(), CPoint(100, -200), CSize(1000, 100), "Текст");
    SaveTemplate();
    ::chmod(Path("t.zordot").c_str(), 0444);
    EXPECT_TRUE(Run());
    EXPECT_THAT(Messages(), IsEmpty());
    const ReportView report = ReadReport(Path("r.zorrep"));
    ASSERT_TRUE(report.loaded);
    EXPECT_EQ(report.mode, 1);
    EXPECT_THAT(report.Texts(0), ElementsAre("Текст"));
    EXPECT_TRUE(report.integrity.Clean()) << report.integrity.Describe();
}

// Names and values are taken as they stand: the first "=" splits, nothing is trimmed, lines without a
// name are skipped, later lines win, names are compared exactly.
TEST_F(GenerateReportTest, ParameterFileLinesAreTakenAsTheyStand) {
    CReportSheet* sheet = builder.AddSheet();
    const char* names[] = {"Заказчик", " Город", "Город", "Дата", "Примечание", "Число"};
    int y = -200;
    for (const char* name : names) {
        CReportParam* param = builder.AddParam(name, kParamText, "из шаблона");
        builder.AddParamText(sheet, CPoint(100, y), CSize(1500, 80), param);
        y -= 100;
    }
    builder.AddParam("Число", kParamNumber, "");  // a second parameter of the same name
    SaveTemplate();
    WriteFile("p.par",
              "Заказчик=ООО «Ромашка» = филиал\r\n"
              "=без имени\n"
              "строка без знака\n"
              "\n"
              "\r\n"
              " Город=Москва\n"
              "Город =Тверь\n"
              "Дата=\n"
              "Неизвестный=1\n"
              "Примечание=первое\n"
              "Примечание=второе\n"
              "Число=  7 ");  // no line end at the end of the file
    ASSERT_TRUE(Run("p.par"));
    EXPECT_THAT(Messages(), IsEmpty());
    const ReportView report = ReadReport(Path("r.zorrep"));
    ASSERT_TRUE(report.loaded);
    EXPECT_THAT(report.Texts(0), ElementsAre("ООО «Ромашка» = филиал", "Москва", "из шаблона", "второе", "  7 "));
    EXPECT_EQ(report.params.at("Заказчик").value, "ООО «Ромашка» = филиал");
    EXPECT_EQ(report.params.at("Дата").type, kParamText);
    EXPECT_EQ(report.params.at("Дата").value, "");
    EXPECT_EQ(report.params.at("Город").value, "из шаблона");
    EXPECT_EQ(report.params.count("Неизвестный"), 0u);
    EXPECT_EQ(report.params.count("Город "), 0u);
    EXPECT_TRUE(report.integrity.Clean()) << report.integrity.Describe();
}

TEST_F(GenerateReportTest, MissingParameterFileKeepsTheTemplateValues) {
    CReportParam* param = builder.AddParam("Заказчик", kParamText, "не указан");
    builder.AddParamText(builder.AddSheet(), CPoint(100, -200), CSize(1500, 80), param);
    SaveTemplate();
    ASSERT_TRUE(Run("missing.par"));
    EXPECT_THAT(ReadReport(Path("r.zorrep")).Texts(0), ElementsAre("не указан"));
}

// Page fields of the report become text; those counting across merged reports stay linked.
TEST_F(GenerateReportTest, PageFieldsOfTheReportBecomeText) {
    CReportParam* fields[] = {
        builder.AddParam(PageFieldParamName(kParamLocalPageNumber), kParamLocalPageNumber),
        builder.AddParam(PageFieldParamName(kParamLocalPageCount), kParamLocalPageCount),
        builder.AddParam(PageFieldParamName(kParamReportDate), kParamReportDate),
        builder.AddParam(PageFieldParamName(kParamPageNumber), kParamPageNumber),
        builder.AddParam(PageFieldParamName(kParamPageCount), kParamPageCount),
        builder.AddParam(PageFieldParamName(kParamCurrentDate), kParamCurrentDate),
    };
    for (int page = 0; page < 3; ++page) {
        CReportSheet* sheet = builder.AddSheet();
        int y = -200;
        for (CReportParam* field : fields) {
            builder.AddParamText(sheet, CPoint(100, y), CSize(500, 80), field);
            y -= 100;
        }
    }
    SaveTemplate();
    ASSERT_TRUE(Run());
    const ReportView report = ReadReport(Path("r.zorrep"));
    ASSERT_TRUE(report.loaded);
    ASSERT_EQ(report.pages.size(), 3u);
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        const auto& elements = report.pages[static_cast<size_t>(page)];
        ASSERT_EQ(elements.size(), 6u);
        EXPECT_EQ(elements[0].text, std::to_string(page + 1));
        EXPECT_EQ(elements[1].text, "3");
        EXPECT_EQ(elements[2].text, kFixedDateText);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(elements[static_cast<size_t>(k)].textType, kTextOwn);
        EXPECT_EQ(elements[3].paramType, kParamPageNumber);
        EXPECT_EQ(elements[4].paramType, kParamPageCount);
        EXPECT_EQ(elements[5].paramType, kParamCurrentDate);
    }
    // A text that became its own keeps no stored link to the parameter it showed.
    model_test::AttachedModel model;
    ASSERT_TRUE(model.store.LoadFromFile(Path("r.zorrep").c_str()));
    const CReportSchema& s = model.manager.Schema();
    CzorTAggr<CzorInstance> values;
    model.store.GetEntityExtent(s.e_zor_value, values);
    int linked = 0, own = 0;
    for (CzorInstance* value : values) {
        int type = 0;
        CzorInstance* param = nullptr;
        model.store.GetAttr(value, s.zor_value_type, type);
        const bool hasLink = model.store.GetAttr(value, s.zor_value_inst, param) && param;
        if (type == kTextOwn) {
            ++own;
            EXPECT_FALSE(hasLink);
        } else if (hasLink) {
            ++linked;
        }
    }
    EXPECT_EQ(own, 9);
    EXPECT_EQ(linked, 9);
    EXPECT_TRUE(report.integrity.Clean()) << report.integrity.Describe();
}

// A table that yields nothing takes its own sheet and its continuation sheets with it; a continuation that
// names no table leaves its sheet; nothing of either stays in the store.
TEST_F(GenerateReportTest, TablesThatYieldNothingLeaveWithTheirSheets) {
    CReportSheet* first = builder.AddSheet();
    builder.AddText(first, CPoint(100, -200), CSize(1000, 100), "Титул");
    CReportSheet* tableSheet = builder.AddSheet();
    CTableElement* table = builder.AddTable(tableSheet, CPoint(100, -2800), CSize(1900, 2600));
    builder.AddText(tableSheet, CPoint(100, -100), CSize(1000, 80), "Шапка таблицы");
    CReportSheet* continuation = builder.AddSheet();
    builder.AddContinuation(continuation, table, CPoint(100, -2800), CSize(1900, 2600));
    CReportSheet* last = builder.AddSheet();
    builder.AddText(last, CPoint(100, -200), CSize(1000, 100), "Последний");
    // A continuation stored without a table.
    builder.AddContinuation(last, nullptr, CPoint(100, -2800), CSize(1900, 1000));
    builder.Column("Код", 3);
    SaveTemplate();
    ASSERT_TRUE(Run());
    EXPECT_THAT(Messages(), IsEmpty());
    const ReportView report = ReadReport(Path("r.zorrep"));
    ASSERT_TRUE(report.loaded);
    EXPECT_THAT(report.sheetNames, ElementsAre("Лист1", "Лист2"));
    EXPECT_THAT(report.Texts(0), ElementsAre("Титул"));
    EXPECT_THAT(report.Texts(1), ElementsAre("Последний"));
    ASSERT_EQ(report.pages[1].size(), 1u);
    EXPECT_EQ(report.CountKind(kElemTable), 0);
    EXPECT_EQ(report.CountKind(kElemTableMap), 0);
    EXPECT_EQ(report.selectColumns, 0);
    EXPECT_TRUE(report.integrity.Clean()) << report.integrity.Describe();
}

// Pages a table has filled are written away while it goes on; when a later section of the table fails, the
// table still takes every page it filled with it, and none of their cells stays in the store.
TEST_F(GenerateReportTest, ATableThatFailsAfterFillingPagesTakesThemWithIt) {
    std::string rows = "Код,Имя\n";
    for (int i = 1; i <= 120; ++i) rows += std::to_string(i) + ",Строка " + std::to_string(i) + "\n";
    WriteFile("data.csv", rows);
    // A title page and a table of 26 lines a page; with fails, a second section sorted by a column the
    // data lacks.
    const auto generate = [this](bool fails) {
        TemplateBuilder b;
        CReportSheet* first = b.AddSheet();
        b.AddText(first, CPoint(100, -200), CSize(1000, 100), "Титул");
        CTableElement* table = b.AddTable(b.AddSheet(), CPoint(100, -2800), CSize(1900, 2600));
        b.AddContinuation(b.AddSheet(), table, CPoint(100, -2800), CSize(1900, 2600));
        CHeaderColumn* code = b.Column("Код", 3);
        CHeaderColumn* name = b.Column("Имя");
        CHeaderColumn* missing = b.Column("Нет в данных");
        for (int i = 0; i < (fails ? 2 : 1); ++i) {
            auto* section = new CReportSection(&b.Manager());
            section->GetLevels().Add(
                b.Level(100, {TemplateBuilder::FieldColumn(code, 300), TemplateBuilder::FieldColumn(name, 900)}));
            if (i == 1) section->GetSorts().Add(missing);
            table->GetSections().Add(section);
        }
        std::string error;
        EXPECT_TRUE(b.Save(Path("t.zordot"), &error)) << error;
        messages.Clear();
        EXPECT_TRUE(Run());
        return ReadReport(Path("r.zorrep"));
    };

    const ReportView filled = generate(false);
    EXPECT_THAT(Messages(), IsEmpty());
    ASSERT_EQ(filled.sheetNames.size(), 6u);
    size_t cells = 0;
    for (int page = 1; page < 6; ++page) cells += filled.Texts(page).size();
    EXPECT_EQ(cells, 240u);
    EXPECT_THAT(filled.Texts(1), ::testing::Contains("Строка 1"));
    EXPECT_THAT(filled.Texts(5), ::testing::Contains("Строка 120"));
    EXPECT_TRUE(filled.integrity.Clean()) << filled.integrity.Describe();

    const ReportView failed = generate(true);
    EXPECT_THAT(Messages(), ElementsAre("Не корректный шаблон"));
    ASSERT_TRUE(failed.loaded);
    EXPECT_THAT(failed.sheetNames, ElementsAre("Лист1"));
    EXPECT_THAT(failed.Texts(0), ElementsAre("Титул"));
    EXPECT_TRUE(failed.integrity.Clean()) << failed.integrity.Describe();
    EXPECT_LT(failed.integrity.instances, filled.integrity.instances / 10);
}

// A table that cannot be filled leaves the report and the run goes on: its message is told in the answer of
// a run that succeeded, and the boxes of the showing entry point are those same messages in that order.
TEST_F(GenerateReportTest, WhatARunTellsOnTheWayIsInItsAnswer) {
    CTableElement* table = builder.AddTable(builder.AddSheet(), CPoint(100, -2800), CSize(1900, 2600));
    CHeaderColumn* code = builder.Column("Код", 3);
    CHeaderColumn* missing = builder.Column("Нет в данных");
    for (int i = 0; i < 2; ++i) {
        auto* section = new CReportSection(&builder.Manager());
        section->GetLevels().Add(builder.Level(100, {TemplateBuilder::FieldColumn(code, 300)}));
        section->GetSorts().Add(missing);
        table->GetSections().Add(section);
    }
    builder.AddText(builder.AddSheet(), CPoint(100, -200), CSize(1000, 100), "Текст");
    SaveTemplate();

    CFolivox manager;
    ASSERT_TRUE(manager.GetDataSource().LoadFromFile(Path("data.csv")));
    const zor::Outcome outcome = GenerateReportOutcome(&manager, Path("t.zordot").c_str(), Path("none.par").c_str(),
                                                       Path("r.zorrep").c_str(), nullptr);
    EXPECT_TRUE(outcome.Ok());
    std::vector<std::string> told;
    for (const zor::Reason& note : outcome.Notes()) told.push_back(note.Text());
    EXPECT_THAT(told, ElementsAre("Не корректный шаблон"));
    EXPECT_THAT(Messages(), IsEmpty());
    EXPECT_TRUE(std::filesystem::exists(Path("r.zorrep")));

    EXPECT_TRUE(Run());
    EXPECT_THAT(Messages(), ElementsAre("Не корректный шаблон"));
}

TEST_F(GenerateReportTest, AReportWithoutPagesIsAnEmptyFile) {
    builder.AddTable(builder.AddSheet(), CPoint(100, -2800), CSize(1900, 2600));
    SaveTemplate();
    WriteFile("r.zorrep", "an earlier report\n");
    EXPECT_TRUE(Run());
    EXPECT_THAT(Messages(), IsEmpty());
    EXPECT_TRUE(std::filesystem::exists(Path("r.zorrep")));
    EXPECT_EQ(zor::test::Slurp(Path("r.zorrep")), "");
    if (::geteuid() != 0) {
        // A report file that may not be written is refused, empty or not.
        WriteFile("r.zorrep", "kept\n");
        ::chmod(Path("r.zorrep").c_str(), 0444);
        EXPECT_FALSE(Run());
        EXPECT_THAT(Messages(), ElementsAre("Ошибка при сохранении отчета!\n" + Path("r.zorrep") + ": " +
                                            CzorStepData::GetErrorDescription(zorErrReadOnly)));
        EXPECT_EQ(zor::test::Slurp(Path("r.zorrep")), "kept\n");
    }
}

TEST_F(GenerateReportTest, ContentsWithoutEntriesTakeTheirSheetWithThem) {
    CReportSheet* contents = builder.AddSheet();
    builder.AddContents(contents, CPoint(100, -2800), CSize(1900, 2600));
    builder.AddText(builder.AddSheet(), CPoint(100, -200), CSize(1000, 100), "Текст");
    SaveTemplate();
    ASSERT_TRUE(Run());
    const ReportView report = ReadReport(Path("r.zorrep"));
    ASSERT_TRUE(report.loaded);
    EXPECT_THAT(report.sheetNames, ElementsAre("Лист1"));
    EXPECT_THAT(report.Texts(0), ElementsAre("Текст"));
    EXPECT_EQ(report.CountKind(kElemTableContent), 0);
    EXPECT_THAT(report.contents, IsEmpty());
    EXPECT_TRUE(report.integrity.Clean()) << report.integrity.Describe();
}

// A contents page that runs over goes on in copies of the contents sheet as the template made it: a table
// on that sheet shows its rows on the first page only, whether the contents element comes before or after
// it in the sheet's list.
class ContentsBesideATableTest : public GenerateReportTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ContentsBesideATableTest, ContentsPagesHoldOnlyContentsRows) {
    const bool contentsFirst = GetParam();
    CHeaderColumn* code = builder.Column("Код");
    CHeaderColumn* name = builder.Column("Имя");
    CReportSheet* sheet = builder.AddSheet();
    builder.AddText(sheet, CPoint(100, -50), CSize(1000, 40), "Шапка");
    if (contentsFirst) builder.AddContents(sheet, CPoint(100, -300), CSize(1900, 200));
    CTableElement* table = builder.AddTable(sheet, CPoint(100, -2800), CSize(1900, 2400));
    if (!contentsFirst) builder.AddContents(sheet, CPoint(100, -300), CSize(1900, 200));
    auto* section = new CReportSection(&builder.Manager());
    section->GetLevels().Add(builder.Level(100, {TemplateBuilder::FieldColumn(code, 400),
                                                 TemplateBuilder::FieldColumn(name, 1500)}));
    auto* group = new CGroupCol(&builder.Manager());
    group->m_pColumn = name;
    group->m_Name = "Имя";
    group->m_Rows.Add(builder.Level(100, {TemplateBuilder::FieldColumn(name, 1900)}));
    section->GetGroups().Add(group);
    table->GetSections().Add(section);
    SaveTemplate();
    WriteFile("data.csv", "Код,Имя\n1,Первый\n2,Второй\n3,Третий\n4,Четвёртый\n5,Пятый\n");

    ASSERT_TRUE(Run());
    EXPECT_THAT(Messages(), IsEmpty());
    const ReportView report = ReadReport(Path("r.zorrep"));
    ASSERT_TRUE(report.loaded);
    EXPECT_TRUE(report.integrity.Clean()) << report.integrity.Describe();
    // The first page holds the heading and the table's rows; the room left there takes no contents row, so
    // each group's row goes on a copy of the sheet of its own, which holds nothing else but the template's
    // text.
    ASSERT_EQ(report.pages.size(), 6u);
    EXPECT_THAT(report.Texts(0),
                ElementsAre("Шапка", "Второй", "2", "Второй", "Первый", "1", "Первый", "Пятый", "5", "Пятый", "Третий",
                            "3", "Третий", "Четвёртый", "4", "Четвёртый", "Содержание"));
    const char* const groups[] = {"Второй", "Первый", "Пятый", "Третий", "Четвёртый"};
    for (int page = 1; page < 6; ++page) EXPECT_THAT(report.Texts(page), ElementsAre("Шапка", groups[page - 1]));
}

INSTANTIATE_TEST_SUITE_P(ContentsFirstOrLast, ContentsBesideATableTest, ::testing::Bool());

// --- Model mends that generation relies on ------------------------------------------------------------------

class ModelMendTest : public model_test::ModelTest {};

TEST_F(ModelMendTest, InitLeavesNoContentsNodePointingAtAFreedSheet) {
    CReportSheet* sheet = NewSheet();
    auto* root = new CTableContent(&Manager());
    root->AddSheet(sheet);
    auto* child = new CTableContent(&Manager());
    child->AddSheet(sheet);
    root->AddChild(child);
    Manager().GetTableContents().Add(root);
    ASSERT_TRUE(Manager().Init());
    ASSERT_EQ(Manager().GetTableContents().GetSize(), 1);
    EXPECT_EQ(root->GetSheets().GetSize(), 0);
    EXPECT_EQ(child->GetSheets().GetSize(), 0);
    // Writing the tree after the sheets are gone names no sheet.
    root->Update(true);
    CzorTAggr<CzorInstance> sheets;
    Store().GetAttr(root->GetInstance(), S().zor_table_content_sheets, sheets);
    EXPECT_EQ(sheets.GetSize(), 0);
}

TEST_F(ModelMendTest, DeleteAllClearsEveryLinkEvenToAParameterOutsideTheList) {
    NewParam("В списке", kParamText, "x");
    CReportSheet* sheet = NewSheet();
    CReportElement* shown = NewRect(sheet, {0, 0}, {10, 10});
    model_test::WriteReport(Manager());
    // A parameter instance the manager does not hold, linked from a text of a sheet that is not loaded.
    CzorInstance* stray = Store().CreateInstance(S().e_zor_report_param, false, true);
    CzorInstance* value = shown->GetTextValue().GetInstance();
    ASSERT_NE(value, nullptr);
    sheet->FreeElements();
    ASSERT_TRUE(Store().PutAttr(value, S().zor_value_inst, stray));
    ASSERT_TRUE(Store().PutAttr(value, S().zor_value_type, 2));
    Manager().GetParams().DeleteAll();
    CzorValue link;
    EXPECT_FALSE(Store().GetAttr(value, S().zor_value_inst, link));
    int type = 0;
    Store().GetAttr(value, S().zor_value_type, type);
    EXPECT_EQ(type, kTextOwn);
    EXPECT_FALSE(stray->IsDeleted());
}

}  // namespace
}  // namespace generation_test
