#include "report/dialogs/picture_page_logic.h"

#include <algorithm>
#include <cctype>

#include "platform/base/file_io.h"
#include "platform/ui/messages.h"
#include "report/model/image/image_file.h"
#include "report/model/picture_element.h"

namespace {

int FormatOfExtension(const std::string& path, bool gifAllowed) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return -1;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == "bmp" || ext == "dib") return IMAGE_FORMAT_BMP;
    if (ext == "gif") return gifAllowed ? IMAGE_FORMAT_GIF : -1;
    if (ext == "jpg" || ext == "jpeg") return IMAGE_FORMAT_JPEG;
    if (ext == "png") return IMAGE_FORMAT_PNG;
    if (ext == "ico") return IMAGE_FORMAT_ICO;
    if (ext == "tif" || ext == "tiff") return IMAGE_FORMAT_TIFF;
    return -1;
}

void UnknownFormat() { AfxMessageBox("Неизвестный формат файла.", MB_OK | MB_ICONEXCLAMATION); }

}  // namespace

int PictureOpenFormat(const std::string& path) { return FormatOfExtension(path, true); }
int PictureSaveFormat(const std::string& path) { return FormatOfExtension(path, false); }

CPicturePageLogic::CPicturePageLogic(CPictureElement& element) : m_Element(element) {
    m_bFit = (element.GetDrawMode() & kPictureFit) != 0;
    m_bKeepAspect = (element.GetDrawMode() & kPictureKeepAspect) != 0;
    if (const CImageFile* picture = element.GetPicture()) {
        m_nWidth = picture->GetWidth();
        m_nHeight = picture->GetHeight();
    }
}

bool CPicturePageLogic::ChooseFile(const std::string& path) {
    const int format = PictureOpenFormat(path);
    if (format < 0) {
        UnknownFormat();
        return false;
    }
    m_FileName = path;
    CImageFile image;
    if (!image.Load(path.c_str(), format)) {
        AfxMessageBox(image.GetErrorText(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_nWidth = image.GetWidth();
    m_nHeight = image.GetHeight();
    return true;
}

bool CPicturePageLogic::Save(const std::string& path) {
    const int format = PictureSaveFormat(path);
    if (format < 0) {
        UnknownFormat();
        return false;
    }
    return m_Element.SavePicture(path.c_str(), format);
}

bool CPicturePageLogic::Apply() {
    if (!m_FileName.empty()) {
        const int format = PictureOpenFormat(m_FileName);
        if (format < 0) {
            UnknownFormat();
            return false;
        }
        // Read here rather than through LoadPicture, whose extension match is exact: a "PHOTO.JPG" loads
        // as JPEG like it showed when chosen.
        std::string bytes, error;
        if (!zor::ReadWholeFile(m_FileName, bytes, &error)) {
            AfxMessageBox(error, MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        if (!m_Element.LoadPictureData(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), format))
            return false;
    }
    m_Element.SetDrawMode((m_bFit ? kPictureFit : 0) | (m_bFit && m_bKeepAspect ? kPictureKeepAspect : 0));
    return true;
}
