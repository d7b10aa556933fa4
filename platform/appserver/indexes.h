#pragma once
// The server's own indexes over the instances table, kept in the same database and changed by
// triggers in the same transaction as the row they describe, so no writer can forget them and a
// killed server never keeps an index that disagrees with its rows.
//
//   idx_refs(target, source)    every instance a row refers to, at any depth of its lists: who
//                               refers to an instance costs its referrers, not the table.
//   idx_values(id, ent, pos, num, fold)
//                               each top-level value and each item of a top-level list, by the
//                               row's entity code (idx_entities) and the value's position among
//                               the entity's attributes: numbers, booleans, characters and
//                               references as `num`; texts as `fold`, upper-cased the way the
//                               searches compare (zorUpper1251); texts that may be blobs' names
//                               also from lists inside lists, at their top-level position.
//
// The indexes only narrow: a reader looks candidates up and still tests every candidate with the
// full rule, so an index may hold more than a rule selects but never less.
//
// The triggers call functions of ours (PrepareConnection registers them): a connection that lacks
// them cannot change the instances table at all, rather than change it behind the indexes' back.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;

namespace zor::appserver {

// Functions the triggers use, the stop check of long statements, the wait for a busy database and
// the keeping of prepared statements (statement_cache.h). Every connection to a database of ours
// is prepared so, before anything else, and closed with CloseConnection.
void PrepareConnection(sqlite3* db);

// Creates the tables and triggers and fills them from the rows, once per database (a database
// made before the indexes gets them at its first writable open). False when the database cannot
// take them; a read-only database is left as it is.
bool EnsureIndexes(sqlite3* db);
// Whether this database has the indexes (a read-only one made before them has not).
bool HasIndexes(sqlite3* db);

// Rebuilds the indexes from the rows aside and compares them with the kept ones: "ok", or what
// differs.
std::string CheckIndexes(sqlite3* db);

// A test of one attribute position that the indexes can answer with a superset.
struct ValueKey {
    enum class Kind { Number, NumberRange, Folded, FoldedPrefix };
    Kind kind = Kind::Number;
    double number = 0;                      // Number
    std::optional<double> low, high;        // NumberRange (absent: unbounded)
    bool lowOpen = false, highOpen = false;
    std::string text;                       // Folded, FoldedPrefix: already upper-cased
};

// The ids of the rows of that entity whose value at `pos` may meet the key, ascending.
bool IndexedIds(sqlite3* db, const std::string& entity, int pos, const ValueKey& key, std::vector<int32_t>& ids);
// The ids of the rows that refer to `target`, ascending.
bool ReferrerIds(sqlite3* db, int32_t target, std::vector<int32_t>& ids);
// The ids of the rows holding the text `name`, written as `encoded` (a value of the rows' own
// encoding), ascending: the instances that name a blob. False, with nothing looked up, for a name
// that is no blob's ("blob_" in any case, then anything); only reading every row finds others.
bool BlobNamerIds(sqlite3* db, const std::string& name, const std::vector<unsigned char>& encoded, std::vector<int32_t>& ids);
// The same with each row's entity.
bool ReferrerEntities(sqlite3* db, int32_t target, std::vector<std::pair<int32_t, std::string>>& rows);

}  // namespace zor::appserver
