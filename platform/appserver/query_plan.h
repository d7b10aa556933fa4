#pragma once
// Which rows a request reads. Queries, searches, reference loads and the clearing of references
// to deleted instances start from the narrowest set of candidates the server's indexes
// (indexes.h) give, and then test each candidate with their full rule: the indexes choose what is
// read, never what is answered. Where nothing narrows (or a database has no indexes) the
// candidates are the whole extent, read as before.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/appserver/indexes.h"
#include "platform/zordata/query.h"

class CzorStepData;
class CzorEntity;
class CzorAttr;
class CzorInstance;
class CzorValue;
struct sqlite3_stmt;

namespace zor::appserver {

class ServerDatabase;
class AccessView;
struct InstanceRow;

// Thrown out of a query whose request was cut (request_budget.h).
struct RequestCutOff {};

// The instances a query works on, made in the scratch store as the query reaches them: an
// instance is known by its id and entity first, and its values are read when first asked for.
// What the user may not see is not there, as if the database did not hold it.
class QuerySource {
public:
    QuerySource(ServerDatabase& db, CzorStepData& store, AccessView* access,
                std::unordered_set<const CzorInstance*>& phantoms);
    ~QuerySource();
    QuerySource(const QuerySource&) = delete;
    QuerySource& operator=(const QuerySource&) = delete;

    // For the query tree: the instance of that id, or a phantom (one that nothing selects) when
    // the database has none the user may see.
    CzorInstance* ForTree(int32_t id);
    // The members of an extent the query defines, as the query's executor finds them.
    using ExtentMembers = std::function<const std::vector<CzorInstance*>&(CzorQLQuery::CzorQLExtent*)>;
    // The instances of entity and its subtypes that may meet cond (null: every one), with values.
    void Candidates(CzorEntity* entity, CzorQLQuery::CzorQLObject* cond, std::vector<CzorInstance*>& out,
                    const ExtentMembers& extentOf = nullptr);
    // Reads the instance's values (once).
    void Fill(CzorInstance* inst);
    // A row whose values did not read (the query answers as for a damaged database).
    bool Bad() const { return m_bad; }

private:
    CzorInstance* Known(int32_t id);
    CzorInstance* Make(int32_t id, const std::string& entity);
    void FillFrom(CzorInstance* inst, const std::vector<unsigned char>& data);
    std::optional<std::vector<int32_t>> Narrow(const std::vector<CzorEntity*>& kinds, CzorQLQuery::CzorQLObject* cond,
                                               int depth);

    ServerDatabase& m_db;
    CzorStepData& m_store;
    AccessView* m_access;
    std::unordered_set<const CzorInstance*>& m_phantoms;
    std::unordered_map<int32_t, CzorInstance*> m_byId;
    std::unordered_set<const CzorInstance*> m_filled;
    sqlite3_stmt* m_entityOf = nullptr;
    const ExtentMembers* m_extentOf = nullptr;
    bool m_indexed = false;
    bool m_bad = false;
};

// A value test the indexes can answer for one attribute.
struct IndexTest {
    const CzorAttr* attr = nullptr;
    ValueKey key;
};

// What a search criterion (attr_match.h) lets the indexes narrow to; none when it cannot.
std::optional<IndexTest> SearchIndexTest(const CzorAttr* attr, const CzorValue& want, bool pattern, int mode);

// The rows of one entity (not its subtypes) in id order that may pass the test (none: every row);
// stops (false) when visit says so or the request is cut.
bool ForEachCandidateRow(ServerDatabase& db, const CzorEntity& kind, const std::optional<IndexTest>& test,
                         const std::function<bool(const InstanceRow&)>& visit);

// The ids of the instances of entity (any when null, subtypes included) that may refer to target,
// ascending; false when the database has no indexes to say it (the caller reads every row).
bool ReferrerCandidates(ServerDatabase& db, CzorStepData& store, const CzorEntity* entity, int32_t target,
                        std::vector<int32_t>& ids);

// The rows that may refer to any of the targets, in id order (every row when the database has no
// indexes); false when a read fails, visit says stop or the request is cut.
bool ForEachReferrerRow(ServerDatabase& db, const std::unordered_set<int32_t>& targets,
                        const std::function<bool(const InstanceRow&)>& visit);

}  // namespace zor::appserver
