// A merge that fails never loses the target: sources and targets that can't be loaded (missing, truncated,
// garbage, another schema), a target that may not be written, a save that fails half-way and a missing
// dictionary each give false with their message and leave the target file byte for byte as it was.
#include <gmock/gmock.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

#include "platform/base/file_io.h"
#include "report/generation/generate_report.h"
#include "report/model/report_param.h"
#include "report/tests/merge/merge_fixture.h"

namespace merge_test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// Writes to regular files fail once a file would grow past the limit (as on a full disk).
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~ScopedFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
    bool IsSet() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
    bool m_set = false;
};

constexpr char kGarbage[] = "\x01\x02\xff\xfe not an exchange file \x00\x7f";

ReportPlan SmallReport(const std::string& tag) {
    ReportPlan r;
    r.params = StandardParams("5", tag);
    r.sheets = {{tag, Text::Linked(kPageNumber), Text::Linked(kNumber)}, {Text::Linked(kPageCount)}};
    r.contents = {{tag, {0, 1}, {}}};
    return r;
}

std::vector<std::string> FolderEntries(const std::string& dir) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

class UnificationFailureTest : public MergeTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteReportFile(Path("a.zorrep"), SmallReport("цель")));
        ASSERT_TRUE(WriteReportFile(Path("b.zorrep"), SmallReport("источник")));
        good = zor::test::Slurp(Path("b.zorrep"));
        before = zor::test::Slurp(Path("a.zorrep"));
        ASSERT_FALSE(before.empty());
    }
    // Each file that can't be loaded, by name: the bytes to write, or nothing for a file that isn't there.
    struct Hostile {
        std::string name;
        std::optional<std::string> bytes;
        bool folder = false;
    };
    std::vector<Hostile> HostileFiles() const {
        return {
            {"missing", std::nullopt},
            {"folder", std::nullopt, true},
            {"truncated_third", good.substr(0, good.size() / 3)},
            {"truncated_half", good.substr(0, good.size() / 2)},
            {"truncated_tail", good.substr(0, good.size() - 5)},
            {"garbage", std::string(kGarbage, sizeof kGarbage - 1)},
            {"other_schema", "ISO-10303-21;\nHEADER;\nFILE_SCHEMA(('OTHER'));\nENDSEC;\nDATA;\nENDSEC;\nEND-ISO-10303-21;\n"},
            {"dangling", "ISO-10303-21;\nHEADER;\nFILE_SCHEMA(('QUILLMARK'));\nENDSEC;\nDATA;\n"
                         "#1=ZOR_REPORT($,$,$,$,'x',(#9),(),1);\nENDSEC;\nEND-ISO-10303-21;\n"},
        };
    }
    std::string Make(const Hostile& h) {
        const std::string path = Path(h.name + ".zorrep");
        if (h.folder) {
            std::filesystem::create_directory(path);
        } else if (h.bytes) {
            EXPECT_TRUE(zor::WriteFileAtomically(path, *h.bytes));
        }
        return path;
    }

    std::string good, before;
};

TEST_F(UnificationFailureTest, SourceThatFailsToLoadLeavesTheTarget) {
    for (const Hostile& h : HostileFiles()) {
        SCOPED_TRACE(h.name);
        messages.Clear();
        const std::string source = Make(h);
        const std::vector<std::string> list = {Path("b.zorrep"), source};

        EXPECT_FALSE(UnificationReports(Path("a.zorrep"), source));
        EXPECT_FALSE(UnificationArrayReports(Path("a.zorrep"), &list));

        EXPECT_EQ(zor::test::Slurp(Path("a.zorrep")), before);
        ASSERT_EQ(messages.Texts().size(), 2u);
        EXPECT_THAT(messages.Texts()[0], StartsWith("Ошибка загрузки данных " + source + " ("));
    }
}

TEST_F(UnificationFailureTest, TargetThatFailsToLoadIsLeftAsItWas) {
    for (const Hostile& h : HostileFiles()) {
        if (!h.bytes) continue;
        SCOPED_TRACE(h.name);
        messages.Clear();
        const std::string target = Make(h);
        const std::vector<std::string> list = {Path("b.zorrep")};

        EXPECT_FALSE(UnificationReports(target, Path("b.zorrep")));
        EXPECT_FALSE(UnificationArrayReports(target, &list));

        EXPECT_EQ(zor::test::Slurp(target), *h.bytes);
        ASSERT_EQ(messages.Texts().size(), 2u);
        EXPECT_THAT(messages.Texts()[1], StartsWith("Ошибка загрузки данных " + target + " ("));
    }
}

TEST_F(UnificationFailureTest, TargetThatMayNotBeWrittenIsRefusedBeforeMerging) {
    ASSERT_EQ(::chmod(Path("a.zorrep").c_str(), 0444), 0);
    const std::vector<std::string> list = {Path("b.zorrep")};

    EXPECT_FALSE(UnificationReports(Path("a.zorrep"), Path("b.zorrep")));
    EXPECT_FALSE(UnificationArrayReports(Path("a.zorrep"), &list));

    EXPECT_EQ(zor::test::Slurp(Path("a.zorrep")), before);
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_THAT(messages.Texts()[0], HasSubstr(Path("a.zorrep") + " (24)"));
}

// A source is only read: one that may not be written merges like any other.
TEST_F(UnificationFailureTest, ReadOnlySourceIsMerged) {
    ASSERT_EQ(::chmod(Path("b.zorrep").c_str(), 0444), 0);
    EXPECT_TRUE(UnificationReports(Path("a.zorrep"), Path("b.zorrep")));
    EXPECT_EQ(ReadReportFile(Path("a.zorrep")).sheetNames.size(), 4u);
}

TEST_F(UnificationFailureTest, FailedSaveLeavesTheTargetAndNoTemporaryFile) {
    ASSERT_TRUE(WriteRootlessFile(Path("empty.zorrep")));
    const std::string rootless = zor::test::Slurp(Path("empty.zorrep"));
    ASSERT_FALSE(rootless.empty());
    const std::vector<std::string> entries = FolderEntries(dir.Path());
    const std::vector<std::string> list = {Path("b.zorrep"), Path("b.zorrep")};
    {
        ScopedFileSizeLimit limit(64);
        ASSERT_TRUE(limit.IsSet());
        EXPECT_FALSE(UnificationReports(Path("a.zorrep"), Path("b.zorrep")));
        EXPECT_FALSE(UnificationArrayReports(Path("a.zorrep"), &list));
        // The copy that replaces a target without report root fails the same way.
        EXPECT_FALSE(UnificationReports(Path("empty.zorrep"), Path("b.zorrep")));
    }
    EXPECT_EQ(zor::test::Slurp(Path("a.zorrep")), before);
    EXPECT_EQ(zor::test::Slurp(Path("empty.zorrep")), rootless);
    EXPECT_EQ(FolderEntries(dir.Path()), entries);
    // Each names the target it could not write.
    using ::testing::StartsWith;
    EXPECT_THAT(messages.Texts(),
                ElementsAre(StartsWith("Ошибка при сохранении отчета!\n" + Path("a.zorrep") + ": "),
                            StartsWith("Ошибка при сохранении отчета!\n" + Path("a.zorrep") + ": "),
                            StartsWith("Ошибка при сохранении отчета!\n" + Path("empty.zorrep") + ": ")));
    // The same merge goes through once the files may grow again.
    EXPECT_TRUE(UnificationReports(Path("a.zorrep"), Path("b.zorrep")));
}

TEST_F(UnificationFailureTest, MissingDictionaryIsReportedAndNothingWritten) {
    const std::string ini = Path("other.ini");
    ASSERT_TRUE(zor::WriteFileAtomically(ini, "[Paths]\nDictionary=" + dir.Path() + "/\n"));
    zor::test::ScopedEnv env("ZOR_TRANSPORT_INI", ini);
    const std::vector<std::string> list = {Path("b.zorrep")};

    EXPECT_FALSE(UnificationReports(Path("a.zorrep"), Path("b.zorrep")));
    EXPECT_FALSE(UnificationArrayReports(Path("a.zorrep"), &list));

    EXPECT_EQ(zor::test::Slurp(Path("a.zorrep")), before);
    const std::string text = "Ошибка загрузки словаря " + dir.Path() + "/quillmark.dict";
    EXPECT_THAT(messages.Texts(), ElementsAre(text, text));
}

}  // namespace
}  // namespace merge_test
