#pragma once
// The field set-up dialog apart from its widgets: a list of levels and, for the chosen level, its columns.
// It edits a section's levels, or a grouping column's title-line or closing-line levels, on a working copy
// that OK hands back and Cancel throws away; or it picks one column of a section's own levels (the
// section's title column), where the commands change those levels at once.
//
// The column list shows a level's columns in their order in the level, so moving a row moves the column.
#include <functional>
#include <string>
#include <vector>

#include "report/dialogs/column_dialog_logic.h"
#include "report/model/section_level.h"

class CColumn;
class CFolivox;
class CGroupCol;
class CReportSection;

enum class FieldsMode : int {
    kSectionLevels = 0,  // a section's levels
    kChooseColumn = 1,   // a column of a section's levels
    kGroupTitles = 2,    // a grouping column's title-line levels
    kGroupClosings = 3,  // a grouping column's closing-line levels
};

// The level dialog: in, the values it opens with (height in tenths of a millimetre); out after OK (true),
// what was entered.
using LevelRunner = std::function<bool(std::string& name, int& height, int& flags)>;
// The column dialog on the values; true for OK.
using ColumnRunner = std::function<bool(ColumnDlgValues& values)>;

class CFieldsDlgLogic {
public:
    CFieldsDlgLogic(FieldsMode mode, CReportSection* section, CGroupCol* group);
    // Throws the working copy away unless OK took it.
    ~CFieldsDlgLogic();
    CFieldsDlgLogic(const CFieldsDlgLogic&) = delete;
    CFieldsDlgLogic& operator=(const CFieldsDlgLogic&) = delete;

    // Without the section or grouping column its mode needs, the dialog ends at once.
    bool CanOpen() const { return m_pEdited != nullptr; }
    FieldsMode Mode() const { return m_Mode; }
    bool Choosing() const { return m_Mode == FieldsMode::kChooseColumn; }
    std::string Caption() const { return Choosing() ? "Выбор..." : "Настройка полей"; }
    // The grouping button: for a section's levels only.
    bool ShowGroupButton() const { return m_pSection && !Choosing(); }
    CReportSection* Section() const { return m_pSection; }

    struct ColumnRow {
        std::string position, name, width, source;
    };
    std::vector<std::string> LevelNames() const;
    std::vector<ColumnRow> ColumnRows(int level) const;
    CColumn* ColumnAt(int level, int row) const;
    const CSectionLevelArray& Levels() const { return *m_pLevels; }

    // Level commands. The index of the row to select afterwards, or -1 when nothing changed (a name
    // already used by another level shows "Имя уровня не уникально!").
    int NewLevel(const LevelRunner& run);
    int CopyLevel(int level, const LevelRunner& run);
    bool EditLevel(int level, const LevelRunner& run);
    int DeleteLevel(int level);

    // Column commands on the level's columns; the row to select afterwards, or -1.
    int NewColumn(int level, const ColumnRunner& run);
    int CopyColumn(int level, int row, const ColumnRunner& run);
    bool EditColumn(int level, int row, const ColumnRunner& run);
    // Removes that row's own column; no question.
    bool DeleteColumn(int level, int row);
    // Up (-1) and down (+1): the column changes places with its neighbour and the rows are renumbered;
    // the moved row's new place, or row when it cannot move.
    int MoveColumn(int level, int row, int step);

    // OK. Choosing: the row's column is the result (null without a row). Otherwise the edited list takes
    // the working copy's levels; a section keeps its title column while that column is still among them.
    void Ok(int level, int row);
    CColumn* Chosen() const { return m_pChosen; }

private:
    // Asks for the column's values and appends it to the level unless the name is taken; its row or -1.
    int AddAskedColumn(CSectionLevel& level, ColumnDlgValues& values, const ColumnRunner& run);
    CFolivox* Manager() const;
    CSectionLevel* Level(int level) const { return m_pLevels->GetAt(level); }
    ColumnDlgValues DialogValues(const char* caption) const;
    bool NameTaken(const CSectionLevel& level, const std::string& name, const CColumn* except) const;
    void Renumber(CSectionLevel& level) const;

    FieldsMode m_Mode;
    CReportSection* m_pSection;
    CGroupCol* m_pGroup;
    CSectionLevelArray* m_pEdited = nullptr;  // the list OK changes
    CSectionLevelArray m_Copy;                // the working copy (all modes but choosing)
    CSectionLevelArray* m_pLevels = nullptr;  // what the commands work on
    CColumn* m_pTitle = nullptr;              // the working copy's counterpart of the section's title column
    CColumn* m_pChosen = nullptr;
    bool m_bDone = false;
};
