#pragma once
// The commands of the protocol, one row each: its code, the type signatures of its request and its
// reply, how the client sends it and whom the server answers. The server's decoder, the client's
// request functions and the tests all read this table; adding a command is a row here, its handler
// in the server and its request function in the client.
//
// A type signature names a body's fields in order: "l" an int32, "lb" an int32 count and that many
// bytes, a bare "b" the 8 bytes of a date-time value (wire.h reads and writes them: ReadFields,
// WriteFields). Peers compare signatures for equality only.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zor::net {

// The protocol's command codes.
enum Command : int32_t {
    kCmdBaseList = 12, kCmdEndBlobWrite = 20, kCmdEndBlobRead = 21, kCmdReadBlobPortion = 22,
    kCmdWriteBlobPortion = 23, kCmdOpenBlob = 24, kCmdLogin = 25, kCmdLoadDelInst = 27, kCmdServerDateTime = 28,
    kCmdActiveUserList = 29, kCmdSaveChanges = 31, kCmdQueryExecute = 32, kCmdSetGroupAccess = 33,
    kCmdGetGroupAccess = 34, kCmdDictionary = 35, kCmdTestUniqueAttrValues = 36, kCmdFindInstances = 37,
    kCmdOperateOracleIndex = 38, kCmdTest = 39, kCmdInstUserDataTimeInfo = 40, kCmdDisconnect = 41,
    kCmdUsersLog = 42, kCmdLoad = 43, kCmdWriteLog = 44,
};

// Whom the server answers. The strictest comes first, so a row that says nothing answers
// administrators only. Only the database list and the login itself answer before a login.
enum class Caller : uint8_t { Administrator = 0, Anyone, LoggedIn };

// How the client sends a command: the request procedure with the repetition the server offers, or
// a single attempt whose status the caller judges.
enum class Attempts : uint8_t { Repeat, Single };

struct CommandShape {
    int32_t code;
    const char* request;
    const char* reply;
    Caller caller;
    Attempts attempts = Attempts::Repeat;
    // The socket client's call flags: the wait window may open; a lost connection starts a reconnection.
    bool waitWindow = true;
    bool reconnect = true;
};

inline constexpr CommandShape kCommandShapes[] = {
    {kCmdBaseList, "", "lb", Caller::Anyone},
    // A single attempt that falls back to version 1 (transport_client RequestLogin); it never reconnects.
    {kCmdLogin, "lb", "lb", Caller::Anyone, Attempts::Single, true, false},
    {kCmdServerDateTime, "", "b", Caller::LoggedIn},
    // The keep-alive sends it with an empty body as a single attempt; a save opens no wait window.
    {kCmdSaveChanges, "lb", "lb", Caller::LoggedIn, Attempts::Repeat, false, true},
    {kCmdOperateOracleIndex, "ll", "", Caller::LoggedIn, Attempts::Single},
    // The body comes back whatever the status.
    {kCmdTest, "lb", "lb", Caller::LoggedIn, Attempts::Single},
    {kCmdDisconnect, "", "", Caller::LoggedIn, Attempts::Single},
    {kCmdWriteLog, "lb", "", Caller::LoggedIn},
    {kCmdLoad, "lb", "lb", Caller::LoggedIn},
    {kCmdDictionary, "", "lblb", Caller::LoggedIn},
    {kCmdLoadDelInst, "", "lb", Caller::LoggedIn},
    {kCmdOpenBlob, "lblbll", "lbl", Caller::LoggedIn},
    {kCmdWriteBlobPortion, "lbl", "", Caller::LoggedIn},
    {kCmdReadBlobPortion, "l", "lbl", Caller::LoggedIn},
    {kCmdEndBlobWrite, "", "", Caller::LoggedIn},
    {kCmdEndBlobRead, "", "", Caller::LoggedIn},
    {kCmdTestUniqueAttrValues, "lb", "", Caller::LoggedIn, Attempts::Single},
    {kCmdFindInstances, "lb", "lb", Caller::LoggedIn},
    {kCmdQueryExecute, "lb", "lb", Caller::LoggedIn},
    // Who is logged in, and when everyone logged in or failed to: the administrators' business.
    {kCmdActiveUserList, "", "lb", Caller::Administrator},
    {kCmdSetGroupAccess, "lb", "", Caller::LoggedIn},
    {kCmdGetGroupAccess, "lb", "lb", Caller::LoggedIn},
    {kCmdInstUserDataTimeInfo, "lb", "lb", Caller::LoggedIn},
    {kCmdUsersLog, "", "lb", Caller::Administrator},
};

// The row of a code; null for a command this protocol does not have.
constexpr const CommandShape* FindCommandShape(int32_t code) {
    for (const CommandShape& c : kCommandShapes)
        if (c.code == code) return &c;
    return nullptr;
}

// The row of one of our own commands (every Command has one).
constexpr const CommandShape& ShapeOf(Command code) { return *FindCommandShape(code); }

// The most fields a signature of the table names.
constexpr size_t kMaxFields = 4;

// The number of fields a signature names ("lb" is one field).
constexpr size_t FieldCount(std::string_view signature) {
    size_t n = 0;
    for (size_t i = 0; i < signature.size(); ++i, ++n)
        if (signature[i] == 'l' && i + 1 < signature.size() && signature[i + 1] == 'b') ++i;
    return n;
}

// Each code once, signatures of "l" and "b" only, within kMaxFields: checked as the table compiles.
constexpr bool CommandTableIsSound() {
    for (const CommandShape& c : kCommandShapes) {
        if (FindCommandShape(c.code) != &c) return false;
        for (std::string_view sig : {std::string_view(c.request), std::string_view(c.reply)}) {
            if (FieldCount(sig) > kMaxFields) return false;
            for (char ch : sig)
                if (ch != 'l' && ch != 'b') return false;
        }
    }
    return true;
}
static_assert(CommandTableIsSound());

}  // namespace zor::net
