// The document's life: new, open, the model read from the store and written back, save, rights.
#include "designer/doc/quillmark_doc.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>

#include <fmt/printf.h>

#include "designer/doc/doc_internal.h"
#include "designer/start_log.h"
#include "designer/users/login.h"
#include "platform/base/file_io.h"
#include "platform/base/transport_ini.h"
#include "platform/settings/profile.h"
#include "platform/ui/messages.h"
#include "report/generation/generate_report.h"
#include "report/model/data_source.h"
#include "report/model/page_reference_element.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"
#include "report/model/schema.h"

namespace quillmark {

namespace {

LoginPrompt& LoginPromptHook() {
    static LoginPrompt prompt;
    return prompt;
}


bool CanRead(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

}  // namespace

CQuillmarkDoc::CQuillmarkDoc(IDocObserver* observer) {
    m_dictionaryDir = zor::DictionaryDir();
    ReadProfile();
    if (observer) AddObserver(observer);
}

void CQuillmarkDoc::AddObserver(IDocObserver* observer) {
    if (!observer || std::find(m_observers.begin(), m_observers.end(), observer) != m_observers.end()) return;
    m_observers.push_back(observer);
    observer->Attached(*this);
}

void CQuillmarkDoc::RemoveObserver(IDocObserver* observer) {
    if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end()) return;
    std::erase(m_observers, observer);
    observer->Detached(*this);
}

QWidget* CQuillmarkDoc::DialogParent() const {
    for (IDocObserver* observer : m_observers)
        if (QWidget* parent = observer->DialogParent()) return parent;
    return nullptr;
}

void CQuillmarkDoc::ReadProfile() {
    m_showPicture = GetProfileInt("DefaultSettings", "ShowPicture", 0);
    m_useOneScaleInDot = GetProfileInt("DefaultSettings", "UseOneScaleInDot", 0);
    m_useOneScaleInReport = GetProfileInt("DefaultSettings", "UseOneScaleInReport", 1);
    m_splitPage = GetProfileInt("PrintParams", "split_page", 0);
    m_fitToPage = GetProfileInt("PrintParams", "fit_to_page", 0);
}

CQuillmarkDoc::~CQuillmarkDoc() {
    AskSaveChanges();
    m_destroying = true;
    Notify([](IDocObserver& o) { o.SheetsReset(); });
    Notify([](IDocObserver& o) { o.Closing(); });
    Notify([](IDocObserver& o) { o.ItemsCleared(); });
    for (IDocObserver* observer : std::vector<IDocObserver*>(m_observers)) RemoveObserver(observer);
    m_manager.Detach();
    WriteProfileInt("DefaultSettings", "ShowPicture", m_showPicture);
}

void CQuillmarkDoc::AppendLog(const std::string& line) const { AppendStartLog(m_dictionaryDir, line); }

void CQuillmarkDoc::SetStatusText(const std::string& text) {
    Notify([&text](IDocObserver& o) { o.StatusText(text); });
}

// --- Dictionary, new, open ----------------------------------------------------------------------------------

bool CQuillmarkDoc::AttachDictionary() {
    m_manager.Init();
    if (m_store.HasDictionary() && m_manager.GetStore() == &m_store) return true;
    const std::string dictionary = m_dictionaryDir + "quillmark";
    if (!m_store.LoadDictionary(dictionary.c_str())) {
        if (m_store.GetLastError() == zorErrDictRead)
            AfxMessageBox(fmt::sprintf("Ошибка загрузки словаря %s%s.dict", m_dictionaryDir, "quillmark"));
        else
            AfxMessageBox(m_store.GetLastErrorDescription());
        return false;
    }
    m_manager.Attach(&m_store, m_dictionaryDir.c_str());
    return true;
}

bool CQuillmarkDoc::OnNewDocument() {
    m_changed = 0;
    m_mode = kDocEdit;
    m_readOnly = false;
    Notify([](IDocObserver& o) { o.SheetsReset(); });
    const bool attached = AttachDictionary();
    m_pRoot = m_pSelect = m_pResultSelect = nullptr;
    Notify([](IDocObserver& o) { o.ItemsCleared(); });
    m_store.ClearData();
    m_manager.Init();
    SetPathName("", false);
    if (m_batch.mode != 0) return false;
    if (!attached) return false;
    if (m_manager.GetSheetCount() == 0) AddSheet();
    m_changed = 0;
    if (!HasViews() && m_manager.GetSheetCount() > 0) ShowSheet(m_manager.GetSheet(0));
    UpdateAllViews();
    return true;
}

bool CQuillmarkDoc::ReportHasUsers() {
    CzorEntity* users = m_store.GetEntityBN("zor_user");
    if (!users) return false;
    CzorTAggr<CzorInstance> list;
    m_store.GetEntityExtent(users, list);
    return list.GetSize() > 0;
}

bool CQuillmarkDoc::OnOpenDocument(const std::string& path) {
    if (!CanRead(path)) {
        AfxMessageBox(fmt::sprintf("Не удается открыть файл %s.", path), MB_OK | MB_ICONSTOP);
        return false;
    }
    m_changed = 0;
    Notify([](IDocObserver& o) { o.SheetsReset(); });
    // Without the dictionary the file cannot be read, and a document opened empty under its path could
    // later be saved over it.
    if (!AttachDictionary()) return false;
    m_pRoot = m_pSelect = m_pResultSelect = nullptr;
    Notify([](IDocObserver& o) { o.ItemsCleared(); });
    m_store.ClearData();
    m_manager.Init();
    m_store.SetErrorMessageMode(false);
    SetStatusText("Чтение данных из файла...");

    // The store finds a file it cannot write from its permissions and loads it all the same (status 24);
    // the user's file is never written by an open.
    bool readOnly = false;
    if (!m_store.LoadFromFile(path.c_str(), false)) {
        const int code = m_store.GetLastError();
        if (code != zorErrReadOnly) {
            m_store.ClearData();
            AfxMessageBox(fmt::sprintf("Ошибка загрузки данных %s (%d)\n%s", path, code,
                                       CzorStepData::GetErrorDescription(code)),
                          MB_OK | MB_ICONSTOP);
            return false;
        }
        readOnly = true;
    }
    // A file with report users opens only for one of them; Cancel fails the open.
    if (ReportHasUsers() &&
        !RunReportLogin(&m_manager, LoginPromptHook() ? LoginPromptHook() : RealLoginPrompt(DialogParent()),
                        m_pCurrentUser)) {
        m_store.ClearData();
        return false;
    }
    SetPathName(path, true);
    SetModifiedFlag(true);

    LoadReport(nullptr);
    if (!HasRight(kRightEdit, false)) m_mode = kDocView;
    if (m_manager.GetSheetCount() > 0) m_manager.GetSheet(0)->LoadElementsFromFile();
    if (m_manager.GetSheetCount() == 0) {
        AddSheet();
        m_changed = 0;
    }
    if (!HasViews() && m_manager.GetSheetCount() > 0) ShowSheet(m_manager.GetSheet(0));
    UpdateAllViews();
    if (readOnly) {
        AfxMessageBox(fmt::sprintf("Файл %s доступен только для чтения.", path), MB_OK | MB_ICONINFORMATION);
        m_readOnly = true;
    }
    Notify([](IDocObserver& o) { o.StatusCleared(); });
    return true;
}

void CQuillmarkDoc::SetPathName(const std::string& path, bool addToRecent) {
    m_path = path;
    m_title = path.empty() ? std::string("Новый отчет") : LoginTitle(path, m_pCurrentUser.get());
    if (addToRecent && !path.empty()) Notify([&path](IDocObserver& o) { o.FileNamed(path); });
}

// --- The model ----------------------------------------------------------------------------------------------

void CQuillmarkDoc::LoadReport(void* fill) {
    AppendLog("LoadData");
    SetStatusText("Создание объектов...");
    {
        // The progress shown ends with this block, however it is left.
        struct Progress {
            const CQuillmarkDoc& doc;
            explicit Progress(const CQuillmarkDoc& d) : doc(d) { doc.Notify([](IDocObserver& o) { o.LoadStarted(); }); }
            ~Progress() { doc.Notify([](IDocObserver& o) { o.LoadEnded(); }); }
            Progress(const Progress&) = delete;
            Progress& operator=(const Progress&) = delete;
            void Step(int index, int count) const {
                doc.Notify([=](IDocObserver& o) { o.LoadProgress(index, count); });
            }
        } progress(*this);
        Notify([](IDocObserver& o) { o.SheetsReset(); });
        m_manager.Init();
        const CReportSchema& s = m_manager.Schema();
        m_pRoot = FirstOfExtent(m_store, s.e_zor_report);
        if (m_pRoot) {
            m_store.GetAttr(m_pRoot, s.zor_report_mode, m_mode);
            m_manager.GetPoint(m_pRoot, s.zor_report_page_size, m_pageSize);
            m_manager.GetRect(m_pRoot, s.zor_report_print_area, m_printArea);
            m_store.GetAttr(m_pRoot, s.zor_report_page_orient, m_pageOrient);
            ReadReportParams(m_manager);
            ReadReportHeaders(m_manager, m_pSelect, m_pResultSelect);
            ReadReportSheets(m_manager, m_pRoot, [&progress](int index, int count) { progress.Step(index, count); });
            Update(false);
            BindContinuations();
            RefreshPageReferences();
            for (int i = 1; i < m_manager.GetSheetCount(); ++i) m_manager.GetSheet(i)->FreeElements();
            Notify([](IDocObserver& o) { o.OrderChanged(); });
            if (m_batch.mode != 0 && FillReport(fill) && !m_batch.outFile.empty()) {
                Update(true);
                m_store.SaveToFile(m_batch.outFile.c_str(), false);
            }
            m_manager.LoadTableContents();
            RebuildNavigator(false);
        }
    }
    if (m_pRoot) AppendLog("End");
}

void CQuillmarkDoc::BindContinuations() { BindReportContinuations(m_manager); }

void CQuillmarkDoc::RefreshPageReferences() {
    CTypedPtrArray<CReportElement>& waiting = m_manager.GetUnresolvedReferences();
    const std::vector<CReportElement*> references(waiting.begin(), waiting.end());
    for (CReportElement* reference : references) reference->Update(false);
}

namespace {

// Runs work on the sheet with its elements loaded; a sheet that was not loaded is freed again afterwards.
template <class Work>
void WithLoadedSheet(CReportSheet* sheet, Work work) {
    const bool wasLoaded = sheet->IsLoaded();
    if (!wasLoaded) sheet->LoadElementsFromFile();
    work(sheet);
    if (!wasLoaded) sheet->FreeElements();
}

}  // namespace

void CQuillmarkDoc::Update(bool write) {
    const CReportSchema& s = m_manager.Schema();
    if (!m_manager.GetStore()) return;
    if (!write) {
        if (!m_pRoot || !m_pResultSelect || !m_pSelect) return;
        for (CReportParam* param : m_manager.GetParams()) {
            param->Update(false);
            if (param->GetType() < kParamPageNumber && m_mode > 0 && param->GetInstance()) {
                std::string value;
                if (m_store.GetAttr(param->GetInstance(), s.zor_report_param_value, value))
                    param->SetParam(value, param->GetType());
            }
        }
        for (CReportSheet* sheet : m_manager.GetSheets())
            WithLoadedSheet(sheet, [](CReportSheet* loaded) { loaded->Update(false); });
        m_store.GetAttr(m_pRoot, s.zor_report_fit_to_page, m_fitToPage);
        m_store.GetAttr(m_pRoot, s.zor_report_mode, m_mode);
        m_manager.GetRect(m_pRoot, s.zor_report_print_area, m_printArea);
        m_manager.Update(false);
        return;
    }
    if (!m_pRoot) m_pRoot = m_store.CreateInstance(s.e_zor_report);
    if (!m_pResultSelect) m_pResultSelect = m_store.CreateInstance(s.e_zor_result_select);
    if (!m_pSelect) m_pSelect = m_store.CreateInstance(s.e_zor_select);
    for (CReportParam* param : m_manager.GetParams()) {
        param->Update(true);
        if (param->GetType() < kParamPageNumber && m_mode > 0 && param->GetInstance())
            m_store.PutAttr(param->GetInstance(), s.zor_report_param_value, param->GetText());
    }
    m_manager.GetResultSelectHeader()->Update(&m_manager, true);
    m_manager.GetSelectHeader()->Update(&m_manager, true);
    CzorTAggr<CzorInstance> sheets(16, true, false);
    for (CReportSheet* sheet : m_manager.GetSheets()) {
        WithLoadedSheet(sheet, [](CReportSheet* loaded) { loaded->Update(true); });
        if (sheet->GetInstance()) sheets.Add(sheet->GetInstance());
    }
    m_store.PutAttr(m_pRoot, s.zor_report_sheets, sheets);
    m_store.PutAttr(m_pRoot, s.zor_report_mode, m_mode);
    CzorTAggr<CzorInstance> columns;
    m_manager.GetResultSelectHeader()->GetExtent(columns);
    m_store.PutAttr(m_pResultSelect, s.zor_result_select_column, columns);
    CzorTAggr<CzorInstance> selectColumns;
    m_manager.GetSelectHeader()->GetExtent(selectColumns);
    m_store.PutAttr(m_pSelect, s.zor_select_column, selectColumns);
    m_manager.PutPoint(m_pRoot, s.zor_report_page_size, m_pageSize);
    m_store.PutAttr(m_pRoot, s.zor_report_page_orient, m_pageOrient);
    m_manager.SetRect(m_pRoot, s.zor_report_print_area, m_printArea);
    m_manager.Update(true);
}

// --- Save -------------------------------------------------------------------------------------------------------

bool CQuillmarkDoc::OnSaveDocument(const std::string& path) {
    if (m_readOnly && path == m_path) {
        // Saving here cannot succeed, and saying it did would lose the user's changes unseen.
        AfxMessageBox(fmt::sprintf("Файл %s доступен только для чтения.", path), MB_OK | MB_ICONINFORMATION);
        return false;
    }
    Update(true);
    if (!m_store.SaveToFile(path.c_str(), false)) {
        const int code = m_store.GetLastError();
        const std::string text = m_store.GetLastErrorDescription();
        // The second line tells which file and why, so that the user can choose another place.
        AfxMessageBox("Не могу сохранить в файл.\n" + zor::FileFailureLine(path, text), MB_OK | MB_ICONSTOP);
        char stamp[64] = {};
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        std::strftime(stamp, sizeof stamp, "%d.%m.%Y  %H:%M:%S", &local);
        const std::string line =
            fmt::sprintf("%s - Cann't save file %s error code = %i description: %s", stamp, path, code, text);
        if (!AppendStartLog(m_dictionaryDir, line)) AfxMessageBox("Не могу создать файл Report.log", MB_OK);
        return false;
    }
    const bool renamed = path != m_path;
    SetPathName(path, true);
    m_readOnly = false;
    m_changed = 0;
    // The windows' captions name the file: after a save under a new name they name that one.
    if (renamed) UpdateAllViews();
    return true;
}

namespace {
CQuillmarkDoc::SaveDialog& SaveDialogHook() {
    static CQuillmarkDoc::SaveDialog dialog;
    return dialog;
}
}  // namespace

void CQuillmarkDoc::SetSaveDialog(SaveDialog dialog) { SaveDialogHook() = std::move(dialog); }

void CQuillmarkDoc::SetLoginPrompt(LoginPrompt prompt) { LoginPromptHook() = std::move(prompt); }

std::string CQuillmarkDoc::AskSavePath() {
    if (SaveDialogHook()) return SaveDialogHook()(m_path);
    return RunSaveDialog(DialogParent(), m_path);
}

bool CQuillmarkDoc::OnFileSave() {
    if (!HasRight(kRightEdit, true)) return false;
    std::string path = m_path;
    if (path.empty()) {
        path = AskSavePath();
        if (path.empty()) return false;
    }
    return OnSaveDocument(path);
}

bool CQuillmarkDoc::OnFileSaveAs() {
    if (!HasRight(kRightPrint, true)) return false;
    const std::string path = AskSavePath();
    if (path.empty()) return false;
    return OnSaveDocument(path);
}

bool CQuillmarkDoc::AskSaveChanges() {
    if (m_readOnly || !m_changed) return true;
    if (AfxMessageBox("Сохранить изменения?", MB_YESNO | MB_ICONQUESTION) != IDYES) return true;
    return OnFileSave();
}

// --- Rights -------------------------------------------------------------------------------------------------

bool CQuillmarkDoc::HasRight(int right, bool show) const {
    // A file without users grants every right.
    if (!m_pCurrentUser || m_pCurrentUser->HasRight(right)) return true;
    if (show) AfxMessageBox("Недостаточно прав!", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool CQuillmarkDoc::EditAllowed() const { return m_mode == kDocEdit && HasRight(kRightEdit, false) && !m_readOnly; }

}  // namespace quillmark
