// A plug-in that records how it was called and answers with known values, for checking that every
// wrapper passes its arguments and result through unchanged. Built four times: complete, without
// GetCertSubjectNameAndSN (ECHO_WITHOUT_7), without GetPublicKey (ECHO_WITHOUT_4), and with
// GetSysName alone (ECHO_ONLY_6).
//
// Each call leaves "<function>(<argument>|<argument>|...)" for SigEchoLastCall: texts as given ("(null)"
// for a null pointer), buffers as "<hex>:<length>", dates with 17 digits. Every in/out text becomes
// "<function>.<n>:" followed by what it held. Results: entry number + 100 for int functions, 1 for yes/no
// functions, unless SigEchoSetResult gave another. Then the first character of every text the plug-in was
// given as its own copy is overwritten, as a careless plug-in might.
#include "signature/sigilon_plugin.h"

#include <cstdio>
#include <cstring>
#include <string>

#define ECHO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::string g_lastCall;
int g_result = -1;

[[maybe_unused]] std::string Text(const char* t) { return t ? std::string(t) : std::string("(null)"); }

[[maybe_unused]] std::string Buffer(const char* buffer, long length) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (long i = 0; buffer && i < length; ++i) {
        const unsigned char b = static_cast<unsigned char>(buffer[i]);
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out + ":" + std::to_string(length);
}

[[maybe_unused]] std::string Date(double date) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", date);
    return text;
}

[[maybe_unused]] void Fill(SigText* out, const char* function, int n) {
    const std::string value = std::string(function) + "." + std::to_string(n) + ":" + out->text;
    out->set(out, value.data(), value.size());
}

void Record(const char* function, std::initializer_list<std::string> args) {
    g_lastCall = std::string(function) + "(";
    bool first = true;
    for (const std::string& a : args) {
        if (!first) g_lastCall += "|";
        g_lastCall += a;
        first = false;
    }
    g_lastCall += ")";
}

// Writes into a copy the plug-in was given: the caller's own text must not change.
[[maybe_unused]] void Scribble(const char* copy) {
    if (copy && *copy) *const_cast<char*>(copy) = '#';
}

[[maybe_unused]] int IntResult(int number) { return g_result >= 0 ? g_result : 100 + number; }
[[maybe_unused]] int BoolResult() { return g_result >= 0 ? g_result : 1; }

}  // namespace

ECHO_EXPORT const char* SigEchoLastCall(void) { return g_lastCall.c_str(); }
ECHO_EXPORT void SigEchoSetResult(int result) { g_result = result; }

#ifndef ECHO_ONLY_6

ECHO_EXPORT int CreatePrivateKey(const char* container, const char* password, SigText* result) {
    Record("CreatePrivateKey", {Text(container), Text(password), Text(result->text)});
    Fill(result, "CreatePrivateKey", 1);
    return IntResult(1);
}

ECHO_EXPORT int Sign(const char* container, const char* password, char* buffer, long length, SigText* r1,
                     SigText* r2, SigText* r3) {
    Record("Sign", {Text(container), Text(password), Buffer(buffer, length), Text(r1->text), Text(r2->text),
                    Text(r3->text)});
    Fill(r1, "Sign", 1);
    Fill(r2, "Sign", 2);
    Fill(r3, "Sign", 3);
    return IntResult(2);
}

ECHO_EXPORT int CheckSign(char* buffer, long length, const char* t1, const char* t2, const char* t3) {
    Record("CheckSign", {Buffer(buffer, length), Text(t1), Text(t2), Text(t3)});
    Scribble(t1);
    Scribble(t2);
    Scribble(t3);
    return IntResult(3);
}

#ifndef ECHO_WITHOUT_4
ECHO_EXPORT int GetPublicKey(const char* container, const char* password, SigText* result) {
    Record("GetPublicKey", {Text(container), Text(password), Text(result->text)});
    Fill(result, "GetPublicKey", 1);
    return IntResult(4);
}
#endif

ECHO_EXPORT int CreateSelfSignCertificate(SigText* t1, SigText* t2) {
    Record("CreateSelfSignCertificate", {Text(t1->text), Text(t2->text)});
    Fill(t1, "CreateSelfSignCertificate", 1);
    Fill(t2, "CreateSelfSignCertificate", 2);
    return BoolResult();
}

#endif  // ECHO_ONLY_6

ECHO_EXPORT const char* GetSysName(void) {
    Record("GetSysName", {});
#ifdef ECHO_ONLY_6
    return "Echo, GetSysName only";
#else
    return "Echo system";
#endif
}

#ifndef ECHO_ONLY_6

#ifndef ECHO_WITHOUT_7
ECHO_EXPORT int GetCertSubjectNameAndSN(const char* certificate, SigText* r1, SigText* r2, SigText* r3) {
    Record("GetCertSubjectNameAndSN", {Text(certificate), Text(r1->text), Text(r2->text), Text(r3->text)});
    Fill(r1, "GetCertSubjectNameAndSN", 1);
    Fill(r2, "GetCertSubjectNameAndSN", 2);
    Fill(r3, "GetCertSubjectNameAndSN", 3);
    Scribble(certificate);
    return BoolResult();
}
#endif

ECHO_EXPORT int GetBufHash(char* buffer, int length, SigText* hash) {
    Record("GetBufHash", {Buffer(buffer, length), Text(hash->text)});
    Fill(hash, "GetBufHash", 1);
    return IntResult(8);
}

ECHO_EXPORT int GetFileHash(const char* file, SigText* hash) {
    Record("GetFileHash", {Text(file), Text(hash->text)});
    Fill(hash, "GetFileHash", 1);
    Scribble(file);
    return IntResult(9);
}

ECHO_EXPORT int SignHash(const char* container, const char* password, const char* hash, SigText* signature) {
    Record("SignHash", {Text(container), Text(password), Text(hash), Text(signature->text)});
    Fill(signature, "SignHash", 1);
    Scribble(hash);
    return IntResult(10);
}

ECHO_EXPORT int CheckHashSign(const char* t1, const char* t2, const char* t3) {
    Record("CheckHashSign", {Text(t1), Text(t2), Text(t3)});
    Scribble(t1);
    Scribble(t2);
    Scribble(t3);
    return IntResult(11);
}

ECHO_EXPORT int CreateKeyAndCertificate(const char* container, const char* password, const char* t1,
                                        const char* t2, double date, SigText* r1, SigText* r2, int flag) {
    Record("CreateKeyAndCertificate", {Text(container), Text(password), Text(t1), Text(t2), Date(date),
                                       Text(r1->text), Text(r2->text), std::to_string(flag)});
    Fill(r1, "CreateKeyAndCertificate", 1);
    Fill(r2, "CreateKeyAndCertificate", 2);
    Scribble(t1);
    Scribble(t2);
    return IntResult(12);
}

ECHO_EXPORT int CheckAndReformContainer(SigText* container, const char* t1, const char* t2) {
    Record("CheckAndReformContainer", {Text(container->text), Text(t1), Text(t2)});
    Fill(container, "CheckAndReformContainer", 1);
    Scribble(t1);
    Scribble(t2);
    return IntResult(13);
}

ECHO_EXPORT int SetKeyCertBLOB(const char* t1, const char* t2) {
    Record("SetKeyCertBLOB", {Text(t1), Text(t2)});
    Scribble(t1);
    Scribble(t2);
    return BoolResult();
}

#endif  // ECHO_ONLY_6
