#include "platform/base/tempfile.h"

#include "platform/base/config_paths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace zor {

namespace {

std::string TempRoot() {
    std::string dir;
    struct stat st{};
    if (GetEnvNonEmpty("TMPDIR", dir) && dir[0] == '/' && ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return dir;
    return "/tmp";
}

// Owns the private folder; only the process that made it removes it (not a forked child).
class PrivateFolder {
public:
    ~PrivateFolder() {
        if (!m_path.empty() && m_owner == ::getpid()) {
            std::error_code ec;
            std::filesystem::remove_all(m_path, ec);
        }
    }
    std::string Get(std::string* error) {
        std::lock_guard<std::mutex> lock(m_mutex);
        struct stat st{};
        if (!m_path.empty() && m_owner == ::getpid() && ::lstat(m_path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
            st.st_uid == ::getuid())
            return m_path;
        std::string pattern = TempRoot();
        while (pattern.size() > 1 && pattern.back() == '/') pattern.pop_back();
        pattern += "/quillmark-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            if (error) *error = "Не удалось создать папку временных файлов в \"" + TempRoot() + "\": " + std::strerror(errno);
            return {};
        }
        m_path = pattern;
        m_owner = ::getpid();
        return m_path;
    }

private:
    std::mutex m_mutex;
    std::string m_path;
    pid_t m_owner = 0;
};

PrivateFolder& Folder() {
    static PrivateFolder folder;
    return folder;
}

}  // namespace

std::string PrivateTempDir(std::string* error) { return Folder().Get(error); }

TempFile::TempFile(std::string_view suffix) {
    if (suffix.find('/') != std::string_view::npos || suffix.find('\0') != std::string_view::npos) {
        m_error = "Недопустимое окончание имени временного файла";
        return;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::string dir = PrivateTempDir(&m_error);
        if (dir.empty()) return;
        std::string name = dir + "/tmp-XXXXXX" + std::string(suffix);
        const int fd = ::mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            m_path = std::move(name);
            m_error.clear();
            return;
        }
        m_error = "Не удалось создать временный файл в \"" + dir + "\": " + std::strerror(errno);
    }
}

TempFile::~TempFile() { Remove(); }

TempFile::TempFile(TempFile&& other) noexcept
    : m_path(std::move(other.m_path)), m_error(std::move(other.m_error)) {
    other.m_path.clear();
}

TempFile& TempFile::operator=(TempFile&& other) noexcept {
    if (this != &other) {
        Remove();
        m_path = std::move(other.m_path);
        m_error = std::move(other.m_error);
        other.m_path.clear();
    }
    return *this;
}

void TempFile::Remove() {
    if (!m_path.empty()) ::unlink(m_path.c_str());
    m_path.clear();
}

}  // namespace zor
