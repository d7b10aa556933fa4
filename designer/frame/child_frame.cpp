#include "designer/frame/child_frame.h"

#include <algorithm>

#include <QCloseEvent>

#include "designer/frame/main_frame.h"
#include "platform/settings/profile.h"

namespace quillmark {

CChildFrame::CChildFrame(CMainFrame* frame) : m_frame(frame) {
    setAttribute(Qt::WA_DeleteOnClose);
    if (m_frame) m_frame->m_children.push_back(this);
}

CChildFrame::~CChildFrame() {
    if (m_frame) std::erase(m_frame->m_children, this);
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    WriteProfileInt("ChildFrame", "mode", isMaximized() ? 1 : 0);
    QMdiSubWindow::closeEvent(event);
}

}  // namespace quillmark
