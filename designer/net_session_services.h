#pragma once
// The networked store's keep-alive timer, pump hook and windows (login, connection list, retry,
// progress, query editor) in the interactive designer: installed when the designer starts, put
// back when it ends. Batch runs install none of them: they run no event loop that could fire the
// timer, have no window to keep painted while a request waits, and must never ask anything.
#include <memory>

#include "zorStepData/CzorData_Client/keep_alive.h"
#include "zorStepData/CzorData_Client/net_ui.h"

namespace quillmark {

class CNetSessionServices {
public:
    // With no timer given, a timer of the calling (GUI) thread.
    explicit CNetSessionServices(zor::net::IKeepAliveTimer* timer = nullptr);
    ~CNetSessionServices();
    CNetSessionServices(const CNetSessionServices&) = delete;
    CNetSessionServices& operator=(const CNetSessionServices&) = delete;

private:
    std::unique_ptr<zor::net::IKeepAliveTimer> m_own;
    zor::net::IKeepAliveTimer* m_previous = nullptr;
    std::unique_ptr<zor::net::INetUi> m_ui;
    zor::net::INetUi* m_previousUi = nullptr;
};

}  // namespace quillmark
