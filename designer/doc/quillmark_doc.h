#pragma once
// CQuillmarkDoc: the designer's one document. It holds one template (".zordot") or report (".zorrep") file
// while it is open: the file-backed store and the report manager bound to it, the page geometry and print
// settings, which sheet is shown in which child frame, the navigator items of the report, and the mode
// (edit or view) and current editing tool that the view and the commands read.
//
// The document never writes the user's file except on an explicit save; objects change in memory and
// reach the store when a sheet frees its elements or Update(true) runs.
//
// Views: the document knows its editor views through IDocView (the editor view implements it); the
// program's frame makes them through the view factory (SetViewFactory) when a sheet needs a window.
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "designer/users/report_user.h"
#include "platform/win/geometry.h"
#include "platform/zordata/stepdatafile.h"
#include "report/model/folivox.h"

class QObject;
class QTreeWidget;
class QWidget;
class CReportSheet;
class CReportParam;
class CTableContent;
class CzorInstance;

namespace quillmark {

class CMainFrame;
class CChildFrame;
class CNavigatorItem;
class CSheetItem;
class CParamItem;
class CContentsItem;
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


// What the document needs of an editor view. The view implements it and tells the document when it
// goes (CQuillmarkDoc::RemoveView).
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
    // The frame may be null (tests of the document alone): then no window is made and the tree, when
    // given with SetTree, is the navigator.
    explicit CQuillmarkDoc(CMainFrame* frame = nullptr);
    // Asks to save changes, writes "DefaultSettings"/"ShowPicture", forgets the views and the manager.
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

    // --- Views and frames ---------------------------------------------------------------------------------------
    // Makes the editor view of a new child frame; the program sets it (a placeholder until the view lands).
    using ViewFactory = std::function<IDocView*(CQuillmarkDoc& doc, QWidget* parent)>;
    static void SetViewFactory(ViewFactory factory);
    // The save dialog: the chosen path, empty on Cancel (tests put a script in its place).
    using SaveDialog = std::function<std::string(const std::string& currentPath)>;
    static void SetSaveDialog(SaveDialog dialog);
    // The login of a file with report users (the real dialog unless tests put a script in its place).
    static void SetLoginPrompt(LoginPrompt prompt);
    // The logged-in report user, null when the file has no users.
    const CReportUser* CurrentUser() const { return m_pCurrentUser.get(); }
    void AddView(IDocView* view);
    void RemoveView(IDocView* view);
    const std::vector<IDocView*>& Views() const { return m_views; }
    void UpdateAllViews();
    // Detaches the views from their sheets, closes surplus frames, empties the frame maps and deletes the
    // sheet and contents items.
    void ResetViews();
    // Shows the sheet in its own child frame, making the frame when there is none.
    void ShowSheet(CReportSheet* sheet);
    // The sheet of the view's child frame, or null.
    CReportSheet* GetFrameSheet(const QWidget* view);
    CReportSheet* GetFrameSheet(CChildFrame* frame);
    // The frame showing the sheet, or null.
    CChildFrame* GetSheetFrame(CReportSheet* sheet) const;
    // The sheet that the active child frame shows (else the first view's), or null.
    CReportSheet* ActiveSheet() const;
    // A child frame closes: every map entry naming it (or no frame) goes.
    void ForgetFrame(CChildFrame* frame);
    void ClearFrameMaps();
    CMainFrame* Frame() const { return m_frame; }

    // --- Navigator --------------------------------------------------------------------------------------------
    void SetTree(QTreeWidget* tree) { m_pTree = tree; }
    QTreeWidget* Tree() const { return m_pTree; }
    // Full: the tree made again from the model; refresh only: labels refreshed and the root sorted.
    void RebuildNavigator(bool refreshOnly);
    // View mode with a table of contents: the contents in the navigator; false when there is none.
    bool BuildContentsNavigator();
    // Selects the item of the sheet and scrolls it into view.
    void SelectSheetItem(CReportSheet* sheet);
    // Sorts the tree root's children (CompareNavigatorItems).
    void SortTree();
    // The item object of a tree item, or null.
    CNavigatorItem* ItemOf(const void* treeItem) const;
    // The live item object with that id, or null (drag records carry ids).
    CNavigatorItem* FindItem(long long id) const;
    const std::vector<std::unique_ptr<CSheetItem>>& SheetItems() const { return m_sheetItems; }
    const std::vector<std::unique_ptr<CParamItem>>& ParamItems() const { return m_paramItems; }
    const std::vector<std::unique_ptr<CContentsItem>>& ContentsItems() const { return m_contentsItems; }
    // Moves the dragged sheet to the target item's place (a sheet or contents item); false when nothing
    // moved (same item, a parameter, a sheet not in the report).
    bool MoveSheetTo(CSheetItem* dragged, CNavigatorItem* target);

    // --- Commands ---------------------------------------------------------------------------------------------
    void SetTool(int tool) { m_tool = tool; }
    int Tool() const { return m_tool; }
    CSheetItem* AddSheet();
    void DeleteSheet(CSheetItem* item);
    // "Дублировать страницу": the selected sheet item's sheet copied to the end.
    bool DuplicateSheet();
    void ShowFirstSheet();
    void ShowLastSheet();
    void ShowNextSheet();
    void ShowPrevSheet();
    CParamItem* NewParam();
    void DeleteParam(CParamItem* item);
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
    void ClearTree();
    void ShowPageText();
    void BindViewsToSheets(const std::vector<CReportSheet*>& sheets);
    void MakeParamItems();
    CSheetItem* MakeSheetItem(CReportSheet* sheet);
    CParamItem* MakeParamItem(CReportParam* param);
    IDocView* MakeView(CChildFrame** frameOut);
    void ShowSheetFrame(CReportSheet* sheet);
    void CloseFrame(CChildFrame* frame);
    void SetStatusText(const std::string& text);
    bool ReportHasUsers();
    std::string AskSavePath();
    void DisconnectViews();
    // The view whose widget this is (compared by address only: the widget may be going).
    IDocView* ViewOfWidget(const QWidget* widget) const;

    CMainFrame* m_frame;
    QTreeWidget* m_pTree = nullptr;
    std::string m_dictionaryDir;
    std::string m_path;
    std::string m_title;
    bool m_modifiedFlag = false;
    DocBatchRun m_batch;

    CFolivox m_manager;
    CzorStepDataWithFile m_store;
    std::vector<std::unique_ptr<CSheetItem>> m_sheetItems;
    std::vector<std::unique_ptr<CParamItem>> m_paramItems;
    std::vector<std::unique_ptr<CContentsItem>> m_contentsItems;
    std::unordered_map<CReportSheet*, CChildFrame*> m_sheetToFrame;
    std::unordered_map<CChildFrame*, CReportSheet*> m_frameToSheet;
    std::vector<IDocView*> m_views;
    std::unordered_map<IDocView*, QWidget*> m_viewWidgets;
    // The context of the connections to views and frames: they end with it.
    std::unique_ptr<QObject> m_guard;
    bool m_destroying = false;
};

}  // namespace quillmark
