#pragma once
// The push button (and check box) of the system's dialogs: paints itself in a classic
// three-dimensional or a flat look, shows an icon or bitmap pair beside or above its caption,
// changes colours while hovered, and can carry a tooltip, a cursor, a drop menu and a link target.
// The rules live in CButtonLook; this widget paints them.
#include <functional>
#include <memory>
#include <string>

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>

#include "controls/dialogs/button_look.h"

class CzorMenu;
class QMenu;
class QPainter;

class CzorButton : public QPushButton {
    Q_OBJECT
public:
    explicit CzorButton(QWidget* parent = nullptr);
    ~CzorButton() override;

    static int GetVersionI() { return 34; }
    static const char* GetVersionC() { return "3.4"; }

    // Takes the button over with a button style (BS_...): its type, check-box mode, default flag.
    void Subclass(unsigned style);
    // A style change later on (the default flag follows a push-button type).
    void SetButtonStyle(unsigned style);

    // The button keeps its own copies; a null first icon clears the images. An icon's size is its
    // largest pixmap's; an icon without any pixmap gives 1 and leaves no images.
    uint32_t SetIcon(const QIcon& in, const QIcon& out = QIcon());
    // Each bitmap drawn without the pixels of its transparent colour.
    uint32_t SetBitmaps(const QPixmap& in, COLORREF transparentIn, const QPixmap& out = QPixmap(),
                        COLORREF transparentOut = 0);
    // The same by resource number, found through the resource chain; the second only when nonzero. An
    // icon is the bitmap of that number with light grey (0xC0C0C0) transparent, as all our artwork is. A
    // nonzero number that names no bitmap gives 1 and leaves no images; a first number 0 clears them.
    uint32_t SetIcon(int idIn, int idOut = 0);
    uint32_t SetBitmaps(int idIn, COLORREF transparentIn, int idOut = 0, COLORREF transparentOut = 0);
    uint32_t SetFlat(bool flat, bool repaint = true);
    uint32_t SetAlign(uint8_t align, bool repaint = true);
    uint32_t SetCheck(int check, bool repaint = true);
    int GetCheck() const { return m_look.GetCheck(); }
    uint32_t SetDefaultColors(bool repaint = true);
    uint32_t SetColor(uint8_t index, COLORREF color, bool repaint = true);
    uint32_t GetColor(uint8_t index, COLORREF* color) const { return m_look.GetColor(index, color); }
    uint32_t SetAlwaysTrack(bool on = true) { return m_look.SetAlwaysTrack(on); }
    // Null clears it; a bitmap cursor without a picture gives 1.
    uint32_t SetBtnCursor(const QCursor* cursor, bool repaint = true);
    uint32_t DrawBorder(bool on = true, bool repaint = true);
    uint32_t DrawFlatFocus(bool on, bool repaint = true);
    void SetTooltipText(const char* text, bool activate = true);
    // The text of the string resource; a missing or empty string changes nothing.
    void SetTooltipText(int id, bool activate = true);
    void ActivateTooltip(bool activate = true);
    bool GetDefault() const { return m_look.GetDefault(); }
    uint32_t DrawTransparent(bool on, bool repaint = true);
    uint32_t SetURL(const char* url);
    const std::string& GetURL() const { return m_look.GetURL(); }

    // Shows a drop menu on a click: the first submenu of `menu`, at the bottom-left corner, its
    // commands (the actions) going to `owner`. The button keeps the menu and deletes it when it is
    // replaced. Null clears it; a menu without a submenu gives 1.
    uint32_t SetMenu(QMenu* menu, QWidget* owner, bool repaint = true);
    // The menu resource of that number; a chosen command goes to the owner's command handler
    // (CzorMenu::SetCommandHandler). 0 clears the menu; 1 when no menu has that number.
    uint32_t SetMenu(unsigned menuId, QWidget* owner, bool repaint = true);
    // How a drop menu is shown: a plain QMenu::exec unless replaced (an owner-drawn menu, a test).
    using MenuTracker = std::function<void(QMenu* popup, const QPoint& globalPos, QWidget* owner)>;
    void SetMenuTracker(MenuTracker tracker) { m_tracker = std::move(tracker); }
    bool IsMenuShowing() const { return m_menuShowing; }

    const zor::CButtonLook& Look() const { return m_look; }

protected:
    // Fill the background; the flat look's hover and pressed border. Status 0.
    virtual uint32_t OnDrawBackground(QPainter& painter, const CRect& rect);
    virtual uint32_t OnDrawBorder(QPainter& painter, const CRect& rect);

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

    zor::ButtonPaintState PaintState() const;

private:
    struct Image {
        QPixmap pixmap;  // icons and masked bitmaps alike
        QIcon icon;      // icons keep their disabled look
        CSize size;
    };
    void OnClicked();
    void ShowDropMenu();
    void FreeImages();
    void DropMenu();
    void Repaint(bool repaint) { if (repaint) update(); }
    void ApplyHover(zor::HoverChange change);

    zor::CButtonLook m_look;
    Image m_images[2];
    int m_imageCount = 0;
    bool m_transparent = false;
    bool m_menuShowing = false;
    QPointer<QMenu> m_menu;  // ours to delete, unless something else deleted it first
    std::unique_ptr<CzorMenu> m_menuResource;  // the loaded resource the menu shows, when it came from one
    QPointer<QWidget> m_menuOwner;
    MenuTracker m_tracker;
    QString m_tooltip;
};
