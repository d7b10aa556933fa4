#pragma once
// UTF-8 and UTF-16 texts of menus: the narrow (A) operations take UTF-8, records keep UTF-16.
#include <string>
#include <string_view>

namespace zor {
std::u16string ToUtf16(std::string_view utf8);
std::string ToUtf8(std::u16string_view utf16);
// Lower case of every letter (Cyrillic included), as menus compare mnemonics.
std::u16string LowerUtf16(std::u16string_view text);
}  // namespace zor
