// Connect, login and disconnect of the networked store, its title, and its settings.
#include <unistd.h>

#include <cstdio>

#include "platform/base/scramble.h"
#include "platform/text/utf8.h"
#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/keep_alive.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/net_ui.h"

namespace {
constexpr const char* kRpcCaption = "Служба RPC Tessaline";
constexpr unsigned kTaskModal = 0x2000;

[[noreturn]] void Raise(int code, int line) { throw SzorErrorDescription{code, "zorNetStepData", line, {}}; }
}  // namespace

// ---- Settings

bool CzorNetStepData::ReadConnectionsInfo() {
    int skipped = 0;
    zor::net::ReadConnections(m_Session.Connections(), m_Session.LocalServerPath(), &skipped);
    if (skipped) SetLastErrorEx(ZOR_NET_CLI_MISSED_CONNECTION_REC, false, "ZorTransport.ini", __LINE__);
    return true;
}

bool CzorNetStepData::WriteConnectionsInfo() {
    std::string error;
    if (zor::net::WriteConnections(m_Session.Connections(), &error)) return true;
    SetLastErrorDescription(error);
    return false;
}

void CzorNetStepData::GetListConnections(std::vector<std::string>& names) const {
    names.clear();
    for (const auto& rec : m_Session.Connections()) names.push_back(rec.name);
}

std::string CzorNetStepData::MakeSourceDescr(const std::string& file, int line, const std::string& date) {
    return file + ":" + std::to_string(line) + " от " + date;
}

// ---- Title

std::string CzorNetStepData::DisplayDatabaseText(const std::string& text) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos) return text;
    std::string shown = text.substr(0, slash) + "/*****";
    const size_t at = text.find('@', slash);
    if (at != std::string::npos) shown += "@" + text.substr(at + 1);
    return shown;
}

std::string CzorNetStepData::GetTitulCurrBD(bool base, bool connection, bool user, bool employee, bool pid) {
    if (!m_Session.Connected()) return "Не соединены с БД";
    std::string t;
    if (base) t += "БД '" + m_Session.Base() + "' ";
    if (connection) t += "Соединение '" + m_Session.Connection() + "' ";
    if (user) t += "Пользователь '" + m_Session.User() + "' ";
    if (employee) {
        t += "Сотрудник ";
        CzorInstance* person = nullptr;
        CzorAttr* personality = m_pCurrUser ? GetAttrDefinition(m_pCurrUser->GetEntity(), "personality") : nullptr;
        if (personality) GetAttr(m_pCurrUser, personality, person);
        if (!person) {
            t += "Не определен ";
        } else {
            const auto load = [&](CzorInstance* inst) {
                CzorLoadData batch(this, MakeSourceDescr(__FILE__, __LINE__, __DATE__));
                if (batch.AddQuery(inst, true) >= 0) batch.LoadEx(true);
            };
            load(person);
            if (IsKindOfBN(person, "person_and_organization")) {
                CzorInstance* p = nullptr;
                GetAttrBN(person, "the_person", p);
                if (p) load(p);
                person = p;
            }
            std::string last, first, middle;
            CzorAggr middles;
            if (person) {
                GetAttrBN(person, "last_name", last);
                GetAttrBN(person, "first_name", first);
                if (GetAttrBN(person, "middle_names", middles) && middles.GetSize() > 0 && middles.GetByIndex(0)->GetString())
                    middle = middles.GetByIndex(0)->GetString();
            }
            t += "'" + last + " " + first + " " + middle + " ' ";
        }
    }
    if (pid) t += "pid " + std::to_string(::getpid()) + " ";
    return t;
}

// ---- Connecting

bool CzorNetStepData::ConnectWithTestLocal(const std::string& host, int port, bool ask) {
    if (!GetTransport()) return false;
    return GetTransport()->ConnectWithServerStart(host, port, m_Session.LocalServerPath(), ask);
}

void CzorNetStepData::ConnectWithParam(std::string& user, std::string& password, std::string& connection,
                                       std::string& database, bool forceDialog) {
    NET_Disconnect();
    try {
        std::string last;
        if (!zor::net::ReadLastActive(m_Session.RecentUsers(), last)) Raise(ZOR_NET_CLI_ERROR_REESTR, __LINE__);
        if (connection.empty()) {
            connection = last;
            forceDialog = true;
        }
        ReadConnectionsInfo();
        int index = -1;
        for (size_t i = 0; i < m_Session.Connections().size() && index < 0; ++i)
            if (zor::EqualsNoCase(m_Session.Connections()[i].name, connection)) index = static_cast<int>(i);
        if (index < 0 || forceDialog) {
            zor::net::LoginDialogData d;
            d.recentUsers = m_Session.RecentUsers();
            GetListConnections(d.connections);
            d.index = index;
            d.connection = connection;
            d.store = this;
            const std::string given = user;
            d.user = given;
            for (;;) {
                if (!zor::net::NetUi().RunLoginDialog(d)) Raise(0, __LINE__);
                if (d.user.empty()) {
                    zor::net::NetUi().Tell("Поле \"Имя пользователя\" не должно быть пустым", "Ошибка ввода", MB_ICONERROR);
                    d.user = given;
                    continue;
                }
                if (d.index < 0) {
                    zor::net::NetUi().Tell("Поле \"Имя подключения\" не должно быть пустым", "Ошибка ввода", MB_ICONERROR);
                    continue;
                }
                break;
            }
            user = d.user;
            password = d.password;
            index = d.index;
            m_Session.RecentUsers() = d.recentUsers;
        }
        if (index < 0 || static_cast<size_t>(index) >= m_Session.Connections().size())
            Raise(ZOR_NET_CLI_ERROR_PROCESSED, __LINE__);
        const CzorConnectionRec& rec = m_Session.Connections()[static_cast<size_t>(index)];
        connection = rec.name;
        if (!ConnectWithTestLocal(rec.host, rec.port, true)) Raise(ZOR_SOCK_ERROR_PROCESSED, __LINE__);
        database = rec.database;
        zor::net::WriteLastActive(m_Session.RecentUsers(), connection);
        GetTransport()->ClearInternalData();
    } catch (...) {
        database.clear();
        throw;
    }
}

bool CzorNetStepData::LoadCurrentUser() {
    if (!m_pCurrUser) return false;
    CzorLoadData batch(this, MakeSourceDescr(__FILE__, __LINE__, __DATE__));
    if (batch.AddQuery(m_pCurrUser, true) < 0) return false;
    return batch.LoadEx(true);
}

bool CzorNetStepData::NET_Connect(const char* userIn, const char* passwordIn, const char* connectionIn,
                                  const char* waitText) {
    if (!GetTransport()) return false;
    if (GetTransport()->IsConnected() || m_Session.Connected()) {
        // Asked in hide mode too: dropping a session is the user's decision.
        if (!zor::net::NetUi().Ask("Соединение уже установлено. Разорвать соединение?", kRpcCaption)) return true;
        NET_Disconnect();
    }
    ClearData();
    m_Session.SetConnected(false);
    std::string user = userIn ? userIn : "", password = passwordIn ? passwordIn : "";
    std::string connection = connectionIn ? connectionIn : "";
    const bool silent = !user.empty() && !connection.empty();
    std::string database;
    int userId = 0;
    try {
        bool force = false;
        for (;;) {
            ConnectWithParam(user, password, connection, database, force);
            std::string scrambled;
            zor::ScrambleText(password.c_str(), scrambled);
            LoginBlock block;
            if (!block.SetTexts(user, scrambled, database)) Raise(ZOR_NET_CLI_MISSED_DATA, __LINE__);
            block.Set(zor::net::kLoginAddressOffset, CTransportSocketClient::GetOwnIPv4Address());
            if (!m_bHideMode) GetTransport()->SetWaitDlgText(waitText ? waitText : "Идет регистрация в БД");
            int status = 0, length = 0;
            bool canFind = false;
            const bool called = GetTransport()->RequestLogin(status, length, &block, &canFind);
            m_Session.SetCanFindInBlob(canFind);
            if (!called) Raise(status ? status : ZOR_NET_CLI_NOT_CONNECT, __LINE__);
            userId = block.Get(zor::net::kLoginUserIdOffset);
            if (status == 0) break;
            if (silent || m_bHideMode) Raise(status, __LINE__);
            if (status == ZOR_NET_SRV_MISSED_NAME_BASE) {
                zor::net::NetUi().Tell("Указанная в подключении " + connection + " База Данных с\nименем " + database +
                                           " недоступна через текущий сервер\nприложений. Проверьте тип сервера приложений\n"
                                           "или настройте БД в параметрах подключения\n",
                                       kRpcCaption, MB_ICONERROR | kTaskModal);
                force = true;
                continue;
            }
            if (status == ZOR_NET_SRV_UNKNOWN_USER) {
                zor::net::NetUi().Tell("Неправильное имя пользователя или пароль. \n Проверьте заглавные и строчные буквы в  \n"
                                       "  имени и пароле и попробуйте еще раз.   ",
                                       kRpcCaption, MB_ICONWARNING | kTaskModal);
                force = true;
                password.clear();
                continue;
            }
            if (status == ZOR_NET_SRV_ZORAPIERR_FILE_BD_READ_ONLY || status == ZOR_NET_SRV_USER_READ_ONLY) {
                const char* q = status == ZOR_NET_SRV_USER_READ_ONLY
                                    ? "Ваш доступ к БД ограничен чтением.\nПерейти в режим \"Только чтение\"?"
                                    : "Один или несколько файлов БД защищены для записи.\nРабота возможна только в режиме "
                                      "\"Только чтение\".\nПерейти в режим \"Только чтение\"?";
                if (!zor::net::NetUi().Ask(q, kRpcCaption)) Raise(status, __LINE__);
                SetReadOnly(true);
                break;
            }
            Raise(status, __LINE__);
        }
    } catch (const SzorErrorDescription& e) {
        SetZORError(e.code);
        NET_Disconnect();
        m_nLastStatus = e.code;
        return false;
    }
    zor::net::KeepAlive::Instance().SetSession(this);
    zor::net::KeepAlive::Instance().Restart(0);
    m_Session.LoggedIn(DisplayDatabaseText(database), user, connection);
    // Without its dictionary the session is of no use: the login fails and ends disconnected.
    if (!NET_LoadDictionaryFromServer(nullptr)) {
        const int status = m_nLastStatus ? m_nLastStatus : ZOR_NET_CLI_ERROR_PROCESSED;
        const std::string text = GetLastErrorDescription();
        NET_Disconnect();
        m_nLastStatus = status;
        SetLastErrorDescription(text);
        return false;
    }
    if (GetEntityBN("zor_user")) {
        MakeCurrentUser(userId);
        LoadCurrentUser();
    }
    return true;
}

int CzorNetStepData::NET_TuningConnections() {
    zor::net::KeepAlive::Instance().Restart(2);
    bool changed = false;
    const int result = zor::net::NetUi().RunConnectionsDialog(m_Session.Connections(), changed);
    if (result >= 0) ReadConnectionsInfo();
    if (changed) m_Session.RecentUsers().clear();
    return result;
}

bool CzorNetStepData::NET_Disconnect() {
    zor::net::KeepAlive::Instance().Restart(0);
    if (!m_Session.DictFile().empty()) ::unlink(m_Session.DictFile().c_str());
    if (GetTransport()) {
        if (GetTransport()->IsConnected()) {
            int status = 0;
            GetTransport()->RequestDisconnect(status);
        }
        GetTransport()->ClearInternalData();
        GetTransport()->DropSocket();
        m_Session.LoggedOut();
        m_pCurrUser = nullptr;
    }
    ClearData();
    m_pAuxStore.reset();
    SetReadOnly(false);
    return true;
}
