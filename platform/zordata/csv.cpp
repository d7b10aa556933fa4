#include "platform/zordata/csv.h"

bool CzorTextFile::Open(const std::string& path, bool write) {
    Close();
    m_pFile = std::fopen(path.c_str(), write ? "wb" : "rb");
    return m_pFile != nullptr;
}

bool CzorTextFile::Close() {
    if (!m_pFile) return true;
    const bool ok = std::ferror(m_pFile) == 0;
    const bool closed = std::fclose(m_pFile) == 0;
    m_pFile = nullptr;
    return ok && closed;
}
