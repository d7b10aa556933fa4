// The command-line rules: argument lists and what they select.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "designer/command_line.h"

namespace {

struct Parsed {
    int mode = kModeInteractive;
    std::string file;
    std::string path;
    std::string outfile;
    std::string param;
    int print = 0;
    int preview = 0;
    int shell = CCommandLineInfo::FileNew;
    bool embedded = false;
    bool automated = false;
};

struct Case {
    const char* what;
    std::vector<std::string> args;
    Parsed expected;
};

std::ostream& operator<<(std::ostream& os, const Case& c) {
    os << c.what << ":";
    for (const auto& a : c.args) os << " [" << a << "]";
    return os;
}

Parsed Gen(std::string file, std::string path, std::string outfile, int mode = kModeGenerate) {
    Parsed p;
    p.mode = mode;
    p.file = std::move(file);
    p.path = std::move(path);
    p.outfile = std::move(outfile);
    if (!p.file.empty()) p.shell = CCommandLineInfo::FileOpen;
    return p;
}

template <class F>
Parsed With(Parsed p, F change) {
    change(p);
    return p;
}

const Case kCases[] = {
    {"nothing", {}, {}},
    {"generation", {"-gen", "/data/t.zordot", "-path=/data/d", "-outfile=/out/r.zorrep"},
     Gen("/data/t.zordot", "/data/d", "/out/r.zorrep")},
    {"switches before the file", {"-outfile=r.zorrep", "-path=d", "-gen", "t.zordot"}, Gen("t.zordot", "d", "r.zorrep")},
    {"gen in capitals", {"-GEN"}, Gen("", "", "")},
    {"gen_view in mixed case", {"-Gen_View"}, Gen("", "", "", kModeGenerateView)},
    {"unification in capitals", {"-UNIFICATION", "a.zorrep", "-outfile=b.zorrep"},
     Gen("a.zorrep", "", "b.zorrep", kModeUnification)},
    {"the last mode wins", {"-gen", "-unification"}, Gen("", "", "", kModeUnification)},
    {"path is case-sensitive", {"-Path=/x/rep"}, {}},
    {"outfile is case-sensitive", {"-OUTFILE=/x/r.zorrep"}, {}},
    {"print is case-sensitive", {"-Print"}, {}},
    {"preview is case-sensitive", {"-PREVIEW"}, {}},
    {"the character after path is dropped, whatever it is", {"-pathD:/x/r"}, Gen("", ":/x/r", "", kModeInteractive)},
    {"colon as separator", {"-path:/x/r", "-outfile:/o/r.zorrep"}, Gen("", "/x/r", "/o/r.zorrep", kModeInteractive)},
    {"a multi-byte separator is dropped whole", {"-pathЖ/x/r"}, Gen("", "/x/r", "", kModeInteractive)},
    {"path with nothing after it", {"-path"}, {}},
    {"path with only a separator", {"-path="}, {}},
    {"a value may hold separators and blanks", {"-outfile=/tmp/мои отчеты/a=b.zorrep"},
     Gen("", "", "/tmp/мои отчеты/a=b.zorrep", kModeInteractive)},
    {"path is tested before param", {"-pathparam=x"}, Gen("", "aram=x", "", kModeInteractive)},
    {"param is kept", {"-param=a=b"}, With(Parsed{}, [](Parsed& p) { p.param = "a=b"; })},
    {"print and preview", {"-print", "-preview"}, With(Parsed{}, [](Parsed& p) { p.print = p.preview = 1; })},
    {"preview must be the whole switch", {"-previewx"}, {}},
    {"gen must be the whole switch", {"-generate"}, {}},
    {"a slash starts a file, not a switch", {"/gen", "/path=x"}, Gen("/gen", "", "", kModeInteractive)},
    {"one dash only", {"--gen"}, {}},
    {"a lone dash", {"-"}, {}},
    {"the first plain argument is the file", {"-gen", "a.zordot", "b.zordot"}, Gen("a.zordot", "", "")},
    {"an empty argument names no file", {"", "a.zordot"}, Gen("a.zordot", "", "", kModeInteractive)},
    {"print a file", {"-p", "r.zorrep"},
     With(Gen("r.zorrep", "", "", kModeInteractive), [](Parsed& p) { p.shell = CCommandLineInfo::FilePrint; })},
    {"print to a printer", {"-pt", "r.zorrep", "printer", "driver", "port"},
     With(Gen("r.zorrep", "", "", kModeInteractive), [](Parsed& p) { p.shell = CCommandLineInfo::FilePrintTo; })},
    {"dde", {"-dde"}, With(Parsed{}, [](Parsed& p) { p.shell = CCommandLineInfo::FileDDE; })},
    {"unregister", {"-Unregister"}, With(Parsed{}, [](Parsed& p) { p.shell = CCommandLineInfo::AppUnregister; })},
    {"embedding", {"-Embedding"}, With(Parsed{}, [](Parsed& p) { p.embedded = true; })},
    {"automation", {"-automation"}, With(Parsed{}, [](Parsed& p) { p.automated = true; })},
};

class CommandLineRules : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineRules, ParsedAsExpected) {
    const Case& c = GetParam();
    CQuillmarkCommandLineInfo info;
    ParseCommandLine(c.args, info);
    const Parsed& e = c.expected;
    EXPECT_EQ(info.mode, e.mode);
    EXPECT_EQ(info.m_strFileName, e.file);
    EXPECT_EQ(info.path, e.path);
    EXPECT_EQ(info.outfile, e.outfile);
    EXPECT_EQ(info.param, e.param);
    EXPECT_EQ(info.print, e.print);
    EXPECT_EQ(info.preview, e.preview);
    EXPECT_EQ(info.m_nShellCommand, e.shell);
    EXPECT_EQ(info.m_bRunEmbedded, e.embedded);
    EXPECT_EQ(info.m_bRunAutomated, e.automated);
    EXPECT_EQ(info.count, static_cast<int>(c.args.size()));
}

// "the last mode wins" is listed as TheLastModeWins.
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name;
    bool upper = true;
    for (const char* p = info.param.what; *p; ++p) {
        const char c = *p;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            name += upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
            upper = false;
        } else {
            upper = true;
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Table, CommandLineRules, ::testing::ValuesIn(kCases), CaseName);

TEST(CommandLineRules, PrintToTakesPrinterDriverAndPortInTurn) {
    CQuillmarkCommandLineInfo info;
    ParseCommandLine({"-pt", "r.zorrep", "Принтер 1", "драйвер", "порт", "лишнее"}, info);
    EXPECT_EQ(info.m_strPrinterName, "Принтер 1");
    EXPECT_EQ(info.m_strDriverName, "драйвер");
    EXPECT_EQ(info.m_strPortName, "порт");
}

}  // namespace
