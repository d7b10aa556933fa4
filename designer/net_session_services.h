#pragma once
// The networked store's keep-alive timer and pump hook in the interactive designer: installed
// when the designer starts, put back when it ends. Batch runs install neither: they run no event
// loop that could fire the timer, and have no window to keep painted while a request waits.
#include <memory>

#include "zorStepData/CzorData_Client/keep_alive.h"

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
};

}  // namespace quillmark
