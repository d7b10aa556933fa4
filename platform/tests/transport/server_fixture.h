#pragma once
// A server of ours for tests: in-process on 127.0.0.1 with a free port, or as the program (for
// kills), each with a data folder holding database "main" (users "Administrator" with an empty
// password, "user"/"pw" and the read-only "reader"/"ro").
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/appserver/database.h"
#include "platform/appserver/server.h"
#include "platform/base/scramble.h"
#include "platform/tests/test_support.h"
#include "platform/transport/framing.h"
#include "platform/transport/wire.h"

namespace zor::test {

inline void MakeDatabase(const std::string& dir, const std::string& name = "main") {
    const std::string path = dir + "/" + name + zor::appserver::kDatabaseSuffix;
    ASSERT_TRUE(zor::appserver::ServerDatabase::Create(path));
    zor::appserver::ServerDatabase db;
    ASSERT_TRUE(db.Open(path));
    // Both in the administrators' group: the tests of rights move them out where they need to.
    ASSERT_TRUE(db.SetUser("user", "pw", false, true));
    ASSERT_TRUE(db.SetUser("reader", "ro", true, true));
}

class InProcessServer {
public:
    // `tune` may change the server's options before it starts.
    explicit InProcessServer(const std::function<void(zor::appserver::ServerOptions&)>& tune = {}) {
        MakeDatabase(m_dir.Path());
        zor::appserver::ServerOptions o;
        o.dataDir = m_dir.Path();
        o.port = 0;
        if (tune) tune(o);
        m_server = std::make_unique<zor::appserver::AppServer>(o);
        std::string error;
        EXPECT_TRUE(m_server->Start(&error)) << error;
    }
    int Port() const { return m_server->Port(); }
    zor::appserver::AppServer& Server() { return *m_server; }
    const std::string& Dir() const { return m_dir.Path(); }
    void Stop(bool notice) { m_server->Stop(notice); }

private:
    ScopedTempDir m_dir;
    std::unique_ptr<zor::appserver::AppServer> m_server;
};

// The server program, ended by its pid within a bounded time.
class ServerProcess {
public:
    // `extra`: further arguments of the program (limits shortened for a test).
    explicit ServerProcess(const std::string& dataDir, int port = 0, const std::string& faults = {},
                           std::vector<std::string> extra = {})
        : m_dataDir(dataDir), m_extra(std::move(extra)) {
        Start(port, faults);
    }
    ~ServerProcess() { Kill(SIGKILL); }
    void Start(int port, const std::string& faults = {}) {
        const std::string portFile = m_dataDir + "/port";
        ::unlink(portFile.c_str());
        std::vector<std::string> args = {std::string(QM_BIN_DIR) + "/zorappserver", "/p:" + std::to_string(port), "/h",
                                         "-data=" + m_dataDir, "-port-file=" + portFile};
        if (!faults.empty()) args.push_back("-faults=" + faults);
        args.insert(args.end(), m_extra.begin(), m_extra.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        for (int i = 0; i < 500 && m_port == 0; ++i) {  // at most 5 s
            std::ifstream in(portFile);
            if (!(in >> m_port)) m_port = 0;
            if (!m_port) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_NE(m_port, 0) << "the server program did not start";
    }
    int Port() const { return m_port; }
    pid_t Pid() const { return m_pid; }
    // Sends the signal and waits at most `ms` for the end: true, with the wait status, when it came.
    bool EndsWithin(int sig, int ms, int& status) {
        if (m_pid <= 0) return false;
        ::kill(m_pid, sig);
        for (int waited = 0; waited <= ms; waited += 10) {
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_port = 0;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // Sends the signal and waits at most 5 s for the end; returns the wait status.
    int Kill(int sig) {
        if (m_pid <= 0) return -1;
        ::kill(m_pid, sig);
        int st = -1;
        for (int i = 0; i < 500; ++i) {
            if (::waitpid(m_pid, &st, WNOHANG) == m_pid) break;
            if (i == 499) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, &st, 0);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        m_pid = -1;
        m_port = 0;
        return st;
    }

private:
    std::string m_dataDir;
    std::vector<std::string> m_extra;
    pid_t m_pid = -1;
    int m_port = 0;
};

// A request message: header, the version-2 trailer and the payload.
inline std::vector<unsigned char> RequestMessage(int version, int command, const std::string& sig,
                                                 const std::vector<unsigned char>& payload = {}) {
    zor::net::WireWriter w;
    w.I32(version);
    w.I32(command);
    w.Field(sig.data(), sig.size());
    if (version == 2) w.U8(0);
    w.Bytes(payload.data(), payload.size());
    return w.Out();
}

inline std::vector<unsigned char> LoginPayload(const std::string& user, const std::string& password,
                                               const std::string& db) {
    std::vector<unsigned char> block(zor::net::kLoginBlockSize, 0);
    std::string scrambled;
    zor::ScrambleText(password.c_str(), scrambled);
    std::copy(user.begin(), user.end(), block.begin());
    std::copy(scrambled.begin(), scrambled.end(), block.begin() + 4096);
    std::copy(db.begin(), db.end(), block.begin() + 8192);
    zor::net::WireWriter w;
    w.Field(block.data(), block.size());
    return w.Out();
}

inline std::vector<unsigned char> Field(const std::vector<unsigned char>& body) {
    zor::net::WireWriter w;
    w.Field(body.data(), body.size());
    return w.Out();
}

}  // namespace zor::test
