#include "controls/text/masked_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "controls/tests/gui_fixture.h"

namespace {

void SendKey(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(target, &release);
}

void Type(QWidget* target, const QString& text) {
    for (const QChar c : text)
        SendKey(target, c.unicode() >= 'a' && c.unicode() <= 'z' ? Qt::Key_A + (c.unicode() - 'a') : c.unicode(),
                Qt::NoModifier, QString(c));
}

class MaskedEditTest : public GuiFixture {
protected:
    CzorMaskedEdit edit;
};

TEST_F(MaskedEditTest, CreatedDisabledUntilInit) {
    EXPECT_FALSE(edit.isEnabled());
    EXPECT_FALSE(edit.IsReady());
    EXPECT_TRUE(edit.IsPlain());
    EXPECT_TRUE(edit.Init("[0-9][0-9].[0-9][0-9]", "1234"));
    EXPECT_TRUE(edit.isEnabled());
    EXPECT_TRUE(edit.IsReady());
    EXPECT_EQ(edit.text(), "12.34");
    EXPECT_EQ(edit.maxLength(), 5);
    EXPECT_EQ(edit.Caret(), 0);
    EXPECT_EQ(edit.GetData(), "1234");
}

TEST_F(MaskedEditTest, InitFailures) {
    struct Case { const char* mask; const char* text; };
    const Case cases[] = {{"[0-9", "Init failed."}, {"[[0]]", "Init failed."}, {"[-9]", "SetValidChars failed."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        EXPECT_TRUE(edit.Init("[0-9]", "1"));
        EXPECT_FALSE(edit.Init(c.mask, "1"));
        EXPECT_EQ(edit.text(), c.text);
        EXPECT_FALSE(edit.isEnabled());
        EXPECT_FALSE(edit.IsReady());
    }
    std::string tooLong;
    for (int i = 0; i < 257; ++i)
        tooLong += "[0-9]";
    EXPECT_FALSE(edit.Init(tooLong, ""));
    EXPECT_EQ(edit.text(), "SetValidChars failed.");
}

TEST_F(MaskedEditTest, SetDataGetDataAndPrompt) {
    ASSERT_TRUE(edit.Init("[0-9][0-9][0-9][0-9]", ""));
    edit.SetData("12a4");
    EXPECT_EQ(edit.text(), "12_4");
    EXPECT_EQ(edit.GetData(), "124");
    EXPECT_FALSE(edit.SetPromptChar("ab"));
    EXPECT_FALSE(edit.SetPromptChar(""));
    EXPECT_EQ(edit.GetPromptChar(), "_");
    EXPECT_TRUE(edit.SetPromptChar("ж"));
    edit.SetData("9");
    EXPECT_EQ(edit.text(), "9жжж");
    EXPECT_EQ(edit.GetData(), "9");
}

TEST_F(MaskedEditTest, KeysOnTheWidget) {
    ASSERT_TRUE(edit.Init("[0-9][0-9].[А-Я][А-Я]", ""));
    edit.setCursorPosition(0);
    Type(&edit, "1x2");  // x is refused and changes nothing
    EXPECT_EQ(edit.text(), "12.__");
    EXPECT_EQ(edit.cursorPosition(), 3);
    Type(&edit, QString::fromUtf8("ЖЁ"));  // Ё is outside А-Я in the code page
    EXPECT_EQ(edit.text(), QString::fromUtf8("12.Ж_"));
    SendKey(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "12.__");
    EXPECT_EQ(edit.cursorPosition(), 3);
    SendKey(&edit, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(edit.selectedText(), "12.");
    Type(&edit, "7");  // typing over a selection
    EXPECT_EQ(edit.text(), "7_.__");
    EXPECT_EQ(edit.cursorPosition(), 1);
    SendKey(&edit, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(edit.selectedText(), "_.__");
    SendKey(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), "7_.__");
    EXPECT_FALSE(edit.hasSelectedText());
    SendKey(&edit, Qt::Key_Home);
    SendKey(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), "__.__");
    EXPECT_EQ(edit.cursorPosition(), 1);
    SendKey(&edit, Qt::Key_V, Qt::ControlModifier, "\x16");  // paste has no rule: nothing happens
    EXPECT_EQ(edit.text(), "__.__");
}

TEST_F(MaskedEditTest, ShiftKeyStateAndTabToMaskedNeighbour) {
    QWidget parent;
    auto* first = new CzorMaskedEdit(&parent);
    auto* second = new CzorMaskedEdit(&parent);
    ASSERT_TRUE(second->Init("[0-9]", ""));
    ASSERT_TRUE(first->Init("[0-9]", ""));
    parent.show();
    QApplication::setActiveWindow(&parent);
    first->setFocus();
    QKeyEvent shiftDown(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    QApplication::sendEvent(first, &shiftDown);
    EXPECT_TRUE(first->ShiftDown());
    SendKey(first, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), second);
    EXPECT_TRUE(second->ShiftDown());
}

TEST_F(MaskedEditTest, EmptyMaskIsAPlainEdit) {
    ASSERT_TRUE(edit.Init("", ""));
    EXPECT_TRUE(edit.IsPlain());
    EXPECT_TRUE(edit.isEnabled());
    Type(&edit, "ab");
    EXPECT_EQ(edit.text(), "ab");
}

}  // namespace

namespace {

TEST_F(MaskedEditTest, MouseSelectsAllOnDoubleClickAndPlacesTheCaretOnRelease) {
    ASSERT_TRUE(edit.Init("[0-9][0-9][0-9]", "123"));
    edit.resize(200, 24);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 10), QPointF(5, 10), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&edit, &dbl);
    EXPECT_EQ(edit.selectedText(), "123");
    edit.deselect();
    edit.setCursorPosition(2);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(190, 10), QPointF(190, 10), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&edit, &release);
    EXPECT_EQ(edit.Caret(), edit.cursorPosition());
    const QString shown = edit.text();
    SendKey(&edit, Qt::Key_Left);
    EXPECT_EQ(edit.text(), shown);
    EXPECT_EQ(edit.Caret(), 1);
}

}  // namespace
