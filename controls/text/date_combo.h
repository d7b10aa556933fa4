#pragma once
// A combo box that can be made read-only, and a date-time edit with a calendar popup that moves on to
// the next field after each keyboard or spin change, so a date can be typed field after field, and
// hands the focus to its parent when it loses it (it suits an in-place editor).
#include <QComboBox>
#include <QDateTimeEdit>

class CzorComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    // With an edit field: the field stays enabled and becomes read-only (the list can still be opened
    // and an entry chosen); true. Without one: the whole box is disabled or enabled; false.
    bool SetReadOnly(bool readOnly);
};

class CzorDateTimeCtrl : public QDateTimeEdit {
public:
    explicit CzorDateTimeCtrl(QWidget* parent = nullptr);
    // Set while the calendar is open.
    bool IsDroppedDown() const { return m_droppedDown; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void OnChanged();

    bool m_droppedDown = false;
};
