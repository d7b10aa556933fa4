// The document's commands: sheets added, duplicated, deleted and paged; parameters added and deleted; the
// edit-mode switch; mail; the batch fill with its parameter file.
#include <fstream>
#include <unordered_set>

#include <fmt/printf.h>

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTreeWidget>

#include "designer/addins/addins.h"
#include "designer/doc/quillmark_doc.h"
#include "designer/frame/main_frame.h"
#include "designer/navigator/navigator_items.h"
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
    if (!m_frame) return;
    const int current = SheetIndex(ActiveSheet());
    m_frame->SetPageText(current < 0 ? 1 : current + 1, m_manager.GetSheetCount());
}

// --- Sheets -----------------------------------------------------------------------------------------------

CSheetItem* CQuillmarkDoc::AddSheet() {
    if (!m_manager.GetStore()) return nullptr;
    auto* sheet = new CReportSheet(&m_manager);
    sheet->SetSize(m_pageSize);
    sheet->LoadElementsFromFile();
    m_manager.AddSheet(sheet);
    sheet->SetName(fmt::sprintf("Лист%d", m_manager.GetSheetCount()));
    CSheetItem* item = MakeSheetItem(sheet);
    m_changed = 1;
    ShowPageText();
    SortTree();
    UpdateAllViews();
    return item;
}

CSheetItem* CQuillmarkDoc::MakeSheetItem(CReportSheet* sheet) {
    if (!m_pTree) return nullptr;
    auto item = std::make_unique<CSheetItem>(this, m_pTree);
    if (!item->Insert(sheet)) return nullptr;
    m_sheetItems.push_back(std::move(item));
    return m_sheetItems.back().get();
}

void CQuillmarkDoc::DeleteSheet(CSheetItem* item) {
    if (!item || !item->Sheet()) return;
    if (m_sheetItems.size() <= 1) {
        AfxMessageBox("Отчет должен содержать хотябы одну страницу.");
        return;
    }
    CReportSheet* sheet = item->Sheet();
    CChildFrame* frame = GetSheetFrame(sheet);
    // The view that shows the sheet forgets it before the sheet goes.
    for (IDocView* view : m_views)
        if (view->GetSheet() == sheet) view->SetSheet(nullptr);
    if (frame) CloseFrame(frame);
    m_sheetToFrame.erase(sheet);
    if (!sheet->GetInstance()) sheet->Update(true);
    RemoveReportSheet(m_manager, sheet);
    std::erase_if(m_sheetItems, [item](const std::unique_ptr<CSheetItem>& p) { return p.get() == item; });
    int number = 0;
    for (CReportSheet* remaining : m_manager.GetSheets()) remaining->SetName(fmt::sprintf("Лист%d", ++number));
    for (const auto& other : m_sheetItems) other->Refresh();
    m_changed = 1;
    SortTree();
    ShowPageText();
    UpdateAllViews();
}

bool CQuillmarkDoc::DuplicateSheet() {
    if (!m_pTree || m_mode != kDocEdit || m_readOnly) return false;
    CNavigatorItem* selected = ItemOf(m_pTree->currentItem());
    if (!selected || selected->Kind() != kItemSheet || !selected->Sheet()) return false;
    CReportSheet* source = selected->Sheet();
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

CParamItem* CQuillmarkDoc::MakeParamItem(CReportParam* param) {
    if (!m_pTree) return nullptr;
    auto item = std::make_unique<CParamItem>(this, m_pTree);
    if (!item->Insert(param)) return nullptr;
    m_paramItems.push_back(std::move(item));
    return m_paramItems.back().get();
}

CParamItem* CQuillmarkDoc::NewParam() {
    auto* param = new CReportParam(&m_manager);
    if (!param->ShowProp()) {
        delete param;
        return nullptr;
    }
    m_manager.GetParams().Add(param);
    CParamItem* item = MakeParamItem(param);
    m_changed = 1;
    SortTree();
    return item;
}

void CQuillmarkDoc::DeleteParam(CParamItem* item) {
    if (!item || !item->Param()) return;
    CReportParam* param = item->Param();
    CzorStepDataWithFile* store = m_manager.GetStore();
    if (!store) return;
    param->Update(true);

    // Uses of the parameter: stored texts on sheets that are not loaded, element texts on loaded ones.
    const CParamArray::ParamUses uses = CParamArray::FindParamUses(&m_manager, {param});
    if (!uses.Empty() && AfxMessageBox("Данный параметр используется, удалить?", MB_YESNO | MB_ICONQUESTION) == IDNO)
        return;

    if (param->GetInstance()) DeleteStoreInstance(&m_manager, param->GetInstance());
    CParamArray::ClearParamUses(&m_manager, uses);
    std::erase_if(m_paramItems, [item](const std::unique_ptr<CParamItem>& p) { return p.get() == item; });
    const int index = m_manager.GetParams().Find(param);
    if (index >= 0) m_manager.GetParams().RemoveAt(index);
    m_changed = 1;
    UpdateAllViews();
}

void CQuillmarkDoc::MakeParamItems() {
    for (CReportParam* param : m_manager.GetParams())
        if (param->GetType() < kParamPageNumber) MakeParamItem(param);
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
