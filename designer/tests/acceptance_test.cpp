// The program run from a shell with no display: which batch mode each command line selects, the data-file
// and merge errors with their exit status and messages, the start line in "report.log", and that no
// output file is written or damaged by a run that fails. What a finished generation writes is checked in
// acceptance_generation_test.cpp.
#include "designer/tests/batch_fixture.h"

#include <filesystem>

namespace quillmark_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::Contains;

const std::string kNoDisplay = "Квиллмарк: нет дисплея";

TEST_F(BatchRun, MissingDataFileEndsEveryGenerateModeWithADataError) {
    for (const char* mode : {"-gen", "-GEN", "-gen_view", "-Gen_View"}) {
        SCOPED_TRACE(mode);
        const std::vector<std::string> args = {mode, W("t.zordot"), "-path=" + W("absent"), "-outfile=" + W("r.zorrep")};
        const ProgramResult r = Run(args);
        EXPECT_EQ(r.exitStatus, 2) << Describe(r);
        EXPECT_THAT(Messages(r.err), ElementsAre(kDataSourceError)) << Describe(r);
        EXPECT_EQ(r.out, "");
        ASSERT_FALSE(LogLines().empty());
        EXPECT_EQ(LogLines().back(), LogLine(args));
        EXPECT_FALSE(Exists(W("r.zorrep")));
    }
    EXPECT_EQ(LogLines().size(), 4u);
}

TEST_F(BatchRun, DataFileWithoutAHeaderLineIsADataError) {
    for (const char* bytes : {"", "\n\r\n\n"}) {
        WriteFile(W("data.csv"), bytes);
        const ProgramResult r = Run({"-gen", W("t.zordot"), "-path=" + W("data"), "-outfile=" + W("r.zorrep")});
        EXPECT_EQ(r.exitStatus, 2) << Describe(r);
        EXPECT_THAT(Messages(r.err), ElementsAre(kDataSourceError)) << Describe(r);
        EXPECT_FALSE(Exists(W("r.zorrep")));
    }
}

TEST_F(BatchRun, FailedRunLeavesAnEarlierReportAsItWas) {
    WriteFile(W("r.zorrep"), "an earlier report\n");
    const ProgramResult r = Run({"-gen", W("t.zordot"), "-path=" + W("absent"), "-outfile=" + W("r.zorrep")});
    EXPECT_EQ(r.exitStatus, 2) << Describe(r);
    EXPECT_EQ(zor::test::Slurp(W("r.zorrep")), "an earlier report\n");
    EXPECT_EQ(WorkFiles(), std::set<std::string>{"r.zorrep"});
}

// The path switch is case-sensitive: "-Path=" is ignored, and the data file is then ".csv" in the working
// folder, which does not exist.
TEST_F(BatchRun, PathSwitchIsCaseSensitive) {
    const std::string base = WriteDataFile();
    const ProgramResult ignored = Run({"-GEN", W("t.zordot"), "-Path=" + base, "-outfile=" + W("r.zorrep")});
    EXPECT_EQ(ignored.exitStatus, 2) << Describe(ignored);
    EXPECT_THAT(Messages(ignored.err), ElementsAre(kDataSourceError));

    // With the data read, the run reaches generation, which fails on the missing template.
    const ProgramResult used = Run({"-GEN", W("t.zordot"), "-path=" + base, "-outfile=" + W("r.zorrep")});
    EXPECT_EQ(used.exitStatus, 3) << Describe(used);
    EXPECT_THAT(Messages(used.err), Not(Contains(kDataSourceError)));
    EXPECT_FALSE(Exists(W("r.zorrep")));
}

TEST_F(BatchRun, WithoutOutfileGenerationFailsAndWritesNothing) {
    const std::string base = WriteDataFile();
    WriteFile(W("t.zordot"), "");
    const std::set<std::string> before = WorkFiles();
    const std::vector<std::string> args = {"-gen", W("t.zordot"), "-path=" + base};
    const ProgramResult r = Run(args);
    EXPECT_EQ(r.exitStatus, 3) << Describe(r);
    EXPECT_THAT(Messages(r.err), Not(Contains(kDataSourceError)));
    EXPECT_EQ(WorkFiles(), before);
    EXPECT_THAT(LogLines(), ElementsAre(LogLine(args)));
}

// A parameter file is optional: the run goes on to generation without one (which here fails on the
// missing template, not on the parameters).
TEST_F(BatchRun, MissingParameterFileIsNoDataError) {
    const std::string base = WriteDataFile();
    ASSERT_FALSE(Exists(base + ".par"));
    const ProgramResult r = Run({"-gen", W("absent.zordot"), "-path=" + base, "-outfile=" + W("r.zorrep")});
    EXPECT_EQ(r.exitStatus, 3) << Describe(r);
    EXPECT_THAT(Messages(r.err), Not(Contains(kDataSourceError)));
    EXPECT_FALSE(Exists(W("r.zorrep")));
}

// Absolute paths begin with '/', so '/' never starts a switch: "/gen" names a file and selects nothing, so
// the run asks for the designer, which cannot start without a display.
TEST_F(BatchRun, ArgumentStartingWithSlashIsAFileNotASwitch) {
    const ProgramResult gen = Run({"-gen", W("t.zordot"), "-path=" + W("absent"), "-outfile=" + W("r.zorrep")});
    EXPECT_EQ(gen.exitStatus, 2) << Describe(gen);
    EXPECT_THAT(Messages(gen.err), ElementsAre(kDataSourceError));

    const std::vector<std::string> args = {"/gen", W("t.zordot"), "-path=" + W("absent"), "-outfile=" + W("r.zorrep")};
    const ProgramResult slash = Run(args);
    EXPECT_EQ(slash.exitStatus, 1) << Describe(slash);
    EXPECT_TRUE(slash.err.starts_with(kNoDisplay)) << Describe(slash);
    EXPECT_THAT(Messages(slash.err), Not(Contains(kDataSourceError)));
    EXPECT_EQ(LogLines().back(), LogLine(args));
    EXPECT_FALSE(Exists(W("r.zorrep")));
}

// The exit status says the merge failed (the merge itself may say why), and the target stays as it was.
TEST_F(BatchRun, FailedMergeIsAMergeErrorAndKeepsTheTarget) {
    WriteFile(W("target.zorrep"), "not a report\n");
    for (const char* mode : {"-unification", "-UNIFICATION"}) {
        SCOPED_TRACE(mode);
        const std::vector<std::string> args = {mode, W("target.zorrep"), "-outfile=" + W("absent.zorrep")};
        const ProgramResult r = Run(args);
        EXPECT_EQ(r.exitStatus, 4) << Describe(r);
        EXPECT_THAT(Messages(r.err), Not(Contains(kDataSourceError)));
        EXPECT_EQ(LogLines().back(), LogLine(args));
        EXPECT_EQ(zor::test::Slurp(W("target.zorrep")), "not a report\n");
        EXPECT_EQ(WorkFiles(), std::set<std::string>{"target.zorrep"});
    }
}

// With no display the designer cannot be shown: a start that asks for it says so in one line, shows how to
// call the program and ends with status 1, whatever switches of the desktop it carries.
TEST_F(BatchRun, StartWithoutBatchModeAndDisplayShowsHowToCallTheProgram) {
    const std::vector<std::vector<std::string>> starts = {
        {}, {"-help"}, {W("t.zordot")}, {"-Embedding"}, {"-Automation"}, {"-Unregister"}, {"-dde"}};
    for (const std::vector<std::string>& args : starts) {
        SCOPED_TRACE(args.empty() ? "(none)" : args[0]);
        const ProgramResult r = Run(args);
        EXPECT_EQ(r.exitStatus, 1) << Describe(r);
        EXPECT_TRUE(r.err.starts_with(kNoDisplay)) << Describe(r);
        EXPECT_NE(r.err.find("quillmark -gen <шаблон.zordot> -path=<данные> -outfile=<отчет.zorrep>"), std::string::npos)
            << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(LogLines().back(), LogLine(args));
    }
    EXPECT_TRUE(std::filesystem::is_empty(ConfigDir()));
}

TEST_F(BatchRun, EveryStartAppendsItsCommandLineToTheLog) {
    WriteFile(DictionaryDir() + "/report.log", "an earlier start\n");
    Run({"-gen", W("t.zordot"), "-path=" + W("absent")});
    Run({"-unification", W("мой отчет.zorrep")});
    EXPECT_THAT(LogLines(), ElementsAre("an earlier start", LogLine({"-gen", W("t.zordot"), "-path=" + W("absent")}),
                                        LogLine({"-unification", "'" + W("мой отчет.zorrep") + "'"})));
}

TEST_F(BatchRun, LogThatCannotBeWrittenDoesNotStopTheRun) {
    SetDictionaryDir(R("absent"));
    const ProgramResult r = Run({"-gen", W("t.zordot"), "-path=" + W("absent"), "-outfile=" + W("r.zorrep")});
    EXPECT_EQ(r.exitStatus, 2) << Describe(r);
    EXPECT_THAT(Messages(r.err), ElementsAre(kDataSourceError));
    EXPECT_FALSE(Exists(R("absent")));
}

// A display that cannot be reached (a stale DISPLAY in a remote shell) must not stop a batch run.
TEST_F(BatchRun, UnreachableDisplayDoesNotStopABatchRun) {
    const ProgramResult r = Run({"-gen", W("t.zordot"), "-path=" + W("absent"), "-outfile=" + W("r.zorrep")},
                                {{"DISPLAY", ":987"}, {"XAUTHORITY", R("no-xauthority")}});
    EXPECT_EQ(r.exitStatus, 2) << Describe(r);
    EXPECT_THAT(Messages(r.err), ElementsAre(kDataSourceError));
}

TEST_F(BatchRun, BatchRunWritesNoSettings) {
    const std::string base = WriteDataFile();
    Run({"-gen", W("t.zordot"), "-path=" + base, "-outfile=" + W("r.zorrep")});
    Run({"-unification", W("a.zorrep"), "-outfile=" + W("b.zorrep")});
    EXPECT_TRUE(std::filesystem::is_empty(ConfigDir()));
}

}  // namespace
}  // namespace quillmark_test
