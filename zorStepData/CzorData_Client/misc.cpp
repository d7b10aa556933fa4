// The smaller remote operations: the dictionary from the server, the server's time, the round-trip
// test, a line in the server's client log and the index operation.
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "platform/base/tempfile.h"
#include "platform/text/cp1251.h"
#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/keep_alive.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

namespace {
constexpr char kLogSignature[] = "Client2Server log bufer v0.1";
static_assert(sizeof kLogSignature == 29);

std::string WireText(const std::vector<unsigned char>& block, int length) {
    const auto* p = reinterpret_cast<const char*>(block.data());
    const size_t n = strnlen(p, static_cast<size_t>(length));
    return zor::Cp1251ToUtf8(std::string_view(p, n));
}

// The database text as a part of a file name: letters, digits, '-' and '_' of it, the rest '_'.
// The stored text itself stays as it is.
std::string SafeFileNamePart(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (out.size() >= 40) break;
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        out += safe ? c : '_';
    }
    return (out.empty() ? std::string("dict") : out) + "_";
}
}  // namespace

// The dictionary is a server file, downloaded into a new private file of this process; the path
// of block 1 is the way in when there is no server file or it cannot be had (a client on the
// server's machine). Both stores must take the dictionary, or the login fails.
bool CzorNetStepData::NET_LoadDictionaryFromServer(const char* waitText) {
    std::vector<unsigned char> path(4096), file(32768);
    int len1 = 0, len2 = 0;
    GetTransport()->SetDictionaryCapacity(static_cast<int>(path.size()), static_cast<int>(file.size()));
    if (!RunRequest(waitText, [&](int& status) {
            return GetTransport()->RequestDictionary(status, len1, path.data(), len2, file.data());
        }))
        return false;
    GetTransport()->ClearInternalData();
    const std::string direct = WireText(path, len1), served = WireText(file, len2);
    if (!m_Session.DictFile().empty()) ::unlink(m_Session.DictFile().c_str());
    m_Session.SetDictFile({});
    m_pAuxStore = std::make_unique<CzorNetStepData>();
    m_pAuxStore->SetHideMode(true);
    int downloadStatus = 0;
    if (!served.empty()) {
        std::string name;
        if (DownloadDictionary(served, name)) {
            if (LoadDictionaryFromFile(name.c_str()) && m_pAuxStore->LoadDictionaryFromFile(name.c_str())) {
                m_Session.SetDictFile(name);
                return true;
            }
            ::unlink(name.c_str());
        } else {
            downloadStatus = m_nLastStatus;
        }
    }
    if (!direct.empty() && LoadDictionary(direct.c_str()) && m_pAuxStore->LoadDictionary(direct.c_str())) {
        m_nLastStatus = 0;
        return true;
    }
    m_pAuxStore.reset();
    if (downloadStatus) {
        SetZORError(downloadStatus);
    } else {
        const int code = GetLastError();
        m_nLastStatus = code ? code : ZOR_NET_CLI_ERROR_PROCESSED;
    }
    return false;
}

// Quiet: a failure here may still be made good by the direct path.
bool CzorNetStepData::DownloadDictionary(const std::string& serverName, std::string& name) {
    const bool mode = m_bNetErrorMessageMode;
    m_bNetErrorMessageMode = false;
    bool ok = false;
    const std::string folder = zor::PrivateTempDir();
    if (folder.empty()) {
        Failed(ZOR_NET_CLI_FNCREATE, "dictionary");
    } else if (zor::net::MakeUniqueTempFileName((folder + "/").c_str(), SafeFileNamePart(m_Session.Base()).c_str(),
                                                "dict", &name) < 0) {
        Failed(ZOR_NET_CLI_FNCREATE, folder);
    } else {
        ok = BeginRequest(nullptr, true, true) && DownloadServerFile(serverName.c_str(), name.c_str());
        if (!ok) ::unlink(name.c_str());
    }
    m_bNetErrorMessageMode = mode;
    return ok;
}

bool CzorNetStepData::NET_GetServerDateTime(double& oleDate) {
    unsigned char d[8] = {};
    if (!RunRequest(nullptr, [&](int& status) { return GetTransport()->RequestServerDateTime(status, d); }))
        return false;
    std::memcpy(&oleDate, d, sizeof oleDate);
    return true;
}

// A hundred round trips of 1 MiB; any failed trip or an echo that differs ends the test false.
bool CzorNetStepData::NET_Test(const char* waitText) {
    CzorDataBuf body;
    body.SetSize(0x100000);
    long long total = 0;
    for (int i = 0; i < 100; ++i) {
        CzorDataBuf reply;
        const auto start = std::chrono::steady_clock::now();
        if (!RunRequest(waitText, [&](int& status) { return GetTransport()->RequestTest(status, body, reply); }))
            return false;
        total += std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        if (!reply.IsEqu(body)) {
            SetZORError(ZOR_NET_CLI_MISSED_DATA_FROM_SERVER);
            return false;
        }
    }
    GetTransport()->ClearInternalData();
    if (!m_bHideMode) {
        char text[64];
        std::snprintf(text, sizeof text, "Общая длительность %lli ", total);
        zor::MessageSink().Show(text, "", MB_OK);
    }
    return true;
}

bool CzorNetStepData::NET_WriteLog(const std::string& first, const std::string& second, bool flag) {
    if ((first.empty() && !flag) || second.empty()) return false;
    std::string a, b;
    zor::Utf8ToCp1251(first, a);
    zor::Utf8ToCp1251(second, b);
    CzorDataBuf body;
    body.Add(kLogSignature, sizeof kLogSignature);
    body.Add(a);
    body.Add(b);
    body.Add(static_cast<int32_t>(flag ? 1 : 0));
    if (!RunRequest(nullptr, [&](int& status) { return GetTransport()->RequestWriteLog(status, body); })) return false;
    GetTransport()->ClearInternalData();
    return true;
}

bool CzorNetStepData::NET_OperateOracleIndex(CzorAttr* attr, bool flag, const char* waitText) {
    if (!attr) return false;
    if (attr->GetType() != zorINSTANCE) {
        SetZORError(ZOR_NET_CLI_MISSED_ATTR_TYPE);
        return false;
    }
    return RunRequest(waitText, [&](int& status) {
        return GetTransport()->RequestOperateOracleIndex(status, attr->GetId(), flag ? 1 : 0);
    });
}
