#include "designer/users/report_user.h"

#include "platform/base/scramble.h"
#include "platform/text/cp1251.h"
#include "platform/zordata/zordata.h"
#include "report/model/folivox.h"
#include "report/model/schema.h"
#include "report/model/store_instances.h"

namespace quillmark {
namespace {

bool IsAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string TrimRightAscii(std::string text) {
    while (!text.empty() && IsAsciiSpace(text.back())) text.pop_back();
    return text;
}

}  // namespace

int AccessModeFromRights(bool users, bool edit, bool print, bool view) {
    int mode = users ? 9 : view ? 1 : 0;
    if (print) mode |= 3;
    if (edit) mode |= 5;
    return mode;
}

CReportUser::CReportUser(CFolivox* manager, CzorInstance* instance) : m_pManager(manager), m_pInstance(instance) {}

bool CReportUser::CheckPassword(const std::string& text) const {
    // A stored text without the leading '^' is a plain password, held as text like any other string.
    if (password.empty() || password[0] != '^') return TrimRightAscii(password) == TrimRightAscii(text);
    // The scrambler works on the code page's bytes, as files written elsewhere hold them.
    std::string typed;
    if (!zor::Utf8ToCp1251(text, typed)) return false;
    std::string stored;
    zor::UnscrambleText(password.c_str(), stored);
    return stored == TrimRightAscii(typed);
}

bool CReportUser::SetPassword(const std::string& text) {
    std::string bytes;
    if (!zor::Utf8ToCp1251(text, bytes)) return false;
    // An embedded zero would end the scrambled text early and change the password silently.
    if (bytes.find('\0') != std::string::npos) return false;
    zor::ScrambleText(bytes.c_str(), password);
    return true;
}

std::string CReportUser::GetPassword() const {
    if (password.empty() || password[0] != '^') return password;
    std::string bytes;
    zor::UnscrambleText(password.c_str(), bytes);
    return zor::Cp1251ToUtf8(bytes);
}

bool CReportUser::Exchange(bool save) {
    if (!m_pManager || !m_pManager->GetStore()) return false;
    CzorStepDataWithFile* store = m_pManager->GetStore();
    const CReportSchema& s = m_pManager->Schema();
    if (save) {
        m_pInstance = LiveOrNewInstance(m_pManager, m_pInstance, s.e_zor_user);
        if (!m_pInstance) return false;
        store->PutAttr(m_pInstance, s.zor_user_name, name);
        store->PutAttr(m_pInstance, s.zor_user_password, password);
        store->PutAttr(m_pInstance, s.zor_user_access_mode, access_mode);
        return true;
    }
    if (!m_pInstance) return false;
    store->GetAttr(m_pInstance, s.zor_user_name, name);
    store->GetAttr(m_pInstance, s.zor_user_password, password);
    store->GetAttr(m_pInstance, s.zor_user_access_mode, access_mode);
    return true;
}

void CReportUser::Delete() {
    if (m_pInstance) DeleteStoreInstance(m_pManager, m_pInstance);
    m_pInstance = nullptr;
}

CReportUserList LoadReportUsers(CFolivox* manager) {
    CReportUserList users;
    if (!manager || !manager->GetStore() || !manager->Schema().e_zor_user) return users;
    CzorTAggr<CzorInstance> extent;
    manager->GetStore()->GetEntityExtent(manager->Schema().e_zor_user, extent);
    for (int i = 0; i < extent.GetSize(); ++i) {
        auto user = std::make_unique<CReportUser>(manager, extent.GetAt(i));
        user->Exchange(false);
        users.push_back(std::move(user));
    }
    return users;
}

bool ReportHasUsers(CFolivox* manager) {
    if (!manager || !manager->GetStore() || !manager->Schema().e_zor_user) return false;
    return FirstOfExtent(*manager->GetStore(), manager->Schema().e_zor_user) != nullptr;
}

}  // namespace quillmark
