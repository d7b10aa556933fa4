#pragma once
// Runs the real quillmark binary as a user at a shell would: no display, a private configuration folder,
// a transport settings file of its own whose dictionary folder (with the report dictionary) is private
// too, and a working folder for the data, template and report files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "testkit/program_sandbox.h"
#include "testkit/run_program.h"

namespace quillmark_test {

inline const std::string kProgram = QM_BIN_DIR "/quillmark";
// Every message of a batch run is one stderr line (or more) that starts with the caption.
inline const std::string kCaption = "Квиллмарк: ";
inline const std::string kDataSourceError = kCaption + "Ошибка чтения источника данных!";
inline const std::string kGenerationError = kCaption + "Ошибка при генерации отчета!";

class BatchRun : public ::testing::Test {
protected:
    void SetUp() override;

    // A path in the working folder.
    std::string W(const std::string& name) const { return Work() + "/" + name; }
    // A path in the run's temporary folder, beside the working folder.
    std::string R(const std::string& name) const { return m_sandbox.Root() + "/" + name; }
    const std::string& Work() const { return m_sandbox.Work(); }
    const std::string& DictionaryDir() const { return m_sandbox.DictionaryDir(); }
    const std::string& ConfigDir() const { return m_sandbox.ConfigDir(); }
    // $XDG_STATE_HOME of the runs; not made before a run needs it.
    const std::string& StateDir() const { return m_sandbox.StateDir(); }

    // Runs the program with the arguments; env changes come on top of the batch environment.
    ProgramResult Run(const std::vector<std::string>& args,
                      std::vector<std::pair<std::string, std::optional<std::string>>> env = {});
    // Points [Paths] Dictionary of the run's transport settings at another folder.
    void SetDictionaryDir(const std::string& dir);

    // The stderr lines that are messages of the program.
    static std::vector<std::string> Messages(const std::string& err);
    // The lines of "report.log" in the dictionary folder.
    std::vector<std::string> LogLines() const;
    // The line a run with these arguments leaves in "report.log".
    static std::string LogLine(const std::vector<std::string>& args);
    // The names of the files in the working folder.
    std::set<std::string> WorkFiles() const;

    static void WriteFile(const std::string& path, const std::string& bytes);
    static bool Exists(const std::string& path);

    // A data file of two columns and two rows, and its base path.
    std::string WriteDataFile(const std::string& base = "data");

private:
    ProgramSandbox m_sandbox;
};

// "exit status 3, signal 0, stderr: ..." for failure output.
std::string Describe(const ProgramResult& r);

}  // namespace quillmark_test
