#pragma once
// Every command of the protocol as a test row: how to call its request function, the request
// payload it must send (written by hand from the protocol's tables) and a valid reply payload. The
// signatures are the command table's (commands.h), so a command is described once.
#include <functional>
#include <string>
#include <vector>

#include "zorStepData/CzorData_Client/tests/scripted_peer.h"
#include "zorStepData/CzorData_Client/transport_client.h"

namespace zor::test {

struct CommandRow {
    int code;
    Bytes requestPayload;  // after the header (and the version-2 trailer)
    Bytes replyPayload;
    std::function<bool(CTransportSocketClient&, int& status)> call;
    std::string requestSig = zor::net::FindCommandShape(code)->request;
    std::string replySig = zor::net::FindCommandShape(code)->reply;
};

inline CzorDataBuf BufOf(const Bytes& b) {
    CzorDataBuf buf;
    buf.Add(b.data(), b.size());
    return buf;
}

inline std::vector<CommandRow> CommandRows() {
    const Bytes body = {1, 2, 3};
    const Bytes lbReply = Cat({Le({2}), {7, 8}});
    auto withBody = [body](auto fn) {
        return [body, fn](CTransportSocketClient& c, int& st) {
            CzorDataBuf b = BufOf(body), r;
            return (c.*fn)(st, b, r);
        };
    };
    auto bodyOnly = [body](auto fn) {
        return [body, fn](CTransportSocketClient& c, int& st) {
            CzorDataBuf b = BufOf(body);
            return (c.*fn)(st, b);
        };
    };
    auto replyOnly = [](auto fn) {
        return [fn](CTransportSocketClient& c, int& st) {
            CzorDataBuf r;
            return (c.*fn)(st, r);
        };
    };
    auto none = [](auto fn) { return [fn](CTransportSocketClient& c, int& st) { return (c.*fn)(st); }; };
    const Bytes lbBody = Cat({Le({3}), body});
    using C = CTransportSocketClient;
    return {
        {12, {}, lbReply, replyOnly(&C::RequestBaseList)},
        {20, {}, {}, none(&C::RequestEndBlobWrite)},
        {21, {}, {}, none(&C::RequestEndBlobRead)},
        {22, Le({16}), Cat({Le({3}), {1, 2, 3}, Le({1})}),
         [](C& c, int& st) {
             unsigned char dest[16];
             int count = 16, last = 0;
             return c.RequestReadBlobPortion(st, count, dest, last);
         }},
        {23, Cat({Le({3}), Str("abc"), Le({1})}), {},
         [](C& c, int& st) { return c.RequestWriteBlobPortion(st, 3, "abc", 1); }},
        {24, Cat({Le({4}), Str(std::string("srv") + '\0'), Le({3}), Str("cli"), Le({100, 200})}),
         Cat({Le({2}), Str("ab"), Le({999})}),
         [](C& c, int& st) {
             char server[4] = {'s', 'r', 'v', 0};
             int serverLen = 4, portion = 100, total = 200;
             return c.RequestOpenBlob(st, serverLen, server, 3, "cli", &portion, &total);
         }},
        {27, {}, lbReply, replyOnly(&C::RequestLoadDelInst)},
        {28, {}, Bytes(8, 0x40),
         [](C& c, int& st) {
             double d = 0;
             return c.RequestServerDateTime(st, &d);
         }},
        {29, {}, lbReply, replyOnly(&C::RequestActiveUserList)},
        {31, lbBody, lbReply, withBody(&C::RequestSaveChanges)},
        {32, lbBody, lbReply, withBody(&C::RequestQueryExecute)},
        {33, lbBody, {}, bodyOnly(&C::RequestSetGroupAccess)},
        {34, lbBody, lbReply, withBody(&C::RequestGetGroupAccess)},
        {35, {}, Cat({Le({2}), Str("ab"), Le({1}), Str("c")}),
         [](C& c, int& st) {
             std::vector<char> a(4096), b(32768);
             int la = 0, lb = 0;
             return c.RequestDictionary(st, la, a.data(), lb, b.data());
         }},
        {36, lbBody, {}, bodyOnly(&C::RequestTestUniqueAttrValues)},
        {37, lbBody, lbReply, withBody(&C::RequestFindInstances)},
        {38, Le({5, 1}), {}, [](C& c, int& st) { return c.RequestOperateOracleIndex(st, 5, 1); }},
        {39, lbBody, lbReply, withBody(&C::RequestTest)},
        {40, lbBody, lbReply, withBody(&C::RequestInstUserDataTimeInfo)},
        {41, {}, {}, none(&C::RequestDisconnect)},
        {42, {}, lbReply, replyOnly(&C::RequestUsersLog)},
        {43, lbBody, lbReply, withBody(&C::RequestLoad)},
        {44, lbBody, {}, bodyOnly(&C::RequestWriteLog)},
    };
}

// A normal-form reply in the given version.
inline Bytes NormalReply(int version, int command, const std::string& sig, int status, const Bytes& payload,
                         int offer = -1) {
    Bytes out = Cat({Le({version, command, static_cast<int32_t>(sig.size())}), Str(sig), Le({status})});
    if (version == 2) {
        if (offer >= 0) out.insert(out.end(), {1, static_cast<unsigned char>(offer)});
        else out.push_back(0);
        out.push_back(0);
    }
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

inline int32_t CommandOf(const Bytes& request) { return request.size() >= 8 ? zor::net::LoadI32(request.data() + 4) : 0; }
inline int32_t VersionOf(const Bytes& request) { return request.size() >= 4 ? zor::net::LoadI32(request.data()) : 0; }

}  // namespace zor::test
