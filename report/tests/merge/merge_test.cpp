// Merging one report into another: sheet names and order, page fields, frozen parameters, parameters made
// once, table-of-contents nodes, and a merged report that opens in the model.
#include <gmock/gmock.h>

#include "report/generation/generate_report.h"
#include "report/generation/unification.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"
#include "report/tests/merge/merge_fixture.h"
#include "report/tests/model/template_lists.h"

namespace merge_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Texts = std::vector<std::string>;

// A target of three pages and a source of two, each with its own page fields, a number and a title.
ReportPlan TargetSpec() {
    ReportPlan r;
    r.params = StandardParams("7", "Отчёт А");
    r.sheets = {{"Итоги", Text::Linked(kPageNumber), Text::Linked(kPageCount)},
                {Text::Linked(kTitle), Text::Linked(kCurrentDate)},
                {"конец"}};
    r.contents = {{"Раздел А", {0, 1}, {{"Группа А1", {1}, {}}}}};
    return r;
}

ReportPlan SourceSpec() {
    ReportPlan r;
    r.params = StandardParams("12", "Отчёт Б");
    r.sheets = {{Text::Linked(kNumber), Text::Linked(kPageNumber), Text::Linked(kTitle)},
                {Text::Linked(kPageCount), Text::Linked(kCurrentDate), "подпись"}};
    r.contents = {{"Раздел Б", {0, 1}, {{"Группа Б1", {1}, {}}}}};
    return r;
}

std::vector<std::string> ParamNames(const ReportSummary& r) {
    std::vector<std::string> out;
    for (const Param& p : r.params) out.push_back(p.name + "#" + std::to_string(p.type));
    return out;
}

class UnificationTest : public MergeTest {};

TEST_F(UnificationTest, SourcePagesFollowTheTargetsWithPageFieldsLinkedAndValuesFrozen) {
    ASSERT_TRUE(WriteReportFile(Path("a.zorrep"), TargetSpec()));
    ASSERT_TRUE(WriteReportFile(Path("b.zorrep"), SourceSpec()));

    ASSERT_TRUE(UnificationReports(Path("a.zorrep"), Path("b.zorrep")));

    const ReportSummary r = ReadReportFile(Path("a.zorrep"));
    ASSERT_TRUE(r.loaded);
    EXPECT_EQ(r.mode, 1);
    EXPECT_THAT(r.sheetNames, ElementsAre("Лист1", "Лист2", "Лист3", "Лист4", "Лист5"));
    EXPECT_THAT(r.texts, ElementsAre(Texts{"Итоги", "@Номер страницы#4", "@Количество страниц#5"},
                                     Texts{"@Заголовок#0", "@Текущая дата#6"},
                                     Texts{"конец"},
                                     Texts{"12", "@Номер страницы#4", "Отчёт Б"},
                                     Texts{"@Количество страниц#5", "@Текущая дата#6", "подпись"}));
    // The target's own parameters, no source parameter and no second page field.
    EXPECT_THAT(ParamNames(r), ElementsAre("Номер страницы#4", "Количество страниц#5", "Текущая дата#6",
                                           "Номер#1", "Заголовок#0"));
    EXPECT_EQ(r.params[3].value, "7");
    EXPECT_EQ(r.danglingLinks, 0);
    EXPECT_EQ(r.sheetInstances, 5);
    // Both contents trees, the source's pointing at the copied pages.
    ASSERT_EQ(r.contents.size(), 2u);
    EXPECT_EQ(r.contents[0].title, "Раздел А");
    EXPECT_THAT(r.contents[0].sheets, ElementsAre(0, 1));
    ASSERT_EQ(r.contents[0].children.size(), 1u);
    EXPECT_THAT(r.contents[0].children[0].sheets, ElementsAre(1));
    EXPECT_EQ(r.contents[1].title, "Раздел Б");
    EXPECT_THAT(r.contents[1].sheets, ElementsAre(3, 4));
    ASSERT_EQ(r.contents[1].children.size(), 1u);
    EXPECT_EQ(r.contents[1].children[0].title, "Группа Б1");
    EXPECT_THAT(r.contents[1].children[0].sheets, ElementsAre(4));
    EXPECT_THAT(Messages(), IsEmpty());
}

TEST_F(UnificationTest, MissingPageFieldParametersAreMadeOnceWithTheirSystemNames) {
    ReportPlan target;
    target.params = {{"Номер", kParamNumber, "3"}};
    target.sheets = {{Text::Linked(0)}};
    ASSERT_TRUE(WriteReportFile(Path("a.zorrep"), target));
    ASSERT_TRUE(WriteReportFile(Path("b.zorrep"), SourceSpec()));
    ASSERT_TRUE(WriteReportFile(Path("c.zorrep"), SourceSpec()));

    ASSERT_TRUE(UnificationReports(Path("a.zorrep"), Path("b.zorrep")));
    ASSERT_TRUE(UnificationReports(Path("a.zorrep"), Path("c.zorrep")));

    const ReportSummary r = ReadReportFile(Path("a.zorrep"));
    EXPECT_THAT(ParamNames(r), ElementsAre("Номер#1", "Номер страницы#4", "Количество страниц#5", "Текущая дата#6"));
    EXPECT_THAT(r.sheetNames, ElementsAre("Лист1", "Лист2", "Лист3", "Лист4", "Лист5"));
    // The first merge's markers stay linked through the second merge.
    for (size_t page : {1u, 3u}) {
        EXPECT_THAT(r.texts[page], ElementsAre("12", "@Номер страницы#4", "Отчёт Б")) << page;
        EXPECT_THAT(r.texts[page + 1], ElementsAre("@Количество страниц#5", "@Текущая дата#6", "подпись")) << page;
    }
    EXPECT_EQ(r.danglingLinks, 0);
    EXPECT_EQ(r.contents.size(), 2u);
}

// A text that shows its own text but still refers to a parameter must not bring that parameter along.
TEST_F(UnificationTest, NoSourceParameterReachesTheTarget) {
    ASSERT_TRUE(WriteReportFile(Path("a.zorrep"), TargetSpec()));
    ReportPlan source = SourceSpec();
    source.sheets[1].push_back("устаревшая ссылка");
    ASSERT_TRUE(WriteReportFile(Path("b.zorrep"), source));
    ASSERT_TRUE(EditReportFile(Path("b.zorrep"), [](CzorStepDataWithFile& store, const CReportSchema& s) {
        CzorTAggr<CzorInstance> values, params;
        store.GetEntityExtent(s.e_zor_value, values);
        store.GetEntityExtent(s.e_zor_report_param, params);
        for (CzorInstance* v : values) {
            std::string text;
            if (store.GetAttr(v, s.zor_value_text, text) && text == "устаревшая ссылка") {
                ASSERT_TRUE(store.PutAttr(v, s.zor_value_inst, params.GetAt(kTitle)));
            }
        }
    }));

    ASSERT_TRUE(UnificationReports(Path("a.zorrep"), Path("b.zorrep")));

    const ReportSummary r = ReadReportFile(Path("a.zorrep"));
    EXPECT_EQ(r.params.size(), 5u);
    EXPECT_THAT(r.texts.back(), ElementsAre("@Количество страниц#5", "@Текущая дата#6", "подпись", "устаревшая ссылка"));
}

// Where the names don't number the pages from 1 without gaps or repeats, every page stays and the
// target's pages come first; where they do, they decide the order.
TEST_F(UnificationTest, SheetOrderKeepsEveryPageWhateverTheNames) {
    struct Case {
        std::vector<std::string> targetNames;
        std::vector<std::string> firstTexts;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {{"Лист1", "Лист2"}, {"t0", "t1", "s0", "s1"}, {"Лист1", "Лист2", "Лист3", "Лист4"}},
        {{"Лист2", "Лист1"}, {"t1", "t0", "s0", "s1"}, {"Лист1", "Лист2", "Лист3", "Лист4"}},
        {{"Лист1", "Лист3"}, {"t0", "t1", "s0", "s1"}, {"Лист1", "Лист3", "Лист3", "Лист4"}},
        {{"Лист1", "Лист1"}, {"t0", "t1", "s0", "s1"}, {"Лист1", "Лист1", "Лист3", "Лист4"}},
        {{"Обложка", "Лист2"}, {"t0", "t1", "s0", "s1"}, {"Обложка", "Лист2", "Лист3", "Лист4"}},
        {{"", ""}, {"t0", "t1", "s0", "s1"}, {"", "", "Лист3", "Лист4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.targetNames[0] + "," + c.targetNames[1]);
        ReportPlan target, source;
        target.sheets = {{"t0"}, {"t1"}};
        source.sheets = {{"s0"}, {"s1"}};
        ASSERT_TRUE(WriteReportFile(Path("a.zorrep"), target, c.targetNames));
        ASSERT_TRUE(WriteReportFile(Path("b.zorrep"), source));

        ASSERT_TRUE(UnificationReports(Path("a.zorrep"), Path("b.zorrep")));

        const ReportSummary r = ReadReportFile(Path("a.zorrep"));
        std::vector<std::string> first;
        for (const auto& texts : r.texts) first.push_back(texts.empty() ? "" : texts[0]);
        EXPECT_EQ(first, c.firstTexts);
        EXPECT_EQ(r.sheetNames, c.names);
    }
}

TEST_F(UnificationTest, TargetWithoutReportRootBecomesACopyOfTheSource) {
    ASSERT_TRUE(zor::WriteFileAtomically(Path("empty.zorrep"), ""));
    ASSERT_TRUE(WriteRootlessFile(Path("rootless.zorrep")));
    ASSERT_TRUE(WriteReportFile(Path("b.zorrep"), SourceSpec()));

    ASSERT_TRUE(UnificationReports(Path("empty.zorrep"), Path("b.zorrep")));
    ASSERT_TRUE(UnificationReports(Path("rootless.zorrep"), Path("b.zorrep")));

    EXPECT_EQ(zor::test::Slurp(Path("empty.zorrep")), zor::test::Slurp(Path("b.zorrep")));
    EXPECT_EQ(zor::test::Slurp(Path("rootless.zorrep")), zor::test::Slurp(Path("b.zorrep")));
    EXPECT_THAT(Messages(), IsEmpty());
}

TEST_F(UnificationTest, SourceWithoutReportRootIsRefusedAndNothingWritten) {
    ASSERT_TRUE(WriteReportFile(Path("a.zorrep"), TargetSpec()));
    ASSERT_TRUE(zor::WriteFileAtomically(Path("b.zorrep"), ""));
    const std::string before = zor::test::Slurp(Path("a.zorrep"));

    EXPECT_FALSE(UnificationReports(Path("a.zorrep"), Path("b.zorrep")));

    EXPECT_EQ(zor::test::Slurp(Path("a.zorrep")), before);
}

// The merged file opens the way the program opens a report: parameters from the extent, pages from the
// root; every page field shows a parameter of the report.
TEST_F(UnificationTest, MergedReportOpensWithLinkedPageFields) {
    ASSERT_TRUE(WriteReportFile(Path("a.zorrep"), TargetSpec()));
    ASSERT_TRUE(WriteReportFile(Path("b.zorrep"), SourceSpec()));
    ASSERT_TRUE(UnificationReports(Path("a.zorrep"), Path("b.zorrep")));

    CzorStepDataWithFile store;
    ASSERT_TRUE(store.LoadDictionary(QM_DICT_DIR "/quillmark"));
    ASSERT_TRUE(store.LoadFromFile(Path("a.zorrep").c_str()));
    CFolivox manager;
    manager.Attach(&store, QM_DICT_DIR "/");
    const CReportSchema& s = manager.Schema();
    CzorTAggr<CzorInstance> params, sheets;
    store.GetEntityExtent(s.e_zor_report_param, params);
    model_test::ReadParams(manager, params);
    store.GetAttr(FirstOfExtent(store, s.e_zor_report), s.zor_report_sheets, sheets);
    for (CzorInstance* instance : sheets) {
        auto* sheet = new CReportSheet(&manager);
        sheet->SetInstance(instance);
        manager.AddSheet(sheet);
        sheet->Update(false);
        sheet->LoadElementsFromFile();
    }
    ASSERT_EQ(manager.GetSheetCount(), 5);
    const CTextValue& number = manager.GetSheet(3)->GetElement(1)->GetTextValue();
    ASSERT_NE(number.GetParam(), nullptr);
    EXPECT_EQ(number.GetParam()->GetType(), kParamPageNumber);
    EXPECT_EQ(number.GetParam(), manager.GetSheet(0)->GetElement(1)->GetTextValue().GetParam());
    const CTextValue& frozen = manager.GetSheet(3)->GetElement(0)->GetTextValue();
    EXPECT_EQ(frozen.GetType(), 1);
    EXPECT_EQ(frozen.GetText(), "12");
    // Reading drops a link to anything that is no parameter of the report; none was dropped.
    store.GetEntityExtent(s.e_zor_report_param, params);
    EXPECT_EQ(params.GetSize(), 5);
    manager.Detach();
}

}  // namespace
}  // namespace merge_test
