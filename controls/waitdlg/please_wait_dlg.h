#pragma once
// The please-wait dialog: a text and an hourglass that turns while someone else works.
// It is shown by the zorwaitdlg helper program, so it stays live while the caller's thread is busy.
#include <functional>

#include <QBasicTimer>
#include <QDialog>
#include <QString>

#include "controls/resources/imagelist.h"

class QLabel;

// The animation's tick counter: one tick every 50 ms runs 1, 2, ..., 8, 0, 1, ... and the image
// shown is counter / 3, so each of the three images stays for three ticks (150 ms).
class CWaitAnimation {
public:
    static constexpr int kTickMs = 50;
    static constexpr int kImages = 3;
    // Advances by one tick; returns the image to show now.
    int Tick() {
        if (++m_counter > 8) m_counter = 0;
        return m_counter / 3;
    }
    int Counter() const { return m_counter; }

private:
    int m_counter = 0;
};

class CPleaseWaitDlg : public QDialog {
public:
    static constexpr int kTemplateId = 27530;
    static constexpr int kIconControl = 1002;
    static constexpr int kTextControl = 1003;

    // `isDone` is asked on every tick; once it answers true the dialog ends as with OK.
    CPleaseWaitDlg(const QString& text, std::function<bool()> isDone, QWidget* parent = nullptr);
    ~CPleaseWaitDlg() override;

    // The image now shown, -1 before the first tick.
    int CurrentImage() const { return m_current; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    QLabel* m_icon = nullptr;
    QLabel* m_text = nullptr;
    CImageList m_images;
    CWaitAnimation m_animation;
    QBasicTimer m_timer;
    std::function<bool()> m_isDone;
    int m_current = -1;
};
