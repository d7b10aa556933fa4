#pragma once
// Moving instances between a database and a store file (ISO 10303-21), for backups and tests.
#include <string>

namespace zor::appserver {

class ServerDatabase;

// Adds every instance of the store file to the database, in one transaction: new ids above the
// database's, references renumbered with them. False with the reason when the file or the
// dictionary cannot be read or the database refuses; the database is then unchanged.
bool ImportStoreFile(ServerDatabase& db, const std::string& dictionary, const std::string& file, std::string& error);
// Writes the database's instances of the dictionary's entities to a store file (atomically).
bool ExportStoreFile(ServerDatabase& db, const std::string& dictionary, const std::string& file, std::string& error);

}  // namespace zor::appserver
