#include "controls/bars/rebar.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QToolBar>

#include "controls/dialogs/button.h"
#include "controls/resources/bitmaps.h"
#include "controls/tests/gui_fixture.h"

namespace {

// The logo button as it is drawn.
QImage Shown(const CzorReBar& bar) { return bar.LogoButton()->grab().toImage(); }
QImage Frame(const CzorReBar& bar, int index) {
    return bar.Frames().GetImage(index).convertToFormat(QImage::Format_ARGB32);
}

struct ReBarFixture : GuiFixture {
    CzorReBar bar;
};

TEST_F(ReBarFixture, TheStripsAreThirtyFourFramesAndTheDepthChoosesOne) {
    struct Strip { int id, colours; } strips[] = {{zor::IDB_ZOR_LOGO_FRAMES16, 16}, {zor::IDB_ZOR_LOGO_FRAMES256, 256}};
    for (const Strip& s : strips) {
        const QImage image = zor::LoadVistrelBitmap(s.id);
        EXPECT_EQ(image.size(), QSize(1224, 20)) << s.id;
        EXPECT_EQ(image.colorCount(), s.colours) << s.id;
    }
    struct Depth { int bits, id; } depths[] = {{1, 1063}, {4, 1063}, {8, 1063}, {16, 1068}, {24, 1068}, {32, 1068}};
    for (const Depth& d : depths) {
        EXPECT_EQ(zor::LogoFramesBitmapId(d.bits), d.id) << d.bits;
        CzorReBar fresh;
        fresh.SetDepthProvider([&](const QWidget*) { return d.bits; });
        ASSERT_TRUE(fresh.CreateLogoBar());
        EXPECT_EQ(fresh.FramesBitmapId(), d.id) << d.bits;
        EXPECT_EQ(fresh.Frames().GetImageCount(), 34);
        EXPECT_EQ(fresh.Frames().GetImageSize(), QSize(36, 20));
        EXPECT_EQ(qAlpha(Frame(fresh, 0).pixel(0, 0)), 0) << "light grey is transparent";
    }
}

TEST_F(ReBarFixture, TheAnimationCyclesPairsOneToSixteenThroughTheTimer) {
    bar.StartAnimation(false);  // before the logo band: nothing
    bar.StartAnimation(true);
    EXPECT_FALSE(bar.IsLogoBarCreated());
    EXPECT_EQ(bar.LogoButton(), nullptr);
    EXPECT_FALSE(bar.IsTimerRunning());

    ASSERT_TRUE(bar.CreateLogoBar());
    EXPECT_EQ(bar.CurrentPair(), -1);
    EXPECT_EQ(bar.ShownPair(), 0);
    const QImage resting = Shown(bar);
    EXPECT_TRUE(bar.CreateLogoBar());  // once only
    EXPECT_EQ(bar.Bands().size(), 1u);

    bar.StartAnimation(true);
    EXPECT_TRUE(bar.IsTimerRunning());
    struct Tick { int ticks, pair; } table[] = {{0, 1}, {1, 2}, {14, 15}, {15, 16}, {16, 1}, {17, 2}, {32, 1}};
    int done = 0;
    for (const Tick& t : table) {
        for (; done < t.ticks; ++done) bar.OnTimer(CzorReBar::kAnimationTimer);
        EXPECT_EQ(bar.CurrentPair(), t.pair) << t.ticks << " ticks";
        EXPECT_EQ(bar.ShownPair(), t.pair) << t.ticks << " ticks";
    }
    EXPECT_NE(Shown(bar), resting);  // the pictures differ from pair to pair
    bar.OnTimer(CzorReBar::kAnimationTimer);
    const QImage second = Shown(bar);
    EXPECT_NE(second, resting);
    bar.StartAnimation(true);
    EXPECT_NE(Shown(bar), second);
    bar.OnTimer(7);  // another timer's tick moves nothing
    EXPECT_EQ(bar.CurrentPair(), 1);

    for (int i = 0; i < 5; ++i) bar.OnTimer(CzorReBar::kAnimationTimer);
    bar.StartAnimation(true);  // a second start restarts
    EXPECT_EQ(bar.CurrentPair(), 1);

    bar.StartAnimation(false);
    EXPECT_FALSE(bar.IsTimerRunning());
    EXPECT_EQ(bar.CurrentPair(), -1);
    EXPECT_EQ(bar.ShownPair(), 0);
    EXPECT_EQ(Shown(bar), resting);
    bar.OnTimer(CzorReBar::kAnimationTimer);  // resting: ticks do nothing
    EXPECT_EQ(bar.CurrentPair(), -1);
}

TEST_F(ReBarFixture, ACycleSetLongerThanTheStripWrapsAtItsEnd) {
    ASSERT_TRUE(bar.CreateLogoBar());
    const int saved = CzorReBar::MaxButtonCount;
    CzorReBar::MaxButtonCount = 40;
    bar.StartAnimation(true);
    for (int i = 0; i < 15; ++i) bar.OnTimer(CzorReBar::kAnimationTimer);
    EXPECT_EQ(bar.CurrentPair(), 16);
    bar.OnTimer(CzorReBar::kAnimationTimer);
    EXPECT_EQ(bar.CurrentPair(), 1);
    CzorReBar::MaxButtonCount = 5;  // a shorter cycle is kept
    for (int i = 0; i < 4; ++i) bar.OnTimer(CzorReBar::kAnimationTimer);
    EXPECT_EQ(bar.CurrentPair(), 1);
    CzorReBar::MaxButtonCount = saved;
}

TEST_F(ReBarFixture, TheLogoOpensTheAboutBoxAndSitsOverTheBackgroundOfEveryBand) {
    auto* band = new QWidget;
    band->setFixedSize(60, 28);
    bar.AddBand(band);
    QPixmap background(8, 8);
    background.fill(QColor(0, 128, 0));
    ASSERT_TRUE(bar.CreateLogoBar(&background));
    auto* later = new QWidget;
    later->setFixedSize(40, 28);
    bar.AddBand(later);
    ASSERT_EQ(bar.Bands().size(), 3u);
    EXPECT_EQ(bar.Bands()[1].data(), later);  // the logo band stays last
    EXPECT_EQ(bar.Bands()[2].data(), bar.LogoBand());

    int commands = 0, last = 0;
    QObject::connect(&bar, &CzorReBar::command, [&](int id) { ++commands, last = id; });
    bar.LogoButton()->click();
    EXPECT_EQ(commands, 1);
    EXPECT_EQ(last, 57664);

    bar.resize(400, 30);
    bar.show();
    const QImage shot = bar.grab().toImage();
    const QRect logo = bar.LogoButton()->geometry().translated(bar.LogoBand()->pos());
    const QColor green(0, 128, 0);
    EXPECT_EQ(shot.pixelColor(band->geometry().center()), green);
    EXPECT_EQ(shot.pixelColor(later->geometry().center()), green);
    EXPECT_EQ(shot.pixelColor(bar.LogoBand()->pos() + QPoint(1, 1)), green);
    EXPECT_EQ(shot.pixelColor(logo.topLeft()), green) << "the frame's light grey corner is transparent";

    bar.SetBitmap(nullptr);
    EXPECT_TRUE(bar.Background().isNull());
    EXPECT_NE(bar.grab().toImage().pixelColor(band->geometry().center()), green);
}

}  // namespace
