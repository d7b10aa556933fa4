#include "designer/doc/placeholder_view.h"

#include "report/model/report_sheet.h"

namespace quillmark {

CPlaceholderView::CPlaceholderView(CQuillmarkDoc& doc, QWidget* parent) : QLabel(parent), m_doc(&doc) {
    setAlignment(Qt::AlignCenter);
}

CPlaceholderView::~CPlaceholderView() = default;

void CPlaceholderView::SetSheet(CReportSheet* sheet) {
    m_sheet = sheet;
    OnUpdate();
}

void CPlaceholderView::OnInitialUpdate() {
    if (!m_sheet) m_sheet = m_doc->GetFrameSheet(static_cast<QWidget*>(this));
    OnUpdate();
}

void CPlaceholderView::OnUpdate() {
    ++m_updates;
    setText(m_sheet ? QString::fromStdString(m_sheet->GetName()) : QString());
}

}  // namespace quillmark
