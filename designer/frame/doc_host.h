#pragma once
// CDocumentHost: the program's one open document and its place in the main frame: it opens and makes
// documents (closing the one before, with its save prompt), gives the frame the document's command
// state and runs the document's commands, and shows each document in the frame's windows (CDocWindows)
// with the navigator tree following it.
#include <functional>
#include <memory>
#include <string>

#include <QObject>

#include "designer/doc/quillmark_doc.h"
#include "designer/frame/command_table.h"
#include "designer/frame/doc_windows.h"

namespace quillmark {

class CAddinManager;
class CMainFrame;
class CNavigatorView;

class CDocumentHost {
public:
    // Installs the command handlers and the state source on the frame (which must outlive the host).
    explicit CDocumentHost(CMainFrame* frame);
    ~CDocumentHost();
    CDocumentHost(const CDocumentHost&) = delete;
    CDocumentHost& operator=(const CDocumentHost&) = delete;

    // Closes the open document (asking to save its changes) and opens the file; false if it did not open.
    bool Open(const std::string& path);
    // A new document; false when the open one stays or the new one cannot be made.
    bool New();
    // False when the user kept the document (its save failed).
    bool CloseAll();
    CQuillmarkDoc* Document() const { return m_doc.get(); }
    CNavigatorView* NavigatorView() const { return m_navigator; }
    // The navigator's items of the open document.
    CDocNavigator& Navigator() { return m_windows->Navigator(); }
    // The document's part of the command state.
    CommandState State() const;
    void SetBatchRun(const DocBatchRun& run) { m_batch = run; }
    // The program's add-ins: the data-source dialog offers their queries, the add-in settings reload them.
    void SetAddins(CAddinManager* addins) { m_addins = addins; }

private:
    void RegisterCommands();
    // Printing, preview, page set-up, work settings and image export (doc_output.cpp).
    void RegisterOutputCommands();
    // A new document begun by `begin` (opened or made empty) replaces the open one if it succeeds.
    bool Start(const std::function<bool(CQuillmarkDoc&)>& begin);
    void Adopt(std::unique_ptr<CQuillmarkDoc> doc);
    void Refresh();

    CMainFrame* m_frame;
    CNavigatorView* m_navigator = nullptr;  // owned by the navigator bar
    // Made before any document and gone after the last.
    std::unique_ptr<CDocWindows> m_windows;
    std::unique_ptr<CQuillmarkDoc> m_doc;
    DocBatchRun m_batch;
    CAddinManager* m_addins = nullptr;
    bool m_clipboardHasElements = false;
    // The context of the host's connections: they end with it.
    std::unique_ptr<QObject> m_guard = std::make_unique<QObject>();
};

struct PrintJob;
// What printing the document draws: its model, page, print settings, mode and the print right.
PrintJob DocumentPrintJob(CQuillmarkDoc& doc);

struct CPageSetupData;
// The page set-up's data of the document's page.
CPageSetupData DocumentPageSetup(const CQuillmarkDoc& doc);
// The page set-up's OK: the page into the document, and split and fit into the profile, where printing
// from the command line and the next start find them; true when the page itself (size, orientation,
// print area) changed, so that the file has something new to save.
bool ApplyPageSetup(CQuillmarkDoc& doc, const CPageSetupData& set);
// The work settings' OK: the open document takes the common-scale switches the profile now holds.
void ApplyWorkSettings(CQuillmarkDoc& doc);

// The command id of an editing tool, 0 for the selection arrow and tools without a command.
int ToolCommandId(int tool);

}  // namespace quillmark
