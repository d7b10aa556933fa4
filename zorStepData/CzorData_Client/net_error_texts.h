#pragma once
// Texts of status codes and of system error codes.
#include <string>

// The text of a status code: the code's text, the detail, "\r\n" and the code's name in
// parentheses; the object store's own text for codes 1 to 49; an "unknown error" line otherwise.
std::string ZOR_NET_ERROR2char(int code, const std::string& detail);

// The system's text of an error number (socket errors included) in the form
// "   <text>  ( <NAME> <number> ) ", or "I don't know this error". Writes it into *buffer (at
// least 303 bytes) and returns *buffer. There is no table of the other platform's codes here:
// the codes a Linux program meets are errno values.
char* HRESULT2char(long code, char** buffer);
