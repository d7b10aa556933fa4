#include "report/tests/generation/end_to_end.h"

#include <gmock/gmock.h>

#include <set>

namespace generation_test {

bool WriteEndToEndTemplate(const std::string& path, std::string* error) {
    TemplateBuilder b;
    if (!b.Ready()) {
        if (error) *error = "no report dictionary";
        return false;
    }
    CReportParam* customer = b.AddParam("Заказчик", kParamText, "не указан");
    CReportParam* merged = b.AddParam(PageFieldParamName(kParamPageNumber), kParamPageNumber);
    CReportParam* number = b.AddParam(PageFieldParamName(kParamLocalPageNumber), kParamLocalPageNumber);
    CReportParam* count = b.AddParam(PageFieldParamName(kParamLocalPageCount), kParamLocalPageCount);
    CReportParam* date = b.AddParam(PageFieldParamName(kParamReportDate), kParamReportDate);

    CHeaderColumn* numberColumn = b.Column("Номер");
    CHeaderColumn* city = b.Column("Город");
    CHeaderColumn* product = b.Column("Товар");
    CHeaderColumn* sum = b.Column("Сумма");
    CHeaderColumn* status = b.Column("Статус");

    CReportSheet* contentsSheet = b.AddSheet();
    b.AddContents(contentsSheet, CPoint(100, -2800), CSize(1900, 2600));

    CReportSheet* tableSheet = b.AddSheet();
    b.AddParamText(tableSheet, CPoint(100, -100), CSize(1000, 80), customer);
    b.AddParamText(tableSheet, CPoint(1100, -100), CSize(200, 80), merged);
    b.AddParamText(tableSheet, CPoint(1300, -100), CSize(200, 80), number);
    b.AddParamText(tableSheet, CPoint(1500, -100), CSize(200, 80), count);
    b.AddParamText(tableSheet, CPoint(1700, -100), CSize(300, 80), date);
    CTableElement* table = b.AddTable(tableSheet, CPoint(100, -1000), CSize(1800, 700));

    auto* section = new CReportSection(&b.Manager());
    section->SetName("Продажи");
    section->GetTitle().SetText(std::string("Продажи"));
    section->GetLevels().Add(b.Level(100, {TemplateBuilder::FieldColumn(numberColumn, 300),
                                           TemplateBuilder::FieldColumn(product, 900),
                                           TemplateBuilder::FieldColumn(sum, 600)}));
    section->SetTitleColumn(section->GetLevels().GetColumn(0, 1));
    section->GetConditions().Add(TemplateBuilder::Condition(status, kCondNotEqual, std::string("отменён")));
    auto* group = new CGroupCol(&b.Manager());
    group->m_pColumn = city;
    group->m_Name = "\"Город \" + Город";
    group->m_Rows.Add(b.Level(100, {TemplateBuilder::FieldColumn(city, 1800)}));
    group->m_LastRows.Add(b.Level(100, {TemplateBuilder::TextColumn("Итого", 300),
                                        TemplateBuilder::FieldColumn(nullptr, 900, kColumnCount),
                                        TemplateBuilder::FieldColumn(sum, 600, kColumnSum)}));
    section->GetGroups().Add(group);
    section->GetSorts().Add(numberColumn);
    table->GetSections().Add(section);

    CReportSheet* continuationSheet = b.AddSheet();
    b.AddParamText(continuationSheet, CPoint(1300, -100), CSize(200, 80), number);
    b.AddParamText(continuationSheet, CPoint(1500, -100), CSize(200, 80), count);
    b.AddContinuation(continuationSheet, table, CPoint(100, -900), CSize(1800, 500));
    return b.Save(path, error);
}

std::string EndToEndData() {
    return "\"Номер\",\"Город\",\"Товар\",\"Сумма\",\"Статус\"\n"
           "\"Д-10\",\"Тверь\",\"Бумага, А4\",\"100\",\"ok\"\n"
           "\"Д-2\",\"Москва\",\"Ручка \"\"синяя\"\"\",\"20\",\"ok\"\n"
           "\"Д-1\",\"Тверь\",\"Степлер\",\"5\",\"ok\"\n"
           "\"Д-3\",\"Москва\",\"Папка\"\n"
           "\"Д-11\",\"Москва\",\"Маркер\",\"7\",\"отменён\"\n"
           "\"Д-4\",\"Тверь\",\"Блокнот\",\"12.50\",\"ok\"\n";
}

std::string EndToEndParameters() {
    return "Заказчик=ООО «Ромашка»=Тверь\r\n"
           "=пусто\n"
           "строка без знака равенства\n"
           "\n"
           " Заказчик=не тот\n"
           "Неизвестный=1\n";
}

namespace {

void CollectPages(const ContentsNode& node, std::vector<int>& pages, int& nodes) {
    ++nodes;
    pages.insert(pages.end(), node.pages.begin(), node.pages.end());
    for (const ContentsNode& child : node.children) CollectPages(child, pages, nodes);
}

}  // namespace

void ExpectReportInvariants(const ReportView& report) {
    ASSERT_TRUE(report.loaded);
    ASSERT_FALSE(report.empty);
    EXPECT_EQ(report.mode, 1);
    EXPECT_TRUE(report.integrity.Clean()) << report.integrity.Describe();
    const int pages = static_cast<int>(report.pages.size());
    ASSERT_EQ(static_cast<int>(report.sheetNames.size()), pages);
    for (int i = 0; i < pages; ++i) EXPECT_EQ(report.sheetNames[static_cast<size_t>(i)], "Лист" + std::to_string(i + 1));
    for (int kind : {kElemTable, kElemTableMap}) EXPECT_EQ(report.CountKind(kind), 0) << kind;
    EXPECT_EQ(report.params.at("Заказчик").value, "ООО «Ромашка»=Тверь");
    EXPECT_EQ(report.selectColumns, 0);
    for (int i = 0; i < pages; ++i) {
        for (const ElementView& e : report.pages[static_cast<size_t>(i)]) {
            // No page field of the report is left linked.
            EXPECT_TRUE(e.paramType < kParamLocalPageNumber) << e.paramType;
            if (e.kind == kElemPageReference) {
                EXPECT_GE(e.target, 1);
                EXPECT_LE(e.target, pages);
            }
        }
    }
    int nodes = 0;
    std::vector<int> targets;
    for (const ContentsNode& root : report.contents) CollectPages(root, targets, nodes);
    EXPECT_GT(nodes, 0);
    for (int page : targets) {
        EXPECT_GE(page, 1);
        EXPECT_LE(page, pages);
    }
}

}  // namespace generation_test
