#pragma once
// CChildFrame: the MDI window of one report view. It lists itself in the main frame while it lives.
#include <QMdiSubWindow>

namespace quillmark {

class CMainFrame;

class CChildFrame : public QMdiSubWindow {
public:
    explicit CChildFrame(CMainFrame* frame);
    ~CChildFrame() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CMainFrame* m_frame;
    friend class CMainFrame;
};

}  // namespace quillmark
