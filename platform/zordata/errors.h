#pragma once
// Error codes of the object store (CzorStepData::GetLastError). Every code has a
// Russian description (CzorStepData::GetErrorDescription).
// Whether a store object prints its errors (to the trace) and shows them in a message box, and the same
// for warnings.
class CzorMessageModes {
public:
    void SetErorPrintMode(bool on) { m_bErrorPrintMode = on; }
    void SetErrorMessageMode(bool on) { m_bErrorMessageMode = on; }
    void SetWarningPrintMode(bool on) { m_bWarningPrintMode = on; }
    void SetWarningMessageMode(bool on) { m_bWarningMessageMode = on; }
    bool GetErrorPrintMode() const { return m_bErrorPrintMode; }
    bool GetErrorMessageMode() const { return m_bErrorMessageMode; }
    bool GetWarningPrintMode() const { return m_bWarningPrintMode; }
    bool GetWarningMessageMode() const { return m_bWarningMessageMode; }

protected:
    bool m_bErrorPrintMode = true;
    bool m_bErrorMessageMode = false;
    bool m_bWarningPrintMode = false;
    bool m_bWarningMessageMode = false;
};

enum zorStoreError : int {
    zorErrNone = 0,
    zorErrNoEntity = 2,           // null entity, or no entity of that name or id
    zorErrNoAttr = 7,             // null attribute, or not an attribute of the instance's entity
    zorErrBadEntity = 8,          // instance without entity, or unknown entity id in a buffer
    zorErrNoValue = 9,            // the attribute holds no value
    zorErrTypeMismatch = 10,      // the value's type does not fit the attribute or the request
    zorErrNoInstance = 11,        // null instance, or an instance that was deleted
    zorErrAccess = 14,            // the instance's state does not allow the operation
    zorErrBufSignature = 16,      // a data buffer does not start with the expected signature
    zorErrBufDictionary = 17,     // a data buffer names another dictionary
    zorErrDictRead = 20,          // the dictionary file cannot be read
    zorErrDictSyntax = 21,        // the dictionary file is not a valid dictionary
    zorErrNoDictionary = 22,      // no dictionary is loaded
    zorErrFileOpen = 23,          // the file cannot be opened or read
    zorErrReadOnly = 24,          // the file can only be read
    zorErrFileWrite = 25,         // the file cannot be written
    zorErrFileSyntax = 26,        // the file is not a valid exchange file
    zorErrFileSchema = 27,        // the file was written for another dictionary
    zorErrFileReference = 28,     // the file refers to an instance it does not hold
    zorErrFileValue = 29,         // a value of the file does not fit its attribute
    zorErrFileNumber = 30,        // a number of the file is out of range
    zorErrBlobFile = 31,          // a blob's file cannot be read or written
    zorErrOtherDictionary = 32,   // the stores hold different dictionaries
    zorErrNoMemory = 175,         // out of memory or an inner fault
};
