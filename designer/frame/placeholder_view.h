#pragma once
// A plain view that shows which sheet a child frame holds: the stand-in for the editor view until the
// program's factory makes the real one (CDocWindows::SetViewFactory).
#include <QLabel>

#include "designer/doc/quillmark_doc.h"

namespace quillmark {

class CDocWindows;

class CPlaceholderView : public QLabel, public IDocView {
public:
    CPlaceholderView(CDocWindows& windows, QWidget* parent);
    ~CPlaceholderView() override;
    QWidget* Widget() override { return this; }
    CReportSheet* GetSheet() const override { return m_sheet; }
    void SetSheet(CReportSheet* sheet) override;
    void OnInitialUpdate() override;
    void OnUpdate() override;
    int Updates() const { return m_updates; }

private:
    CDocWindows* m_windows;
    CReportSheet* m_sheet = nullptr;
    int m_updates = 0;
};

}  // namespace quillmark
