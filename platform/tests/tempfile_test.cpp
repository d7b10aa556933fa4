#include "platform/base/tempfile.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zor;
namespace fs = std::filesystem;

namespace {

// Runs `body` in a child process (which makes its own private folder) and returns what it wrote to the pipe.
// With `runExitHandlers` the child ends through exit(), as a process normally does.
std::string InChild(const std::function<std::string()>& body, bool runExitHandlers = false) {
    int fds[2];
    if (::pipe(fds) != 0) return "<pipe>";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const std::string out = body();
        [[maybe_unused]] auto n = ::write(fds[1], out.data(), out.size());
        ::close(fds[1]);
        if (runExitHandlers) std::exit(0);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string out;
    char buf[512];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return out;
}

}  // namespace

TEST(TempFile, NamesAreUniquePrivateAndGoAway) {
    const std::string dir = PrivateTempDir();
    ASSERT_FALSE(dir.empty());
    struct stat st{};
    ASSERT_EQ(::stat(dir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    std::set<std::string> names;
    {
        std::vector<TempFile> files;
        for (int i = 0; i < 200; ++i) {
            files.emplace_back(i % 2 ? ".tif" : "");
            ASSERT_TRUE(files.back().IsValid()) << files.back().Error();
            names.insert(files.back().Path());
        }
        EXPECT_EQ(names.size(), 200u);
        for (const auto& f : files) {
            EXPECT_EQ(fs::path(f.Path()).parent_path(), fs::path(dir));
            ASSERT_EQ(::stat(f.Path().c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0600u);
            EXPECT_EQ(st.st_size, 0);
        }
        EXPECT_EQ(files[1].Path().substr(files[1].Path().size() - 4), ".tif");
    }
    for (const auto& n : names) EXPECT_FALSE(fs::exists(n)) << n;
}

TEST(TempFile, MoveHandsOverTheFileAndRemoveIsEarly) {
    TempFile a(".png");
    const std::string path = a.Path();
    TempFile b(std::move(a));
    EXPECT_FALSE(a.IsValid());
    EXPECT_EQ(b.Path(), path);
    {
        TempFile c;
        c = std::move(b);
        EXPECT_TRUE(fs::exists(path));
    }
    EXPECT_FALSE(fs::exists(path));
    TempFile d;
    const std::string dPath = d.Path();
    d.Remove();
    EXPECT_FALSE(d.IsValid());
    EXPECT_FALSE(fs::exists(dPath));
}

TEST(TempFile, RefusesASuffixWithAFolder) {
    TempFile t("/../escape");
    EXPECT_FALSE(t.IsValid());
    EXPECT_FALSE(t.Error().empty());
}

TEST(TempFile, FolderIsMadeAgainWhenSomethingRemovedIt) {
    const std::string dir = PrivateTempDir();
    fs::remove_all(dir);
    TempFile t;
    ASSERT_TRUE(t.IsValid()) << t.Error();
    EXPECT_TRUE(fs::exists(t.Path()));
}

TEST(TempFile, FolderFollowsTmpdirOnlyWhenItNamesAFolder) {
    test::ScopedTempDir root;
    struct Case { std::optional<std::string> tmpdir; std::string under; };
    const Case cases[] = {
        {root.Path(), root.Path()},
        {std::nullopt, "/tmp"},
        {"", "/tmp"},
        {"relative/dir", "/tmp"},
        {root / "missing", "/tmp"},
    };
    for (const auto& c : cases) {
        test::ScopedEnv env("TMPDIR", c.tmpdir);
        const std::string path = InChild([] { return TempFile(".x").Path(); });
        EXPECT_EQ(fs::path(path).parent_path().parent_path(), fs::path(c.under)) << path;
        fs::remove_all(fs::path(path).parent_path());
    }
}

TEST(TempFile, FolderGoesWithTheProcessThatMadeIt) {
    test::ScopedTempDir root;
    test::ScopedEnv env("TMPDIR", root.Path());
    const std::string left = InChild([] {
        static TempFile kept;  // even a file nobody removed goes with the folder
        return PrivateTempDir() + "\n" + kept.Path();
    }, true);
    ASSERT_NE(left.find('\n'), std::string::npos);
    EXPECT_TRUE(fs::is_empty(root.Path())) << left;
}
