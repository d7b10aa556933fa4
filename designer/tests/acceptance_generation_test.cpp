// What the program writes when generation and merging run: reports from a template, a data file and a
// parameter file; the messages and exit status of a broken template and of a missing output name; the
// view half of "gen_view"; and the merge of two reports, also into a target without a report root.
//
// Build with batch_fixture.cpp and report/tests/model/model_fixture.cpp, linking folivox and the test kit.
#include "designer/tests/batch_fixture.h"

#include <filesystem>

#include "report/tests/model/model_fixture.h"

namespace quillmark_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

const std::string kCustomer = "Заказчик";

// A template of one sheet with a heading and a text that shows the parameter "Заказчик" (template value
// "не указан").
void WriteTemplate(const std::string& path) {
    model_test::AttachedModel model;
    ASSERT_TRUE(model.loaded) << model.store.GetLastErrorDescription();
    CFolivox& manager = model.manager;

    auto* param = new CReportParam(&manager);
    param->SetName(kCustomer);
    param->SetParam(std::string("не указан"), kParamText);
    manager.GetParams().Add(param);

    CReportSheet* sheet = model_test::AddPage(manager);
    CReportElement* heading = sheet->CreateReportElem(CPoint(100, -100), CSize(1500, 100), kElemRect);
    heading->GetTextValue().SetText(std::string("Отчет о поставках"));
    sheet->Add(heading);
    CReportElement* customer = sheet->CreateReportElem(CPoint(100, -300), CSize(1500, 100), kElemRect);
    customer->GetTextValue().SetText(param);
    sheet->Add(customer);

    model_test::WriteReport(manager);
    ASSERT_TRUE(model.store.SaveToFile(path.c_str())) << model.store.GetLastErrorDescription();
}

struct ReportContent {
    bool loaded = false;
    int mode = -1;
    int sheets = 0;
    std::vector<std::string> sheetNames;
    std::string customer;  // the text of the parameter "Заказчик"
};

ReportContent ReadReportFile(const std::string& path) {
    ReportContent out;
    model_test::AttachedModel model;
    if (!model.loaded || !model.store.LoadFromFile(path.c_str())) return out;
    const CReportSchema& s = model.manager.Schema();
    CzorInstance* root = FirstOfExtent(model.store, s.e_zor_report);
    if (!root) return out;
    out.loaded = true;
    model.store.GetAttr(root, s.zor_report_mode, out.mode);
    model_test::ReadReport(model.manager);
    out.sheets = model.manager.GetSheetCount();
    for (CReportSheet* sheet : model.manager.GetSheets()) out.sheetNames.push_back(sheet->GetName());
    CParamArray& params = model.manager.GetParams();
    const int i = params.Find(kCustomer);
    if (i >= 0) out.customer = params.GetAt(i)->GetText();
    return out;
}

class GenerationRun : public BatchRun {
protected:
    void SetUp() override {
        BatchRun::SetUp();
        ASSERT_NO_FATAL_FAILURE(WriteTemplate(W("t.zordot")));
        ASSERT_TRUE(ReadReportFile(W("t.zordot")).loaded);
        m_base = WriteDataFile();
        WriteFile(m_base + ".par", "Заказчик=ООО «Ромашка»\nНеизвестный=1\n");
    }
    std::vector<std::string> GenArgs(const char* mode, const std::string& out) const {
        return {mode, W("t.zordot"), "-path=" + m_base, "-outfile=" + out};
    }
    std::string m_base;
};

TEST_F(GenerationRun, GenerateWritesTheReportWithItsParameters) {
    for (const char* mode : {"-gen", "-GEN"}) {
        SCOPED_TRACE(mode);
        std::filesystem::remove(W("r.zorrep"));
        const ProgramResult r = Run(GenArgs(mode, W("r.zorrep")));
        EXPECT_EQ(r.exitStatus, 0) << Describe(r);
        EXPECT_THAT(Messages(r.err), IsEmpty()) << Describe(r);
        EXPECT_EQ(LogLines().back(), LogLine(GenArgs(mode, W("r.zorrep"))));
        const ReportContent report = ReadReportFile(W("r.zorrep"));
        ASSERT_TRUE(report.loaded);
        EXPECT_EQ(report.mode, 1);
        EXPECT_EQ(report.sheets, 1);
        EXPECT_EQ(report.customer, "ООО «Ромашка»");
    }
}

TEST_F(GenerationRun, RelativePathsAreTakenFromTheWorkingFolder) {
    const ProgramResult r = Run({"-gen", "t.zordot", "-path=data", "-outfile=r.zorrep"});
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_TRUE(ReadReportFile(W("r.zorrep")).loaded);
}

TEST_F(GenerationRun, TemplatePathStartingWithSlashIsTheTemplate) {
    const std::string absolute = R("templates");
    std::filesystem::create_directory(absolute);
    std::filesystem::rename(W("t.zordot"), absolute + "/t.zordot");
    const ProgramResult r = Run({absolute + "/t.zordot", "-gen", "-path=" + m_base, "-outfile=" + W("r.zorrep")});
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_TRUE(ReadReportFile(W("r.zorrep")).loaded);
}

TEST_F(GenerationRun, MissingParameterFileKeepsTheTemplateValues) {
    std::filesystem::remove(m_base + ".par");
    const ProgramResult r = Run(GenArgs("-gen", W("r.zorrep")));
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_THAT(Messages(r.err), IsEmpty());
    const ReportContent report = ReadReportFile(W("r.zorrep"));
    ASSERT_TRUE(report.loaded);
    EXPECT_EQ(report.customer, "не указан");
}

TEST_F(GenerationRun, WithoutOutfileTheEngineSaysSo) {
    const ProgramResult r = Run({"-gen", W("t.zordot"), "-path=" + m_base});
    EXPECT_EQ(r.exitStatus, 3) << Describe(r);
    EXPECT_THAT(Messages(r.err), ElementsAre(kCaption + "Не указан файл отчета!"));
}

TEST_F(GenerationRun, BrokenTemplateIsAGenerationErrorAndWritesNothing) {
    WriteFile(W("broken.zordot"), "ISO-10303-21;\nHEADER;\nthis is not a template\n");
    WriteFile(W("r.zorrep"), "an earlier report\n");
    const ProgramResult r = Run({"-gen", W("broken.zordot"), "-path=" + m_base, "-outfile=" + W("r.zorrep")});
    EXPECT_EQ(r.exitStatus, 3) << Describe(r);
    const std::vector<std::string> messages = Messages(r.err);
    ASSERT_THAT(messages, SizeIs(1)) << Describe(r);
    EXPECT_TRUE(messages[0].starts_with(kCaption + "Ошибка загрузки данных " + W("broken.zordot") + " ("))
        << messages[0];
    EXPECT_EQ(zor::test::Slurp(W("r.zorrep")), "an earlier report\n");
}

TEST_F(GenerationRun, TemplateWithoutReportRootIsAGenerationError) {
    WriteFile(W("empty.zordot"), "");
    const ProgramResult r = Run({"-gen", W("empty.zordot"), "-path=" + m_base, "-outfile=" + W("r.zorrep")});
    EXPECT_EQ(r.exitStatus, 3) << Describe(r);
    EXPECT_THAT(Messages(r.err), ElementsAre(kCaption + "Не корректный шаблон."));
    EXPECT_FALSE(Exists(W("r.zorrep")));
}

TEST_F(GenerationRun, GenViewReportsAFailedGenerationAfterTheEngine) {
    WriteFile(W("empty.zordot"), "");
    const ProgramResult r = Run({"-gen_view", W("empty.zordot"), "-path=" + m_base, "-outfile=" + W("r.zorrep")});
    EXPECT_EQ(r.exitStatus, 3) << Describe(r);
    EXPECT_THAT(Messages(r.err), ElementsAre(kCaption + "Не корректный шаблон.", kGenerationError));
    EXPECT_FALSE(Exists(W("r.zorrep")));
}

// With no display the report is written and the run succeeds; it only says that it cannot show it.
TEST_F(GenerationRun, GenViewWithoutDisplayWritesTheReportAndSaysItCannotShowIt) {
    const ProgramResult r = Run(GenArgs("-gen_view", W("r.zorrep")));
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_EQ(r.err, "Квиллмарк: нет дисплея, отчет " + W("r.zorrep") + " записан, но не может быть показан.\n");
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(ReadReportFile(W("r.zorrep")).loaded);
}

TEST_F(GenerationRun, UnificationAppendsTheSecondReportToTheFirst) {
    ASSERT_EQ(Run(GenArgs("-gen", W("a.zorrep"))).exitStatus, 0);
    ASSERT_EQ(Run(GenArgs("-gen", W("b.zorrep"))).exitStatus, 0);
    const std::string source = zor::test::Slurp(W("b.zorrep"));
    const std::vector<std::string> args = {"-unification", W("a.zorrep"), "-outfile=" + W("b.zorrep")};
    const ProgramResult r = Run(args);
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_THAT(Messages(r.err), IsEmpty());
    EXPECT_EQ(LogLines().back(), LogLine(args));
    const ReportContent merged = ReadReportFile(W("a.zorrep"));
    ASSERT_TRUE(merged.loaded);
    EXPECT_THAT(merged.sheetNames, ElementsAre("Лист1", "Лист2"));
    EXPECT_EQ(zor::test::Slurp(W("b.zorrep")), source);
}

TEST_F(GenerationRun, UnificationIntoATargetWithoutReportRootCopiesTheSource) {
    ASSERT_EQ(Run(GenArgs("-gen", W("b.zorrep"))).exitStatus, 0);
    WriteFile(W("a.zorrep"), "");
    const ProgramResult r = Run({"-unification", W("a.zorrep"), "-outfile=" + W("b.zorrep")});
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_EQ(zor::test::Slurp(W("a.zorrep")), zor::test::Slurp(W("b.zorrep")));
}

}  // namespace
}  // namespace quillmark_test
