#pragma once
// One client connection of the application server: reads framed requests, answers each.
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/appserver/access.h"
#include "platform/appserver/blobs.h"
#include "platform/appserver/database.h"
#include "platform/appserver/load.h"
#include "platform/transport/framing.h"
#include "platform/transport/wire.h"

class CzorStepData;

namespace zor::appserver {

class AppServer;

class Session {
public:
    Session(AppServer& server, int fd);
    ~Session();
    // Starts the session's thread; false when the system has no thread to give.
    bool Start();
    // From another thread: the stopping notice (when asked) and the end of the session.
    void Stop(bool notice);
    bool Done() const { return m_done; }
    void Join();

    // The logged-in user and his database's path, from any thread (false before a login).
    bool ActiveUser(std::string& dbPath, int32_t& userId);

    // Answers one request message (no framing). Empty result: no reply at all.
    std::vector<unsigned char> Handle(const unsigned char* data, size_t size);

private:
    void Run();
    void Serve();
    // Waits before a login's check while guessing is being slowed down (login_throttle.h).
    void WaitBeforeLoginCheck(const std::string& user);
    // Counts a refused login; false when the users' log has had enough refusals from this address.
    bool CountRefusal(const std::string& user);
    bool SendFrame(zor::net::FrameKind kind, uint32_t seq, const std::vector<unsigned char>& payload,
                   size_t limit = SIZE_MAX, int stopGraceMs = 0);
    // The parts of a reply.
    std::vector<unsigned char> Reply(const zor::net::RequestHeader& h, const char* sig, int32_t status,
                                     const std::vector<unsigned char>& payload, bool offer = false);
    // The reply of the request's command with its status and, unless refused, the fields its reply
    // signature names (commands.h).
    std::vector<unsigned char> Answer(const zor::net::RequestHeader& h, int32_t status,
                                      std::initializer_list<zor::net::WireField> fields = {});
    std::vector<unsigned char> ErrorForm(int32_t version, int32_t command, int32_t code);
    // Handlers take the request's fields as its signature names them, already read and checked.
    std::vector<unsigned char> Login(const zor::net::RequestHeader& h, const zor::net::WireField& block);
    std::vector<unsigned char> WriteLog(const zor::net::RequestHeader& h, const zor::net::WireField& body);
    // Past the login every handler that reaches instances, blobs or files does so through the gate.
    std::vector<unsigned char> Load(const zor::net::RequestHeader& h, const zor::net::WireField& body,
                                    AccessView& gate);
    std::vector<unsigned char> LoadDeleted(const zor::net::RequestHeader& h, AccessView& gate);
    std::vector<unsigned char> Dictionary(const zor::net::RequestHeader& h);
    std::vector<unsigned char> Blob(const zor::net::RequestHeader& h, const zor::net::WireField* args,
                                    AccessView& gate);
    std::vector<unsigned char> Access(const zor::net::RequestHeader& h, const zor::net::WireField& body,
                                      AccessView& gate);
    std::vector<unsigned char> ActiveUsers(const zor::net::RequestHeader& h, AccessView& gate);
    // The instances the load queries ask for, as a load reply.
    std::vector<unsigned char> AnswerLoadQueries(const zor::net::RequestHeader& h, const std::vector<LoadQuery>& queries,
                                                 AccessView& gate);
    // The users' log: a logout of the session's user, when one is logged in.
    void LogLogout();
    // The dictionary file, and a store holding it for answering loads (made on first use).
    std::string DictionaryFile() const;
    CzorStepData* Scratch();

    AppServer& m_server;
    int m_fd;
    pthread_t m_thread{};
    bool m_started = false;
    std::string m_address;  // the peer's, for the guessing limits
    int m_refusals = 0;     // refused logins on this connection
    // When the session last became not logged in (its start, or a failed login that ended one).
    std::chrono::steady_clock::time_point m_unauthSince;
    std::mutex m_sendMutex;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_notice{false};
    std::atomic<bool> m_done{false};
    bool m_loggedIn = false;
    bool m_readOnly = false;
    int32_t m_userId = 0;
    std::string m_userName;
    double m_loginTime = 0;
    std::unique_ptr<AccessView> m_access;
    std::mutex m_publishMutex;
    int32_t m_publishedUser = 0;
    std::string m_publishedDb;
    int32_t m_status74or134 = 0;
    ServerDatabase m_db;
    bool m_closeAfterReply = false;
    std::unique_ptr<CzorStepData> m_scratch;
    std::string m_dbPath;
    std::unique_ptr<BlobTransfer> m_blobs;
    // The token of the request being handled (framing.h), when it carries one.
    bool m_hasToken = false;
    uint64_t m_token = 0;
};

}  // namespace zor::appserver
