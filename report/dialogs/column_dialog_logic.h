#pragma once
// The column dialog apart from its widgets: one level column's values as the dialog shows them (width and
// frame in millimetres, alignment as two combo positions, the kind as a combo entry or a typed constant
// text) and back. The same dialog serves as a prompt for a name alone.
#include <string>
#include <vector>

class CColumn;
class CFolivox;
class CHeaderColumn;

// Layouts of the dialog.
enum : int {
    kColumnLayoutSection = 1,  // a section's column: no kind
    kColumnLayoutName = 2,     // the name alone
    kColumnLayoutFull = 3,     // everything (a grouping column's title and closing lines)
};

// What the caller hands the dialog and takes back after OK. Width and frame are tenths of a millimetre.
struct ColumnDlgValues {
    std::string caption = "Новый уровень";
    int layout = kColumnLayoutName;
    CFolivox* manager = nullptr;  // null hides the data-source choice
    bool allowEmptyName = false;
    std::string name;
    int width = 0;
    int border;                   // the profile's default line width
    int fitText = 0;
    CHeaderColumn* column = nullptr;
    int level = 0;
    int align = 10;
    int kind = 0;
    std::string constText;        // for kind 4
    int rows = 1;

    ColumnDlgValues();
    // A column's own values (caption, layout and manager left as they are).
    void From(const CColumn& column);
    // Writes them into a column; the constant text only for a constant-text column.
    void To(CColumn& column) const;
};

// The entries of the kind combo; a typed text (no entry) is a constant-text column.
const std::vector<std::string>& ColumnKindNames();
// Alignment flags as combo positions (vertical: top, centre, bottom; horizontal: left, centre, right) and back.
int VerticalPosition(int align);
int HorizontalPosition(int align);
int AlignFromPositions(int vertical, int horizontal);

class CColumnDlgLogic {
public:
    explicit CColumnDlgLogic(ColumnDlgValues& values);

    // The data-source field's text: "Отображать уровень" with the level check, else the column's name.
    std::string FieldText() const;
    // Whether "..." can be used: a manager and no level check.
    bool CanChooseColumn() const { return m_Values.manager && !m_bLevel; }
    // A column chosen in the data-source choice (null for the blank row): the name takes its name.
    void TakeColumn(CHeaderColumn* column);

    // OK with the fields as they stand: false keeps the dialog open (a field that is not a number and a
    // text-rows count outside 1 to 10 after a message; an empty name silently unless allowed). On success
    // the values hold what was entered.
    bool Apply();

    std::string m_Name, m_Width, m_Border, m_Rows;
    bool m_bLevel = false;
    bool m_bFitText = false;
    int m_nVertical = -1;     // -1: no choice
    int m_nHorizontal = -1;
    int m_nKind = 0;          // a combo entry, -1 for a typed text
    std::string m_KindText;   // the combo's own text
    CHeaderColumn* m_pColumn;

private:
    ColumnDlgValues& m_Values;
};
