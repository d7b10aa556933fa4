#include "controls/dialogs/button.h"

#include <string>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QMouseEvent>
#include <QPalette>
#include <gtest/gtest.h>

#include "controls/desktop_opener.h"
#include "controls/stock_icons.h"
#include "controls/tests/gui_fixture.h"
#include "controls/tests/mouse_events.h"

namespace {

// Colours as 8-bit RGB, the precision the button paints with.
QColor Role(QPalette::ColorRole role) {
    return QColor::fromRgb(QApplication::palette().color(QPalette::Active, role).rgb());
}

struct Rendered {
    QImage image;
    QColor at(int x, int y) const { return QColor::fromRgb(image.pixel(x, y)); }
};

Rendered Render(QWidget& w) { return {w.grab().toImage()}; }

void Move(QWidget& w, QPoint pos) { SendMouse(&w, QEvent::MouseMove, pos); }

void Click(QWidget& w, QEvent::Type pressType = QEvent::MouseButtonPress) {
    SendClick(&w, QPoint(w.width() / 2, w.height() / 2), Qt::LeftButton, pressType);
}

class ButtonTest : public GuiFixture {
protected:
    void SetUp() override {
        parent.resize(300, 100);
        button = new CzorButton(&parent);
        button->setGeometry(10, 10, 80, 30);
        next = new CzorButton(&parent);
        next->setGeometry(100, 10, 80, 30);
        for (uint8_t i = 0; i < 6; ++i) button->SetColor(i, i % 2 ? RGB(0, 0, 0) : RGB(0x20 * (i + 1), 0x10, 0x10));
    }
    QWidget parent;
    CzorButton* button = nullptr;
    CzorButton* next = nullptr;
};

TEST_F(ButtonTest, ClassicLookDrawsTheFourLinesAndTheSunkenFrameWhenPressed) {
    button->SetFlat(false);
    Rendered r = Render(*button);
    const int mid = 15;
    EXPECT_EQ(r.at(0, mid), Role(QPalette::Light));
    EXPECT_EQ(r.at(1, mid), Role(QPalette::Midlight));
    EXPECT_EQ(r.at(79, mid), Role(QPalette::Shadow));
    EXPECT_EQ(r.at(78, mid), Role(QPalette::Dark));
    EXPECT_EQ(r.at(40, 0), Role(QPalette::Light));
    EXPECT_EQ(r.at(40, 29), Role(QPalette::Shadow));
    EXPECT_EQ(r.at(40, 28), Role(QPalette::Dark));
    EXPECT_EQ(r.at(5, 5), QColor(0x60, 0x10, 0x10));  // colour 2 at rest

    button->setDown(true);
    r = Render(*button);
    EXPECT_EQ(r.at(0, mid), Role(QPalette::Dark));
    EXPECT_EQ(r.at(79, mid), Role(QPalette::Dark));
    EXPECT_EQ(r.at(5, 5), QColor(0x20, 0x10, 0x10));  // colour 0 while pressed
    button->setDown(false);

    // The default button has a black frame outside the lines.
    button->Subclass(BS_DEFPUSHBUTTON);
    r = Render(*button);
    EXPECT_EQ(r.at(0, mid), QColor(Qt::black));
    EXPECT_EQ(r.at(1, mid), Role(QPalette::Light));
}

TEST_F(ButtonTest, FlatLookShowsItsBorderOnlyWhileHovered) {
    button->SetAlwaysTrack(true);  // no active window offscreen
    Rendered r = Render(*button);
    EXPECT_EQ(r.at(0, 15), QColor(0x60, 0x10, 0x10));
    EXPECT_EQ(r.at(79, 15), QColor(0x60, 0x10, 0x10));
    Move(*button, QPoint(40, 15));
    ASSERT_TRUE(button->Look().IsHovered());
    r = Render(*button);
    EXPECT_EQ(r.at(0, 15), Role(QPalette::Light));
    EXPECT_EQ(r.at(79, 15), Role(QPalette::Dark));
    EXPECT_EQ(r.at(5, 5), QColor(0x20, 0x10, 0x10));
    button->DrawBorder(false);
    r = Render(*button);
    EXPECT_EQ(r.at(0, 15), QColor(0x20, 0x10, 0x10));
    button->DrawBorder(true);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_FALSE(button->Look().IsHovered());
}

TEST_F(ButtonTest, ImagesTakeTheirPlaceAndTheCaptionIsDrawnInTheRestColour) {
    EXPECT_EQ(button->SetIcon(GetZorStdIco16(0)), zor::kButtonOk);
    EXPECT_EQ(button->SetBitmaps(QPixmap(), 0), zor::kButtonBadImage);
    QPixmap red(10, 10);
    red.fill(Qt::red);
    QPixmap blue(10, 10);
    blue.fill(QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(button->SetBitmaps(red, RGB(0xC0, 0xC0, 0xC0), blue, RGB(0xC0, 0xC0, 0xC0)), zor::kButtonOk);
    button->SetAlign(zor::kAlignImageLeft);
    // No caption: the out image is centred, and it is all transparent.
    Rendered r = Render(*button);
    EXPECT_EQ(r.at(40, 15), QColor(0x60, 0x10, 0x10));
    button->setDown(true);  // pressed: the in image, moved by (1, 1)
    r = Render(*button);
    // Centred at (35, 10), moved by (1, 1), drawn one pixel right of its left edge.
    EXPECT_EQ(r.at(37, 11), QColor(Qt::red));
    EXPECT_EQ(r.at(46, 20), QColor(Qt::red));
    EXPECT_EQ(r.at(36, 11), QColor(0x20, 0x10, 0x10));
    EXPECT_EQ(r.at(37, 10), QColor(0x20, 0x10, 0x10));
    button->setDown(false);

    button->SetBitmaps(QPixmap(), 0);
    button->setText("WWWWWW");
    button->SetColor(zor::kColorFgOut, RGB(0, 0, 0xFF));
    button->SetColor(zor::kColorFgFocus, RGB(0xFF, 0, 0));
    button->setFocus();
    r = Render(*button);
    bool blue_text = false, red_text = false;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x) {
            blue_text = blue_text || r.at(x, y) == QColor(0, 0, 0xFF);
            red_text = red_text || r.at(x, y) == QColor(0xFF, 0, 0);
        }
    EXPECT_TRUE(blue_text);
    EXPECT_FALSE(red_text);
}

TEST_F(ButtonTest, TransparentModeShowsTheParentUnderneath) {
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(0, 0x80, 0));
    parent.setPalette(pal);
    parent.setAutoFillBackground(true);
    button->setText("Прозрачная");
    EXPECT_EQ(Render(parent).at(12, 12), QColor(0x60, 0x10, 0x10));  // its own background first
    button->DrawTransparent(true);
    EXPECT_EQ(QColor::fromRgb(parent.grab().toImage().pixel(12, 12)), QColor(0, 0x80, 0));
    button->DrawTransparent(false);
    EXPECT_EQ(Render(parent).at(12, 12), QColor(0x60, 0x10, 0x10));
}

TEST_F(ButtonTest, ADoubleClickCountsAsASecondPress) {
    int clicks = 0;
    QObject::connect(button, &QAbstractButton::clicked, [&] { ++clicks; });
    Click(*button);
    Click(*button, QEvent::MouseButtonDblClick);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonTest, CheckBoxTogglesOnEveryClick) {
    button->Subclass(BS_AUTOCHECKBOX);
    Click(*button);
    EXPECT_EQ(button->GetCheck(), 1);
    Click(*button);
    EXPECT_EQ(button->GetCheck(), 0);
    next->SetCheck(1);
    EXPECT_EQ(next->GetCheck(), 0);  // a push button has no check
}

TEST_F(ButtonTest, DisablingTheFocusedButtonMovesTheFocusOn) {
    parent.show();
    QApplication::setActiveWindow(&parent);
    button->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), button);
    button->setEnabled(false);
    EXPECT_EQ(QApplication::focusWidget(), next);
    parent.hide();
}

TEST_F(ButtonTest, DropMenuShowsTheFirstSubmenuAtTheBottomLeftAndLooksPressed) {
    EXPECT_EQ(button->SetMenu(new QMenu, &parent), zor::kButtonBadImage);
    auto* menu = new QMenu;
    menu->addAction("plain");
    QMenu* first = menu->addMenu("first");
    first->addAction("Свойства");
    menu->addMenu("second");
    ASSERT_EQ(button->SetMenu(menu, &parent), zor::kButtonOk);
    std::vector<QMenu*> shown;
    QPoint where;
    QWidget* owner = nullptr;
    bool pressedLook = false;
    button->SetMenuTracker([&](QMenu* popup, const QPoint& at, QWidget* o) {
        shown.push_back(popup);
        where = at;
        owner = o;
        pressedLook = button->IsMenuShowing();
    });
    Click(*button);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], first);
    EXPECT_EQ(where, button->mapToGlobal(QPoint(0, 30)));
    EXPECT_EQ(owner, &parent);
    EXPECT_TRUE(pressedLook);
    EXPECT_FALSE(button->IsMenuShowing());

    // A menu its owner deleted is not deleted again; a replaced one is deleted.
    auto* owned = new QMenu(&parent);
    owned->addMenu("x");
    ASSERT_EQ(button->SetMenu(owned, &parent), zor::kButtonOk);
    delete owned;
    auto* next = new QMenu;
    next->addMenu("y");
    QPointer<QMenu> watch(next);
    ASSERT_EQ(button->SetMenu(next, &parent), zor::kButtonOk);
    button->SetMenu(nullptr, nullptr);
    EXPECT_TRUE(watch.isNull());
}

TEST_F(ButtonTest, LinkTargetOpensThroughTheDesktopOncePerClick) {
    std::vector<std::string> opened;
    auto previous = zor::SetUrlOpener([&](const std::string& t) { opened.push_back(t); return true; });
    button->SetURL("mailto:support@example.org");
    Click(*button);
    button->SetURL(nullptr);
    Click(*button);
    zor::SetUrlOpener(previous);
    EXPECT_EQ(opened, (std::vector<std::string>{"mailto:support@example.org"}));
}

TEST_F(ButtonTest, VersionTooltipAndCursor) {
    EXPECT_EQ(CzorButton::GetVersionI(), 34);
    EXPECT_STREQ(CzorButton::GetVersionC(), "3.4");
    button->SetTooltipText("Добавить");
    EXPECT_EQ(button->toolTip(), QStringLiteral("Добавить"));
    button->ActivateTooltip(false);
    EXPECT_TRUE(button->toolTip().isEmpty());
    button->SetTooltipText(nullptr);
    button->ActivateTooltip(true);
    EXPECT_EQ(button->toolTip(), QStringLiteral("Добавить"));
    const QCursor hand(Qt::PointingHandCursor);
    EXPECT_EQ(button->SetBtnCursor(&hand), zor::kButtonOk);
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(button->SetBtnCursor(nullptr), zor::kButtonOk);
    EXPECT_EQ(button->cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
