#include "zorStepData/CzorData_Client/retry_dialog.h"

#include <fmt/format.h>

void CDlgTransportError::Open() { m_running = m_countdown >= 1; }

bool CDlgTransportError::Tick() {
    if (!m_running) return false;
    const bool last = m_countdown <= 1;
    m_countdown = last ? 0 : m_countdown - 1;
    if (last) m_running = false;
    return last;
}

std::string CDlgTransportError::RetryText() const {
    return m_running ? fmt::format("Повторить автоматически через {} с", m_countdown) : std::string("Повторить");
}

int CDlgTransportError::Retry(bool boxTicked) {
    m_repeatAuto = boxTicked ? 1 : 0;
    m_running = false;
    return kRetry;
}

void CDlgTransportError::Stop() { m_running = false; }

int CDlgTransportError::Skip() {
    m_running = false;
    return kSkip;
}
