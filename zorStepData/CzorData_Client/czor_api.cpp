#include "zorStepData/CzorData_Client/czor_api.h"

#include "platform/text/utf8.h"
#include "zorStepData/CzorData_Client/net_settings.h"

template <class F>
void CzorAPI::ForEachManager(F&& f) {
    CzorStepManager* all[] = {&m_CategoryManager,  &m_DocManager,        &m_ProductManager,      &m_PrdInstManager,
                              &m_BPManager,        &m_CharacteristicManager, &m_UnitExchangeManager, &m_FolderManager,
                              &m_MessageManager,   &m_AutorizationManager, &m_ChangeManager,       &m_QueryManager,
                              &m_PreProjectManager, &m_OptionsManager,   &m_ClassifierMgr};
    for (CzorStepManager* m : all) f(*m);
}

CzorAPI::CzorAPI() {
    ForEachManager([this](CzorStepManager& m) { m.Attach(this); });
}

CzorAPI::~CzorAPI() {
    ForEachManager([](CzorStepManager& m) { m.Detach(); });
    m_Store.NET_Disconnect();
}

void CzorAPI::SetHideMode(bool hide) {
    m_bHide = hide;
    m_Store.SetHideMode(hide);
}

bool CzorAPI::ChooseConnection(const char* host, int port, const char* database, std::string& connection,
                               std::string& user) {
    std::vector<std::string> recent;
    std::string last;
    zor::net::ReadLastActive(recent, last);
    m_Store.ReadConnectionsInfo();
    const CzorConnectionRec* chosen = nullptr;
    for (const CzorConnectionRec& rec : m_Store.Connections()) {
        const bool match = host && *host
                               ? zor::EqualsNoCase(rec.host, host) && (port == 0 || rec.port == port) &&
                                     (!database || !*database || rec.database == database)
                               : !last.empty() && zor::EqualsNoCase(rec.name, last);
        if (match) {
            chosen = &rec;
            break;
        }
    }
    if (!chosen) return false;
    connection = chosen->name;
    if (user.empty()) user = !chosen->user.empty() ? chosen->user : (recent.empty() ? std::string() : recent.front());
    return !user.empty();
}

bool CzorAPI::Connect(const char* host, const char* user, const char* password, int port, const char* database) {
    if (m_Store.IsConnected()) return true;
    std::string who = user ? user : "", connection;
    const bool known = ChooseConnection(host, port, database, connection, who);
    if (!known && (m_bHide || (host && *host))) {
        // A host that names no connection, or nothing to log in with and no one to ask.
        m_Store.NET_Disconnect();
        m_Store.SetZORError(ZOR_NET_CLI_ERROR_PROCESSED, host && *host ? host : "");
        return false;
    }
    if (known) return m_Store.NET_Connect(who.c_str(), password ? password : "", connection.c_str());
    return m_Store.NET_Connect(who.c_str(), password ? password : "", nullptr);
}

bool CzorAPI::Disconnect() { return m_Store.NET_Disconnect(); }
