#include "designer/frame/doc_status.h"

#include <QProgressBar>
#include <QStatusBar>

#include "designer/frame/main_frame.h"

namespace quillmark {

void CDocStatus::StatusText(const std::string& text) {
    m_frame.statusBar()->showMessage(QString::fromStdString(text));
    m_frame.SetPositionText("");
}

void CDocStatus::StatusCleared() { m_frame.statusBar()->clearMessage(); }

void CDocStatus::LoadStarted() {
    LoadEnded();
    m_progress = new QProgressBar;
    m_progress->setObjectName("61499");
    m_progress->setTextVisible(false);
    m_frame.statusBar()->addWidget(m_progress, 1);
    m_progress->show();
}

void CDocStatus::LoadProgress(int index, int count) {
    if (!m_progress) return;
    m_progress->setRange(0, count);
    m_progress->setValue(index);
}

void CDocStatus::LoadEnded() {
    if (!m_progress) return;
    m_frame.statusBar()->removeWidget(m_progress);
    delete m_progress;
    m_progress = nullptr;
}

void CDocStatus::PageChanged(int current, int count) { m_frame.SetPageText(current, count); }

}  // namespace quillmark
