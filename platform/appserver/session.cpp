#include "platform/appserver/session.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <thread>

#include "platform/appserver/access.h"
#include "platform/appserver/dictionary_file.h"
#include "platform/appserver/load.h"
#include "platform/appserver/passwords.h"
#include "platform/appserver/save.h"
#include "platform/appserver/search.h"
#include "platform/appserver/query_exec.h"
#include "platform/appserver/request_budget.h"
#include "platform/appserver/server.h"
#include "platform/appserver/work_slots.h"
#include "platform/base/config_paths.h"
#include "platform/zordata/stepdata.h"
#include "platform/base/ole_date.h"
#include "platform/base/scramble.h"
#include "platform/text/cp1251.h"
#include "platform/transport/net_errors.h"

namespace zor::appserver {
namespace {

using zor::net::RequestHeader;
using zor::net::WireReader;
using zor::net::WireWriter;

using zor::net::Caller;
using zor::net::CommandShape;
using zor::net::WireField;

// What this server answers is the command table (commands.h); every other command gets the error
// form with 151. Past the login, the handlers reach instances, blobs and files only through the
// session's AccessView (access.h).

// A zero-terminated text of at most `size` bytes at p; false when it has no terminator there.
bool FixedText(const unsigned char* p, size_t size, std::string& out) {
    const void* end = std::memchr(p, 0, size);
    if (!end) return false;
    out = zor::Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(p),
                                             static_cast<size_t>(static_cast<const unsigned char*>(end) - p)));
    return true;
}

constexpr int kRefusalsPerConnection = 3;

// A user name as the users' log and the guessing limits keep it: at most 64 bytes, cut before a
// character that would not fit whole, so that guessing cannot fill the database with long names.
std::string LoggedName(const std::string& name) {
    constexpr size_t kMax = 64;
    if (name.size() <= kMax) return name;
    size_t n = kMax;
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
    return name.substr(0, n);
}

constexpr char kLogSignature[] = "Client2Server log bufer v0.1";
constexpr char kBaseListSignature[] = "BaseListBuf v1.00";

}  // namespace

// Enough for the deepest request a session answers (a query tree 256 levels deep); the sanitizers
// need their own room. 256 sessions then reserve a fraction of what default stacks would.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr size_t kSessionStack = 8u << 20;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr size_t kSessionStack = 8u << 20;
#else
constexpr size_t kSessionStack = 2u << 20;
#endif
#else
constexpr size_t kSessionStack = 2u << 20;
#endif

Session::Session(AppServer& server, int fd)
    : m_server(server), m_fd(fd), m_unauthSince(std::chrono::steady_clock::now()) {
    sockaddr_storage peer{};
    socklen_t len = sizeof peer;
    char text[INET6_ADDRSTRLEN] = "";
    if (fd >= 0 && ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &len) == 0) {
        if (peer.ss_family == AF_INET)
            ::inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&peer)->sin_addr, text, sizeof text);
        else if (peer.ss_family == AF_INET6)
            ::inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&peer)->sin6_addr, text, sizeof text);
    }
    m_address = text;
}

Session::~Session() {
    Stop(false);
    Join();
    if (m_fd >= 0) ::close(m_fd);
}

bool Session::Start() {
    pthread_attr_t attr;
    if (::pthread_attr_init(&attr) != 0) return false;
    ::pthread_attr_setstacksize(&attr, kSessionStack);
    const int rc = ::pthread_create(
        &m_thread, &attr, [](void* self) -> void* {
            static_cast<Session*>(self)->Run();
            return nullptr;
        },
        this);
    ::pthread_attr_destroy(&attr);
    m_started = rc == 0;
    if (!m_started) m_done = true;
    return m_started;
}

void Session::Join() {
    if (m_started && !::pthread_equal(m_thread, ::pthread_self())) {
        ::pthread_join(m_thread, nullptr);
        m_started = false;
    }
}

// The session's own thread sends the notice as it ends, so a reply being written is never cut
// by it and this caller never waits on a client that does not read.
void Session::Stop(bool notice) {
    if (notice) m_notice = true;
    m_stop = true;
}

bool Session::SendFrame(zor::net::FrameKind kind, uint32_t seq, const std::vector<unsigned char>& payload, size_t limit,
                        int stopGraceMs) {
    std::vector<unsigned char> out;
    zor::net::EncodeFrame(kind, seq, payload.data(), payload.size(), out);
    std::lock_guard lock(m_sendMutex);
    size_t sent = 0;
    const size_t total = std::min(out.size(), limit);
    while (sent < total) {
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, 100) <= 0) {
            // A stopping server waits only so long for a client that does not read.
            if (m_stop && (stopGraceMs -= 100) < 0) return false;
            continue;
        }
        ssize_t n = ::send(m_fd, out.data() + sent, total - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// A failed allocation or any other exception ends this session alone; the server goes on.
void Session::Run() {
    try {
        Serve();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zorappserver: session of %s ended: %s\n", m_address.c_str(), e.what());
    } catch (...) {
        std::fprintf(stderr, "zorappserver: session of %s ended by an unknown exception\n", m_address.c_str());
    }
    // No longer listed as active before the logout is in the log: whoever reads the logout finds the
    // user gone.
    {
        std::lock_guard lock(m_publishMutex);
        m_publishedUser = 0;
    }
    try {
        if (m_notice) SendFrame(zor::net::FrameKind::ServerStopping, 0, {}, SIZE_MAX, 1000);
        ::shutdown(m_fd, SHUT_RDWR);
        LogLogout();
    } catch (...) {
    }
    m_done = true;
}

void Session::Serve() {
    using Clock = std::chrono::steady_clock;
    const ServerOptions& o = m_server.Options();
    // Before a login only a login request's worth is read at a time, so an announced huge frame is
    // refused from its header with nothing of it buffered.
    const size_t loginChunk = zor::net::kFrameHeaderSize + zor::net::kFrameTokenSize + o.maxLoginFrame;
    zor::net::FrameDecoder decoder(std::min(o.maxFrame, o.maxLoginFrame));
    std::vector<unsigned char> chunk(std::min<size_t>(65536, loginChunk));
    Clock::time_point lastRequest = Clock::now();
    bool wasLoggedIn = false;
    while (!m_stop) {
        const Clock::time_point now = Clock::now();
        if (!m_loggedIn && now - m_unauthSince >= std::chrono::milliseconds(o.loginTimeoutMs)) break;
        if (m_loggedIn && now - lastRequest >= std::chrono::milliseconds(o.idleTimeoutMs)) break;
        pollfd p{m_fd, POLLIN, 0};
        int n = ::poll(&p, 1, 100);
        if (n < 0 && errno != EINTR) break;
        if (n <= 0) continue;
        ssize_t got = ::recv(m_fd, chunk.data(), m_loggedIn ? chunk.size() : std::min(chunk.size(), loginChunk), 0);
        if (got <= 0) break;
        decoder.Feed(chunk.data(), static_cast<size_t>(got));
        zor::net::Frame f;
        zor::net::DecodeResult r = zor::net::DecodeResult::NeedMore;
        bool end = false;
        for (;;) {
            if (m_loggedIn != wasLoggedIn) {
                // A failed login ends a logged-in session: the limits before a login hold again.
                if (!m_loggedIn) m_unauthSince = Clock::now();
                wasLoggedIn = m_loggedIn;
                decoder.SetMax(m_loggedIn ? o.maxFrame : std::min(o.maxFrame, o.maxLoginFrame));
                if (m_loggedIn && chunk.size() < 65536) chunk.resize(65536);
            }
            if (end || (r = decoder.Next(f)) != zor::net::DecodeResult::Frame) break;
            if (f.kind != zor::net::FrameKind::Request) continue;
            lastRequest = Clock::now();
            // The command is peeked for the fault plan before the request is handled.
            int32_t command = f.payload.size() >= 8 ? zor::net::LoadI32(f.payload.data() + 4) : 0;
            FaultRule fault;
            const bool faulty = m_server.Faults().Pick(command, fault);
            if (faulty && fault.action == FaultAction::Stall) continue;
            if (faulty && fault.action == FaultAction::OutOfMemory) throw std::bad_alloc();
            if (faulty && fault.action == FaultAction::Reset) {
                linger l{1, 0};
                ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
                end = true;
                break;
            }
            if (faulty && fault.action == FaultAction::StoppingNotice) {
                SendFrame(zor::net::FrameKind::ServerStopping, 0, {});
                end = true;
                break;
            }
            if (faulty && fault.action == FaultAction::Delay)
                for (int waited = 0; waited < fault.value && !m_stop; waited += 10)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::vector<unsigned char> reply;
            if (faulty && (fault.action == FaultAction::Status || fault.action == FaultAction::ErrorForm)) {
                WireReader rd(f.payload.data(), f.payload.size());
                RequestHeader h;
                zor::net::ReadRequestHeader(rd, h);
                const CommandShape* shape = zor::net::FindCommandShape(h.command);
                reply = fault.action == FaultAction::ErrorForm
                            ? ErrorForm(h.version, h.command, fault.value)
                            : Reply(h, shape ? shape->reply : h.signature.c_str(), fault.value, {}, fault.offer);
            } else {
                m_hasToken = (f.flags & zor::net::kFlagToken) != 0;
                m_token = f.token;
                RequestBudget budget(&m_stop, std::chrono::seconds(m_server.Options().requestSeconds));
                WorkSlot slot(&m_server.Slots(), command == zor::net::kCmdSaveChanges ? WorkSlots::Rank::Write : WorkSlots::Rank::Read);
                reply = Handle(f.payload.data(), f.payload.size());
                m_hasToken = false;
            }
            if (faulty) {
                const int32_t v = zor::net::LoadI32(reply.data());
                const size_t sigAt = 12;
                const int32_t n = reply.size() >= 12 ? zor::net::LoadI32(reply.data() + 8) : 0;
                // Where the first body length stands in a normal-form reply of ours (no message text).
                const size_t bodyAt = sigAt + static_cast<size_t>(std::max(0, n)) + 4 + (v == 2 ? 2 : 0);
                switch (fault.action) {
                case FaultAction::CorruptVersion: zor::net::StoreI32(reply.data(), 77); break;
                case FaultAction::CorruptCommand: zor::net::StoreI32(reply.data() + 4, command + 1000); break;
                case FaultAction::CorruptSignature:
                    if (n > 0) reply[sigAt] = 'z';
                    else {
                        zor::net::StoreI32(reply.data() + 8, 1);
                        reply.insert(reply.begin() + sigAt, 'z');
                    }
                    break;
                case FaultAction::LengthBeyond:
                case FaultAction::CountAbove:
                    if (reply.size() >= bodyAt + 4) zor::net::StoreI32(reply.data() + bodyAt, static_cast<int32_t>(reply.size() + 100 + fault.value));
                    break;
                case FaultAction::LengthNegative:
                    if (reply.size() >= bodyAt + 4) zor::net::StoreI32(reply.data() + bodyAt, -1);
                    break;
                case FaultAction::CutPayload: {
                    size_t keep = reply.size() / 2;
                    if (fault.value > 0 && static_cast<size_t>(fault.value) < reply.size())
                        keep = reply.size() - static_cast<size_t>(fault.value);
                    reply.erase(reply.begin() + static_cast<std::ptrdiff_t>(keep), reply.end());
                    break;
                }
                default: break;
                }
            }
            if (faulty && fault.action == FaultAction::HugeFrame) {
                std::vector<unsigned char> head;
                zor::net::EncodeFrame(zor::net::FrameKind::Reply, f.seq, nullptr, 0, head);
                zor::net::StoreI32(head.data() + 12, static_cast<int32_t>(0xFFFFFFF0u));
                std::lock_guard lock(m_sendMutex);
                (void)!::send(m_fd, head.data(), head.size(), MSG_NOSIGNAL);
                continue;
            }
            const size_t limit = faulty && fault.action == FaultAction::CloseAfter ? static_cast<size_t>(std::max(0, fault.value)) : SIZE_MAX;
            if (!SendFrame(zor::net::FrameKind::Reply, f.seq, reply, limit) || limit != SIZE_MAX || m_closeAfterReply)
                end = true;
        }
        if (end || (r != zor::net::DecodeResult::NeedMore && r != zor::net::DecodeResult::Frame)) break;
    }
}

std::vector<unsigned char> Session::ErrorForm(int32_t version, int32_t command, int32_t code) {
    WireWriter w;
    w.I32(version == 1 || version == 2 ? version : 1);
    w.I32(0);
    w.I32(1);
    w.I32(command);
    w.I32(code);
    return std::move(w.Out());
}

std::vector<unsigned char> Session::Reply(const RequestHeader& h, const char* sig, int32_t status,
                                          const std::vector<unsigned char>& payload, bool offer) {
    WireWriter w;
    w.I32(h.version);
    w.I32(h.command);
    w.Field(sig, std::strlen(sig));
    w.I32(status);
    if (h.version == 2) {
        w.U8(offer ? 1 : 0);
        if (offer) w.U8(1);
        w.U8(0);  // no message text
    }
    w.Bytes(payload.data(), payload.size());
    return std::move(w.Out());
}

std::vector<unsigned char> Session::Answer(const RequestHeader& h, int32_t status,
                                           std::initializer_list<WireField> fields) {
    const CommandShape* shape = zor::net::FindCommandShape(h.command);
    WireWriter body;
    // A refusal carries no fields; an answer carries those of the reply's signature, or the
    // handler and the table disagree, which no client could read.
    if (fields.size() &&
        !zor::net::WriteFields(shape->reply, fields.begin(), fields.size(),
                               [&](const void* p, size_t n) { body.Bytes(p, n); }))
        return ErrorForm(h.version, h.command, ZOR_NET_SRV_ERROR_PROCESSED);
    return Reply(h, shape->reply, status, body.Out());
}

std::vector<unsigned char> Session::Handle(const unsigned char* data, size_t size) {
    WireReader r(data, size);
    RequestHeader h;
    if (!zor::net::ReadRequestHeader(r, h)) {
        const int32_t v = size >= 4 ? zor::net::LoadI32(data) : 1;
        if (v != 1 && v != 2) return ErrorForm(1, size >= 8 ? zor::net::LoadI32(data + 4) : 0, ZOR_SOCK_MISSED_VERSION);
        return ErrorForm(v, size >= 8 ? zor::net::LoadI32(data + 4) : 0, ZOR_SOCK_MISSED_FUNCT_PARAM);
    }
    if (h.version != 1 && h.version != 2) return ErrorForm(1, h.command, ZOR_SOCK_MISSED_VERSION);
    if (h.version == 2 && m_server.Faults().Version1Only()) return ErrorForm(1, h.command, ZOR_SOCK_MISSED_VERSION);
    const CommandShape* shape = zor::net::FindCommandShape(h.command);
    if (!shape) return ErrorForm(h.version, h.command, ZOR_SOCK_MISSED_COMMAND);
    if (h.signature != shape->request) return ErrorForm(h.version, h.command, ZOR_SOCK_MISSED_FUNCT_PARAM);
    const auto fail = [&](int32_t status) { return Answer(h, status); };
    // The request's fields, read where the handlers read them: a refusal for the caller comes first.
    WireField args[zor::net::kMaxFields];
    const auto badArgs = [&] { return !zor::net::ReadFields(shape->request, r, args); };
    if (h.command == zor::net::kCmdBaseList) {
        const auto names = m_server.DatabaseNames();
        WireWriter body;
        body.Bytes(kBaseListSignature, sizeof kBaseListSignature);
        body.I32(static_cast<int32_t>(names.size()));
        for (const auto& name : names) {
            std::string cp;
            zor::Utf8ToCp1251(name, cp);
            body.Field(cp.c_str(), cp.size() + 1);
        }
        return Answer(h, names.empty() ? ZOR_NET_BO_BASE_LIST_EMPTY : 0,
                      {WireField::Of(body.Out().data(), body.Out().size())});
    }
    if (h.command == zor::net::kCmdLogin) {
        if (badArgs()) return ErrorForm(h.version, h.command, ZOR_SOCK_MISSED_FUNCT_PARAM);
        return Login(h, args[0]);
    }
    // Everything else answers a logged-in user only, through his gate.
    if (!m_loggedIn || !m_access) return fail(ZOR_NET_SRV_NOT_CONNECT);
    // Other sessions may have changed rights since the last request.
    if (m_access) m_access->Forget();
    if (shape->caller == Caller::Administrator && !m_access->Administrator()) return fail(ZOR_NET_SRV_ACCESS_DENY);
    AccessView& gate = *m_access;
    if (badArgs()) return ErrorForm(h.version, h.command, ZOR_SOCK_MISSED_FUNCT_PARAM);
    switch (h.command) {
    case zor::net::kCmdDisconnect:
        m_closeAfterReply = true;
        return Answer(h, 0);
    case zor::net::kCmdTest: return Answer(h, 0, {args[0]});
    case zor::net::kCmdServerDateTime: {
        const double d = zor::TimeToOleDate(std::time(nullptr));
        return Answer(h, 0, {WireField::Of(&d, sizeof d)});
    }
    case zor::net::kCmdOperateOracleIndex:
        // SQLite keeps its indexes itself: switching one on or off has nothing to do.
        return fail(args[1].value == 0 || args[1].value == 1 ? 0 : ZOR_NET_SRV_MISSED_DATA);
    case zor::net::kCmdSaveChanges: {
        const WireField& p = args[0];
        if (p.size == 0) return Answer(h, 0, {WireField::Of(nullptr, 0)});  // the keep-alive
        if (m_readOnly) return fail(m_status74or134);
        CzorStepData* scratch = Scratch();
        if (!scratch) return fail(ZOR_NET_SRV_ZORAPIERR_DICT_FILE_NOT_OPEN);
        std::vector<unsigned char> body;
        const int32_t status = ApplySave(m_db, *scratch, p.data, p.size, m_hasToken ? &m_token : nullptr, body, gate);
        if (status) return fail(status);
        return Answer(h, 0, {WireField::Of(body.data(), body.size())});
    }
    case zor::net::kCmdTestUniqueAttrValues:
    case zor::net::kCmdFindInstances: {
        CzorStepData* scratch = Scratch();
        if (!scratch) return fail(ZOR_NET_SRV_ZORAPIERR_DICT_FILE_NOT_OPEN);
        std::vector<unsigned char> body;
        const bool test = h.command == zor::net::kCmdTestUniqueAttrValues;
        ReadSnapshot snapshot(m_db);
        const int32_t status = AnswerFind(m_db, *scratch, args[0].data, args[0].size, test, body, gate);
        if (status || test) return fail(status);
        return Answer(h, 0, {WireField::Of(body.data(), body.size())});
    }
    case zor::net::kCmdWriteLog: return WriteLog(h, args[0]);
    case zor::net::kCmdLoad: return Load(h, args[0], gate);
    case zor::net::kCmdLoadDelInst: return LoadDeleted(h, gate);
    case zor::net::kCmdQueryExecute: {
        CzorStepData* scratch = Scratch();
        if (!scratch) return fail(ZOR_NET_SRV_ZORAPIERR_DICT_FILE_NOT_OPEN);
        std::vector<unsigned char> data;
        ReadSnapshot snapshot(m_db);
        const int32_t status = AnswerQuery(m_db, *scratch, args[0].data, args[0].size, data, gate);
        if (status) return fail(status);
        return Answer(h, 0, {WireField::Of(data.data(), data.size())});
    }
    case zor::net::kCmdDictionary: return Dictionary(h);
    case zor::net::kCmdActiveUserList: return ActiveUsers(h, gate);
    case zor::net::kCmdSetGroupAccess:
    case zor::net::kCmdGetGroupAccess:
    case zor::net::kCmdInstUserDataTimeInfo:
    case zor::net::kCmdUsersLog: return Access(h, args[0], gate);
    case zor::net::kCmdOpenBlob:
    case zor::net::kCmdWriteBlobPortion:
    case zor::net::kCmdReadBlobPortion:
    case zor::net::kCmdEndBlobWrite:
    case zor::net::kCmdEndBlobRead: return Blob(h, args, gate);
    default: return ErrorForm(h.version, h.command, ZOR_SOCK_MISSED_COMMAND);
    }
}

std::vector<unsigned char> Session::Login(const RequestHeader& h, const WireField& field) {
    const unsigned char* block = field.data;
    const size_t n = field.size;
    std::vector<unsigned char> reply(zor::net::kLoginBlockSize, 0);
    int32_t status = 0;
    std::string user, password, database;
    {
        std::lock_guard lock(m_publishMutex);
        m_publishedUser = 0;
        m_publishedDb.clear();
    }
    LogLogout();
    m_loggedIn = false;
    m_access.reset();
    if (n != zor::net::kLoginBlockSize) {
        status = ZOR_NET_SRV_MISSED_DATA;
    } else {
        std::memcpy(reply.data(), block, zor::net::kLoginBlockSize);
        if (!FixedText(block + zor::net::kLoginUserOffset, zor::net::kLoginTextSize, user) ||
            !FixedText(block + zor::net::kLoginPasswordOffset, zor::net::kLoginTextSize, password) ||
            !FixedText(block + zor::net::kLoginDatabaseOffset, zor::net::kLoginTextSize, database))
            status = ZOR_NET_SRV_MISSED_DATA;
    }
    if (!status) {
        const std::string path = m_server.DatabasePath(database);
        if (path.empty() || !m_db.Open(path)) status = ZOR_NET_SRV_MISSED_NAME_BASE;
        else if (path != m_dbPath) {
            m_dbPath = path;
            m_blobs = std::make_unique<BlobTransfer>(BlobTransfer::FolderOf(path));
            m_blobs->Serve(kDictionaryServerName, DictionaryFile());
        }
    }
    std::optional<UserRecord> found;
    if (!status) {
        WaitBeforeLoginCheck(user);
        found = m_db.FindUser(user);
        // Checked against the kept form even for a name that names nobody, so that the time a
        // refusal takes does not tell which names exist.
        const bool good = found ? m_db.CheckLogin(*found, LoginPassword(password)) : (HashPassword(password), false);
        if (!good) {
            status = ZOR_NET_SRV_UNKNOWN_USER;
            if (CountRefusal(user) && !m_db.IsReadOnly())
                WriteUserLog(m_db, found ? found->id : 0, LoggedName(user), kLogRefused,
                             zor::TimeToOleDate(std::time(nullptr)), 0);
        }
    }
    if (!status || status == ZOR_NET_SRV_ZORAPIERR_FILE_BD_READ_ONLY) {
        m_loggedIn = true;
        m_userId = found->id;
        m_readOnly = m_db.IsReadOnly() || found->readOnly;
        status = m_db.IsReadOnly() ? ZOR_NET_SRV_ZORAPIERR_FILE_BD_READ_ONLY
                                   : found->readOnly ? ZOR_NET_SRV_USER_READ_ONLY : 0;
        m_status74or134 = status;
        zor::net::StoreI32(reply.data() + zor::net::kLoginUserIdOffset, m_userId);
        m_userName = user;
        m_loginTime = zor::TimeToOleDate(std::time(nullptr));
        m_access = std::make_unique<AccessView>(m_db, m_userId, found->group, m_readOnly);
        if (!m_db.IsReadOnly()) WriteUserLog(m_db, m_userId, user, kLogLogin, m_loginTime, 0);
        std::lock_guard lock(m_publishMutex);
        m_publishedUser = m_userId;
        m_publishedDb = m_dbPath;
    }
    // The block, then the tail that says this server can search in blobs, both inside the length.
    WireWriter w;
    w.Bytes(reply.data(), reply.size());
    w.I32(4);
    w.I32(1);
    return Answer(h, status, {WireField::Of(w.Out().data(), w.Out().size())});
}

void Session::WaitBeforeLoginCheck(const std::string& user) {
    const double delay = m_server.Throttle().Delay(LoggedName(user), m_address, LoginThrottle::Now());
    // No lock or work slot is held while waiting; a stopping server does not wait for it.
    SlotGivenUp waiting;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(delay));
    for (Clock::time_point now = Clock::now(); !m_stop && now < until; now = Clock::now())
        std::this_thread::sleep_for(std::min<Clock::duration>(std::chrono::milliseconds(50), until - now));
}

bool Session::CountRefusal(const std::string& user) {
    // The third wrong guess on one connection ends it; the client's login dialog connects anew.
    if (++m_refusals >= kRefusalsPerConnection) m_closeAfterReply = true;
    return m_server.Throttle().Refused(LoggedName(user), m_address, LoginThrottle::Now());
}

bool Session::ActiveUser(std::string& dbPath, int32_t& userId) {
    std::lock_guard lock(m_publishMutex);
    if (!m_publishedUser) return false;
    dbPath = m_publishedDb;
    userId = m_publishedUser;
    return true;
}

void Session::LogLogout() {
    if (!m_loggedIn || m_db.IsReadOnly()) return;
    WriteUserLog(m_db, m_userId, m_userName, kLogLogout, zor::TimeToOleDate(std::time(nullptr)), m_loginTime);
    m_loggedIn = false;
}

std::vector<unsigned char> Session::ActiveUsers(const RequestHeader& h, AccessView& gate) {
    std::vector<LoadQuery> queries;
    for (int32_t id : m_server.ActiveUsers(m_dbPath)) {
        LoadQuery q;
        q.pos = static_cast<int32_t>(queries.size());
        q.type = 'a';
        q.id = id;
        queries.push_back(q);
    }
    return AnswerLoadQueries(h, queries, gate);
}

std::vector<unsigned char> Session::Access(const RequestHeader& h, const WireField& request, AccessView& gate) {
    const auto fail = [&](int32_t status) { return Answer(h, status); };
    const unsigned char* body = request.data;
    const size_t n = request.size;
    CzorStepData* scratch = Scratch();
    if (!scratch) return fail(ZOR_NET_SRV_ZORAPIERR_DICT_FILE_NOT_OPEN);
    std::vector<unsigned char> data;
    int32_t status = 0;
    switch (h.command) {
    case zor::net::kCmdSetGroupAccess:
        if (m_readOnly) return fail(m_status74or134);
        return fail(ApplySetAccess(m_db, *scratch, gate, body, n));
    case zor::net::kCmdGetGroupAccess:
        status = AnswerGetAccess(m_db, *scratch, gate, body, n, data);
        break;
    case zor::net::kCmdInstUserDataTimeInfo:
        status = AnswerHistory(m_db, gate, body, n, data);
        break;
    default: status = AnswerUsersLog(m_db, data); break;
    }
    if (status) return fail(status);
    return Answer(h, 0, {WireField::Of(data.data(), data.size())});
}

std::vector<unsigned char> Session::WriteLog(const RequestHeader& h, const WireField& body) {
    WireReader b(body.data, body.size);
    const unsigned char* sig = nullptr;
    const unsigned char* first = nullptr;
    const unsigned char* second = nullptr;
    int32_t n1 = 0, n2 = 0, flag = 0;
    const auto reply = [&](int32_t status) { return Answer(h, status); };
    if (!b.Bytes(sizeof kLogSignature, sig) || std::memcmp(sig, kLogSignature, sizeof kLogSignature) != 0 ||
        !b.Field(first, n1) || !b.Field(second, n2) || !b.I32(flag) || n1 < 1 || n2 < 1 ||
        first[n1 - 1] != 0 || second[n2 - 1] != 0)
        return reply(ZOR_NET_SRV_MISSED_DATA);
    if (m_readOnly) return reply(m_status74or134);
    const auto text = [](const unsigned char* p, int32_t len) {
        return zor::Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(p), static_cast<size_t>(len - 1)));
    };
    return reply(m_db.WriteLog(m_userId, text(first, n1), text(second, n2), flag) ? 0 : ZOR_NET_SRV_ERROR_PROCESSED);
}

std::string Session::DictionaryFile() const {
    const std::string& d = m_server.Options().dictionary;
    return d.empty() ? zor::InstalledDictDir() + "quillmark.dict" : d;
}

CzorStepData* Session::Scratch() {
    if (!m_scratch) {
        auto store = std::make_unique<CzorStepData>();
        store->SetErorPrintMode(false);
        store->SetErrorMessageMode(false);
        if (!store->LoadDictionaryFromFile(DictionaryFile().c_str())) return nullptr;
        m_scratch = std::move(store);
    }
    return m_scratch.get();
}

std::vector<unsigned char> Session::Load(const RequestHeader& h, const WireField& body, AccessView& gate) {
    std::vector<LoadQuery> queries;
    if (!ParseLoadRequest(body.data, body.size, queries, nullptr)) return Answer(h, ZOR_NET_SRV_MISSED_BUF_FORMAT);
    return AnswerLoadQueries(h, queries, gate);
}

std::vector<unsigned char> Session::AnswerLoadQueries(const RequestHeader& h, const std::vector<LoadQuery>& queries,
                                                      AccessView& gate) {
    const auto fail = [&](int32_t status) { return Answer(h, status); };
    CzorStepData* scratch = Scratch();
    if (!scratch) return fail(ZOR_NET_SRV_ZORAPIERR_DICT_FILE_NOT_OPEN);
    std::vector<unsigned char> data;
    ReadSnapshot snapshot(m_db);
    const int32_t status = AnswerLoad(m_db, *scratch, queries, data, gate);
    scratch->ClearData();
    if (status) return fail(status);
    return Answer(h, 0, {WireField::Of(data.data(), data.size())});
}

std::vector<unsigned char> Session::LoadDeleted(const RequestHeader& h, AccessView& gate) {
    const auto fail = [&](int32_t status) { return Answer(h, status); };
    CzorStepData* scratch = Scratch();
    if (!scratch) return fail(ZOR_NET_SRV_ZORAPIERR_DICT_FILE_NOT_OPEN);
    std::vector<unsigned char> data;
    const int32_t status = AnswerDeleted(m_db, *scratch, gate, data);
    scratch->ClearData();
    if (status) return fail(status);
    return Answer(h, 0, {WireField::Of(data.data(), data.size())});
}

// The dictionary's path for a direct load and the name of the served file (dictionary_file.h).
std::vector<unsigned char> Session::Dictionary(const RequestHeader& h) {
    const DictionaryReply d = DescribeDictionary(DictionaryFile());
    std::string path, name;
    // A path the code page cannot carry is not offered: the client downloads the file instead.
    if (!zor::Utf8ToCp1251(d.directPath, path)) path.clear();
    zor::Utf8ToCp1251(d.serverName, name);
    if (path.empty() && name.empty()) return Answer(h, ZOR_NET_SRV_ZORAPIERR_DICT_FILE_NOT_OPEN);
    return Answer(h, 0, {WireField::Of(path.c_str(), path.size() + 1), WireField::Of(name.c_str(), name.size() + 1)});
}

std::vector<unsigned char> Session::Blob(const RequestHeader& h, const WireField* args, AccessView& gate) {
    const auto reply = [&](int32_t status) { return Answer(h, status); };
    if (!m_blobs) return reply(ZOR_NET_SRV_BLOB_NOT_DEFINE);
    switch (h.command) {
    case zor::net::kCmdOpenBlob: {
        // The client's name, the portion size and the total size the client gives are not needed.
        const auto* name = reinterpret_cast<const char*>(args[0].data);
        const std::string serverName(name, strnlen(name, args[0].size));
        // A read-only session may read blobs, not write new ones.
        if (serverName.empty() && m_readOnly) return reply(m_status74or134);
        // Another blob's contents only for a user who may read an instance naming it (the served
        // files are everyone's).
        if (!serverName.empty() && !m_blobs->IsServed(serverName))
            if (const int32_t refused = gate.MayReadBlob(serverName)) return reply(refused);
        std::string out;
        int32_t total = 0;
        const int32_t status = m_blobs->Open(serverName, out, total);
        if (status) return reply(status);
        return Answer(h, 0, {WireField::Of(out.c_str(), out.size() + 1), WireField::Int(total)});
    }
    case zor::net::kCmdWriteBlobPortion: {
        const int32_t last = args[1].value;
        const std::string name = m_blobs->Writing() ? m_blobs->Name() : std::string();
        const int32_t status = m_blobs->Write(args[0].data, args[0].size, last != 0);
        // Until an instance names it, a new blob is its writer's alone.
        if (!status && last && !name.empty()) gate.NoteBlobWritten(name);
        return reply(status);
    }
    case zor::net::kCmdReadBlobPortion: {
        std::vector<unsigned char> data;
        bool last = false;
        const int32_t status = m_blobs->Read(args[0].value, data, last);
        if (status) return reply(status);
        return Answer(h, 0, {WireField::Of(data.data(), data.size()), WireField::Int(last ? 1 : 0)});
    }
    case zor::net::kCmdEndBlobWrite: {
        if (m_readOnly && m_blobs->Active()) {
            m_blobs->Abandon();
            return reply(m_status74or134);
        }
        // Deleting a blob needs the right to change every instance that names it.
        const std::string name = m_blobs->OpenedBlob() ? m_blobs->Name() : std::string();
        if (!name.empty())
            if (const int32_t refused = gate.MayChangeBlob(name)) {
                m_blobs->Abandon();
                return reply(refused);
            }
        const int32_t status = m_blobs->EndWrite();
        if (!status && !name.empty()) gate.NoteBlobDeleted(name);
        return reply(status);
    }
    default: return reply(m_blobs->EndRead());
    }
}

}  // namespace zor::appserver
