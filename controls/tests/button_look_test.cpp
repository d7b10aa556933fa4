#include "controls/dialogs/button_look.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/gdi/sys_colors.h"
#include "platform/text/utf8.h"

namespace {

using namespace zor;

TEST(ButtonLook, SettersAnswerWithTheirStatusCodes) {
    CButtonLook look;
    COLORREF c = 0;
    EXPECT_EQ(look.SetColor(6, RGB(1, 2, 3)), kButtonBadColorIndex);
    EXPECT_EQ(look.GetColor(6, &c), kButtonBadColorIndex);
    for (uint8_t i = 0; i < 6; ++i) {
        ASSERT_EQ(look.GetColor(i, &c), kButtonOk);
        EXPECT_EQ(c, GetSysColor(i % 2 == 0 ? COLOR_BTNFACE : COLOR_BTNTEXT)) << int(i);
    }
    EXPECT_EQ(look.SetColor(kColorFgFocus, RGB(1, 2, 3)), kButtonOk);
    EXPECT_EQ(look.GetColor(kColorFgFocus, &c), kButtonOk);
    EXPECT_EQ(c, RGB(1, 2, 3));
    EXPECT_EQ(look.SetAlign(3), kButtonBadAlign);
    EXPECT_EQ(look.GetAlign(), kAlignImageLeft);
    EXPECT_EQ(look.SetAlign(kAlignImageRight), kButtonOk);
    EXPECT_EQ(look.GetAlign(), kAlignImageRight);
    EXPECT_EQ(look.SetDefaultColors(), kButtonOk);
    EXPECT_EQ(look.GetColor(kColorFgFocus, &c), kButtonOk);
    EXPECT_EQ(c, GetSysColor(COLOR_BTNTEXT));
}

TEST(ButtonLook, StylesMakeCheckBoxesAndDefaultButtons) {
    struct Case { unsigned style; bool checkBox, isDefault; unsigned type; };
    const Case cases[] = {
        {BS_PUSHBUTTON, false, false, BS_PUSHBUTTON},
        {BS_DEFPUSHBUTTON, false, true, BS_PUSHBUTTON},
        {BS_CHECKBOX, true, false, BS_CHECKBOX},
        {BS_AUTOCHECKBOX | 0x100, true, false, BS_AUTOCHECKBOX},
        {6, true, false, 6},  // any type with the bit of value 2
    };
    for (const auto& c : cases) {
        CButtonLook look;
        look.Subclass(c.style);
        EXPECT_EQ(look.IsCheckBox(), c.checkBox) << c.style;
        EXPECT_EQ(look.GetDefault(), c.isDefault) << c.style;
        EXPECT_EQ(look.ButtonType(), c.type) << c.style;
    }
    CButtonLook look;
    look.Subclass(BS_PUSHBUTTON);
    look.ChangeStyle(BS_DEFPUSHBUTTON);
    EXPECT_TRUE(look.GetDefault());
    look.ChangeStyle(BS_CHECKBOX);  // not a push-button type: the flag stays
    EXPECT_TRUE(look.GetDefault());
    look.ChangeStyle(BS_PUSHBUTTON);
    EXPECT_FALSE(look.GetDefault());
}

TEST(ButtonLook, CheckBoxesLookPressedWhileCheckedAndPushButtonsHaveNoCheck) {
    CButtonLook push;
    EXPECT_EQ(push.SetCheck(1), kButtonOk);
    EXPECT_EQ(push.GetCheck(), 0);
    ButtonPaintState rest;
    EXPECT_FALSE(push.IsPressed(rest));
    ButtonPaintState menu;
    menu.menuShowing = true;
    EXPECT_TRUE(push.IsPressed(menu));

    CButtonLook box;
    box.Subclass(BS_AUTOCHECKBOX);
    box.SetCheck(7);
    EXPECT_EQ(box.GetCheck(), 1);
    EXPECT_TRUE(box.IsPressed(rest));
    EXPECT_FALSE(box.ShiftsWhenPressed(rest));  // a check box never moves its caption
    EXPECT_FALSE(box.IsPressed(menu) && box.GetCheck() == 0);
    box.Toggle();
    EXPECT_EQ(box.GetCheck(), 0);
    EXPECT_FALSE(box.IsPressed(rest));
    EXPECT_FALSE(box.IsPressed(menu));  // a check box's look is its check, not a menu
}

TEST(ButtonLook, BordersBackgroundsAndTextColoursByState) {
    CButtonLook look;
    for (uint8_t i = 0; i < 6; ++i) look.SetColor(i, RGB(i, i, i));
    ButtonPaintState rest, pressed, focused;
    pressed.selected = true;
    focused.focused = true;

    // Flat: nothing at rest, raised while hovered, sunken while pressed, none with the border off.
    EXPECT_EQ(look.Border(rest), ButtonBorder::None);
    EXPECT_EQ(look.Border(pressed), ButtonBorder::FlatSunken);
    EXPECT_EQ(look.OnMouseMove(false, true, true), HoverChange::Start);
    EXPECT_EQ(look.Border(rest), ButtonBorder::FlatRaised);
    EXPECT_EQ(look.Background(rest), RGB(0, 0, 0));
    EXPECT_EQ(look.TextColor(rest), RGB(1, 1, 1));
    look.DrawBorder(false);
    EXPECT_EQ(look.Border(rest), ButtonBorder::None);
    EXPECT_EQ(look.Border(pressed), ButtonBorder::None);
    look.DrawBorder(true);
    EXPECT_EQ(look.EndHover(), HoverChange::End);

    // Focused: background colour 4, but the text keeps colour 3, never 5.
    EXPECT_EQ(look.Background(focused), RGB(4, 4, 4));
    EXPECT_EQ(look.TextColor(focused), RGB(3, 3, 3));
    EXPECT_EQ(look.Background(rest), RGB(2, 2, 2));
    EXPECT_EQ(look.Background(pressed), RGB(0, 0, 0));
    EXPECT_EQ(look.TextColor(pressed), RGB(1, 1, 1));
    EXPECT_FALSE(look.DrawsFocus(focused));
    look.DrawFlatFocus(true);
    EXPECT_TRUE(look.DrawsFocus(focused));
    EXPECT_FALSE(look.DrawsOuterFrame(focused));

    look.SetFlat(false);
    EXPECT_EQ(look.Border(rest), ButtonBorder::Classic);
    EXPECT_EQ(look.Border(pressed), ButtonBorder::ShadowFrame);
    EXPECT_TRUE(look.DrawsOuterFrame(focused));
    EXPECT_FALSE(look.DrawsOuterFrame(rest));
    look.Subclass(BS_DEFPUSHBUTTON);
    EXPECT_TRUE(look.DrawsOuterFrame(rest));
}

TEST(ButtonLook, HoverFollowsTheTrackingRules) {
    struct Step { bool leftHeld, over, active; HoverChange expected; };
    CButtonLook look;
    const Step steps[] = {
        {false, true, false, HoverChange::None},   // no active window, no tracking
        {true, true, true, HoverChange::None},     // dragging onto the button does not hover it
        {false, true, true, HoverChange::Start},
        {false, true, true, HoverChange::None},    // already hovered
        {true, true, true, HoverChange::None},     // held while hovered: stays
        {true, false, true, HoverChange::End},
    };
    for (size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(look.OnMouseMove(steps[i].leftHeld, steps[i].over, steps[i].active), steps[i].expected) << i;
    look.SetAlwaysTrack(true);
    EXPECT_EQ(look.OnMouseMove(false, true, false), HoverChange::Start);
    EXPECT_EQ(look.EndHover(), HoverChange::End);
    EXPECT_EQ(look.EndHover(), HoverChange::None);
    look.SetFlat(false);
    EXPECT_EQ(look.OnMouseMove(false, true, true), HoverChange::None);  // the classic look never hovers
}

TEST(ButtonLook, ImagePairIsChosenByState) {
    CButtonLook look;
    ButtonPaintState rest, pressed;
    pressed.selected = true;
    EXPECT_EQ(look.ImageIndex(rest, true), 1);
    EXPECT_EQ(look.ImageIndex(pressed, true), 0);
    EXPECT_EQ(look.ImageIndex(rest, false), 0);  // without a second image the first shows always
    look.OnMouseMove(false, true, true);
    EXPECT_EQ(look.ImageIndex(rest, true), 0);
    CButtonLook box;
    box.Subclass(BS_CHECKBOX);
    box.OnMouseMove(false, true, true);
    EXPECT_EQ(box.ImageIndex(rest, true), 1);  // a check box shows its "in" image only when pressed
    box.SetCheck(1);
    EXPECT_EQ(box.ImageIndex(rest, true), 0);
}

TEST(ButtonLook, PlacementTable) {
    struct Case { uint8_t align; bool caption, pressed; CRect image, caption_; };
    const CRect item(0, 0, 100, 40);
    const CSize img(16, 15);
    const Case cases[] = {
        {0, true, false, {3, 12, 19, 27}, {19, 0, 100, 40}},
        {0, false, false, {42, 12, 58, 27}, {0, 0, 100, 40}},
        {1, true, false, {42, 3, 58, 18}, {0, 15, 100, 40}},
        {1, false, false, {42, 12, 58, 27}, {0, 0, 100, 40}},
        {2, true, false, {81, 12, 97, 27}, {3, 0, 81, 40}},
        {2, false, false, {42, 0, 58, 15}, {0, 0, 100, 40}},
        {0, true, true, {4, 13, 20, 28}, {19, 0, 100, 40}},
    };
    for (const auto& c : cases) {
        CButtonLook look;
        look.SetAlign(c.align);
        ButtonPaintState s;
        s.selected = c.pressed;
        const ButtonPlacement p = look.Place(item, img, c.caption, s);
        EXPECT_EQ(p.image, c.image) << int(c.align) << c.caption << c.pressed;
        EXPECT_EQ(p.caption, c.caption_) << int(c.align) << c.caption << c.pressed;
    }
}

TEST(ButtonLook, LinkTargetKeepsAtMost260WholeCharacters) {
    CButtonLook look;
    const std::string cyrillic = "https://пример.рф/" + std::string(300, 'a');
    look.SetURL(cyrillic);
    EXPECT_EQ(Utf8Length(look.GetURL()), kButtonUrlMax);
    std::string twoByte;
    for (int i = 0; i < 300; ++i) twoByte += "ж";
    look.SetURL(twoByte);
    EXPECT_EQ(look.GetURL().size(), 520u);
    EXPECT_EQ(Utf8Length(look.GetURL()), 260);
    look.SetURL("mailto:a@b.c");
    EXPECT_EQ(look.GetURL(), "mailto:a@b.c");
}

}  // namespace
