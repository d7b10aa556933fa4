#pragma once
// CQuillmarkApp: the program's start-up. From the command line it runs as a batch tool that generates a
// report from a template or merges two reports, never showing a window and never waiting for a click,
// or it starts the interactive designer.
//
// The caller makes the Qt application object first (text is measured through Qt even in a batch run; no
// window is needed for it), then calls InitInstance. When that returns false the program ends with
// ExitStatus(); when it returns true the interactive designer runs its event loop and ExitInstance follows.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "designer/addins/addins.h"
#include "designer/command_line.h"
#include "designer/frame/doc_host.h"
#include "designer/frame/main_frame.h"
#include "designer/net_session_services.h"
#include "platform/ui/messages.h"
#include "platform/ui/widgets/qt_message_sink.h"


class CQuillmarkApp {
public:
    // Exit statuses of a batch run.
    enum ExitCode : int {
        kExitOk = 0,              // the report (or the merge) was written; also every interactive end
        kExitDataFileError = 2,   // the data file could not be read
        kExitGenerationError = 3, // generation failed (the engine says why, when it knows)
        kExitMergeError = 4,      // the merge failed
        kExitNoDisplay = 1,       // the designer was asked for where there is no display
        kExitUsage = 1,           // a generate run named no template: how to call the program was shown
        kExitPrintError = 5,      // "-p" / "-pt": the file could not be printed
    };

    CQuillmarkApp() = default;
    ~CQuillmarkApp();
    CQuillmarkApp(const CQuillmarkApp&) = delete;
    CQuillmarkApp& operator=(const CQuillmarkApp&) = delete;

    // commandLine: the line that goes into "report.log" (the command line as the user typed it);
    // args: the arguments after the program name, once Qt has taken its own options out.
    // False: the program ends now with ExitStatus() (the exit work has run).
    bool InitInstance(const std::string& commandLine, const std::vector<std::string>& args);
    // The exit work (add-ins unloaded, documents closed); runs once, however often it is called.
    int ExitInstance();
    int ExitStatus() const { return m_exitStatus; }

    // The command line as the rest of the program reads it.
    int mode = kModeInteractive;
    int preview = 0;           // open the print preview of the first report shown
    std::string csvPath;       // the data file of a batch run: path + ".csv"
    std::string parPath;       // the parameter file of a batch run: path + ".par"
    std::string outFile;       // the output file of a batch run (for unification: the source report)
    std::string templatePath;  // the file named on the command line

    // The application's name, which names its profile (organisation "Veldcourt") and is every message's caption.
    static constexpr const char* kAppName = "Квиллмарк";
    static constexpr const char* kCompanyName = "Veldcourt";

private:
    void ApplyCommandLine(const CQuillmarkCommandLineInfo& info);
    // Loads the data file into a manager of the run's own and generates the report: kExitOk,
    // kExitDataFileError (after its message) or kExitGenerationError. The wait window is closed on return.
    int Generate();
    bool RunGenerate();
    bool RunUnification();
    bool StartInteractive();
    // False on Qt's offscreen (or minimal) platform, where no window can be seen.
    static bool HasDisplay();
    // Closes the open documents (each asks to save its changes) and opens the file; false if it did not open.
    bool OpenDocumentFile(const std::string& path);
    // The open dialog (templates, reports), then OpenDocumentFile.
    void OnFileOpen();
    // False when the user kept a document open.
    bool CloseAllDocuments();
    // Ends a batch run: exit work, then the status the program ends with.
    bool EndBatch(int status);
    void CloseWait();

    CQuillmarkCommandLineInfo m_cmdInfo;
    long m_waitHandle = 0;
    bool m_exited = false;
    bool m_fromGenView = false;  // the file to open is the report this run has just generated
    std::unique_ptr<quillmark::CMainFrame> m_frame;
    std::unique_ptr<quillmark::CDocumentHost> m_docs;
    quillmark::CAddinManager m_addins;  // loaded at an interactive start, unloaded at exit  // the open document, with the frame
    int m_exitStatus = kExitOk;

    zor::StderrMessageSink m_stderrSink;
    zor::QtMessageSink m_qtSink;
    std::optional<zor::ScopedMessageSink> m_sink;
    // The networked store's keep-alive and pump hook, only while the designer runs interactively.
    std::optional<quillmark::CNetSessionServices> m_netServices;
};

// How to call the program, shown by a start that asks for no batch mode.
const char* QuillmarkUsageText();
// The open dialog's filters, ";;" between them: reports and templates together first.
const char* OpenFileFilters();
