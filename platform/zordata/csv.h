#pragma once
// CzorCSV: the store's separated-values file, a separator and the text file it is read from or
// written to. The file is closed when the object goes.
#include <cstdio>
#include <string>

// A text file opened for reading or for writing; closed by Close or by the destructor.
class CzorTextFile {
public:
    CzorTextFile() = default;
    ~CzorTextFile() { Close(); }
    CzorTextFile(const CzorTextFile&) = delete;
    CzorTextFile& operator=(const CzorTextFile&) = delete;

    // Closes what was open first. False when the file cannot be opened.
    bool Open(const std::string& path, bool write);
    bool IsOpen() const { return m_pFile != nullptr; }
    // False when a write since opening failed.
    bool Close();
    std::FILE* GetHandle() const { return m_pFile; }

private:
    std::FILE* m_pFile = nullptr;
};

class CzorCSV {
public:
    explicit CzorCSV(char separator = ',') : m_cSeparator(separator) {}
    char GetSeparator() const { return m_cSeparator; }
    CzorTextFile& GetFile() { return m_File; }

private:
    char m_cSeparator;
    CzorTextFile m_File;
};
