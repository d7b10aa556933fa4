#pragma once
// The include graph read from the sources, checked against folder rules: which folder's files may not
// include which folder's headers. Folders are library boundaries; a quoted include is what the compiler
// would find, so a file that reaches upward is caught before a cycle between libraries grows from it.
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Files under `from` (a folder relative to the source root, ending in '/') may include nothing under any
// of `banned`. `why` is said with every breach.
struct IncludeRule {
    std::string_view from;
    std::vector<std::string_view> banned;
    std::string_view why;
};

// One #include line that breaks a rule.
struct IncludeBreach {
    std::string file;      // relative to the source root
    int line = 0;          // 1-based
    std::string included;  // the header, relative to the source root
    std::string_view why;
};

// The rules this source tree keeps (include_rules.cpp).
std::span<const IncludeRule> ProjectIncludeRules();

// The headers a file includes, one per #include line, each relative to the source root: a quoted name is
// looked up beside the file first (as the compiler does), else taken from the root; a name in angle
// brackets from the root. A name that leaves the root is kept as written.
struct IncludeLine {
    int line = 0;
    std::string included;
};
std::vector<IncludeLine> ReadIncludes(const std::filesystem::path& root, const std::string& file);

// Every breach of the rules in the C++ sources (.h, .hpp, .cpp, .cc, .inl) under each rule's folder.
std::vector<IncludeBreach> CheckIncludes(const std::filesystem::path& root, std::span<const IncludeRule> rules);

// One breach as a reader wants it: "file:line includes header: why".
std::string Describe(const IncludeBreach& breach);
