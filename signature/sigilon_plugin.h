/* The interface between Sigilon and the plug-in library of an electronic-signature system.
 *
 * A plug-in is a shared library that exports plain C functions under exactly the names below; Sigilon
 * opens it with dlopen(RTLD_NOW | RTLD_LOCAL), looks every name up with dlsym and closes it when done.
 * A plug-in may leave any function out: Sigilon then answers that call itself without calling anything.
 * Loading a library runs its code, so only an administrator should register one.
 *
 * Conventions:
 *  - A text the plug-in only reads is a zero-terminated `const char*` (UTF-8). Sigilon passes its own
 *    copy, so a caller's text never changes whatever the plug-in does with it.
 *  - A text the plug-in may change is a `SigText`: read `text`, and replace it by calling `set`, as
 *    often as needed. Sigilon copies the bytes given, so they may point anywhere, even into `text`.
 *  - A yes/no result or flag is an `int`: 0 is false, anything else true.
 *  - A date is an OLE automation date (`double`): days since 1899-12-30 00:00 UTC, the fraction being
 *    the time of day.
 *  - What the plug-in's int results and texts mean is the plug-in's own; Sigilon passes them through.
 */
#ifndef SIGILON_PLUGIN_H
#define SIGILON_PLUGIN_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SigText SigText;
struct SigText {
    /* The current value, zero-terminated; valid until the next call of `set` or the function's return. */
    const char* text;
    /* Replaces the value by `length` bytes at `bytes` (null with length 0 empties it). */
    void (*set)(SigText* self, const char* bytes, size_t length);
    /* Sigilon's own; a plug-in leaves it alone. */
    void* host;
};

/* 1 */ typedef int (*SigCreatePrivateKeyFn)(const char* container, const char* password, SigText* result);
/* 2 */ typedef int (*SigSignFn)(const char* container, const char* password, char* buffer, long length,
                                 SigText* result1, SigText* result2, SigText* result3);
/* 3 */ typedef int (*SigCheckSignFn)(char* buffer, long length, const char* text1, const char* text2,
                                      const char* text3);
/* 4 */ typedef int (*SigGetPublicKeyFn)(const char* container, const char* password, SigText* result);
/* 5 */ typedef int (*SigCreateSelfSignCertificateFn)(SigText* text1, SigText* text2);
/* 6: the text stays valid until the next call into the plug-in or its unloading; null reads as "". */
/* 6 */ typedef const char* (*SigGetSysNameFn)(void);
/* 7 */ typedef int (*SigGetCertSubjectNameAndSNFn)(const char* certificate, SigText* result1, SigText* result2,
                                                    SigText* result3);
/* 8 */ typedef int (*SigGetBufHashFn)(char* buffer, int length, SigText* hash);
/* 9 */ typedef int (*SigGetFileHashFn)(const char* file, SigText* hash);
/* 10 */ typedef int (*SigSignHashFn)(const char* container, const char* password, const char* hash,
                                      SigText* signature);
/* 11 */ typedef int (*SigCheckHashSignFn)(const char* text1, const char* text2, const char* text3);
/* 12 */ typedef int (*SigCreateKeyAndCertificateFn)(const char* container, const char* password,
                                                     const char* text1, const char* text2, double date,
                                                     SigText* result1, SigText* result2, int flag);
/* 13 */ typedef int (*SigCheckAndReformContainerFn)(SigText* container, const char* text1, const char* text2);
/* 14 */ typedef int (*SigSetKeyCertBLOBFn)(const char* text1, const char* text2);

#ifdef __cplusplus
}
#endif

#endif /* SIGILON_PLUGIN_H */
