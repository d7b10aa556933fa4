#pragma once
// Counted-string helpers over UTF-8 std::string. Positions and counts are in characters, never bytes,
// and a result never holds part of a character. A byte that does not start a well-formed UTF-8
// sequence counts as one character of its own, so text in another encoding is kept, not dropped.
// Negative or too large positions and counts are clamped, as callers of a counted string expect.
#include <string>
#include <string_view>

namespace zor {

// The blanks that trimming removes when no set is given.
inline constexpr std::string_view kBlankChars = " \t\r\n\v\f";

// Bytes taken by the character starting at `pos` (1 for an ill-formed byte, 0 at the end).
size_t Utf8CharSize(std::string_view text, size_t pos);
// The code point of the character at `pos` and its size in bytes; kNotAChar (size 1) for an ill-formed byte.
inline constexpr char32_t kNotAChar = 0xFFFFFFFF;
char32_t Utf8DecodeAt(std::string_view text, size_t pos, size_t* size = nullptr);
// Appends the UTF-8 form of a code point (surrogates and values past U+10FFFF are not characters: nothing is added).
void AppendUtf8(std::string& out, char32_t code);

// Number of characters.
int Utf8Length(std::string_view text);
// Byte offset of the character with index `index` (the text's size when past the end).
size_t Utf8Offset(std::string_view text, int index);

std::string Utf8Left(std::string_view text, int count);
std::string Utf8Right(std::string_view text, int count);
// From character `first` to the end, or `count` characters of it.
std::string Utf8Mid(std::string_view text, int first);
std::string Utf8Mid(std::string_view text, int first, int count);

// Character index of the first occurrence of `what` at or after character `start`; -1 when absent
// (an empty `what` is found at `start` when `start` is not past the end).
int Utf8Find(std::string_view text, std::string_view what, int start = 0);
// Character index of the last occurrence of `what`; -1 when absent.
int Utf8ReverseFind(std::string_view text, std::string_view what);

// Remove the leading, trailing or both runs of characters that are in `set` (a UTF-8 text whose
// characters form the set).
std::string TrimLeft(std::string_view text, std::string_view set = kBlankChars);
std::string TrimRight(std::string_view text, std::string_view set = kBlankChars);
std::string Trim(std::string_view text, std::string_view set = kBlankChars);

// Comparison that folds A-Z onto a-z and compares every other byte as it is (Cyrillic is not folded).
// Result below, at or above 0 like strcmp, with bytes compared unsigned.
int CompareNoCase(std::string_view a, std::string_view b);
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace zor
