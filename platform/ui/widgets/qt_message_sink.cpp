#include "platform/ui/widgets/qt_message_sink.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace zor {

namespace {

struct Button {
    QMessageBox::StandardButton qt;
    int id;
    const char* text;
};

constexpr Button kButtons[] = {
    {QMessageBox::Ok, IDOK, "ОК"},          {QMessageBox::Cancel, IDCANCEL, "Отмена"},
    {QMessageBox::Abort, IDABORT, "Прервать"}, {QMessageBox::Retry, IDRETRY, "Повторить"},
    {QMessageBox::Ignore, IDIGNORE, "Пропустить"}, {QMessageBox::Yes, IDYES, "Да"},
    {QMessageBox::No, IDNO, "Нет"},
};

QMessageBox::StandardButtons ButtonsOf(unsigned type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_ABORTRETRYIGNORE: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MB_YESNOCANCEL: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO: return QMessageBox::Yes | QMessageBox::No;
    case MB_RETRYCANCEL: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconOf(unsigned type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int ShowBox(const std::string& text, const std::string& caption, unsigned type) {
    QMessageBox box(IconOf(type), QString::fromStdString(caption), QString::fromStdString(text), ButtonsOf(type),
                    QApplication::activeWindow());
    const int defaultId = DefaultAnswer(type);
    for (const Button& b : kButtons) {
        QAbstractButton* button = box.button(b.qt);
        if (!button) continue;
        button->setText(QString::fromUtf8(b.text));
        if (b.id == defaultId) box.setDefaultButton(b.qt);
    }
    // Escape cancels where there is a Cancel button, and closes a box that has only OK.
    if (box.button(QMessageBox::Cancel)) box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    const auto chosen = box.standardButton(box.clickedButton());
    for (const Button& b : kButtons)
        if (b.qt == chosen) return b.id;
    // Closed without a choice.
    return box.button(QMessageBox::Cancel) ? IDCANCEL : DefaultAnswer(type);
}

}  // namespace

int QtMessageSink::Show(const std::string& text, const std::string& caption, unsigned type) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) return StderrMessageSink().Show(text, caption, type);
    if (QThread::currentThread() == app->thread()) return ShowBox(text, caption, type);
    int answer = DefaultAnswer(type);
    QMetaObject::invokeMethod(app, [&] { answer = ShowBox(text, caption, type); }, Qt::BlockingQueuedConnection);
    return answer;
}

}  // namespace zor
