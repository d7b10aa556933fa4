#include "controls/version_string.h"

#include <fmt/printf.h>

namespace zor {

namespace {

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Takes the next "\part" off the front of the path.
bool NextPart(std::string_view& path, std::string_view& part) {
    if (path.empty() || path.front() != '\\') return false;
    path.remove_prefix(1);
    const size_t end = path.find('\\');
    part = path.substr(0, end);
    path.remove_prefix(end == std::string_view::npos ? path.size() : end);
    return !part.empty();
}

}  // namespace

bool QueryVersionTranslations(const VersionResource& version, std::string_view path,
                              std::vector<VersionTranslation>& translations) {
    std::string_view group, name;
    if (!NextPart(path, group) || !NextPart(path, name) || !path.empty()) return false;
    if (!SameText(group, "VarFileInfo") || !SameText(name, "Translation") || version.translations.empty()) return false;
    translations.assign(version.translations.begin(), version.translations.end());
    return true;
}

bool QueryVersionString(const VersionResource& version, std::string_view path, std::string& value) {
    std::string_view group, block, key;
    if (!NextPart(path, group) || !NextPart(path, block) || !NextPart(path, key) || !path.empty()) return false;
    if (!SameText(group, "StringFileInfo") || !version.block || !SameText(block, version.block)) return false;
    for (const VersionStringEntry& entry : version.strings)
        if (entry.key && SameText(key, entry.key)) {
            value = entry.value ? entry.value : "";
            return true;
        }
    return false;
}

std::string VersionStringOf(const VersionResource* version, const char* key) {
    if (!key || !version) return {};
    std::vector<VersionTranslation> translations;
    if (!QueryVersionTranslations(*version, "\\VarFileInfo\\Translation", translations)) return {};
    const VersionTranslation first = translations.front();
    const unsigned long block = (unsigned long)first.language * 65536UL + first.codePage;
    std::string value;
    if (!QueryVersionString(*version, fmt::sprintf("\\StringFileInfo\\%08lx\\%s", block, key), value)) return {};
    return value;
}

}  // namespace zor

void GetVersionString(zor::ResourceModule module, const char* key, std::string& value) {
    value = zor::VersionStringOf(key ? zor::FindVersionResource(module) : nullptr, key);
}
