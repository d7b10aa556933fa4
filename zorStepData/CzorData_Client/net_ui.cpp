#include "zorStepData/CzorData_Client/net_ui.h"

#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/retry_dialog.h"

namespace zor::net {
namespace {

BatchNetUi g_batch;
INetUi* g_ui = &g_batch;

}  // namespace

int BatchNetUi::RunRetryDialog(CDlgTransportError& dlg) {
    zor::MessageSink().Show(dlg.m_message, "Сообщение об ошибке Tessaline", MB_ICONWARNING);
    return dlg.Skip();
}

bool BatchNetUi::Ask(const std::string& text, const std::string& caption) {
    zor::MessageSink().Show(text, caption, MB_YESNO | MB_ICONQUESTION);
    return false;
}

void BatchNetUi::Tell(const std::string& text, const std::string& caption, unsigned icon) {
    zor::MessageSink().Show(text, caption, MB_OK | icon);
}

bool SinkNetUi::Ask(const std::string& text, const std::string& caption) {
    return zor::MessageSink().Show(text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

INetUi* SetNetUi(INetUi* ui) {
    INetUi* old = g_ui;
    g_ui = ui ? ui : &g_batch;
    return old;
}

INetUi& NetUi() { return *g_ui; }

}  // namespace zor::net
