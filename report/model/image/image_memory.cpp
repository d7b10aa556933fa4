// Images to and from bytes in memory: callers that keep pictures inside other files (a store's blobs, a
// clipboard record) never name a file, and nothing is left behind.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/base/tempfile.h"
#include "report/model/image/image_file.h"

namespace {

std::string SystemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

bool CImageFile::SaveToMemory(std::vector<uint8_t>& bytes, int format) {
    bytes.clear();
    zor::TempFile temp;
    if (!temp.IsValid()) {
        SetError(temp.Error());
        return false;
    }
    const std::string fileName = m_fileName;
    if (!Save(temp.Path().c_str(), format)) return false;
    m_fileName = fileName;
    FILE* file = std::fopen(temp.Path().c_str(), "rb");
    if (!file) {
        SetError(SystemError("Cannot read the saved image"));
        return false;
    }
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes.resize(static_cast<size_t>(size));
        ok = bytes.empty() || std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    }
    std::fclose(file);
    if (!ok) {
        bytes.clear();
        SetError(SystemError("Cannot read the saved image"));
    }
    return ok;
}

bool CImageFile::LoadFromMemory(const uint8_t* data, size_t size, int format) {
    zor::TempFile temp;
    if (!temp.IsValid()) {
        SetError(temp.Error());
        return false;
    }
    FILE* file = std::fopen(temp.Path().c_str(), "wb");
    if (!file) {
        SetError(SystemError("Cannot write the image"));
        return false;
    }
    bool ok = size == 0 || (data && std::fwrite(data, 1, size, file) == size);
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        SetError(SystemError("Cannot write the image"));
        return false;
    }
    if (!Load(temp.Path().c_str(), format)) return false;
    m_fileName.clear();
    return true;
}
