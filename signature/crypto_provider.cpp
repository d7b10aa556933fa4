#include "signature/crypto_provider.h"

#include "signature/csp_config.h"
#include "signature/sigilon_plugin.h"

namespace {

constexpr const char* kEntryNames[CCryptographicProvider::kEntryCount] = {
    "CreatePrivateKey", "Sign", "CheckSign", "GetPublicKey", "CreateSelfSignCertificate", "GetSysName",
    "GetCertSubjectNameAndSN", "GetBufHash", "GetFileHash", "SignHash", "CheckHashSign",
    "CreateKeyAndCertificate", "CheckAndReformContainer", "SetKeyCertBLOB"};
// What LoadBFN needs of a plug-in: CreatePrivateKey, Sign, CheckSign, GetPublicKey, GetSysName and
// GetCertSubjectNameAndSN.
constexpr int kRequiredEntries[] = {1, 2, 3, 4, 6, 7};

// A string the plug-in may replace, lent to it as a SigText for one call.
class OutText {
public:
    explicit OutText(std::string& target) : m_target(target) {
        m_text.text = m_target.c_str();
        m_text.set = &OutText::Set;
        m_text.host = this;
    }
    OutText(const OutText&) = delete;
    OutText& operator=(const OutText&) = delete;
    SigText* Arg() { return &m_text; }

private:
    static void Set(SigText* self, const char* bytes, size_t length) {
        if (!self || !self->host) return;
        OutText* out = static_cast<OutText*>(self->host);
        if (bytes) out->m_target.assign(bytes, length);  // assign copes with bytes inside the target
        else out->m_target.clear();
        self->text = out->m_target.c_str();
    }

    SigText m_text{};
    std::string& m_target;
};

}  // namespace

const char* CCryptographicProvider::EntryName(int number) {
    return number >= 1 && number <= kEntryCount ? kEntryNames[number - 1] : nullptr;
}

CCryptographicProvider::CCryptographicProvider() {
    Synchronize();
    std::string name;
    std::string path;
    int isDefault = 0;
    // An empty name asks for the default system: its name and its library.
    if (!m_map.GetValue(name, path, isDefault) || name.empty() || name == sig::kDefaultCspKey) return;
    if (!m_library.Open(path)) return;
    SetCurUsedCSP(name);
    BindEntries();
}

CCryptographicProvider::~CCryptographicProvider() { Release(); }

void CCryptographicProvider::Release() {
    m_library.Close();
    for (void*& entry : m_entries) entry = nullptr;
}

void CCryptographicProvider::BindEntries() {
    for (int i = 0; i < kEntryCount; ++i) m_entries[i] = m_library.Symbol(kEntryNames[i]);
}

bool CCryptographicProvider::IsEntryBound(int number) const {
    return number >= 1 && number <= kEntryCount && m_entries[number - 1] != nullptr;
}

int CCryptographicProvider::SetCurUsedCSP(std::string name) {
    if (name.empty()) return 0;
    m_currentName = std::move(name);
    return 1;
}

std::string CCryptographicProvider::GetCurUsedCSP() const { return m_currentName; }

bool CCryptographicProvider::LoadBFN(std::string path) {
    Release();
    if (!m_library.Open(path)) {
        m_currentName.clear();
        return false;
    }
    BindEntries();
    for (int number : kRequiredEntries) {
        if (!IsEntryBound(number)) {
            // A library that cannot serve is not kept: its code stays out of the process.
            Release();
            m_currentName.clear();
            return false;
        }
    }
    SetCurUsedCSP(GetSystemName());
    return true;
}

bool CCryptographicProvider::LoadCSP(std::string name, int makeDefault) {
    std::string path;
    int isDefault = 0;
    // "DefaultCSP" holds a name, not a library path.
    if (name == sig::kDefaultCspKey || !m_map.GetValue(name, path, isDefault)) return false;
    Release();
    const bool loaded = m_library.Open(path);
    if (loaded) {
        BindEntries();
        SetCurUsedCSP(name);
    } else {
        m_currentName.clear();
    }
    if (makeDefault) {
        m_map.SetValue(sig::kDefaultCspKey, name, 0);
        // Written only where this user already keeps settings; failures stay silent, as every load's do.
        sig::CspConfig(sig::CspConfigFiles::FromEnvironment()).WriteDefault(name, false, nullptr);
    }
    return loaded;
}

int CCryptographicProvider::SetValue(std::string name, std::string path, int makeDefault) {
    return m_map.SetValue(std::move(name), path, makeDefault);
}

int CCryptographicProvider::GetValue(std::string& name, std::string& path, int& isDefault) {
    return m_map.GetValue(name, path, isDefault);
}

int CCryptographicProvider::GetAllKeys(std::vector<std::string>& names) { return m_map.GetAllKeys(names); }

int CCryptographicProvider::DeleteKey(std::string name) { return m_map.DeleteKey(name); }

int CCryptographicProvider::Synchronize() {
    m_map.ReadFrom(sig::CspConfig(sig::CspConfigFiles::FromEnvironment()));
    return 0;
}

// The wrappers: by-value strings reach the plug-in as the wrapper's own copies.

int CCryptographicProvider::CreatePrivateKey(const char* container, const char* password, std::string& result) {
    auto fn = Entry<SigCreatePrivateKeyFn>(1);
    if (!fn) return 1;
    OutText out(result);
    return fn(container, password, out.Arg());
}

int CCryptographicProvider::Sign(const char* container, const char* password, char* buffer, long length,
                                 std::string& result1, std::string& result2, std::string& result3) {
    auto fn = Entry<SigSignFn>(2);
    if (!fn) return 1;
    OutText out1(result1), out2(result2), out3(result3);
    return fn(container, password, buffer, length, out1.Arg(), out2.Arg(), out3.Arg());
}

int CCryptographicProvider::CheckSign(char* buffer, long length, std::string text1, std::string text2,
                                      std::string text3) {
    auto fn = Entry<SigCheckSignFn>(3);
    if (!fn) return 1;
    return fn(buffer, length, text1.c_str(), text2.c_str(), text3.c_str());
}

int CCryptographicProvider::GetPublicKey(const char* container, const char* password, std::string& result) {
    auto fn = Entry<SigGetPublicKeyFn>(4);
    if (!fn) return 1;
    OutText out(result);
    return fn(container, password, out.Arg());
}

bool CCryptographicProvider::CreateCertificate(std::string& text1, std::string& text2) {
    auto fn = Entry<SigCreateSelfSignCertificateFn>(5);
    if (!fn) return false;
    OutText out1(text1), out2(text2);
    return fn(out1.Arg(), out2.Arg()) != 0;
}

std::string CCryptographicProvider::GetSystemName() {
    auto fn = Entry<SigGetSysNameFn>(6);
    if (!fn) return {};
    const char* name = fn();
    return name ? std::string(name) : std::string();
}

bool CCryptographicProvider::GetNameAndSN(std::string certificate, std::string& result1, std::string& result2,
                                          std::string& result3) {
    auto fn = Entry<SigGetCertSubjectNameAndSNFn>(7);
    if (!fn) return false;
    OutText out1(result1), out2(result2), out3(result3);
    return fn(certificate.c_str(), out1.Arg(), out2.Arg(), out3.Arg()) != 0;
}

int CCryptographicProvider::GetBufHash(char* buffer, int length, std::string& hash) {
    auto fn = Entry<SigGetBufHashFn>(8);
    if (!fn) return 1;
    OutText out(hash);
    return fn(buffer, length, out.Arg());
}

int CCryptographicProvider::GetFileHash(std::string file, std::string& hash) {
    auto fn = Entry<SigGetFileHashFn>(9);
    if (!fn) return 1;
    OutText out(hash);
    return fn(file.c_str(), out.Arg());
}

int CCryptographicProvider::SignHash(const char* container, const char* password, std::string hash,
                                     std::string& signature) {
    auto fn = Entry<SigSignHashFn>(10);
    if (!fn) return 1;
    OutText out(signature);
    return fn(container, password, hash.c_str(), out.Arg());
}

int CCryptographicProvider::CheckHashSign(std::string text1, std::string text2, std::string text3) {
    auto fn = Entry<SigCheckHashSignFn>(11);
    if (!fn) return 1;
    return fn(text1.c_str(), text2.c_str(), text3.c_str());
}

int CCryptographicProvider::CreateKeyAndCertificate(const char* container, const char* password, std::string text1,
                                                    std::string text2, COleDateTime date, std::string& result1,
                                                    std::string& result2, bool flag) {
    auto fn = Entry<SigCreateKeyAndCertificateFn>(12);
    if (!fn) return 1;
    OutText out1(result1), out2(result2);
    return fn(container, password, text1.c_str(), text2.c_str(), date.m_dt, out1.Arg(), out2.Arg(), flag ? 1 : 0);
}

int CCryptographicProvider::CheckAndReformContainer(std::string& container, std::string text1, std::string text2) {
    auto fn = Entry<SigCheckAndReformContainerFn>(13);
    if (!fn) return 1;
    OutText out(container);
    return fn(out.Arg(), text1.c_str(), text2.c_str());
}

bool CCryptographicProvider::SetKeyCertBLOB(std::string text1, std::string text2) {
    auto fn = Entry<SigSetKeyCertBLOBFn>(14);
    if (!fn) return false;
    return fn(text1.c_str(), text2.c_str()) != 0;
}

// Hexadecimal text.

void CCryptographicProvider::String2Byte(unsigned long count, const char* text, unsigned char* bytes) {
    if (!text || !bytes) return;
    // The rule works on the character's code as a signed char, so every byte gives the same value
    // on every platform.
    auto digit = [](char c) {
        const int code = static_cast<signed char>(c);
        return code < 58 ? code - 48 : code - 55;
    };
    for (unsigned long i = 0; i + 1 < count; i += 2)
        bytes[i / 2] = static_cast<unsigned char>((16 * digit(text[i]) + digit(text[i + 1])) & 0xFF);
}

void CCryptographicProvider::Byte2String(unsigned long length, const void* bytes, char* text) {
    if (!text) return;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const unsigned char* in = static_cast<const unsigned char*>(bytes);
    for (unsigned long i = 0; in && i < length; ++i) {
        text[2 * i] = kDigits[in[i] >> 4];
        text[2 * i + 1] = kDigits[in[i] & 0x0F];
    }
    text[in ? 2 * length : 0] = '\0';
}

bool CCryptographicProvider::String2Byte(std::string_view text, std::vector<unsigned char>& bytes) {
    if (text.size() % 2 != 0) return false;
    std::vector<unsigned char> out(text.size() / 2);
    if (!out.empty()) String2Byte(static_cast<unsigned long>(text.size()), text.data(), out.data());
    bytes = std::move(out);
    return true;
}

std::string CCryptographicProvider::Byte2String(const std::vector<unsigned char>& bytes) {
    std::string text(2 * bytes.size() + 1, '\0');
    Byte2String(static_cast<unsigned long>(bytes.size()), bytes.data(), text.data());
    text.pop_back();
    return text;
}
