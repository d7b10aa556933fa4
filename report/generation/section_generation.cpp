// Section generation, table by table and section by section: the order of a section's lines (title block,
// group title lines, detail lines, closing lines, filler lines), moving on to the table's continuation on
// the next sheet when an element is full, and the table-of-contents nodes of titled sections and groups.
#include "report/generation/section_generation.h"

#include "platform/text/numbers.h"
#include "platform/text/utf8.h"
#include "platform/ui/outcome.h"
#include "report/generation/finished_sheets.h"
#include "report/generation/formula.h"
#include "report/generation/generate_report.h"
#include "report/model/folivox.h"
#include "report/model/group_col.h"
#include "report/model/report_section.h"
#include "report/model/report_sheet.h"
#include "report/model/table_content.h"
#include "report/model/table_element.h"

namespace {

constexpr const char* kBadTemplate = "Не корректный шаблон";
constexpr const char* kGenerationError = "Ошибка при генерации отчета.";
constexpr const char* kDetailError = "Ошибка при генерации отчета!";

// The first continuation of table on sheet.
CReportElement* FindContinuation(CReportSheet* sheet, const CTableElement* table) {
    for (CReportElement* element : sheet->GetElements())
        if (element->GetKind() == kElemTableMap && TableOfElement(element) == table) return element;
    return nullptr;
}

}  // namespace

// --- The next sheet ------------------------------------------------------------------------------------------------

CReportElement* NextTableElement(CFolivox* manager, CReportSheet* sheet, CReportElement* element,
                                 CTableContent* node) {
    CTableElement* table = TableOfElement(element);
    if (!manager || !table) return nullptr;
    table->SetPageNumber(table->GetPageNumber() + 1);
    const int index = manager->FindSheetInd(sheet);
    CReportSheet* next = index >= 0 && index + 1 < manager->GetSheetCount()
                             ? manager->GetSheet(index + 1)
                             : manager->CloneSheet(manager->GetGenerationSheet(), -1);
    if (!next) {
        zor::Note({"Не могу создать страницу."});
        return nullptr;
    }
    next->LoadElementsFromFile();
    CReportElement* continuation = FindContinuation(next, table);
    if (!continuation) {
        // The next page belongs to something else: a page of the table goes in right after this one.
        next = manager->CloneSheet(manager->GetGenerationSheet(), index >= 0 ? index + 1 : -1);
        if (next) {
            next->LoadElementsFromFile();
            continuation = FindContinuation(next, table);
        }
        if (!continuation) {
            zor::Note({"Не корректный шаблон!"});
            return nullptr;
        }
    }
    table->SetCurrentSheet(next);
    if (node) node->AddSheet(next);
    if (CFinishedSheets* finished = CFinishedSheets::Of(manager); finished && next != sheet) finished->Finish(sheet);
    return continuation;
}

// --- GenSection ----------------------------------------------------------------------------------------------------

CReportElement* CSectionGenerator::Generate(CReportElement* element, int& lineCount, int& offset, SectionGen flags) {
    // The section follows the current contents node only while it is generated; the manager owns the nodes.
    struct NodeReset {
        CReportSection& section;
        ~NodeReset() { section.SetContentNode(nullptr); }
    } nodeReset{m_Section};
    CColumnIndexArray keys;
    if (!m_Section.GetSortColumns(m_Source, keys)) return nullptr;
    const CTableElement* table = TableOfElement(element);
    if (table && !HasBlockHeight(*table)) {
        zor::Note({kBadTemplate});
        return nullptr;
    }
    // The section's own order; the data source's rows, which every section reads, keep theirs.
    m_Sorted = m_Source.GetRows();
    m_Source.Sort(&keys, &m_Sorted);
    m_pOrder = &m_Sorted;
    // The copy shows the rows as this section uses them (the last section's order is what stays).
    const bool own = m_pManager && &m_pManager->GetDataSource() == &m_Source;
    SaveToFile(m_pManager, own ? &m_Sorted : nullptr);

    if (IsEmpty()) {
        if (Has(flags, SectionGen::kLastSection)) {
            FillRest(element, lineCount, offset);
            lineCount = 0;
            offset = 0;
        }
        return element;
    }
    if (!table) return nullptr;

    const std::string title = m_Section.GetTitle().GetText();
    m_pOwnNode = nullptr;
    if (!title.empty() && m_pManager) {
        m_pOwnNode = new CTableContent(m_pManager);
        m_pOwnNode->SetTitle(title);
        m_pManager->AddTableContent(m_pOwnNode);
    }
    m_Section.SetContentNode(m_pOwnNode);
    int level = 0, index = 0;
    if (!title.empty() && m_Section.GetLevels().Locate(m_Section.GetTitleColumn(), level, index) &&
        !EmitTitleBlock(element, lineCount, offset))
        return nullptr;
    if (m_pOwnNode) m_pOwnNode->AddSheet(element->GetSheet());

    const int groups = m_Section.GetGroups().GetSize();
    m_Open.assign(static_cast<size_t>(groups), false);
    m_LastValues.assign(static_cast<size_t>(groups), std::string());
    m_GroupNodes.assign(static_cast<size_t>(groups), nullptr);
    m_nLastGroupRow = -1;
    std::string value;
    for (int row = 0; row < RowCount(); ++row) {
        const CTableRow* data = RowAt(row);
        // Every grouping column's conditions are tested before any group opens: a row that fails an inner
        // one would otherwise leave the outer group open with its title and without a row, and that group's
        // closing lines would total the rows of the group before it.
        if (!MeetsAll(data)) continue;
        // The outermost grouping column whose value changed (or that has no open group) breaks here.
        int breakLevel = -1;
        for (int g = 0; g < groups; ++g) {
            value = GroupValue(g, data);
            if (!m_Open[static_cast<size_t>(g)] || value != m_LastValues[static_cast<size_t>(g)]) {
                breakLevel = g;
                break;
            }
        }
        if (breakLevel >= 0) {
            if (m_nLastGroupRow >= 0 &&
                !CloseGroups(RowCall::kClosingAtBreak, element, breakLevel, lineCount, offset))
                return nullptr;
            for (int g = breakLevel; g < groups; ++g) {
                m_Open[static_cast<size_t>(g)] = false;
                m_LastValues[static_cast<size_t>(g)].clear();
            }
            bool rowEnds = false;
            for (int g = breakLevel; g < groups && !rowEnds; ++g) {
                const CGroupCol* group = m_Section.GetGroups().GetAt(g);
                if (!OpenGroup(element, g, row, lineCount, offset)) return nullptr;
                // A group shown from its first row gives that row its title lines and no detail line.
                if (group->m_nShowFirstRow) {
                    m_nLastGroupRow = row;
                    rowEnds = true;
                }
            }
            if (rowEnds) continue;
        }
        if (!EmitRow(RowCall::kDetail, element, row, lineCount, offset, nullptr, RowGen::kNone)) return nullptr;
        m_nLastGroupRow = row;
    }
    if (m_nLastGroupRow >= 0 && !CloseGroups(RowCall::kClosingAtEnd, element, 0, lineCount, offset)) return nullptr;
    if (Has(flags, SectionGen::kLastSection)) FillRest(element, lineCount, offset);
    return element;
}

bool CSectionGenerator::EmitTitleBlock(CReportElement*& element, int& lineCount, int& offset) {
    const int showEmpty = m_Section.GetShowEmptyLines();
    int trialLines = lineCount, trialOffset = offset;
    if (showEmpty != 0) {
        AddTitle(element, trialLines, trialOffset, TitleGen::kTrial);
        AddTitle(element, trialLines, trialOffset, TitleGen::kTrial);
    }
    const bool fits =
        AddTitle(element, trialLines, trialOffset, TitleGen::kTrial | TitleGen::kTitleText) == AddResult::kDone &&
        AddTitle(element, trialLines, trialOffset, TitleGen::kTrial) == AddResult::kDone;
    if (!fits) {
        // The block moves on whole; the rest of this element is ruled with the previous section's lines.
        const CTableElement* table = TableOfElement(element);
        const int position = table ? table->GetSections().Find(&m_Section) : -1;
        if (position <= 0) {
            zor::Note({"Ощибка при генерации отчета. Некоректный шаблон"});
            return false;
        }
        CSectionGenerator previous(*table->GetSections().GetAt(position - 1), m_Source);
        previous.FillRest(element, lineCount, offset);
        lineCount = 0;
        offset = 0;
        element = NextTableElement(m_pManager, element->GetSheet(), element, m_Section.GetContentNode());
        if (!element) return false;
    }
    if (showEmpty > 0) AddTitle(element, lineCount, offset, TitleGen::kNone);
    AddTitle(element, lineCount, offset, TitleGen::kTitleText);
    if (showEmpty > 0) AddTitle(element, lineCount, offset, TitleGen::kNone);
    return true;
}

bool CSectionGenerator::OpenGroup(CReportElement*& element, int g, int row, int& lineCount, int& offset) {
    const CGroupCol* group = m_Section.GetGroups().GetAt(g);
    if (!EmitRow(RowCall::kGroupTitle, element, row, lineCount, offset, group, RowGen::kNone)) return false;
    const CTableRow* data = RowAt(row);
    m_Open[static_cast<size_t>(g)] = true;
    m_LastValues[static_cast<size_t>(g)] = GroupValue(g, data);
    if (!m_pManager) return true;
    auto* node = new CTableContent(m_pManager);
    node->SetTitle(GroupTitle(g, data));
    CTableContent* parent = g > 0 ? m_GroupNodes[static_cast<size_t>(g - 1)] : m_pOwnNode;
    if (parent)
        parent->AddChild(node);
    else
        m_pManager->AddTableContent(node);
    node->AddSheet(element->GetSheet());
    m_Section.SetContentNode(node);
    m_GroupNodes[static_cast<size_t>(g)] = node;
    return true;
}

bool CSectionGenerator::CloseGroups(RowCall call, CReportElement*& element, int from, int& lineCount, int& offset) {
    // Outermost first; only groups that are open, for the last row taken into them.
    for (int g = from; g < m_Section.GetGroups().GetSize(); ++g) {
        if (!m_Open[static_cast<size_t>(g)]) continue;
        const RowGen flags = call == RowCall::kClosingAtEnd ? RowGen::kClosing | RowGen::kLastLines : RowGen::kClosing;
        if (!EmitRow(call, element, m_nLastGroupRow, lineCount, offset, m_Section.GetGroups().GetAt(g), flags))
            return false;
    }
    return true;
}

bool CSectionGenerator::EmitRow(RowCall call, CReportElement*& element, int row, int& lineCount, int& offset,
                                const CGroupCol* group, RowGen flags) {
    AddResult result = AddRow(&element, row, lineCount, offset, group, flags);
    if (result == AddResult::kDone) return true;
    if (result == AddResult::kNotATable) {
        zor::Note({kGenerationError});
        return false;
    }
    if (call == RowCall::kClosingAtEnd && result == AddResult::kNoRoomFurther) {
        zor::Note({"Ошибка при генерации отчета (-2)."});
        return false;
    }
    const bool detail = call == RowCall::kDetail;
    // Not here: the rest of this element is ruled and the row goes to the continuation on the next sheet.
    FillRest(element, lineCount, offset);
    lineCount = 0;
    offset = 0;
    CReportElement* next = NextTableElement(m_pManager, element->GetSheet(), element, m_Section.GetContentNode());
    if (!next || next->GetKind() != kElemTableMap) {
        zor::Note({detail ? kDetailError : kGenerationError});
        return false;
    }
    element = next;
    result = AddRow(&element, row, lineCount, offset, group, flags);
    if (result == AddResult::kDone) {
        if (detail && m_Section.GetContentNode()) m_Section.GetContentNode()->AddSheet(element->GetSheet());
        return true;
    }
    const char* message = kGenerationError;
    if (detail) message = result == AddResult::kNotATable ? kDetailError : "В таблицу не помещается ни одна строка!";
    zor::Note({message});
    return false;
}

// --- The section's and the table's operations ------------------------------------------------------------------

CReportElement* CReportSection::GenSection(CReportElement* element, int& lineCount, int& offset, SectionGen flags) {
    if (!m_pManager) return nullptr;
    CSectionGenerator generator(*this, m_pManager->GetDataSource());
    return generator.Generate(element, lineCount, offset, flags);
}

int CReportSection::AddRow(CDataSource* source, CReportElement** current, int row, int& lineCount, int& offset,
                           CGroupCol* group, RowGen flags) {
    if (!current) return -2;
    if (!source && m_pManager) source = &m_pManager->GetDataSource();
    if (!source) return -2;
    CSectionGenerator generator(*this, *source);
    return static_cast<int>(generator.AddRow(current, row, lineCount, offset, group, flags));
}

int CReportSection::AddTitle(CReportElement* element, int& lineCount, int& offset, TitleGen flags) {
    CDataSource none;
    CSectionGenerator generator(*this, m_pManager ? m_pManager->GetDataSource() : none);
    return static_cast<int>(generator.AddTitle(element, lineCount, offset, flags));
}

CReportElement* CReportSection::GetNextSheet(CReportSheet* sheet, CReportElement* element) {
    return NextTableElement(m_pManager, sheet, element, m_pContentNode);
}

CReportSheet* CTableElement::GenTable() {
    // The page number starts from the number in the sheet's name ("Лист3" gives 3).
    CReportSheet* own = GetSheet() ? GetSheet() : GetCurrentSheet();
    SetPageNumber(own ? zor::TextToInt(zor::TrimLeft(own->GetName(), "Лист")) : 0);
    if (!GetCurrentSheet()) SetCurrentSheet(own);
    if (!m_pManager) return nullptr;
    CDataSource& source = m_pManager->GetDataSource();
    bool anyRows = false;
    for (CReportSection* section : GetSections()) {
        CSectionGenerator generator(*section, source);
        if (!generator.IsEmpty()) anyRows = true;
    }
    if (!anyRows) return nullptr;
    CReportElement* element = this;
    int lineCount = 0, offset = 0;
    const int count = GetSections().GetSize();
    for (int i = 0; i < count; ++i) {
        const SectionGen flags = i == count - 1 ? SectionGen::kLastSection : SectionGen::kNone;
        element = GetSections().GetAt(i)->GenSection(element, lineCount, offset, flags);
        if (!element) return nullptr;
    }
    return GetCurrentSheet();
}
