#pragma once
// Code page 1251, the single-byte Cyrillic encoding spoken on the wire to the application server.
// Every one of the 256 bytes has a character: 0x98, left undefined by the code page, stands for
// U+0098, so any byte string survives a trip to UTF-8 and back unchanged.
#include <string>
#include <string_view>

namespace zor {

// The character of one code page byte.
char32_t Cp1251ToUnicode(unsigned char byte);
// The code page byte of a character, or -1 when the code page has none.
int UnicodeToCp1251(char32_t code);

// Always succeeds.
std::string Cp1251ToUtf8(std::string_view cp1251);

// Converts UTF-8 to code page 1251 into `out`. A character the code page cannot hold (or a byte that is not
// well-formed UTF-8) becomes '?': the result is then false and `firstBad`, when given, receives the byte
// offset of the first such place in `utf8`, so a caller can refuse or warn; otherwise true.
bool Utf8ToCp1251(std::string_view utf8, std::string& out, size_t* firstBad = nullptr);

}  // namespace zor
