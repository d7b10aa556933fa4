// The administration dialogs as widgets (offscreen): controls found by their ids, keys and clicks
// reaching the commands, and EditCSPSet running the list modally.
#include "signature/crypto_provider.h"
#include "signature/sign_system_props_dlg.h"
#include "signature/sign_systems_dlg.h"
#include "signature/tests/sig_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

namespace {

using sig::CSignSystemPropsDlg;
using sig::CSignSystemPropsModel;
using sig::CSignSystemsDlg;
using sig::CSignSystemsModel;
using sig::test::ConfigFolders;

class SignDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "signature_dialog_tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) s_app = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() { s_app.reset(); }

    template <class W> static W* Find(QWidget* dialog, const char* id) {
        W* w = dialog->findChild<W*>(id);
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    static std::vector<std::string> Items(QTreeWidget* list) {
        std::vector<std::string> items;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            items.push_back((list->topLevelItem(i)->text(0) + "|" + list->topLevelItem(i)->text(1)).toStdString());
        return items;
    }
    static void Press(QWidget* w, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }

    ConfigFolders folders;
    zor::RecordingMessageSink sink;
    static inline std::unique_ptr<QApplication> s_app;
};

TEST_F(SignDialogs, ListFollowsTheConfigurationAndTheSelection) {
    CSignSystemsModel model(sink);
    CSignSystemsDlg dialog(model, sink);
    dialog.show();
    auto* list = Find<QTreeWidget>(&dialog, "14008");
    auto* properties = Find<QPushButton>(&dialog, "14001");
    auto* del = Find<QPushButton>(&dialog, "14002");
    ASSERT_TRUE(list && properties && del && Find<QPushButton>(&dialog, "14000") && Find<QPushButton>(&dialog, "2"));
    EXPECT_EQ(dialog.windowTitle(), "Администратор ситем ЭЦП");
    EXPECT_EQ(list->headerItem()->text(0), "Имя системы");
    EXPECT_EQ(list->headerItem()->text(1), "Примечание");
    EXPECT_GT(list->columnWidth(1), 0);
    EXPECT_EQ(list->columnWidth(0), 2 * list->columnWidth(1));  // two thirds of the width and one
    EXPECT_LE(list->columnWidth(0) + list->columnWidth(1), list->viewport()->width() + 2);
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_FALSE(properties->isEnabled());
    EXPECT_FALSE(del->isEnabled());

    folders.WriteSystems({{"Alpha", "/lib/alpha.so"}, {"Бета", "/lib/beta.so"}});
    folders.WriteDefault("Бета");
    dialog.Fill();
    EXPECT_EQ(Items(list), (std::vector<std::string>{"Alpha|", "Бета|По умолчанию"}));
    list->topLevelItem(1)->setSelected(true);
    EXPECT_TRUE(properties->isEnabled());
    EXPECT_TRUE(del->isEnabled());
    list->clearSelection();
    EXPECT_FALSE(properties->isEnabled());
}

TEST_F(SignDialogs, KeysAndClicksReachTheCommands) {
    folders.WriteSystems({{"Alpha", "/lib/alpha.so"}, {"Бета", "/lib/beta.so"}});
    folders.WriteDefault("Alpha");
    CSignSystemsModel model(sink);
    CSignSystemsDlg dialog(model, sink);
    dialog.show();
    auto* list = Find<QTreeWidget>(&dialog, "14008");
    ASSERT_TRUE(list);
    std::vector<std::string> seen;  // caption, OK text and values the properties dialog got
    sig::SignSystemProps answer;
    bool ok = false;
    dialog.runProps = [&](CSignSystemPropsModel& props) {
        seen.push_back(props.caption + "/" + props.okText + "/" + props.values.name + "/" + props.values.path + "/" +
                       (props.values.makeDefault ? "1" : "0"));
        props.values = answer;
        return ok;
    };

    Press(list, Qt::Key_Return);  // nothing selected: nothing runs
    Press(list, Qt::Key_Delete);
    EXPECT_TRUE(seen.empty());
    EXPECT_TRUE(sink.Messages().empty());

    list->topLevelItem(0)->setSelected(true);
    Press(list, Qt::Key_Return);  // Properties, ended without OK
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], "Свойства системы ЭЦП/Применить/Alpha//lib/alpha.so/1");

    ok = true;
    answer = {"Альфа", "/lib/alpha.so", true};
    emit list->itemDoubleClicked(list->topLevelItem(0), 0);  // Properties again: a rename
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"Бета|", "Альфа|По умолчанию"}));
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_FALSE(Find<QPushButton>(&dialog, "14001")->isEnabled());

    answer = {"Гамма", "/lib/gamma.so", false};
    Press(list, Qt::Key_Insert);  // Add
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2], "Добавление новой системы ЭЦП/Добавить///0");
    EXPECT_EQ(Items(list), (std::vector<std::string>{"Бета|", "Альфа|По умолчанию", "Гамма|"}));

    list->topLevelItem(1)->setSelected(true);
    sink.QueueAnswer(IDYES);
    Press(list, Qt::Key_Delete);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Вы действительно хотите удалить Альфа?"});
    EXPECT_EQ(Items(list), (std::vector<std::string>{"Бета|", "Гамма|"}));
    EXPECT_EQ(zor::test::Slurp(folders.UserFile()), "[CSP]\nDefaultCSP=\n");

    list->topLevelItem(0)->setSelected(true);
    sink.QueueAnswer(IDNO);
    Find<QPushButton>(&dialog, "14002")->click();
    EXPECT_EQ(Items(list), (std::vector<std::string>{"Бета|", "Гамма|"}));
}

TEST_F(SignDialogs, PropertiesDialogChecksBeforeItEnds) {
    CSignSystemPropsModel model;
    model.caption = "Свойства системы ЭЦП";
    model.okText = "Применить";
    model.values = {"", "", false};
    CSignSystemPropsDlg dialog(model, sink);
    dialog.show();
    auto* name = Find<QLineEdit>(&dialog, "14005");
    auto* path = Find<QLineEdit>(&dialog, "14006");
    auto* check = Find<QCheckBox>(&dialog, "14004");
    auto* ok = Find<QPushButton>(&dialog, "1");
    auto* exit = Find<QPushButton>(&dialog, "2");
    ASSERT_TRUE(name && path && check && ok && exit && Find<QPushButton>(&dialog, "14007"));
    EXPECT_EQ(dialog.windowTitle(), "Свойства системы ЭЦП");
    EXPECT_EQ(ok->text(), "Применить");
    EXPECT_TRUE(exit->isDefault());
    EXPECT_TRUE(path->isReadOnly());

    ok->click();
    EXPECT_EQ(sink.Texts().back(), "Введите имя нового криптографического \nпровайдера.");
    EXPECT_EQ(dialog.focusWidget(), name);
    EXPECT_FALSE(dialog.result() == QDialog::Accepted);

    name->setText("Echo");
    ok->click();
    EXPECT_EQ(sink.Texts().back(), "Введите путь к библиотеке нового \nкриптографического провайдера.");
    EXPECT_EQ(dialog.focusWidget(), path);

    std::string offered = "?";
    dialog.chooseFile = [&](const std::string& current) {
        offered = current;
        return std::string(SIG_ECHO_NO4_PLUGIN);
    };
    name->clear();
    Find<QPushButton>(&dialog, "14007")->click();
    EXPECT_EQ(offered, "");
    EXPECT_EQ(path->text().toStdString(), SIG_ECHO_NO4_PLUGIN);
    EXPECT_EQ(name->text(), "libsig_echo_no4_test");  // the file's title names an unnamed system
    ok->click();
    EXPECT_EQ(sink.Texts().back(), std::string("Библиотека ") + SIG_ECHO_NO4_PLUGIN +
                                       " не является библиотекой \nсистемы криптографической защиты информации для Tessaline.");
    EXPECT_TRUE(dialog.isVisible());

    dialog.chooseFile = [&](const std::string& current) {
        offered = current;
        return std::string(SIG_ECHO_PLUGIN);
    };
    Find<QPushButton>(&dialog, "14007")->click();
    EXPECT_EQ(offered, SIG_ECHO_NO4_PLUGIN);
    EXPECT_EQ(name->text(), "libsig_echo_no4_test");  // a name given stays
    check->click();
    const size_t messages = sink.Messages().size();
    ok->click();
    EXPECT_EQ(sink.Messages().size(), messages);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(model.values.path, SIG_ECHO_PLUGIN);
    EXPECT_TRUE(model.values.makeDefault);
}

TEST_F(SignDialogs, ExitClosesWithoutApplying) {
    CSignSystemPropsModel model;
    model.values = {"Echo", SIG_ECHO_PLUGIN, false};
    CSignSystemPropsDlg dialog(model, sink);
    dialog.show();
    Find<QLineEdit>(&dialog, "14005")->setText("Changed");
    Find<QPushButton>(&dialog, "2")->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(model.values.name, "Echo");
}

TEST_F(SignDialogs, EditCspSetRunsTheListModally) {
    folders.WriteSystems({{"Echo", SIG_ECHO_PLUGIN}});
    folders.WriteDefault("Echo");
    CCryptographicProvider provider;
    ASSERT_EQ(provider.GetCurUsedCSP(), "Echo");
    QStringList shown;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        shown << modal->objectName() << modal->windowTitle();
        if (auto* list = modal->findChild<QTreeWidget*>("14008"))
            shown << list->topLevelItem(0)->text(0) + "|" + list->topLevelItem(0)->text(1);
        if (auto* exit = modal->findChild<QPushButton*>("2")) exit->click();
    });
    EXPECT_FALSE(provider.EditCSPSet());
    EXPECT_EQ(shown, (QStringList{"14000", "Администратор ситем ЭЦП", "Echo|По умолчанию"}));
    EXPECT_EQ(provider.GetCurUsedCSP(), "Echo");  // the dialog works on its own, not on this object
}

}  // namespace
