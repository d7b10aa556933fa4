#include "designer/frame/file_drop.h"

#include <algorithm>
#include <filesystem>

namespace quillmark {

DroppedFile ClassifyDroppedFile(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return DroppedFile::Missing;
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (ext == ".zorrep") return DroppedFile::Report;
    if (ext == ".zordot") return DroppedFile::Template;
    return DroppedFile::Other;
}

}  // namespace quillmark
