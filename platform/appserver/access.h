#pragma once
// Who may see, change and own each instance of a database, who created and last changed it, and
// the users' log of logins (access_rights.md describes the rules).
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class CzorStepData;
class CzorEntity;
class CzorInstance;
struct zorStepBufWriteOptions;

namespace zor::appserver {

class ServerDatabase;

enum AccessMode : int { kModeOwn = 0, kModeReadWrite = 1, kModeReadOnly = 2, kModeNoAccess = 3, kModeUnset = 4 };

// The default of an instance nobody set rights on (and of every new one).
constexpr int kDefaultAccessMode = kModeReadWrite;

// The kinds of users' log records (their last value).
enum UserLogEvent : int32_t { kLogLogin = 0, kLogLogout = 1, kLogRefused = 2 };

// The tables, made once per database (false on a database that cannot take them).
bool EnsureAccessSchema(ServerDatabase& db);

// The one point every answer of a logged-in session passes (access_rights.md): the effective
// modes of its user on instances, what he may do with blobs, and the writing of every instance a
// reply carries. Read from the database as asked and remembered until Forget (the session forgets
// before every request).
class AccessView {
public:
    AccessView(ServerDatabase& db, int32_t userId, int32_t groupId, bool readOnly = false);
    int Mode(int32_t instanceId);
    bool MayRead(int32_t instanceId) { return Mode(instanceId) != kModeNoAccess; }
    // User 3902 and the members of group 3901.
    bool Administrator() const { return m_all; }
    bool Owner() const { return m_all; }
    bool ReadOnly() const { return m_readOnly; }
    int32_t User() const { return m_user; }
    // Reads the modes of every instance at once (for requests that look at the whole database).
    void ReadAll();
    // Changes were written: what was remembered may be stale.
    void Forget() {
        m_cache.clear();
        m_complete = false;
        m_agentsKnown = false;
        m_agents.clear();
    }
    // An instance of users or groups that the database no longer holds (the deleted list).
    void NoteAgent(int32_t id) {
        LoadAgents();
        m_agents.insert(id);
    }
    // Users and groups (and what derives from them), whose instances only administrators change.
    static bool AgentEntity(const CzorEntity* entity);
    static bool AgentEntityName(const std::string& name);

    // Writes the reply buffer of these instances of the store: each with the user's mode as its
    // state (unless `states` is false) and no password among the values of any user.
    bool WriteInstances(CzorStepData& store, const std::vector<CzorInstance*>& instances,
                        const zorStepBufWriteOptions& options, std::vector<unsigned char>& reply, bool states = true);

    // Blobs follow the instances whose values name them; one that none names yet is its writer's.
    // 0, or the refusal (125).
    int32_t MayReadBlob(const std::string& name);
    int32_t MayChangeBlob(const std::string& name);
    void NoteBlobWritten(const std::string& name);
    void NoteBlobDeleted(const std::string& name);

private:
    int StoredMode(int32_t id);
    void LoadAgents();
    // The ids of the instances whose values name the blob.
    std::vector<int32_t> BlobReferrers(const std::string& name);
    int32_t BlobOwner(const std::string& name);

    ServerDatabase& m_db;
    int32_t m_user;
    int32_t m_group;
    bool m_all;
    bool m_readOnly;
    bool m_complete = false;  // every instance with rights is in the cache
    std::unordered_map<int32_t, int> m_cache;
    bool m_agentsKnown = false;
    std::unordered_set<int32_t> m_agents;
};

// Every instance of the store gets the user's mode on it as its state.
void SetAccessStates(AccessView& view, CzorStepData& store);

// Inside a save's transaction: the history and the rights of what it wrote.
bool RecordCreated(ServerDatabase& db, int32_t id, int32_t userId, double when);
bool RecordUpdated(ServerDatabase& db, int32_t id, int32_t userId, double when);
// The blob is the user's while no instance names it (he wrote it, or a save of his dropped it).
bool RecordBlobOwner(ServerDatabase& db, const std::string& name, int32_t userId);

// Command 33: applies a set body (one transaction). Returns the status.
int32_t ApplySetAccess(ServerDatabase& db, CzorStepData& scratch, AccessView& view, const unsigned char* data,
                       size_t size);
// Command 34: answers a get body.
int32_t AnswerGetAccess(ServerDatabase& db, CzorStepData& scratch, AccessView& view, const unsigned char* data,
                        size_t size, std::vector<unsigned char>& reply);
// Command 40: creator, creation, last updater and update of the instances asked.
// Instances the user may not see are answered as if nobody had made them.
int32_t AnswerHistory(ServerDatabase& db, AccessView& view, const unsigned char* data, size_t size,
                      std::vector<unsigned char>& reply);

// Command 42: the users' log; writing one record (texts UTF-8).
bool WriteUserLog(ServerDatabase& db, int32_t userId, const std::string& name, int32_t event, double when,
                  double since);
int32_t AnswerUsersLog(ServerDatabase& db, std::vector<unsigned char>& reply);

// The event texts of the log (UTF-8).
const char* UserLogEventText(int32_t event);

}  // namespace zor::appserver
