#include "platform/appserver/blobs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sodium.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "platform/transport/net_errors.h"

namespace zor::appserver {
namespace {

// Whoever knows a blob's name may name it in an instance of his own and so open it: names are drawn
// from the system's secure random source, never from a generator whose next names its earlier ones
// (or a 32-bit seed) would give away.
std::string RandomName() {
    if (sodium_init() < 0) return {};
    uint64_t r = 0;
    randombytes_buf(&r, sizeof r);
    char text[40];
    std::snprintf(text, sizeof text, "blob_%016llx", static_cast<unsigned long long>(r));
    return text;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool WriteAll(int fd, const unsigned char* p, size_t n) {
    while (n) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// Part files whose writer is gone (a killed server) hold no lock: they are removed. A live writer
// keeps its part file locked; one just made may not hold its lock yet, so only old ones go.
void RemoveAbandonedParts(const std::string& folder) {
    DIR* d = ::opendir(folder.c_str());
    if (!d) return;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() < 6 || name[0] != '.' || name.compare(name.size() - 5, 5, ".part") != 0) continue;
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_mtime + 60 < ::time(nullptr) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(d);
}

}  // namespace

bool BlobTransfer::Exists(const std::string& folder, const std::string& name) {
    struct stat st {};
    return ValidName(name) && ::stat((folder + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool BlobTransfer::ValidName(const std::string& name) {
    if (name.empty() || name.size() > 200) return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

void BlobTransfer::Abandon() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (m_mode == Mode::Writing && !m_part.empty()) ::unlink(m_part.c_str());
    m_mode = Mode::None;
    m_servedOpen = false;
    m_name.clear();
    m_part.clear();
    m_size = m_pos = 0;
}

int32_t BlobTransfer::Open(const std::string& serverName, std::string& nameOut, int32_t& total) {
    if (m_mode != Mode::None) return ZOR_NET_SRV_BLOB_BUSY;
    total = 0;
    if (serverName.empty()) {
        ::mkdir(m_folder.c_str(), 0700);
        RemoveAbandonedParts(m_folder);
        for (int tries = 0; tries < 16; ++tries) {
            const std::string name = RandomName();
            struct stat st {};
            if (::stat(Path(name).c_str(), &st) == 0) continue;
            // A file without a name until its last portion: a write that never ends, even in a
            // killed server, leaves nothing in the folder. Where the file system cannot make one,
            // a hidden part file does.
            const int unnamed = ::open(m_folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
            if (unnamed >= 0) {
                m_mode = Mode::Writing;
                m_fd = unnamed;
                m_name = name;
                m_part.clear();
                nameOut = name;
                return 0;
            }
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return ZOR_NET_SRV_ZORAPIERR_FILE_IO;
            const std::string part = m_folder + "/." + name + ".part";
            const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0) {
                if (errno == EEXIST) continue;
                return ZOR_NET_SRV_ZORAPIERR_FILE_IO;
            }
            ::flock(fd, LOCK_EX);
            m_mode = Mode::Writing;
            m_fd = fd;
            m_name = name;
            m_part = part;
            nameOut = name;
            return 0;
        }
        return ZOR_NET_SRV_ZORAPIERR_FILE_IO;
    }
    if (!ValidName(serverName)) return ZOR_NET_SRV_BLOB_NOT_FOUND;
    const auto served = m_served.find(serverName);
    const int fd = ::open(served != m_served.end() ? served->second.c_str() : Path(serverName).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ZOR_NET_SRV_BLOB_NOT_FOUND;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size > 0x7fffffff) {
        ::close(fd);
        return ZOR_NET_SRV_ERROR_PROCESSED;
    }
    m_mode = Mode::Opened;
    m_servedOpen = served != m_served.end();
    m_fd = fd;
    m_name = serverName;
    m_size = st.st_size;
    m_pos = 0;
    nameOut = serverName;
    total = static_cast<int32_t>(st.st_size);
    return 0;
}

int32_t BlobTransfer::Write(const unsigned char* data, size_t n, bool last) {
    if (m_mode != Mode::Writing) return ZOR_NET_SRV_BLOB_NOT_DEFINE;
    if (m_size + static_cast<int64_t>(n) > 0x7fffffff || !WriteAll(m_fd, data, n)) {
        Abandon();
        return ZOR_NET_SRV_ZORAPIERR_FILE_IO;
    }
    m_size += static_cast<int64_t>(n);
    if (!last) return 0;
    // Durable before visible: the data reaches the disk, then the name appears (link fails
    // rather than replace a blob of the same name).
    bool ok = ::fsync(m_fd) == 0;
    if (ok && m_part.empty()) {
        const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
        ok = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, Path(m_name).c_str(), AT_SYMLINK_FOLLOW) == 0;
    }
    ok = ::close(m_fd) == 0 && ok;
    m_fd = -1;
    if (!ok || (!m_part.empty() && ::link(m_part.c_str(), Path(m_name).c_str()) != 0)) {
        Abandon();
        return ZOR_NET_SRV_ZORAPIERR_FILE_IO;
    }
    if (!m_part.empty()) ::unlink(m_part.c_str());
    SyncFolder(m_folder);
    m_part.clear();
    m_mode = Mode::None;
    return 0;
}

int32_t BlobTransfer::Read(int32_t capacity, std::vector<unsigned char>& out, bool& last) {
    out.clear();
    last = false;
    if (m_mode != Mode::Opened) return ZOR_NET_SRV_BLOB_NOT_DEFINE;
    if (capacity <= 0 && m_pos < m_size) return ZOR_NET_SRV_SMALL_BUF;
    const int64_t n = std::min<int64_t>(std::max(capacity, 0), m_size - m_pos);
    out.resize(static_cast<size_t>(n));
    size_t got = 0;
    while (got < out.size()) {
        const ssize_t r = ::pread(m_fd, out.data() + got, out.size() - got, m_pos + static_cast<int64_t>(got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            Abandon();
            return ZOR_NET_SRV_ZORAPIERR_FILE_IO;
        }
        got += static_cast<size_t>(r);
    }
    m_pos += n;
    last = m_pos == m_size;
    if (last) Abandon();
    return 0;
}

int32_t BlobTransfer::EndWrite() {
    if (m_mode == Mode::Opened && m_servedOpen) {
        Abandon();
        return ZOR_NET_SRV_ACCESS_DENY;
    }
    if (m_mode == Mode::Opened) {
        const std::string path = Path(m_name);
        Abandon();
        if (::unlink(path.c_str()) != 0) return ZOR_NET_SRV_BLOB_NOT_FOUND;
        SyncFolder(m_folder);
        return 0;
    }
    Abandon();
    return 0;
}

int32_t BlobTransfer::EndRead() {
    Abandon();
    return 0;
}

}  // namespace zor::appserver
