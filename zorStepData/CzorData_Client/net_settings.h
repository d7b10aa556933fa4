#pragma once
// The networked store's settings outside itself: the named connections and the local server's path
// in "ZorTransport.ini" ([ConnectionsList], [LocalServer]), and the recent users and the last
// connection name of the current user in "NetApiClient.ini" of the user's configuration folder
// (section [Client]: LastUser, LastUser2 .. LastUser5, LastDataBase).
#include <string>
#include <vector>

struct CzorConnectionRec {
    int number = 0;
    std::string name;
    std::string host;
    int port = 0;
    std::string database;
    std::string user;
};

namespace zor::net {

// "name=host:port/database[/user]": each separator is the first of its kind in the value. False
// when one of "=", ":" or "/" is missing.
bool ParseConnectionValue(const std::string& value, CzorConnectionRec& rec);
std::string FormatConnectionValue(const CzorConnectionRec& rec);

// The connection list (keys "0" to "99", empty values skipped) and [LocalServer] ServerPath; a
// malformed value is skipped and counted in *skipped.
bool ReadConnections(std::vector<CzorConnectionRec>& list, std::string& serverPath, int* skipped);
// Writes the list renumbered 0, 1, ... and deletes the keys after it, in one load-change-save; the
// user's file keeps mode 0600 (a database text may hold an account password).
bool WriteConnections(std::vector<CzorConnectionRec>& list, std::string* error = nullptr);

// The file of the recent users and the last connection.
std::string RecentUsersPath();
// False only when the file exists and cannot be read.
bool ReadLastActive(std::vector<std::string>& users, std::string& lastConnection);
// Writes the first five users (empty texts for missing ones) and the last connection.
bool WriteLastActive(const std::vector<std::string>& users, const std::string& lastConnection);

}  // namespace zor::net
