#pragma once
// The program's transport wait window: a small window with the wait text and "Прервать", shown
// by the socket client after a short delay while a call is under way. It lives on the caller's
// thread and stays live through the socket client's event pump (PumpEvents).
#include <map>
#include <memory>

#include "platform/transport/socket_client.h"

class QDialog;

namespace zor::net {

class QtTransportWaitUi : public ITransportWaitUi {
public:
    QtTransportWaitUi();
    ~QtTransportWaitUi() override;
    long Start(const std::string& text) override;
    void SetText(long handle, const std::string& text) override;
    bool IsBroken(long handle) override;
    void End(long handle, bool flag) override;
    QDialog* Window(long handle) const;

private:
    struct Entry;
    std::map<long, std::unique_ptr<Entry>> m_windows;
    long m_next = 1;
};

// The pump hook of the interactive program: processes the caller's window events.
void PumpEvents();

}  // namespace zor::net
