#pragma once
// One database of our application server: an SQLite file in WAL mode, so that sessions read while
// one writes, and every change a request makes is one transaction, or one savepoint of a
// transaction that several sessions' saves share (a killed server loses no acknowledged change and
// never keeps half of one).
//
// Tables: meta (settings of the database), instances (id above 3900, entity name, the values in
// the store's value encoding; indexed by id and by entity), deleted (the instances a save removed,
// with the values they had, who removed them and when; their ids are never given again), blobs, log. Users and groups are
// instances of zor_user and zor_workgroup; the built-in user 3902 "Administrator" is in group 3901.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace zor::appserver {

class WriteGroup;

constexpr int32_t kFirstInstanceId = 3901;
constexpr int32_t kAdminGroupId = 3901;
constexpr int32_t kAdminUserId = 3902;

// access_mode of a user row: every right, or view and print only (a read-only user).
constexpr int kAccessFull = 15;
constexpr int kAccessReadOnly = 3;

struct InstanceRow {
    int32_t id = 0;
    std::string entity;
    std::vector<unsigned char> data;
};

struct UserRecord {
    int32_t id = 0;
    std::string name;  // UTF-8
    int32_t group = 0;
    bool readOnly = false;
};

class ServerDatabase {
public:
    ServerDatabase() = default;
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    // Creates a new database file (0600) with the built-in group and administrator.
    static bool Create(const std::string& path, std::string* error = nullptr, const std::string& adminPassword = {});
    // Opens an existing database. A file the process may not write opens read-only.
    bool Open(const std::string& path, std::string* error = nullptr);
    bool IsOpen() const { return m_db != nullptr; }
    bool IsReadOnly() const { return m_readOnly; }
    // Checks the database ("ok" when sound).
    std::string IntegrityCheck();

    // Marks the database read-only for every session (or clears the mark).
    bool SetReadOnlyFlag(bool on);

    std::optional<UserRecord> FindUser(const std::string& name);
    // Adds the user (in no group unless `admin`, which puts him into the administrators' group) or
    // changes the password of the one of that name, and read-only and group only when given.
    bool SetUser(const std::string& name, const std::string& password, std::optional<bool> readOnly = {},
                 std::optional<bool> admin = {});
    // True when the password (as the login carries it, unscrambled) is the user's.
    bool CheckLogin(const UserRecord& user, const std::string& password);
    // Inside a transaction: the user's new password.
    bool PutPassword(int32_t userId, const std::string& password);
    // Passwords still kept in user rows (databases of older servers, imported store files) become
    // kept forms, in one transaction; the rows, live and deleted, lose them.
    bool ConvertPasswords();
    // The database says its passwords are kept hashed (it was converted, or made so).
    bool PasswordsKept();

    // One client log entry, one transaction.
    bool WriteLog(int32_t userId, const std::string& first, const std::string& second, int32_t flag);
    int64_t CountLog();

    // Instances (values in the store's value encoding).
    bool PutInstance(int32_t id, const std::string& entity, const std::vector<unsigned char>& data);
    std::optional<std::vector<unsigned char>> GetInstance(int32_t id, std::string* entity = nullptr);
    std::vector<int32_t> Extent(const std::string& entity);
    // Adds rows in one transaction (all or none).
    bool PutInstances(const std::vector<InstanceRow>& rows);
    // The rows of one entity in id order, in one statement; stops (false) when visit says so.
    bool ForEachInstanceOf(const std::string& entity, const std::function<bool(const InstanceRow&)>& visit);
    // Every row in id order; stops (false) when visit says so.
    bool ForEachInstance(const std::function<bool(const InstanceRow&)>& visit);
    int32_t NextInstanceId();

    // Removes the instances of these ids and keeps them, with their values, among the deleted ones
    // (one transaction; ids that name no instance are passed over).
    bool DeleteInstances(const std::vector<int32_t>& ids, int32_t userId);
    // The deleted instances in the order they were deleted; stops (false) when visit says so.
    bool ForEachDeletedInstance(const std::function<bool(const InstanceRow&)>& visit);

    // ---- Saving (save.cpp): the tables a save needs, its own and those of rights and history,
    // made once per database and looked for once per connection (false when the database cannot
    // take them, for example a read-only one).
    bool EnsureSaveSchema();
    // Runs work as one transaction (BEGIN IMMEDIATE ... COMMIT; rolled back unless work succeeds and
    // the commit with it). The handle is for the work's own statements.
    bool InTransaction(const std::function<bool()>& work);
    // The same for a save: work runs in a transaction it may share with the saves of other
    // sessions queued with it (write_turn.h), in a savepoint of its own, so that what it did is
    // taken back alone when it fails. True only once the shared transaction is committed and
    // synced. Work may run on another session's thread, with Handle() the shared connection
    // meanwhile: it must touch nothing of this session's but its own data and this database.
    bool InSharedTransaction(const std::function<bool()>& work);
    // Inside such a transaction: the reply recorded for a token; recording one; n new instance
    // ids in a row (the first, or 0 on failure); writing and deleting an instance row.
    std::optional<std::vector<unsigned char>> FindSaveReply(uint64_t token);
    bool RecordSaveReply(uint64_t token, const std::vector<unsigned char>& reply);
    int32_t TakeInstanceIds(int32_t n);
    bool WriteInstanceRow(int32_t id, const std::string& entity, const std::vector<unsigned char>& data);
    bool DeleteInstanceRow(int32_t id, int32_t userId);

    // The connection itself, for the tables of rights and history (access.cpp).
    sqlite3* Handle() { return m_db; }

private:
    bool Exec(const char* sql);
    bool HasDeletedTable();
    bool SwitchToWal();
    sqlite3* m_db = nullptr;
    bool m_readOnly = false;
    std::shared_ptr<WriteGroup> m_group;  // the writers of the same file
    bool m_saveSchema = false;            // EnsureSaveSchema found it
};

// One read transaction for the length of a request that only reads: its answer comes from one
// state of the database, and the connection's page cache lasts from one statement to the next (a
// statement that begins a transaction after another session's commit starts with an empty cache).
class ReadSnapshot {
public:
    explicit ReadSnapshot(ServerDatabase& db);
    ~ReadSnapshot();
    ReadSnapshot(const ReadSnapshot&) = delete;
    ReadSnapshot& operator=(const ReadSnapshot&) = delete;

private:
    sqlite3* m_db = nullptr;  // null: none was begun here
};

// Encodes and decodes a user instance's values (the password unset).
std::vector<unsigned char> EncodeUser(const UserRecord& user);
bool DecodeUser(const std::vector<unsigned char>& data, UserRecord& user);
// The password a user row of an older server holds (false when it holds none).
bool LegacyPassword(const std::vector<unsigned char>& data, std::string& password);

}  // namespace zor::appserver
