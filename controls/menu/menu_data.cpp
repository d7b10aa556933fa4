#include "controls/menu/menu_data.h"

#include "controls/menu/text16.h"

void CzorMenuData::SetString(const char* text) {
    if (text) SetWideString(zor::ToUtf16(text));
    else SetWideString(static_cast<const char16_t*>(nullptr));
}

std::string CzorMenuData::GetString() const { return zor::ToUtf8(m_text); }
