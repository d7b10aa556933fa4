#pragma once
// CzorAPI: the store-management interface. It owns a networked store and the fifteen managers
// bound to it, and logs the store in and out for callers that only want a session (the add-in fill
// of a report).
#include <string>

#include "platform/zordata/stepmgr.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

class CzorAPI : public CShowOpt {
    // Made before the managers and gone after them: they are bound to it.
    CzorNetStepData m_Store;

public:
    CzorAPI();
    ~CzorAPI() override;  // logs out
    CzorAPI(const CzorAPI&) = delete;
    CzorAPI& operator=(const CzorAPI&) = delete;

    // Logs the store in on a connection of the connection list ("ZorTransport.ini").
    //   host      the server's host: the first connection whose host equals it (letter case aside)
    //             and that port and database do not rule out; null or empty: the connection of the
    //             last login.
    //   user      the user; null or empty: the connection's default user, else the most recent user.
    //   password  the user's password (null: empty).
    //   port      with a host: the connection's port (0: any).
    //   database  with a host: the connection's database text (null or empty: any).
    // When both a connection and a user are known the login is silent. Otherwise, in hide mode, it
    // fails with 175 (no connection chosen) and shows nothing; else the store's login dialog asks.
    // A store that is logged in already stays so (true): Disconnect first for another session.
    // False on failure, with the status in the store (GetLastZorError).
    bool Connect(const char* host, const char* user, const char* password, int port, const char* database);
    // Logs out; always true.
    bool Disconnect();

    // No box, question or dialog of the store or of Connect (batch runs and callers without a user), but
    // the server's offer to repeat a failed request: that one the network UI still puts to the user (a
    // batch run's declines at once).
    void SetHideMode(bool hide);
    bool GetHideMode() const { return m_bHide; }
    CzorNetStepData& Store() { return m_Store; }

    CzorCategoryManager m_CategoryManager;
    CzorDocManager m_DocManager;
    CzorProductManager m_ProductManager;
    CzorPrdInstManager m_PrdInstManager;
    CzorBPManager m_BPManager;
    CzorCharacreristicManager m_CharacteristicManager;
    CzorUnitExchangeManager m_UnitExchangeManager;
    CzorFolderManager m_FolderManager;
    CzorMessageManager m_MessageManager;
    CzorAutorizationManager m_AutorizationManager;
    CzorChangeManager m_ChangeManager;
    CzorQueryManager m_QueryManager;
    CzorPreProjectManager m_PreProjectManager;
    CzorOptionsManager m_OptionsManager;
    CzorClassifierMgr m_ClassifierMgr;

    // The option words that close the interface: nothing of ours reads them; they keep the values an
    // interface starts with for whoever does.
    int m_nOptionWord = 0;
    bool m_bOptionFlags[3] = {true, true, true};
    int m_nOptionLimit = 200;
    int m_nOptionReserved = 0;

private:
    template <class F>
    void ForEachManager(F&& f);
    // The connection name and user for a silent login; false when no connection is known.
    bool ChooseConnection(const char* host, int port, const char* database, std::string& connection,
                          std::string& user);

    bool m_bHide = false;
};
