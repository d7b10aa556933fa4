// The retry dialog and the progress window as real widgets under the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "controls/tests/gui_test_app.h"
#include "zorStepData/CzorData_Client/retry_dialog_view.h"
#include "zorStepData/CzorData_Client/tests/scripted_peer.h"
#include "zorStepData/CzorData_Client/transport_wait_view.h"
#include "zorStepData/CzorData_Client/wait_progress.h"

namespace {

template <class W>
W* Find(QDialog* d, const char* id) {
    return d ? d->findChild<W*>(QString::fromLatin1(id)) : nullptr;
}

}  // namespace

TEST(RetryDialogWindow, CountsDownAndRetriesByItself) {
    EnsureGuiApplication();
    CDlgTransportError logic;
    logic.m_countdown = 10;
    logic.m_message = "Сообщение транспорта: Выполняется другая операция";
    CDlgTransportErrorView view(logic);
    QDialog* d = view.Window();
    ASSERT_EQ(d->objectName(), "7021");
    auto* retry = Find<QPushButton>(d, "7033");
    ASSERT_TRUE(retry && Find<QLabel>(d, "7039") && Find<QCheckBox>(d, "7035") && Find<QPushButton>(d, "3") &&
                Find<QPushButton>(d, "2"));
    EXPECT_EQ(Find<QLabel>(d, "7039")->text().toStdString(), logic.m_message);
    view.Tick();
    EXPECT_EQ(retry->text().toStdString(), "Повторить автоматически через 9 с");
    for (int i = 0; i < 8; ++i) view.Tick();
    EXPECT_EQ(retry->text().toStdString(), "Повторить автоматически через 1 с");
    Find<QCheckBox>(d, "7035")->setChecked(true);
    QTimer::singleShot(0, [&] { view.Tick(); });  // the tenth second, inside the modal run
    EXPECT_EQ(view.Run(), CDlgTransportError::kRetry);
    EXPECT_EQ(logic.m_repeatAuto, 1);
}

TEST(RetryDialogWindow, StopKeepsItOpenAndSkipTakesNothing) {
    EnsureGuiApplication();
    CDlgTransportError logic;
    logic.m_countdown = 3;
    CDlgTransportErrorView view(logic);
    QDialog* d = view.Window();
    QTimer::singleShot(0, [&] {
        Find<QPushButton>(d, "3")->click();
        EXPECT_EQ(Find<QPushButton>(d, "7033")->text().toStdString(), "Повторить");
        EXPECT_TRUE(d->isVisible());
        Find<QCheckBox>(d, "7035")->setChecked(true);
        Find<QPushButton>(d, "2")->click();
    });
    EXPECT_EQ(view.Run(), CDlgTransportError::kSkip);
    EXPECT_EQ(logic.m_repeatAuto, 0);
    EXPECT_EQ(logic.m_countdown, 3);
    // A countdown of 0 never retries by itself.
    CDlgTransportError idle;
    CDlgTransportErrorView idleView(idle);
    idleView.Tick();
    EXPECT_EQ(Find<QPushButton>(idleView.Window(), "7033")->text().toStdString(), "Повторить");
}

TEST(ProgressWindow, ShowsThePercentAbortsAndEndsOnClose) {
    EnsureGuiApplication();
    CDlgWaitProgress w;
    w.m_text = "Передача файла";
    int aborts = 0;
    w.m_onAbort = [&] { ++aborts; };
    w.Start();
    QDialog* d = w.Window();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->objectName(), "7012");
    EXPECT_FALSE(w.SetPercent(40));
    w.Tick();
    EXPECT_EQ(Find<QProgressBar>(d, "7017")->value(), 40);
    EXPECT_EQ(d->windowTitle().toStdString(), "Передача файла - 40 %");
    Find<QPushButton>(d, "7016")->click();
    EXPECT_EQ(aborts, 1);
    EXPECT_TRUE(w.SetPercent(50));
    EXPECT_TRUE(w.SetPercent(60));  // true every time after an abort
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(d, &esc);
    EXPECT_EQ(aborts, 2);
    d->close();  // the close box aborts too and the window stays
    EXPECT_EQ(aborts, 3);
    EXPECT_NE(w.Window(), nullptr);
    w.Close();
    w.Tick();
    EXPECT_EQ(w.Window(), nullptr);
}

TEST(TransportWaitWindow, ShownDuringASlowCallAndBreaksIt) {
    EnsureGuiApplication();
    zor::net::QtTransportWaitUi ui;
    ITransportWaitUi* old = SetTransportWaitUi(&ui);
    // A peer that never answers: the window appears after the delay, its button breaks the call.
    zor::test::ScriptedPeer peer([](const zor::test::Bytes&) -> std::optional<zor::test::Bytes> { return std::nullopt; });
    CzorSocketClient c;
    ASSERT_TRUE(c.Connect("127.0.0.1", peer.Port()));
    c.SetWaitDelay(50);
    c.SetWaitDlgText("Идет загрузка");
    int pumps = 0;
    c.SetPumpHook([&] {
        zor::net::PumpEvents();
        if (++pumps == 5) {
            QDialog* d = ui.Window(1);
            ASSERT_NE(d, nullptr);
            EXPECT_TRUE(d->isVisible());
            EXPECT_EQ(d->findChild<QLabel*>()->text().toStdString(), "Идет загрузка");
            d->findChild<QPushButton*>("2")->click();
        }
    });
    std::vector<unsigned char> msg = {1, 2, 3};
    unsigned char* p = msg.data();
    int n = 3;
    EXPECT_FALSE(c.Call(p, n, nullptr, 0, true, true));
    EXPECT_EQ(c.GetLastTkvError(), TKV_BREAK);
    EXPECT_EQ(ui.Window(1), nullptr);  // ended with the call
    SetTransportWaitUi(old);
}
