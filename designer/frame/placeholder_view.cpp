#include "designer/frame/placeholder_view.h"

#include "designer/frame/doc_windows.h"
#include "report/model/report_sheet.h"

namespace quillmark {

CPlaceholderView::CPlaceholderView(CDocWindows& windows, QWidget* parent) : QLabel(parent), m_windows(&windows) {
    setAlignment(Qt::AlignCenter);
}

CPlaceholderView::~CPlaceholderView() = default;

void CPlaceholderView::SetSheet(CReportSheet* sheet) {
    m_sheet = sheet;
    OnUpdate();
}

void CPlaceholderView::OnInitialUpdate() {
    if (!m_sheet) m_sheet = m_windows->GetFrameSheet(static_cast<QWidget*>(this));
    OnUpdate();
}

void CPlaceholderView::OnUpdate() {
    ++m_updates;
    setText(m_sheet ? QString::fromStdString(m_sheet->GetName()) : QString());
}

}  // namespace quillmark
