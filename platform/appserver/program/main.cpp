// zorappserver: our application server as a program.
//
//   zorappserver [/p:<port>] [/h] [-data=<folder>] [-bind=<address>] [-port-file=<file>] [-faults=<rules>]
//                [-request-seconds=<n>]
//   zorappserver -data=<folder> -create=<database>
//   zorappserver -data=<folder> -setuser=<database>:<user>:<password>[:ro]
//   zorappserver -data=<folder> [-dict=<file>] -import=<database>:<store file>
//   zorappserver -data=<folder> [-dict=<file>] -export=<database>:<store file>
//
// It listens on 127.0.0.1 unless -bind says otherwise (whoever holds a scrambled password can log in
// with it, so the network is opt-in). Port 0 picks a free port, written to the port file. SIGTERM
// and SIGINT send every session the stopping notice and end the server; a request under way ends
// at once with status 117, as does one that runs longer than -request-seconds (default 60; 0: no
// limit).
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/appserver/database.h"
#include "platform/appserver/server.h"
#include "platform/appserver/store_file.h"
#include "platform/base/config_paths.h"
#include "platform/base/scramble.h"

namespace {

std::string DefaultDataDir() {
    if (const char* d = std::getenv("ZOR_APPSERVER_DATA")) return d;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.local/share/Veldcourt/appserver";
}

bool StartsWith(const std::string& s, const char* p, std::string& rest) {
    const size_t n = std::char_traits<char>::length(p);
    if (s.compare(0, n, p) != 0) return false;
    rest = s.substr(n);
    return true;
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
        else if (StartsWith(a, "-request-seconds=", v)) options.requestSeconds = std::atoi(v.c_str());
        else {
            std::fprintf(stderr, "zorappserver: unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    options.dictionary = dictionary;
    std::error_code ec;
    std::filesystem::create_directories(options.dataDir, ec);
    zor::appserver::AppServer server(options);
    if (!create.empty()) {
        std::string error;
        const std::string path = server.DatabasePath(create);
        if (path.empty() || !zor::appserver::ServerDatabase::Create(path, &error)) {
            std::fprintf(stderr, "zorappserver: %s\n", path.empty() ? "bad database name" : error.c_str());
            return 1;
        }
        return 0;
    }
    if (!setUser.empty()) {
        // database:user:password[:ro]
        const size_t a = setUser.find(':'), b = a == std::string::npos ? a : setUser.find(':', a + 1);
        if (b == std::string::npos) {
            std::fprintf(stderr, "zorappserver: -setuser=<database>:<user>:<password>[:ro]\n");
            return 2;
        }
        std::string password = setUser.substr(b + 1);
        bool ro = false;
        if (password.size() >= 3 && password.compare(password.size() - 3, 3, ":ro") == 0) {
            ro = true;
            password.resize(password.size() - 3);
        }
        zor::appserver::ServerDatabase db;
        std::string error, scrambled;
        zor::ScrambleText(password.c_str(), scrambled);
        if (!db.Open(server.DatabasePath(setUser.substr(0, a)), &error) ||
            !db.SetUser(setUser.substr(a + 1, b - a - 1), scrambled, ro)) {
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
