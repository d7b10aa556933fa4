// Queries of the networked store: preparing one from text (silently or through the editor) and
// running it on the server (command 32).
#include <cstring>

#include <fmt/printf.h>

#include "platform/text/cp1251.h"
#include "platform/transport/net_errors.h"
#include "platform/zordata/stepbuf.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/net_ui.h"

namespace {

// Dictionary look-ups on the store; an instance missing from memory is loaded once by its id.
class NetQueryLookup : public CzorQLStoreLookup {
public:
    explicit NetQueryLookup(CzorNetStepData* store) : CzorQLStoreLookup(store), m_pNet(store) {}
    CzorInstance* FindInstance(int id) override {
        if (id <= 0) return nullptr;
        if (CzorInstance* inst = m_pNet->FindLoadedById(id)) return inst;
        if (!m_pNet->IsConnected()) return nullptr;
        CzorLoadData batch(m_pNet, CzorNetStepData::MakeSourceDescr(__FILE__, __LINE__, __DATE__));
        batch.AddQuery('a', id, 0L, 0L, true, false);
        batch.LoadEx(true, nullptr, nullptr, true);
        return m_pNet->FindLoadedById(id);
    }

private:
    CzorNetStepData* m_pNet;
};

// The line and column of byte offset `pos` of text.
void LineColumn(const std::string& text, size_t pos, int& line, int& column) {
    line = 1;
    column = 1;
    for (size_t i = 0; i < pos && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
}

}  // namespace

CzorQLLookup& CzorNetStepData::QueryLookup() {
    return m_Queries.Lookup([this] { return std::make_unique<NetQueryLookup>(this); });
}

bool CzorNetStepData::NET_QueryEditParse(std::string& text, bool showDialog, std::string* errorText, int* mode,
                                         std::string* name, bool* saveToDb, bool* showInTable) {
    const auto say = [&](const std::string& t) {
        if (errorText) *errorText = t;
    };
    if (!GetTransport() || !m_Session.Connected()) {
        SetZORError(ZOR_NET_CLI_NOT_CONNECT);
        say("Не присоединены к базе");
        return false;
    }
    if (!GetTransport()->IsConnected() && !GetTransport()->Reconnect(true)) {
        SetZORError(ZOR_NET_CLI_NOT_CONNECT);
        return false;
    }
    if (!GetTransport()->IsFree()) {
        SetZORError(ZOR_SOCK_OPERATION_IN_PROGRESS);
        return false;
    }
    if (!m_bManageMode) GetTransport()->SetManageMode(0);
    CzorQLQueryParser& prepared = m_Queries.StartPreparing(this, &QueryLookup());

    if (showDialog) {
        zor::net::QueryEditData d;
        d.store = this;
        d.text = text;
        d.textLocked = mode && *mode >= 1;
        d.nameLocked = mode && *mode == 2;
        if (name) d.name = *name;
        if (saveToDb) {
            d.nameEnabled = true;
            d.saveToDb = *saveToDb;
        }
        if (showInTable) d.showInTable = *showInTable;
        d.prepared = &prepared;
        if (!zor::net::NetUi().RunQueryEditDialog(d)) {
            prepared.Clear();
            say("Отмена ввода запроса");
            return false;
        }
        if (mode) *mode = d.textLocked ? 1 : 0;
        if (name && !d.nameLocked) *name = d.name;
        if (showInTable) *showInTable = d.showInTable;
        if (saveToDb) *saveToDb = d.saveToDb;
        text = d.text;
        if (d.parsed && prepared.m_bValid) return true;
        prepared.Clear();
        say("Неверный ввод текста запроса");
        return false;
    }

    return zorParseQueryText(prepared, text, errorText);
}

bool zorParseQueryText(CzorQLQueryParser& parser, const std::string& text, std::string* errorText) {
    const auto say = [&](const std::string& t) {
        if (errorText) *errorText = t;
    };
    if (text.empty()) {
        say("Отсутствует текст запроса");
        return false;
    }
    // The parser reads the wire's code page; line breaks count as LF alone.
    std::string lf;
    lf.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf.push_back(text[i]);
    std::string cp;
    size_t bad = 0;
    if (!zor::Utf8ToCp1251(lf, cp, &bad)) {
        int line = 0, column = 0;
        LineColumn(lf, bad, line, column);
        say(fmt::sprintf("Ошибка в строке %i позиция %i :%s", line, column,
                         CzorQLQueryParser::ErrorText(131)));
        return false;
    }
    if (parser.ParseSelectStatement(cp)) return true;
    std::string message;
    int line = 0, column = 0;
    parser.GetErrorInfo(message, line, column);
    say(fmt::sprintf("Ошибка в строке %i позиция %i :%s", line, column, message));
    return false;
}

namespace {

// The instances of the reply's headers that carry values: the selected ones (the other headers only
// name what their values refer to). The buffer was checked by the merge already.
bool SelectedInstances(CzorNetStepData& store, CzorDataBuf& buf, CzorTAggr<CzorInstance>& out) {
    buf.Begin();
    char sig[kzorStepDataSignatureSize];
    std::string dict;
    int32_t number = 0, n = 0;
    if (!buf.Read(sig, sizeof sig) || !buf.Read(dict) || !buf.Read(number) || !buf.Read(n) || n < 0 ||
        static_cast<size_t>(n) > buf.GetRemaining() / kzorStepHeaderSize)
        return false;
    std::vector<int32_t> ids(static_cast<size_t>(n));
    for (int32_t& id : ids) {
        int16_t entity = 0;
        int8_t state = 0;
        buf.Read(id);
        buf.Read(entity);
        buf.Read(state);
    }
    CzorInstance* any = nullptr;
    for (int32_t id : ids)
        if ((any = store.FindLoadedById(id))) break;
    while (buf.GetRemaining() > 0) {
        int32_t h = 0, k = 0;
        if (!buf.Read(h) || !buf.Read(k) || h < 0 || h >= n || k < 0) return false;
        for (int32_t j = 0; j < k; ++j) {
            int16_t attr = 0;
            CzorValue skipped;
            if (!buf.Read(attr) || !zorReadBufValue(buf, skipped, [&](int32_t) { return any; }, zorBufText::Cp1251))
                return false;
        }
        CzorInstance* inst = store.FindLoadedById(ids[static_cast<size_t>(h)]);
        if (!inst) return false;
        out.Add(inst);
    }
    return true;
}

}  // namespace

bool CzorNetStepData::NET_QueryExecute(CzorTAggr<CzorInstance>& result, const char* waitText) {
    // The list never owns the store's instances: emptying it frees nothing.
    result.RemoveAll();
    if (GetTransport() && !m_bHideMode) GetTransport()->SetWaitDlgText(waitText ? waitText : "Выполняется поиск");
    if (!GetTransport() || !m_Session.Connected()) {
        SetZORError(ZOR_NET_CLI_NOT_CONNECT);
        return false;
    }
    // Only a query whose preparation succeeded is sent, and only once.
    CzorDataBuf body;
    CzorQLQueryParser* prepared = m_Queries.Prepared();
    if (!prepared || !prepared->m_bValid || !prepared->SaveToDataBuf(body)) {
        SetZORError(ZOR_NET_CLI_MISSED_DATA);
        return false;
    }
    CzorDataBuf reply;
    if (!RunRequest(nullptr, [&](int& status) { return GetTransport()->RequestQueryExecute(status, body, reply); }))
        return false;
    GetTransport()->ClearInternalData();
    if (!ApploadFromDataBuf(reply, nullptr, zorBufText::Cp1251)) {
        // The merge refused the reply: nothing was merged, the query stays prepared.
        m_nLastStatus = GetLastError();
        return false;
    }
    if (!SelectedInstances(*this, reply, result)) {
        result.RemoveAll();
        SetZORError(ZOR_NET_CLI_MISSED_DATA_FROM_SERVER);
        return false;
    }
    m_Queries.Forget();
    return true;
}
