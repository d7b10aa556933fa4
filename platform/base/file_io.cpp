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

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
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

bool WriteFileAtomically(const std::string& pathIn, std::string_view bytes, std::string* error) {
    namespace fs = std::filesystem;
    std::string path = pathIn;
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        const fs::path target = fs::weakly_canonical(path, ec);
        if (!ec) path = target.string();
    }
    const fs::path target(path);
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
    std::string temp;
    const int fd = CreateUniqueFile((fs::path(folder) / ("." + target.filename().string() + ".")).string(), 0666, temp);
    if (fd < 0) {
        SetError(error, "Не удалось создать временный файл в папке", folder, errno);
        return false;
    }
    int err = 0;
    if (!WriteAll(fd, bytes)) err = errno;
    struct stat old{};
    if (!err && ::stat(path.c_str(), &old) == 0 && ::fchmod(fd, old.st_mode & 07777) != 0) err = errno;
    if (!err && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && !err) err = errno;
    if (!err && ::rename(temp.c_str(), path.c_str()) != 0) err = errno;
    if (err) {
        ::unlink(temp.c_str());
        SetError(error, "Не удалось записать файл", pathIn, err);
        return false;
    }
    // Make the rename itself durable.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace zor
