#pragma once
// Comparison of names and paths without regard to letter case, as the configuration files match them:
// the capitals of ASCII, Latin-1 and Cyrillic (Ё, Ґ and the other extended letters included) fold onto
// their small letters; every other character, and every byte that is not UTF-8, is compared as it is.
#include <string>
#include <string_view>

namespace sig {

std::string FoldCase(std::string_view text);
bool EqualsFolded(std::string_view a, std::string_view b);

}  // namespace sig
