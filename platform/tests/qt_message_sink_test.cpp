#include "platform/ui/widgets/qt_message_sink.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>
#include <thread>

using namespace zor;

// Readable failure messages.
void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QStringList Sorted(QStringList list) {
    list.sort();
    return list;
}

class QtMessages : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "qt_message_sink_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) s_app = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() { s_app.reset(); }

    struct Seen {
        QString title, text, defaultText, escapeText;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
    };

    // Answers the next box by `act` once it is shown, after noting what it shows.
    void AnswerNextBox(std::function<void(QMessageBox*)> act) {
        auto poll = std::make_shared<std::function<void()>>();
        *poll = [this, act, poll] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) {
                QTimer::singleShot(5, *poll);
                return;
            }
            m_seen.title = box->windowTitle();
            m_seen.text = box->text();
            m_seen.icon = box->icon();
            m_seen.defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
            m_seen.escapeText = box->escapeButton() ? box->escapeButton()->text() : QString();
            m_seen.buttons.clear();
            for (auto* b : box->buttons()) m_seen.buttons << b->text();
            m_seen.buttons = Sorted(m_seen.buttons);
            act(box);
        };
        QTimer::singleShot(0, *poll);
    }

    static inline std::unique_ptr<QApplication> s_app;
    Seen m_seen;
    QtMessageSink m_sink;
};

TEST_F(QtMessages, BoxShowsCaptionTextIconButtonsAndDefault) {
    struct Case { unsigned type; QMessageBox::Icon icon; QStringList buttons; QString def; int enterAnswer; };
    const Case cases[] = {
        {MB_OK | MB_ICONERROR, QMessageBox::Critical, {"ОК"}, "ОК", IDOK},
        {MB_YESNO | MB_ICONQUESTION, QMessageBox::Question, {"Да", "Нет"}, "Да", IDYES},
        {MB_YESNO | MB_DEFBUTTON2, QMessageBox::NoIcon, {"Да", "Нет"}, "Нет", IDNO},
        {MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3, QMessageBox::Warning, {"Да", "Нет", "Отмена"}, "Отмена", IDCANCEL},
        {MB_OKCANCEL | MB_ICONINFORMATION, QMessageBox::Information, {"Отмена", "ОК"}, "ОК", IDOK},
        {MB_RETRYCANCEL, QMessageBox::NoIcon, {"Отмена", "Повторить"}, "Повторить", IDRETRY},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, QMessageBox::NoIcon, {"Повторить", "Прервать", "Пропустить"}, "Повторить", IDRETRY},
    };
    for (const auto& c : cases) {
        AnswerNextBox([](QMessageBox* box) { box->defaultButton()->click(); });
        EXPECT_EQ(m_sink.Show("Сохранить изменения?", "Квиллмарк", c.type), c.enterAnswer) << c.type;
        EXPECT_EQ(m_seen.title, "Квиллмарк");
        EXPECT_EQ(m_seen.text, "Сохранить изменения?");
        EXPECT_EQ(m_seen.icon, c.icon) << c.type;
        EXPECT_EQ(m_seen.buttons, Sorted(c.buttons)) << c.type;
        EXPECT_EQ(m_seen.defaultText, c.def) << c.type;
    }
}

TEST_F(QtMessages, ChosenButtonAndEscapeGiveTheirAnswers) {
    AnswerNextBox([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
    EXPECT_EQ(m_sink.Show("?", "", MB_YESNOCANCEL), IDNO);
    AnswerNextBox([](QMessageBox* box) { box->escapeButton()->click(); });
    EXPECT_EQ(m_sink.Show("?", "", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(m_seen.escapeText, "Отмена");
    AnswerNextBox([](QMessageBox* box) { box->reject(); });
    EXPECT_EQ(m_sink.Show("?", "", MB_OKCANCEL), IDCANCEL);
}

TEST_F(QtMessages, AnotherThreadWaitsForTheBoxOnTheUserInterfaceThread) {
    int answer = 0;
    AnswerNextBox([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    std::thread worker([&] {
        answer = m_sink.Show("Из потока", "Квиллмарк", MB_YESNO | MB_DEFBUTTON2);
        QMetaObject::invokeMethod(qApp, [] { qApp->quit(); });
    });
    QApplication::exec();
    worker.join();
    EXPECT_EQ(answer, IDYES);
    EXPECT_EQ(m_seen.text, "Из потока");
}

TEST(QtMessagesWithoutApplication, FallBackToStderrAndTheDefaultAnswer) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    QtMessageSink sink;
    testing::internal::CaptureStderr();
    EXPECT_EQ(sink.Show("Нет окна", "Квиллмарк", MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Квиллмарк: Нет окна\n");
}

}  // namespace
