#pragma once
// Prepared statements kept per connection for the next use of the same SQL. Preparing costs more
// than running most of the server's statements, and a write to the instances table carries the
// index triggers, which are compiled with it.
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace zor::appserver {

// Starts keeping statements for a newly opened connection (until CloseConnection).
void KeepStatementsOf(sqlite3* db);
// A kept statement for that SQL, or a newly prepared one (null when it does not prepare).
sqlite3_stmt* TakeStatement(sqlite3* db, const char* sql);
// Reset, unbound and kept for the next TakeStatement of the same SQL on that connection; finalized
// when the connection keeps none (never prepared for it, or closed while the statement was out).
void ReturnStatement(sqlite3* db, const char* sql, sqlite3_stmt* s);
// Finalizes what is kept for the connection and closes it.
void CloseConnection(sqlite3* db);

}  // namespace zor::appserver
