#include "zorStepData/CzorData_Client/wait_progress.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <fmt/format.h>

#include "zorStepData/CzorData_Client/transport_client.h"

bool CWaitProgressState::SetPercent(int percent) {
    std::lock_guard lock(m_lock);
    m_percent = percent;
    return m_aborted;
}
void CWaitProgressState::Close() {
    std::lock_guard lock(m_lock);
    m_close = true;
}
void CWaitProgressState::Abort() {
    std::lock_guard lock(m_lock);
    m_aborted = true;
}
bool CWaitProgressState::Aborted() const {
    std::lock_guard lock(m_lock);
    return m_aborted;
}
bool CWaitProgressState::CloseAsked() const {
    std::lock_guard lock(m_lock);
    return m_close;
}
int CWaitProgressState::Percent() const {
    std::lock_guard lock(m_lock);
    return m_percent;
}

namespace {

// Esc and the close box abort; only the caller ends the window.
class ProgressDialog : public QDialog {
public:
    std::function<void()> onAbort;
    bool closing = false;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape) {
            if (onAbort) onAbort();
            return;
        }
        QDialog::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        if (closing) return QDialog::closeEvent(e);
        if (onAbort) onAbort();
        e->ignore();
    }
};

}  // namespace

struct CDlgWaitProgress::View {
    ProgressDialog dialog;
    QProgressBar* bar = nullptr;
    QTimer timer;
};

CDlgWaitProgress::CDlgWaitProgress() = default;
CDlgWaitProgress::~CDlgWaitProgress() = default;

void CDlgWaitProgress::Start() {
    m_view = std::make_unique<View>();
    auto& d = m_view->dialog;
    d.setObjectName("7012");
    d.setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint);
    d.setWindowTitle(QString::fromStdString(m_text));
    auto* layout = new QVBoxLayout(&d);
    m_view->bar = new QProgressBar(&d);
    m_view->bar->setObjectName("7017");
    m_view->bar->setRange(0, 100);
    m_view->bar->setValue(0);
    m_view->bar->setTextVisible(false);
    layout->addWidget(m_view->bar);
    auto* abort = new QPushButton(QString::fromUtf8("Прервать"), &d);
    abort->setObjectName("7016");
    abort->setDefault(true);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(abort);
    row->addStretch();
    layout->addLayout(row);
    d.onAbort = [this] { OnAbort(); };
    QObject::connect(abort, &QPushButton::clicked, [this] { OnAbort(); });
    QObject::connect(&m_view->timer, &QTimer::timeout, [this] { Tick(); });
    m_view->timer.start(500);
    d.show();
}

QDialog* CDlgWaitProgress::Window() const { return m_view ? &m_view->dialog : nullptr; }

void CDlgWaitProgress::Tick() {
    if (!m_view) return;
    if (m_state.CloseAsked()) {
        m_view->timer.stop();
        m_view->dialog.closing = true;
        m_view->dialog.close();
        m_view.reset();
        return;
    }
    const int percent = m_state.Percent();
    m_view->bar->setValue(percent);
    m_view->dialog.setWindowTitle(QString::fromStdString(fmt::format("{} - {} %", m_text, percent)));
}

void CDlgWaitProgress::OnAbort() {
    m_state.Abort();
    if (m_pTransport) m_pTransport->SetBreak(true);
    if (m_onAbort) m_onAbort();
}
