#include "designer/tests/batch_fixture.h"

#include <filesystem>
#include <sstream>

namespace quillmark_test {

void BatchRun::SetUp() { ASSERT_TRUE(m_sandbox.Create()); }

void BatchRun::SetDictionaryDir(const std::string& dir) { ASSERT_TRUE(m_sandbox.SetDictionaryDir(dir)); }

ProgramResult BatchRun::Run(const std::vector<std::string>& args,
                            std::vector<std::pair<std::string, std::optional<std::string>>> env) {
    ProgramRun run;
    run.program = kProgram;
    run.args = args;
    run.cwd = Work();
    // No display, and no platform chosen for the program: it must find its own way to start.
    run.env = m_sandbox.Environment();
    run.env.insert(run.env.end(), {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}, {"QT_QPA_PLATFORM", std::nullopt}});
    run.env.insert(run.env.end(), env.begin(), env.end());
    ProgramResult result = RunProgram(run);
    EXPECT_TRUE(result.started) << result.error;
    EXPECT_FALSE(result.timedOut) << Describe(result);
    EXPECT_EQ(result.signal, 0) << Describe(result);
    return result;
}

std::vector<std::string> BatchRun::Messages(const std::string& err) {
    std::vector<std::string> out;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with(kCaption)) out.push_back(line);
    return out;
}

std::vector<std::string> BatchRun::LogLines() const {
    std::vector<std::string> out;
    std::istringstream lines(zor::test::Slurp(DictionaryDir() + "/report.log"));
    for (std::string line; std::getline(lines, line);) out.push_back(line);
    return out;
}

std::string BatchRun::LogLine(const std::vector<std::string>& args) {
    std::string line = kProgram;
    for (const std::string& a : args) line += " " + a;
    return line;
}

std::set<std::string> BatchRun::WorkFiles() const {
    std::set<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(Work())) out.insert(entry.path().filename().string());
    return out;
}

void BatchRun::WriteFile(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(zor::WriteFileAtomically(path, bytes)) << path;
}

bool BatchRun::Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::string BatchRun::WriteDataFile(const std::string& base) {
    WriteFile(W(base + ".csv"), "Номер,Название\n1,Первый\n2,Второй\n");
    return W(base);
}

std::string Describe(const ProgramResult& r) {
    std::ostringstream os;
    os << "exit status " << r.exitStatus << ", signal " << r.signal << (r.timedOut ? ", timed out" : "")
       << "\nstdout:\n" << r.out << "\nstderr:\n" << r.err;
    return os.str();
}

}  // namespace quillmark_test
