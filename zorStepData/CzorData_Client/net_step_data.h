#pragma once
// CzorNetStepData: the object store whose instances live on our application server. It adds one
// session (an owned CTransportSocketClient) to the store; every remote operation goes through the
// request rule (RunRequest) on the caller's thread and leaves its status in the store.
//
// The class is the front its callers know; each side's state belongs to a collaborator:
// net_session.h (transport, connections, the login), net_id_index.h (loaded instances by id),
// net_save_state.h (portions and what the server confirmed), net_blob_state.h (replaced blobs),
// net_rights_state.h (access dialog, patterns' placeholders) and net_query_state.h (the prepared
// query). The front keeps its modes and the request rule's status.
//
// Values not fetched yet carry a per-slot mark (CzorValueDefinition::IsLoaded), apart from values
// that the server holds unset: GetAttr fetches a missing value at most once while auto-download is
// on. Extents keep load order (the base store keeps creation order); look-ups by id go through an
// index of the store.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/zordata/attr_match.h"
#include "platform/zordata/stepbuf.h"
#include "platform/zordata/query_parser.h"
#include "platform/zordata/stepdata.h"
#include "zorStepData/CzorData_Client/access.h"
#include "zorStepData/CzorData_Client/net_blob_state.h"
#include "zorStepData/CzorData_Client/net_id_index.h"
#include "zorStepData/CzorData_Client/net_query_state.h"
#include "zorStepData/CzorData_Client/net_rights_state.h"
#include "zorStepData/CzorData_Client/net_save_state.h"
#include "zorStepData/CzorData_Client/net_session.h"
#include "zorStepData/CzorData_Client/net_settings.h"
#include "zorStepData/CzorData_Client/transport_client.h"

class CzorNetStepData;

// One load request as it goes on the wire (24 bytes, little-endian; padding bytes zero).
struct SUserLogInfo;
struct SInstInfo;

struct zor_NET_LoadQuery {
    int32_t _pos = 0;
    char _type = 0;
    int32_t _inst_or_id = 0;
    int32_t _ent_id = 0;
    int32_t _attr_id = 0;
    bool _flag_a = true;
    bool _flag_b = false;
    // The record's 24 bytes.
    void Encode(unsigned char out[24]) const;
};

// A batch of load requests for one store (copies share the records and never free them).
class CzorLoadData {
public:
    explicit CzorLoadData(CzorNetStepData* store);
    CzorLoadData(CzorNetStepData* store, std::string source);
    CzorLoadData(const CzorLoadData& other);
    CzorLoadData& operator=(const CzorLoadData& other);
    virtual ~CzorLoadData();

    bool ClearQuery();
    int AddQuery(CzorInstance* inst, bool b);
    int AddQuery(int pos, CzorInstance* inst, bool b);
    int AddQuery(char type, long id, CzorEntity* ent, CzorAttr* attr, bool fa, bool fb);
    int AddQuery(char type, long id, const char* entity, const char* attr, bool fa, bool fb);
    int AddQuery(char type, long id, long entId, long attrId, bool fa, bool fb);
    int AddQuery(int pos, char type, long id, CzorEntity* ent, CzorAttr* attr, bool fa, bool fb);
    bool LoadEx(bool clearAfter = true, CzorTAggr<CzorInstance>* loaded = nullptr, const char* waitText = nullptr,
                bool quiet = false);

    int GetCount() const { return m_Queries.GetSize(); }
    const zor_NET_LoadQuery* GetAt(int i) const { return m_Queries.GetAt(i); }
    void SetTarget(CzorNetStepData* target) { m_pTarget = target; }
    CzorNetStepData* GetTarget() const { return m_pTarget; }
    const std::string& GetSource() const { return m_Source; }

private:
    int Refuse(int line, const std::string& text);
    CzorNetStepData* m_pStore = nullptr;
    CzorTAggr<zor_NET_LoadQuery> m_Queries{8, false, true};
    CzorNetStepData* m_pTarget = nullptr;
    std::string m_Source;
};

class CzorNetStepData : public CzorStepData {
public:
    CzorNetStepData();
    ~CzorNetStepData() override;

    // ---- Accessors (none touches the server)
    bool IsConnected() const { return m_Session.Connected(); }
    bool CanFindInBLOB() const { return m_Session.CanFindInBlob(); }
    std::string GetNameCurrBase() const { return m_Session.Base(); }
    std::string GetNameCurrConnection() const { return m_Session.Connection(); }
    std::string GetNameCurrUser() const { return m_Session.User(); }
    CzorInstance* GetCurrUser() const { return m_pCurrUser; }
    // The downloaded dictionary (removed at disconnection); empty when it came by the direct path.
    const std::string& GetDictFileName() const { return m_Session.DictFile(); }
    using CzorStepData::GetAttr;
    static int GetBlobPortionDefSize() { return 0x100000; }
    int GetAttrIdBN(CzorEntity* entity, const char* name) const;
    int GetEntIdBN(const char* name) const;
    static int GetAttrId(const CzorAttr* a) { return a ? a->GetId() : 0; }
    static int GetEntId(const CzorEntity* e) { return e ? e->GetId() : 0; }
    static int GetInstId(const CzorInstance* i) { return i ? i->GetId() : 0; }
    void SetAutoDownloadMode(bool on) { m_bAutoDownload = on; }
    bool GetAutoDownloadMode() const { return m_bAutoDownload; }
    void SetNetErrorMessageMode(bool on) { m_bNetErrorMessageMode = on; }
    bool GetNetErrorMessageMode() const { return m_bNetErrorMessageMode; }
    int GetLastZorError() const { return m_nLastStatus; }
    static int GetCompId() { return 0; }
    CTransportSocketClient* GetTransport() const { return m_Session.Transport(); }
    bool GetManageMode() const { return m_bManageMode; }
    void SetManageMode(bool on) { m_bManageMode = on; }

    void SetHideMode(bool hide);
    bool GetHideMode() const { return m_bHideMode; }
    // Hand the session's socket from one thread to another: Detach on the thread that uses it keeps its
    // handle (a second Detach keeps the first), Attach on the thread that takes it over binds the kept
    // handle there and forgets it. Both do nothing without a transport client.
    void Detach();
    void Attach();
    // Empties the store and keeps the logged-in user (a new "zor_user" instance of the same id).
    void ClearData() override;

    // ---- Settings (net_settings.h)
    bool ReadConnectionsInfo();
    // False, with the reason as the last error text, when the file cannot be written.
    bool WriteConnectionsInfo();
    void GetListConnections(std::vector<std::string>& names) const;
    std::vector<CzorConnectionRec>& Connections() { return m_Session.Connections(); }
    const std::vector<std::string>& RecentUsers() const { return m_Session.RecentUsers(); }
    const std::string& GetLocalServerPath() const { return m_Session.LocalServerPath(); }

    // ---- Session (connect.cpp)
    // Logs in: a null or empty connection means the last one; silent when user and connection are
    // both given. Any failure ends disconnected with its status recorded.
    bool NET_Connect(const char* user, const char* password, const char* connection, const char* waitText = nullptr);
    // Connects the transport client, starting the local server for this computer. Connect failures
    // are raised as SzorErrorDescription; false only for an empty host or port 0.
    bool ConnectWithTestLocal(const std::string& host, int port, bool ask);
    // Edits the connection list through the network UI; the dialog's result.
    int NET_TuningConnections();
    // Ends the session; always true.
    bool NET_Disconnect();
    std::string GetTitulCurrBD(bool base, bool connection, bool user, bool employee, bool pid);
    // The display form of a database text: an account password becomes "*****".
    static std::string DisplayDatabaseText(const std::string& text);
    // "%s:%i от %s": where in the client a load batch was made.
    static std::string MakeSourceDescr(const std::string& file, int line, const std::string& date);

    // ---- Loading (load.cpp)
    bool NET_Load(const zor_NET_LoadQuery* queries, long count, CzorTAggr<CzorInstance>* loaded,
                  CzorNetStepData* target, const char* waitText, const std::string& source);
    CzorInstance* GetInstById(int id);
    bool GetAttr(CzorInstance* inst, CzorAttr* attr, CzorValue** value) override;
    // The instances deleted on the server (command 27), merged into the store and listed in
    // `deleted` in the server's order of deletion.
    bool NET_LoadDelInst(CzorTAggr<CzorInstance>& deleted, const char* waitText);
    // Switches auto-download on and fetches the attribute's values that these instances have not
    // loaded, for all of them in one request (attr_prefetch.cpp).
    bool PrepareAttrReads(CzorInstance* const* instances, int count, CzorAttr* attr) override;

    // ---- Dictionary, time, test, log, index (misc.cpp)
    bool NET_LoadDictionaryFromServer(const char* waitText);
    bool NET_GetServerDateTime(double& oleDate);
    bool NET_Test(const char* waitText);
    bool NET_WriteLog(const std::string& first, const std::string& second, bool flag);
    bool NET_OperateOracleIndex(CzorAttr* attr, bool flag, const char* waitText);

    // ---- Blobs and files (blob.cpp). Sizes travel as int32: contents above 2^31 - 1 bytes are
    // refused with 185. A replaced blob is deleted only once the instance naming the new one has
    // been saved: its name waits in the pending deletions.
    bool NET_SaveBlob(CzorInstance* inst, CzorAttr* attr, const char* file, long& checksum, const char* name,
                      const char* waitText);
    bool NET_SaveBlobBN(CzorInstance* inst, const char* attr, const char* file, long& checksum, const char* name,
                        const char* waitText);
    bool NET_SaveFileFromMemory(CzorInstance* inst, CzorAttr* attr, const unsigned char* data, long size, long& checksum,
                                const char* waitText);
    bool NET_DeleteBlob(CzorInstance* inst, CzorAttr* attr, const char* waitText);
    bool NET_DeleteBlobBN(CzorInstance* inst, const char* attr, const char* waitText);
    bool NET_LoadBlob(CzorInstance* inst, CzorAttr* attr, const char* file, const char* waitText);
    bool NET_LoadBlobBN(CzorInstance* inst, const char* attr, const char* file, const char* waitText);
    // The target is replaced atomically, only when every byte announced has arrived.
    bool NET_LoadFileFromSrv(const char* serverName, const char* file, const char* waitText);
    bool NET_GetBlobSize(CzorInstance* inst, CzorAttr* attr, long& size, const char* waitText);
    bool NET_LoadBlob2Memory(CzorInstance* inst, CzorAttr* attr, unsigned char* buffer, long& size, const char* waitText);
    bool NET_LoadBlob2MemoryBN(CzorInstance* inst, const char* attr, unsigned char* buffer, long& size,
                               const char* waitText);
    bool NET_LoadFileFromSrv2Memory(const char* serverName, unsigned char* buffer, long& size, const char* waitText);
    bool NET_ReadFirstPortionFileFromSrv2Memory(const char* serverName, unsigned char* buffer, long& size, bool& last,
                                                const char* waitText);
    bool NET_ReadNextPortionFileFromSrv2Memory(unsigned char* buffer, long& size, bool& last, const char* waitText);
    // Server names of replaced blobs, to be deleted after the next successful save.
    const std::vector<std::string>& PendingBlobDeletions() const { return m_Blobs.PendingDeletions(); }
    // Deletes them (a failure is a warning in the store's error text, not a failure); true when
    // all went.
    bool DeletePendingBlobs();

    // Requests sent through the request rule since the store was made (benchmarks count them).
    long GetRequestsSent() const { return m_nRequestsSent; }

    // The instance of that id among those in memory, or null (no server).
    CzorInstance* FindLoadedById(int id);

    // ---- Saving (save.cpp). Changed marks and ids change only once the server has confirmed a
    // portion. A portion sent without a reply (its outcome unknown) is kept and sent first, with
    // its token, by the next save: the server answers a portion it already applied with the reply
    // it gave then, so nothing is created twice.
    bool NET_SaveChanges(const char* waitText);
    // Refused while a save is under way (percent neither 0 nor 100).
    bool SetPortionSavedInst(int n);
    int GetPortionSavedInst() const { return m_Saving.PortionSize(); }
    int GetPercentSCh() const { return m_Saving.Percent(); }
    // Something would be sent by a save: a changed value, a new instance, an unsaved deletion, or
    // a portion whose outcome is unknown.
    bool CheckModified();
    bool TestNeedRestore();
    bool HasUnconfirmedPortion() const { return m_Saving.Unconfirmed() != nullptr; }

    // ---- Searches (search.cpp): the instances of an entity (and its subtypes) whose attributes hold
    // the criteria's values (attr_match.h), from memory and from the server.
    // The number found; 1 at the first with firstOnly; -1 for bad arguments. While connected only
    // unsaved instances are searched in memory (the server answers for the others).
    int FindInstancesWithAttrValuesInLocalCache(CzorEntity* ent, CzorInstance* except, int n, CzorAttrValue* values,
                                                CzorTAggr<CzorInstance>& found, bool pattern, bool caseSensitive,
                                                bool firstOnly, zorStringBindMode mode);
    // The local search followed by the server's, merged; -1 on failure.
    int NET_FindInstancesWithAttrValues(CzorEntity* ent, int n, CzorAttrValue* values, CzorTAggr<CzorInstance>& found,
                                        bool pattern, bool caseSensitive, const char* waitText,
                                        zorStringBindMode mode = zorBindContains);
    // True when no instance on the server other than inst holds the values. False with status 114
    // (and no box) when one does; false with 171 for a criterion that cannot be searched for on the
    // server (an unsaved instance), without a request.
    bool NET_TestUniqueAttrValues(CzorEntity* ent, CzorInstance* inst, int n, CzorAttrValue* values, bool pattern,
                                  const char* waitText);
    using CzorStepData::TestUniqueAttrValues;
    using CzorStepData::TestUniqueAttrValuesBN;
    // In memory, then on the server.
    virtual bool TestUniqueAttrValues(CzorEntity* ent, CzorInstance* inst, int n, CzorAttrValue* values,
                                      const char* waitText);
    virtual bool TestUniqueAttrValuesBN(const char* entity, CzorInstance* inst, int n, CzorAttrValue* values,
                                        const char* waitText);
    // ---- Queries (query.cpp)
    // Prepares a query from text (UTF-8), silently or through the query editor; true when a valid
    // query is prepared. The optional outs as the editor gives them back.
    bool NET_QueryEditParse(std::string& text, bool showDialog, std::string* errorText = nullptr, int* mode = nullptr,
                            std::string* name = nullptr, bool* saveToDb = nullptr, bool* showInTable = nullptr);
    // Runs the prepared query on the server: result receives the selected instances (never owned).
    // A query runs once; it is refused with 171 unless the last preparation succeeded.
    bool NET_QueryExecute(CzorTAggr<CzorInstance>& result, const char* waitText = nullptr);
    CzorQLQuery* GetPreparedQuery() const { return m_Queries.Prepared(); }
    // Parser look-ups on this store: instances by id are loaded from the server when missing.
    CzorQLLookup& QueryLookup();
    // ---- Active users, users' log, instance history (users_log.cpp)
    // The users of the server's sessions, merged into the store (the list never frees them).
    bool NET_GetActiveUserList(CzorTAggr<CzorInstance>& users, const char* waitText);
    // The users' log; records are made on the heap for the caller's list.
    bool NET_QueryUsersLog(CzorTAggr<SUserLogInfo>& log, const char* waitText);
    // Fills the creator, updater and dates of the caller's records.
    bool NET_LoadInstUserDataTimeInfo(CzorTAggr<SInstInfo>& records, const char* waitText);
    // Loads the history of the instances and shows it in the instance properties dialog.
    bool NET_ViewInstUserDataTimeInfo(CzorTAggr<CzorInstance>& insts, const std::vector<std::string>* comments,
                                      const char* waitText);


    // ---- Access rights (access_ops.cpp; the model in access.h). The server decides what is allowed:
    // the checks here spare the user a request that would be refused.
    bool NET_GetGroupeAccess(zorUsers& users, const char* waitText);
    bool NET_SetGroupeAccess(zorUsers& users, const char* waitText, int code1 = 0, int code2 = 0);
    bool NET_SetInstancesAccess(CzorTAggr<CzorInstance>* insts, const char* waitText);
    bool NET_SetInstancesAccess(CzorTAggr<CzorInstance>* insts, CzorInstance* agent, zorAccessModeType mode,
                                const char* waitText);
    // agent kzorDefaultAccessAgent sets the default access; a null agent or mode -1 opens the dialog.
    bool NET_SetSpecialInstancesAccess(CzorTAggr<CzorInstance>* insts, CzorInstance* agent, zorAccessModeType mode,
                                       const char* waitText, int code1, int code2);
    bool NET_BecomeInstancesOwner(CzorTAggr<CzorInstance>* insts, const char* waitText);
    bool NET_CopyGroupeAccess(CzorInstance* source, CzorTAggr<CzorInstance>& targets, const char* waitText,
                              int code1 = 0, int code2 = 0);
    bool NET_GetExtentAccess2String(CzorTAggr<CzorInstance>& insts, std::vector<std::string>& texts,
                                    const char* waitText);
    bool NET_GetExtentAccess2String(CzorInstance* inst, std::string& text, const char* waitText);
    // Guards: all saved (or saved now on the user's word), the user their owner.
    bool CheckSaved(CzorTAggr<CzorInstance>* insts);
    bool CheckOwner(CzorTAggr<CzorInstance>* insts, bool* canView);
    // All users and groups into the store and into `agents`; false when they could not be loaded.
    bool LoadAllUsers(CzorTAggr<CzorInstance>& agents);
    // The users and groups already in the store, without a request.
    void LocalAgents(CzorTAggr<CzorInstance>& agents);
    // The service code that lets trusted callers skip the client's ownership check.
    static bool IsValidAccessServiceCode(int code1, int code2) {
        return code1 != 0 && static_cast<uint32_t>(code2) == (static_cast<uint32_t>(code1) ^ 0x3B6E0A95u);
    }
    // ---- Access patterns (access_pattern.cpp)
    bool ParseAccessStringPattern(const std::string& pattern, zorUsers& users);
    bool PrintAccessStringPattern(zorUsers& users, std::string& text, bool readable);
    bool PrepareAccessStringPattern(std::string& pattern, std::string* readableText);
    bool NET_SetAccessFromPattern(CzorTAggr<CzorInstance>* insts, const std::string& pattern, const char* waitText,
                                  int code1 = 0, int code2 = 0);
    // Builds the set a pattern gives for these instances and the logged-in user (no request).
    bool MakeSetFromPattern(const std::vector<CzorInstance*>& insts, const std::string& pattern, zorUsers& result);
    // The access dialog, run on the edited set: true for OK; `removeAll` tells that the individual
    // access of all users is to be removed. Without one the windows of the installed network UI
    // run it (NetUi()); without those either, operations that need it fail with 171.
    using AccessDialogRunner = CzorNetRightsState::DialogRunner;
    void SetAccessDialog(AccessDialogRunner runner) { m_Rights.SetDialog(std::move(runner)); }
    // The runner that applies now: the store's own, else the network UI's, else none.
    AccessDialogRunner ActiveAccessDialog() const;
    void SetServerChecks(bool on) { m_Rights.SetServerChecks(on); }

protected:
    friend class CzorLoadData;
    friend class CzorAPI;
    void SetZORError(int code, const std::string& detail = {});

    // The request rule: the connection checks (173, reconnect, 162), the manage mode, status reset,
    // keep-alive restart and wait text; then `send` (which gives the call's success and the
    // server's status); success only for a good call with status 0, else the status is recorded
    // (74 makes the store read-only). `checks` false leaves out the connection checks for the
    // operations that make none of their own (they still get 173 without a transport client).
    template <class Send>
    bool RunRequest(const char* waitText, Send&& send, bool checks = true, bool reconnect = true) {
        if (!BeginRequest(waitText, checks, reconnect)) return false;
        ++m_nRequestsSent;
        int status = 0;
        const bool ok = send(status);
        return EndRequest(ok, status);
    }
    bool BeginRequest(const char* waitText, bool checks, bool reconnect);
    bool EndRequest(bool called, int status);

    // Fills ext with the instances the buffer's headers name (creating missing ones).
    bool MakeExtFromDbuf(CzorDataBuf& buf, CzorTAggr<CzorInstance>& ext);
    // Merges into the lists changed here what other users changed in them on the server since they
    // were loaded (called before a save): false when the server's lists cannot be fetched.
    bool ActualizeChangedAggr(CzorLoadData& batch);
    void MakeCurrentUser(int id);
    // Chooses the connection (asking through the network UI when needed) and connects its socket.
    // Failures are raised as SzorErrorDescription (0: the dialog was cancelled).
    void ConnectWithParam(std::string& user, std::string& password, std::string& connection, std::string& database,
                          bool forceDialog);
    bool LoadCurrentUser();
    // Blob transfer steps (blob.cpp).
    using BlobSource = std::function<long(unsigned char* dest, long max)>;  // bytes read, -1 on error
    bool SaveBlobFrom(CzorInstance* inst, CzorAttr* attr, const std::string& clientName, long size,
                      const BlobSource& source, bool emptyTail, long& checksum, const char* waitText);
    bool OpenBlobForReading(const std::string& serverName, int portion, long& total);
    // The server file into `file`, replaced atomically and only when every byte arrived (no
    // question; the request rule already ran).
    bool DownloadServerFile(const char* serverName, const char* file);
    // The dictionary's server file into a new file of this process's private folder (`name`);
    // false, with the status recorded and no file left, when it cannot be had.
    bool DownloadDictionary(const std::string& serverName, std::string& name);
    bool DeleteBlobByName(const std::string& serverName);
    bool Failed(int status, const std::string& detail = {});
    void IndexInstances();
    // Saving steps (save.cpp).
    bool _SaveExtToDataBuf(CzorDataBuf& buf, CzorTAggr<CzorInstance>& instances, CzorTAggr<CzorInstance>& headers);
    bool BuildSavePortion(const CzorTAggr<CzorInstance>& instances, CzorSavePortion& portion);
    // Sends the portion; `unknown` tells that it went out and no trustworthy reply came back.
    bool SendSavePortion(CzorSavePortion& portion, const char* waitText, bool& unknown);
    bool CheckSaveReply(const CzorSavePortion& portion, CzorDataBuf& reply);
    void ForgetSaveState();
    // The search buffer "zor_TestFindBuf V 0.103"; false when an instance a criterion names has no id.
    bool FeelTestFindBuf(CzorDataBuf& buf, CzorEntity* ent, CzorInstance* except, int n, CzorAttrValue* values,
                         bool pattern, bool caseSensitive, zorStringBindMode mode);

    // Reloads the instances' state (the user's mode on them) from the server.
    bool CheckInstState(CzorTAggr<CzorInstance>* insts);
    // The connection checks of the request rule, without resetting the status (173, 162).
    bool AccessSessionReady();
    // Records a status without a message box.
    void RecordQuietly(int code);
    // The placeholder agents of access patterns, shared by nested uses.
    bool TakePatternPlaceholders();
    void GivePatternPlaceholders();

    // The collaborators, each owning its side's state.
    CzorNetSession m_Session;
    CzorNetIdIndex m_Index;  // instances in memory by id (caught up after a merge)
    CzorNetSaveState m_Saving;
    CzorNetBlobState m_Blobs;
    CzorNetRightsState m_Rights;
    CzorNetQueryState m_Queries;

    // The front's own: its modes, the request rule's last status, the logged-in user's instance and
    // the store that fetches the server's lists before a save.
    bool m_bManageMode = true;
    bool m_bNetErrorMessageMode = true;
    bool m_bHideMode = false;
    bool m_bAutoDownload = false;
    int m_nLastStatus = 0;
    int m_nReportingGuard = 0;
    long m_nRequestsSent = 0;
    CzorInstance* m_pCurrUser = nullptr;
    std::unique_ptr<CzorNetStepData> m_pAuxStore;
};

// The silent half of NET_QueryEditParse: parses a query's text (UTF-8, CR LF or LF line ends) with the
// parser. False with errorText (when given) saying what is wrong and, for a text that does not parse,
// where: "Ошибка в строке <line> позиция <column> :<error>".
bool zorParseQueryText(CzorQLQueryParser& parser, const std::string& text, std::string* errorText = nullptr);
