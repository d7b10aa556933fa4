#include "zorStepData/CzorData_Client/transport_wait_view.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zor::net {
namespace {

// Esc and the close box break the call like the button does.
class WaitDialog : public QDialog {
public:
    bool broken = false;
    bool ending = false;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape) broken = true;
        else QDialog::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        if (ending) return QDialog::closeEvent(e);
        broken = true;
        e->ignore();
    }
};

}  // namespace

struct QtTransportWaitUi::Entry {
    WaitDialog dialog;
    QLabel* text = nullptr;
};

QtTransportWaitUi::QtTransportWaitUi() = default;
QtTransportWaitUi::~QtTransportWaitUi() = default;

long QtTransportWaitUi::Start(const std::string& text) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
    auto e = std::make_unique<Entry>();
    e->dialog.setWindowTitle(QString::fromUtf8("Tessaline"));
    e->dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(&e->dialog);
    e->text = new QLabel(QString::fromStdString(text), &e->dialog);
    layout->addWidget(e->text);
    auto* stop = new QPushButton(QString::fromUtf8("Прервать"), &e->dialog);
    stop->setObjectName("2");
    WaitDialog* d = &e->dialog;
    QObject::connect(stop, &QPushButton::clicked, d, [d] { d->broken = true; });
    layout->addWidget(stop);
    e->dialog.show();
    const long handle = m_next++;
    m_windows[handle] = std::move(e);
    return handle;
}

void QtTransportWaitUi::SetText(long handle, const std::string& text) {
    auto it = m_windows.find(handle);
    if (it != m_windows.end()) it->second->text->setText(QString::fromStdString(text));
}

bool QtTransportWaitUi::IsBroken(long handle) {
    auto it = m_windows.find(handle);
    return it != m_windows.end() && it->second->dialog.broken;
}

void QtTransportWaitUi::End(long handle, bool) {
    auto it = m_windows.find(handle);
    if (it == m_windows.end()) return;
    it->second->dialog.ending = true;
    it->second->dialog.close();
    m_windows.erase(it);
}

QDialog* QtTransportWaitUi::Window(long handle) const {
    auto it = m_windows.find(handle);
    return it == m_windows.end() ? nullptr : &it->second->dialog;
}

void PumpEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace zor::net
