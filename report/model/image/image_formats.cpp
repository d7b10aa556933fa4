#include "report/model/image/image_formats.h"

CImageFileBMP::~CImageFileBMP() = default;
CImageFileGIF::~CImageFileGIF() = default;
CImageFileJPEG::~CImageFileJPEG() = default;
CImageFilePNG::~CImageFilePNG() = default;
CImageFileICO::~CImageFileICO() = default;
CImageFileTIFF::~CImageFileTIFF() = default;

std::unique_ptr<CImageFile> MakeImageFileKind(int format) {
    switch (format) {
    case IMAGE_FORMAT_BMP: return std::make_unique<CImageFileBMP>();
    case IMAGE_FORMAT_GIF: return std::make_unique<CImageFileGIF>();
    case IMAGE_FORMAT_JPEG: return std::make_unique<CImageFileJPEG>();
    case IMAGE_FORMAT_PNG: return std::make_unique<CImageFilePNG>();
    case IMAGE_FORMAT_ICO: return std::make_unique<CImageFileICO>();
    case IMAGE_FORMAT_TIFF: return std::make_unique<CImageFileTIFF>();
    default: return nullptr;
    }
}
