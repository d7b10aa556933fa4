// Blobs and server files: written, read and deleted portion by portion (commands 20 to 24).
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/base/file_io.h"
#include "platform/text/cp1251.h"
#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/net_ui.h"

namespace {
constexpr long kPortion = 0x100000;
constexpr long kMaxSize = 0x7fffffff;
constexpr int kNameCapacity = 4096;
constexpr const char* kRpcCaption = "Служба RPC Tessaline";

long PortionCount(long total, long portion) { return portion > 0 ? (total + portion - 1) / portion : 0; }

// The progress window from the third portion on.
std::unique_ptr<zor::net::ITransferProgress> Progress(long portions, const char* text) {
    return portions > 2 ? zor::net::NetUi().StartTransferProgress(text) : nullptr;
}
}  // namespace

bool CzorNetStepData::Failed(int status, const std::string& detail) {
    if (status == 0) status = GetTransport() && GetTransport()->GetLastError() ? GetTransport()->GetLastError()
                                                                             : ZOR_NET_CLI_ERROR_PROCESSED;
    SetZORError(status, detail);
    if (status == ZOR_NET_SRV_ZORAPIERR_FILE_BD_READ_ONLY) SetReadOnly(true);
    return false;
}

bool CzorNetStepData::SaveBlobFrom(CzorInstance* inst, CzorAttr* attr, const std::string& clientName, long size,
                                   const BlobSource& source, bool emptyTail, long& checksum, const char* waitText) {
    if (size > kMaxSize) return Failed(ZOR_NET_CLI_FILE_BIG, clientName);
    const long portion = std::max(1L, std::min(size, kPortion));
    std::vector<unsigned char> buf;
    try {
        buf.resize(static_cast<size_t>(portion));
    } catch (const std::bad_alloc&) {
        return Failed(ZOR_NET_CLI_ERROR_PROCESSED);
    }
    std::string client;
    zor::Utf8ToCp1251(clientName, client);
    char serverName[kNameCapacity] = {};
    int nameLength = kNameCapacity;
    int portionSize = static_cast<int>(portion), total = 0;
    int status = 0;
    if (waitText) GetTransport()->SetWaitDlgText(waitText);
    if (!GetTransport()->RequestOpenBlob(status, nameLength, serverName, static_cast<int>(client.size() + 1),
                                         client.c_str(), &portionSize, &total) ||
        status)
        return Failed(status);
    const std::string name(serverName, strnlen(serverName, static_cast<size_t>(nameLength)));
    const long portions = PortionCount(size, portion);
    auto progress = Progress(portions, "Сохранение файла в БД");
    if (progress && m_bManageMode) GetTransport()->SetManageMode(0);
    long sent = 0, done = 0;
    int failure = 0;
    std::string detail;
    for (bool last = false; !last;) {
        if (progress && progress->SetPercent(portions ? static_cast<int>(100 * done / portions) : 100)) {
            failure = ZOR_NET_CLI_BREAK;
            break;
        }
        const long want = std::min(portion, size - sent);
        const long got = want > 0 ? source(buf.data(), want) : 0;
        if (got < 0 || (!emptyTail && got != want)) {
            failure = ZOR_NET_CLI_FNF;
            detail = clientName;
            break;
        }
        for (long i = 0; i < got; ++i) checksum += buf[static_cast<size_t>(i)];
        sent += got;
        last = emptyTail ? got < portion : sent == size;
        if (!GetTransport()->RequestWriteBlobPortion(status, static_cast<int>(got), buf.data(), last ? 1 : 0) ||
            status) {
            failure = status ? status : ZOR_NET_CLI_ERROR_PROCESSED;
            break;
        }
        ++done;
    }
    progress.reset();
    if (m_bManageMode) GetTransport()->SetManageMode(2);
    if (failure) {
        int endStatus = 0;
        GetTransport()->RequestEndBlobWrite(endStatus);  // the server drops what it received
        return Failed(failure, detail);
    }
    CzorInstance::CzorValueDefinition* slot = GetAttrValue(inst, attr);
    const std::string old = slot && slot->GetValue().GetString() ? slot->GetValue().GetString() : "";
    if (!PutAttr(inst, attr, name)) return Failed(ZOR_NET_CLI_ERROR_PROCESSED);
    if (!old.empty() && old != name) m_Blobs.NoteReplaced(old);
    return true;
}

bool CzorNetStepData::NET_SaveBlob(CzorInstance* inst, CzorAttr* attr, const char* file, long& checksum, const char* name,
                                   const char* waitText) {
    if (!BeginRequest(waitText, true, true)) return false;
    if (!inst || !attr || !file) return Failed(ZOR_NET_CLI_MISSED_DATA);
    if (attr->GetType() != zorSTRING) return false;
    struct stat st {};
    if (::stat(file, &st) != 0 || !S_ISREG(st.st_mode)) return Failed(ZOR_NET_CLI_FNF, file);
    if (st.st_size > kMaxSize) return Failed(ZOR_NET_CLI_FILE_BIG, file);
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(file, "rb"), &std::fclose);
    if (!f) return Failed(ZOR_NET_CLI_FNF, file);
    const BlobSource source = [&](unsigned char* dest, long max) -> long {
        const size_t n = std::fread(dest, 1, static_cast<size_t>(max), f.get());
        return std::ferror(f.get()) ? -1 : static_cast<long>(n);
    };
    return SaveBlobFrom(inst, attr, name ? name : file, static_cast<long>(st.st_size), source, true, checksum, waitText);
}

bool CzorNetStepData::NET_SaveBlobBN(CzorInstance* inst, const char* attr, const char* file, long& checksum,
                                     const char* name, const char* waitText) {
    if (!inst) return false;
    return NET_SaveBlob(inst, GetAttrDefinition(inst->GetEntity(), attr), file, checksum, name, waitText);
}

bool CzorNetStepData::NET_SaveFileFromMemory(CzorInstance* inst, CzorAttr* attr, const unsigned char* data, long size,
                                             long& checksum, const char* waitText) {
    if (!BeginRequest(waitText, true, true)) return false;
    if (!inst || !attr || (!data && size) || size < 0) return Failed(ZOR_NET_CLI_MISSED_DATA);
    if (attr->GetType() != zorSTRING) return false;
    long pos = 0;
    const BlobSource source = [&](unsigned char* dest, long max) -> long {
        std::memcpy(dest, data + pos, static_cast<size_t>(max));
        pos += max;
        return max;
    };
    return SaveBlobFrom(inst, attr, "blob_from_memory", size, source, false, checksum, waitText);
}

bool CzorNetStepData::DeleteBlobByName(const std::string& serverName) {
    std::string name = serverName;
    int length = static_cast<int>(name.size() + 1);
    int portion = kPortion, total = 0, status = 0;
    std::vector<char> area(name.begin(), name.end());
    area.push_back('\0');
    if (!GetTransport()->RequestOpenBlob(status, length, area.data(), 0, nullptr, &portion, &total) || status)
        return Failed(status);
    if (!GetTransport()->RequestEndBlobWrite(status) || status) return Failed(status);
    return true;
}

bool CzorNetStepData::NET_DeleteBlob(CzorInstance* inst, CzorAttr* attr, const char* waitText) {
    if (!BeginRequest(waitText, true, true)) return false;
    if (!inst || !attr) return Failed(ZOR_NET_CLI_MISSED_DATA);
    CzorInstance::CzorValueDefinition* slot = GetAttrValue(inst, attr);
    const std::string name = slot && slot->GetValue().GetString() ? slot->GetValue().GetString() : "";
    if (!DeleteBlobByName(name)) return false;
    return PutAttr(inst, attr, "");
}

bool CzorNetStepData::NET_DeleteBlobBN(CzorInstance* inst, const char* attr, const char* waitText) {
    if (!inst) return false;
    return NET_DeleteBlob(inst, GetAttrDefinition(inst->GetEntity(), attr), waitText);
}

bool CzorNetStepData::DeletePendingBlobs() {
    bool all = true;
    std::vector<std::string> left;
    for (const std::string& name : m_Blobs.PendingDeletions()) {
        const bool mode = m_bNetErrorMessageMode;
        m_bNetErrorMessageMode = false;
        const bool ok = BeginRequest(nullptr, true, true) && DeleteBlobByName(name);
        m_bNetErrorMessageMode = mode;
        if (!ok) {
            all = false;
            left.push_back(name);
        }
    }
    m_Blobs.KeepPending(std::move(left));
    if (!all) {
        SetLastErrorDescription("Предупреждение: прежнее содержимое не удалено с сервера\n" +
                                std::string(GetLastErrorDescription()));
        m_nLastStatus = 0;
    }
    return all;
}

bool CzorNetStepData::OpenBlobForReading(const std::string& serverName, int portion, long& total) {
    std::vector<char> area(serverName.begin(), serverName.end());
    area.push_back('\0');
    int length = static_cast<int>(area.size());
    int t = 0, status = 0;
    if (!GetTransport()->RequestOpenBlob(status, length, area.data(), 0, nullptr, &portion, &t) || status)
        return Failed(status);
    total = t;
    return true;
}

bool CzorNetStepData::NET_LoadBlob(CzorInstance* inst, CzorAttr* attr, const char* file, const char* waitText) {
    std::string name;
    if (!inst || !attr || !GetAttr(inst, attr, name)) name.clear();
    return NET_LoadFileFromSrv(name.c_str(), file, waitText);
}

bool CzorNetStepData::NET_LoadBlobBN(CzorInstance* inst, const char* attr, const char* file, const char* waitText) {
    if (!inst) return false;
    return NET_LoadBlob(inst, GetAttrDefinition(inst->GetEntity(), attr), file, waitText);
}

bool CzorNetStepData::NET_LoadFileFromSrv(const char* serverName, const char* file, const char* waitText) {
    if (!BeginRequest(waitText, true, true)) return false;
    if (!serverName || !*serverName || !file || !*file) return Failed(ZOR_NET_CLI_MISSED_DATA);
    struct stat st {};
    if (::stat(file, &st) == 0 &&
        !zor::net::NetUi().Ask("Файл " + std::string(file) + " существует. Заменить?", kRpcCaption))
        return false;
    return DownloadServerFile(serverName, file);
}

// The target is replaced only at the end, by a rename: until then it stays as it was.
bool CzorNetStepData::DownloadServerFile(const char* serverName, const char* file) {
    zor::AtomicFileWriter writer;
    std::string error;
    if (!writer.Open(file, &error)) return Failed(ZOR_NET_CLI_FNCREATE, file);
    long total = 0;
    if (!OpenBlobForReading(serverName, kPortion, total)) return false;
    std::vector<unsigned char> buf(static_cast<size_t>(kPortion));
    const long portions = PortionCount(total, kPortion);
    auto progress = Progress(portions, "Чтение файла из БД");
    long received = 0, done = 0;
    int failure = 0, status = 0;
    for (int last = 0; !last;) {
        if (progress && progress->SetPercent(portions ? static_cast<int>(100 * done / portions) : 100)) {
            failure = ZOR_NET_CLI_BREAK;
            break;
        }
        int n = static_cast<int>(kPortion);
        if (!GetTransport()->RequestReadBlobPortion(status, n, buf.data(), last) || status) {
            failure = status ? status : ZOR_NET_CLI_ERROR_PROCESSED;
            break;
        }
        GetTransport()->ClearInternalData();
        received += n;
        if (received > total) {
            failure = ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
            break;
        }
        if (!writer.Write(buf.data(), static_cast<size_t>(n))) {
            failure = ZOR_NET_CLI_FNCREATE;
            break;
        }
        ++done;
    }
    progress.reset();
    const bool ended = failure == 0;
    if (!failure && received != total) failure = ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;
    if (!failure && !writer.Commit(&error)) failure = ZOR_NET_CLI_FNCREATE;
    if (failure) {
        writer.Discard();
        if (!ended) {
            int endStatus = 0;
            GetTransport()->RequestEndBlobRead(endStatus);
        }
        return Failed(failure, failure == ZOR_NET_CLI_FNCREATE ? std::string(file) : std::string());
    }
    return true;
}

bool CzorNetStepData::NET_GetBlobSize(CzorInstance* inst, CzorAttr* attr, long& size, const char* waitText) {
    if (!BeginRequest(waitText, true, true)) return false;
    std::string name;
    if (!inst || !attr || !GetAttr(inst, attr, name) || name.empty()) return Failed(ZOR_NET_CLI_MISSED_DATA);
    long total = 0;
    if (!OpenBlobForReading(name, kPortion, total)) return false;
    int status = 0;
    GetTransport()->RequestEndBlobRead(status);
    size = total;
    return true;
}

bool CzorNetStepData::NET_LoadBlob2Memory(CzorInstance* inst, CzorAttr* attr, unsigned char* buffer, long& size,
                                          const char* waitText) {
    std::string name;
    if (!inst || !attr || !GetAttr(inst, attr, name)) name.clear();
    return NET_LoadFileFromSrv2Memory(name.c_str(), buffer, size, waitText);
}

bool CzorNetStepData::NET_LoadBlob2MemoryBN(CzorInstance* inst, const char* attr, unsigned char* buffer, long& size,
                                            const char* waitText) {
    if (!inst) return false;
    return NET_LoadBlob2Memory(inst, GetAttrDefinition(inst->GetEntity(), attr), buffer, size, waitText);
}

bool CzorNetStepData::NET_LoadFileFromSrv2Memory(const char* serverName, unsigned char* buffer, long& size,
                                                 const char* waitText) {
    if (!BeginRequest(waitText, true, true)) return false;
    if (!serverName || !*serverName || (!buffer && size) || size < 0) return Failed(ZOR_NET_CLI_MISSED_DATA);
    long total = 0;
    if (!OpenBlobForReading(serverName, kPortion, total)) return false;
    int status = 0;
    if (total > size) {
        GetTransport()->RequestEndBlobRead(status);
        return Failed(ZOR_NET_CLI_MISSED_DATA);
    }
    const long portions = PortionCount(total, kPortion);
    auto progress = Progress(portions, "Чтение файла из БД");
    long received = 0, done = 0;
    int failure = 0;
    for (int last = 0; !last;) {
        if (progress && progress->SetPercent(portions ? static_cast<int>(100 * done / portions) : 100)) {
            failure = ZOR_NET_CLI_BREAK;
            break;
        }
        // The capacity asked for never passes the caller's buffer.
        int n = static_cast<int>(std::min(kPortion, std::max(0L, total - received)));
        if (!GetTransport()->RequestReadBlobPortion(status, n, buffer ? buffer + received : nullptr, last) || status) {
            failure = status ? status : ZOR_NET_CLI_ERROR_PROCESSED;
            break;
        }
        GetTransport()->ClearInternalData();
        received += n;
        ++done;
        if (!last && n == 0) {
            failure = ZOR_NET_CLI_MISSED_DATA_FROM_SERVER;  // no progress and no end
            break;
        }
    }
    progress.reset();
    if (failure) {
        GetTransport()->RequestEndBlobRead(status);
        return Failed(failure);
    }
    if (received != total) return Failed(ZOR_NET_CLI_MISSED_DATA_FROM_SERVER);
    size = total;
    return true;
}

bool CzorNetStepData::NET_ReadFirstPortionFileFromSrv2Memory(const char* serverName, unsigned char* buffer, long& size,
                                                             bool& last, const char* waitText) {
    if (!BeginRequest(waitText, true, true)) return false;
    if (!serverName || !*serverName || !buffer || size <= 0) return Failed(ZOR_NET_CLI_MISSED_DATA);
    long total = 0;
    if (!OpenBlobForReading(serverName, static_cast<int>(std::min(size, kPortion)), total)) return false;
    return NET_ReadNextPortionFileFromSrv2Memory(buffer, size, last, nullptr);
}

// A refused portion keeps its own status; the transfer is ended either way.
bool CzorNetStepData::NET_ReadNextPortionFileFromSrv2Memory(unsigned char* buffer, long& size, bool& last,
                                                            const char* waitText) {
    if (!GetTransport() || !m_Session.Connected()) return Failed(ZOR_NET_CLI_NOT_CONNECT);
    if (!buffer || size <= 0) return Failed(ZOR_NET_CLI_MISSED_DATA);
    if (waitText) GetTransport()->SetWaitDlgText(waitText);
    int n = static_cast<int>(std::min(size, kPortion)), status = 0, l = 0;
    if (!GetTransport()->RequestReadBlobPortion(status, n, buffer, l) || status) {
        const int failure = status ? status : ZOR_NET_CLI_ERROR_PROCESSED;
        int endStatus = 0;
        GetTransport()->RequestEndBlobRead(endStatus);
        return Failed(failure);
    }
    GetTransport()->ClearInternalData();
    size = n;
    last = l != 0;
    return true;
}
