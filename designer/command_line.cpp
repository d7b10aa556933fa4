#include "designer/command_line.h"

#include "platform/text/utf8.h"

namespace {

// The text that follows `name` and the one separator character after it; "" when there is none.
// The separator may be any character, a multi-byte one included, and is dropped whole.
std::string TextAfter(const std::string& text, std::string_view name) {
    if (text.size() <= name.size()) return {};
    return text.substr(name.size() + zor::Utf8CharSize(text, name.size()));
}

}  // namespace

void CCommandLineInfo::ParseParam(const std::string& param, bool isSwitch, bool isLast) {
    if (isSwitch)
        ParseParamFlag(param);
    else
        ParseParamNotFlag(param);
    ParseLast(isLast);
}

void CCommandLineInfo::ParseParamFlag(std::string_view flag) {
    if (flag == "pt")
        m_nShellCommand = FilePrintTo;
    else if (flag == "p")
        m_nShellCommand = FilePrint;
    else if (zor::EqualsNoCase(flag, "Unregister") || zor::EqualsNoCase(flag, "Unregserver"))
        m_nShellCommand = AppUnregister;
    else if (flag == "dde")
        m_nShellCommand = FileDDE;
    else if (zor::EqualsNoCase(flag, "Embedding"))
        m_bRunEmbedded = true;
    else if (zor::EqualsNoCase(flag, "Automation"))
        m_bRunAutomated = true;
}

void CCommandLineInfo::ParseParamNotFlag(const std::string& param) {
    if (m_strFileName.empty())
        m_strFileName = param;
    else if (m_nShellCommand == FilePrintTo && m_strPrinterName.empty())
        m_strPrinterName = param;
    else if (m_nShellCommand == FilePrintTo && m_strDriverName.empty())
        m_strDriverName = param;
    else if (m_nShellCommand == FilePrintTo && m_strPortName.empty())
        m_strPortName = param;
}

void CCommandLineInfo::ParseLast(bool isLast) {
    if (isLast && m_nShellCommand == FileNew && !m_strFileName.empty()) m_nShellCommand = FileOpen;
}

void CQuillmarkCommandLineInfo::ParseParam(const std::string& text, bool isSwitch, bool isLast) {
    if (isSwitch) {
        if (text.starts_with("path"))
            path = TextAfter(text, "path");
        else if (text == "print")
            print = 1;
        else if (text == "preview")
            preview = 1;
        else if (text.starts_with("param"))
            param = TextAfter(text, "param");
        else if (zor::EqualsNoCase(text, "gen"))
            mode = kModeGenerate;
        else if (zor::EqualsNoCase(text, "unification"))
            mode = kModeUnification;
        else if (zor::EqualsNoCase(text, "gen_view"))
            mode = kModeGenerateView;
        else if (text.starts_with("outfile"))
            outfile = TextAfter(text, "outfile");
    }
    ++count;
    CCommandLineInfo::ParseParam(text, isSwitch, isLast);
}

void ParseCommandLine(const std::vector<std::string>& args, CCommandLineInfo& info) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isSwitch = !arg.empty() && arg[0] == '-';
        info.ParseParam(isSwitch ? arg.substr(1) : arg, isSwitch, i + 1 == args.size());
    }
}
