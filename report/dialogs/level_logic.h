#pragma once
// The level dialog and the group-parameters dialog apart from their widgets.
#include <string>

#include "platform/win/gdi_types.h"
#include "report/model/section_level.h"  // the level flags

class CGroupCol;

class CLevelDlgLogic {
public:
    // height: tenths of a millimetre, shown in millimetres.
    CLevelDlgLogic(const std::string& name, int height, int flags);

    // OK: false after a message keeps the dialog open (a height outside 0 to 100, an empty name, a
    // height of 0). On success Height() and Flags() give what the caller takes back.
    bool Apply();
    int Height() const { return m_nHeight; }
    int Flags() const { return (m_bHideEmpty ? kLevelHideEmpty : 0) | (m_bKeepTogether ? kLevelKeepTogether : 0); }

    std::string m_Name;
    std::string m_Height;  // millimetres
    bool m_bHideEmpty = false;
    bool m_bKeepTogether = false;

private:
    int m_nHeight;
};

// The group-parameters dialog: the font shown (not written into the grouping column: its caller copies
// it after OK), the start-from-the-second-row flag and the group name.
class CGroupParamsDlgLogic {
public:
    // font: the grouping column's own after a double click; null for a new grouping column ("Arial", 12).
    CGroupParamsDlgLogic(CGroupCol* group, const LOGFONT* font);

    bool CanOpen() const { return m_pGroup != nullptr; }
    std::string ColumnName() const;
    // OK: the group name must be a formula over the manager's two data-source headers together; otherwise
    // "Неверно задана функция!" and false. On success the grouping column takes the flag and the name.
    bool Apply();

    LOGFONT m_Font;
    std::string m_Name;
    bool m_bShowFirstRow = false;

private:
    CGroupCol* m_pGroup;
};
