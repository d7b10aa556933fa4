#include "controls/waitdlg/please_wait_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimerEvent>

#include "controls/resources/bitmaps.h"
#include "controls/resources/palette.h"

CPleaseWaitDlg::CPleaseWaitDlg(const QString& text, std::function<bool()> isDone, QWidget* parent)
    : QDialog(parent), m_isDone(std::move(isDone)) {
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(QStringLiteral("Загрузка данных"));

    m_icon = new QLabel(this);
    m_icon->setObjectName(QString::number(kIconControl));
    m_icon->setFixedSize(32, 32);
    m_text = new QLabel(QStringLiteral("Пожалуйста подождите . . ."), this);
    m_text->setObjectName(QString::number(kTextControl));
    m_text->setMinimumWidth(220);
    m_text->setWordWrap(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(14);
    layout->addWidget(m_icon);
    layout->addWidget(m_text, 1);
    // The caller's text replaces the template's, as the text is bound to the control.
    m_text->setText(text);

    m_images.Create(32, 32);
    m_images.Add(zor::LoadVistrelBitmap(zor::IDB_ZOR_WAIT_FRAMES), zor::art::kMaskColour);
    m_timer.start(CWaitAnimation::kTickMs, this);
}

CPleaseWaitDlg::~CPleaseWaitDlg() { m_timer.stop(); }

void CPleaseWaitDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    if (m_isDone && m_isDone()) {
        m_timer.stop();
        accept();
        return;
    }
    m_current = m_animation.Tick();
    m_icon->setPixmap(m_images.GetPixmap(m_current));
}
