#pragma once
// The windows of the connection dialogs over their logic (connection_dialogs.h), built in code with
// each control's object name its control id, and the program's network UI that runs them for the
// store's login and its connection list.
#include <memory>
#include <string>
#include <vector>

#include "zorStepData/CzorData_Client/connection_dialogs.h"
#include "zorStepData/CzorData_Client/retry_dialog_view.h"

class CzorNetStepData;
class QDialog;
class QWidget;

// The login dialog (7018). Configure runs the store's connection list.
class CDlgConnectBase {
public:
    CDlgConnectBase(zor::net::CLoginLogic& logic, CzorNetStepData* store, QWidget* parent = nullptr);
    ~CDlgConnectBase();
    bool Run();  // true for OK
    QDialog* Window() const;

private:
    struct View;
    std::unique_ptr<View> m_view;
};

// The database choice (4001).
class CDlgSelectBase {
public:
    CDlgSelectBase(zor::net::CSelectBaseLogic& logic, QWidget* parent = nullptr);
    ~CDlgSelectBase();
    bool Run();
    QDialog* Window() const;

private:
    struct View;
    std::unique_ptr<View> m_view;
};

// One connection's parameters (7005). The database "..." asks the server on a client of its own.
class CDlgTuneConnection {
public:
    CDlgTuneConnection(zor::net::CTuneConnectionLogic& logic, QWidget* parent = nullptr);
    ~CDlgTuneConnection();
    bool Run();
    QDialog* Window() const;
    // How the database "..." lists and offers the databases (tests replace them).
    void SetBaseList(zor::net::CTuneConnectionLogic::BaseListFetch fetch);
    void SetBaseChooser(zor::net::CTuneConnectionLogic::BaseChooser choose);

private:
    struct View;
    std::unique_ptr<View> m_view;
};

// The connection list (7004).
class CDlgTuneListConnections {
public:
    CDlgTuneListConnections(zor::net::CTuneListLogic& logic, QWidget* parent = nullptr);
    ~CDlgTuneListConnections();
    bool Run();
    QDialog* Window() const;
    // How Add and Edit run the connection's dialog (tests replace it).
    void SetEditor(zor::net::CTuneListLogic::Editor editor);
    // Shows the list again from the logic.
    void RedrawList();

private:
    struct View;
    std::unique_ptr<View> m_view;
};

namespace zor::net {

// The program's network UI: the retry dialog, questions and messages, and the connection dialogs.
class QtConnectionNetUi : public QtNetUi {
public:
    bool RunLoginDialog(LoginDialogData& data) override;
    int RunConnectionsDialog(std::vector<CzorConnectionRec>& list, bool& listChanged) override;
};

}  // namespace zor::net
