#pragma once
// CQuillmarkDoc: the designer's one document. It holds one template (".zordot") or report (".zorrep") file
// while it is open: the file-backed store and the report manager bound to it, the page geometry and print
// settings, and the mode (edit or view) and current editing tool that the view and the commands read.
//
// The document never writes the user's file except on an explicit save; objects change in memory and
// reach the store when a sheet frees its elements or Update(true) runs.
//
// Windows: the document holds none. It tells its observers (IDocObserver) what changed; the program's
// report windows, status bar and navigator observe it, and answer the little it asks of them (which
// sheet is active, which one the navigator selects, the parent of its dialogs).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "designer/doc/doc_observer.h"
#include "designer/users/report_user.h"
#include "platform/win/geometry.h"
#include "platform/zordata/stepdatafile.h"
#include "report/model/folivox.h"

class QWidget;
class CReportSheet;
class CReportParam;
class CzorInstance;

namespace quillmark {

class CQuillmarkDoc;

// Editing tools (m_tool).
enum DocTool : int {
    kToolSelect = 0,        // select and move
    kToolLine = 1,          // "Создать линию"
    kToolText = 2,          // "Создать прямоугольник с текстом"
    kToolNoFrame = 3,       // command 32786
    kToolTable = 4,         // "Создать таблицу"
    kToolProperties = 6,    // the next click selects what it hits and opens its properties
    kToolZoom = 7,          // a click zooms
    kToolMoveSheet = 8,     // "Переместить лист"
    kToolContinuation = 9,  // "Создать продолжение таблицы"
    kToolPaste = 10,        // the next click pastes the clipboard elements
    kToolZoomRect = 11,     // zoom to a dragged rectangle
    kToolPicture = 12,      // "Вставить картинку из файла"
    kToolContents = 13,     // "Содеражние"
};

// Document modes (m_mode).
enum DocMode : int { kDocEdit = 0, kDocView = 1 };


// What the report windows need of a view of the document (the editor view implements it).
class IDocView {
public:
    virtual ~IDocView() = default;
    // The view's widget (a child frame holds it).
    virtual QWidget* Widget() = 0;
    // The sheet the view shows; null when it shows none.
    virtual CReportSheet* GetSheet() const = 0;
    // Binds the view to a sheet; null makes it forget the sheet it had.
    virtual void SetSheet(CReportSheet* sheet) = 0;
    // The first showing: zoom and scroll sizes from the sheet.
    virtual void OnInitialUpdate() = 0;
    // The document changed: redraw.
    virtual void OnUpdate() = 0;
};

// How the program's batch run reaches the document (a fill while the report loads).
struct DocBatchRun {
    int mode = 0;             // 0 interactive, 1 gen, 2 unification, 3 gen_view
    std::string paramFile;    // name=value lines
    std::string dataFile;     // separated values
    std::string outFile;      // where a filled report goes
};

class CQuillmarkDoc {
public:
    // The observer, when given, is attached from the start (null: a document alone, no window shows it).
    explicit CQuillmarkDoc(IDocObserver* observer = nullptr);
    // Asks to save changes, writes "DefaultSettings"/"ShowPicture", closes its windows through the observers,
    // lets them go and forgets the manager.
    virtual ~CQuillmarkDoc();
    CQuillmarkDoc(const CQuillmarkDoc&) = delete;
    CQuillmarkDoc& operator=(const CQuillmarkDoc&) = delete;

    // --- Life of the document --------------------------------------------------------------------------------
    // A new report: edit mode, one empty sheet. False when the dictionary cannot be used in a batch run.
    bool OnNewDocument();
    // Opens a file. False (with the store's error shown) when it cannot be loaded, or when it holds report
    // users and no one logged in; the file is never written by an open.
    bool OnOpenDocument(const std::string& path);
    // Writes the document into path. False (with its message) when it failed; the old file stays intact.
    bool OnSaveDocument(const std::string& path);
    // "Сохранить" and "Сохранить как": the rights, the save dialog when needed, then OnSaveDocument.
    bool OnFileSave();
    bool OnFileSaveAs();
    // Asks "Сохранить изменения?" when there are changes worth saving; Yes saves. False only when the
    // save was asked for and failed.
    bool AskSaveChanges();

    void SetPathName(const std::string& path, bool addToRecent = true);
    const std::string& GetPathName() const { return m_path; }
    const std::string& GetTitle() const { return m_title; }
    // The framework's flag: never set, so nothing outside the document asks to save.
    bool IsModified() const { return false; }
    void SetModifiedFlag(bool modified = true) { m_modifiedFlag = modified; }
    // The document's own flag of changes since load or save; the editing operations set it.
    void SetChanged(bool changed = true) { m_changed = changed ? 1 : 0; }
    bool IsChanged() const { return m_changed != 0; }

    // --- Model ------------------------------------------------------------------------------------------------
    // Loads the dictionary into the store and attaches the manager; false (after its message) on failure.
    bool AttachDictionary();
    // Builds the model from the store after a load (fill: an add-in query entry, none here).
    void LoadReport(void* fill = nullptr);
    // Reads (false) or writes (true) the document-level data and every sheet.
    void Update(bool write);
    void BindContinuations();
    void RefreshPageReferences();
    // The rights check: a file without users grants every right. show: "Недостаточно прав!" on refusal.
    bool HasRight(int right, bool show) const;
    // Edit mode, the edit right and not read-only.
    bool EditAllowed() const;

    CFolivox& Manager() { return m_manager; }
    CzorStepDataWithFile& Store() { return m_store; }
    const std::string& DictionaryDir() const { return m_dictionaryDir; }

    // --- Observers and what they show ----------------------------------------------------------------------------
    // Observers are told of changes in the order they were added; each stays until RemoveObserver or the
    // document's end (Detached tells it either way).
    void AddObserver(IDocObserver* observer);
    void RemoveObserver(IDocObserver* observer);
    // The save dialog: the chosen path, empty on Cancel (tests put a script in its place).
    using SaveDialog = std::function<std::string(const std::string& currentPath)>;
    static void SetSaveDialog(SaveDialog dialog);
    // The login of a file with report users (the real dialog unless tests put a script in its place).
    static void SetLoginPrompt(LoginPrompt prompt);
    // The logged-in report user, null when the file has no users.
    const CReportUser* CurrentUser() const { return m_pCurrentUser.get(); }
    // The document changed: every view redraws.
    void UpdateAllViews();
    // Shows the sheet in its own report window, making the window when there is none; the navigator
    // selects its item and the page pane follows. Nothing without an observer that shows sheets.
    void ShowSheet(CReportSheet* sheet);
    // The sheet that the active report window shows (else the first view's), or null.
    CReportSheet* ActiveSheet() const;

    // --- Navigator --------------------------------------------------------------------------------------------
    // Full: the items made again from the model and the windows bound to the sheets again; refresh only:
    // labels refreshed and put in order.
    void RebuildNavigator(bool refreshOnly);
    // Moves the sheet to the place of target (both in the report) and shows the new order; false when
    // nothing moved (the same sheet, a sheet not in the report).
    bool MoveSheet(CReportSheet* moving, CReportSheet* target);

    // --- Commands ---------------------------------------------------------------------------------------------
    void SetTool(int tool) { m_tool = tool; }
    int Tool() const { return m_tool; }
    // A new empty sheet at the end; null without a store.
    CReportSheet* AddSheet();
    // The sheet leaves the report, unless it is the last one ("Отчет должен содержать хотябы одну страницу.").
    void DeleteSheet(CReportSheet* sheet);
    // "Дублировать страницу": the sheet of the navigator's selected sheet item copied to the end.
    bool DuplicateSheet();
    void ShowFirstSheet();
    void ShowLastSheet();
    void ShowNextSheet();
    void ShowPrevSheet();
    // A parameter made through its properties dialog; null when the dialog was cancelled.
    CReportParam* NewParam();
    // The parameter leaves the report (asking first when texts use it).
    void DeleteParam(CReportParam* param);
    // The edit-mode switch; needs the edit right.
    void ToggleEditMode();
    void ToggleShowPicture();
    // Hands the saved file to the mail program; false when there is none or no saved file.
    bool SendMail();
    static bool MailClientAvailable();
    // Parameter values from name=value lines.
    void ReadParamFile(const std::string& path);
    // The batch fill of a loading report (mode 1 reads the parameter and data files; mode 2 runs the add-in
    // query that entry, a CAddinQuery*, names on a session of the networked store); true on success.
    bool FillReport(void* entry = nullptr);
    void SetBatchRun(const DocBatchRun& run) { m_batch = run; }
    const DocBatchRun& BatchRun() const { return m_batch; }
    // The 0-based index of the sheet in the manager's list, -1 when absent.
    int SheetIndex(const CReportSheet* sheet) const;

    // --- Members ----------------------------------------------------------------------------------------------
    int m_mode = kDocEdit;
    int m_showPicture = 0;
    double m_commonScale = 1.0;
    int m_useOneScaleInDot = 0;
    int m_useOneScaleInReport = 1;
    int m_splitPage = 0;
    int m_fitToPage = 0;
    CRect m_printArea{0, 0, 2970, 2100};
    int m_changed = 0;
    bool m_readOnly = false;
    std::unique_ptr<CReportUser> m_pCurrentUser;  // the logged-in report user; null without users
    CzorInstance* m_pRoot = nullptr;
    CzorInstance* m_pSelect = nullptr;
    CzorInstance* m_pResultSelect = nullptr;
    CSize m_pageSize{2970, 2100};
    int m_pageOrient = 1;
    CSize m_margin{30, 30};
    int m_tool = kToolSelect;

private:
    void ReadProfile();
    void AppendLog(const std::string& line) const;
    void ShowPageText();
    // View mode with a table of contents: the contents in the navigator; false when there is none.
    bool BuildContentsNavigator();
    void SetStatusText(const std::string& text);
    bool ReportHasUsers();
    std::string AskSavePath();
    QWidget* DialogParent() const;
    // True while some observer's window shows the report.
    bool HasViews() const;
    // Tells every observer (a copy of the list: an observer may go while it is told).
    template <class Event>
    void Notify(Event event) const {
        for (IDocObserver* observer : std::vector<IDocObserver*>(m_observers)) event(*observer);
    }

    std::vector<IDocObserver*> m_observers;
    std::string m_dictionaryDir;
    std::string m_path;
    std::string m_title;
    bool m_modifiedFlag = false;
    DocBatchRun m_batch;

    CFolivox m_manager;
    CzorStepDataWithFile m_store;
    bool m_destroying = false;
};

}  // namespace quillmark
