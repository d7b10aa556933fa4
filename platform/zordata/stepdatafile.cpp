// The file-backed store: load, save, blobs.
#include "platform/zordata/stepdatafile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/base/file_io.h"
#include "platform/zordata/databuf.h"
#include "platform/zordata/step_io.h"
#include "platform/zordata/store_internal.h"

namespace {
// A file that nobody may write (no write bit at all, which holds even for root) or that
// the current user may not write.
bool IsReadOnlyFile(const char* path, const struct stat& st) {
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path, W_OK) != 0;
}
}  // namespace

CzorStepDataWithFile::CzorStepDataWithFile() = default;
CzorStepDataWithFile::~CzorStepDataWithFile() = default;

void CzorStepDataWithFile::ClearDict() {
    ClearDictionary();
    SetReadOnly(false);
}

bool CzorStepDataWithFile::Fail(int code, const std::string& detail, bool bShow) {
    const bool mode = GetErrorMessageMode();
    if (bShow) SetErrorMessageMode(true);
    SetLastErrorEx(code, true, detail.c_str(), 0);
    SetErrorMessageMode(mode);
    return false;
}

bool CzorStepDataWithFile::LoadFromFile(const char* path, bool bShowErrors) {
    ClearData();
    SetReadOnly(false);
    if (!path || !*path) return Fail(zorErrFileOpen, "", bShowErrors);
    if (!HasDictionary()) return Fail(zorErrNoDictionary, path, bShowErrors);
    m_FileName = path;
    struct stat st {};
    if (::stat(path, &st) != 0) return Fail(zorErrFileOpen, std::string(path) + ": " + std::strerror(errno), bShowErrors);
    if (!S_ISREG(st.st_mode)) return Fail(zorErrFileOpen, std::string(path) + ": это не файл", bShowErrors);
    std::string text;
    text.reserve(static_cast<size_t>(st.st_size) + 1);
    std::string error;
    if (!zor::ReadWholeFile(path, text, &error)) return Fail(zorErrFileOpen, error, bShowErrors);
    if (!text.empty()) {
        zor_detail::StepReadError err;
        bool ok = false;
        try {
            ok = zor_detail::ReadStepFile(*this, text, err);
        } catch (const std::bad_alloc&) {
            err.code = zorErrNoMemory;
            err.text = "недостаточно памяти";
        }
        if (!ok) {
            ClearData();
            return Fail(err.code, std::string(path) + ": " + err.text, bShowErrors);
        }
    }
    if (IsReadOnlyFile(path, st)) {
        SetReadOnly(true);
        SetLastErrorEx(zorErrReadOnly, false, path, 0);
        return false;
    }
    ClearLastError();
    return true;
}

bool CzorStepDataWithFile::SaveToFile(const char* path, bool bShowErrors) {
    if (!path || !*path) return Fail(zorErrFileWrite, "", bShowErrors);
    struct stat st {};
    if (::stat(path, &st) == 0) {
        if (S_ISDIR(st.st_mode)) return Fail(zorErrFileWrite, std::string(path) + ": это папка", bShowErrors);
        if (IsReadOnlyFile(path, st)) return Fail(zorErrReadOnly, path, bShowErrors);
    }
    // The text goes to the new file as it is made; the old file stays until the new one is whole.
    zor::AtomicFileWriter file;
    std::string error;
    if (!file.Open(path, &error)) return Fail(zorErrFileWrite, error, bShowErrors);
    try {
        const char* slash = std::strrchr(path, '/');
        const zor_detail::StepSink sink = [&file](std::string_view block) { return file.Write(block); };
        if (!zor_detail::WriteStepFile(*this, slash ? slash + 1 : path, sink, error) && !error.empty()) {
            file.Discard();
            return Fail(zorErrFileValue, std::string(path) + ": " + error, bShowErrors);
        }
    } catch (const std::bad_alloc&) {
        file.Discard();
        return Fail(zorErrNoMemory, path, bShowErrors);
    }
    // A block the file refused shows here.
    if (!file.Commit(&error)) return Fail(zorErrFileWrite, error, bShowErrors);
    m_FileName = path;
    SetReadOnly(false);
    ClearLastError();
    return true;
}

// ---- Blobs

bool CzorStepDataWithFile::PutIntegratedBlob(CzorInstance* inst, CzorAttr* attr, const char* file) {
    std::string bytes, error;
    if (!file || !zor::ReadWholeFile(file, bytes, &error)) {
        SetLastErrorEx(zorErrBlobFile, false, file ? error.c_str() : "", 0);
        return false;
    }
    return PutIntegratedBlob(inst, attr, bytes.data(), bytes.size());
}

bool CzorStepDataWithFile::PutIntegratedBlob(CzorInstance* inst, CzorAttr* attr, const void* data, size_t size) {
    if (!data && size) {
        SetLastError(zorErrTypeMismatch);
        return false;
    }
    CzorDataBuf buf;
    if (size) buf.Add(data, size);
    return PutAttr(inst, attr, buf);
}

const CzorDataBuf* CzorStepDataWithFile::BlobOf(CzorInstance* inst, CzorAttr* attr) {
    CzorValue* v = nullptr;
    if (!GetAttr(inst, attr, &v)) return nullptr;
    if (!v->GetBuffer()) SetLastError(zorErrTypeMismatch);
    return v->GetBuffer();
}

bool CzorStepDataWithFile::GetIntegratedBlob(CzorInstance* inst, CzorAttr* attr, const char* file) {
    if (!file || !*file) {
        SetLastError(zorErrBlobFile);
        return false;
    }
    const CzorDataBuf* b = BlobOf(inst, attr);
    if (!b) return false;
    std::string error;
    if (!zor::WriteFileAtomically(file, std::string_view(reinterpret_cast<const char*>(b->GetBuffer()), b->GetSize()), &error)) {
        SetLastErrorEx(zorErrBlobFile, false, error.c_str(), 0);
        return false;
    }
    return true;
}

bool CzorStepDataWithFile::GetIntegratedBlob(CzorInstance* inst, CzorAttr* attr, std::vector<unsigned char>& data) {
    const CzorDataBuf* b = BlobOf(inst, attr);
    if (!b) return false;
    data.assign(b->GetBuffer(), b->GetBuffer() + b->GetSize());
    return true;
}

bool CzorStepDataWithFile::DelIntegratedBlob(CzorInstance* inst, CzorAttr* attr) {
    if (attr && attr->GetType() != zorBINARY) {
        SetLastError(zorErrTypeMismatch);
        return false;
    }
    return ClearAttr(inst, attr);
}
