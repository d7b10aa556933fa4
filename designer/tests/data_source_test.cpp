#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "designer/addins/addins.h"
#include "designer/datasource/data_source_logic.h"
#include "platform/tests/fixed_clock.h"
#include "platform/ui/messages.h"
#include "platform/zordata/clock.h"
#include "report/tests/generation/report_integrity.h"
#include "report/tests/generation/template_builder.h"

using namespace quillmark;
using generation_test::TemplateBuilder;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Texts(const CHeader& header) {
    std::vector<std::string> out;
    for (int i = 0; i < header.GetSize(); ++i) out.push_back(header.GetColumn(i)->m_Name);
    return out;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class DataSource : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(b.Ready());
        dir = fs::temp_directory_path() / ("qm_datasource_" + std::to_string(getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string File(const char* name, const std::string& text) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // Scripted combined-field dialog: the answers in turn, then Cancel.
    CombinedFieldFn Answers(std::vector<std::pair<std::string, std::string>> answers) {
        return [answers, i = size_t(0)](const CHeader&, std::string& name, std::string& function) mutable {
            if (i == answers.size()) return false;
            name = answers[i].first;
            function = answers[i].second;
            ++i;
            return true;
        };
    }

    zor::ScopedClock clock{zor::test::FixedNoon};
    TemplateBuilder b;
    fs::path dir;
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
};

TEST(DataSourceHeader, SplitsAsTheDataFileReaderDoes) {
    struct Case { const char* line; std::vector<std::string> fields; } cases[] = {
        {"Код", {"Код"}},
        {"Код,Город,Сумма", {"Код", "Город", "Сумма"}},
        {"\"Город, район\",Сумма\r", {"Город, район", "Сумма"}},
        {"\"a\"\"b\",", {"a\"b", ""}},
        {"", {""}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitHeaderLine(c.line), c.fields) << c.line;
}

TEST_F(DataSource, FileAndQueryFillTheSourceFieldsWithoutTouchingTheStore) {
    b.Column("Старое");
    CDataSourceDlgLogic dlg(&b.Manager());
    const int instances = b.Store().GetInstances().GetSize();

    EXPECT_FALSE(dlg.LoadFromFile((dir / "none.csv").string()));
    EXPECT_FALSE(dlg.LoadFromFile(File("empty.csv", "")));
    EXPECT_EQ(sink.Texts(), (std::vector<std::string>{"Не могу прочесть файл " + (dir / "none.csv").string(),
                                                       "Файл пуст!"}));
    EXPECT_EQ(dlg.Source().GetSize(), 0);

    ASSERT_TRUE(dlg.LoadFromFile(File("data.csv", "Код,\"Город, район\"\r\n1,2\r\n")));
    EXPECT_EQ(Texts(dlg.Source()), (std::vector<std::string>{"Код", "Город, район"}));
    EXPECT_EQ(dlg.SourceRows()[1].second, "zorSTRING");
    EXPECT_EQ(b.Store().GetInstances().GetSize(), instances);
    EXPECT_EQ(Texts(*b.Manager().GetSelectHeader()), std::vector<std::string>{"Старое"});

    // A query's mode-1 call: what it puts into the header and parameters replaces the dialog's.
    dlg.Params().push_back({"прежний", 0});
    CAddinQuery entry;
    entry.function = [](CzorQuery* q, CRParamsArray* params, int mode) {
        EXPECT_EQ(mode, 1);
        reinterpret_cast<CHeader*>(q->m_nParam2)->AddColumn("Объект", zorINSTANCE);
        params->Add("Дата", 2);
        params->Add("Странный", 42);
        return 0;
    };
    dlg.LoadFromQuery(entry);
    EXPECT_EQ(Texts(dlg.Source()), std::vector<std::string>{"Объект"});
    ASSERT_EQ(dlg.Params().size(), 2u);
    EXPECT_EQ(dlg.Params()[0].name, "Дата");
    EXPECT_EQ(dlg.Params()[0].type, 2);
    EXPECT_EQ(dlg.Params()[1].type, 0);
    EXPECT_EQ(b.Store().GetInstances().GetSize(), instances);
}

TEST_F(DataSource, PathAndCombinedFieldsAreCheckedInOrder) {
    b.Column("Код");
    b.Column("Объект", zorINSTANCE);
    b.Computed("Итог=Код");
    CDataSourceDlgLogic dlg(&b.Manager());
    std::string asked;
    AskTextFn ask = [&](const std::string& caption, std::string& text) {
        asked = caption;
        text = ".name.text";
        return true;
    };
    EXPECT_FALSE(dlg.AddPathField(-1, ask));
    EXPECT_FALSE(dlg.AddPathField(0, ask));
    ASSERT_TRUE(dlg.AddPathField(1, ask));
    EXPECT_EQ(asked, "Атрибут");
    EXPECT_EQ(sink.Texts(), (std::vector<std::string>{"Поле не выбрано!",
                                                       "Данная возможность доступна только для полей типа zorINSTANCE!"}));
    sink.Clear();

    ASSERT_TRUE(dlg.AddCombinedField(Answers({{"", "Код"},
                                              {"Итог", "Код"},
                                              {"Код", "Код"},
                                              {"Сумма", ""},
                                              {"Сумма", "?(Код"},
                                              {"Сумма", "\"№\" + Код"}})));
    EXPECT_EQ(sink.Texts(), (std::vector<std::string>{"Имя поля не должно быть пустым!", "Имя поля не уникально!",
                                                       "Имя поля не уникально!", "Функция не задана!",
                                                       "Не верно задана функция."}));
    EXPECT_FALSE(dlg.AddCombinedField(Answers({})));  // cancelled
    const auto rows = dlg.AdditionalRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].first + "|" + rows[0].second, "Итог|Код");
    EXPECT_EQ(rows[1].first + "|" + rows[1].second, "Объект|.name.text");
    EXPECT_EQ(rows[2].first + "|" + rows[2].second, "Сумма|\"№\" + Код");

    // A formula field may keep its own name, never take another's.
    sink.Clear();
    EXPECT_TRUE(dlg.EditAdditional(0, ask, Answers({{"Итог", "Код + Код"}})));
    EXPECT_FALSE(dlg.EditAdditional(0, ask, Answers({{"Сумма", "Код"}})));
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Имя поля не уникально!"});
    EXPECT_EQ(dlg.Additional().GetColumn(0)->m_Name, "Итог=Код + Код");
    // A path field edits the part from its first '.'.
    AskTextFn rename = [](const std::string&, std::string& text) {
        EXPECT_EQ(text, ".name.text");
        text = ".code";
        return true;
    };
    EXPECT_TRUE(dlg.EditAdditional(1, rename, nullptr));
    EXPECT_EQ(dlg.Additional().GetColumn(1)->m_Name, "Объект.code");
    EXPECT_TRUE(dlg.DeleteAdditional(2));
    EXPECT_FALSE(dlg.DeleteAdditional(2));
}

TEST_F(DataSource, OkRemovesWhatTheDialogDroppedEverywhereAndLeavesNoOrphans) {
    CHeaderColumn* code = b.Column("Код");
    CHeaderColumn* city = b.Column("Город");
    CHeaderColumn* sum = b.Column("Сумма", zorINTEGER);
    b.Computed("Итог=Сумма");
    CReportParam* customer = b.AddParam("Заказчик", kParamText, "ООО");
    CReportParam* period = b.AddParam("Период", kParamText, "2026");
    b.AddParam(PageFieldParamName(kParamPageNumber), kParamPageNumber);
    CReportSheet* first = b.AddSheet();
    CReportElement* periodText = b.AddParamText(first, CPoint(100, -100), CSize(500, 80), period);
    CReportElement* customerText = b.AddParamText(first, CPoint(700, -100), CSize(500, 80), customer);
    CTableElement* table = b.AddTable(first, CPoint(100, -500), CSize(1800, 700));
    auto* section = new CReportSection(&b.Manager());
    section->GetLevels().Add(b.Level(100, {TemplateBuilder::FieldColumn(code, 300), TemplateBuilder::FieldColumn(city, 900),
                                           TemplateBuilder::FieldColumn(sum, 600)}));
    section->GetConditions().Add(TemplateBuilder::Condition(city, kCondNotEqual, std::string("Тверь")));
    auto* byCity = new CGroupCol(&b.Manager());
    byCity->m_pColumn = city;
    byCity->m_Rows.Add(b.Level(100, {TemplateBuilder::FieldColumn(city, 1800)}));
    section->GetGroups().Add(byCity);
    auto* byCode = new CGroupCol(&b.Manager());
    byCode->m_pColumn = code;
    byCode->m_LastRows.Add(b.Level(100, {TemplateBuilder::FieldColumn(city, 900), TemplateBuilder::FieldColumn(sum, 900)}));
    section->GetGroups().Add(byCode);
    section->GetSorts().Add(city);
    section->GetSorts().Add(code);
    table->GetSections().Add(section);
    CReportSheet* second = b.AddSheet();
    b.AddParamText(second, CPoint(100, -100), CSize(500, 80), period);
    const std::string path = (dir / "template.zordot").string();
    ASSERT_TRUE(b.Save(path));
    const std::string original = ReadAll(path);
    second->FreeElements();  // a sheet the designer has not shown yet

    // Cancel: whatever the dialog did, the template saves as it was.
    {
        CDataSourceDlgLogic dlg(&b.Manager());
        dlg.LoadFromFile(File("other.csv", "A,B\n"));
        dlg.DeleteAdditional(0);
        dlg.Params().clear();
    }
    ASSERT_TRUE(b.Save(path));
    EXPECT_EQ(ReadAll(path), original);

    CDataSourceDlgLogic dlg(&b.Manager());
    dlg.Source().RemoveAt(dlg.Source().Find("Город"));
    dlg.Source().GetColumn(dlg.Source().Find("Сумма"))->m_nType = zorSTRING;  // another type: a new column
    dlg.Params().erase(dlg.Params().begin() + 1);  // "Период"
    dlg.Params().push_back({"Новый", kParamNumber});
    ASSERT_TRUE(dlg.Apply());

    EXPECT_EQ(Texts(*b.Manager().GetSelectHeader()), (std::vector<std::string>{"Код", "Сумма"}));
    EXPECT_EQ(b.Manager().GetSelectHeader()->GetColumn(1)->m_nType, zorSTRING);
    CSectionLevel* level = section->GetLevels().GetAt(0);
    EXPECT_EQ(level->m_Columns.GetAt(0)->m_pColumn, code);
    EXPECT_EQ(level->m_Columns.GetAt(1)->m_pColumn, nullptr);
    EXPECT_EQ(level->m_Columns.GetAt(2)->m_pColumn, nullptr);
    EXPECT_EQ(section->GetConditions().GetAt(0)->m_pColumn, nullptr);
    ASSERT_EQ(section->GetGroups().GetSize(), 1);
    EXPECT_EQ(section->GetGroups().GetAt(0), byCode);
    EXPECT_EQ(byCode->m_LastRows.GetAt(0)->m_Columns.GetAt(0)->m_pColumn, nullptr);
    ASSERT_EQ(section->GetSorts().GetSize(), 1);
    EXPECT_EQ(section->GetSorts().GetAt(0), code);

    CParamArray& params = b.Manager().GetParams();
    EXPECT_EQ(params.Find("Период"), -1);
    EXPECT_GE(params.Find("Заказчик"), 0);
    EXPECT_GE(params.Find(kParamPageNumber), 0);  // page fields stay whatever the dialog lists
    ASSERT_GE(params.Find("Новый"), 0);
    EXPECT_EQ(params.GetAt(params.Find("Новый"))->GetType(), kParamNumber);
    EXPECT_EQ(periodText->GetTextValue().GetType(), kTextOwn);
    EXPECT_EQ(periodText->GetTextValue().GetText(), "");
    EXPECT_EQ(customerText->GetTextValue().GetParam(), customer);

    ASSERT_TRUE(b.Save(path));
    const auto integrity = generation_test::CheckReportFile(path);
    EXPECT_TRUE(integrity.Clean()) << integrity.Describe();
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.find("Период"), std::string::npos);  // the unloaded sheet's text lost it too
    EXPECT_EQ(text.find("ZOR_COL('Город'"), std::string::npos);
    EXPECT_EQ(Count(text, "=ZOR_COL("), 3u);
    EXPECT_EQ(Count(text, "=ZOR_GROUP_COL("), 1u);
}

}  // namespace
