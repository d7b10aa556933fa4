#pragma once
// Driving a program's windows on a test X server from outside, as a person would: real X input through
// xdotool, screenshots of the whole screen through xwd and xwininfo, and checks of screen rectangles against expected
// colours. Every wait is bounded.
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QImage>
#include <QRect>

#include "testkit/program_sandbox.h"
#include "testkit/run_program.h"
#include "testkit/xvfb.h"

namespace quillmark_test {

class XSession {
public:
    // False with the reason when Xvfb, xdotool, xwd or xwininfo is missing or the display does not start.
    bool Start(std::string& why);
    const std::string& Display() const { return m_xvfb.Name(); }
    // A desktop's window manager (openbox) on the display, so windows get real title bars and close boxes
    // and the keyboard goes where a desktop gives it; it stops with the session. False with the reason
    // when it is not installed or does not take the display within five seconds.
    bool StartWindowManager(std::string& why);

    // Starts a program on the display: Qt's xcb platform, the Fusion style, a private configuration
    // folder and transport settings from `sandbox`; the designer reports its windows on stdout
    // (designer/frame/window_report.h).
    bool Launch(const std::string& program, const std::vector<std::string>& args, const ProgramSandbox& sandbox,
                RunningProgram& running, std::string& why);

    // xdotool with the arguments; false when it fails or takes over ten seconds.
    bool XDo(const std::vector<std::string>& args, std::string* out = nullptr);
    // The first window whose name matches, waiting up to `limit`; 0 when none appears.
    unsigned long WaitForWindow(const std::string& name, std::chrono::milliseconds limit);
    // The window's position and size on the screen.
    std::optional<QRect> WindowGeometry(unsigned long window);
    // The window's inside on the screen as the server places it. Under a window manager the window sits
    // in the manager's frame, where xdotool's geometry may be off by the frame; this is not.
    std::optional<QRect> ClientRect(unsigned long window);
    // What a person sees of the window: the window manager's frame around it (title bar included), or the
    // window itself when no manager frames it.
    std::optional<QRect> FrameRect(unsigned long window);
    // Waits up to `limit` until the window has the keyboard (the window manager's active window).
    bool WaitUntilActive(unsigned long window, std::chrono::milliseconds limit);
    bool MoveMouse(int x, int y);
    bool Click(int x, int y, int button = 1);
    bool Key(const std::string& keys);  // xdotool key names, e.g. "alt+f", "Return"
    bool Type(const std::string& text);

    // The top-level windows (id and place on the screen, shown or not), the top-most first.
    std::vector<std::pair<std::string, QRect>> TopLevelWindows();
    // The whole screen; a null image when it could not be taken.
    QImage Screenshot();
    // Takes screenshots until `ready` holds for one, or `limit` passes; returns the last.
    template <class Ready>
    QImage ScreenshotWhen(Ready ready, std::chrono::milliseconds limit);

private:
    QImage Dump(const std::vector<std::string>& args);  // xwd with the arguments
    std::string WindowInfo(const std::vector<std::string>& args);  // xwininfo's answer, "" on failure
    // The program windows inside each window manager's frame, by the frame's id: id and place on the screen.
    std::multimap<std::string, std::pair<std::string, QRect>> FramedWindows();

    XvfbDisplay m_xvfb;
    std::unique_ptr<RunningProgram> m_wm;  // after the display: it goes first
    std::string m_xdotool, m_xwd, m_xwininfo;
};

// The share of the rectangle's pixels within `tolerance` (per channel) of the colour.
double ShareOf(const QImage& image, const QRect& rect, QRgb colour, int tolerance = 8);
// Whether at least `share` of the rectangle is that colour; `why` says what was found instead.
bool RegionIs(const QImage& image, const QRect& rect, QRgb colour, std::string* why = nullptr, double share = 0.9,
              int tolerance = 8);
// The bounding box of the pixels of that colour within the rectangle; empty when none.
QRect FindColour(const QImage& image, const QRect& within, QRgb colour, int tolerance = 8);

// An X window dump (xwd's format, 24 or 32 bits per pixel, true colour) as an image; null when it is not
// one.
QImage ReadXwd(const std::string& bytes);

template <class Ready>
QImage XSession::ScreenshotWhen(Ready ready, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    QImage shot;
    do {
        shot = Screenshot();
        if (!shot.isNull() && ready(shot)) break;
    } while (std::chrono::steady_clock::now() < end);
    return shot;
}

}  // namespace quillmark_test
