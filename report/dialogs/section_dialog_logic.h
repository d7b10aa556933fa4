#pragma once
// The section dialog apart from its widgets. The sub-dialogs it opens (field set-up, conditions, grouping)
// change the section in place; the dialog keeps a backup that shares the section's store instances, so
// that Cancel brings the section back whole. Store instances of parts removed on the way (levels,
// columns, conditions, grouping columns) stay in the store until the dialog ends with OK: only then are
// they deleted, so a Cancel never leaves the restored section pointing at deleted instances.
#include <memory>
#include <string>

#include "platform/win/gdi_types.h"

class CColumn;
class CReportSection;

class CSectionDlgLogic {
public:
    explicit CSectionDlgLogic(CReportSection* section);
    ~CSectionDlgLogic();
    CSectionDlgLogic(const CSectionDlgLogic&) = delete;
    CSectionDlgLogic& operator=(const CSectionDlgLogic&) = delete;

    // Without a section the dialog ends at once.
    bool CanOpen() const { return m_pSection != nullptr; }
    CReportSection* Section() const { return m_pSection; }

    // After the field set-up dialog on the section's levels: the title column's text empties when the
    // section no longer has one.
    void AfterFieldSetup();
    // After the title-column choice ended with OK (null: none).
    void SetTitleColumn(CColumn* column);

    // OK: without a title column the warning "Не задано поле для отображения заголовка секции." comes
    // first, then the section takes the fields anyway; the store instances of the parts removed since
    // opening are deleted.
    void Ok();
    // Cancel: the section is assigned from the backup, every change of the sub-dialogs undone.
    void Cancel();

    std::string m_Name;
    std::string m_Title;
    std::string m_TitleColumn;  // the title column's name, shown only
    LOGFONT m_Font;
    bool m_bShowEmptyLines = false;

private:
    CReportSection* m_pSection;
    std::unique_ptr<CReportSection> m_pBackup;
};

// The section's title column when it is still one of its levels' columns, else null.
CColumn* LiveTitleColumn(const CReportSection& section);

// Deletes from the store every instance of a part (level, column, condition, grouping column with its
// font, levels and conditions) that before holds and after no longer does; before's parts forget them.
// Instances after still holds are left alone, whatever object holds them now.
void DeleteDroppedInstances(CReportSection& before, const CReportSection& after);
