#pragma once
// The session side of the networked store: its transport client, the saved connections it logs in
// through, and what the login it holds is (database, connection, user, the downloaded dictionary,
// whether the server searches in blobs).
#include <memory>
#include <string>
#include <vector>

#include "zorStepData/CzorData_Client/net_settings.h"
#include "zorStepData/CzorData_Client/transport_client.h"

class CzorNetSession {
public:
    CzorNetSession() : m_pTransport(std::make_unique<CTransportSocketClient>()) {}

    CTransportSocketClient* Transport() const { return m_pTransport.get(); }

    // The saved connections ("ZorTransport.ini"), the users who logged in last and the local
    // server's program.
    std::vector<CzorConnectionRec>& Connections() { return m_Connections; }
    const std::vector<CzorConnectionRec>& Connections() const { return m_Connections; }
    std::vector<std::string>& RecentUsers() { return m_RecentUsers; }
    const std::vector<std::string>& RecentUsers() const { return m_RecentUsers; }
    std::string& LocalServerPath() { return m_LocalServerPath; }
    const std::string& LocalServerPath() const { return m_LocalServerPath; }

    // Logged in, with the names the title shows.
    bool Connected() const { return m_bConnected; }
    void SetConnected(bool on) { m_bConnected = on; }
    void LoggedIn(const std::string& base, const std::string& user, const std::string& connection) {
        m_bConnected = true;
        m_CurrBase = base;
        m_CurrUser = user;
        m_CurrConnection = connection;
    }
    // The login is over: its names and its dictionary's file name go (the file is the caller's).
    void LoggedOut() {
        m_CurrBase.clear();
        m_CurrConnection.clear();
        m_CurrUser.clear();
        m_DictFileName.clear();
        m_bConnected = false;
    }
    const std::string& Base() const { return m_CurrBase; }
    const std::string& Connection() const { return m_CurrConnection; }
    const std::string& User() const { return m_CurrUser; }

    // The dictionary downloaded for this login (removed at disconnection); empty when it came by
    // the direct path.
    const std::string& DictFile() const { return m_DictFileName; }
    void SetDictFile(std::string name) { m_DictFileName = std::move(name); }

    bool CanFindInBlob() const { return m_bCanFindInBlob; }
    void SetCanFindInBlob(bool on) { m_bCanFindInBlob = on; }

private:
    std::unique_ptr<CTransportSocketClient> m_pTransport;
    std::vector<CzorConnectionRec> m_Connections;
    std::vector<std::string> m_RecentUsers;
    std::string m_LocalServerPath;
    bool m_bConnected = false;
    std::string m_CurrBase, m_CurrConnection, m_CurrUser;
    std::string m_DictFileName;
    bool m_bCanFindInBlob = false;
};
