#include "report/dialogs/level_logic.h"

#include "platform/ui/messages.h"
#include "report/dialogs/number_field.h"
#include "report/dialogs/position_logic.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/group_col.h"

namespace {

constexpr double kMaxLevelHeight = 100.0;

// A header that borrows the columns of both data-source headers (a group name may mix file and computed
// columns, as generation evaluates it); it forgets them instead of deleting them.
class CBothHeaders {
public:
    explicit CBothHeaders(CFolivox* manager) {
        if (!manager) return;
        for (CHeader* header : {manager->GetSelectHeader(), manager->GetResultSelectHeader()}) {
            if (!header) continue;
            for (int i = 0; i < header->GetSize(); ++i) m_Header.AddColumn(header->GetColumn(i));
        }
    }
    ~CBothHeaders() { m_Header.Clear(); }
    CBothHeaders(const CBothHeaders&) = delete;
    CBothHeaders& operator=(const CBothHeaders&) = delete;
    const CHeader* Get() const { return &m_Header; }

private:
    CHeader m_Header;
};

}  // namespace

CLevelDlgLogic::CLevelDlgLogic(const std::string& name, int height, int flags)
    : m_Name(name),
      m_Height(MillimetreText(height / 10.0)),
      m_bHideEmpty(flags & kLevelHideEmpty),
      m_bKeepTogether(flags & kLevelKeepTogether),
      m_nHeight(height) {}

bool CLevelDlgLogic::Apply() {
    double height = 0.0;
    if (!ReadNumberInRange(m_Height, 0.0, kMaxLevelHeight, height)) return false;
    if (m_Name.empty()) {
        AfxMessageBox("Не задано наименование уровня.");
        return false;
    }
    const int tenths = static_cast<int>(height * 10.0);
    if (tenths <= 0) {
        AfxMessageBox("Высота строки не может быть менбше или равна 0.");
        return false;
    }
    m_nHeight = tenths;
    return true;
}

CGroupParamsDlgLogic::CGroupParamsDlgLogic(CGroupCol* group, const LOGFONT* font)
    : m_Font(font ? *font : DefaultGroupFont()), m_pGroup(group) {
    if (!group) return;
    m_Name = group->m_Name;
    m_bShowFirstRow = group->m_nShowFirstRow != 0;
}

std::string CGroupParamsDlgLogic::ColumnName() const {
    return m_pGroup && m_pGroup->m_pColumn ? m_pGroup->m_pColumn->GetName() : std::string();
}

bool CGroupParamsDlgLogic::Apply() {
    if (!m_pGroup) return false;
    CBothHeaders headers(m_pGroup->m_pManager);
    std::string result;
    if (!CDataSource::ParseFunction(m_Name, result, nullptr, headers.Get())) {
        AfxMessageBox("Неверно задана функция!", MB_OK | MB_ICONSTOP);
        return false;
    }
    m_pGroup->m_nShowFirstRow = m_bShowFirstRow ? 1 : 0;
    m_pGroup->m_Name = m_Name;
    return true;
}
