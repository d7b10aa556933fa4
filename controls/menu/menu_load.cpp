// CzorMenu: building menus from menu templates, aligning accelerators, and taking icons from toolbars
// into the process-wide image list.
#include <QFontMetrics>
#include <QGuiApplication>

#include "controls/menu/menu_effects.h"
#include "controls/menu/menu_metrics.h"
#include "controls/menu/zor_menu.h"
#include "controls/resources/menu_template.h"
#include "controls/resources/module_resources.h"

namespace {

// The three variants of a 3-D icon set (faded, shadow, disabled), each with the face transparent.
std::vector<QImage> Variants3D(const QImage& icon) {
    using namespace zor::menu;
    const COLORREF face = MenuSysColor(COLOR_BTNFACE);
    const QImage onFace = OnFace(icon, face);
    return {Masked(Faded(onFace, face), face), Masked(Shadow(onFace, face, MenuSysColor(COLOR_BTNSHADOW)), face),
            Masked(Disabled(onFace, face, 0, MenuSysColor(COLOR_BTNSHADOW)), face)};
}

bool ThreeD() { return CzorMenu::IsLunaMenuStyle() && CzorMenu::xp_draw_3D_bitmaps; }

}  // namespace

// --- Menus -------------------------------------------------------------------------------------------------

BOOL CzorMenu::LoadMenu(int id) {
    std::span<const uint8_t> bytes;
    if (!zor::FindMenuResource(id, bytes)) return FALSE;
    return LoadMenuTemplate(bytes);
}

BOOL CzorMenu::LoadMenu(const char* name) {
    int id = 0;
    return zor::ResourceNameToId(name, id) ? LoadMenu(id) : FALSE;
}

BOOL CzorMenu::LoadMenuTemplate(std::span<const uint8_t> bytes) {
    // The whole template is read and checked before the menu is touched.
    std::vector<zor::MenuTemplateItem> items;
    if (!zor::ReadMenuTemplate(bytes, items)) return FALSE;

    // The check pictures are a setting of the menu, not content: they outlive the old items and go to
    // the new popups.
    CImageList* const checks = checkmaps;
    const BOOL shared = checkmapsshare;
    checkmaps = nullptr;
    DestroyMenu();
    checkmaps = checks;
    checkmapsshare = shared;
    if (!CreateMenu()) return FALSE;
    std::vector<CzorMenu*> stack = {this};
    auto closeLevel = [&] {
        stack.back()->InsertSpaces();
        stack.pop_back();
    };
    for (const zor::MenuTemplateItem& item : items) {
        while (stack.size() > size_t(item.depth) + 1) closeLevel();
        CzorMenu* top = stack.back();
        const UINT flags = item.flags & ~MF_END;
        if (flags & MF_POPUP) {
            auto popup = std::make_unique<CzorMenu>();
            if (!popup->CreatePopupMenu()) return FALSE;
            // Popups share the check pictures of the menu they were loaded into; only it frees them.
            popup->checkmapsshare_selected = checkmapsshare_selected;
            popup->checkmapsshare_unselected = checkmapsshare_unselected;
            popup->checkmaps = checkmaps;
            popup->checkmapsshare = TRUE;
            CzorMenu* raw = popup.get();
            top->m_ownedSubMenus.push_back(std::move(popup));
            top->AppendODMenuW(item.text.c_str(), flags, MenuToId(raw->m_hMenu), -1);
            stack.push_back(raw);
        } else {
            top->AppendODMenuW(item.text.c_str(), flags, item.id, -1);
        }
    }
    while (!stack.empty()) closeLevel();

    // The top level stays plain: a menu bar draws its own items.
    for (int i = 0; i < GetMenuItemCount() && size_t(i) < m_MenuList.size(); ++i) {
        CzorMenuData* record = m_MenuList[size_t(i)].get();
        const HMENU sub = ::GetSubMenu(m_hMenu, i);
        const UINT state = GetMenuState(UINT(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
        const UINT flags = sub ? MF_BYPOSITION | MF_POPUP | state
                               : MF_BYPOSITION | state | (record->nFlags & MF_SEPARATOR);
        ::ModifyMenu(m_hMenu, UINT(i), flags, sub ? MenuToId(sub) : record->nCommand, record->GetWideString().c_str());
        record->nFlags = flags;
    }
    m_loadedFromResource = true;
    return TRUE;
}

// How far the counted blanks of an accelerator's padding may be corrected by measuring.
constexpr int kBlankCorrections = 4;

void CzorMenu::InsertSpaces() {
    if (IsLunaMenuStyle() && (!xp_space_accelerators || !original_space_accelerators)) return;
    // Widths need fonts, and fonts a GUI application; without one the texts stay as they are.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    const QFontMetrics metrics(MenuFont());
    auto width = [&](const std::u16string& text) {
        return metrics.horizontalAdvance(QString::fromUtf16(text.data(), qsizetype(text.size())));
    };
    auto label = [](const std::u16string& text) { return text.substr(0, text.find(u'\t')); };
    int widest = 0;
    for (const auto& record : m_MenuList) widest = std::max(widest, width(label(record->GetWideString()) + u" "));
    for (const auto& record : m_MenuList) {
        const std::u16string& text = record->GetWideString();
        const size_t tab = text.find(u'\t');
        if (tab == std::u16string::npos) continue;
        std::u16string padded = text.substr(0, tab);
        // Blanks are counted out from their width, then the count is corrected a few steps either way for
        // rounding. Adding them one measure at a time never ends where shaping swallows trailing blanks
        // (after right-to-left or joined text), and costs a measure of the whole label per blank.
        const int have = width(padded);
        if (have < widest) {
            const size_t base = padded.size();
            const int blank = std::max(1, width(u" "));
            padded.append(size_t((widest - have + blank - 1) / blank), u' ');
            auto shorterFits = [&] { return padded.size() > base && width(padded.substr(0, padded.size() - 1)) >= widest; };
            for (int step = 0; step < kBlankCorrections && shorterFits(); ++step) padded.pop_back();
            for (int step = 0; step < kBlankCorrections && width(padded) < widest; ++step) padded += u' ';
        }
        record->SetWideString(padded + text.substr(tab));
    }
}

int CzorMenu::GetMenuStart() {
    if (!m_loadedFromResource) return 0;
    for (int i = 0; i < GetMenuItemCount(); ++i) {
        const std::u16string text = GetMenuString(UINT(i), MF_BYPOSITION);
        for (size_t j = 0; j < m_MenuList.size(); ++j)
            if (!text.empty() && m_MenuList[j]->GetWideString() == text) return std::max(0, i - int(j));
    }
    return 0;
}

void CzorMenu::RemoveTopLevelOwnerDraw() {
    const int start = GetMenuStart();
    for (int i = start; i < GetMenuItemCount(); ++i) {
        const HMENU sub = ::GetSubMenu(m_hMenu, i);
        const size_t index = size_t(i - start);
        if (!sub || index >= m_MenuList.size()) continue;
        CzorMenuData* record = m_MenuList[index].get();
        const UINT state = GetMenuState(UINT(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED);
        ::ModifyMenu(m_hMenu, UINT(i), MF_BYPOSITION | MF_POPUP | state, MenuToId(sub), record->GetWideString().c_str());
        record->nFlags = MF_BYPOSITION | MF_POPUP | state;
    }
}

// --- Toolbars ------------------------------------------------------------------------------------------------

namespace {

// The image of each button: separators have none, so button n shows the images counted without them.
int ButtonImage(const zor::ToolbarResource& toolbar, size_t button) {
    int image = 0;
    for (size_t i = 0; i < button; ++i) image += toolbar.commands[i] != 0;
    return image;
}

}  // namespace

BOOL CzorMenu::LoadToolBar(UINT toolbarId) {
    zor::ToolbarResource toolbar;
    if (!zor::FindToolbarResource(int(toolbarId), toolbar)) return FALSE;
    CImageList list;
    if (!list.Create(toolbar.imageWidth, toolbar.imageHeight) || !AddBitmapToImageList(&list, UINT(toolbar.bitmapId)))
        return FALSE;
    for (size_t i = 0; i < toolbar.commands.size(); ++i) {
        const UINT command = toolbar.commands[i];
        if (command == 0 || GetMenuState(command, MF_BYCOMMAND) == kMenuStateNotFound) continue;
        ModifyODMenuW(nullptr, command, &list, ButtonImage(toolbar, i));
    }
    return TRUE;
}

BOOL CzorMenu::LoadToolbars(const UINT* ids, int count) {
    if (!ids) return FALSE;
    BOOL all = TRUE;
    for (int i = 0; i < count; ++i) all &= LoadToolBar(ids[i]) ? TRUE : FALSE;
    return all;
}

BOOL CzorMenu::LoadFromToolBar(UINT command, UINT toolbarId, int& imageIndex) {
    zor::ToolbarResource toolbar;
    if (!zor::FindToolbarResource(int(toolbarId), toolbar)) return FALSE;
    for (size_t i = 0; i < toolbar.commands.size(); ++i)
        if (command != 0 && toolbar.commands[i] == command) {
            imageIndex = ButtonImage(toolbar, i);
            return TRUE;
        }
    return FALSE;
}

void CzorMenu::AddFromToolBar(UINT toolbarId, int bitmapId) {
    zor::ToolbarResource toolbar;
    if (!zor::FindToolbarResource(int(toolbarId), toolbar)) return;
    for (size_t i = 0; i < toolbar.commands.size(); ++i) {
        const UINT command = toolbar.commands[i];
        int position = -1;
        CzorMenu* holder = command ? FindMenuOption(int(command), position) : nullptr;
        CzorMenuData* record = holder ? holder->RecordAt(position) : nullptr;
        if (!record) continue;
        record->nID = bitmapId;
        record->xoffset = ButtonImage(toolbar, i);
        record->nFlags = (record->nFlags | MF_OWNERDRAW) & ~MF_BYPOSITION;
        auto list = std::make_unique<CImageList>();
        list->Create(toolbar.imageWidth, toolbar.imageHeight);
        if (AddBitmapToImageList(list.get(), UINT(bitmapId))) {
            record->bitmap = std::move(list);
        } else {
            record->bitmap.reset();
            record->xoffset = record->nID = -1;
        }
        const UINT state = holder->GetMenuState(UINT(position), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
        ::ModifyMenu(holder->m_hMenu, UINT(position), MF_BYPOSITION | record->nFlags | state, command, nullptr,
                     reinterpret_cast<uintptr_t>(record));
    }
}

// --- Bitmaps and image lists -----------------------------------------------------------------------------

COLORREF CzorMenu::TransparentColour() const {
    return m_bitmapBackgroundFlag ? m_bitmapBackground : MenuSysColor(COLOR_BTNFACE);
}

void CzorMenu::SetBitmapBackground(COLORREF colour) {
    m_bitmapBackground = colour;
    m_bitmapBackgroundFlag = TRUE;
}

void CzorMenu::UnSetBitmapBackground() { m_bitmapBackgroundFlag = FALSE; }

int CzorMenu::NumBitmapColors(const QImage& bitmap) {
    if (bitmap.format() != QImage::Format_Indexed8 && bitmap.format() != QImage::Format_Mono &&
        bitmap.format() != QImage::Format_MonoLSB)
        return 0;
    if (bitmap.colorCount() > 0) return bitmap.colorCount();
    return bitmap.depth() == 1 ? 2 : bitmap.depth() == 4 ? 16 : bitmap.depth() == 8 ? 256 : 0;
}

QImage CzorMenu::LoadSysColorBitmap(int id) {
    QImage bitmap = zor::FindBitmapResource(id);
    if (NumBitmapColors(bitmap) != 16) return {};
    struct Map {
        QRgb from;
        int to;
    };
    static constexpr Map kMap[] = {{0xFF000000, COLOR_BTNTEXT},
                                   {0xFF808080, COLOR_BTNSHADOW},
                                   {0xFFC0C0C0, COLOR_BTNFACE},
                                   {0xFFFFFFFF, COLOR_BTNHIGHLIGHT}};
    QList<QRgb> table = bitmap.colorTable();
    for (QRgb& c : table)
        for (const Map& m : kMap)
            if ((c | 0xFF000000u) == m.from) {
                c = zor::menu::ToRgb(MenuSysColor(m.to));
                break;
            }
    bitmap.setColorTable(table);
    return bitmap;
}

BOOL CzorMenu::AddBitmapToImageList(CImageList* list, UINT bitmapId) {
    if (!list) return FALSE;
    const COLORREF face = MenuSysColor(COLOR_BTNFACE);
    const int first = list->GetImageCount();
    bool added = false;
    const QImage sysColour = LoadSysColorBitmap(int(bitmapId));
    if (!sysColour.isNull()) {
        added = list->Add(sysColour, TransparentColour()) >= 0;
    } else {
        const QImage bitmap = zor::FindBitmapResource(int(bitmapId));
        if (bitmap.isNull()) return FALSE;
        hicolor_bitmaps = 1;
        added = list->Add(zor::menu::Transparent(bitmap, face), face) >= 0;
    }
    if (added && ThreeD())
        for (const QImage& variant : Variants3D(list->GetImage(first))) list->AddImage(variant);
    return added;
}

int CzorMenu::GlobalImageListOffset(int command) {
    for (size_t i = 0; i < m_AllImagesID.size(); ++i)
        if (m_AllImagesID[i] == command) return int(i);
    return -1;
}

BOOL CzorMenu::CanDraw3DImageList(int index) {
    const int count = int(m_AllImagesID.size());
    if (index < 0 || index + 2 >= count) return FALSE;
    return m_AllImagesID[size_t(index + 1)] == m_AllImagesID[size_t(index)] &&
           m_AllImagesID[size_t(index + 2)] == m_AllImagesID[size_t(index)];
}

int CzorMenu::AddToGlobalImageList(const CImageList* list, int index, int command) {
    if (m_AllImages.GetImageSize().isEmpty()) m_AllImages.Create(m_iconX, m_iconY);
    const QImage icon = list ? list->GetImage(index) : QImage();
    if (icon.isNull()) return -1;
    const bool threeD = ThreeD();
    const std::vector<QImage> variants = threeD ? Variants3D(icon) : std::vector<QImage>();
    const int existing = GlobalImageListOffset(command);
    if (existing >= 0) {
        m_AllImages.Replace(existing, icon);
        if (threeD && CanDraw3DImageList(existing))
            for (int k = 0; k < 3 && existing + 1 + k < m_AllImages.GetImageCount(); ++k)
                m_AllImages.Replace(existing + 1 + k, variants[size_t(k)]);
        return existing;
    }
    const int added = m_AllImages.AddImage(icon);
    m_AllImagesID.push_back(command);
    for (const QImage& v : variants) {
        m_AllImages.AddImage(v);
        m_AllImagesID.push_back(command);
    }
    return added;
}

BOOL CzorMenu::ImageListDuplicate(const CImageList* source, int index, CImageList* target) {
    if (!source || !target || index < 0 || index >= source->GetImageCount()) return FALSE;
    const QSize size = source->GetImageSize();
    target->Create(size.width(), size.height());
    const QImage icon = source->GetImage(index);
    target->AddImage(icon);
    if (ThreeD())
        for (const QImage& v : Variants3D(icon)) target->AddImage(v);
    return TRUE;
}

void CzorMenu::LoadCheckmarkBitmap(int unselectedId, int selectedId) {
    if (unselectedId < 1 || selectedId < 1) return;
    checkmapsshare_unselected = unselectedId;
    checkmapsshare_selected = selectedId;
    CImageList* const old = checkmaps;
    const bool owned = checkmaps && !checkmapsshare;
    checkmaps = new CImageList;
    checkmapsshare = FALSE;
    checkmaps->Create(m_iconX, m_iconY);
    auto add = [&](int id) {
        const int before = checkmaps->GetImageCount();
        QImage bitmap = zor::FindBitmapResource(id);
        if (bitmap.isNull()) return false;
        // One picture per bitmap, whatever the strip holds.
        checkmaps->AddImage(zor::menu::Masked(bitmap.copy(0, 0, std::min(bitmap.width(), m_iconX), bitmap.height())
                                                  .convertToFormat(QImage::Format_ARGB32),
                                              TransparentColour() == MenuSysColor(COLOR_BTNFACE) ? RGB(0xC0, 0xC0, 0xC0)
                                                                                                 : TransparentColour()));
        return checkmaps->GetImageCount() == before + 1;
    };
    if (!add(unselectedId) || !add(selectedId)) {
        delete checkmaps;
        checkmaps = nullptr;
    }
    // Popups that borrowed the old pictures take the new ones before the old go.
    std::function<void(CzorMenu*)> lend = [&](CzorMenu* menu) {
        for (const auto& sub : menu->m_ownedSubMenus) {
            if (sub->checkmapsshare && sub->checkmaps == old) {
                sub->checkmaps = checkmaps;
                sub->checkmapsshare_selected = checkmapsshare_selected;
                sub->checkmapsshare_unselected = checkmapsshare_unselected;
            }
            lend(sub.get());
        }
    };
    if (old) lend(this);
    if (owned) delete old;
}
