// The property dialog's tab frame and its kind pages as widgets (offscreen).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include "controls/tests/gui_test_app.h"
#include "platform/ui/messages.h"
#include "report/dialogs/contents_page.h"
#include "report/dialogs/property_dialog.h"
#include "report/dialogs/show_dialogs.h"
#include "report/model/folivox.h"
#include "report/model/picture_element.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"
#include "report/model/table_content_element.h"

namespace {

template <class T>
T* Control(QWidget* dialog, const char* id) {
    T* control = dialog->findChild<T*>(id);
    EXPECT_NE(control, nullptr) << id;
    return control;
}

class ElementPagesViewTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureGuiApplication(); }
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
    CFolivox manager;
};

TEST_F(ElementPagesViewTest, TabsAndCaptionsByKindAndSelection) {
    CReportElement text(&manager);
    CPictureElement picture(&manager);
    CTableContentElement contents(&manager);
    CReportElement line(&manager);
    line.SetKind(kElemLine);
    const struct {
        std::vector<CReportElement*> selection;
        const char* caption;
        const char* kindTab;  // null: the position page alone
    } cases[] = {
        {{&text}, "Свойства: Прямоугольник", "Текст"},
        {{&picture}, "Свойства: Эскиз", "Эскиз"},
        {{&contents}, "Свойства: Содержание", "Содержание"},
        {{&line}, "Свойства: Линия", nullptr},
        {{&text, &picture}, "Свойства", nullptr},
    };
    for (const auto& c : cases) {
        CPropertyDlg dlg(c.selection, 0);
        EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8(c.caption));
        auto* tabs = Control<QTabWidget>(&dlg, "1008");
        ASSERT_EQ(tabs->count(), c.kindTab ? 2 : 1) << c.caption;
        EXPECT_EQ(tabs->tabText(0), QString::fromUtf8("Положение элемента"));
        if (c.kindTab) {
            EXPECT_EQ(tabs->tabText(1), QString::fromUtf8(c.kindTab));
            EXPECT_EQ(tabs->currentIndex(), 1) << "the kind page comes first";
        }
    }
}

TEST_F(ElementPagesViewTest, TextPageEditsInAReportAndOkAppliesBothPages) {
    auto* param = new CReportParam(&manager);
    param->SetName("Автор");
    manager.GetParams().Add(param);
    CReportElement text(&manager);
    text.SetOrigin(CPoint(100, -500));
    text.SetSize(CSize(300, 200));
    text.GetTextValue().SetText(std::string("Было"));

    CPropertyDlg dlg({&text}, 1);
    dlg.show();
    auto* edit = Control<QPlainTextEdit>(&dlg, "1009");
    auto* params = Control<QComboBox>(&dlg, "1062");
    EXPECT_EQ(edit->toPlainText(), QString::fromUtf8("Было"));
    EXPECT_FALSE(edit->isReadOnly());
    EXPECT_FALSE(params->isEnabled());
    EXPECT_TRUE(Control<QLineEdit>(&dlg, "1000")->isReadOnly()) << "a report keeps positions";

    Control<QRadioButton>(&dlg, "1060")->setChecked(true);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_TRUE(params->isEnabled());
    params->setCurrentIndex(-1);
    Control<QPushButton>(&dlg, "1")->click();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Не выбран параметр для отображения"});

    params->setCurrentIndex(0);
    Control<QCheckBox>(&dlg, "1011")->setChecked(true);
    Control<QPushButton>(&dlg, "1")->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(text.GetTextValue().GetParam(), param);
    EXPECT_EQ(text.GetTextValue().GetBorder(), 0);
    EXPECT_EQ(text.GetOrigin(), CPoint(100, -500));
}

TEST_F(ElementPagesViewTest, ContentsIndentEditorTakesNumbersAndHoldsOnLetters) {
    CTableContentElement contents(&manager);
    contents.GetContentTitle().AddLevel();
    CContentsPage page(contents);
    page.show();
    auto* list = Control<QTreeWidget>(&page, "1074");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "5.0");

    page.EditIndent(0);
    CPropEdit* editor = page.IndentEditor();
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->selectedText(), "5.0");
    editor->setText("abc");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
    EXPECT_TRUE(editor->isVisible()) << "letters keep the editor open";
    EXPECT_FALSE(page.Apply()) << "nor does OK take them";

    editor->setText("7.5");
    QApplication::sendEvent(editor, &enter);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(list->topLevelItem(0)->text(1), "7.5");

    page.EditIndent(0);
    editor->setText("9");
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(editor, &escape);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(list->topLevelItem(0)->text(1), "7.5");

    Control<QPushButton>(&page, "8023")->click();
    EXPECT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(1)->text(0), QString::fromUtf8("Уровень 2"));
    ASSERT_TRUE(page.Apply());
    ASSERT_EQ(contents.GetContentTitle().GetLevelCount(), 2);
    EXPECT_EQ(contents.GetContentTitle().GetLevel(0)->GetIndent(), 7.5);
}

TEST_F(ElementPagesViewTest, SimpleNameDialogWritesTheNameBackOnlyOnOk) {
    const struct {
        const char* typed;
        const char* button;
        int allowEmpty;
        bool result;
        const char* after;
    } cases[] = {
        {"Итоги", "1", 0, true, "Итоги"},
        {"Итоги", "2", 0, false, "Лист"},
        {"", "1", 1, true, ""},
    };
    for (const auto& c : cases) {
        std::string name = "Лист";
        QTimer::singleShot(0, [&c] {
            QWidget* dlg = QApplication::activeModalWidget();
            ASSERT_NE(dlg, nullptr);
            EXPECT_EQ(dlg->windowTitle(), QString::fromUtf8("Новое имя"));
            Control<QLineEdit>(dlg, "1030")->setText(QString::fromUtf8(c.typed));
            Control<QPushButton>(dlg, c.button)->click();
        });
        EXPECT_EQ(ShowSimplDialog("Новое имя", &name, c.allowEmpty), c.result) << c.typed << c.button;
        EXPECT_EQ(name, c.after);
    }
}

}  // namespace
