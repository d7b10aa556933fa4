#pragma once
// The table page of the element property dialog apart from its widgets: the table's name and row font,
// applied with the dialog's OK, and its sections, which every button changes at once (so the dialog's
// "Отмена" no longer undoes anything after one of them).
#include <functional>
#include <string>
#include <vector>

#include "platform/win/gdi_types.h"

class CReportElement;
class CReportSection;
class CTableElement;

// The section dialog on a section; true for OK.
using SectionRunner = std::function<bool(CReportSection* section)>;

class CTablePageLogic {
public:
    // element: a table, or a continuation whose table the page edits.
    CTablePageLogic(CReportElement* element, int reportMode);

    CTableElement* Table() const { return m_pTable; }
    // While a report is shown the name is read-only and create, delete, properties and the font are off.
    bool ReadOnly() const { return m_nReportMode > 0; }
    std::vector<std::string> SectionNames() const;

    // Each returns the row to select afterwards, or -1 when the sections did not change.
    // A new section of the table's manager, kept after OK, deleted after Cancel.
    int Create(const SectionRunner& run);
    // A copy of the row's section with store instances of its own, kept after OK.
    int Copy(int row, const SectionRunner& run);
    // After the question "Вы действительно желаете удалить выбранную секцию?" answered Yes, the section
    // leaves the table and the store.
    int Delete(int row);
    int Edit(int row, const SectionRunner& run);
    // One place up (-1) or down (+1); the first up and the last down do nothing.
    int Move(int row, int step);

    // Whether a button changed the sections since opening (the dialog's "Отмена" is then off).
    bool SectionsChanged() const { return m_bChanged; }
    // The dialog's OK: "Не задано имя таблицы." for an empty name keeps it open.
    bool Apply();

    std::string m_Name;
    LOGFONT m_Font;

private:
    CTableElement* m_pTable;
    int m_nReportMode;
    bool m_bChanged = false;
};
