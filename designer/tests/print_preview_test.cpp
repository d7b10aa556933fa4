// The preview window offscreen: its pages are the printed pages, navigation stops at the ends, zoom,
// close tells its host once; and the command line's preview switch is taken once.
#include <gtest/gtest.h>

#include <QAction>

#include "controls/tests/gui_test_app.h"
#include "designer/print/print_preview.h"
#include "designer/print/printed_report.h"
#include "designer/tests/print_fixture.h"
#include "platform/tests/test_support.h"

namespace {

class PrintPreview : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        print_test::ReportPlan plan;
        plan.page = CSize(5940, 2100);  // two papers across with splitting on
        plan.sheets = {{{300, -400}}, {{300, -400}}};
        std::string error;
        ASSERT_TRUE(print_test::WriteReport(m_dir / "r.zorrep", plan, error)) << error;
        ASSERT_TRUE(m_report.Load(m_dir / "r.zorrep", QM_DICT_DIR "/", error)) << error;
    }

    zor::test::ScopedTempDir m_dir;
    quillmark::CPrintedReport m_report;
};

TEST_F(PrintPreview, ShowsThePrintedPagesAndNavigatesWithinThem) {
    quillmark::PrintJob job = m_report.Job();
    job.settings.splitPage = 1;
    quillmark::CPrintPreviewWindow window(job);
    int closed = 0;
    window.onClosed = [&] { ++closed; };
    window.show();
    EXPECT_EQ(window.PageCount(), 4);
    EXPECT_EQ(window.CurrentPage(), 1);
    auto* previous = window.findChild<QAction*>(quillmark::CPrintPreviewWindow::kPreviousName);
    auto* next = window.findChild<QAction*>(quillmark::CPrintPreviewWindow::kNextName);
    ASSERT_TRUE(previous && next);
    EXPECT_FALSE(previous->isEnabled());
    for (int i = 0; i < 5; ++i) next->trigger();
    EXPECT_EQ(window.CurrentPage(), 4);
    EXPECT_FALSE(next->isEnabled());
    EXPECT_TRUE(previous->isEnabled());
    previous->trigger();
    EXPECT_EQ(window.CurrentPage(), 3);

    const double before = window.ZoomFactor();
    window.findChild<QAction*>(quillmark::CPrintPreviewWindow::kZoomInName)->trigger();
    EXPECT_GT(window.ZoomFactor(), before);
    window.findChild<QAction*>(quillmark::CPrintPreviewWindow::kZoomOutName)->trigger();
    EXPECT_NEAR(window.ZoomFactor(), before, 1e-9);

    window.findChild<QAction*>(quillmark::CPrintPreviewWindow::kCloseName)->trigger();
    window.close();
    EXPECT_EQ(closed, 1);
}

TEST_F(PrintPreview, NoPreviewWithoutThePrintRightOrPages) {
    quillmark::PrintJob job = m_report.Job();
    job.mayPrint = false;
    EXPECT_EQ(quillmark::ShowPrintPreview(job, nullptr), nullptr);
    quillmark::PrintJob none;
    EXPECT_EQ(quillmark::ShowPrintPreview(none, nullptr), nullptr);
    auto* shown = quillmark::ShowPrintPreview(m_report.Job(), nullptr);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->PageCount(), 2);
    delete shown;
}

TEST(PreviewSwitch, TakenOnce) {
    int flag = 1;
    EXPECT_TRUE(quillmark::TakePreviewRequest(flag));
    EXPECT_EQ(flag, 0);
    EXPECT_FALSE(quillmark::TakePreviewRequest(flag));
}

}  // namespace
