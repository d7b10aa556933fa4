// Placeholder while the realisation is written.
#include "controls/menu/zor_menu.h"

void CzorMenu::MeasureItem(LPMEASUREITEMSTRUCT) {}
void CzorMenu::DrawItem(LPDRAWITEMSTRUCT) {}
int CzorMenu::Install(QWidget* wnd) { return wnd ? 1 : 0; }
int CzorMenu::Uninstall() { return 0; }
void CzorMenu::SetCommandHandler(QWidget*, std::function<void(UINT)>) {}
CzorMenu* InstalledMenu(const QWidget*) { return nullptr; }
BOOL CzorMenu::AttachToFrame(QMainWindow*, std::function<void(UINT)>) { return FALSE; }
BOOL CMenu::TrackPopupMenu(UINT, int, int, QWidget*) { return 0; }
