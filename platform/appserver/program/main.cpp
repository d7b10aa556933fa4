// zorappserver: our application server as a program.
//
//   zorappserver [/p:<port>] [/h] [-data=<folder>] [-bind=<address>] [-port-file=<file>] [-faults=<rules>]
//                [-max-connections=<n>] [-idle-timeout=<seconds>] [-request-seconds=<n>]
//   zorappserver -data=<folder> -create=<database>            (Administrator's password: stdin's first line)
//   zorappserver -data=<folder> -setuser=<database>:<user>[:ro|:admin]   (the password: stdin's first line)
//   zorappserver -data=<folder> [-dict=<file>] -import=<database>:<store file>
//   zorappserver -data=<folder> [-dict=<file>] -export=<database>:<store file>
//
// It listens on 127.0.0.1 unless -bind says otherwise (a login carries the password scrambled, not
// encrypted, so the network is opt-in). Port 0 picks a free port, written to the port file. SIGTERM
// and SIGINT send every session the stopping notice and end the server; a request under way ends
// at once with status 117, as does one that runs longer than -request-seconds (default 60; 0: no
// limit).
//
// At most -max-connections= connections (256) are served; a logged-in session with no request for
// -idle-timeout= seconds (1800) is closed. A connection must log in within 10 s (tests shorten it
// with -login-timeout-ms=).
//
// Passwords come on standard input, never on the command line, which every local user can read in
// the process list. A new user of -setuser belongs to no group; :admin puts him into the
// administrators' group, :ro makes him read-only; for an existing user only his password changes,
// and what :ro or :admin say. The data folder is the server's alone (0700, files 0600).
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>

#include "platform/appserver/database.h"
#include "platform/appserver/server.h"
#include "platform/appserver/store_file.h"
#include "platform/base/config_paths.h"

namespace {

std::string DefaultDataDir() {
    if (const char* d = std::getenv("ZOR_APPSERVER_DATA")) return d;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.local/share/Veldcourt/appserver";
}

// The first line of standard input, without its line end (blanks stay).
std::string PasswordLine() {
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool StartsWith(const std::string& s, const char* p, std::string& rest) {
    const size_t n = std::char_traits<char>::length(p);
    if (s.compare(0, n, p) != 0) return false;
    rest = s.substr(n);
    return true;
}

// A whole positive number (times scale) that fits an int.
bool Positive(const std::string& text, int& out, int scale = 1) {
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < 1 || v > INT_MAX / scale) return false;
    out = static_cast<int>(v) * scale;
    return true;
}

// Every connection needs a descriptor, and a logged-in one several (its database's files): take
// what the system allows rather than the small default.
void RaiseDescriptorLimit() {
    rlimit r{};
    if (::getrlimit(RLIMIT_NOFILE, &r) == 0 && r.rlim_cur < r.rlim_max) {
        r.rlim_cur = r.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &r);
    }
}

}  // namespace

int main(int argc, char** argv) {
    zor::appserver::ServerOptions options;
    options.dataDir = DefaultDataDir();
    std::string portFile, faults, create, setUser, importFile, exportFile, v;
    std::string dictionary = zor::InstalledDictDir() + "quillmark.dict";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (StartsWith(a, "/p:", v)) options.port = std::atoi(v.c_str());
        else if (a == "/h") {}
        else if (StartsWith(a, "-data=", v)) options.dataDir = v;
        else if (StartsWith(a, "-bind=", v)) options.bindAddress = v;
        else if (StartsWith(a, "-port-file=", v)) portFile = v;
        else if (StartsWith(a, "-faults=", v)) faults = v;
        else if (StartsWith(a, "-create=", v)) create = v;
        else if (StartsWith(a, "-setuser=", v)) setUser = v;
        else if (StartsWith(a, "-import=", v)) importFile = v;
        else if (StartsWith(a, "-export=", v)) exportFile = v;
        else if (StartsWith(a, "-dict=", v)) dictionary = v;
        else if (StartsWith(a, "-max-connections=", v) && Positive(v, options.maxConnections)) {}
        else if (StartsWith(a, "-idle-timeout=", v) && Positive(v, options.idleTimeoutMs, 1000)) {}
        else if (StartsWith(a, "-login-timeout-ms=", v) && Positive(v, options.loginTimeoutMs)) {}
        else if (StartsWith(a, "-request-seconds=", v) && (v == "0" || Positive(v, options.requestSeconds))) {
            if (v == "0") options.requestSeconds = 0;
        }
        else {
            std::fprintf(stderr, "zorappserver: unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    options.dictionary = dictionary;
    // Databases, their side files and blobs hold every user's data: the server's account alone reads them.
    ::umask(077);
    std::error_code ec;
    std::filesystem::create_directories(options.dataDir, ec);
    zor::appserver::AppServer server(options);
    if (!create.empty()) {
        std::string error;
        const std::string path = server.DatabasePath(create);
        if (path.empty()) {
            std::fprintf(stderr, "zorappserver: bad database name\n");
            return 1;
        }
        const std::string password = PasswordLine();
        if (password.empty()) {
            std::fprintf(stderr, "zorappserver: -create reads Administrator's password from the first line of standard input;"
                                 " it may not be empty\n");
            return 2;
        }
        ::chmod(options.dataDir.c_str(), 0700);
        if (!zor::appserver::ServerDatabase::Create(path, &error, password)) {
            std::fprintf(stderr, "zorappserver: %s\n", path.empty() ? "bad database name" : error.c_str());
            return 1;
        }
        return 0;
    }
    if (!setUser.empty()) {
        // database:user[:ro|:admin]
        const size_t a = setUser.find(':');
        std::string user = a == std::string::npos ? std::string() : setUser.substr(a + 1);
        std::optional<bool> ro, admin;
        const auto suffix = [&](const char* tail) {
            const size_t n = std::char_traits<char>::length(tail);
            if (user.size() <= n || user.compare(user.size() - n, n, tail) != 0) return false;
            user.resize(user.size() - n);
            return true;
        };
        if (suffix(":ro")) ro = true;
        else if (suffix(":admin")) admin = true;
        if (user.empty() || user.find(':') != std::string::npos) {
            std::fprintf(stderr, "zorappserver: -setuser=<database>:<user>[:ro|:admin], the password on standard input\n");
            return 2;
        }
        const std::string password = PasswordLine();
        if (password.empty()) {
            std::fprintf(stderr, "zorappserver: -setuser reads the password from the first line of standard input;"
                                 " it may not be empty\n");
            return 2;
        }
        zor::appserver::ServerDatabase db;
        std::string error;
        if (!db.Open(server.DatabasePath(setUser.substr(0, a)), &error) || !db.SetUser(user, password, ro, admin)) {
            std::fprintf(stderr, "zorappserver: cannot set the user: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (!importFile.empty() || !exportFile.empty()) {
        // database:file
        const std::string& target = importFile.empty() ? exportFile : importFile;
        const size_t colon = target.find(':');
        zor::appserver::ServerDatabase db;
        std::string error;
        if (colon == std::string::npos) {
            std::fprintf(stderr, "zorappserver: -import= and -export= take <database>:<store file>\n");
            return 2;
        }
        const bool ok = db.Open(server.DatabasePath(target.substr(0, colon)), &error) &&
                        (importFile.empty()
                             ? zor::appserver::ExportStoreFile(db, dictionary, target.substr(colon + 1), error)
                             : zor::appserver::ImportStoreFile(db, dictionary, target.substr(colon + 1), error));
        if (!ok) {
            std::fprintf(stderr, "zorappserver: %s\n", error.c_str());
            return 1;
        }
        return 0;
    }
    if (!faults.empty() && !server.Faults().Parse(faults)) {
        std::fprintf(stderr, "zorappserver: bad fault rules\n");
        return 2;
    }
    RaiseDescriptorLimit();
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);  // the threads inherit the mask; only sigwait sees them
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "zorappserver: %s\n", error.c_str());
        return 1;
    }
    if (!portFile.empty()) {
        const std::string tmp = portFile + ".tmp";
        std::ofstream(tmp) << server.Port() << "\n";
        std::filesystem::rename(tmp, portFile, ec);
    }
    std::printf("zorappserver: listening on %s:%d\n", options.bindAddress.c_str(), server.Port());
    std::fflush(stdout);
    int sig = 0;
    sigwait(&set, &sig);
    server.Stop(true);
    return 0;
}
