#pragma once
// Letter case set aside, as names and paths in configuration files and texts in sorted lists compare:
// the capitals of ASCII, Latin-1 and Cyrillic (Ё, Ґ and the other extended letters included) fold onto
// their small letters; every other character, and every byte that is not UTF-8, is compared as it is.
#include <string>
#include <string_view>

namespace zor {

// One character folded so.
char32_t FoldCaseChar(char32_t c);
std::string FoldCase(std::string_view text);
bool EqualsFolded(std::string_view a, std::string_view b);

}  // namespace zor
