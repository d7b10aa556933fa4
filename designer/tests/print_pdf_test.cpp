// The page loop printed: reports loaded as the command line loads them, printed to PDF through Qt's PDF
// printer (the same QPrinter path as a real queue), counted and measured by pdfinfo and checked by
// regions after pdftoppm; the preview's marks and the empty pages of a user without the print right drawn
// into images; and the real program's print switches.
#include <gtest/gtest.h>

#include <filesystem>

#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include "controls/tests/gui_test_app.h"
#include "designer/print/printed_report.h"
#include "designer/print/report_printer.h"
#include "designer/tests/batch_fixture.h"
#include "designer/tests/print_fixture.h"
#include "platform/gdi/dc.h"
#include "report/model/report_sheet.h"
#include "platform/tests/test_support.h"

namespace {

using print_test::Bar;
using print_test::BarShows;
using print_test::GreyImage;
using print_test::ReportPlan;

constexpr int kDpi = 50;
constexpr double kA4Long = 841.89;   // points
constexpr double kA4Short = 595.28;

class PrintToPdf : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return m_dir.Path() + "/" + name; }

    // Writes the report, loads it as the print switches do and prints it to a PDF with the margins (mm).
    std::string Print(const ReportPlan& plan, int split = 0, double marginMm = 0) {
        const std::string report = Path("report.zorrep");
        std::string error;
        EXPECT_TRUE(print_test::WriteReport(report, plan, error)) << error;
        quillmark::CPrintedReport printed;
        EXPECT_TRUE(printed.Load(report, QM_DICT_DIR "/", error)) << error;
        quillmark::PrintJob job = printed.Job();
        job.settings.splitPage = split;
        const std::string pdf = Path("out.pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(marginMm, marginMm, marginMm, marginMm), QPageLayout::Millimeter);
        quillmark::PreparePrinter(printer, job.settings);
        EXPECT_TRUE(quillmark::PrintPages(printer, job, false, &error)) << error;
        return pdf;
    }

    std::vector<GreyImage> Render(const std::string& pdf) {
        const std::string folder = Path("pages");
        std::filesystem::create_directories(folder);
        return print_test::RenderPdf(pdf, kDpi, folder);
    }

    void SetUp() override {
        EnsureGuiApplication();
        if (print_test::RunCommand("command -v pdftoppm >/dev/null && command -v pdfinfo >/dev/null").first != 0)
            GTEST_SKIP() << "poppler-utils (pdftoppm, pdfinfo) are not installed";
    }

private:
    zor::test::ScopedTempDir m_dir;
};

TEST_F(PrintToPdf, ThreeSheetsOneLandscapePageEachWhateverTheMargins) {
    ReportPlan plan;
    const std::vector<Bar> bars = {{300, -400}, {1000, -800}, {1700, -1600}};
    for (const Bar& bar : bars) plan.sheets.push_back({bar});
    // 10 mm margins: the physical offset puts the page's corner on the paper's corner all the same.
    const std::string pdf = Print(plan, 0, 10);
    const auto info = print_test::ReadPdfInfo(pdf);
    EXPECT_EQ(info.pages, 3);
    EXPECT_NEAR(info.width, kA4Long, 1);
    EXPECT_NEAR(info.height, kA4Short, 1);
    const auto pages = Render(pdf);
    ASSERT_EQ(pages.size(), 3u);
    const double zoom = 2100.0 / 2110;  // the whole A4 page's area, its corners inclusive
    for (size_t page = 0; page < pages.size(); ++page) {
        EXPECT_EQ(pages[page].width, 585);  // 297 mm at 50 dpi
        for (size_t bar = 0; bar < bars.size(); ++bar)
            EXPECT_EQ(BarShows(pages[page], bars[bar], zoom, CPoint(0, 0), kDpi), bar == page)
                << "page " << page + 1 << ", bar of sheet " << bar + 1;
    }
}

TEST_F(PrintToPdf, PortraitReportPrintsOnPortraitPaper) {
    ReportPlan plan;
    plan.page = CSize(2100, 2970);
    plan.orient = 0;
    const Bar low{300, -2600};
    plan.sheets = {{low}};
    const std::string pdf = Print(plan);
    const auto info = print_test::ReadPdfInfo(pdf);
    EXPECT_EQ(info.pages, 1);
    EXPECT_NEAR(info.width, kA4Short, 1);
    EXPECT_NEAR(info.height, kA4Long, 1);
    const auto pages = Render(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(BarShows(pages[0], low, 2100.0 / 2110, CPoint(0, 0), kDpi));
}

TEST_F(PrintToPdf, SplitPrintsFourPapersPerSheetRowByRow) {
    ReportPlan plan;
    plan.page = CSize(5940, 4200);
    plan.area = CRect(0, 0, 5930, 4190);
    // One bar per quarter of the sheet, each at its own place within its quarter.
    std::vector<Bar> bars;
    for (int q = 0; q < 4; ++q) bars.push_back({(q % 2) * 2970 + 300 + q * 500, -((q / 2) * 2100 + 500)});
    plan.sheets = {bars, {}};
    const std::string pdf = Print(plan, 1);
    EXPECT_EQ(print_test::ReadPdfInfo(pdf).pages, 8);
    const auto pages = Render(pdf);
    ASSERT_EQ(pages.size(), 8u);
    for (int page = 0; page < 4; ++page) {
        const CPoint corner((page % 2) * 2970, (page / 2) * 2100);
        for (int q = 0; q < 4; ++q) {
            // Bar q's place within its own quarter, looked for on this paper.
            const Bar local{bars[q].x - (q % 2) * 2970 + corner.x, bars[q].y + (q / 2) * 2100 - corner.y};
            EXPECT_EQ(BarShows(pages[page], local, 1.0, corner, kDpi), q == page) << "paper " << page + 1 << ", bar " << q;
        }
    }
    for (int page = 4; page < 8; ++page) EXPECT_EQ(pages[page].Darkest(0, 0, 585, 413), 255) << "empty sheet 2";
}

TEST_F(PrintToPdf, FitScalesTheAreaToThePrintableSize) {
    ReportPlan plan;
    plan.page = CSize(5940, 4200);
    plan.area = CRect(0, 0, 5930, 4190);
    plan.fit = 1;
    const Bar far{4000, -3000};
    const Bar near{300, -400};
    plan.sheets = {{far, near}};
    const std::string pdf = Print(plan);
    EXPECT_EQ(print_test::ReadPdfInfo(pdf).pages, 1);
    const auto pages = Render(pdf);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_TRUE(BarShows(pages[0], far, 0.5, CPoint(0, 0), kDpi));
    EXPECT_TRUE(BarShows(pages[0], near, 0.5, CPoint(0, 0), kDpi));
    EXPECT_FALSE(BarShows(pages[0], near, 1.0, CPoint(0, 0), kDpi)) << "printed at its nominal size";
}

// The page loop drawn into an image of 50 dpi, A4 landscape.
class PrintPageImage : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        ReportPlan plan;
        plan.sheets = {{m_bar}, {m_bar}};
        std::string error;
        ASSERT_TRUE(print_test::WriteReport(m_dir.Path() + "/r.zorrep", plan, error)) << error;
        ASSERT_TRUE(m_report.Load(m_dir.Path() + "/r.zorrep", QM_DICT_DIR "/", error)) << error;
    }

    GreyImage Draw(const quillmark::PrintJob& job, int page, bool preview) {
        QImage image(585, 413, QImage::Format_Grayscale8);
        image.setDotsPerMeterX(static_cast<int>(kDpi / 0.0254 + 0.5));
        image.setDotsPerMeterY(static_cast<int>(kDpi / 0.0254 + 0.5));
        image.fill(Qt::white);
        {
            CDC dc(&image);
            quillmark::DrawPrintPage(dc, job, page, preview);
        }
        GreyImage grey;
        grey.width = image.width();
        grey.height = image.height();
        for (int y = 0; y < image.height(); ++y) {
            const uchar* row = image.constScanLine(y);
            grey.pixels.insert(grey.pixels.end(), row, row + image.width());
        }
        return grey;
    }

    zor::test::ScopedTempDir m_dir;
    Bar m_bar{300, -400};
    quillmark::CPrintedReport m_report;
};

TEST_F(PrintPageImage, PreviewDrawsThePaperEdgesDottedGrey) {
    const GreyImage printed = Draw(m_report.Job(), 1, false);
    const GreyImage preview = Draw(m_report.Job(), 1, true);
    EXPECT_EQ(printed.Darkest(0, 100, 2, 300), 255) << "printing draws no edges";
    // The left edge: grey 0xC0 dots, some pixels left white between them.
    int grey = 0, white = 0;
    for (int y = 100; y < 300; ++y) {
        if (preview.At(0, y) == 0xC0) ++grey;
        if (preview.At(0, y) == 255) ++white;
    }
    EXPECT_GT(grey, 20);
    EXPECT_GT(white, 20);
    EXPECT_TRUE(BarShows(preview, m_bar, 2100.0 / 2110, CPoint(0, 0), kDpi));
}

TEST_F(PrintPageImage, NoPrintRightLeavesThePageEmpty) {
    quillmark::PrintJob job = m_report.Job();
    job.mayPrint = false;
    EXPECT_EQ(Draw(job, 1, false).Darkest(0, 0, 585, 413), 255);
    job.mayPrint = true;
    EXPECT_LT(Draw(job, 1, false).Darkest(0, 0, 585, 413), 100);
}

TEST_F(PrintPageImage, SheetsAreLoadedForTheirPageAndFreedAgain) {
    CFolivox& manager = m_report.Manager();
    ASSERT_EQ(manager.GetSheetCount(), 2);
    manager.GetSheet(1)->LoadElementsFromFile();
    EXPECT_LT(Draw(m_report.Job(), 1, false).Darkest(0, 0, 585, 413), 100);
    EXPECT_LT(Draw(m_report.Job(), 2, false).Darkest(0, 0, 585, 413), 100);
    EXPECT_FALSE(manager.GetSheet(0)->IsLoaded()) << "loaded for its page only";
    EXPECT_TRUE(manager.GetSheet(1)->IsLoaded()) << "was loaded before: stays loaded";
    EXPECT_EQ(Draw(m_report.Job(), 3, false).Darkest(0, 0, 585, 413), 255) << "past the last page";
}

// The real program's print switches, with no display and no print server it could reach.
class PrintSwitches : public quillmark_test::BatchRun {};

TEST_F(PrintSwitches, WithoutAPrinterTheRunFailsWithAMessage) {
    ReportPlan plan;
    plan.sheets = {{{300, -400}}};
    std::string error;
    ASSERT_TRUE(print_test::WriteReport(W("r.zorrep"), plan, error)) << error;
    plan.withUser = true;
    ASSERT_TRUE(print_test::WriteReport(W("users.zorrep"), plan, error)) << error;
    const std::vector<std::pair<std::string, std::optional<std::string>>> noServer = {
        {"CUPS_SERVER", "/nonexistent/cups.sock"}};
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"-p", "r.zorrep"}, "Не найден принтер по умолчанию."},
        {{"-pt", "r.zorrep", "Нет такого", "drv", "port"}, "Не найден принтер \"Нет такого\"."},
        {{"-p", "missing.zorrep"}, "Ошибка загрузки данных missing.zorrep"},
        {{"-p", "users.zorrep"}, "Отчет защищен паролем, печать без входа пользователя невозможна."},
    };
    for (const Case& c : cases) {
        const auto r = Run(c.args, noServer);
        EXPECT_EQ(r.exitStatus, 5) << quillmark_test::Describe(r);
        const auto messages = Messages(r.err);
        ASSERT_FALSE(messages.empty()) << quillmark_test::Describe(r);
        EXPECT_TRUE(messages[0].starts_with(quillmark_test::kCaption + c.message)) << messages[0];
    }
}

// The real program printing through a print queue: a scheduler and queue of the test's own, the report
// sent with "-p" to the default queue and with "-pt" to the queue by name.
TEST_F(PrintSwitches, ThreeSheetsThroughARealQueue) {
    if (print_test::RunCommand("command -v pdftoppm >/dev/null && command -v pdfinfo >/dev/null").first != 0)
        GTEST_SKIP() << "poppler-utils (pdftoppm, pdfinfo) are not installed";
    zor::test::ScopedTempDir cups;  // short: the scheduler's socket path must fit a socket address
    print_test::PrivateCupsQueue queue;
    std::string why;
    if (!queue.Start(cups.Path(), why)) GTEST_SKIP() << why;

    ReportPlan plan;
    const std::vector<Bar> bars = {{300, -400}, {1000, -800}, {1700, -1600}};
    for (const Bar& bar : bars) plan.sheets.push_back({bar});
    std::string error;
    ASSERT_TRUE(print_test::WriteReport(W("r.zorrep"), plan, error)) << error;
    const std::vector<std::pair<std::string, std::optional<std::string>>> env = {
        {"CUPS_SERVER", queue.Socket()}, {"LPDEST", std::nullopt}, {"PRINTER", std::nullopt}};
    const std::vector<std::vector<std::string>> runs = {
        {"-p", "r.zorrep"}, {"-pt", "r.zorrep", print_test::PrivateCupsQueue::kQueue, "drv", "port"}};
    for (const auto& args : runs) {
        std::filesystem::remove(queue.Output());
        const auto r = Run(args, env);
        ASSERT_EQ(r.exitStatus, 0) << quillmark_test::Describe(r);
        ASSERT_TRUE(queue.WaitForOutput(30000)) << args[0] << ": nothing printed within 30 s";
        EXPECT_EQ(print_test::ReadPdfInfo(queue.Output()).pages, 3) << args[0];
        const std::string folder = R("pages" + args[0]);
        std::filesystem::create_directories(folder);
        const auto pages = print_test::RenderPdf(queue.Output(), kDpi, folder);
        ASSERT_EQ(pages.size(), 3u) << args[0];
        // The device's media is A4 portrait: its filter turns the landscape pages a quarter to fit them, as a
        // printer turns them onto its paper. Turned back one way or the other, each shows its own sheet.
        bool matched = false;
        for (bool clockwise : {true, false}) {
            bool all = true;
            for (size_t page = 0; page < pages.size(); ++page) {
                const GreyImage shown = pages[page].width < pages[page].height ? print_test::Turned(pages[page], clockwise)
                                                                               : pages[page];
                all = all && std::abs(shown.width - 585) <= 1 && std::abs(shown.height - 413) <= 1;
                for (size_t bar = 0; bar < bars.size() && all; ++bar)
                    all = BarShows(shown, bars[bar], 2100.0 / 2110, CPoint(0, 0), kDpi) == (bar == page);
            }
            matched = matched || all;
        }
        EXPECT_TRUE(matched) << args[0] << ": the pages do not show sheets 1, 2 and 3 in order on A4 landscape";
    }
}

}  // namespace
