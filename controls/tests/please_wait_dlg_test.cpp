#include "controls/waitdlg/please_wait_dlg.h"

#include <vector>

#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>

#include "controls/tests/gui_test_app.h"

namespace {

TEST(WaitAnimation, EachImageShowsForThreeTicksOfNine) {
    CWaitAnimation animation;
    std::vector<int> images, counters;
    for (int tick = 0; tick < 19; ++tick) {
        images.push_back(animation.Tick());
        counters.push_back(animation.Counter());
    }
    EXPECT_EQ(images, (std::vector<int>{0, 0, 1, 1, 1, 2, 2, 2, 0, 0, 0, 1, 1, 1, 2, 2, 2, 0, 0}));
    EXPECT_EQ(counters, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 1}));
}

TEST(PleaseWaitDialog, ShowsTheTextAnimatesAndEndsOnTheTickAfterDone) {
    EnsureGuiApplication();
    bool done = false;
    CPleaseWaitDlg dialog(QStringLiteral("Квиллмарк: Генерация отчета..."), [&done] { return done; });
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Загрузка данных"));
    EXPECT_EQ(dialog.objectName(), QStringLiteral("27530"));
    auto* text = dialog.findChild<QLabel*>(QStringLiteral("1003"));
    auto* icon = dialog.findChild<QLabel*>(QStringLiteral("1002"));
    ASSERT_TRUE(text && icon);
    EXPECT_EQ(text->text(), QStringLiteral("Квиллмарк: Генерация отчета..."));
    EXPECT_EQ(dialog.CurrentImage(), -1);

    std::vector<int> seen;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (dialog.CurrentImage() >= 0 && (seen.empty() || seen.back() != dialog.CurrentImage()))
            seen.push_back(dialog.CurrentImage());
        if (seen.size() >= 4) done = true;
    });
    watch.start(10);
    QTimer::singleShot(10000, &dialog, &QDialog::reject);  // a dialog that never ends fails, not hangs
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);

    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[0], 0);
    for (size_t i = 1; i < seen.size(); ++i) EXPECT_EQ(seen[i], (seen[i - 1] + 1) % 3) << i;
    EXPECT_EQ(icon->pixmap().size(), QSize(32, 32));
}

}  // namespace
