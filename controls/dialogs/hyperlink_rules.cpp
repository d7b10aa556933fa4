#include "controls/dialogs/hyperlink_rules.h"

#include <algorithm>
#include <array>
#include <fstream>

#include <fmt/printf.h>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "controls/desktop_opener.h"

namespace zor {

COLORREF LinkTextColor(uint32_t style, bool over, bool active, bool visited, const HYPERLINKCOLORS& colors) {
    if (over && (style & StyleUseHover)) return colors.crHover;
    if ((style & StyleNoActiveColor) || !active) return visited ? colors.crVisited : colors.crLink;
    return colors.crActive;
}

bool ModifyLinkStyle(uint32_t& style, uint32_t remove, uint32_t add) {
    if (remove & add) return false;
    style = (style & ~remove) | add;
    return true;
}

void DefaultUrlAndText(std::string& url, std::string& text) {
    if (url.empty()) url = text;
    if (text.empty()) text = url;
}

CRect FitToText(const CRect& rect, const CSize& text, FitAlign horizontal, bool verticalCentre) {
    CRect r = rect;
    if (verticalCentre) {
        r.top += (rect.Height() - text.cy) / 2;
        r.bottom = r.top + text.cy;
    } else {
        r.bottom = r.top + text.cy;
    }
    switch (horizontal) {
    case FitAlign::Centre:
        r.left += (rect.Width() - text.cx) / 2;
        r.right = r.left + text.cx;
        break;
    case FitAlign::Right: r.left = r.right - text.cx; break;
    case FitAlign::Left: r.right = r.left + text.cx; break;
    }
    return r;
}

std::string CutCommandLine(const std::string& command) {
    static constexpr std::array<const char*, 5> kPlaceholders = {"%u", "%U", "%f", "%F", "%1"};
    size_t quoted = std::string::npos, bare = std::string::npos;
    for (const char* p : kPlaceholders) {
        const std::string q = std::string("\"") + p + "\"";
        quoted = std::min(quoted, command.find(q));
        bare = std::min(bare, command.find(p));
    }
    const size_t cut = quoted != std::string::npos ? quoted : bare;
    return cut == std::string::npos ? command : command.substr(0, cut);
}

std::vector<std::string> SplitCommandLine(const std::string& command) {
    std::vector<std::string> words;
    for (const QString& word : QProcess::splitCommand(QString::fromStdString(command))) words.push_back(word.toStdString());
    return words;
}

namespace {

// The "Exec" line of the desktop entry the desktop names as the handler of HTML files.
std::optional<std::string> DesktopHtmlHandler() {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(3000) || query.exitCode() != 0) {
        query.kill();
        query.waitForFinished(1000);
        return std::nullopt;
    }
    const QString entry = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    if (entry.isEmpty()) return std::nullopt;
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry);
    if (path.isEmpty()) return std::nullopt;
    std::ifstream in(path.toStdString());
    std::string line;
    bool inEntry = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') inEntry = line == "[Desktop Entry]";
        else if (inEntry && line.rfind("Exec=", 0) == 0) return line.substr(5);
    }
    return std::nullopt;
}

bool StartDetached(const std::vector<std::string>& argv) {
    if (argv.empty() || argv.front().empty()) return false;
    QStringList args;
    for (size_t i = 1; i < argv.size(); ++i) args << QString::fromStdString(argv[i]);
    return QProcess::startDetached(QString::fromStdString(argv.front()), args);
}

constexpr int kNoAssociation = 31;
constexpr int kFileNotFound = 2;
constexpr int kOpened = 33;

}  // namespace

LinkLauncher DesktopLinkLauncher() { return {OpenThroughDesktop, DesktopHtmlHandler, StartDetached}; }

int GotoUrl(const std::string& url, const LinkLauncher& launcher) {
    if (launcher.open && launcher.open(url)) return kOpened;
    const std::optional<std::string> command = launcher.htmlHandlerCommand ? launcher.htmlHandlerCommand() : std::nullopt;
    if (!command) return kNoAssociation;
    // The target is never glued into the command line: a blank in a path or a quote in a crafted link
    // would split it into arguments the user never saw.
    std::vector<std::string> argv = SplitCommandLine(CutCommandLine(*command));
    if (argv.empty()) return kFileNotFound;
    argv.push_back(url);
    return launcher.start && launcher.start(argv) ? kOpened : kFileNotFound;
}

std::string LinkErrorText(int code) {
    const char* text = nullptr;
    switch (code) {
    case 0: text = "The operating system is out\nof memory or resources."; break;
    case 2: text = "The specified file was not found."; break;
    case 3: text = "The specified path was not found."; break;
    case 5: text = "The operating system denied\naccess to the specified file."; break;
    case 8: text = "There was not enough memory to complete the operation."; break;
    case 11: text = "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."; break;
    case 26: text = "A sharing violation occurred. "; break;
    case 27: text = "The filename association is\nincomplete or invalid."; break;
    case 28: text = "The DDE transaction could not\nbe completed because the request timed out."; break;
    case 29: text = "The DDE transaction failed."; break;
    case 30: text = "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."; break;
    case 31: text = "There is no application associated\nwith the given filename extension."; break;
    case 32: text = "The specified dynamic-link library was not found."; break;
    default: break;
    }
    return "Can't open link:\n\n" + (text ? std::string(text) : fmt::sprintf("Unknown Error (%d) occurred.", code));
}

}  // namespace zor
