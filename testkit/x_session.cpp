#include "testkit/x_session.h"

#include <unistd.h>

#include <map>
#include <regex>
#include <sstream>

#include <QPainter>
#include <thread>

#include "platform/base/tempfile.h"

namespace quillmark_test {

using namespace std::chrono_literals;

bool XSession::Start(std::string& why) {
    m_xdotool = FindTool("xdotool");
    m_xwd = FindTool("xwd");
    m_xwininfo = FindTool("xwininfo");
    if (m_xdotool.empty() || m_xwd.empty() || m_xwininfo.empty()) {
        why = "xdotool, xwd or xwininfo is not installed: no input to give or screen to take";
        return false;
    }
    return m_xvfb.Start(why);
}

bool XSession::StartWindowManager(std::string& why) {
    const std::string wm = FindTool("openbox"), xprop = FindTool("xprop");
    if (wm.empty() || xprop.empty()) {
        why = "openbox or xprop is not installed: no window manager to frame the windows";
        return false;
    }
    auto running = std::make_unique<RunningProgram>();
    ProgramRun run;
    run.program = wm;
    // No user's settings; its cache goes to the process's own folder, not the user's that parallel suites share.
    run.env = {{"DISPLAY", Display()}, {"XDG_CONFIG_HOME", "/nonexistent"}, {"XDG_CACHE_HOME", zor::PrivateTempDir()}};
    if (!running->Start(run, why)) return false;
    // The manager is there once it names its check window on the root window.
    ProgramRun ask;
    ask.program = xprop;
    ask.args = {"-root", "-display", Display(), "_NET_SUPPORTING_WM_CHECK"};
    ask.timeout = 5s;
    for (auto end = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < end;) {
        if (RunProgram(ask).out.find("window id") != std::string::npos) {
            m_wm = std::move(running);
            return true;
        }
        if (!running->Running()) break;
        std::this_thread::sleep_for(50ms);
    }
    why = "openbox did not take the display: " + running->Wait(0ms).err;
    return false;
}

bool XSession::Launch(const std::string& program, const std::vector<std::string>& args,
                      const ProgramSandbox& sandbox, RunningProgram& running, std::string& why) {
    ProgramRun run;
    run.program = program;
    run.args = args;
    run.cwd = sandbox.Work();
    run.env = {{"DISPLAY", Display()},
               {"WAYLAND_DISPLAY", std::nullopt},
               {"QT_QPA_PLATFORM", "xcb"},
               {"QT_STYLE_OVERRIDE", "Fusion"},
               {"QT_SCALE_FACTOR", "1"},
               {"QT_ENABLE_HIGHDPI_SCALING", "0"},
               {"QT_ACCESSIBILITY", "0"},
               // Where its controls are and when it has handled input (designer/frame/window_report.h).
               {"QUILLMARK_WINDOW_REPORT", "1"}};
    for (const auto& change : sandbox.Environment()) run.env.push_back(change);
    return running.Start(run, why);
}

bool XSession::XDo(const std::vector<std::string>& args, std::string* out) {
    ProgramRun run;
    run.program = m_xdotool;
    run.args = args;
    run.env = {{"DISPLAY", Display()}};
    run.timeout = 10s;
    const ProgramResult result = RunProgram(run);
    if (out) *out = result.out;
    return result.started && !result.timedOut && result.exitStatus == 0;
}

unsigned long XSession::WaitForWindow(const std::string& name, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        std::string out;
        XDo({"search", "--onlyvisible", "--name", name}, &out);
        std::istringstream lines(out);
        unsigned long id = 0;
        if (lines >> id && id) return id;
        std::this_thread::sleep_for(100ms);
    } while (std::chrono::steady_clock::now() < end);
    return 0;
}

std::optional<QRect> XSession::WindowGeometry(unsigned long window) {
    std::string out;
    if (!XDo({"getwindowgeometry", "--shell", std::to_string(window)}, &out)) return std::nullopt;
    int x = -1, y = -1, w = -1, h = -1;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X") x = value;
        else if (key == "Y") y = value;
        else if (key == "WIDTH") w = value;
        else if (key == "HEIGHT") h = value;
    }
    if (w <= 0 || h <= 0) return std::nullopt;
    return QRect(x, y, w, h);
}

std::string XSession::WindowInfo(const std::vector<std::string>& args) {
    ProgramRun run;
    run.program = m_xwininfo;
    run.args = args;
    run.args.insert(run.args.end(), {"-display", Display()});
    run.timeout = 10s;
    const ProgramResult result = RunProgram(run);
    return result.started && !result.timedOut && result.exitStatus == 0 ? result.out : std::string();
}

std::optional<QRect> XSession::ClientRect(unsigned long window) {
    const std::string info = WindowInfo({"-id", std::to_string(window)});
    int left = -1, top = -1, width = -1, height = -1;
    bool haveLeft = false, haveTop = false;
    std::istringstream lines(info);
    for (std::string line; std::getline(lines, line);) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const int value = std::atoi(line.c_str() + colon + 1);
        const std::string key = line.substr(0, colon);
        if (key.find("Absolute upper-left X") != std::string::npos) left = value, haveLeft = true;
        else if (key.find("Absolute upper-left Y") != std::string::npos) top = value, haveTop = true;
        else if (key.find("Width") != std::string::npos) width = value;
        else if (key.find("Height") != std::string::npos) height = value;
    }
    if (!haveLeft || !haveTop || width <= 0 || height <= 0) return std::nullopt;
    return QRect(left, top, width, height);
}

std::optional<QRect> XSession::FrameRect(unsigned long window) {
    // Up the window tree to the last window below the root: the manager's frame when one reparented it.
    static const std::regex root(R"(Root window id:\s*(0x[0-9a-fA-F]+))");
    static const std::regex parent(R"(Parent window id:\s*(0x[0-9a-fA-F]+))");
    std::string top = std::to_string(window);
    for (int depth = 0; depth < 16; ++depth) {
        const std::string tree = WindowInfo({"-tree", "-id", top});
        std::smatch r, p;
        if (!std::regex_search(tree, r, root) || !std::regex_search(tree, p, parent)) return std::nullopt;
        if (p[1] == r[1]) return ClientRect(std::stoul(top, nullptr, 0));
        top = p[1];
    }
    return std::nullopt;
}

bool XSession::WaitUntilActive(unsigned long window, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        std::string out;
        if (XDo({"getactivewindow"}, &out) && std::strtoul(out.c_str(), nullptr, 10) == window) return true;
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

// The short pause lets the program see the pointer arrive before the next input.
bool XSession::MoveMouse(int x, int y) { return XDo({"mousemove", std::to_string(x), std::to_string(y), "sleep", "0.1"}); }

bool XSession::Click(int x, int y, int button) {
    return MoveMouse(x, y) && XDo({"click", std::to_string(button)});
}

bool XSession::Key(const std::string& keys) { return XDo({"key", "--delay", "30", keys}); }
bool XSession::Type(const std::string& text) { return XDo({"type", "--delay", "30", text}); }

QImage XSession::Dump(const std::vector<std::string>& args) {
    ProgramRun run;
    run.program = m_xwd;
    run.args = args;
    run.args.insert(run.args.end(), {"-silent", "-display", Display()});
    run.timeout = 10s;
    const ProgramResult result = RunProgram(run);
    if (!result.started || result.timedOut || result.exitStatus != 0) return {};
    return ReadXwd(result.out);
}

std::vector<std::pair<std::string, QRect>> XSession::TopLevelWindows() {
    ProgramRun list;
    list.program = m_xwininfo;
    list.args = {"-root", "-children", "-display", Display()};
    list.timeout = 10s;
    const ProgramResult children = RunProgram(list);
    // "     0x200010 "name": ("class" "class")  245x114+6+19  +6+19": the size and the place on the screen.
    static const std::regex line(R"(^\s*(0x[0-9a-fA-F]+)\s.*\s(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$)");
    std::vector<std::pair<std::string, QRect>> windows;
    std::istringstream lines(children.out);
    for (std::string text; std::getline(lines, text);) {
        std::smatch m;
        if (std::regex_match(text, m, line) && std::stoi(m[2]) > 3 && std::stoi(m[3]) > 3)
            windows.emplace_back(m[1], QRect(std::stoi(m[4]), std::stoi(m[5]), std::stoi(m[2]), std::stoi(m[3])));
    }
    return windows;
}

std::multimap<std::string, std::pair<std::string, QRect>> XSession::FramedWindows() {
    // "     0x200010 (has no name): ()  ..." a top-level window without a class: a window manager's frame;
    // "        0x400015 "name": ("app" "App")  636x412+1+20  +321+285" a program's window somewhere in it.
    static const std::regex line(
        R"(^( *)(0x[0-9a-fA-F]+) .*?: \((.*)\)\s+(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+(-?\d+)\+(-?\d+)\s*$)");
    std::multimap<std::string, std::pair<std::string, QRect>> framed;
    std::istringstream lines(WindowInfo({"-root", "-tree"}));
    size_t topIndent = std::string::npos;
    std::string frame;  // the current top-level window when it is a frame, else ""
    for (std::string text; std::getline(lines, text);) {
        std::smatch m;
        if (!std::regex_match(text, m, line)) continue;
        const size_t indent = m[1].length();
        const bool hasClass = m[3].length() > 0 && m[3].str().compare(0, 2, "\"\"") != 0;
        if (indent <= topIndent) {
            topIndent = indent;
            frame = hasClass ? std::string() : m[2].str();
        } else if (!frame.empty() && hasClass && std::stoi(m[4]) > 3 && std::stoi(m[5]) > 3) {
            framed.emplace(frame, std::make_pair(m[2].str(), QRect(std::stoi(m[6]), std::stoi(m[7]), std::stoi(m[4]),
                                                                     std::stoi(m[5]))));
        }
    }
    return framed;
}

QImage XSession::Screenshot() {
    QImage screen = Dump({"-root"});
    if (screen.isNull()) return screen;
    // Popups (override-redirect windows) read back black from the root window on this server, so every
    // top-level window is taken on its own and laid over the screen, the bottom-most first. A dialog in
    // a window manager's frame reads back black from the frame as well: the program's windows inside a
    // frame are taken on their own and laid over it.
    const std::vector<std::pair<std::string, QRect>> windows = TopLevelWindows();
    const std::multimap<std::string, std::pair<std::string, QRect>> framed = FramedWindows();
    QPainter painter(&screen);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        const QImage window = Dump({"-id", it->first});  // fails for a window that is not shown
        if (window.isNull()) continue;
        painter.drawImage(it->second.topLeft(), window);
        for (auto [at, end] = framed.equal_range(it->first); at != end; ++at) {
            const QImage inside = Dump({"-id", at->second.first});
            if (!inside.isNull()) painter.drawImage(at->second.second.topLeft(), inside);
        }
    }
    return screen;
}

QImage ReadXwd(const std::string& bytes) {
    auto word = [&](size_t index) -> uint32_t {
        const size_t at = index * 4;
        if (at + 4 > bytes.size()) return 0;
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
        return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
    };
    if (bytes.size() < 100 || word(1) != 7 || word(2) != 2) return {};
    const uint32_t headerSize = word(0), width = word(4), height = word(5), byteOrder = word(7);
    const uint32_t bitsPerPixel = word(11), bytesPerLine = word(12);
    const uint32_t red = word(14), green = word(15), blue = word(16), colours = word(19);
    if ((bitsPerPixel != 32 && bitsPerPixel != 24) || width == 0 || height == 0 || width > 16384 || height > 16384)
        return {};
    const uint64_t start = uint64_t(headerSize) + uint64_t(colours) * 12;
    if (bytesPerLine < width * (bitsPerPixel / 8) || start + uint64_t(bytesPerLine) * height > bytes.size()) return {};
    auto channel = [](uint32_t pixel, uint32_t mask) {
        if (!mask) return 0u;
        int shift = 0;
        while (!(mask & 1u)) {
            mask >>= 1;
            ++shift;
        }
        return ((pixel >> shift) & mask) * 255u / mask;
    };
    QImage image(int(width), int(height), QImage::Format_RGB32);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data()) + start;
    const uint32_t step = bitsPerPixel / 8;
    for (uint32_t y = 0; y < height; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        const unsigned char* row = data + uint64_t(y) * bytesPerLine;
        for (uint32_t x = 0; x < width; ++x) {
            const unsigned char* p = row + x * step;
            uint32_t pixel = 0;
            for (uint32_t k = 0; k < step; ++k)
                pixel |= uint32_t(p[k]) << (byteOrder == 0 ? 8 * k : 8 * (step - 1 - k));
            line[x] = qRgb(int(channel(pixel, red)), int(channel(pixel, green)), int(channel(pixel, blue)));
        }
    }
    return image;
}

double ShareOf(const QImage& image, const QRect& rect, QRgb colour, int tolerance) {
    const QRect r = rect.intersected(image.rect());
    if (r.isEmpty()) return 0;
    int match = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            match += std::abs(qRed(p) - qRed(colour)) <= tolerance && std::abs(qGreen(p) - qGreen(colour)) <= tolerance &&
                     std::abs(qBlue(p) - qBlue(colour)) <= tolerance;
        }
    return double(match) / (double(r.width()) * r.height());
}

bool RegionIs(const QImage& image, const QRect& rect, QRgb colour, std::string* why, double share, int tolerance) {
    const double found = ShareOf(image, rect, colour, tolerance);
    if (found >= share) return true;
    if (why) {
        std::ostringstream os;
        const QRect r = rect.intersected(image.rect());
        os << "rect (" << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height() << "): "
           << int(found * 100) << "% of #" << std::hex << (colour & 0xFFFFFF);
        if (!r.isEmpty()) os << ", its middle is #" << (image.pixel(r.center()) & 0xFFFFFF);
        *why = os.str();
    }
    return false;
}

QRect FindColour(const QImage& image, const QRect& within, QRgb colour, int tolerance) {
    const QRect r = within.intersected(image.rect());
    QRect found;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - qRed(colour)) <= tolerance && std::abs(qGreen(p) - qGreen(colour)) <= tolerance &&
                std::abs(qBlue(p) - qBlue(colour)) <= tolerance)
                found = found.united(QRect(x, y, 1, 1));
        }
    return found;
}

}  // namespace quillmark_test
