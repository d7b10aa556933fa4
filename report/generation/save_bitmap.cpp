// A rendered page written as an image file, and the copy of the data source named in the profile.
#include <QImage>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/base/file_io.h"
#include "platform/settings/profile.h"
#include "report/model/data_source.h"
#include "report/generation/generate_report.h"
#include "report/model/folivox.h"
#include "report/model/image/image_file.h"

// The format chosen by the text after the last "." of the path, in any letter case; -1 for none.
int BitmapFormatOfPath(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return -1;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == "bmp" || ext == "dib") return IMAGE_FORMAT_BMP;
    if (ext == "jpg" || ext == "jpeg") return IMAGE_FORMAT_JPEG;
    if (ext == "png") return IMAGE_FORMAT_PNG;
    if (ext == "ico") return IMAGE_FORMAT_ICO;
    if (ext == "tif" || ext == "tiff") return IMAGE_FORMAT_TIFF;
    return -1;  // GIF is not offered here
}

zor::Outcome SaveBitmapOutcome(const QImage& bitmap, const char* file) {
    if (bitmap.isNull() || !file) return zor::Outcome::Failure({});
    const int format = BitmapFormatOfPath(file);
    if (format < 0) return zor::Outcome::Failure(zor::FileReason("Неизвестный формат файла.", {}, file));
    CImageFile image(bitmap);
    // The image is made in memory and then put in place atomically: a failed save leaves the old file.
    std::vector<uint8_t> bytes;
    std::string error;
    if (!image.SaveToMemory(bytes, format))
        return zor::Outcome::Failure(zor::FileReason("%s", {image.GetErrorText()}, file));
    if (!zor::WriteFileAtomically(file, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                  &error))
        return zor::Outcome::Failure(zor::FileReason("%s", {error}, file));
    return {};
}

bool SaveBitmapAs(const QImage& bitmap, const char* file) {
    const zor::Outcome outcome = SaveBitmapOutcome(bitmap, file);
    zor::ShowOutcome(outcome);
    return outcome.Ok();
}

bool SaveToFile(CFolivox* manager, const CTableRowArray* rows) {
    if (!manager) return false;
    // "FileDS" stands at the top of the program's profile.
    const std::string path = GetProfileString("", "FileDS");
    if (!path.empty()) manager->GetDataSource().SaveToFile(path, rows);
    return false;
}
