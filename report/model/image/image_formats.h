#pragma once
// The six format kinds of CImageFile: each reads and writes one kind of file.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "report/model/image/image_file.h"

class CImageFileBMP : public CImageFile {
public:
    ~CImageFileBMP() override;
protected:
    bool ReadFile(const char* file) override;
    bool WriteFile(const char* file) override;
};

class CImageFileGIF : public CImageFile {
public:
    ~CImageFileGIF() override;
protected:
    bool ReadFile(const char* file) override;
    bool WriteFile(const char* file) override;
};

class CImageFileJPEG : public CImageFile {
public:
    ~CImageFileJPEG() override;
protected:
    bool ReadFile(const char* file) override;
    bool WriteFile(const char* file) override;
};

class CImageFilePNG : public CImageFile {
public:
    ~CImageFilePNG() override;
protected:
    bool ReadFile(const char* file) override;
    bool WriteFile(const char* file) override;
};

class CImageFileICO : public CImageFile {
public:
    ~CImageFileICO() override;
protected:
    bool ReadFile(const char* file) override;
    bool WriteFile(const char* file) override;
};

class CImageFileTIFF : public CImageFile {
public:
    ~CImageFileTIFF() override;
protected:
    bool ReadFile(const char* file) override;
    bool WriteFile(const char* file) override;
};

// Whether bytes hold a TIFF picture that a TIFF read would take on, judged by its first directory alone
// (a layout we read, accepted compression, within the size and memory caps of image_limits.h); no pixel
// is decoded, so a picture whose strips are damaged passes and fails only when it is read. The failure's
// text goes to *error when given.
bool ProbeTiffPicture(const uint8_t* data, size_t size, std::string* error);

// The kind for a format code, or null for a code other than 0 to 5.
std::unique_ptr<CImageFile> MakeImageFileKind(int format);
