// The document's commands: sheets added, duplicated, deleted and paged; parameters added and deleted; the
// edit-mode switch; mail; the batch fill with its parameter file.
#include <fstream>
#include <unordered_set>

#include <fmt/printf.h>

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "designer/addins/addins.h"
#include "designer/doc/quillmark_doc.h"
#include "platform/ui/messages.h"
#include "report/generation/generate_report_sheets.h"
#include "report/model/data_source.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"
#include "report/model/schema.h"
#include "report/model/store_instances.h"
#include "report/model/table_element.h"
#include "report/model/text_value.h"
#include "zorStepData/CzorData_Client/czor_api.h"

namespace quillmark {

int CQuillmarkDoc::SheetIndex(const CReportSheet* sheet) const {
    if (!sheet) return -1;
    return m_manager.FindSheetInd(const_cast<CReportSheet*>(sheet));
}

void CQuillmarkDoc::ShowPageText() {
    if (m_observers.empty()) return;
    const int current = SheetIndex(ActiveSheet());
    const int count = m_manager.GetSheetCount();
    Notify([current, count](IDocObserver& o) { o.PageChanged(current < 0 ? 1 : current + 1, count); });
}

// --- Sheets -----------------------------------------------------------------------------------------------

CReportSheet* CQuillmarkDoc::AddSheet() {
    if (!m_manager.GetStore()) return nullptr;
    auto* sheet = new CReportSheet(&m_manager);
    sheet->SetSize(m_pageSize);
    sheet->LoadElementsFromFile();
    m_manager.AddSheet(sheet);
    sheet->SetName(fmt::sprintf("Лист%d", m_manager.GetSheetCount()));
    Notify([sheet](IDocObserver& o) { o.SheetAdded(sheet); });
    m_changed = 1;
    ShowPageText();
    Notify([](IDocObserver& o) { o.OrderChanged(); });
    UpdateAllViews();
    return sheet;
}

void CQuillmarkDoc::DeleteSheet(CReportSheet* sheet) {
    if (!sheet) return;
    if (m_manager.GetSheetCount() <= 1) {
        AfxMessageBox("Отчет должен содержать хотябы одну страницу.");
        return;
    }
    // The window that shows the sheet lets it go before the sheet goes.
    Notify([sheet](IDocObserver& o) { o.SheetClosing(sheet); });
    if (!sheet->GetInstance()) sheet->Update(true);
    RemoveReportSheet(m_manager, sheet);
    Notify([sheet](IDocObserver& o) { o.SheetRemoved(sheet); });
    int number = 0;
    for (CReportSheet* remaining : m_manager.GetSheets()) remaining->SetName(fmt::sprintf("Лист%d", ++number));
    Notify([](IDocObserver& o) { o.LabelsChanged(); });
    m_changed = 1;
    Notify([](IDocObserver& o) { o.OrderChanged(); });
    ShowPageText();
    UpdateAllViews();
}

bool CQuillmarkDoc::DuplicateSheet() {
    if (m_mode != kDocEdit || m_readOnly) return false;
    CReportSheet* source = nullptr;
    for (IDocObserver* observer : m_observers)
        if (!source) source = observer->SelectedSheet();
    if (!source) return false;
    const bool wasLoaded = source->IsLoaded();
    source->LoadElementsFromFile();
    CReportSheet* copy = m_manager.CloneSheet(source, -1);
    if (!wasLoaded) source->FreeElements();
    if (!copy) return false;
    m_changed = 1;
    RebuildNavigator(false);
    return true;
}

void CQuillmarkDoc::ShowFirstSheet() {
    if (m_manager.GetSheetCount() > 0) ShowSheet(m_manager.GetSheet(0));
}

void CQuillmarkDoc::ShowLastSheet() {
    if (m_manager.GetSheetCount() > 0) ShowSheet(m_manager.GetSheet(m_manager.GetSheetCount() - 1));
}

void CQuillmarkDoc::ShowNextSheet() {
    if (m_manager.GetSheetCount() == 0) return;
    const int index = SheetIndex(ActiveSheet());
    if (index < 0) ShowSheet(m_manager.GetSheet(0));
    else if (index + 1 < m_manager.GetSheetCount()) ShowSheet(m_manager.GetSheet(index + 1));
}

void CQuillmarkDoc::ShowPrevSheet() {
    if (m_manager.GetSheetCount() == 0) return;
    const int index = SheetIndex(ActiveSheet());
    if (index < 0) ShowSheet(m_manager.GetSheet(0));
    else if (index > 0) ShowSheet(m_manager.GetSheet(index - 1));
}

// --- Parameters ---------------------------------------------------------------------------------------------

CReportParam* CQuillmarkDoc::NewParam() {
    auto* param = new CReportParam(&m_manager);
    if (!param->ShowProp()) {
        delete param;
        return nullptr;
    }
    m_manager.GetParams().Add(param);
    Notify([param](IDocObserver& o) { o.ParamAdded(param); });
    m_changed = 1;
    Notify([](IDocObserver& o) { o.OrderChanged(); });
    return param;
}

void CQuillmarkDoc::DeleteParam(CReportParam* param) {
    if (!param) return;
    CzorStepDataWithFile* store = m_manager.GetStore();
    if (!store) return;
    param->Update(true);

    // Uses of the parameter: stored texts on sheets that are not loaded, element texts on loaded ones.
    const CParamArray::ParamUses uses = CParamArray::FindParamUses(&m_manager, {param});
    if (!uses.Empty() && AfxMessageBox("Данный параметр используется, удалить?", MB_YESNO | MB_ICONQUESTION) == IDNO)
        return;

    if (param->GetInstance()) DeleteStoreInstance(&m_manager, param->GetInstance());
    CParamArray::ClearParamUses(&m_manager, uses);
    Notify([param](IDocObserver& o) { o.ParamRemoved(param); });
    const int index = m_manager.GetParams().Find(param);
    if (index >= 0) m_manager.GetParams().RemoveAt(index);
    m_changed = 1;
    UpdateAllViews();
}

// --- Modes ----------------------------------------------------------------------------------------------------

void CQuillmarkDoc::ToggleEditMode() {
    if (!HasRight(kRightEdit, true)) return;
    m_mode = m_mode == kDocEdit ? kDocView : kDocEdit;
    m_tool = kToolSelect;
    RebuildNavigator(false);
}

void CQuillmarkDoc::ToggleShowPicture() {
    m_showPicture = m_showPicture ? 0 : 1;
    UpdateAllViews();
}

bool CQuillmarkDoc::MailClientAvailable() { return !QStandardPaths::findExecutable("xdg-email").isEmpty(); }

bool CQuillmarkDoc::SendMail() {
    if (m_path.empty() || !MailClientAvailable()) return false;
    return QProcess::startDetached("xdg-email", QStringList{"--attach", QString::fromStdString(m_path)});
}

// --- Batch fill -------------------------------------------------------------------------------------------------

namespace {

// The manager's parameter of that name takes the value (in its own type); other names are passed over.
void SetNamedParam(CFolivox& manager, const std::string& name, const std::string& value) {
    const int index = manager.GetParams().Find(name);
    if (index < 0) return;
    CReportParam* param = manager.GetParams().GetAt(index);
    param->SetParam(value, param->GetType());
}

// The add-in fill: the query runs on a session of its own (connected without a name, a password or a dialog:
// the connection and user of the last login), and the data source it filled is extended through that session
// before it ends. False when there is no query, no session, or the computed columns fail.
bool FillFromAddin(CFolivox& manager, CAddinQuery* entry) {
    if (!entry || !entry->function) return false;
    CzorAPI api;
    api.SetHideMode(true);
    if (!api.Connect(nullptr, nullptr, nullptr, 0, "")) return false;
    CDataSource& source = manager.GetDataSource();
    auto* header = new CHeader;
    entry->query.m_nParam1 = reinterpret_cast<intptr_t>(&api.Store());
    entry->query.m_nParam2 = reinterpret_cast<intptr_t>(header);
    entry->query.m_nParam3 = reinterpret_cast<intptr_t>(&source);
    CRParamsArray values;
    entry->function(&entry->query, &values, 2);
    entry->query.m_nParam1 = entry->query.m_nParam2 = entry->query.m_nParam3 = 0;
    // The add-in either made the header its data source's or left it to us.
    if (source.GetHeader() != header) delete header;
    const bool extended = source.Extend(manager.GetResultSelectHeader(), &api.Store());
    api.Disconnect();
    for (int i = 0; i < values.GetSize(); ++i)
        if (const CzorRParam* pair = values.GetAt(i)) SetNamedParam(manager, pair->name, pair->value);
    return extended;
}

}  // namespace

void CQuillmarkDoc::ReadParamFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t eq = line.find('=');
        if (line.empty() || eq == std::string::npos || eq == 0) continue;
        SetNamedParam(m_manager, line.substr(0, eq), line.substr(eq + 1));
    }
}

bool CQuillmarkDoc::FillReport(void* entry) {
    if (m_batch.mode == 1) {
        ReadParamFile(m_batch.paramFile);
        if (!m_manager.GetDataSource().LoadFromFile(m_batch.dataFile)) return false;
    } else if (m_batch.mode == 2) {
        if (!FillFromAddin(m_manager, static_cast<CAddinQuery*>(entry))) return false;
    } else {
        return false;
    }
    if (m_manager.GetSheetCount() == 0) return false;
    CReportSheet* last = m_manager.GetSheet(m_manager.GetSheetCount() - 1);
    const bool lastLoaded = last->IsLoaded();
    last->LoadElementsFromFile();
    CReportSheet* spare = NewSheetLike(&m_manager, *last);
    if (!lastLoaded && last != m_manager.GetSheet(0)) last->FreeElements();
    m_manager.SetGenerationSheet(spare);
    CReportSheet* first = m_manager.GetSheet(0);
    first->LoadElementsFromFile();
    int highest = 1;
    const std::vector<CReportElement*> elements(first->GetElements().begin(), first->GetElements().end());
    for (CReportElement* element : elements) {
        if (element->GetKind() != kElemTable) continue;
        auto* table = dynamic_cast<CTableElement*>(element);
        if (!table) continue;
        table->SetCurrentSheet(first);
        CReportSheet* reached = table->GenTable();
        highest = std::max(highest, SheetIndex(reached) + 1);
    }
    while (m_manager.GetSheetCount() > highest)
        RemoveReportSheet(m_manager, m_manager.GetSheet(m_manager.GetSheetCount() - 1));
    if (m_manager.GetGenerationSheet() == spare) m_manager.SetGenerationSheet(nullptr);
    delete spare;
    m_mode = kDocView;
    return true;
}

}  // namespace quillmark
