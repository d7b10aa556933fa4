// The section, field set-up, column and table-choice dialogs and the table page under the offscreen
// platform: controls found by their numbers, the sub-dialogs scripted.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "controls/tests/gui_test_app.h"
#include "platform/ui/messages.h"
#include "report/dialogs/column_dialog.h"
#include "report/dialogs/field_setup.h"
#include "report/dialogs/property_dialog.h"
#include "report/dialogs/section_dialog.h"
#include "report/dialogs/table_choice.h"
#include "report/dialogs/table_page.h"
#include "report/model/folivox.h"
#include "report/model/report_section.h"
#include "report/model/report_sheet.h"
#include "report/model/table_element.h"

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

CSectionLevel* Level(CFolivox* manager, const char* name, std::initializer_list<const char*> columns) {
    auto* level = new CSectionLevel(manager);
    level->m_Name = name;
    for (const char* c : columns) {
        auto* column = new CColumn();
        column->m_Name = c;
        level->m_Columns.Add(column);
    }
    return level;
}

class SectionViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        section.SetName("Сотрудники");
        section.GetTitle().SetText("Список");
        section.GetLevels().Add(Level(&manager, "Основной", {"Отдел", "Сумма"}));
        section.GetLevels().Add(Level(&manager, "Итог", {"Всего"}));
        section.SetTitleColumn(section.GetLevels().GetColumn(0, 1));
    }
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
    CFolivox manager;
    CReportSection section{&manager};
};

TEST_F(SectionViewTest, CancelUndoesWhatTheSubDialogsDid) {
    CSectionDlg dlg(&section);
    EXPECT_EQ(dlg.objectName(), "146");
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Секция"));
    EXPECT_EQ(Control<QLineEdit>(&dlg, "1018")->text(), QString::fromUtf8("Сотрудники"));
    EXPECT_EQ(Control<QLineEdit>(&dlg, "1022")->text(), QString::fromUtf8("Список"));
    EXPECT_EQ(Control<QLineEdit>(&dlg, "1026")->text(), QString::fromUtf8("Сумма"));
    dlg.SetSubDialogs([](CReportSection* s) { s->GetLevels().RemoveAt(0); }, nullptr, nullptr);
    dlg.show();
    Click(&dlg, "1024");
    EXPECT_EQ(section.GetLevels().GetSize(), 1);
    EXPECT_TRUE(Control<QLineEdit>(&dlg, "1026")->text().isEmpty());  // its title column is gone
    Control<QLineEdit>(&dlg, "1018")->setText("x");
    Click(&dlg, "2");
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    ASSERT_EQ(section.GetLevels().GetSize(), 2);
    EXPECT_EQ(section.GetName(), "Сотрудники");
    EXPECT_EQ(section.GetTitleColumn(), section.GetLevels().GetColumn(0, 1));
}

TEST_F(SectionViewTest, OkWithoutATitleColumnWarnsAndStillSaves) {
    CSectionDlg dlg(&section);
    dlg.SetSubDialogs(nullptr,
                      [](CReportSection*, CColumn*& column) {
                          column = nullptr;
                          return true;
                      },
                      nullptr);
    dlg.show();
    Click(&dlg, "1025");
    EXPECT_TRUE(Control<QLineEdit>(&dlg, "1026")->text().isEmpty());
    Control<QLineEdit>(&dlg, "1018")->setText(QString::fromUtf8("Отделы"));
    Control<QCheckBox>(&dlg, "8000")->setChecked(false);
    Click(&dlg, "1");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Не задано поле для отображения заголовка секции."});
    EXPECT_EQ(section.GetName(), "Отделы");
    EXPECT_EQ(section.GetShowEmptyLines(), 0);
    EXPECT_EQ(CSectionDlg(nullptr).exec(), 0);
}

TEST_F(SectionViewTest, FieldSetUpListsAndGreysItsMenu) {
    CFieldsDlg dlg(FieldsMode::kSectionLevels, &section, nullptr);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Настройка полей"));
    auto* levels = Control<QTreeWidget>(&dlg, "1026");
    auto* columns = Control<QTreeWidget>(&dlg, "1027");
    ASSERT_EQ(levels->topLevelItemCount(), 2);
    ASSERT_EQ(columns->topLevelItemCount(), 2);
    EXPECT_EQ(columns->topLevelItem(1)->text(2), "50.0");
    dlg.SetRunners(nullptr, [](ColumnDlgValues& v) {
        v.name = "Новое";
        return true;
    });
    columns->setCurrentItem(nullptr);
    QMenu* menu = dlg.BuildContextMenu(true);
    std::map<int, bool> enabled;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) enabled[a->data().toInt()] = a->isEnabled();
    delete menu;
    EXPECT_EQ(enabled, (std::map<int, bool>{{kCmdFieldNew, true}, {kCmdFieldCopy, false}, {kCmdFieldDelete, false},
                                            {kCmdFieldProperties, false}}));
    dlg.show();
    QKeyEvent insert(QEvent::KeyPress, Qt::Key_Insert, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &insert);
    ASSERT_EQ(columns->topLevelItemCount(), 3);
    EXPECT_EQ(columns->topLevelItem(2)->text(1), QString::fromUtf8("Новое"));
    EXPECT_EQ(section.GetLevels().GetAt(0)->m_Columns.GetSize(), 2);  // the working copy until OK
    Click(&dlg, "1");
    EXPECT_EQ(section.GetLevels().GetAt(0)->m_Columns.GetSize(), 3);
    EXPECT_EQ(section.GetTitleColumn(), section.GetLevels().GetColumn(0, 1));

    CFieldsDlg choose(FieldsMode::kChooseColumn, &section, nullptr);
    EXPECT_EQ(choose.windowTitle(), QString::fromUtf8("Выбор..."));
    EXPECT_TRUE(Control<QPushButton>(&choose, "8016")->isHidden());
}

TEST_F(SectionViewTest, TheColumnDialogAsANamePrompt) {
    ColumnDlgValues values;
    values.caption = "Имя";
    CColumnDlg dlg(values);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("Имя"));
    dlg.show();
    EXPECT_FALSE(Control<QLineEdit>(&dlg, "1032")->isVisible());
    EXPECT_TRUE(Control<QLineEdit>(&dlg, "1030")->isVisible());
    Click(&dlg, "1");
    EXPECT_TRUE(dlg.isVisible());  // an empty name does nothing
    Control<QLineEdit>(&dlg, "1030")->setText(QString::fromUtf8("Итог"));
    Click(&dlg, "1");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(values.name, "Итог");

    ColumnDlgValues full;
    full.layout = kColumnLayoutSection;
    full.kind = kColumnText;
    full.constText = "Всего:";
    full.name = "n";
    CColumnDlg section(full);
    section.show();
    EXPECT_FALSE(Control<QComboBox>(&section, "8026")->isVisible());
    EXPECT_TRUE(Control<QPushButton>(&section, "1075")->isHidden());  // no manager
    Control<QCheckBox>(&section, "1091")->setChecked(true);
    EXPECT_EQ(Control<QLineEdit>(&section, "1076")->text(), QString::fromUtf8("Отображать уровень"));
    Click(&section, "1");
    EXPECT_EQ(full.level, 1);
    EXPECT_EQ(full.kind, kColumnText);
    EXPECT_EQ(full.constText, "Всего:");
}

TEST_F(SectionViewTest, TheTablePageTurnsTheDialogsCancelOff) {
    auto* sheet = new CReportSheet(&manager);
    manager.AddSheet(sheet);
    auto* table = new CTableElement(&manager);
    table->SetName("Таблица");
    sheet->Add(table);
    CPropertyDlg dlg({table}, 0);
    auto* tabs = Control<QTabWidget>(&dlg, "1008");
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(1), QString::fromUtf8("Таблица"));
    EXPECT_EQ(tabs->currentIndex(), 1);
    auto* page = dlg.findChild<CTablePage*>();
    ASSERT_NE(page, nullptr);
    page->SetSectionRunner([](CReportSection* s) {
        s->SetName("Новая");
        return true;
    });
    dlg.show();
    EXPECT_TRUE(Control<QPushButton>(&dlg, "2")->isEnabled());
    Click(page, "1048");  // nothing to move
    EXPECT_TRUE(Control<QPushButton>(&dlg, "2")->isEnabled());
    Click(page, "1049");
    ASSERT_EQ(table->GetSections().GetSize(), 1);
    EXPECT_EQ(Control<QTreeWidget>(page, "1088")->topLevelItem(0)->text(0), QString::fromUtf8("Новая"));
    EXPECT_FALSE(Control<QPushButton>(&dlg, "2")->isEnabled());
    Control<QLineEdit>(page, "1038")->clear();
    Click(&dlg, "1");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Не задано имя таблицы."});
    Control<QLineEdit>(page, "1038")->setText(QString::fromUtf8("Список"));
    Click(&dlg, "1");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(table->GetName(), "Список");

    CSelectTableDlg choice(&manager);
    EXPECT_EQ(choice.windowTitle(), QString::fromUtf8("Выбор таблицы"));
    EXPECT_EQ(Control<QListWidget>(&choice, "1064")->count(), 1);
}

}  // namespace
