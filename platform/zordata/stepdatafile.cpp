// The file-backed store: load, save, blobs.
#include "platform/zordata/stepdatafile.h"

#include "platform/zordata/store_internal.h"

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
    return Fail(zorErrFileOpen, path ? path : "", bShowErrors);
}

bool CzorStepDataWithFile::SaveToFile(const char* path, bool bShowErrors) {
    return Fail(zorErrFileWrite, path ? path : "", bShowErrors);
}

bool CzorStepDataWithFile::PutIntegratedBlob(CzorInstance*, CzorAttr*, const char*) { return false; }
bool CzorStepDataWithFile::PutIntegratedBlob(CzorInstance*, CzorAttr*, const void*, size_t) { return false; }
bool CzorStepDataWithFile::GetIntegratedBlob(CzorInstance*, CzorAttr*, const char*) { return false; }
bool CzorStepDataWithFile::GetIntegratedBlob(CzorInstance*, CzorAttr*, std::vector<unsigned char>&) { return false; }
bool CzorStepDataWithFile::DelIntegratedBlob(CzorInstance*, CzorAttr*) { return false; }

bool CzorStepData::zorFarCopyInstances(CzorTAggr<CzorInstance>&, CzorStepDataWithFile&, bool) { return false; }
