// The picture element: its picture and placeholder, the store transfer, the record and cloning.
#include "report/model/picture_element.h"

#include "platform/base/transport_ini.h"
#include "platform/settings/default_settings.h"
#include "report/model/element_defaults.h"
#include "platform/ui/outcome.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/image/image_file.h"
#include "report/model/image/image_formats.h"
#include "report/model/mem_record.h"
#include "report/model/picture_placeholder.h"
#include "report/model/store_instances.h"

namespace {

// A picture to show: one with pixels.
bool HasPixels(const CImageFile* image) { return image && image->GetWidth() > 0 && image->GetHeight() > 0; }

// Told, not shown: during generation it joins the run's outcome, elsewhere the caller's box shows it.
void ShowImageError(const std::string& text) {
    zor::Note({"%s", {text.empty() ? std::string("Ошибка чтения данных.") : text}});
}

}  // namespace

int PictureFormatOfPath(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return -1;
    const std::string extension = path.substr(dot + 1);
    if (extension == "bmp") return IMAGE_FORMAT_BMP;
    if (extension == "jpg" || extension == "jpeg") return IMAGE_FORMAT_JPEG;
    if (extension == "gif") return IMAGE_FORMAT_GIF;
    if (extension == "png") return IMAGE_FORMAT_PNG;
    if (extension == "ico") return IMAGE_FORMAT_ICO;
    if (extension == "tiff" || extension == "tif") return IMAGE_FORMAT_TIFF;
    return -1;
}

CPictureElement::CPictureElement(CFolivox* manager)
    : CReportElement(manager), m_nDrawMode(CHeldElementDefaults::PictureDrawMode()) {
    m_nKind = kElemPicture;
    std::string dictDir = manager ? manager->GetDictPath() : std::string();
    if (dictDir.empty()) dictDir = zor::DictionaryDir();
    m_pPlaceholder = LoadPlaceholderImage(dictDir);
    m_pPicture = LoadPlaceholderImage(dictDir);
}

CPictureElement::~CPictureElement() = default;

// --- Pictures ----------------------------------------------------------------------------------------------

void CPictureElement::SetPicture(std::unique_ptr<CImageFile> picture, std::vector<uint8_t> tiff, bool tiffKnown,
                                 bool adjust) {
    m_pPicture = std::move(picture);
    m_Tiff = std::move(tiff);
    m_bTiffKnown = tiffKnown;
    m_bAspectPending = adjust;
}

int CPictureElement::LoadPicture(const std::string& path) {
    if (path.empty()) return 0;
    const int format = PictureFormatOfPath(path);
    if (format < 0) return 0;
    auto picture = std::make_unique<CImageFile>();
    if (!picture->Load(path.c_str(), format) || !HasPixels(picture.get())) {
        ShowImageError(picture->GetErrorText());
        return 0;
    }
    SetPicture(std::move(picture), {}, false, true);
    return 1;
}

int CPictureElement::LoadPictureData(const uint8_t* data, size_t size, int format) {
    if (format == IMAGE_FORMAT_TIFF) {
        std::string error;
        if (!data || !ProbeTiffPicture(data, size, &error)) {
            ShowImageError(error);
            return 0;
        }
        SetPicture(nullptr, std::vector<uint8_t>(data, data + size), true, true);
        return 1;
    }
    auto picture = std::make_unique<CImageFile>();
    if (!picture->LoadFromMemory(data, size, format) || !HasPixels(picture.get())) {
        ShowImageError(picture->GetErrorText());
        return 0;
    }
    SetPicture(std::move(picture), {}, false, true);
    return 1;
}

bool CPictureElement::SavePicture(const char* path, int format) {
    CImageFile* picture = DecodedPicture();
    return HasPixels(picture) && picture->Save(path, format);
}

CImageFile* CPictureElement::DecodedPicture() const {
    if (!m_pPicture) {
        std::string error;
        m_pPicture = m_Tiff.empty() ? nullptr : DecodeTiff(m_Tiff.data(), m_Tiff.size(), &error);
        if (!m_pPicture) {
            // The bytes stay as they came, so that writing the element loses nothing.
            if (!m_Tiff.empty()) ShowImageError(error);
            m_pPicture = std::make_unique<CImageFile>();
        }
    }
    return m_pPicture.get();
}

const std::vector<uint8_t>& CPictureElement::GetPictureTiff() {
    if (m_bTiffKnown) return m_Tiff;
    m_Tiff.clear();
    m_bTiffKnown = true;
    CImageFile* picture = DecodedPicture();
    if (HasPixels(picture) && !picture->SaveToMemory(m_Tiff, IMAGE_FORMAT_TIFF)) {
        // Remembered as written, so that a record measured now is written with the same size.
        ShowImageError(picture->GetErrorText());
    }
    return m_Tiff;
}

std::unique_ptr<CImageFile> CPictureElement::DecodeTiff(const uint8_t* data, size_t size, std::string* error) {
    auto picture = std::make_unique<CImageFile>();
    if (picture->LoadFromMemory(data, size, IMAGE_FORMAT_TIFF) && HasPixels(picture.get())) return picture;
    if (error) *error = picture->GetErrorText();
    return nullptr;
}

void CPictureElement::SetDrawMode(int mode) {
    if (!(mode & kPictureFit) && (m_nDrawMode & kPictureFit)) m_bAspectPending = true;
    m_nDrawMode = mode;
}

void CPictureElement::ApplyPictureAspect() {
    const CImageFile* picture = DecodedPicture();
    if (!HasPixels(picture) || m_cx <= 0 || m_cy <= 0) return;
    const int64_t pw = picture->GetWidth(), ph = picture->GetHeight();
    const int64_t w = m_cx, h = m_cy;
    if (w * ph == h * pw) return;  // already of the picture's proportions
    const double aspect = static_cast<double>(pw) / static_cast<double>(ph);
    if (w * ph <= h * pw) {
        // Narrower than the picture: the height shrinks, the edge at y + height stays.
        const int height = ZoomTrunc(static_cast<double>(w) / aspect);
        m_y += m_cy - height;
        m_cy = height;
    } else {
        m_cx = ZoomTrunc(static_cast<double>(h) * aspect);
    }
}

// --- Record --------------------------------------------------------------------------------------------------

int CPictureElement::GetMemSize() {
    return CReportElement::GetMemSize() + 8 + static_cast<int>(GetPictureTiff().size());
}

void CPictureElement::CopyToMem(CRecordWriter& out) {
    CReportElement::CopyToMem(out);
    const std::vector<uint8_t>& tiff = GetPictureTiff();
    out.PutInt32(m_nDrawMode);
    out.PutInt32(static_cast<int32_t>(tiff.size()));
    out.PutBytes(tiff.data(), tiff.size());
}

bool CPictureElement::LoadDataFromMem(CRecordReader& in) {
    // Read into a scratch element first, so that a bad record changes nothing here.
    CReportElement base(*this);
    if (!base.LoadDataFromMem(in)) return false;
    int32_t mode = 0, length = 0;
    std::vector<uint8_t> tiff;
    if (!in.GetInt32(mode) || !in.GetInt32(length) || !in.GetBytes(tiff, length)) return false;
    if (!tiff.empty() && !ProbeTiffPicture(tiff.data(), tiff.size(), nullptr)) return false;
    CReportElement::operator=(base);
    m_nDrawMode = mode;
    // The rectangle came with the picture: it is taken as it is.
    std::unique_ptr<CImageFile> picture = tiff.empty() ? std::make_unique<CImageFile>() : nullptr;
    SetPicture(std::move(picture), std::move(tiff), true, false);
    return true;
}

// --- Cloning ---------------------------------------------------------------------------------------------------

CReportElement* CPictureElement::CreateClon() {
    auto* clone = new CPictureElement(m_pManager);
    CopyBaseTo(*clone);
    clone->m_nDrawMode = m_nDrawMode;
    const std::vector<uint8_t>& tiff = GetPictureTiff();
    clone->SetPicture(tiff.empty() ? std::make_unique<CImageFile>() : nullptr, tiff, true, m_bAspectPending);
    return clone;
}

// --- Store -----------------------------------------------------------------------------------------------------

void CPictureElement::Update(bool write) {
    if (!m_pManager || !m_pManager->GetStore()) return;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    if (write) {
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, s.e_zor_report_pic);
        store->PutAttr(m_pInstance, s.zor_report_pic_draw_mode, m_nDrawMode);
        // A picture whose TIFF form could not be made before gets another try.
        if (m_bTiffKnown && m_Tiff.empty() && m_pPicture) m_bTiffKnown = false;
        const std::vector<uint8_t>& tiff = GetPictureTiff();
        // An empty picture (its blob was missing or unreadable) leaves whatever the file holds as it is.
        if (!tiff.empty()) store->PutIntegratedBlob(m_pInstance, s.zor_report_pic_picture, tiff.data(), tiff.size());
        WriteCommon();
        return;
    }
    if (!m_pInstance) return;
    store->GetAttr(m_pInstance, s.zor_report_pic_draw_mode, m_nDrawMode);
    std::vector<unsigned char> blob;
    if (store->GetIntegratedBlob(m_pInstance, s.zor_report_pic_picture, blob) && !blob.empty()) {
        SetPicture(nullptr, std::move(blob), true, false);
    } else {
        SetPicture(std::make_unique<CImageFile>(), {}, true, false);
    }
    ReadCommon();
}

void CPictureElement::Delete() {
    if (m_pManager && m_pManager->GetStore() && m_pInstance)
        m_pManager->GetStore()->DelIntegratedBlob(m_pInstance, m_pManager->Schema().zor_report_pic_picture);
    CReportElement::Delete();
}
