#include "designer/frame/about_version.h"

#include <fstream>

#include "controls/version_string.h"

namespace quillmark {
namespace {
constexpr std::string_view kKey = "Tessalinever=";
// A version file is a few lines; anything much larger is not one.
constexpr std::streamsize kMaxFileSize = 64 * 1024;
}  // namespace

std::string ParseTessalineVersion(std::string_view text) {
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t at = line.find(kKey);
        if (at != std::string_view::npos) return std::string(line.substr(at + kKey.size()));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return "?";
}

std::string ReadTessalineVersion(const std::string& dictionaryDir) {
    std::ifstream in(dictionaryDir + "Tessaline.ver", std::ios::binary);
    if (!in) return "?";
    std::string text(static_cast<size_t>(kMaxFileSize), '\0');
    in.read(text.data(), kMaxFileSize);
    text.resize(static_cast<size_t>(in.gcount()));
    return ParseTessalineVersion(text);
}

std::string AboutBoxVersion(const std::string& dictionaryDir, const std::string& programVersion) {
    const std::string fromFile = ReadTessalineVersion(dictionaryDir);
    if (fromFile != "?") return fromFile;
    // Without a version file (an installation of ours has none) the build's version stands in for "?".
    return programVersion.empty() ? fromFile : programVersion;
}

std::string ProgramVersion() {
    std::string version;
    GetVersionString(zor::ResourceModule::Program, "ProductVersion", version);
    return version;
}

std::string AboutVersionLine(const std::string& version) { return "Квиллмарк   вер." + version; }

}  // namespace quillmark
