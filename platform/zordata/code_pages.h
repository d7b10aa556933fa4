#pragma once
// The single-byte code pages an exchange structure may select for its \S\ characters (\PA\ to \PI\).

namespace zor_detail {

// The character of the byte in ISO 8859-(page + 1), page 0 to 8, for bytes 80 to FF; 0 when the code page
// does not define the byte, or for another page or byte.
char32_t CodePageChar(int page, unsigned char byte);

}  // namespace zor_detail
