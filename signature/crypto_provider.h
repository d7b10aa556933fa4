#pragma once
// CCryptographicProvider: the registry of electronic-signature systems and the dispatcher to the plug-in
// of the chosen one. It keeps the list of systems (see csp_config.h for where it lives), loads the
// plug-in library of a system (sigilon_plugin.h) and forwards fourteen signing, verification, hashing,
// key and certificate calls to it. It has no cryptography of its own. While an entry is not bound its
// wrapper calls nothing and gives the result noted beside it.
//
// The object either holds no library (every entry null) or one library. A load that fails leaves it
// holding none, with no current system. One thread at a time.
#include "platform/base/ole_date.h"
#include "signature/csp_name_map.h"
#include "platform/base/plugin_library.h"

#include <string>
#include <string_view>
#include <vector>

#define SIGILON_EXPORT __attribute__((visibility("default")))

class SIGILON_EXPORT CCryptographicProvider {
public:
    // The plug-in functions, numbered as in sigilon_plugin.h.
    static constexpr int kEntryCount = 14;
    static const char* EntryName(int number);  // null outside 1 to 14

    // Reads the configuration and loads the default system's plug-in, when there is one; never fails visibly.
    CCryptographicProvider();
    virtual ~CCryptographicProvider();
    CCryptographicProvider(const CCryptographicProvider&) = delete;
    CCryptographicProvider& operator=(const CCryptographicProvider&) = delete;

    int CreatePrivateKey(const char* container, const char* password, std::string& result);        // 1
    int Sign(const char* container, const char* password, char* buffer, long length, std::string& result1,
             std::string& result2, std::string& result3);                                             // 1
    int CheckSign(char* buffer, long length, std::string text1, std::string text2, std::string text3);  // 1
    int GetPublicKey(const char* container, const char* password, std::string& result);            // 1
    bool CreateCertificate(std::string& text1, std::string& text2);                                 // false
    std::string GetSystemName();                                                                     // ""
    bool GetNameAndSN(std::string certificate, std::string& result1, std::string& result2,
                      std::string& result3);                                                         // false
    int GetBufHash(char* buffer, int length, std::string& hash);                                    // 1
    int GetFileHash(std::string file, std::string& hash);                                           // 1
    int SignHash(const char* container, const char* password, std::string hash, std::string& signature);  // 1
    int CheckHashSign(std::string text1, std::string text2, std::string text3);                     // 1
    int CreateKeyAndCertificate(const char* container, const char* password, std::string text1, std::string text2,
                                COleDateTime date, std::string& result1, std::string& result2, bool flag);  // 1
    int CheckAndReformContainer(std::string& container, std::string text1, std::string text2);      // 1
    // Unbound: false. (Reporting success for a call that reached no plug-in would hide the failure.)
    bool SetKeyCertBLOB(std::string text1, std::string text2);

    // The name of the system whose library is loaded; "" when none.
    std::string GetCurUsedCSP() const;

    // `count` hexadecimal digits ("0"-"9", "A"-"F", high digit first) into count/2 bytes. Other characters
    // are converted by the same rule (code - 48 below '9' + 1, else code - 55) without complaint.
    static void String2Byte(unsigned long count, const char* text, unsigned char* bytes);
    // Two upper-case hexadecimal digits per byte and a terminating zero: `text` holds 2 * length + 1.
    static void Byte2String(unsigned long length, const void* bytes, char* text);
    // The same with their sizes checked: false, `bytes` untouched, for an odd number of characters.
    static bool String2Byte(std::string_view text, std::vector<unsigned char>& bytes);
    static std::string Byte2String(const std::vector<unsigned char>& bytes);

    // Loads a plug-in by path and names the system after its GetSysName. Entries 1, 2, 3, 4, 6 and 7 are
    // required: without one the library is released again. False when nothing usable was loaded.
    bool LoadBFN(std::string path);
    // Loads a listed system by name ("" for the default); with `makeDefault` it becomes this user's
    // default (written when the user's file exists). False, nothing changed, for a name not listed.
    bool LoadCSP(std::string name, int makeDefault);

    // The list as this object holds it; these never write the configuration.
    int SetValue(std::string name, std::string path, int makeDefault);
    int GetValue(std::string& name, std::string& path, int& isDefault);
    int GetAllKeys(std::vector<std::string>& names);
    int DeleteKey(std::string name);
    // Reads the configuration into the list again; always 0.
    int Synchronize();
    // Runs the administration dialog modally; it works on the configuration, not on this object.
    // Always false.
    bool EditCSPSet();

    // Whether a library is held, and whether plug-in function `number` (1 to 14) is bound.
    bool IsLibraryLoaded() const { return m_library.IsOpen(); }
    bool IsEntryBound(int number) const;

private:
    int SetCurUsedCSP(std::string name);
    void BindEntries();
    void Release();
    template <class Fn> Fn Entry(int number) const { return reinterpret_cast<Fn>(m_entries[number - 1]); }

    void* m_entries[kEntryCount] = {};
    zor::PluginLibrary m_library;
    sig::CspNameMap m_map;
    std::string m_currentName;
};
