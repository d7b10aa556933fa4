#include "platform/base/file_io.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fmt/format.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace zor {

namespace {

void SetError(std::string* error, const std::string& what, const std::string& path, int err) {
    if (error) *error = what + " \"" + path + "\": " + std::strerror(err);
}

// Like mkstemp, but the new file gets `mode` less the umask rather than 0600.
int CreateUniqueFile(const std::string& prefix, mode_t mode, std::string& path) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = fmt::format("{}{:08x}{:04x}", prefix, random(), counter++ & 0xFFFFu);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, "Не удалось открыть файл", path, errno);
        return false;
    }
    struct stat st{};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        SetError(error, "Не удалось прочитать файл", path, EISDIR);
        return false;
    }
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            bytes.clear();
            SetError(error, "Не удалось прочитать файл", path, err);
            return false;
        }
        bytes.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

void AtomicFileWriter::Fail(int err) {
    if (!m_error) m_error = err ? err : EIO;
}

bool AtomicFileWriter::Open(const std::string& path, std::string* error) {
    namespace fs = std::filesystem;
    Discard();
    m_error = 0;
    m_written = m_queued = 0;
    m_given = path;
    m_target = path;
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        const fs::path target = fs::weakly_canonical(path, ec);
        if (!ec) m_target = target.string();
    }
    const fs::path target(m_target);
    m_folder = target.has_parent_path() ? target.parent_path().string() : ".";
    const int fd =
        CreateUniqueFile((fs::path(m_folder) / ("." + target.filename().string() + ".")).string(), 0666, m_tempPath);
    if (fd < 0) {
        SetError(error, "Не удалось создать временный файл в папке", m_folder, errno);
        m_tempPath.clear();
        return false;
    }
    m_file = ::fdopen(fd, "wb");
    if (!m_file) {
        const int err = errno;
        ::close(fd);
        Discard();
        SetError(error, "Не удалось создать временный файл в папке", m_folder, err);
        return false;
    }
    return true;
}

bool AtomicFileWriter::Write(const void* data, size_t size) {
    if (!m_file) Fail(EBADF);
    if (m_error) return false;
    if (size && std::fwrite(data, 1, size, m_file) != size) Fail(errno);
    // A large file goes to the disk while the rest is still being written, so that Commit's flush waits
    // for its tail only, not for all of it.
    m_written += size;
    if (!m_error && m_written - m_queued >= kQueueStep) {
        ::sync_file_range(::fileno(m_file), static_cast<off_t>(m_queued), static_cast<off_t>(m_written - m_queued),
                          SYNC_FILE_RANGE_WRITE);
        m_queued = m_written;
    }
    return !m_error;
}

bool AtomicFileWriter::CloseStream() {
    if (!m_file) return !m_error;
    if (std::fflush(m_file) != 0 || std::ferror(m_file)) Fail(errno);
    if (std::fclose(m_file) != 0) Fail(errno);
    m_file = nullptr;
    return !m_error;
}

bool AtomicFileWriter::Commit(std::string* error) {
    if (m_tempPath.empty()) Fail(EBADF);
    CloseStream();
    if (!m_error) {
        // The stream may have been closed for a library that wrote by name: reopen to sync what is there.
        const int fd = ::open(m_tempPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            Fail(errno);
        } else {
            struct stat old{};
            if (::stat(m_target.c_str(), &old) == 0 && ::fchmod(fd, old.st_mode & 07777) != 0) Fail(errno);
            if (!m_error && ::fsync(fd) != 0) Fail(errno);
            if (::close(fd) != 0) Fail(errno);
        }
    }
    if (!m_error && ::rename(m_tempPath.c_str(), m_target.c_str()) != 0) Fail(errno);
    if (m_error) {
        Discard();
        SetError(error, "Не удалось записать файл", m_given, m_error);
        return false;
    }
    m_tempPath.clear();
    // Make the rename itself durable.
    const int dir = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

void AtomicFileWriter::Discard() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
    if (!m_tempPath.empty()) ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    AtomicFileWriter out;
    if (!out.Open(path, error)) return false;
    out.Write(bytes);  // a failure shows in Commit
    return out.Commit(error);
}

std::string FileFailureLine(const std::string& path, std::string reason) {
    const std::string field = ": " + path;
    for (size_t at = reason.find(field); at != std::string::npos; at = reason.find(field, at + 1)) {
        const size_t end = at + field.size();
        if (end == reason.size() || reason[end] == ':') {
            reason.erase(at, field.size());
            break;
        }
    }
    return reason.empty() ? path : path + ": " + reason;
}

}  // namespace zor
