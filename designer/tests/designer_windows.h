#pragma once
// What the real designer says of its windows (every program started on the test display reports them,
// designer/frame/window_report.h): input goes to a control it named, and each step waits until the program
// has handled the input or a window has shown or gone, never for a fixed time.
#include <chrono>
#include <string>
#include <string_view>

#include <QPoint>
#include <QRect>
#include <gtest/gtest.h>

#include "designer/frame/command_table.h"
#include "testkit/program_report.h"
#include "testkit/x_session.h"

namespace quillmark_test {

class DesignerWindows {
public:
    static constexpr std::chrono::milliseconds kLimit{10000};

    DesignerWindows(XSession& x, RunningProgram& program) : m_x(x), m_report(program) {}

    // A window that showed, or went, since the last input sent, whose line names `what`: its class
    // ("QMainWindow", "QMenu", "QMessageBox", "QFileDialog", "QDialog"), its title or both ("QDialog О программе");
    // false when none does within the limit.
    bool Shown(const std::string& what, std::chrono::milliseconds limit = kLimit) {
        return Since("shown ", what, limit);
    }
    bool Hidden(const std::string& what, std::chrono::milliseconds limit = kLimit) {
        return Since("hidden ", what, limit);
    }
    // Where the program last said the control is; empty when it never named it.
    QRect Place(const std::string& key) {
        m_report.TakeAll();
        return m_report.Place(key);
    }
    int Number(const std::string& key) {
        m_report.TakeAll();
        return m_report.Number(key);
    }
    // The keys of a command's item in the open menu and of its toolbar button.
    static std::string Command(int id) { return "cmd" + std::to_string(id); }
    static std::string ToolButton(int id) { return "button" + std::to_string(id); }

    // Sends input and waits until the program has handled it (or has opened a window on it).
    template <class Send>
    bool Handled(Send send, std::chrono::milliseconds limit = kLimit) {
        m_mark = m_report.Mark();
        return send() && Since("handled ", "", limit);
    }
    bool ClickAt(QPoint point, int button = 1) {
        return Handled([&] { return m_x.Click(point.x(), point.y(), button); });
    }
    // A click in the middle of the control the program named.
    bool Click(const std::string& key, int button = 1) {
        const QRect place = Place(key);
        if (place.isEmpty()) {
            ADD_FAILURE() << "the program named no control " << key;
            return false;
        }
        return ClickAt(place.center(), button);
    }
    // A click on the control without waiting for the program (a click that ends it).
    bool ClickOnly(const std::string& key) {
        const QRect place = Place(key);
        if (place.isEmpty()) ADD_FAILURE() << "the program named no control " << key;
        m_mark = m_report.Mark();
        return !place.isEmpty() && m_x.Click(place.center().x(), place.center().y());
    }
    // A key let go in a window of the program. A key that closes the window with the keyboard, or opens a
    // modal one, is let go where the program takes nothing: send it with XSession::Key and wait for the
    // window to go or show.
    bool Key(const std::string& keys) {
        return Handled([&] { return m_x.Key(keys); });
    }
    // Presses the left button at `from`, moves through the middle and lets go at `to`.
    bool Drag(QPoint from, QPoint to) {
        const auto move = [&](QPoint p) {
            return m_x.XDo({"mousemove", std::to_string(p.x()), std::to_string(p.y())});
        };
        return Handled([&] {
            return move(from) && m_x.XDo({"mousedown", "1"}) && move((from + to) / 2) && move(to) &&
                   m_x.XDo({"mouseup", "1"});
        });
    }
    // The popup of the nth title of the menu bar (0 is "Файл"), opened by a click.
    bool OpenMenu(int title) { return Click("menu" + std::to_string(title)) && Shown("QMenu"); }
    // The last title of the menu bar, and the key of the last item of the open menu.
    int LastMenu() { return Number("menus") - 1; }
    std::string LastItem() { return "item" + std::to_string(Number("items") - 1); }

private:
    bool Since(const std::string& event, const std::string& what, std::chrono::milliseconds limit) {
        const auto matches = [&](std::string_view line) {
            return line.substr(0, event.size()) == event && line.find(what) != std::string_view::npos;
        };
        if (!m_report.WaitForLineFrom(m_mark, matches, limit).empty()) return true;
        ADD_FAILURE() << "the program did not say \"" << event << what << "\"";
        return false;
    }

    XSession& m_x;
    ProgramReport m_report;
    size_t m_mark = 0;  // where the output stood when the last input was sent
};

}  // namespace quillmark_test
