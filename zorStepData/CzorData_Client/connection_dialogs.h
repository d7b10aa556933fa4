#pragma once
// The logic of the four connection dialogs, without widgets: the login (CDlgConnectBase), the
// connection list (CDlgTuneListConnections), one connection's parameters (CDlgTuneConnection) and
// the database choice (CDlgSelectBase). The views (connection_dialogs_view.h) show what these hold
// and hand every click to them; messages go through the message sink.
//
// A connection is stored as one value "name=host:port/database[/user]" whose separators are each
// the first of their kind, so the dialogs refuse what that form cannot give back: a name with "=",
// ":" or "/", a host with ":" or "/", a database text with "/", and a line break anywhere.
#include <functional>
#include <string>
#include <vector>

#include "zorStepData/CzorData_Client/net_settings.h"

namespace zor::net {

inline constexpr int kDefaultServerPort = 7239;

// The reason the texts cannot be stored as a connection; "" when they can.
std::string RefusedRecordText(const std::string& name, const std::string& host, const std::string& database,
                              const std::string& user);

// The login dialog: the user box, the connection box and what OK gives back.
class CLoginLogic {
public:
    // Set by the caller.
    const std::vector<CzorConnectionRec>* connections = nullptr;
    std::vector<std::string>* recentUsers = nullptr;  // rewritten on OK
    std::string user;                                 // shown first; the entered user after OK
    std::string connectionName;                       // preselected by name while chosen is -1
    int chosen = -1;                                  // index into connections
    std::string password;

    // The boxes as they are filled.
    std::vector<std::string> users;
    int userSelection = -1;
    std::vector<std::string> connectionNames;
    int connectionSelection = -1;
    std::string connectionText;  // the box's text when nothing is selected

    // Fills both boxes (on opening, and after the connection list was edited).
    void Fill();
    // The connection box's selection changed: its default user goes into the user box, selected.
    void ConnectionChanged(int selection);
    // OK with the user box's text, the connection box's selection and the password.
    void Ok(const std::string& typedUser, int selection, const std::string& typedPassword);
};

// One connection's parameters.
class CTuneConnectionLogic {
public:
    std::vector<std::string> otherNames;  // names the connection must not repeat (letter case counts)
    std::string name;
    std::string computer = "localhost";
    int port = kDefaultServerPort;
    bool defaultPort = false;
    std::string database;
    std::string user;

    // On opening: the default-port box is ticked when the port is the default one.
    void Open() { defaultPort = port == kDefaultServerPort; }
    bool PortReadOnly() const { return defaultPort; }
    // Takes the port edit's text: an integer from 1 to 65535, else the range message and false.
    bool TakePort(const std::string& text);
    // OK after the values were taken: false (with its message shown) when the dialog stays open.
    bool Ok();

    // Lists the databases of a server: 0 with the names, a status of the server or of the reply,
    // or -1 when the server cannot be reached (nothing is said then).
    using BaseListFetch = std::function<int(const std::string& host, int port, std::vector<std::string>& names)>;
    // Runs the database choice over the names from the initial index: the chosen index, -1 for
    // none, -2 for Cancel.
    using BaseChooser = std::function<int(const std::vector<std::string>& names, int initial)>;
    // The database "..." button, after the values were taken: asks the server for its databases,
    // lets the user choose one and names an unnamed connection after it.
    void ChooseDatabase(const BaseListFetch& fetch, const BaseChooser& choose);
};

// The database choice.
class CSelectBaseLogic {
public:
    const std::vector<std::string>* names = nullptr;
    int initial = 0;
    int chosen = -1;
    void Open() { chosen = names && initial >= 0 && initial < static_cast<int>(names->size()) ? initial : -1; }
    void SelectionChanged(int selection) { chosen = selection; }
};

// The connection list.
class CTuneListLogic {
public:
    std::vector<CzorConnectionRec>* list = nullptr;
    int selection = -1;       // the selected row
    bool clearUsers = false;  // the "Очистить список пользователей" box
    int chosen = -1;          // after OK: the selected row, -1 for none

    // Edits one connection: true for OK with the dialog's values in the logic.
    using Editor = std::function<bool(CTuneConnectionLogic&)>;

    // The names of all connections but the one at `except` (-1: all).
    std::vector<std::string> Names(int except = -1) const;
    void Add(const Editor& edit);
    void Edit(const Editor& edit);
    void Remove();
    void Up() { Move(-1); }
    void Down() { Move(+1); }
    // Writes the list to the settings file: false, with the reason shown, when it cannot be written
    // (the dialog stays open).
    bool Ok();

private:
    void Move(int by);
};

// Command 12 on a transport client of its own, never the store's: connects to host and port, asks
// for the database list and reads it (BaseListFetch's results).
int FetchBaseList(const std::string& host, int port, std::vector<std::string>& names, bool hide);
// Reads the reply body of command 12: 0 with the names, 172 for a wrong signature or a short body,
// 179 for an empty list.
int ParseBaseList(const unsigned char* data, size_t size, std::vector<std::string>& names);

}  // namespace zor::net
