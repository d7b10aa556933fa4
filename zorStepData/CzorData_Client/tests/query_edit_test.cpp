// The query editor: its logic without a window (locks, the check and its selection, the position
// display, files, help, the picker's lists), and the dialogs offscreen driven by their controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "controls/desktop_opener.h"
#include "controls/tests/gui_test_app.h"
#include "platform/base/config_paths.h"
#include "platform/base/file_io.h"
#include "platform/tests/test_support.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/query_edit_view.h"

namespace {

class QueryEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        store.SetErorPrintMode(false);
        ASSERT_TRUE(store.LoadDictionary(QM_DICT_DIR "/quillmark"));
        data.store = &store;
        data.prepared = &prepared;
    }
    CzorNetStepData store;
    CzorQLQuery prepared{&store};
    zor::net::QueryEditData data;
    zor::test::ScopedTempDir dir;
};

TEST_F(QueryEditTest, LockFlags) {
    struct Row {
        bool textLocked, nameLocked, nameEnabled, saveToDb, withStore;
        // start editing, text read-only, load, name read-only, save-to-db enabled, show-in-table, change text, execute
        const char* expected;
    } rows[] = {
        {false, false, false, false, true, "-/-/L/-/-/-/C/X"},
        {true, false, false, false, true, "S/R/-/-/-/-/-/X"},
        {true, true, true, false, true, "-/R/-/N/D/T/-/X"},
        {false, false, true, true, true, "-/-/L/-/-/T/C/X"},
        {false, false, true, false, false, "-/-/L/-/D/T/C/-"},
    };
    for (const Row& r : rows) {
        zor::net::QueryEditData d;
        d.textLocked = r.textLocked;
        d.nameLocked = r.nameLocked;
        d.nameEnabled = r.nameEnabled;
        d.saveToDb = r.saveToDb;
        d.store = r.withStore ? &store : nullptr;
        CQueryEditLogic l(d);
        const std::string got = std::string(l.CanStartEditing() ? "S" : "-") + "/" + (l.IsTextReadOnly() ? "R" : "-") +
                                "/" + (l.CanLoadFile() ? "L" : "-") + "/" + (l.IsNameReadOnly() ? "N" : "-") + "/" +
                                (l.IsSaveToDbEnabled() ? "D" : "-") + "/" + (l.IsShowInTableEnabled() ? "T" : "-") +
                                "/" + (l.CanChangeText() ? "C" : "-") + "/" + (l.CanExecute() ? "X" : "-");
        EXPECT_EQ(got, r.expected);
        l.StartEditing();
        EXPECT_FALSE(l.IsTextReadOnly());
    }
}

TEST_F(QueryEditTest, TheCheckSelectsTheOffendingToken) {
    struct Row {
        std::string text;
        const char* message;
        int selStart, selEnd;
    } rows[] = {
        {"select a\nfoo", "Ошибка в строке 2 позиция 4 :Ожидается AND, OR, ')' или FROM", 9, 12},
        {"select Ф\nfrom Ф{zor_point .x = 1.5} end_select", "Ошибка в строке 2 позиция 26 :Ожидается целое значение", 31,
         34},
        {"select a.nosuch\nfrom a{zor_point} end_select", "Ошибка в строке 1 позиция 16 :У текущей ентити нет такого атрибута",
         9, 15},
        {"select a from a{zor_col .name = 'ok ✓'} end_select", "Ошибка в строке 1 позиция 37 :Недопустимое строковое значение",
         36, 37},
        {"select ", "Ошибка в строке 1 позиция 8 :Неправильное окончание запроса", 7, 7},
    };
    for (const Row& r : rows) {
        CQueryEditLogic l(data);
        const auto c = l.Execute(r.text);
        EXPECT_FALSE(c.ok) << r.text;
        EXPECT_EQ(c.message, r.message) << r.text;
        EXPECT_EQ(c.selStart, r.selStart) << r.text;
        EXPECT_EQ(c.selEnd, r.selEnd) << r.text;
        EXPECT_FALSE(data.parsed);
    }
    CQueryEditLogic l(data);
    EXPECT_TRUE(l.Execute("select a from a{zor_point .x = 3} end_select").ok);
    EXPECT_TRUE(data.parsed);
    EXPECT_TRUE(prepared.m_bValid);
    EXPECT_EQ(prepared.m_Extents.GetSize(), 1);
    // Without a store nothing is checked.
    zor::net::QueryEditData none;
    CQueryEditLogic n(none);
    EXPECT_FALSE(n.Execute("select a from a{zor_point} end_select").ok);
    EXPECT_FALSE(none.parsed);
}

TEST_F(QueryEditTest, PositionDisplayAndSample) {
    int line = 0, column = 0;
    const std::string text = "ab\nЖук\n\nx";
    const int expected[][3] = {{0, 1, 1}, {2, 1, 3}, {3, 2, 1}, {5, 2, 3}, {6, 2, 4}, {7, 3, 1}, {8, 4, 1}, {9, 4, 2}};
    for (const auto& e : expected) {
        CQueryEditLogic::CaretPosition(text, e[0], line, column);
        EXPECT_EQ(line, e[1]) << e[0];
        EXPECT_EQ(column, e[2]) << e[0];
    }
    EXPECT_EQ(CQueryEditLogic::LineText(2), "Строка: 2");
    EXPECT_EQ(CQueryEditLogic::ColumnText(7), "Позиция: 7");
    CQueryEditLogic l(data);
    EXPECT_EQ(l.InitialText(), "SELECT\n\tExt\nFROM\n\tExt {product.id='12345'}\nEND_SELECT");
    data.text = "select x";
    EXPECT_EQ(l.InitialText(), "select x");
}

TEST_F(QueryEditTest, LoadingAFileHasLimits) {
    struct Row {
        const char* what;
        std::string bytes;
        bool ok;
        const char* messagePart;
    } rows[] = {
        {"a query", "select a\r\nfrom a{zor_col .name = 'Жук'} end_select", true, ""},
        {"too large", std::string(CQueryEditLogic::kMaxFileSize + 1, 'x'), false, "слишком велик"},
        {"a zero byte", std::string("select\0a", 8), false, "нулевые байты"},
        {"not UTF-8", "select \xFF\xFE", false, "строке 1 позиция 8"},
        {"a character the wire cannot carry", "select a\nfrom ✓", false, "строке 2 позиция 6"},
    };
    for (const Row& r : rows) {
        const std::string path = dir.Path() + "/q.txt";
        ASSERT_TRUE(zor::WriteFileAtomically(path, r.bytes));
        data.textLocked = true;
        CQueryEditLogic l(data);
        std::string text = "kept", message;
        EXPECT_EQ(l.LoadFile(path, text, message), r.ok) << r.what;
        if (r.ok) {
            EXPECT_EQ(text, "select a\nfrom a{zor_col .name = 'Жук'} end_select");
            EXPECT_FALSE(data.textLocked);
        } else {
            EXPECT_EQ(text, "kept") << r.what;
            EXPECT_NE(message.find(r.messagePart), std::string::npos) << r.what << ": " << message;
            EXPECT_TRUE(data.textLocked) << r.what;
        }
    }
    CQueryEditLogic l(data);
    std::string text = "kept", message;
    EXPECT_FALSE(l.LoadFile(dir.Path() + "/missing.txt", text, message));
    EXPECT_FALSE(l.LoadFile(dir.Path(), text, message));
    EXPECT_EQ(text, "kept");
    // Saving writes the file anew, or reports why not and changes nothing.
    EXPECT_TRUE(CQueryEditLogic::SaveFile(dir.Path() + "/out.txt", "select ж", message));
    EXPECT_EQ(zor::test::Slurp(dir.Path() + "/out.txt"), "select ж");
    EXPECT_FALSE(CQueryEditLogic::SaveFile(dir.Path() + "/no/such/out.txt", "x", message));
    EXPECT_NE(message.find("Не удалось записать файл"), std::string::npos);
}

TEST_F(QueryEditTest, HelpAndPickerLists) {
    EXPECT_EQ(CQueryEditLogic::HelpFilePath(), zor::InstalledDictDir() + "query_language.html");
    std::string page;
    ASSERT_TRUE(zor::ReadWholeFile(CQueryEditLogic::HelpFilePath(), page));
    EXPECT_NE(page.find("charset=\"utf-8\""), std::string::npos);
    EXPECT_EQ(CQueryEditLogic::HelpMissingMessage("/x/q.html"),
              "Не найден файл справки\n/x/q.html\nУстановите руководство \nразработчика из дистрибутива");
    const auto entities = CQueryEditLogic::EntityNames(&store);
    EXPECT_EQ(static_cast<int>(entities.size()), store.GetEntities().GetSize());
    EXPECT_EQ(CQueryEditLogic::AttributeNames(&store, "zor_point"), (std::vector<std::string>{"x", "y"}));
    EXPECT_TRUE(CQueryEditLogic::AttributeNames(&store, "nosuch").empty());
    EXPECT_TRUE(CQueryEditLogic::EntityNames(nullptr).empty());
}

// ---- The windows, offscreen

template <class T>
T* Control(QWidget& w, const char* id) {
    T* c = w.findChild<T*>(id);
    EXPECT_NE(c, nullptr) << id;
    return c;
}

TEST_F(QueryEditTest, EditorWindowShowsTheErrorAndClosesOnSuccess) {
    EnsureGuiApplication();
    data.text = "select a\nfoo";
    data.nameEnabled = true;
    data.name = "Запрос";
    CDlgQueryEdit dlg(data);
    dlg.show();
    auto* text = Control<QPlainTextEdit>(dlg, "4019");
    EXPECT_EQ(dlg.objectName(), "4014");
    EXPECT_EQ(text->toPlainText().toStdString(), "select a\nfoo");
    EXPECT_EQ(Control<QLineEdit>(dlg, "7029")->text().toStdString(), "Запрос");
    EXPECT_TRUE(Control<QPushButton>(dlg, "7021")->isEnabled());
    Control<QPushButton>(dlg, "7021")->click();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(Control<QPlainTextEdit>(dlg, "4020")->toPlainText().toStdString(),
              "Ошибка в строке 2 позиция 4 :Ожидается AND, OR, ')' или FROM");
    EXPECT_EQ(text->textCursor().selectedText().toStdString(), "foo");
    // The picker's name replaces the selection; then the check passes and the dialog closes with OK.
    text->setPlainText("select a from a{} end_select");
    QTextCursor c = text->textCursor();
    c.setPosition(16);
    text->setTextCursor(c);
    dlg.InsertName("zor_point");
    Control<QLineEdit>(dlg, "7029")->setText("Другой");
    Control<QPushButton>(dlg, "7021")->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(data.parsed);
    EXPECT_EQ(data.name, "Другой");
    EXPECT_EQ(data.text, "select a from a{zor_point} end_select");
}

TEST_F(QueryEditTest, EditorWindowLocksAndHelp) {
    EnsureGuiApplication();
    data.textLocked = true;
    {
        CDlgQueryEdit dlg(data);
        dlg.show();
        EXPECT_TRUE(Control<QPlainTextEdit>(dlg, "4019")->isReadOnly());
        EXPECT_FALSE(Control<QPushButton>(dlg, "4021")->isEnabled());
        EXPECT_TRUE(Control<QPushButton>(dlg, "7027")->isEnabled());
        EXPECT_EQ(Control<QPlainTextEdit>(dlg, "4019")->toPlainText().toStdString(), CQueryEditLogic::kSampleQuery);
        dlg.InsertName("ignored");
        EXPECT_EQ(Control<QPlainTextEdit>(dlg, "4019")->toPlainText().toStdString(), CQueryEditLogic::kSampleQuery);
        dlg.StartEditing();
        EXPECT_FALSE(Control<QPlainTextEdit>(dlg, "4019")->isReadOnly());
        EXPECT_TRUE(Control<QPushButton>(dlg, "4021")->isEnabled());
        EXPECT_FALSE(Control<QPushButton>(dlg, "7027")->isEnabled());
        std::string opened;
        const auto old = zor::SetUrlOpener([&](const std::string& t) { opened = t; return true; });
        dlg.Help();
        zor::SetUrlOpener(old);
        EXPECT_EQ(opened, CQueryEditLogic::HelpFilePath());
    }
    EXPECT_FALSE(data.textLocked);
    // Without a store the check cannot run.
    zor::net::QueryEditData none;
    CDlgQueryEdit dlg(none);
    dlg.show();
    EXPECT_FALSE(Control<QPushButton>(dlg, "7021")->isEnabled());
}

TEST_F(QueryEditTest, PickerListsAndReturnsTheName) {
    EnsureGuiApplication();
    CDlgSelectDictObject picker(&store);
    EXPECT_EQ(picker.objectName(), "7022");
    auto* entities = Control<QComboBox>(picker, "7042");
    auto* attrs = Control<QComboBox>(picker, "7044");
    EXPECT_EQ(entities->count(), store.GetEntities().GetSize());
    entities->setCurrentIndex(entities->findText("zor_point"));
    ASSERT_EQ(attrs->count(), 2);
    EXPECT_EQ(attrs->itemText(1).toStdString(), "y");
    attrs->setCurrentIndex(1);
    QTimer::singleShot(0, [&] { Control<QPushButton>(picker, "7043")->click(); });
    EXPECT_EQ(picker.exec(), CDlgSelectDictObject::kInsertAttribute);
    EXPECT_EQ(picker.ChosenName(), "y");
    QTimer::singleShot(0, [&] { Control<QPushButton>(picker, "7041")->click(); });
    EXPECT_EQ(picker.exec(), CDlgSelectDictObject::kInsertEntity);
    EXPECT_EQ(picker.ChosenName(), "zor_point");
}

}  // namespace
