#pragma once
// CzorStepDataWithFile: the store kept in an exchange file (templates "*.zordot" and
// reports "*.zorrep"), ISO 10303-21:
//   ISO-10303-21;
//   HEADER; FILE_DESCRIPTION(...); FILE_NAME(...); FILE_SCHEMA(('QUILLMARK')); ENDSEC;
//   DATA;
//   #1=ZOR_REPORT(#2,0,1,$,'Отчёт',(#5,#6),(),0);
//   ...
//   ENDSEC;
//   END-ISO-10303-21;
// Entity names in capitals; instances numbered from #1 in creation order; one parameter
// per attribute, inherited attributes first; $ for no value, () for an empty list;
// integers in decimal, reals always with a point; texts in single quotes with '' for a
// quote, \\ for a backslash, control characters as \X\hh and UTF-8 as it is (the reader
// also decodes \X\hh, \X2\...\X0\, \X4\...\X0\ and \S\); blobs as binary literals
// "0" followed by two hexadecimal digits per byte. A 0-byte file is an empty store.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/zordata/stepdata.h"

class CzorStepDataWithFile : public CzorStepData {
public:
    CzorStepDataWithFile();
    ~CzorStepDataWithFile() override;

    // Drops the instances and the dictionary.
    void ClearDict();

    // Replaces the instances with the file's. The file must name the loaded dictionary in
    // FILE_SCHEMA. When the file cannot be written (its permission bits or access for
    // the current user), the load succeeds, the store is read-only and returns false
    // with last error 24. Any other failure leaves an empty store and a clear error
    // (23 cannot open, 26 syntax, 27 other dictionary, 28 missing instance, 29 value of
    // the wrong type, 30 number out of range, 22 no dictionary); the description names
    // the file and the line. bShowErrors shows a failure even when the error message
    // mode is off.
    bool LoadFromFile(const char* path, bool bShowErrors = false);
    // Writes the store atomically: a temporary file in the same folder, flushed to disk,
    // then renamed over the target; a failed save leaves the old file as it was and no
    // temporary file behind. An existing target that cannot be written fails with 24;
    // other failures give 25.
    bool SaveToFile(const char* path, bool bShowErrors = false);
    // The path last loaded or saved.
    const std::string& GetFileName() const { return m_FileName; }

    // Blobs kept inside the store file (BINARY attributes).
    bool PutIntegratedBlob(CzorInstance* inst, CzorAttr* attr, const char* file);
    bool PutIntegratedBlob(CzorInstance* inst, CzorAttr* attr, const void* data, size_t size);
    // Writes the blob's bytes to file (atomically) or into data; false without a blob.
    bool GetIntegratedBlob(CzorInstance* inst, CzorAttr* attr, const char* file);
    bool GetIntegratedBlob(CzorInstance* inst, CzorAttr* attr, std::vector<unsigned char>& data);
    bool DelIntegratedBlob(CzorInstance* inst, CzorAttr* attr);

private:
    bool Fail(int code, const std::string& detail, bool bShow);
    const CzorDataBuf* BlobOf(CzorInstance* inst, CzorAttr* attr);
    std::string m_FileName;
};
