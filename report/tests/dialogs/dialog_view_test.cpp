// The dialog views under the offscreen platform: controls found by their numbers, OK and Cancel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTimer>

#include "controls/dialogs/button.h"
#include "controls/tests/gui_test_app.h"
#include "platform/ui/messages.h"
#include "report/dialogs/condition_dialog.h"
#include "report/dialogs/conditions_dialog.h"
#include "report/dialogs/folivox_dialogs.h"
#include "report/dialogs/group_sort_dialog.h"
#include "report/dialogs/level_dialog.h"
#include "report/dialogs/param_dialog.h"
#include "report/dialogs/property_dialog.h"
#include "report/dialogs/select_column_dialog.h"
#include "report/model/condition.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/group_col.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"
#include "report/model/report_section.h"

namespace {

template <class T>
T* Control(QWidget* dialog, const char* id) {
    T* control = dialog->findChild<T*>(id);
    EXPECT_NE(control, nullptr) << id;
    return control;
}

void Click(QWidget* dialog, const char* id) {
    if (auto* button = Control<QPushButton>(dialog, id)) button->click();
}

class DialogViewTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureGuiApplication(); }
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
    CFolivox manager;
};

TEST_F(DialogViewTest, OkAndCancelAreClassicButtonsWithStockIcons) {
    CReportParam param(&manager);
    CParamDlg dlg(&param);
    for (const char* id : {"1", "2"}) {
        auto* button = Control<CzorButton>(&dlg, id);
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->icon().isNull() && button->text().isEmpty());
    }
    EXPECT_EQ(Control<QPushButton>(&dlg, "2")->text(), QString::fromUtf8("Отмена"));
}

TEST_F(DialogViewTest, ParamDialogStaysOpenOnADuplicateNameAndEndsWithOk) {
    auto* taken = new CReportParam(&manager);
    taken->SetName("Год");
    manager.GetParams().Add(taken);
    auto* param = new CReportParam(&manager);
    param->SetName("Автор");
    manager.GetParams().Add(param);

    CParamDlg dlg(param);
    EXPECT_EQ(dlg.objectName(), "158");
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Свойства"));
    EXPECT_EQ(Control<QLineEdit>(&dlg, "1055")->text(), QString::fromUtf8("Автор"));
    auto* type = Control<QComboBox>(&dlg, "1054");
    ASSERT_EQ(type->count(), 4);
    EXPECT_EQ(type->itemText(3), QString::fromUtf8("Объект БД"));
    EXPECT_EQ(type->currentIndex(), kParamText);

    dlg.show();
    Control<QLineEdit>(&dlg, "1055")->setText(QString::fromUtf8("Год"));
    Click(&dlg, "1");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Наименование параметра не уникально."});
    EXPECT_EQ(param->GetName(), "Автор");

    Control<QLineEdit>(&dlg, "1055")->setText(QString::fromUtf8("Издатель"));
    type->setCurrentIndex(kParamNumber);
    Click(&dlg, "1");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(param->GetName(), "Издатель");
    EXPECT_EQ(param->GetType(), kParamNumber);
}

TEST_F(DialogViewTest, ShowPropRunsTheRegisteredDialogModally) {
    RegisterFolivoxDialogs();
    CReportParam param(&manager);
    param.SetName("Автор");
    // Cancel first, then OK with a new name.
    for (const char* button : {"2", "1"}) {
        QTimer::singleShot(0, [button] {
            QWidget* dlg = QApplication::activeModalWidget();
            ASSERT_NE(dlg, nullptr);
            Control<QLineEdit>(dlg, "1055")->setText(QString::fromUtf8("Заказчик"));
            Click(dlg, button);
        });
        EXPECT_EQ(param.ShowProp(), std::string(button) == "1");
    }
    EXPECT_EQ(param.GetName(), "Заказчик");
}

TEST_F(DialogViewTest, ConditionDialogShowsAndSetsTheCondition) {
    CHeaderColumn column(kPlainColumn, "Сумма", 3);
    CCondition condition;
    condition.Set(kCondNotEqual, 12);
    condition.m_pColumn = &column;
    condition.m_nLink = kCondOr;
    CCondition* edited = &condition;
    CConditionDlg dlg(edited);
    EXPECT_EQ(dlg.objectName(), "165");
    EXPECT_EQ(Control<QLineEdit>(&dlg, "1026")->text(), QString::fromUtf8("Сумма"));
    EXPECT_EQ(Control<QComboBox>(&dlg, "1054")->currentIndex(), kCondNotEqual);
    EXPECT_EQ(Control<QLineEdit>(&dlg, "1082")->text(), "12");
    EXPECT_EQ(Control<QComboBox>(&dlg, "1085")->currentIndex(), 0);
    EXPECT_EQ(Control<QComboBox>(&dlg, "1086")->currentText(), QString::fromUtf8("ИЛИ"));

    dlg.show();
    Control<QLineEdit>(&dlg, "1082")->setText("012");
    Click(&dlg, "1");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Неправильный формат числа"});
    EXPECT_EQ(condition.m_nIntValue, 12);

    CHeaderColumn other(kPlainColumn, "Имя", 5);
    dlg.SetColumnChooser([&](CHeaderColumn*& chosen) {
        chosen = &other;
        return true;
    });
    Click(&dlg, "1075");
    EXPECT_EQ(Control<QLineEdit>(&dlg, "1026")->text(), QString::fromUtf8("Имя"));
    Control<QComboBox>(&dlg, "1085")->setCurrentIndex(2);
    Control<QComboBox>(&dlg, "1086")->setCurrentIndex(0);
    Click(&dlg, "1");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(condition.m_nValueType, kCondValueString);
    EXPECT_EQ(condition.m_StrValue, "012");
    EXPECT_EQ(condition.m_pColumn, &other);
    EXPECT_EQ(condition.m_nLink, kCondAnd);
}

TEST_F(DialogViewTest, PropertyDialogOfALineShowsThePositionPageAndWritesBack) {
    CReportElement line(&manager);
    line.SetKind(kElemLine);
    line.SetOrigin(CPoint(100, -500));
    line.SetSize(CSize(300, 200));
    line.SetLineWidth(5);
    CPropertyDlg dlg({&line}, 0);
    EXPECT_EQ(dlg.objectName(), "143");
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Свойства: Линия"));
    auto* tabs = Control<QTabWidget>(&dlg, "1008");
    ASSERT_EQ(tabs->count(), 1);
    EXPECT_EQ(tabs->tabText(0), QString::fromUtf8("Положение элемента"));
    const char* ids[] = {"1000", "1001", "1002", "1003", "1090"};
    const char* shown[] = {"10", "30", "30", "20", "0.5"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Control<QLineEdit>(&dlg, ids[i])->text(), shown[i]) << ids[i];

    dlg.show();
    Control<QLineEdit>(&dlg, "1001")->setText("40.06");
    Control<QCheckBox>(&dlg, "8001")->setChecked(true);
    Click(&dlg, "1");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(line.GetOrigin().y, -600);
    EXPECT_EQ(line.GetFixed(), 1);
}

TEST_F(DialogViewTest, PropertyDialogCaptionsAndAReportsReadOnlyFields) {
    CReportElement text(&manager);
    CReportElement line(&manager);
    line.SetKind(kElemLine);
    EXPECT_EQ(PropertyDialogCaption({&text}), "Свойства: Прямоугольник");
    EXPECT_EQ(PropertyDialogCaption({&text, &line}), "Свойства");
    CPropertyDlg several({&text, &line}, 0);
    EXPECT_EQ(Control<QLineEdit>(&several, "1000")->text(), "");
    CPropertyDlg report({&line}, 1);
    EXPECT_TRUE(Control<QLineEdit>(&report, "1000")->isReadOnly());
    EXPECT_FALSE(Control<QLineEdit>(&report, "1090")->isReadOnly());
    EXPECT_EQ(CPropertyDlg({}, 0).exec(), 0);
}

TEST_F(DialogViewTest, ElemProperOpensTheDialogAndGivesItsResult) {
    RegisterFolivoxDialogs();
    CReportElement line(&manager);
    line.SetKind(kElemLine);
    QTimer::singleShot(0, [] {
        QWidget* dlg = QApplication::activeModalWidget();
        ASSERT_NE(dlg, nullptr);
        Control<QLineEdit>(dlg, "1000")->setText("7");
        Click(dlg, "1");
    });
    EXPECT_TRUE(line.ElemProper(0));
    EXPECT_EQ(line.GetOrigin().x, 70);
    CReportElement text(&manager);
    QTimer::singleShot(0, [] {
        QWidget* dlg = QApplication::activeModalWidget();
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), QString::fromUtf8("Свойства: Прямоугольник"));
        Click(dlg, "2");
    });
    EXPECT_FALSE(text.ElemProper(0));
}

TEST_F(DialogViewTest, LevelDialogGivesBackNameHeightAndFlags) {
    CLevelDlg dlg("Итог", 85, kLevelKeepTogether);
    EXPECT_EQ(dlg.objectName(), "8001");
    EXPECT_EQ(Control<QLineEdit>(&dlg, "8007")->text(), "8.5");
    EXPECT_FALSE(Control<QCheckBox>(&dlg, "8011")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(&dlg, "8012")->isChecked());
    dlg.show();
    Control<QLineEdit>(&dlg, "1055")->clear();
    Click(&dlg, "1");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Не задано наименование уровня."});
    Control<QLineEdit>(&dlg, "1055")->setText(QString::fromUtf8("Шапка"));
    Control<QLineEdit>(&dlg, "8007")->setText("12");
    Control<QCheckBox>(&dlg, "8011")->setChecked(true);
    Click(&dlg, "1");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Name(), "Шапка");
    EXPECT_EQ(dlg.Height(), 120);
    EXPECT_EQ(dlg.Flags(), kLevelHideEmpty | kLevelKeepTogether);
}

TEST_F(DialogViewTest, GroupParamsDialogChecksTheNameAndRunsItsSubDialogs) {
    manager.GetSelectHeader()->AddColumn("Отдел", 5);
    CGroupCol group(&manager);
    group.m_pColumn = manager.GetSelectHeader()->GetColumn(0);
    CGroupParamsDlg dlg(&group, nullptr);
    EXPECT_EQ(dlg.objectName(), "8003");
    EXPECT_EQ(Control<QLineEdit>(&dlg, "1076")->text(), QString::fromUtf8("Отдел"));
    EXPECT_EQ(Control<QLineEdit>(&dlg, "1040")->text(), "Arial");
    EXPECT_EQ(Control<QLineEdit>(&dlg, "1042")->text(), "12");
    std::vector<std::string> opened;
    dlg.SetSubDialogs([&](CGroupCol* g) { opened.push_back(g == &group ? "title" : "?"); },
                      [&](CGroupCol*) { opened.push_back("closing"); },
                      [&](CGroupCol*) { opened.push_back("conditions"); });
    for (const char* id : {"8018", "8021", "8020"}) Click(&dlg, id);
    EXPECT_EQ(opened, (std::vector<std::string>{"title", "closing", "conditions"}));

    dlg.show();
    Control<QLineEdit>(&dlg, "8027")->setText(QString::fromUtf8("Нет такого"));
    Click(&dlg, "1");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Неверно задана функция!"});
    Control<QLineEdit>(&dlg, "8027")->setText(QString::fromUtf8("Отдел"));
    Control<QCheckBox>(&dlg, "8019")->setChecked(true);
    Click(&dlg, "1");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(group.m_Name, "Отдел");
    EXPECT_EQ(group.m_nShowFirstRow, 1);
    EXPECT_EQ(CGroupParamsDlg(nullptr, nullptr).exec(), 0);
}

TEST_F(DialogViewTest, GroupSortDialogMovesColumnsAndConfirmsWithOk) {
    manager.GetSelectHeader()->AddColumn("Отдел", 5);
    manager.GetSelectHeader()->AddColumn("Сумма", 5);
    CReportSection section(&manager);
    CGroupSortDlg dlg(&section);
    EXPECT_EQ(dlg.objectName(), "8002");
    auto* source = Control<QListWidget>(&dlg, "8012");
    auto* groups = Control<QListWidget>(&dlg, "8013");
    auto* sorts = Control<QListWidget>(&dlg, "8014");
    ASSERT_EQ(source->count(), 2);
    dlg.show();

    // ">" opens the group parameters, where OK keeps the new grouping column.
    source->setCurrentRow(0);
    QTimer::singleShot(0, [] {
        QWidget* params = QApplication::activeModalWidget();
        ASSERT_NE(params, nullptr);
        EXPECT_EQ(params->objectName(), "8003");
        Control<QLineEdit>(params, "8027")->setText(QString::fromUtf8("Отдел"));
        Click(params, "1");
    });
    Click(&dlg, "8015");
    ASSERT_EQ(groups->count(), 1);
    EXPECT_EQ(groups->item(0)->text(), QString::fromUtf8("Отдел"));
    source->setCurrentRow(0);
    Click(&dlg, "8017");
    ASSERT_EQ(sorts->count(), 1);
    EXPECT_EQ(source->count(), 0);
    Click(&dlg, "1");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    ASSERT_EQ(section.GetGroups().GetSize(), 1);
    EXPECT_EQ(section.GetGroups().GetAt(0)->m_Name, "Отдел");
    ASSERT_EQ(section.GetSorts().GetSize(), 1);
    EXPECT_EQ(section.GetSorts().GetAt(0)->GetName(), "Сумма");
    EXPECT_TRUE(dlg.Removed().empty());
    EXPECT_EQ(CGroupSortDlg(nullptr).exec(), 0);
}

// The context menu's commands act on the selected row; "Копировать" and a menu closed without a choice
// change nothing.
TEST_F(DialogViewTest, ConditionsMenuCommandsActOnTheSelectedRow) {
    CConditionArray conditions;
    for (int value : {1, 2}) {
        auto* condition = new CCondition;
        condition->Set(kCondGreater, value);
        conditions.Add(condition);
    }
    CConditionsDlg dlg(conditions, &manager);
    auto* list = Control<QTreeWidget>(&dlg, "1074");
    for (unsigned command : {0u, 32786u, 32837u, 32839u}) dlg.RunCommand(command);  // no row selected
    EXPECT_EQ(conditions.GetSize(), 2);
    EXPECT_TRUE(sink.Texts().empty());

    list->setCurrentItem(list->topLevelItem(1));
    dlg.RunCommand(32786);
    EXPECT_EQ(conditions.GetSize(), 2);
    sink.QueueAnswer(IDYES);
    dlg.RunCommand(32837);
    ASSERT_EQ(conditions.GetSize(), 1);
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(2), "1");
}

TEST_F(DialogViewTest, ConditionsListAddsEditsAndDeletesInPlace) {
    CHeaderColumn column(kPlainColumn, "Сумма", 3);
    CConditionArray conditions;
    CConditionsDlg dlg(conditions, &manager);
    EXPECT_EQ(dlg.objectName(), "164");
    dlg.SetColumnChooser([&](CHeaderColumn*& chosen) {
        chosen = &column;
        return true;
    });
    auto* list = Control<QTreeWidget>(&dlg, "1074");
    EXPECT_EQ(list->headerItem()->text(2), QString::fromUtf8("Значение"));

    // A new condition: the refused value first keeps the condition dialog open and makes nothing.
    QTimer::singleShot(0, [] {
        QWidget* cond = QApplication::activeModalWidget();
        ASSERT_NE(cond, nullptr);
        Click(cond, "1075");
        Control<QComboBox>(cond, "1085")->setCurrentIndex(0);
        Control<QLineEdit>(cond, "1082")->setText("+5");
        Click(cond, "1");
        EXPECT_TRUE(cond->isVisible());
        Control<QLineEdit>(cond, "1082")->setText("5");
        Click(cond, "1");
    });
    dlg.New();
    ASSERT_EQ(conditions.GetSize(), 1);
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QString::fromUtf8("Сумма"));
    EXPECT_EQ(list->topLevelItem(0)->text(1), QString::fromUtf8("Равно"));
    EXPECT_EQ(list->topLevelItem(0)->text(2), "5");

    list->setCurrentItem(list->topLevelItem(0));
    QTimer::singleShot(0, [] {
        QWidget* cond = QApplication::activeModalWidget();
        ASSERT_NE(cond, nullptr);
        Control<QComboBox>(cond, "1054")->setCurrentIndex(kCondGreater);
        Click(cond, "1");
    });
    dlg.EditSelected();
    EXPECT_EQ(list->topLevelItem(0)->text(1), QString::fromUtf8("Больше"));

    list->setCurrentItem(list->topLevelItem(0));
    sink.QueueAnswer(IDNO);
    dlg.DeleteSelected();
    EXPECT_EQ(conditions.GetSize(), 1);
    sink.QueueAnswer(IDYES);
    dlg.DeleteSelected();
    EXPECT_EQ(conditions.GetSize(), 0);
    EXPECT_EQ(list->topLevelItemCount(), 0);
}

TEST_F(DialogViewTest, ColumnChoiceOffersABlankRowAndNoInstanceColumns) {
    manager.GetSelectHeader()->AddColumn("Отдел", 5);
    manager.GetSelectHeader()->AddColumn("Объект", 1);
    manager.GetResultSelectHeader()->AddColumn("Налог", 4);
    const auto columns = SelectableColumns(&manager);
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0], nullptr);
    EXPECT_EQ(columns[1]->GetName(), "Отдел");
    EXPECT_EQ(columns[2]->GetName(), "Налог");

    CSelectColumnDlg dlg(&manager, nullptr);
    EXPECT_EQ(dlg.objectName(), "163");
    auto* list = Control<QTreeWidget>(&dlg, "1074");
    ASSERT_EQ(list->topLevelItemCount(), 3);
    dlg.show();
    list->setCurrentItem(nullptr);
    Click(&dlg, "1");
    EXPECT_TRUE(dlg.isVisible());  // no row selected: nothing happens
    list->setCurrentItem(list->topLevelItem(2));
    Click(&dlg, "1");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Column(), columns[2]);
    EXPECT_EQ(CSelectColumnDlg(nullptr, nullptr).exec(), 0);

    // The condition dialog's choice: the blank row gives no column, so the choice opens again.
    CConditionDlgLogic condition(nullptr);
    int shown = 0;
    std::function<void()> answer = [&] {
        QWidget* choice = QApplication::activeModalWidget();
        ASSERT_NE(choice, nullptr);
        auto* rows = Control<QTreeWidget>(choice, "1074");
        rows->setCurrentItem(rows->topLevelItem(++shown == 1 ? 0 : 1));
        Click(choice, "1");
        if (shown == 1) QTimer::singleShot(0, answer);
    };
    QTimer::singleShot(0, answer);
    EXPECT_TRUE(condition.ChooseColumn(MakeColumnChooser(&manager, nullptr)));
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(condition.m_pColumn, columns[1]);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Необхрдимо выбрать поле источника данных."});
}

}  // namespace
