#include "designer/start_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include <fmt/format.h>

#include "platform/base/config_paths.h"

namespace quillmark {

namespace {

bool IsPlain(unsigned char c) {
    if (c >= 0x80) return true;  // part of a UTF-8 character
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("/._-+=:,@%").find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string Quoted(const std::string& arg) {
    bool plain = !arg.empty(), control = false;
    for (unsigned char c : arg) {
        plain = plain && IsPlain(c);
        control = control || IsControl(c);
    }
    if (plain) return arg;
    if (!control) {
        std::string out = "'";
        for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return out + "'";
    }
    std::string out = "$'";
    for (unsigned char c : arg) {
        switch (c) {
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\\': out += "\\\\"; break;
            case '\'': out += "\\'"; break;
            default:
                if (IsControl(c))
                    out += fmt::format("\\x{:02X}", c);
                else
                    out += static_cast<char>(c);
        }
    }
    return out + "'";
}

}  // namespace

std::string CommandLineText(const std::vector<std::string>& argv) {
    std::string line;
    for (const std::string& arg : argv) {
        if (!line.empty()) line += ' ';
        line += Quoted(arg);
    }
    return line;
}

namespace {

std::string AsFolder(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

// Makes the folder and the missing folders above it, each for its owner alone (what the user's state
// folders are expected to be). False when the folder is not there afterwards.
bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1))
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
    if (!folder.empty() && folder.back() != '/') ::mkdir(folder.c_str(), 0700);
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool AppendLine(const std::string& folder, const std::string& line) {
    const std::string path = folder + kStartLogName;
    // O_APPEND: lines of programs started at the same time never overwrite each other.
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    const std::string bytes = line + "\n";
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    const bool closed = ::close(fd) == 0;
    return done == bytes.size() && closed;
}

}  // namespace

bool IsOwnWritableFolder(const std::string& dir) {
    const std::string path = dir.empty() ? std::string(".") : dir;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return st.st_uid == ::geteuid() && (st.st_mode & S_IWUSR) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string StartLogFolder(const std::string& dictionaryDir, const std::string& stateDir) {
    return IsOwnWritableFolder(dictionaryDir) ? dictionaryDir : AsFolder(stateDir);
}

bool AppendStartLog(const std::string& dictionaryDir, const std::string& stateDir, const std::string& line) {
    const std::string state = AsFolder(stateDir);
    const std::string folder = StartLogFolder(dictionaryDir, stateDir);
    if (folder != state) {
        if (AppendLine(folder, line)) return true;
        // A log file the user may not write in a folder of the user's own: the line still goes somewhere.
    }
    if (state.empty() || !MakeFolders(state)) return false;
    return AppendLine(state, line);
}

bool AppendStartLog(const std::string& dictionaryDir, const std::string& line) {
    return AppendStartLog(dictionaryDir, zor::UserStateDir(), line);
}

}  // namespace quillmark
