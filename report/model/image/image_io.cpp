#include "report/model/image/image_io.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace image_io {

bool FileNameFits(const char* file) { return file && *file && std::strlen(file) < PATH_MAX; }

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const char* path) {
    Close();
    m_file = std::fopen(path, "rb");
    if (!m_file) return false;
    struct stat st {};
    if (fstat(fileno(m_file), &st) != 0 || !S_ISREG(st.st_mode)) {
        Close();
        return false;
    }
    m_size = static_cast<uint64_t>(st.st_size);
    return true;
}

uint64_t InputFile::Tell() const {
    off_t pos = ftello(m_file);
    return pos < 0 ? 0 : static_cast<uint64_t>(pos);
}

bool InputFile::Seek(uint64_t position) {
    return position <= m_size && fseeko(m_file, static_cast<off_t>(position), SEEK_SET) == 0;
}

bool InputFile::Read(void* data, size_t n) { return n == 0 || std::fread(data, 1, n, m_file) == n; }

int InputFile::ReadByte() {
    int c = std::getc(m_file);
    return c == EOF ? -1 : c;
}

void InputFile::Close() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
    m_size = 0;
}

namespace {
mode_t NewFileMode(const char* path) {
    struct stat st {};
    if (stat(path, &st) == 0) return st.st_mode & 07777;  // a replaced file keeps its permissions
    static const mode_t mask = [] {
        mode_t m = umask(0);
        umask(m);
        return m;
    }();
    return 0666 & ~mask;
}
}  // namespace

OutputFile::~OutputFile() {
    if (m_file) std::fclose(m_file);
    if (!m_tempPath.empty()) unlink(m_tempPath.c_str());
}

bool OutputFile::Open(const char* path) {
    m_path = path;
    // Writing through a link writes the file it names; the link stays.
    struct stat link {};
    if (lstat(path, &link) == 0 && S_ISLNK(link.st_mode)) {
        char* target = realpath(path, nullptr);
        if (!target) return false;
        m_path = target;
        std::free(target);
    }
    path = m_path.c_str();
    struct stat st {};
    if (stat(path, &st) == 0) {
        if (!S_ISREG(st.st_mode) || access(path, W_OK) != 0) return false;  // as opening it "wb" would
    }
    std::string name = m_path + ".XXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0) return false;
    m_tempPath = name;
    fchmod(fd, NewFileMode(path));
    m_file = fdopen(fd, "wb");
    if (!m_file) {
        close(fd);
        return false;
    }
    return true;
}

bool OutputFile::Write(const void* data, size_t n) {
    if (!m_file) return false;
    if (n && std::fwrite(data, 1, n, m_file) != n) m_ok = false;
    return m_ok;
}

bool OutputFile::CloseStream() {
    if (!m_file) return m_ok;
    if (std::fflush(m_file) != 0 || std::ferror(m_file)) m_ok = false;
    if (std::fclose(m_file) != 0) m_ok = false;
    m_file = nullptr;
    return m_ok;
}

bool OutputFile::Commit() {
    if (m_tempPath.empty() || !CloseStream()) return false;
    if (std::rename(m_tempPath.c_str(), m_path.c_str()) != 0) return false;
    m_tempPath.clear();
    return true;
}

}  // namespace image_io
