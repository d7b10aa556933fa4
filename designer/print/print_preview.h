#pragma once
// The print preview: the report's printed pages drawn by the same page loop as printing (with the paper's
// edges dotted and the drawing clipped to the paper) in a window with page navigation, zoom, print and
// close.
#include <functional>
#include <memory>

#include <QDialog>

#include "designer/print/report_printer.h"

class QAction;
class QLabel;
class QPrintPreviewWidget;
class QPrinter;

namespace quillmark {

class CPrintPreviewWindow : public QDialog {
public:
    // Object names of the tool buttons, for tests and for the frame that hosts the preview.
    static constexpr const char* kPrintName = "previewPrint";
    static constexpr const char* kNextName = "previewNext";
    static constexpr const char* kPreviousName = "previewPrevious";
    static constexpr const char* kZoomInName = "previewZoomIn";
    static constexpr const char* kZoomOutName = "previewZoomOut";
    static constexpr const char* kCloseName = "previewClose";

    explicit CPrintPreviewWindow(const PrintJob& job, QWidget* parent = nullptr);
    ~CPrintPreviewWindow() override;

    int PageCount() const;
    int CurrentPage() const;
    void SetCurrentPage(int page);
    void NextPage();
    void PreviousPage();
    void ZoomIn();
    void ZoomOut();
    double ZoomFactor() const;
    // The printer the preview lays its pages out for (paper, orientation, margins).
    const QPrinter& Printer() const { return *m_printer; }
    // "Печать...": the print dialog over this window, then the pages.
    void Print();

    // Called once when the window closes (the frame clears its preview state).
    std::function<void()> onClosed;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Paint(QPrinter* printer);
    void UpdateControls();

    PrintJob m_job;
    std::unique_ptr<QPrinter> m_printer;
    QPrintPreviewWidget* m_view = nullptr;
    QLabel* m_pageLabel = nullptr;
    QAction* m_next = nullptr;
    QAction* m_previous = nullptr;
    bool m_closedOnce = false;
};

// Opens the preview of the job, modeless, owned by parent (deleted when closed); null when the job has no
// page or the user may not print ("Недостаточно прав!" is then for the caller to show).
CPrintPreviewWindow* ShowPrintPreview(const PrintJob& job, QWidget* parent);

// The command line's preview switch: true once, clearing the flag, so that only the first report view
// updated after start-up opens the preview.
bool TakePreviewRequest(int& previewFlag);

}  // namespace quillmark
