// The field set-up dialog without widgets, in each of its modes, and the column dialog's mapping of a
// column's values to its fields and back.
#include <gtest/gtest.h>

#include "platform/ui/messages.h"
#include "report/dialogs/column_dialog_logic.h"
#include "report/dialogs/field_setup_logic.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/group_col.h"
#include "report/model/report_section.h"

namespace {

using Names = std::vector<std::string>;

CColumn* NewColumn(const std::string& name, int width, CHeaderColumn* source = nullptr, int kind = kColumnField) {
    auto* c = new CColumn();
    c->m_Name = name;
    c->m_nWidth = width;
    c->m_pColumn = source;
    c->m_nType = kind;
    return c;
}

// The level dialog answering OK with these values, or Cancel when name is null.
LevelRunner LevelAnswer(const char* name, int height = 80, int flags = 0) {
    return [=](std::string& n, int& h, int& f) {
        if (!name) return false;
        n = name;
        h = height;
        f = flags;
        return true;
    };
}

ColumnRunner ColumnAnswer(const char* name, ColumnDlgValues* seen = nullptr) {
    return [=](ColumnDlgValues& v) {
        if (seen) *seen = v;
        if (!name) return false;
        v.name = name;
        return true;
    };
}

class FieldsDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        CHeader* file = manager.GetSelectHeader();
        file->AddColumn("Отдел", 5);
        file->AddColumn("Сумма", 5);
        dept = file->GetColumn(0);
        sum = file->GetColumn(1);
        section.SetManager(&manager);
        auto* main = new CSectionLevel(&manager);
        main->m_Name = "Основной";
        main->m_Columns.Add(NewColumn("Отдел", 500, dept));
        main->m_Columns.Add(NewColumn("Сумма", 300, sum, kColumnSum));
        main->m_Columns.Add(NewColumn("Отдел", 200));  // a second column of the same name
        auto* extra = new CSectionLevel(&manager);
        extra->m_Name = "Итог";
        extra->m_Columns.Add(NewColumn("Всего", 400));
        section.GetLevels().Add(main);
        section.GetLevels().Add(extra);
        section.SetTitleColumn(main->m_Columns.GetAt(1));
    }
    Names LevelNames(const CSectionLevelArray& levels) const {
        Names names;
        for (const CSectionLevel* l : levels) names.push_back(l->m_Name);
        return names;
    }
    Names ColumnNames(const CSectionLevel* level) const {
        Names names;
        for (const CColumn* c : level->m_Columns) names.push_back(c->m_Name);
        return names;
    }
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
    CFolivox manager;
    CReportSection section{&manager};
    CHeaderColumn* dept = nullptr;
    CHeaderColumn* sum = nullptr;
};

TEST_F(FieldsDlgTest, OpensByModeOnWhatItEdits) {
    CGroupCol group(&manager);
    const struct {
        FieldsMode mode;
        CReportSection* section;
        CGroupCol* group;
        bool opens;
        const char* caption;
        bool groupButton;
    } cases[] = {
        {FieldsMode::kSectionLevels, &section, nullptr, true, "Настройка полей", true},
        {FieldsMode::kChooseColumn, &section, nullptr, true, "Выбор...", false},
        {FieldsMode::kGroupTitles, nullptr, &group, true, "Настройка полей", false},
        {FieldsMode::kGroupClosings, nullptr, &group, true, "Настройка полей", false},
        {FieldsMode::kSectionLevels, nullptr, &group, false, "Настройка полей", false},
        {FieldsMode::kGroupTitles, &section, nullptr, false, "Настройка полей", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        CFieldsDlgLogic logic(c.mode, c.section, c.group);
        EXPECT_EQ(logic.CanOpen(), c.opens);
        EXPECT_EQ(logic.Caption(), c.caption);
        EXPECT_EQ(logic.ShowGroupButton(), c.groupButton);
    }
}

TEST_F(FieldsDlgTest, ColumnRowsShowPositionNameWidthAndSource) {
    section.GetLevels().GetAt(0)->m_Columns.GetAt(2)->m_nLevel = 1;
    CFieldsDlgLogic logic(FieldsMode::kSectionLevels, &section, nullptr);
    EXPECT_EQ(logic.LevelNames(), (Names{"Основной", "Итог"}));
    const auto rows = logic.ColumnRows(0);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].position, "1");
    EXPECT_EQ(rows[0].width, "50.0");
    EXPECT_EQ(rows[0].source, "Отдел");
    EXPECT_EQ(rows[2].position, "3");
    EXPECT_EQ(rows[2].source, "Уровень");
    EXPECT_TRUE(logic.ColumnRows(5).empty());
}

TEST_F(FieldsDlgTest, LevelNamesMustStayUnique) {
    CFieldsDlgLogic logic(FieldsMode::kSectionLevels, &section, nullptr);
    EXPECT_TRUE(logic.EditLevel(0, LevelAnswer("Основной", 90)));  // its own name
    EXPECT_EQ(logic.Levels().GetAt(0)->m_nHeight, 90);
    EXPECT_FALSE(logic.EditLevel(0, LevelAnswer("Итог", 70)));     // another's
    EXPECT_EQ(logic.Levels().GetAt(0)->m_Name, "Основной");
    EXPECT_EQ(logic.NewLevel(LevelAnswer("Итог")), -1);
    EXPECT_EQ(logic.CopyLevel(0, LevelAnswer("Основной")), -1);
    EXPECT_EQ(sink.Texts(), (Names(3, "Имя уровня не уникально!")));
    int offered = -1;
    EXPECT_EQ(logic.NewLevel([&](std::string&, int& height, int&) {
                  offered = height;
                  return false;  // Cancel
              }),
              -1);
    EXPECT_EQ(offered, 100);
    EXPECT_EQ(logic.NewLevel(LevelAnswer("Шапка", 120, kLevelKeepTogether)), 2);
    EXPECT_EQ(logic.Levels().GetAt(2)->m_nFlag, kLevelKeepTogether);
}

TEST_F(FieldsDlgTest, ACopiedLevelCopiesTheLayoutNotWhatTheCellsShow) {
    section.GetLevels().GetAt(0)->m_Columns.GetAt(2)->m_nType = kColumnText;
    section.GetLevels().GetAt(0)->m_Columns.GetAt(2)->m_TextConst = "итого";
    CFieldsDlgLogic logic(FieldsMode::kSectionLevels, &section, nullptr);
    ASSERT_EQ(logic.CopyLevel(0, LevelAnswer("Копия")), 2);
    const CSectionLevel* copy = logic.Levels().GetAt(2);
    EXPECT_EQ(ColumnNames(copy), (Names{"Отдел", "Сумма", "Отдел"}));
    EXPECT_EQ(copy->m_Columns.GetAt(1)->m_pColumn, sum);
    EXPECT_EQ(copy->m_Columns.GetAt(1)->m_nWidth, 300);
    for (const CColumn* c : copy->m_Columns) {
        EXPECT_EQ(c->m_nType, kColumnField);
        EXPECT_TRUE(c->m_TextConst.empty());
        EXPECT_NE(c, section.GetLevels().GetAt(0)->m_Columns.GetAt(0));
    }
}

TEST_F(FieldsDlgTest, ColumnCommands) {
    CFieldsDlgLogic logic(FieldsMode::kSectionLevels, &section, nullptr);
    ColumnDlgValues seen;
    ASSERT_EQ(logic.NewColumn(0, ColumnAnswer("Новая", &seen)), 3);
    EXPECT_EQ(seen.caption, "Поле");
    EXPECT_EQ(seen.layout, kColumnLayoutSection);
    EXPECT_EQ(seen.width, 500);
    EXPECT_EQ(seen.manager, &manager);
    EXPECT_EQ(logic.ColumnAt(0, 3)->m_nIndex, 4);
    EXPECT_EQ(logic.NewColumn(0, ColumnAnswer("Сумма")), -1);
    EXPECT_EQ(sink.Texts().back(), "Имя не уникально!");

    ASSERT_EQ(logic.CopyColumn(0, 1, ColumnAnswer("Сумма 2", &seen)), 4);
    EXPECT_TRUE(seen.name.empty());
    EXPECT_EQ(seen.column, nullptr);
    EXPECT_EQ(seen.kind, kColumnSum);
    EXPECT_EQ(seen.width, 300);

    EXPECT_TRUE(logic.EditColumn(0, 1, ColumnAnswer("Сумма", &seen)));  // its own name
    EXPECT_EQ(seen.caption, "Свойства");
    EXPECT_FALSE(logic.EditColumn(0, 1, ColumnAnswer("Новая")));
    EXPECT_EQ(sink.Texts().back(), "Имя уровня не уникально!");
    EXPECT_EQ(logic.ColumnAt(0, 1)->m_Name, "Сумма");
    EXPECT_FALSE(logic.NewColumn(7, ColumnAnswer("x")) >= 0);  // no level
}

TEST_F(FieldsDlgTest, DeletingARowDeletesThatRowsOwnColumn) {
    CFieldsDlgLogic logic(FieldsMode::kSectionLevels, &section, nullptr);
    const CColumn* first = logic.ColumnAt(0, 0);
    ASSERT_TRUE(logic.DeleteColumn(0, 2));  // the second "Отдел"
    EXPECT_EQ(logic.ColumnAt(0, 0), first);
    EXPECT_EQ(logic.ColumnRows(0).size(), 2u);
    EXPECT_FALSE(logic.DeleteColumn(0, 9));
}

TEST_F(FieldsDlgTest, MovingRenumbersAndKeepsTheOrderWhenTheLevelChanges) {
    CFieldsDlgLogic logic(FieldsMode::kSectionLevels, &section, nullptr);
    EXPECT_EQ(logic.MoveColumn(0, 0, -1), 0);  // the first up: nothing
    EXPECT_EQ(logic.MoveColumn(0, 2, +1), 2);  // the last down: nothing
    EXPECT_EQ(logic.MoveColumn(0, 0, +1), 1);
    EXPECT_EQ(logic.MoveColumn(0, 2, -1), 1);
    const auto rows = logic.ColumnRows(0);
    EXPECT_EQ(rows[0].name, "Сумма");
    EXPECT_EQ(rows[1].width, "20.0");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(logic.ColumnAt(0, i)->m_nIndex, i + 1);
    logic.ColumnRows(1);  // another level chosen
    logic.Ok(1, 0);
    EXPECT_EQ(ColumnNames(section.GetLevels().GetAt(0)), (Names{"Сумма", "Отдел", "Отдел"}));
    EXPECT_EQ(section.GetLevels().GetAt(0)->m_Columns.GetAt(1)->m_nWidth, 200);
}

TEST_F(FieldsDlgTest, CancelLeavesTheSectionAsItWas) {
    const CSectionLevel* before = section.GetLevels().GetAt(1);
    {
        CFieldsDlgLogic logic(FieldsMode::kSectionLevels, &section, nullptr);
        EXPECT_EQ(logic.DeleteLevel(1), 0);
        EXPECT_TRUE(logic.DeleteColumn(0, 0));
        EXPECT_EQ(logic.NewLevel(LevelAnswer("Новый")), 1);
    }  // closed without OK
    EXPECT_EQ(LevelNames(section.GetLevels()), (Names{"Основной", "Итог"}));
    EXPECT_EQ(section.GetLevels().GetAt(1), before);
    EXPECT_EQ(section.GetLevels().GetAt(0)->m_Columns.GetSize(), 3);
}

TEST_F(FieldsDlgTest, OkKeepsTheTitleColumnWhileItExists) {
    const struct {
        const char* name;
        std::function<void(CFieldsDlgLogic&)> edit;
        const char* title;  // the title column's name afterwards, null for none
        int titleIndex;
    } cases[] = {
        {"nothing changed", [](CFieldsDlgLogic&) {}, "Сумма", 1},
        {"moved within its level", [](CFieldsDlgLogic& l) { l.MoveColumn(0, 1, -1); }, "Сумма", 0},
        {"renamed", [](CFieldsDlgLogic& l) { l.EditColumn(0, 1, ColumnAnswer("Итого")); }, "Итого", 1},
        {"another column deleted", [](CFieldsDlgLogic& l) { l.DeleteColumn(0, 0); }, "Сумма", 0},
        {"its column deleted", [](CFieldsDlgLogic& l) { l.DeleteColumn(0, 1); }, nullptr, -1},
        {"its level deleted", [](CFieldsDlgLogic& l) { l.DeleteLevel(0); }, nullptr, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CReportSection copy(&manager);
        copy = section;
        CFieldsDlgLogic logic(FieldsMode::kSectionLevels, &copy, nullptr);
        c.edit(logic);
        logic.Ok(0, 0);
        if (!c.title) {
            EXPECT_EQ(copy.GetTitleColumn(), nullptr);
            continue;
        }
        ASSERT_NE(copy.GetTitleColumn(), nullptr);
        EXPECT_EQ(copy.GetTitleColumn()->m_Name, c.title);
        EXPECT_EQ(copy.GetTitleColumn(), copy.GetLevels().GetColumn(0, c.titleIndex));
    }
}

TEST_F(FieldsDlgTest, ChoosingWorksOnTheSectionsOwnLevels) {
    {
        CFieldsDlgLogic logic(FieldsMode::kChooseColumn, &section, nullptr);
        EXPECT_EQ(logic.NewColumn(1, ColumnAnswer("Добавлено")), 1);
        logic.Ok(0, 2);
        EXPECT_EQ(logic.Chosen(), section.GetLevels().GetColumn(0, 2));
    }
    EXPECT_EQ(ColumnNames(section.GetLevels().GetAt(1)), (Names{"Всего", "Добавлено"}));  // changed at once
    CFieldsDlgLogic none(FieldsMode::kChooseColumn, &section, nullptr);
    none.Ok(0, -1);
    EXPECT_EQ(none.Chosen(), nullptr);
    {
        CFieldsDlgLogic logic(FieldsMode::kChooseColumn, &section, nullptr);
        EXPECT_TRUE(logic.DeleteColumn(0, 1));  // the title column
    }
    EXPECT_EQ(section.GetTitleColumn(), nullptr);
}

TEST_F(FieldsDlgTest, AGroupingColumnsTitleAndClosingLines) {
    CGroupCol group(&manager);
    auto* closing = new CSectionLevel(&manager);
    closing->m_Name = "Подитог";
    group.m_LastRows.Add(closing);
    {
        CFieldsDlgLogic titles(FieldsMode::kGroupTitles, nullptr, &group);
        EXPECT_TRUE(titles.LevelNames().empty());
        ASSERT_EQ(titles.NewLevel(LevelAnswer("Заголовок")), 0);
        ColumnDlgValues seen;
        ASSERT_EQ(titles.NewColumn(0, ColumnAnswer("Отдел", &seen)), 0);
        EXPECT_EQ(seen.layout, kColumnLayoutFull);
        titles.Ok(0, 0);
    }
    ASSERT_EQ(group.m_Rows.GetSize(), 1);
    EXPECT_EQ(ColumnNames(group.m_Rows.GetAt(0)), (Names{"Отдел"}));
    EXPECT_EQ(LevelNames(group.m_LastRows), (Names{"Подитог"}));
    {
        CFieldsDlgLogic closings(FieldsMode::kGroupClosings, nullptr, &group);
        EXPECT_EQ(closings.LevelNames(), (Names{"Подитог"}));
        closings.DeleteLevel(0);
    }
    EXPECT_EQ(group.m_LastRows.GetSize(), 1);
}

// --- The column dialog -------------------------------------------------------------------------------------------

TEST(ColumnDlgMapping, AlignmentPositionsAndFlags) {
    const struct {
        int align, vertical, horizontal, back;
    } cases[] = {
        {1 | 8, 0, 0, 1 | 8},   {2 | 16, 1, 1, 2 | 16}, {4 | 32, 2, 2, 4 | 32},
        {10, 1, 0, 10},         {12, 2, 0, 12},         {0, 1, 1, 2 | 16},
        {1 | 4 | 8 | 32, 0, 0, 1 | 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.align);
        EXPECT_EQ(VerticalPosition(c.align), c.vertical);
        EXPECT_EQ(HorizontalPosition(c.align), c.horizontal);
        EXPECT_EQ(AlignFromPositions(c.vertical, c.horizontal), c.back);
    }
    EXPECT_EQ(AlignFromPositions(-1, -1), 0);
    EXPECT_EQ(AlignFromPositions(-1, 2), 32);
}

class ColumnDlgTest : public ::testing::Test {
protected:
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
};

TEST_F(ColumnDlgTest, OpensInMillimetresAndWritesTenthsBack) {
    CHeaderColumn source(0, "Сумма", 5);
    CColumn column;
    column.m_Name = "Сумма";
    column.m_nWidth = 455;
    column.m_nBorder = 3;
    column.m_nAlign = 4 | 32;
    column.m_nType = kColumnAverage;
    column.m_pColumn = &source;
    ColumnDlgValues values;
    values.layout = kColumnLayoutFull;
    values.From(column);
    CColumnDlgLogic logic(values);
    EXPECT_EQ(logic.m_Width, "45.5");
    EXPECT_EQ(logic.m_Border, "0.3");
    EXPECT_EQ(logic.m_nVertical, 2);
    EXPECT_EQ(logic.m_nHorizontal, 2);
    EXPECT_EQ(logic.m_nKind, kColumnAverage);
    EXPECT_EQ(logic.FieldText(), "Сумма");
    logic.m_Width = "12.37";
    logic.m_Rows = "10";
    ASSERT_TRUE(logic.Apply());
    CColumn back;
    values.To(back);
    EXPECT_EQ(back.m_nWidth, 123);
    EXPECT_EQ(back.m_nBorder, 3);
    EXPECT_EQ(back.m_nRowsCount, 10);
    EXPECT_EQ(back.m_nAlign, 4 | 32);
    EXPECT_EQ(back.m_nType, kColumnAverage);
    EXPECT_EQ(back.m_pColumn, &source);
    EXPECT_TRUE(sink.Texts().empty());
}

TEST_F(ColumnDlgTest, KindsAndConstantText) {
    ColumnDlgValues values;
    values.kind = kColumnText;
    values.constText = "Итого:";
    values.name = "x";
    CColumnDlgLogic logic(values);
    EXPECT_EQ(logic.m_nKind, -1);
    EXPECT_EQ(logic.m_KindText, "Итого:");
    logic.m_nKind = kColumnCount;
    ASSERT_TRUE(logic.Apply());
    EXPECT_EQ(values.kind, kColumnCount);
    CColumn column;
    column.m_TextConst = "old";
    values.To(column);
    EXPECT_TRUE(column.m_TextConst.empty());  // only a constant-text column keeps one
    logic.m_nKind = -1;
    logic.m_KindText = "Всего";
    ASSERT_TRUE(logic.Apply());
    values.To(column);
    EXPECT_EQ(column.m_nType, kColumnText);
    EXPECT_EQ(column.m_TextConst, "Всего");
}

TEST_F(ColumnDlgTest, TextRowsOneToTenAndNumbersOnly) {
    const struct {
        const char* width;
        const char* rows;
        bool ok;
    } cases[] = {
        {"10", "1", true}, {"10", "10", true}, {"10", "0", false}, {"10", "11", false},
        {"10", "2.5", false}, {"10", "", false}, {"abc", "1", false}, {"", "1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.width) + " / " + c.rows);
        ColumnDlgValues values;
        values.layout = kColumnLayoutSection;
        values.name = "n";
        CColumnDlgLogic logic(values);
        logic.m_Width = c.width;
        logic.m_Rows = c.rows;
        sink.Clear();
        EXPECT_EQ(logic.Apply(), c.ok);
        EXPECT_EQ(sink.Texts().size(), c.ok ? 0u : 1u);
    }
}

TEST_F(ColumnDlgTest, AnEmptyNameDoesNothingUnlessAllowed) {
    ColumnDlgValues values;
    CColumnDlgLogic logic(values);
    EXPECT_EQ(values.layout, kColumnLayoutName);
    EXPECT_FALSE(logic.Apply());
    EXPECT_TRUE(sink.Texts().empty());
    values.allowEmptyName = true;
    EXPECT_TRUE(logic.Apply());
}

TEST_F(ColumnDlgTest, TheLevelCheckAndTheDataSourceChoice) {
    CFolivox manager;
    CHeaderColumn source(0, "Город", 5);
    ColumnDlgValues values;
    values.manager = &manager;
    CColumnDlgLogic logic(values);
    logic.m_Name = "typed";
    EXPECT_TRUE(logic.CanChooseColumn());
    logic.TakeColumn(&source);
    EXPECT_EQ(logic.m_Name, "Город");  // the choice replaces the name typed before
    EXPECT_EQ(logic.FieldText(), "Город");
    logic.m_bLevel = true;
    EXPECT_EQ(logic.FieldText(), "Отображать уровень");
    EXPECT_FALSE(logic.CanChooseColumn());
    ASSERT_TRUE(logic.Apply());
    EXPECT_EQ(values.level, 1);
    EXPECT_EQ(values.column, &source);
}

}  // namespace
