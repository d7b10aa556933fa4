// The provider's list, its construction from the configuration, plug-in loading and the wrappers.
#include "signature/crypto_provider.h"
#include "signature/tests/sig_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>

namespace {

using sig::test::ConfigFolders;
using sig::test::IsLoadedInProcess;

int BoundEntries(const CCryptographicProvider& p) {
    int n = 0;
    for (int i = 1; i <= CCryptographicProvider::kEntryCount; ++i) n += p.IsEntryBound(i) ? 1 : 0;
    return n;
}

// Every wrapper answers without a plug-in as the entry table says.
void ExpectUnboundResults(CCryptographicProvider& p) {
    std::string a = "a", b = "b", c = "c";
    char buf[] = "xyz";
    EXPECT_EQ(p.CreatePrivateKey("c", "p", a), 1);
    EXPECT_EQ(p.Sign("c", "p", buf, 3, a, b, c), 1);
    EXPECT_EQ(p.CheckSign(buf, 3, "1", "2", "3"), 1);
    EXPECT_EQ(p.GetPublicKey("c", "p", a), 1);
    EXPECT_FALSE(p.CreateCertificate(a, b));
    EXPECT_EQ(p.GetSystemName(), "");
    EXPECT_FALSE(p.GetNameAndSN("cert", a, b, c));
    EXPECT_EQ(p.GetBufHash(buf, 3, a), 1);
    EXPECT_EQ(p.GetFileHash("f", a), 1);
    EXPECT_EQ(p.SignHash("c", "p", "h", a), 1);
    EXPECT_EQ(p.CheckHashSign("1", "2", "3"), 1);
    EXPECT_EQ(p.CreateKeyAndCertificate("c", "p", "1", "2", COleDateTime(45000.5), a, b, true), 1);
    EXPECT_EQ(p.CheckAndReformContainer(a, "1", "2"), 1);
    EXPECT_FALSE(p.SetKeyCertBLOB("1", "2"));  // no plug-in, no success
    EXPECT_EQ(a, "a");
    EXPECT_EQ(b, "b");
    EXPECT_EQ(c, "c");
}

// The list operations, applied one after another to a provider built without any configuration.
TEST(CspMap, OperationsInSequence) {
    ConfigFolders folders;
    CCryptographicProvider p;
    enum Op { Set, Get, Del, Keys };
    struct Step {
        Op op;
        const char* name;
        const char* path;  // Set: the path given; Get: the path expected ("keep" when untouched)
        int flag;          // Set: make-default; Get: is-default expected
        int result;
        const char* nameAfter = nullptr;  // Get: the name as it comes back; Keys: the names joined by ','
    };
    const Step steps[] = {
        {Get, "", "keep", 1, 0, ""},                     // no default yet: 0, but counted as the default
        {Keys, nullptr, nullptr, 0, 0, ""},              // empty map
        {Set, "A", "", 0, 0},                            // a system needs a path
        {Keys, nullptr, nullptr, 0, 0, ""},
        {Set, "", "", 0, 1},                             // "" is "DefaultCSP": an empty path clears the default
        {Keys, nullptr, nullptr, 0, 1, ""},              // the default alone: 1 and no names
        {Set, "A", "/a.so", 0, 1},
        {Set, "B", "/b.so", 1, 1},
        {Get, "", "/b.so", 1, 1, "B"},
        {Get, "B", "/b.so", 1, 1, "B"},
        {Get, "A", "/a.so", 0, 1, "A"},
        {Get, "b", "keep", 0, 0, "b"},                   // names are case-sensitive
        {Get, "DefaultCSP", "B", 0, 1, "DefaultCSP"},    // the default key yields the default's name
        {Keys, nullptr, nullptr, 0, 1, "A,B"},
        {Set, "A", "/a2.so", 1, 1},                      // replaced in place, made the default
        {Get, "", "/a2.so", 1, 1, "A"},
        {Keys, nullptr, nullptr, 0, 1, "A,B"},
        {Set, "DefaultCSP", "/x.so", 0, 1},              // the reserved name takes a name, not a path
        {Get, "", "keep", 1, 0, "/x.so"},
        {Del, "", nullptr, 0, 0},
        {Del, "Z", nullptr, 0, 0},
        {Del, "A", nullptr, 0, 1},
        {Del, "A", nullptr, 0, 0},
        {Del, "DefaultCSP", nullptr, 0, 1},              // deleting the default's entry leaves none
        {Get, "", "keep", 1, 0, ""},
        {Keys, nullptr, nullptr, 0, 1, "B"},
    };
    int row = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE("step " + std::to_string(++row));
        switch (s.op) {
        case Set:
            EXPECT_EQ(p.SetValue(s.name, s.path, s.flag), s.result);
            break;
        case Get: {
            std::string name = s.name, path = "keep";
            int isDefault = -1;
            EXPECT_EQ(p.GetValue(name, path, isDefault), s.result);
            EXPECT_EQ(path, s.path);
            EXPECT_EQ(isDefault, s.flag);
            EXPECT_EQ(name, s.nameAfter);
            break;
        }
        case Del:
            EXPECT_EQ(p.DeleteKey(s.name), s.result);
            break;
        case Keys: {
            std::vector<std::string> names = {"stale"};
            EXPECT_EQ(p.GetAllKeys(names), s.result);
            std::string joined;
            for (const std::string& n : names) joined += (joined.empty() ? "" : ",") + n;
            EXPECT_EQ(joined, s.nameAfter);
            break;
        }
        }
    }
    // The list lives in the object alone: a fresh one reads the (missing) configuration again.
    CCryptographicProvider fresh;
    std::vector<std::string> names;
    EXPECT_EQ(fresh.GetAllKeys(names), 0);
}

TEST(CspConstruction, FromConfigurationFolders) {
    struct Row {
        const char* what;
        std::vector<sig::CspSystem> systems;  // none: no file at all
        const char* defaultName;              // null: no user file
        const char* keys;
        const char* current;
        int bound;
    };
    const Row rows[] = {
        {"no files", {}, nullptr, "", "", 0},
        {"a system without a path is not entered",
         {{"NoPath", ""}, {"Echo", SIG_ECHO_PLUGIN}}, nullptr, "Echo", "", 0},
        {"a default naming an unregistered system", {{"Echo", SIG_ECHO_PLUGIN}}, "Ghost", "Echo", "", 0},
        {"a default naming a library that cannot load", {{"Lost", "/nonexistent/libnone.so"}}, "Lost", "Lost", "", 0},
        {"a default naming the OpenSSL plug-in",
         {{"Echo", SIG_ECHO_PLUGIN}, {"OpenSSL тест", SIG_OPENSSL_PLUGIN}}, "OpenSSL тест", "Echo,OpenSSL тест",
         "OpenSSL тест", 14},
        {"a system called DefaultCSP in a hand-edited file is skipped",
         {{"DefaultCSP", SIG_ECHO_PLUGIN}, {"Echo", SIG_ECHO_PLUGIN}}, "Echo", "Echo", "Echo", 14},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ConfigFolders folders;
        if (!r.systems.empty()) folders.WriteSystems(r.systems);
        if (r.defaultName) folders.WriteDefault(r.defaultName);
        CCryptographicProvider p;
        std::vector<std::string> names;
        p.GetAllKeys(names);
        std::string joined;
        for (const std::string& n : names) joined += (joined.empty() ? "" : ",") + n;
        EXPECT_EQ(joined, r.keys);
        EXPECT_EQ(p.GetCurUsedCSP(), r.current);
        EXPECT_EQ(BoundEntries(p), r.bound);
        EXPECT_EQ(p.IsLibraryLoaded(), r.bound > 0);
        if (r.defaultName) {
            std::string name = "DefaultCSP", path;
            int isDefault = 0;
            EXPECT_EQ(p.GetValue(name, path, isDefault), 1);
            EXPECT_EQ(path, r.defaultName);  // the map keeps the default's name even when it cannot be used
        }
        if (r.bound == 0) ExpectUnboundResults(p);
    }
}

TEST(CspConstruction, UserCopyOfTheListOverridesTheMachines) {
    ConfigFolders folders;
    folders.WriteSystems({{"Machine", SIG_ECHO_PLUGIN}});
    ConfigFolders::Write(folders.UserSystemsFile(), "[CSP 1]\nName=Mine\nLibPath=" SIG_ECHO_PLUGIN "\n");
    CCryptographicProvider p;
    std::vector<std::string> names;
    p.GetAllKeys(names);
    EXPECT_EQ(names, std::vector<std::string>{"Mine"});
}

TEST(CspLoading, LoadBFN) {
    ConfigFolders folders;
    const std::string textSo = folders.Path("text.so");
    ConfigFolders::Write(textSo, "this is not a library\n");
    const std::string echoName = "Echo system";
    struct Row {
        const char* what;
        std::string path;
        bool result;
        std::string current;
        int bound;
    };
    const Row rows[] = {
        {"complete", SIG_ECHO_PLUGIN, true, echoName, 14},
        {"without GetCertSubjectNameAndSN", SIG_ECHO_NO7_PLUGIN, false, "", 0},
        {"without GetPublicKey", SIG_ECHO_NO4_PLUGIN, false, "", 0},
        {"with GetSysName alone", SIG_ECHO_ONLY6_PLUGIN, false, "", 0},
        {"a missing path", folders.Path("missing.so"), false, "", 0},
        {"a text file named .so", textSo, false, "", 0},
        {"an empty path", "", false, "", 0},
        {"the OpenSSL plug-in", SIG_OPENSSL_PLUGIN, true, "OpenSSL test (Ed25519, SHA-256)", 14},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        CCryptographicProvider p;
        // A library held before is released by every load, whatever its outcome.
        ASSERT_TRUE(p.LoadBFN(SIG_ECHO_PLUGIN));
        EXPECT_EQ(p.LoadBFN(r.path), r.result);
        EXPECT_EQ(p.GetCurUsedCSP(), r.current);
        EXPECT_EQ(BoundEntries(p), r.bound);
        EXPECT_EQ(p.IsLibraryLoaded(), r.result);
        if (!r.result) {
            if (!r.path.empty()) {
                EXPECT_FALSE(IsLoadedInProcess(r.path));
            }
            ExpectUnboundResults(p);
        }
        std::vector<std::string> names;
        EXPECT_EQ(p.GetAllKeys(names), 0);  // the list is not touched
    }
    EXPECT_FALSE(IsLoadedInProcess(SIG_ECHO_PLUGIN));  // every provider let its library go
}

TEST(CspLoading, LoadCSP) {
    ConfigFolders folders;
    const std::string textSo = folders.Path("text.so");
    ConfigFolders::Write(textSo, "this is not a library\n");
    folders.WriteSystems({{"Echo", SIG_ECHO_PLUGIN},
                          {"Seven-less", SIG_ECHO_NO7_PLUGIN},
                          {"Lost", folders.Path("missing.so")},
                          {"Text", textSo}});
    folders.WriteDefault("Echo");
    struct Row {
        const char* name;
        bool result;
        std::string current;
        int bound;
    };
    const Row rows[] = {
        {"Echo", true, "Echo", 14},
        {"", true, "Echo", 14},                // the default
        {"Seven-less", true, "Seven-less", 13},  // no entry is required here
        {"Lost", false, "", 0},
        {"Text", false, "", 0},
        {"echo", false, "Echo", 14},           // not listed (case counts): nothing changes
        {"DefaultCSP", false, "Echo", 14},     // a name, not a system
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string("LoadCSP(\"") + r.name + "\")");
        CCryptographicProvider p;
        ASSERT_EQ(p.GetCurUsedCSP(), "Echo");
        EXPECT_EQ(p.LoadCSP(r.name, 0), r.result);
        EXPECT_EQ(p.GetCurUsedCSP(), r.current);
        EXPECT_EQ(BoundEntries(p), r.bound);
        if (r.bound == 0) ExpectUnboundResults(p);
    }
}

TEST(CspLoading, LoadCSPMakesTheDefaultWhereTheUserKeepsSettings) {
    ConfigFolders folders;
    folders.WriteSystems({{"Echo", SIG_ECHO_PLUGIN}, {"Лост", folders.Path("missing.so")}});
    {
        CCryptographicProvider p;  // no user file: the map changes, nothing is written
        EXPECT_TRUE(p.LoadCSP("Echo", 1));
        std::string name, path;
        int isDefault = 0;
        EXPECT_EQ(p.GetValue(name, path, isDefault), 1);
        EXPECT_EQ(name, "Echo");
        EXPECT_FALSE(std::filesystem::exists(folders.UserFile()));
    }
    folders.WriteDefault("");
    {
        CCryptographicProvider p;
        EXPECT_FALSE(p.LoadCSP("Лост", 1));  // the load fails, the choice is still recorded
        EXPECT_EQ(zor::test::Slurp(folders.UserFile()), "[CSP]\nDefaultCSP=Лост\n");
    }
    {
        CCryptographicProvider p;
        EXPECT_EQ(p.GetCurUsedCSP(), "");
        EXPECT_TRUE(p.LoadCSP("Echo", 1));
    }
    CCryptographicProvider p;
    EXPECT_EQ(p.GetCurUsedCSP(), "Echo");
}

// The echo plug-in's record of the last call and its result switch.
class EchoPlugin {
public:
    EchoPlugin() : m_handle(::dlopen(SIG_ECHO_PLUGIN, RTLD_NOW | RTLD_NOLOAD)) {}
    ~EchoPlugin() {
        if (m_handle) ::dlclose(m_handle);
    }
    bool Ok() const { return m_handle != nullptr; }
    std::string LastCall() const {
        auto fn = reinterpret_cast<const char* (*)()>(::dlsym(m_handle, "SigEchoLastCall"));
        return fn ? fn() : "?";
    }
    void SetResult(int result) const {
        auto fn = reinterpret_cast<void (*)(int)>(::dlsym(m_handle, "SigEchoSetResult"));
        if (fn) fn(result);
    }

private:
    void* m_handle;
};

TEST(CspWrappers, PassEveryArgumentAndResultUnchanged) {
    ConfigFolders folders;
    CCryptographicProvider p;
    ASSERT_TRUE(p.LoadBFN(SIG_ECHO_PLUGIN));
    EchoPlugin echo;
    ASSERT_TRUE(echo.Ok());
    std::string r1 = "in1", r2 = "in2", r3 = "";
    char buf[] = {'a', 0, char(0xFF), 'z'};
    // By-value texts: the plug-in scribbles on its copies, the caller's stay as they were.
    std::string t1 = "значение", t2 = "two", t3 = "three";

    EXPECT_EQ(p.CreatePrivateKey("box", "pw", r1), 101);
    EXPECT_EQ(echo.LastCall(), "CreatePrivateKey(box|pw|in1)");
    EXPECT_EQ(r1, "CreatePrivateKey.1:in1");

    r1 = "x";
    EXPECT_EQ(p.Sign("box", nullptr, buf, 4, r1, r2, r3), 102);
    EXPECT_EQ(echo.LastCall(), "Sign(box|(null)|6100FF7A:4|x|in2|)");
    EXPECT_EQ(r1 + ";" + r2 + ";" + r3, "Sign.1:x;Sign.2:in2;Sign.3:");

    EXPECT_EQ(p.CheckSign(buf, 3, t1, t2, t3), 103);
    EXPECT_EQ(echo.LastCall(), "CheckSign(6100FF:3|значение|two|three)");

    r1 = "";
    EXPECT_EQ(p.GetPublicKey("", "pw", r1), 104);
    EXPECT_EQ(echo.LastCall(), "GetPublicKey(|pw|)");
    EXPECT_EQ(r1, "GetPublicKey.1:");

    r1 = "a", r2 = "b";
    EXPECT_TRUE(p.CreateCertificate(r1, r2));
    EXPECT_EQ(echo.LastCall(), "CreateSelfSignCertificate(a|b)");
    EXPECT_EQ(r1 + ";" + r2, "CreateSelfSignCertificate.1:a;CreateSelfSignCertificate.2:b");

    EXPECT_EQ(p.GetSystemName(), "Echo system");
    EXPECT_EQ(echo.LastCall(), "GetSysName()");

    r1 = "1", r2 = "2", r3 = "3";
    EXPECT_TRUE(p.GetNameAndSN(t1, r1, r2, r3));
    EXPECT_EQ(echo.LastCall(), "GetCertSubjectNameAndSN(значение|1|2|3)");
    EXPECT_EQ(r3, "GetCertSubjectNameAndSN.3:3");

    r1 = "h";
    EXPECT_EQ(p.GetBufHash(buf, 2, r1), 108);
    EXPECT_EQ(echo.LastCall(), "GetBufHash(6100:2|h)");
    EXPECT_EQ(r1, "GetBufHash.1:h");

    r1 = "";
    EXPECT_EQ(p.GetFileHash(t2, r1), 109);
    EXPECT_EQ(echo.LastCall(), "GetFileHash(two|)");

    r1 = "s";
    EXPECT_EQ(p.SignHash("box", "pw", t3, r1), 110);
    EXPECT_EQ(echo.LastCall(), "SignHash(box|pw|three|s)");
    EXPECT_EQ(r1, "SignHash.1:s");

    EXPECT_EQ(p.CheckHashSign(t1, t2, t3), 111);
    EXPECT_EQ(echo.LastCall(), "CheckHashSign(значение|two|three)");

    r1 = "k", r2 = "c";
    const COleDateTime date(2031, 7, 15, 12, 30, 0);
    EXPECT_EQ(p.CreateKeyAndCertificate("box", "pw", t1, t2, date, r1, r2, true), 112);
    char dateText[64];
    std::snprintf(dateText, sizeof dateText, "%.17g", date.m_dt);
    EXPECT_EQ(echo.LastCall(), std::string("CreateKeyAndCertificate(box|pw|значение|two|") + dateText + "|k|c|1)");
    EXPECT_EQ(r1 + ";" + r2, "CreateKeyAndCertificate.1:k;CreateKeyAndCertificate.2:c");
    EXPECT_EQ(p.CreateKeyAndCertificate("box", "pw", t1, t2, date, r1, r2, false), 112);
    EXPECT_EQ(echo.LastCall().substr(echo.LastCall().size() - 3), "|0)");

    r1 = "/box";
    EXPECT_EQ(p.CheckAndReformContainer(r1, t2, t3), 113);
    EXPECT_EQ(echo.LastCall(), "CheckAndReformContainer(/box|two|three)");
    EXPECT_EQ(r1, "CheckAndReformContainer.1:/box");

    EXPECT_TRUE(p.SetKeyCertBLOB(t1, t2));
    EXPECT_EQ(echo.LastCall(), "SetKeyCertBLOB(значение|two)");

    EXPECT_EQ(t1 + t2 + t3, "значениеtwothree");

    // Results come back as given: ints as they are, yes/no as zero or not.
    struct ResultRow { int given; int asInt; bool asBool; };
    for (const ResultRow& r : {ResultRow{0, 0, false}, ResultRow{2, 2, true}, ResultRow{7, 7, true}}) {
        echo.SetResult(r.given);
        EXPECT_EQ(p.CheckHashSign("a", "b", "c"), r.asInt);
        EXPECT_EQ(p.CreateKeyAndCertificate(nullptr, nullptr, "", "", COleDateTime(), r1, r2, false), r.asInt);
        EXPECT_EQ(p.SetKeyCertBLOB("a", "b"), r.asBool);
        EXPECT_EQ(p.CreateCertificate(r1, r2), r.asBool);
        EXPECT_EQ(p.GetNameAndSN("", r1, r2, r3), r.asBool);
    }
    echo.SetResult(-1);
}

TEST(CspHex, RawAndCheckedConversions) {
    struct Row { const char* text; std::vector<unsigned char> bytes; };
    const Row rows[] = {
        {"0AFF", {0x0A, 0xFF}},
        {"", {}},
        {"00", {0x00}},
        {"7F80", {0x7F, 0x80}},
        {"0123456789ABCDEF", {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        std::vector<unsigned char> bytes(r.bytes.size() + 1, 0xEE);
        CCryptographicProvider::String2Byte(std::strlen(r.text), r.text, bytes.data());
        EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.end() - 1), r.bytes);
        EXPECT_EQ(bytes.back(), 0xEE);  // nothing past count/2
        std::string text(2 * r.bytes.size() + 2, '@');
        CCryptographicProvider::Byte2String(r.bytes.size(), r.bytes.data(), text.data());
        EXPECT_EQ(std::string(text.c_str()), r.text);
        EXPECT_EQ(text.back(), '@');
        std::vector<unsigned char> checked;
        EXPECT_TRUE(CCryptographicProvider::String2Byte(r.text, checked));
        EXPECT_EQ(checked, r.bytes);
        EXPECT_EQ(CCryptographicProvider::Byte2String(r.bytes), r.text);
    }
    // Characters outside the digits follow the same rule without complaint.
    struct Odd { const char* text; unsigned char byte; };
    for (const Odd& o : {Odd{"a0", 0xA0 /* 'a' is 42: 672 & 0xFF */}, Odd{"G1", 0x01}, Odd{"\xD0\x90", 0x60}}) {
        SCOPED_TRACE(o.text);
        unsigned char byte = 0;
        CCryptographicProvider::String2Byte(2, o.text, &byte);
        EXPECT_EQ(byte, o.byte);
    }
    // An odd count converts its pairs only; the checked form refuses it.
    unsigned char two[2] = {0x11, 0x22};
    CCryptographicProvider::String2Byte(3, "ABC", two);
    EXPECT_EQ(two[0], 0xAB);
    EXPECT_EQ(two[1], 0x22);
    std::vector<unsigned char> kept = {1};
    EXPECT_FALSE(CCryptographicProvider::String2Byte("ABC", kept));
    EXPECT_EQ(kept, std::vector<unsigned char>{1});
}

}  // namespace
