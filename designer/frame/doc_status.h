#pragma once
// CDocStatus: the main frame's status bar as it follows the document: the message of a long operation
// (the position pane emptied with it), the progress bar while the report's sheets load, and the page pane.
#include "designer/doc/doc_observer.h"

class QProgressBar;

namespace quillmark {

class CMainFrame;

class CDocStatus : public IDocObserver {
public:
    explicit CDocStatus(CMainFrame& frame) : m_frame(frame) {}
    ~CDocStatus() override { LoadEnded(); }
    CDocStatus(const CDocStatus&) = delete;
    CDocStatus& operator=(const CDocStatus&) = delete;

    void StatusText(const std::string& text) override;
    void StatusCleared() override;
    // The progress bar (object name "61499") lives from the start of loading to its end.
    void LoadStarted() override;
    void LoadProgress(int index, int count) override;
    void LoadEnded() override;
    void PageChanged(int current, int count) override;

private:
    CMainFrame& m_frame;
    QProgressBar* m_progress = nullptr;
};

}  // namespace quillmark
