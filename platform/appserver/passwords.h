#pragma once
// How the server keeps and checks passwords: salted Argon2id hashes (libsodium), never the
// password itself nor its scrambled wire form, so that neither a copy of the database nor any
// reply gives a password away.
//
// A login carries the password scrambled (platform/base/scramble.h); the scrambler pads it with
// blanks to a whole block, so trailing white space cannot be told apart on the wire and is not
// part of the password on either side.
#include <string>

namespace zor::appserver {

// The password as both sides compare it: trailing white space removed.
std::string CanonicalPassword(const std::string& password);
// The password a login's text stands for (scrambled, or plain from a client that does not scramble).
std::string LoginPassword(const std::string& wireText);
// The kept form of a password; empty when it cannot be made (out of memory).
std::string HashPassword(const std::string& password);
// True when the password is the one the kept form was made from.
bool CheckPassword(const std::string& hash, const std::string& password);

}  // namespace zor::appserver
