#include "controls/text/date_combo.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLineEdit>

#include "controls/tests/gui_fixture.h"

namespace {

void SendKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

class DateComboTest : public GuiFixture {};

TEST_F(DateComboTest, ComboBoxReadOnly) {
    CzorComboBox list;  // a drop-down list: no edit field
    list.addItems({"a", "b"});
    EXPECT_FALSE(list.SetReadOnly(true));
    EXPECT_FALSE(list.isEnabled());
    EXPECT_FALSE(list.SetReadOnly(false));
    EXPECT_TRUE(list.isEnabled());

    CzorComboBox combo;
    combo.setEditable(true);
    combo.addItems({"a", "b"});
    EXPECT_TRUE(combo.SetReadOnly(true));
    EXPECT_TRUE(combo.isEnabled());
    EXPECT_TRUE(combo.lineEdit()->isEnabled());
    EXPECT_TRUE(combo.lineEdit()->isReadOnly());
    combo.setCurrentIndex(1);  // an entry can still be chosen
    EXPECT_EQ(combo.currentText(), "b");
    EXPECT_TRUE(combo.SetReadOnly(false));
    EXPECT_FALSE(combo.lineEdit()->isReadOnly());
}

TEST_F(DateComboTest, DatePickerMovesOnAfterEachChangeButNotFromTheCalendar) {
    QWidget parent;
    auto* picker = new CzorDateTimeCtrl(&parent);
    picker->setDisplayFormat("dd.MM.yyyy");
    picker->setDate(QDate(2026, 5, 10));
    parent.show();
    QApplication::setActiveWindow(&parent);
    picker->setFocus();
    ASSERT_TRUE(picker->hasFocus());
    picker->setCurrentSectionIndex(0);

    SendKey(picker, Qt::Key_Up);  // the day changes, the month is next
    EXPECT_EQ(picker->date(), QDate(2026, 5, 11));
    EXPECT_EQ(picker->currentSection(), QDateTimeEdit::MonthSection);
    SendKey(picker, Qt::Key_Up);
    EXPECT_EQ(picker->date(), QDate(2026, 6, 11));
    EXPECT_EQ(picker->currentSection(), QDateTimeEdit::YearSection);
    SendKey(picker, Qt::Key_Up);  // the last field stays
    EXPECT_EQ(picker->currentSection(), QDateTimeEdit::YearSection);

    picker->setCurrentSectionIndex(0);
    QWidget* popup = picker->calendarWidget()->window();
    popup->show();
    EXPECT_TRUE(picker->IsDroppedDown());
    emit picker->calendarWidget()->clicked(QDate(2026, 7, 1));  // chosen in the open calendar
    EXPECT_EQ(picker->date(), QDate(2026, 7, 1));
    EXPECT_EQ(picker->currentSection(), QDateTimeEdit::DaySection);
    popup->hide();
    EXPECT_FALSE(picker->IsDroppedDown());
    picker->setFocus();
    picker->setCurrentSectionIndex(0);
    SendKey(picker, Qt::Key_Up);  // the next keyboard change after closing moves on
    EXPECT_EQ(picker->date(), QDate(2026, 7, 2));
    EXPECT_EQ(picker->currentSection(), QDateTimeEdit::MonthSection);

    QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);  // losing the focus hands it to the parent
    QApplication::sendEvent(picker, &out);
    EXPECT_EQ(QApplication::focusWidget(), &parent);
}

}  // namespace
