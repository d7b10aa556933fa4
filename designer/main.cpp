// quillmark: the report designer, and from the command line the batch generation and merge of reports.
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>

#include "designer/command_line.h"
#include "designer/frame/window_report.h"
#include "designer/print/command_line_print.h"
#include "designer/qt_platform.h"
#include "designer/qt_translations.h"
#include "designer/quillmark_app.h"
#include "designer/start_log.h"

int main(int argc, char** argv) {
    const std::vector<std::string> typed(argv, argv + argc);
    // Logged as typed, before Qt takes its own options out of argv.
    const std::string commandLine = quillmark::CommandLineText(typed);

    // The platform must be chosen before the application object exists, hence this early look at the mode.
    CQuillmarkCommandLineInfo early;
    ParseCommandLine(std::vector<std::string>(typed.begin() + (argc > 0 ? 1 : 0), typed.end()), early);
    // A start with no display ends at once, like a batch run, and gets a batch run's quiet setup.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool noDisplay = quillmark::ChooseQtPlatform(true) == "offscreen" ||
                           (platform && std::string_view(platform) == "offscreen");
    quillmark::SelectQtPlatform(early.mode != kModeInteractive || quillmark::IsPrintCommand(early) || noDisplay);

    QApplication qtApp(argc, argv);
    // Lives as long as the application: the standard dialogs look their texts up in it.
    const std::unique_ptr<QTranslator> qtTexts = quillmark::LoadQtTranslation(QLocale());
    if (qtTexts) QApplication::installTranslator(qtTexts.get());
    quillmark::StartWindowReport();
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);

    CQuillmarkApp app;
    if (!app.InitInstance(commandLine, args)) return app.ExitStatus();
    const int status = QApplication::exec();
    app.ExitInstance();
    return status;
}
