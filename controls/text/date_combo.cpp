#include "controls/text/date_combo.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QLineEdit>

bool CzorComboBox::SetReadOnly(bool readOnly) {
    if (QLineEdit* edit = lineEdit()) {
        edit->setEnabled(true);
        edit->setReadOnly(readOnly);
        return true;
    }
    setEnabled(!readOnly);
    return false;
}

CzorDateTimeCtrl::CzorDateTimeCtrl(QWidget* parent) : QDateTimeEdit(parent) {
    setCalendarPopup(true);
    // The calendar's window is watched for opening and closing: there is no drop-down notice.
    calendarWidget()->window()->installEventFilter(this);
    connect(this, &QDateTimeEdit::dateTimeChanged, this, [this] { OnChanged(); });
}

bool CzorDateTimeCtrl::eventFilter(QObject* watched, QEvent* e) {
    if (watched == calendarWidget()->window()) {
        if (e->type() == QEvent::Show)
            m_droppedDown = true;
        else if (e->type() == QEvent::Hide)
            m_droppedDown = false;
    }
    return QDateTimeEdit::eventFilter(watched, e);
}

void CzorDateTimeCtrl::OnChanged() {
    // Only the user's own changes move on: they come while the edit has the focus.
    if (m_droppedDown || !hasFocus())
        return;
    if (currentSectionIndex() + 1 < sectionCount())
        setCurrentSectionIndex(currentSectionIndex() + 1);
}

void CzorDateTimeCtrl::focusOutEvent(QFocusEvent* e) {
    QDateTimeEdit::focusOutEvent(e);
    if (QWidget* parent = parentWidget())
        parent->setFocus(Qt::OtherFocusReason);
}
