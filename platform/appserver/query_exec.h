#pragma once
// The server's side of command 32: the query tree a client parsed (format: platform/zordata/
// query_wire.md) is read, checked and run over the database; the reply is a "zor_step_data V 0.2"
// buffer of the selected instances in id order, with all their values (texts in code page 1251),
// and a header for every instance their values refer to. What each part of a query selects is
// written down in query_wire.md.
//
// Statuses: 0; 128 for a tree that does not read (malformed, cyclic, another dictionary); 69 for a
// tree this server cannot run ("@BLOB_CONSIST", nodes in the wrong place, nesting too deep);
// another status when the database cannot be read. Never a crash, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

class CzorStepData;

namespace zor::appserver {

class ServerDatabase;
class AccessView;

// Runs the query in body against the database. `scratch` holds the dictionary; it is emptied first
// and after. The reply buffer is filled only for status 0.
// What the user may not see is not there for the query, and the states are his modes.
int32_t AnswerQuery(ServerDatabase& db, CzorStepData& scratch, const unsigned char* body, size_t size,
                    std::vector<unsigned char>& reply, AccessView& access);

// The same answer, every instance of the database read first: what the server did before it
// chose its candidates through indexes. Kept to check the planned answers against.
int32_t AnswerQueryReadingAll(ServerDatabase& db, CzorStepData& scratch, const unsigned char* body, size_t size,
                              std::vector<unsigned char>& reply, AccessView& access);

}  // namespace zor::appserver
