#include "designer/frame/recent_files.h"

#include <algorithm>
#include <filesystem>

#include "platform/settings/profile.h"

namespace quillmark {
namespace {

constexpr const char* kSection = "Recent File List";

std::string EntryName(int index) { return "File" + std::to_string(index + 1); }

// Two names of one file are one entry: compared after making them absolute and removing "." and "..".
std::string Canonical(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return (ec ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

}  // namespace

void CRecentFileList::Load() {
    m_files.clear();
    for (int i = 0; i < kSize; ++i) {
        const std::string path = GetProfileString(kSection, EntryName(i));
        if (!path.empty() && std::find(m_files.begin(), m_files.end(), path) == m_files.end()) m_files.push_back(path);
    }
}

bool CRecentFileList::Save() const {
    bool ok = true;
    for (int i = 0; i < kSize; ++i)
        ok = WriteProfileString(kSection, EntryName(i), i < static_cast<int>(m_files.size()) ? m_files[i] : "") && ok;
    return ok;
}

void CRecentFileList::Add(const std::string& path) {
    if (path.empty()) return;
    const std::string canonical = Canonical(path);
    Remove(canonical);
    m_files.insert(m_files.begin(), canonical);
    if (m_files.size() > static_cast<size_t>(kSize)) m_files.resize(kSize);
}

void CRecentFileList::Remove(const std::string& path) {
    const std::string canonical = Canonical(path);
    std::erase_if(m_files, [&](const std::string& f) { return Canonical(f) == canonical; });
}

std::string CRecentFileList::MenuText(int index, const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    // A '&' in a file name is shown, not taken as the item's accelerator.
    for (size_t at = name.find('&'); at != std::string::npos; at = name.find('&', at + 2)) name.insert(at, "&");
    return "&" + std::to_string(index + 1) + " " + name;
}

}  // namespace quillmark
