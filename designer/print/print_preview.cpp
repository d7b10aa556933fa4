#include "designer/print/print_preview.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/ui/messages.h"

namespace quillmark {

namespace {
constexpr double kZoomStep = 1.25;
}  // namespace

CPrintPreviewWindow::CPrintPreviewWindow(const PrintJob& job, QWidget* parent)
    : QDialog(parent), m_job(job), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setWindowTitle(QString::fromUtf8("Предварительный просмотр"));
    ApplyChosenPrinter(*m_printer);
    PreparePrinter(*m_printer, m_job.settings);

    auto* toolbar = new QToolBar(this);
    auto addButton = [&](const char* text, const char* name, auto slot) {
        QAction* action = toolbar->addAction(QString::fromUtf8(text), this, slot);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    addButton("Печать...", kPrintName, [this] { Print(); });
    m_previous = addButton("Предыдущая", kPreviousName, [this] { PreviousPage(); });
    m_next = addButton("Следующая", kNextName, [this] { NextPage(); });
    addButton("Увеличить", kZoomInName, [this] { ZoomIn(); });
    addButton("Уменьшить", kZoomOutName, [this] { ZoomOut(); });
    addButton("Закрыть", kCloseName, [this] { close(); });
    m_pageLabel = new QLabel(this);
    toolbar->addWidget(m_pageLabel);

    m_view = new QPrintPreviewWidget(m_printer.get(), this);
    m_view->setViewMode(QPrintPreviewWidget::SinglePageView);
    connect(m_view, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) { Paint(printer); });
    connect(m_view, &QPrintPreviewWidget::previewChanged, this, [this] { UpdateControls(); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(toolbar);
    layout->addWidget(m_view, 1);
    resize(900, 700);
    m_view->updatePreview();
    m_view->fitInView();
    UpdateControls();
}

CPrintPreviewWindow::~CPrintPreviewWindow() = default;

void CPrintPreviewWindow::Paint(QPrinter* printer) {
    std::string error;
    if (!PrintPages(*printer, m_job, true, &error)) AfxMessageBox(error);
}

void CPrintPreviewWindow::UpdateControls() {
    const int count = PageCount();
    const int current = CurrentPage();
    m_pageLabel->setText(QString::fromUtf8("Страница %1 из %2").arg(current).arg(count));
    m_previous->setEnabled(current > 1);
    m_next->setEnabled(current < count);
}

int CPrintPreviewWindow::PageCount() const { return m_view->pageCount(); }
int CPrintPreviewWindow::CurrentPage() const { return m_view->currentPage(); }

void CPrintPreviewWindow::SetCurrentPage(int page) {
    m_view->setCurrentPage(page);
    UpdateControls();
}

void CPrintPreviewWindow::NextPage() { SetCurrentPage(CurrentPage() + 1); }
void CPrintPreviewWindow::PreviousPage() { SetCurrentPage(CurrentPage() - 1); }

void CPrintPreviewWindow::ZoomIn() { m_view->zoomIn(kZoomStep); }
void CPrintPreviewWindow::ZoomOut() { m_view->zoomOut(kZoomStep); }
double CPrintPreviewWindow::ZoomFactor() const { return m_view->zoomFactor(); }

void CPrintPreviewWindow::Print() {
    std::string error;
    if (!PrintWithDialog(m_job, this, &error) && !error.empty()) AfxMessageBox(error);
}

void CPrintPreviewWindow::closeEvent(QCloseEvent* event) {
    if (!m_closedOnce) {
        m_closedOnce = true;
        if (onClosed) onClosed();
    }
    QDialog::closeEvent(event);
}

CPrintPreviewWindow* ShowPrintPreview(const PrintJob& job, QWidget* parent) {
    if (!job.mayPrint || PrintJobPageCount(job) <= 0) return nullptr;
    auto* window = new CPrintPreviewWindow(job, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

bool TakePreviewRequest(int& previewFlag) {
    if (!previewFlag) return false;
    previewFlag = 0;
    return true;
}

}  // namespace quillmark
