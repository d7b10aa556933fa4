#include "zorStepData/CzorData_Client/retry_dialog_view.h"

#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

struct CDlgTransportErrorView::View {
    QDialog dialog;
    QLabel* message = nullptr;
    QCheckBox* box = nullptr;
    QPushButton* retry = nullptr;
    QTimer timer;
};

CDlgTransportErrorView::CDlgTransportErrorView(CDlgTransportError& logic) : m_view(std::make_unique<View>()), m_logic(logic) {
    auto& d = m_view->dialog;
    d.setObjectName("7021");
    d.setWindowTitle(QString::fromUtf8("Сообщение об ошибке Tessaline"));
    auto* layout = new QVBoxLayout(&d);
    m_view->message = new QLabel(QString::fromStdString(logic.m_message), &d);
    m_view->message->setObjectName("7039");
    m_view->message->setWordWrap(true);
    m_view->message->setMinimumWidth(400);
    layout->addWidget(m_view->message);
    m_view->box = new QCheckBox(QString::fromUtf8("Повторять автоматически"), &d);
    m_view->box->setObjectName("7035");
    m_view->box->setChecked(logic.m_repeatAuto != 0);
    layout->addWidget(m_view->box);
    auto* row = new QHBoxLayout;
    m_view->retry = new QPushButton(&d);
    m_view->retry->setObjectName("7033");
    auto* stop = new QPushButton(QString::fromUtf8("Остановить"), &d);
    stop->setObjectName("3");
    auto* skip = new QPushButton(QString::fromUtf8("Пропустить"), &d);
    skip->setObjectName("2");
    row->addWidget(m_view->retry, 2);
    row->addWidget(stop, 1);
    row->addWidget(skip, 1);
    layout->addLayout(row);
    QObject::connect(m_view->retry, &QPushButton::clicked, &d, [this] {
        m_view->timer.stop();
        m_view->dialog.done(m_logic.Retry(m_view->box->isChecked()));
    });
    QObject::connect(stop, &QPushButton::clicked, &d, [this] {
        m_logic.Stop();
        m_view->timer.stop();
        m_view->retry->setText(QString::fromStdString(m_logic.RetryText()));
    });
    // Skip, Esc and the close box all reject.
    QObject::connect(skip, &QPushButton::clicked, &d, [this] { m_view->dialog.reject(); });
    QObject::connect(&d, &QDialog::rejected, &d, [this] {
        m_view->timer.stop();
        m_logic.Skip();
    });
    QObject::connect(&m_view->timer, &QTimer::timeout, &d, [this] { Tick(); });
    m_logic.Open();
    m_view->retry->setText(QString::fromStdString(m_logic.Running() ? std::string("Повторить") : m_logic.RetryText()));
    if (m_logic.Running()) m_view->timer.start(1000);
}

CDlgTransportErrorView::~CDlgTransportErrorView() = default;

QDialog* CDlgTransportErrorView::Window() const { return &m_view->dialog; }

void CDlgTransportErrorView::Tick() {
    if (m_logic.Tick()) {
        m_view->timer.stop();
        m_view->dialog.done(m_logic.Retry(m_view->box->isChecked()));
        return;
    }
    m_view->retry->setText(QString::fromStdString(m_logic.RetryText()));
}

int CDlgTransportErrorView::Run() {
    const int r = m_view->dialog.exec();
    return r == CDlgTransportError::kRetry ? r : CDlgTransportError::kSkip;
}

namespace zor::net {

int QtNetUi::RunRetryDialog(CDlgTransportError& dlg) {
    CDlgTransportErrorView view(dlg);
    return view.Run();
}

}  // namespace zor::net
