#include "controls/please_wait.h"

#include <dirent.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "testkit/xvfb.h"

namespace {

using namespace std::chrono_literals;

// Children of `parent` that run the helper, from /proc; with `living`, those not yet ended.
std::vector<pid_t> HelperChildren(pid_t parent, bool living = true) {
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (!proc) return found;
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = std::atoi(entry->d_name);
        if (pid <= 0) continue;
        std::ifstream in("/proc/" + std::string(entry->d_name) + "/stat");
        std::string stat;
        std::getline(in, stat);
        const auto open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        std::istringstream rest(stat.substr(close + 2));
        char state = 0;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent && (!living || state != 'Z') && stat.substr(open + 1, close - open - 1) == "zorwaitdlg")
            found.push_back(pid);
    }
    closedir(proc);
    return found;
}

template <class Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds limit = 5000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

bool Gone(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

void SetOrUnset(const char* name, const char* value) {
    if (value) setenv(name, value, 1); else unsetenv(name);
}

struct Environment { const char* qpa; const char* display; const char* wayland; };

void Apply(const Environment& e) {
    SetOrUnset("QT_QPA_PLATFORM", e.qpa);
    SetOrUnset("DISPLAY", e.display);
    SetOrUnset("WAYLAND_DISPLAY", e.wayland);
}

TEST(PleaseWait, WithoutADisplayNothingStartsAndHandlesStillBehave) {
    const Environment headless[] = {
        {"offscreen", ":0", nullptr},
        {"minimal", nullptr, "wayland-0"},
        {nullptr, nullptr, nullptr},
        {"xcb", "", ""},
    };
    for (const Environment& env : headless) {
        SCOPED_TRACE(std::string(env.qpa ? env.qpa : "-") + " / " + (env.display ? env.display : "-"));
        Apply(env);
        const long first = zorStartWaitDlg("Квиллмарк: Генерация отчета...");
        EXPECT_NE(first, 0);
        std::this_thread::sleep_for(100ms);
        EXPECT_TRUE(HelperChildren(getpid(), false).empty()) << "a helper was started";

        EXPECT_EQ(zorStartWaitDlg("второе окно"), 0) << "one window at a time";
        zorEndWaitDlg(0);
        EXPECT_EQ(zorStartWaitDlg("второе окно"), 0) << "ending 0 ends nothing";

        zorEndWaitDlg(first);
        const long second = zorStartWaitDlg(nullptr);
        EXPECT_NE(second, 0) << "a new window may start at once";
        EXPECT_NE(second, first);

        // Ending a finished handle again must not end the window that runs now.
        zorEndWaitDlg(first);
        zorEndWaitDlg(first + 1000);
        EXPECT_EQ(zorStartWaitDlg("третье окно"), 0);
        zorEndWaitDlg(second);
    }
}

// Runs Xvfb on a free display for the tests that need a real one.
class PleaseWaitOnDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!m_xvfb.Start(why)) GTEST_SKIP() << why;
        m_display = m_xvfb.Name();
        Apply({nullptr, m_display.c_str(), nullptr});
    }

    // Whether the X server shows a window with the dialog's caption (when xwininfo is there to ask).
    std::optional<bool> CaptionShown() const {
        if (access("/usr/bin/xwininfo", X_OK) != 0) return std::nullopt;
        const std::string command = "DISPLAY=" + m_display + " /usr/bin/xwininfo -root -tree 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return std::nullopt;
        std::string out;
        char buffer[512];
        while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        pclose(pipe);
        return out.find("\"Загрузка данных\"") != std::string::npos;
    }

    quillmark_test::XvfbDisplay m_xvfb;
    std::string m_display;
};

TEST_F(PleaseWaitOnDisplay, HelperShowsTheWindowUntilItEnds) {
    const long handle = zorStartWaitDlg("Квиллмарк: Генерация отчета...");
    ASSERT_NE(handle, 0);
    std::vector<pid_t> helpers;
    ASSERT_TRUE(WaitFor([&] { return !(helpers = HelperChildren(getpid())).empty(); })) << "no helper started";
    ASSERT_EQ(helpers.size(), 1u);
    const pid_t helper = helpers[0];

    if (CaptionShown().has_value()) {
        EXPECT_TRUE(WaitFor([&] { return *CaptionShown(); })) << "no window shown";
    }
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(Gone(helper)) << "the helper gave up on the display";
    EXPECT_EQ(zorStartWaitDlg("второе окно"), 0);
    EXPECT_EQ(HelperChildren(getpid()).size(), 1u);

    zorEndWaitDlg(handle);
    EXPECT_TRUE(WaitFor([&] { return Gone(helper); })) << "the helper outlived its end";
    const long next = zorStartWaitDlg("Квиллмарк: Объединение отчетов...");
    EXPECT_NE(next, 0);
    zorEndWaitDlg(next);
}

TEST_F(PleaseWaitOnDisplay, HelperEndsWhenItsCallerDies) {
    // Orphans come to us, so we can see the helper end after its caller is killed.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    const pid_t caller = fork();
    ASSERT_GE(caller, 0);
    if (caller == 0) {
        zorStartWaitDlg("Квиллмарк: Генерация отчета...");
        for (;;) pause();  // busy forever, never ends the window
    }
    std::vector<pid_t> helpers;
    const bool started = WaitFor([&] { return !(helpers = HelperChildren(caller)).empty(); });
    kill(caller, SIGKILL);
    waitpid(caller, nullptr, 0);
    ASSERT_TRUE(started) << "no helper started";
    const pid_t helper = helpers[0];
    EXPECT_TRUE(WaitFor([&] { return waitpid(helper, nullptr, WNOHANG) == helper; }))
        << "the helper outlived its caller";
    prctl(PR_SET_CHILD_SUBREAPER, 0);
}

}  // namespace
