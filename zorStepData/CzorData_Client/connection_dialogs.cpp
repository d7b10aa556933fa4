#include "zorStepData/CzorData_Client/connection_dialogs.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "platform/text/cp1251.h"
#include "platform/transport/wire.h"
#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/net_error_texts.h"
#include "zorStepData/CzorData_Client/transport_client.h"

namespace zor::net {
namespace {

constexpr const char* kError = "Ошибка!";
constexpr char kBaseListSignature[] = "BaseListBuf v1.00";

bool Has(const std::string& text, const char* chars) { return text.find_first_of(chars) != std::string::npos; }

// Where the text stands in the list (letter case counts), or -1.
int IndexOf(const std::vector<std::string>& list, const std::string& text) {
    const auto it = std::find(list.begin(), list.end(), text);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

}  // namespace

std::string RefusedRecordText(const std::string& name, const std::string& host, const std::string& database,
                              const std::string& user) {
    if (Has(name, "\r\n") || Has(host, "\r\n") || Has(database, "\r\n") || Has(user, "\r\n"))
        return "Параметры подключения не должны содержать перевода строки";
    if (Has(name, "=:/")) return "Имя подключения не должно содержать символов \"=\", \":\" и \"/\"";
    if (Has(host, ":/")) return "Имя компьютера не должно содержать символов \":\" и \"/\"";
    if (Has(database, "/")) return "Имя базы не должно содержать символа \"/\"";
    return {};
}

// ---- Login

void CLoginLogic::Fill() {
    users.clear();
    if (!user.empty()) users.push_back(user);
    if (recentUsers)
        for (const std::string& u : *recentUsers)
            if (u != user) users.push_back(u);
    userSelection = users.empty() ? -1 : 0;

    connectionNames.clear();
    if (connections)
        for (const CzorConnectionRec& rec : *connections) connectionNames.push_back(rec.name);
    if (chosen < 0) chosen = IndexOf(connectionNames, connectionName);
    if (chosen >= static_cast<int>(connectionNames.size())) chosen = -1;
    connectionSelection = chosen;
    connectionText = chosen >= 0 ? connectionNames[static_cast<size_t>(chosen)] : connectionName;
}

void CLoginLogic::ConnectionChanged(int selection) {
    chosen = selection >= 0 && selection < static_cast<int>(connectionNames.size()) ? selection : -1;
    connectionSelection = chosen;
    if (chosen < 0 || !connections || chosen >= static_cast<int>(connections->size())) return;
    const std::string& preferred = (*connections)[static_cast<size_t>(chosen)].user;
    if (preferred.empty()) return;
    int at = IndexOf(users, preferred);
    if (at < 0) {
        users.push_back(preferred);
        at = static_cast<int>(users.size()) - 1;
    }
    userSelection = at;
}

void CLoginLogic::Ok(const std::string& typedUser, int selection, const std::string& typedPassword) {
    password = typedPassword;
    chosen = selection >= 0 && selection < static_cast<int>(connectionNames.size()) ? selection : -1;
    user = typedUser;
    if (!recentUsers) return;
    // The users in the order the box showed them, the one who logs in first.
    std::vector<std::string> next{user};
    for (const std::string& u : users)
        if (u != user) next.push_back(u);
    *recentUsers = std::move(next);
}

// ---- One connection

bool CTuneConnectionLogic::TakePort(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < 1 || value > 65535) {
        AfxMessageBox("Введите целое число от 1 до 65535.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    port = value;
    return true;
}

bool CTuneConnectionLogic::Ok() {
    if (name.empty()) {
        zorMessageBox("Имя подключения не должно быть пустым!", kError, MB_OK | MB_ICONWARNING);
        return false;
    }
    if (IndexOf(otherNames, name) >= 0) {
        zorMessageBox("Имя подключения совпадает с уже имеющимся!", kError, MB_OK | MB_ICONWARNING);
        return false;
    }
    const std::string refused = RefusedRecordText(name, computer, database, user);
    if (!refused.empty()) {
        zorMessageBox(refused, kError, MB_OK | MB_ICONWARNING);
        return false;
    }
    if (defaultPort) port = kDefaultServerPort;
    return true;
}

void CTuneConnectionLogic::ChooseDatabase(const BaseListFetch& fetch, const BaseChooser& choose) {
    if (defaultPort) port = kDefaultServerPort;
    if (computer.empty() || port < 1 || port > 65535) {
        zorMessageBox("Неверные параметры доступа к серверу", "Ошибка данных", MB_OK);
        return;
    }
    std::vector<std::string> names;
    const int status = fetch(computer, port, names);
    if (status < 0) return;  // the server cannot be reached: nothing to choose from
    if (status != 0) {
        zorMessageBox(ZOR_NET_ERROR2char(status, ""), "Ошибка получения данных", MB_OK);
        return;
    }
    const int initial = std::max(IndexOf(names, database), 0);
    const int picked = choose(names, initial);
    if (picked == -2) return;
    database = picked >= 0 && picked < static_cast<int>(names.size()) ? names[static_cast<size_t>(picked)] : std::string();
    if (name.empty() && !database.empty())
        name = computer == "localhost" || computer == "127.0.0.1" ? database : database + " на " + computer;
}

// ---- The list

std::vector<std::string> CTuneListLogic::Names(int except) const {
    std::vector<std::string> names;
    if (!list) return names;
    for (size_t i = 0; i < list->size(); ++i)
        if (static_cast<int>(i) != except) names.push_back((*list)[i].name);
    return names;
}

void CTuneListLogic::Add(const Editor& edit) {
    if (!list) return;
    CTuneConnectionLogic dlg;
    dlg.otherNames = Names();
    if (!edit(dlg)) return;
    list->push_back({0, dlg.name, dlg.computer, dlg.port, dlg.database, dlg.user});
    selection = static_cast<int>(list->size()) - 1;
}

void CTuneListLogic::Edit(const Editor& edit) {
    if (!list) return;
    if (selection < 0 || selection >= static_cast<int>(list->size())) {
        zorMessageBox("Выберите подключение!", "Ошибка", MB_OK | MB_ICONERROR);
        return;
    }
    CzorConnectionRec& rec = (*list)[static_cast<size_t>(selection)];
    CTuneConnectionLogic dlg;
    dlg.otherNames = Names(selection);
    dlg.name = rec.name;
    dlg.computer = rec.host;
    dlg.port = rec.port;
    dlg.database = rec.database;
    dlg.user = rec.user;
    if (!edit(dlg)) return;
    rec.name = dlg.name;
    rec.host = dlg.computer;
    rec.port = dlg.port;
    rec.database = dlg.database;
    rec.user = dlg.user;
}

void CTuneListLogic::Remove() {
    if (!list) return;
    if (selection < 0 || selection >= static_cast<int>(list->size())) {
        zorMessageBox("Выберите подключение для удаления", "Ошибка удаления", MB_OK | MB_ICONERROR);
        return;
    }
    const std::string& name = (*list)[static_cast<size_t>(selection)].name;
    if (zorMessageBox("Подключение \"" + name + "\" будет удалено из списка\nПродолжить?", "Предупреждение",
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    list->erase(list->begin() + selection);
    if (selection >= static_cast<int>(list->size())) selection = static_cast<int>(list->size()) - 1;
}

void CTuneListLogic::Move(int by) {
    if (!list) return;
    if (selection < 0 || selection >= static_cast<int>(list->size())) {
        zorMessageBox("Выберите подключение!", "Ошибка", MB_OK | MB_ICONERROR);
        return;
    }
    const int to = selection + by;
    if (to < 0 || to >= static_cast<int>(list->size())) return;
    std::swap((*list)[static_cast<size_t>(selection)], (*list)[static_cast<size_t>(to)]);
    selection = to;
}

bool CTuneListLogic::Ok() {
    if (list) {
        std::string error;
        if (!WriteConnections(*list, &error)) {
            zorMessageBox("Список подключений не сохранен:\n" + error, kError, MB_OK | MB_ICONERROR);
            return false;
        }
    }
    chosen = list && selection >= 0 && selection < static_cast<int>(list->size()) ? selection : -1;
    return true;
}

// ---- Command 12

int ParseBaseList(const unsigned char* data, size_t size, std::vector<std::string>& names) {
    names.clear();
    WireReader r(data, size);
    const unsigned char* sig = nullptr;
    if (!r.Bytes(sizeof kBaseListSignature, sig) || std::memcmp(sig, kBaseListSignature, sizeof kBaseListSignature) != 0)
        return ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
    int32_t count = 0;
    if (!r.I32(count) || count < 0) return ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
    if (count == 0) return ZOR_NET_CLI_LIST_OF_BASE_EMPTY;
    for (int32_t i = 0; i < count; ++i) {
        const unsigned char* text = nullptr;
        int32_t n = 0;
        if (!r.Field(text, n) || n < 1 || text[n - 1] != 0) {
            names.clear();
            return ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
        }
        names.push_back(Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(n - 1))));
    }
    return 0;
}

int FetchBaseList(const std::string& host, int port, std::vector<std::string>& names, bool hide) {
    names.clear();
    CTransportSocketClient client;
    client.SetHideMode(hide);
    try {
        if (!client.Connect(host, port)) return -1;
        int status = 0;
        CzorDataBuf reply;
        const bool called = client.RequestBaseList(status, reply);
        client.DropSocket();
        if (!called || status != 0) {
            if (status == 0) status = client.GetLastError() ? client.GetLastError() : ZOR_NET_CLI_ERROR_PROCESSED;
            return status;
        }
        return ParseBaseList(reply.GetBuffer(), reply.GetSize(), names);
    } catch (const SzorErrorDescription& e) {
        return e.code ? e.code : -1;
    }
}

}  // namespace zor::net
