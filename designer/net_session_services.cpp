#include "designer/net_session_services.h"

#include "zorStepData/CzorData_Client/connection_dialogs_view.h"
#include "zorStepData/CzorData_Client/transport_wait_view.h"

namespace quillmark {

CNetSessionServices::CNetSessionServices(zor::net::IKeepAliveTimer* timer) {
    if (!timer) {
        m_own = std::make_unique<zor::net::QtKeepAliveTimer>();
        timer = m_own.get();
    }
    m_previous = zor::net::KeepAlive::Instance().SetTimer(timer);
    zor::net::SetPumpTimerPaint(&zor::net::PumpEvents);
    m_ui = std::make_unique<zor::net::QtConnectionNetUi>();
    m_previousUi = zor::net::SetNetUi(m_ui.get());
}

CNetSessionServices::~CNetSessionServices() {
    zor::net::SetNetUi(m_previousUi);
    zor::net::SetPumpTimerPaint(nullptr);
    zor::net::KeepAlive::Instance().SetTimer(m_previous);
}

}  // namespace quillmark
