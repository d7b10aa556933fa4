#include "tools/layers/include_graph.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool IsSource(const fs::path& path) {
    static const std::string_view kExtensions[] = {".h", ".hpp", ".cpp", ".cc", ".inl"};
    const std::string ext = path.extension().string();
    return std::find(std::begin(kExtensions), std::end(kExtensions), ext) != std::end(kExtensions);
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The path relative to the root in generic form, or "" when it lies outside the root.
std::string UnderRoot(const fs::path& root, const fs::path& path) {
    const fs::path relative = path.lexically_normal().lexically_relative(root.lexically_normal());
    const std::string text = relative.generic_string();
    if (text.empty() || StartsWith(text, "..")) return {};
    return text;
}

}  // namespace

std::vector<IncludeLine> ReadIncludes(const fs::path& root, const std::string& file) {
    static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^">]+)[">])");
    std::vector<IncludeLine> out;
    std::ifstream in(root / file);
    std::string text;
    const fs::path folder = (root / file).parent_path();
    for (int line = 1; std::getline(in, text); ++line) {
        std::smatch match;
        if (!std::regex_search(text, match, kInclude)) continue;
        const std::string name = match[2].str();
        std::string included;
        std::error_code ec;
        if (match[1] == "\"" && fs::exists(folder / name, ec)) included = UnderRoot(root, folder / name);
        if (included.empty()) included = fs::path(name).lexically_normal().generic_string();
        out.push_back({line, included});
    }
    return out;
}

std::vector<IncludeBreach> CheckIncludes(const fs::path& root, std::span<const IncludeRule> rules) {
    std::vector<IncludeBreach> breaches;
    for (const IncludeRule& rule : rules) {
        std::error_code ec;
        std::vector<std::string> files;
        for (fs::recursive_directory_iterator it(root / rule.from, ec), end; !ec && it != end; it.increment(ec)) {
            if (it->is_regular_file(ec) && IsSource(it->path())) files.push_back(UnderRoot(root, it->path()));
        }
        std::sort(files.begin(), files.end());
        for (const std::string& file : files) {
            for (const IncludeLine& include : ReadIncludes(root, file)) {
                for (std::string_view banned : rule.banned) {
                    if (StartsWith(include.included, banned)) {
                        breaches.push_back({file, include.line, include.included, rule.why});
                        break;
                    }
                }
            }
        }
    }
    return breaches;
}

std::string Describe(const IncludeBreach& breach) {
    return breach.file + ":" + std::to_string(breach.line) + " includes " + breach.included + ": " +
           std::string(breach.why);
}
