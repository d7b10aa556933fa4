#pragma once
// The program's command line. Every argument that begins with '-' is a switch (never '/': that starts
// every absolute path); the switch character is taken off before the switch is examined. Each argument,
// in order, goes to ParseParam, which the program's own command-line class extends.
#include <string>
#include <string_view>
#include <vector>

// What every program of the framework understands: the first plain argument is the file to open, and a
// few switches of the framework's own (print, print to, DDE, unregister, embedding, automation).
class CCommandLineInfo {
public:
    // What the interactive start does with the file name.
    enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppUnregister, FileNothing = -1 };

    virtual ~CCommandLineInfo() = default;

    // param: the argument without its switch character; isSwitch: it had one; isLast: no argument follows.
    virtual void ParseParam(const std::string& param, bool isSwitch, bool isLast);

    int m_nShellCommand = FileNew;
    std::string m_strFileName;
    // The printer, driver and port that follow the file name of a print-to command.
    std::string m_strPrinterName;
    std::string m_strDriverName;
    std::string m_strPortName;
    bool m_bRunEmbedded = false;
    bool m_bRunAutomated = false;

protected:
    void ParseParamFlag(std::string_view flag);
    void ParseParamNotFlag(const std::string& param);
    void ParseLast(bool isLast);
};

// The run kinds chosen on the command line.
enum QuillmarkMode : int {
    kModeInteractive = 0,
    kModeGenerate = 1,       // "gen"
    kModeUnification = 2,    // "unification"
    kModeGenerateView = 3,   // "gen_view"
};

// The program's switches; see ParseParam for the rules.
class CQuillmarkCommandLineInfo : public CCommandLineInfo {
public:
    // Switches, tested in this order, the first match winning:
    //   path<c><text>     (case-sensitive prefix)  path = text: the data files' base path, without extension
    //   print             (case-sensitive)         print = 1 (accepted, no effect)
    //   preview           (case-sensitive)         preview = 1
    //   param<c><text>    (case-sensitive prefix)  param = text (accepted, no effect)
    //   gen               (any case)               mode = 1
    //   unification       (any case)               mode = 2
    //   gen_view          (any case)               mode = 3
    //   outfile<c><text>  (case-sensitive prefix)  outfile = text
    // <c> is one character of any kind (usually '=' or ':') and is always dropped. Then, switch or not,
    // the argument is counted and passed on to the framework's parsing.
    void ParseParam(const std::string& param, bool isSwitch, bool isLast) override;

    int count = 0;          // arguments seen
    std::string outfile;    // the output file of a batch run (for unification: the source report)
    std::string param;
    std::string path;
    int print = 0;
    int preview = 0;
    int mode = kModeInteractive;
};

// Passes each argument (the program name not included) to info.ParseParam.
void ParseCommandLine(const std::vector<std::string>& args, CCommandLineInfo& info);
