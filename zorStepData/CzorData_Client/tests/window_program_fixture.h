#pragma once
// A real-window test of one of the small window programs: a test X server, a sandbox, one run of
// the program at a time reporting its controls' places, screenshots kept in the build's
// screenshots folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "testkit/program_report.h"
#include "testkit/x_session.h"

namespace quillmark_test {

class WindowProgramTest : public ::testing::Test {
protected:
    explicit WindowProgramTest(std::string program) : m_programPath(std::move(program)) {}

    void SetUp() override {
        std::string why;
        if (!m_x.Start(why)) GTEST_SKIP() << why;
        ASSERT_TRUE(m_sandbox.Create());
    }
    void TearDown() override {
        if (m_program->Running()) m_program->Wait(std::chrono::milliseconds(0));
    }
    static std::string Describe(const ProgramResult& r) {
        return "exit " + std::to_string(r.exitStatus) + " signal " + std::to_string(r.signal) + "\n" + r.err;
    }
    // Starts the program on one window and waits until the window reported its controls.
    void Show(const std::vector<std::string>& args) {
        std::string why;
        m_report.reset();
        m_program = std::make_unique<RunningProgram>();
        m_report = std::make_unique<ProgramReport>(*m_program);
        ASSERT_TRUE(m_x.Launch(m_programPath, args, m_sandbox, *m_program, why)) << why;
        ASSERT_TRUE(m_report->WaitFor("ready", std::chrono::seconds(20))) << Describe(m_program->Wait(std::chrono::milliseconds(0)));
    }
    bool ClickCentre(const std::string& id) {
        const QRect r = m_report->Place(id);
        return !r.isEmpty() && m_x.Click(r.center().x(), r.center().y());
    }
    static void Save(const QImage& shot, const std::string& name) {
        std::filesystem::create_directories(QM_BIN_DIR "/screenshots");
        shot.save(QString::fromStdString(std::string(QM_BIN_DIR "/screenshots/") + name + ".png"));
    }
    // The program ends by itself with status 0 after saying `line` (when given) and "done".
    void ExpectEnds(const std::string& line = {}) {
        using namespace std::chrono_literals;
        if (!line.empty()) {
            EXPECT_EQ(m_report->WaitForLineStarting(line.substr(0, line.find(' ')), 10s), line);
        }
        EXPECT_TRUE(m_report->WaitFor("done", 10s));
        const ProgramResult result = m_program->Wait(10s);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitStatus, 0) << Describe(result);
    }

    std::string m_programPath;
    XSession m_x;
    ProgramSandbox m_sandbox;
    std::unique_ptr<RunningProgram> m_program = std::make_unique<RunningProgram>();
    std::unique_ptr<ProgramReport> m_report;
};

}  // namespace quillmark_test
