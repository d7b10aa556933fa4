#pragma once
// The retry dialog's window (dialog 7021) over its logic, and the network UI of the program:
// this dialog, and questions and messages through the message sink.
#include <memory>

#include "zorStepData/CzorData_Client/net_ui.h"
#include "zorStepData/CzorData_Client/retry_dialog.h"

class QDialog;

class CDlgTransportErrorView {
public:
    explicit CDlgTransportErrorView(CDlgTransportError& logic);
    ~CDlgTransportErrorView();
    // Runs modally; CDlgTransportError::kRetry or kSkip.
    int Run();
    QDialog* Window() const;
    // One second of the countdown (the view's timer calls it; tests may too).
    void Tick();

private:
    struct View;
    std::unique_ptr<View> m_view;
    CDlgTransportError& m_logic;
};

namespace zor::net {

class QtNetUi : public SinkNetUi {
public:
    int RunRetryDialog(CDlgTransportError& dlg) override;
    bool RunQueryEditDialog(QueryEditData& data) override;  // query_edit_view.cpp
    bool HasAccessDialog() const override { return true; }
    bool RunAccessDialog(CzorNetStepData& store, zorUsers& set, bool viewOnly, bool patternMode,
                         bool& removeAll) override;  // access_dialog_view.cpp
};

}  // namespace zor::net
