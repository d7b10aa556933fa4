#pragma once
// The real designer driven on a test X display: its main window found by process, focused with the start's
// wait window gone, its controls found where it says they are, each input waited for until it is handled,
// Exit from the File menu, and what a saved file holds read back.
#include <chrono>
#include <sstream>
#include <string>
#include <thread>

#include "controls/tests/gui_test_app.h"
#include "controls/tests/x_suite.h"
#include "designer/doc/quillmark_doc.h"
#include "designer/frame/command_table.h"
#include "designer/tests/designer_sandbox.h"
#include "designer/tests/designer_windows.h"
#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"

namespace quillmark_test {

inline const std::string kDesignerProgram = QM_BIN_DIR "/quillmark";

// What the test reads of a file: the first sheet's element count and the page size.
struct FileFacts {
    bool opened = false;
    int elements = -1;
    CSize page;
    int lastKind = -1;  // the last element of the first sheet: its kind and size
    CSize lastSize;
};

inline FileFacts ReadFile(const ProgramSandbox& sandbox, const std::string& path) {
    EnsureGuiApplication();
    zor::test::ScopedEnv transport{"ZOR_TRANSPORT_INI", sandbox.TransportIni()};
    // The document reads and writes the profile: the sandbox's, not the user's shared by every test process.
    zor::test::ScopedEnv config{"XDG_CONFIG_HOME", sandbox.ConfigDir()};
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink{&messages};
    FileFacts facts;
    quillmark::CQuillmarkDoc doc(nullptr);
    if (!doc.OnOpenDocument(path) || doc.Manager().GetSheetCount() == 0) return facts;
    CReportSheet* sheet = doc.Manager().GetSheet(0);
    sheet->LoadElementsFromFile();
    facts.opened = true;
    facts.elements = sheet->GetElementCount();
    facts.page = doc.m_pageSize;
    if (facts.elements > 0) {
        const CReportElement* last = sheet->GetElement(facts.elements - 1);
        facts.lastKind = last->GetKind();
        facts.lastSize = last->GetSize();
    }
    return facts;
}

class DesignerOnDisplay : public XSuiteTest {
protected:
    // The shown main window of the program, waiting up to `limit`; 0 when none shows.
    unsigned long WindowOf(const RunningProgram& program, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        do {
            std::string out;
            x().XDo({"search", "--all", "--onlyvisible", "--pid", std::to_string(program.Pid()), "--name", "^Квиллмарк"},
                    &out);
            std::istringstream lines(out);
            unsigned long id = 0;
            if (lines >> id && id) return id;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (std::chrono::steady_clock::now() < end);
        return 0;
    }
    // The window on top with the keyboard once the program has shown it, and a click at the point (a point
    // of the page in it) that the program has handled.
    void Focus(DesignerWindows& windows, unsigned long window, QPoint point) {
        // The start's wait window (a process of its own) may still stand over the frame for a moment.
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5); std::chrono::steady_clock::now() < end;) {
            std::string out;
            x().XDo({"search", "--onlyvisible", "--name", "Инициализация"}, &out);
            if (out.find_first_of("0123456789") == std::string::npos) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_TRUE(windows.Shown("QMainWindow"));
        x().XDo({"windowraise", std::to_string(window)});
        x().XDo({"windowfocus", "--sync", std::to_string(window)});
        EXPECT_TRUE(windows.ClickAt(point));
    }
    // Ends the program through Exit in the File menu; false when it did not end by itself.
    bool Exit(DesignerWindows& windows, RunningProgram& program, unsigned long window) {
        x().XDo({"windowraise", std::to_string(window)});
        x().XDo({"windowfocus", "--sync", std::to_string(window)});
        if (!windows.OpenMenu(0)) return false;
        if (!windows.ClickOnly(DesignerWindows::Command(quillmark::ID_APP_EXIT))) return false;
        const ProgramResult result = program.Wait(std::chrono::seconds(10));
        if (result.timedOut || result.exitStatus != 0)
            ADD_FAILURE() << "timed out " << result.timedOut << ", status " << result.exitStatus << ", signal "
                          << result.signal << "\n" << result.err;
        return !result.timedOut && result.exitStatus == 0;
    }
    static QPoint Inside(const QRect& frame) {
        return QPoint(frame.left() + frame.width() * 3 / 5, frame.top() + frame.height() * 3 / 5);
    }

    ProgramSandbox sandbox;
};

}  // namespace quillmark_test
