// A logged-in session of our application server answering whatever a hostile client sends: the
// first byte chooses who logs in (an ordinary user or the administrator), the rest is a series of
// request messages, each a 16-bit little-endian length and that many bytes (the last one takes what
// is left). Every input starts from the same database of two users; a request may fail, never crash
// or leave the database damaged.
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include <sodium.h>
#include <sqlite3.h>

#include "fuzz/fuzz_support.h"
#include "platform/appserver/database.h"
#include "platform/appserver/server.h"
#include "platform/appserver/session.h"
#include "platform/base/scramble.h"
#include "platform/transport/wire.h"

namespace {

constexpr const char* kName = "session";

// A kept password as cheap as the hash allows. The kept form carries its own cost, so the
// server checks these logins quickly and unchanged: every input logs in, and at the server's own
// cost the hash would take most of the fuzzer's time.
bool KeepCheaply(zor::appserver::ServerDatabase& db, const char* user, const char* password) {
    char hash[crypto_pwhash_STRBYTES];
    if (sodium_init() < 0 || crypto_pwhash_str_alg(hash, password, std::strlen(password), crypto_pwhash_OPSLIMIT_MIN,
                                                   crypto_pwhash_MEMLIMIT_MIN, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return false;
    const auto found = db.FindUser(user);
    sqlite3_stmt* s = nullptr;
    if (!found || sqlite3_prepare_v2(db.Handle(), "UPDATE user_secrets SET hash = ? WHERE user = ?", -1, &s, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_text(s, 1, hash, -1, SQLITE_TRANSIENT);
    sqlite3_bind_int(s, 2, found->id);
    const bool ok = sqlite3_step(s) == SQLITE_DONE && sqlite3_changes(db.Handle()) == 1;
    sqlite3_finalize(s);
    return ok;
}

// The database every input starts from, made once.
const std::string& Pristine() {
    static const std::string path = [] {
        const std::string p = fuzz::PathOf("pristine.qmdb");
        std::filesystem::remove(p);
        zor::appserver::ServerDatabase db;
        if (!zor::appserver::ServerDatabase::Create(p, nullptr, "admin") || !db.Open(p) || !db.SetUser("user", "pw", false) ||
            !KeepCheaply(db, "Administrator", "admin") || !KeepCheaply(db, "user", "pw"))
            fuzz::Fail(kName, "the database cannot be made");
        return p;
    }();
    return path;
}

std::vector<unsigned char> LoginRequest(const char* user, const char* password) {
    std::vector<unsigned char> block(zor::net::kLoginBlockSize, 0);
    std::string scrambled;
    zor::ScrambleText(password, scrambled);
    std::memcpy(block.data() + zor::net::kLoginUserOffset, user, std::strlen(user));
    std::memcpy(block.data() + zor::net::kLoginPasswordOffset, scrambled.data(), scrambled.size());
    std::memcpy(block.data() + zor::net::kLoginDatabaseOffset, "main", 4);
    zor::net::WireWriter w;
    w.I32(2);
    w.I32(zor::net::kCmdLogin);
    const std::string_view sig = zor::net::ShapeOf(zor::net::kCmdLogin).request;
    w.Field(sig.data(), sig.size());
    w.U8(0);
    w.Field(block.data(), block.size());
    return std::move(w.Out());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string dir = fuzz::PathOf("server");
    const std::string db = dir + "/main.qmdb";
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::copy_file(Pristine(), db, ec)) fuzz::Fail(kName, "cannot copy the database: " + ec.message());

    zor::appserver::ServerOptions options;
    options.dataDir = dir;
    options.port = 0;
    options.dictionary = fuzz::DictionaryPath() + ".dict";
    // A fresh server per input: the guessing limits of one input do not slow the next.
    auto server = std::make_unique<zor::appserver::AppServer>(options);
    {
        zor::appserver::Session session(*server, -1);
        const bool admin = data[0] & 1;
        const auto login = LoginRequest(admin ? "Administrator" : "user", admin ? "admin" : "pw");
        const auto reply = session.Handle(login.data(), login.size());
        if (reply.size() < 18 || zor::net::LoadI32(reply.data() + 14) != 0) fuzz::Fail(kName, "the login was refused");
        int logins = 0;
        for (size_t at = 1; at < size;) {
            size_t n = size - at;
            if (n >= 2) {
                n = std::min<size_t>(data[at] | data[at + 1] << 8, n - 2);
                at += 2;
            }
            const unsigned char* message = data + at;
            at += n;
            // Past two logins a guessing session is slowed down by design, which a fuzzer takes
            // for a hang; the login's own handling is the first of them.
            if (n >= 8 && zor::net::LoadI32(message + 4) == zor::net::kCmdLogin && ++logins > 2) continue;
            session.Handle(message, n);
        }
    }
    server.reset();
    zor::appserver::ServerDatabase check;
    if (!check.Open(db)) fuzz::Fail(kName, "the database no longer opens");
    const std::string integrity = check.IntegrityCheck();
    if (integrity != "ok") fuzz::Fail(kName, "the database is damaged: " + integrity);
    return 0;
}
