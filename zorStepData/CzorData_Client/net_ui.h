#pragma once
// What the transport client asks of the user: the retry dialog and Yes/No questions. The program
// installs its windows; batch runs and tests install their own. A batch run never waits: the retry
// dialog skips and every question is answered No (the stderr sink's default button would say Yes).
#include <memory>
#include <string>
#include <vector>

#include "zorStepData/CzorData_Client/net_settings.h"

class CDlgTransportError;
class CzorNetStepData;
class CzorQLQuery;
class zorUsers;

namespace zor::net {

// What the login dialog shows and gives back.
struct LoginDialogData {
    std::string user;
    std::string password;
    std::vector<std::string> recentUsers;  // the dialog may reorder it (the chosen user first)
    std::vector<std::string> connections;  // names, in list order
    int index = -1;                         // the chosen connection, -1 for none
    std::string connection = {};            // preselected by name while index is -1
    CzorNetStepData* store = nullptr;       // whose connection list the dialog offers and edits
};

// What the query editor is given and gives back (texts UTF-8).
struct QueryEditData {
    CzorNetStepData* store = nullptr;
    std::string text;
    bool textLocked = false;   // read-only until the user chooses to edit it
    bool nameLocked = false;   // the name is shown read-only and not returned
    bool nameEnabled = false;  // the name and the two check boxes are asked for
    std::string name;
    bool saveToDb = false;
    bool showInTable = false;
    // When the editor's own check succeeded and closed it, its tree moves here (SetFromOlder).
    CzorQLQuery* prepared = nullptr;
    bool parsed = false;
};

// The progress window of a long transfer, as the transferring code sees it.
class ITransferProgress {
public:
    virtual ~ITransferProgress() = default;
    // Stores the percentage; true once the user has aborted.
    virtual bool SetPercent(int percent) = 0;
};

class INetUi {
public:
    virtual ~INetUi() = default;
    // Runs the retry dialog; returns CDlgTransportError::kRetry or kSkip.
    virtual int RunRetryDialog(CDlgTransportError& dlg) = 0;
    // A Yes/No question (true: Yes).
    virtual bool Ask(const std::string& text, const std::string& caption) = 0;
    // A message box.
    virtual void Tell(const std::string& text, const std::string& caption, unsigned icon) = 0;
    // Opens the progress window of a transfer (null: none, as in batch runs).
    virtual std::unique_ptr<ITransferProgress> StartTransferProgress(const std::string& /*text*/) { return nullptr; }
    // The login dialog: true for OK. Without the connection dialogs every run is cancelled.
    virtual bool RunLoginDialog(LoginDialogData&) { return false; }
    // The query editor: true for OK. Without windows every run is cancelled.
    virtual bool RunQueryEditDialog(QueryEditData&) { return false; }
    // The access dialog over the edited set: true for OK, `removeAll` its removal flag. Without
    // windows there is none, and the operations that need it fail.
    virtual bool HasAccessDialog() const { return false; }
    virtual bool RunAccessDialog(CzorNetStepData&, zorUsers&, bool /*viewOnly*/, bool /*patternMode*/,
                                 bool& /*removeAll*/) {
        return false;
    }
    // The connection-list dialog over the list: the chosen connection's index (-1 after Cancel or
    // without a selection) and whether the user asked to clear the recent users.
    virtual int RunConnectionsDialog(std::vector<CzorConnectionRec>&, bool& listChanged) {
        listChanged = false;
        return -1;
    }
};

// Questions and messages through the message sink; the retry dialog skips. The default.
class BatchNetUi : public INetUi {
public:
    int RunRetryDialog(CDlgTransportError& dlg) override;
    bool Ask(const std::string& text, const std::string& caption) override;
    void Tell(const std::string& text, const std::string& caption, unsigned icon) override;
};

// Questions through the message sink with its answer (the program's boxes, a test's queued answers).
class SinkNetUi : public BatchNetUi {
public:
    bool Ask(const std::string& text, const std::string& caption) override;
};

INetUi* SetNetUi(INetUi* ui);  // null restores the batch one; returns the previous
INetUi& NetUi();

}  // namespace zor::net
