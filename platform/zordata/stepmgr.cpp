#include "platform/zordata/stepmgr.h"

#include <cstring>

#include "platform/text/numbers.h"

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
using zor::IsDigit;
}  // namespace

bool zorIsRealOrEmpty(const char* text) {
    if (!text || !*text) return true;
    const char* p = text;
    while (IsBlank(*p)) ++p;
    if (*p == '+' || *p == '-') ++p;
    int digits = 0;
    while (IsDigit(*p)) { ++p; ++digits; }
    if (*p == '.') {
        ++p;
        while (IsDigit(*p)) { ++p; ++digits; }
    }
    if (digits == 0) return false;
    if (*p == 'e' || *p == 'E') {
        ++p;
        if (*p == '+' || *p == '-') ++p;
        if (!IsDigit(*p)) return false;
        while (IsDigit(*p)) ++p;
    }
    while (IsBlank(*p)) ++p;
    if (*p != '\0') return false;
    // A number too large for a double ("1e400") is no real number.
    size_t used = 0;
    zor::TextToReal(text, &used);
    return used > 0;
}

bool zorIsRealOrEmpty(const std::string& text) {
    if (text.find('\0') != std::string::npos) return false;
    return zorIsRealOrEmpty(text.c_str());
}

CShowOpt::CShowOpt() { std::memset(m_Options, 0, sizeof m_Options); }
CShowOpt::CShowOpt(const CShowOpt& other) { std::memcpy(m_Options, other.m_Options, sizeof m_Options); }
CShowOpt& CShowOpt::operator=(const CShowOpt& other) {
    std::memcpy(m_Options, other.m_Options, sizeof m_Options);
    return *this;
}

CzorStepManager::~CzorStepManager() { m_Items.DeleteItems(); }

bool CzorStepManager::Attach(CzorAPI* api) {
    m_pAPI = api;
    return api != nullptr;
}

void CzorStepManager::Detach() {
    m_Items.DeleteItems();
    m_pAPI = nullptr;
}

bool CzorPreProjectManager::Attach(CzorAPI* api) { return CzorStepManager::Attach(api); }
void CzorPreProjectManager::Detach() { CzorStepManager::Detach(); }

bool CzorOptionsManager::Attach(CzorAPI* api) {
    m_bLoaded = false;
    return CzorStepManager::Attach(api);
}

void CzorOptionsManager::Detach() {
    m_Options.DeleteItems();
    m_bLoaded = false;
    CzorStepManager::Detach();
}
