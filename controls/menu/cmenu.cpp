#include "controls/menu/cmenu.h"

#include <memory>
#include <unordered_map>

namespace {

std::unordered_map<HMENU, CMenu*>& Permanent() {
    static std::unordered_map<HMENU, CMenu*> map;
    return map;
}

std::unordered_map<HMENU, std::unique_ptr<CMenu>>& Temporary() {
    static std::unordered_map<HMENU, std::unique_ptr<CMenu>> map;
    return map;
}

// A temporary object only wraps: it never destroys the handle.
class TemporaryMenu : public CMenu {
public:
    explicit TemporaryMenu(HMENU menu) { m_hMenu = menu; }
    ~TemporaryMenu() override { m_hMenu = nullptr; }
};

}  // namespace

CMenu::~CMenu() {
    if (m_hMenu && Permanent().count(m_hMenu) && Permanent()[m_hMenu] == this) {
        Forget();
        ::DestroyMenu(m_hMenu);
    }
    m_hMenu = nullptr;
}

void CMenu::Forget() {
    auto it = Permanent().find(m_hMenu);
    if (it != Permanent().end() && it->second == this) Permanent().erase(it);
}

BOOL CMenu::CreateMenu() { return Attach(::CreateMenu()); }
BOOL CMenu::CreatePopupMenu() { return Attach(::CreatePopupMenu()); }

BOOL CMenu::Attach(HMENU menu) {
    if (m_hMenu || !IsMenuHandle(menu)) return FALSE;
    m_hMenu = menu;
    Permanent()[menu] = this;
    Temporary().erase(menu);
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU menu = m_hMenu;
    Forget();
    m_hMenu = nullptr;
    return menu;
}

BOOL CMenu::DestroyMenu() {
    if (!m_hMenu) return FALSE;
    HMENU menu = Detach();
    return ::DestroyMenu(menu);
}

CMenu* CMenu::FromHandlePermanent(HMENU menu) {
    auto it = Permanent().find(menu);
    return it == Permanent().end() ? nullptr : it->second;
}

CMenu* CMenu::FromHandle(HMENU menu) {
    if (!IsMenuHandle(menu)) return nullptr;
    if (CMenu* permanent = FromHandlePermanent(menu)) return permanent;
    auto& temporary = Temporary();
    // Temporaries of handles that are gone are dropped here, so the map never outgrows the live menus.
    for (auto it = temporary.begin(); it != temporary.end();)
        it = IsMenuHandle(it->first) ? std::next(it) : temporary.erase(it);
    auto& slot = temporary[menu];
    if (!slot) slot = std::make_unique<TemporaryMenu>(menu);
    return slot.get();
}
