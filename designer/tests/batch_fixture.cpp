#include "designer/tests/batch_fixture.h"

#include <filesystem>
#include <sstream>

namespace quillmark_test {

void BatchRun::SetUp() {
    ASSERT_FALSE(m_root.Path().empty());
    m_work = m_root / "work";
    m_dict = m_root / "dict";
    m_config = m_root / "config";
    m_ini = m_root / "ZorTransport.ini";
    for (const std::string& dir : {m_work, m_dict, m_config}) std::filesystem::create_directory(dir);
    std::filesystem::copy_file(QM_DICT_DIR "/quillmark.dict", m_dict + "/quillmark.dict");
    SetDictionaryDir(m_dict);
}

void BatchRun::SetDictionaryDir(const std::string& dir) {
    WriteFile(m_ini, "[Paths]\nDictionary=" + dir + "/\n");
}

ProgramResult BatchRun::Run(const std::vector<std::string>& args,
                            std::vector<std::pair<std::string, std::optional<std::string>>> env) {
    ProgramRun run;
    run.program = kProgram;
    run.args = args;
    run.cwd = m_work;
    // No display, and no platform chosen for the program: it must find its own way to start.
    run.env = {{"DISPLAY", std::nullopt},
               {"WAYLAND_DISPLAY", std::nullopt},
               {"QT_QPA_PLATFORM", std::nullopt},
               {"XDG_CONFIG_HOME", m_config},
               {"ZOR_TRANSPORT_INI", m_ini}};
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
    std::istringstream lines(zor::test::Slurp(m_dict + "/report.log"));
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
    for (const auto& entry : std::filesystem::directory_iterator(m_work)) out.insert(entry.path().filename().string());
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
