#include "report/model/image/image_io.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool OutputFile::Open(const char* path) {
    if (!path || !zor::AtomicFileWriter::Open(path)) return false;
    struct stat st {};
    const char* target = TargetPath().c_str();
    if (stat(target, &st) == 0 && (!S_ISREG(st.st_mode) || access(target, W_OK) != 0)) {
        Discard();
        return false;
    }
    return true;
}

}  // namespace image_io
