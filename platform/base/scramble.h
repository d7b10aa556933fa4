#pragma once
// The password scrambler shared by report users and the login on the wire: a running XOR with a
// fixed 40-byte key, each byte written as two letters 'A'..'P' after a leading '^'. It hides a
// password from a casual look only; whoever holds the scrambled text can log in with it.
#include <string>

namespace zor {

// Scrambles text (null gives ""): "^" and 80 letters per started block of 40 bytes, the text
// padded with blanks from its terminating zero to the end of its block.
void ScrambleText(const char* text, std::string& out);
// Reverses ScrambleText; a text not starting with '^' is returned unchanged (plain passwords
// stay readable). Trailing white space is removed. Letters outside 'A'..'P' or an odd count
// give bytes, never an error.
void UnscrambleText(const char* text, std::string& out);

}  // namespace zor
