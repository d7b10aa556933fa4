// The source tree keeps its folder rules, and the check finds a breach however the include is written.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/tests/test_support.h"
#include "tools/layers/include_graph.h"

namespace fs = std::filesystem;

TEST(IncludeGraph, SourceTreeKeepsItsFolderRules) {
    const std::vector<IncludeBreach> breaches = CheckIncludes(QM_SOURCE_DIR, ProjectIncludeRules());
    std::string list;
    for (const IncludeBreach& breach : breaches) list += Describe(breach) + "\n";
    EXPECT_TRUE(breaches.empty()) << list;
}

TEST(IncludeGraph, EveryRuleLooksAtAFolderThatExists) {
    // A rule whose folder was renamed would pass for ever without reading a file.
    for (const IncludeRule& rule : ProjectIncludeRules()) {
        EXPECT_TRUE(fs::is_directory(fs::path(QM_SOURCE_DIR) / rule.from)) << rule.from;
        EXPECT_EQ(rule.from.back(), '/') << rule.from;
        for (std::string_view banned : rule.banned) EXPECT_EQ(banned.back(), '/') << banned;
    }
}

TEST(IncludeGraph, FindsTheIncludeHoweverItIsWritten) {
    const IncludeRule rules[] = {{"low/", {"high/"}, "low lies below high"}};
    struct Case {
        const char* file;
        const char* text;
        int breachLine;  // 0: no breach
    };
    const Case cases[] = {
        {"low/a.cpp", "#include \"high/h.h\"\n", 1},
        {"low/a.cpp", "// first\n#include <high/h.h>\n", 2},
        {"low/a.cpp", "  #  include \"high/h.h\"  // spaced\n", 1},
        {"low/a.h", "#include \"../high/h.h\"\n", 1},
        {"low/deep/a.cpp", "#include \"../../high/h.h\"\n", 1},
        {"low/deep/a.hpp", "#include \"high/h.h\"\n", 1},
        // Found beside the including file, as the compiler finds it: the low folder's own h.h.
        {"low/a.cpp", "#include \"h.h\"\n", 0},
        {"low/a.cpp", "#include \"low/h.h\"\n", 0},
        {"low/a.cpp", "#include \"higher/h.h\"\n", 0},
        {"low/a.cpp", "// #include \"high/h.h\"\n", 0},
        {"low/notes.md", "#include \"high/h.h\"\n", 0},
        {"other/a.cpp", "#include \"high/h.h\"\n", 0},
    };
    for (const Case& c : cases) {
        zor::test::ScopedTempDir root;
        fs::create_directories(fs::path(root.Path()) / "high");
        std::ofstream(root / "high/h.h") << "#pragma once\n";
        fs::create_directories(fs::path(root.Path()) / "low/deep");
        std::ofstream(root / "low/h.h") << "#pragma once\n";
        fs::create_directories((fs::path(root.Path()) / c.file).parent_path());
        std::ofstream(root / c.file) << c.text;

        const std::vector<IncludeBreach> breaches = CheckIncludes(root.Path(), rules);
        if (c.breachLine == 0) {
            EXPECT_TRUE(breaches.empty()) << c.file << ": " << c.text;
            continue;
        }
        ASSERT_EQ(breaches.size(), 1u) << c.file << ": " << c.text;
        EXPECT_EQ(breaches[0].file, c.file);
        EXPECT_EQ(breaches[0].line, c.breachLine);
        EXPECT_EQ(breaches[0].included, "high/h.h");
        EXPECT_EQ(Describe(breaches[0]), std::string(c.file) + ":" + std::to_string(c.breachLine) +
                                             " includes high/h.h: low lies below high");
    }
}
