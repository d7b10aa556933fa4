// Printed pages against the page images of their sheets: the shipped example (its template and the report
// made from it), a portrait report whose table runs over several pages and a landscape template. Each is
// printed through the page loop to a PDF file, shown in the print preview, and printed by the real program
// with "-p" through a print queue of the test's own; every page is rasterised at the page image's
// resolution (0.5 pixel per tenth of a millimetre, 127 dpi) and compared with the page image of its sheet:
// the same orientation, nothing cut, the ink in the same place within 2 mm (printing scales the page's
// area, its corners inclusive, by 2100/2110, which moves the far edge by up to 1.4 mm).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <QApplication>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintPreviewWidget>
#include <QPrinter>

#include "controls/tests/gui_test_app.h"
#include "designer/export/page_export.h"
#include "designer/print/print_preview.h"
#include "designer/print/printed_report.h"
#include "designer/print/report_printer.h"
#include "designer/tests/batch_fixture.h"
#include "designer/tests/print_fixture.h"
#include "platform/tests/test_support.h"
#include "report/model/table_content_element.h"
#include "report/tests/generation/template_builder.h"

namespace printed_pages_test {
namespace {

using print_test::GreyImage;

constexpr int kDpi = 127;
constexpr double kPixelsPerMm = 5.0;
constexpr double kPixelsPerTenth = 0.5;
constexpr double kToleranceMm = 2.0;

const std::string kExamples = QM_SOURCE_DIR "/examples/";

struct Sample {
    std::string file;  // in the working folder
    bool landscape = false;
    int minPages = 1;
};

QImage Picture(const GreyImage& grey) {
    QImage image(grey.width, grey.height, QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height; ++y)
        std::copy_n(grey.pixels.data() + static_cast<size_t>(y) * grey.width, grey.width, image.scanLine(y));
    return image;
}

class PrintedPages : public quillmark_test::BatchRun {
protected:
    void SetUp() override {
        BatchRun::SetUp();
        EnsureGuiApplication();
        if (print_test::RunCommand("command -v pdftoppm >/dev/null && command -v pdfinfo >/dev/null").first != 0)
            GTEST_SKIP() << "poppler-utils (pdftoppm, pdfinfo) are not installed";
        for (const char* name : {"sales.zordot", "sales.csv", "sales.par"})
            std::filesystem::copy_file(kExamples + name, W(name));
        ASSERT_NO_FATAL_FAILURE(Generate("sales"));
        ASSERT_NO_FATAL_FAILURE(WriteListTemplate());
        ASSERT_NO_FATAL_FAILURE(Generate("list"));
        ASSERT_NO_FATAL_FAILURE(WriteLandscapeTemplate());
    }

    // The real program's batch generation of base.zordot with base.csv and base.par into base.zorrep.
    void Generate(const std::string& base) {
        const auto r = Run({"-gen", W(base + ".zordot"), "-path=" + W(base), "-outfile=" + W(base + ".zorrep")});
        ASSERT_EQ(r.exitStatus, 0) << quillmark_test::Describe(r);
    }

    // Templates are built with the dictionary the program uses.
    zor::test::ScopedEnv Transport() {
        WriteFile(R("builder.ini"), "[Paths]\nDictionary=" + DictionaryDir() + "/\n");
        return zor::test::ScopedEnv("ZOR_TRANSPORT_INI", R("builder.ini"));
    }

    // A4 portrait: a title, and a table of three columns whose 150 rows run over several pages.
    void WriteListTemplate() {
        const auto env = Transport();
        generation_test::TemplateBuilder b;
        ASSERT_TRUE(b.Ready());
        CReportSheet* sheet = b.AddSheet();
        b.AddText(sheet, CPoint(150, -220), CSize(1800, 120), "Перечень деталей");
        CTableElement* table = b.AddTable(sheet, CPoint(150, -2800), CSize(1800, 2500), 50);
        auto* section = new CReportSection(&b.Manager());
        section->GetLevels().Add(b.Level(50, {generation_test::TemplateBuilder::FieldColumn(b.Column("Код"), 400),
                                              generation_test::TemplateBuilder::FieldColumn(b.Column("Имя"), 1000),
                                              generation_test::TemplateBuilder::FieldColumn(b.Column("Кол", 3), 400)}));
        table->GetSections().Add(section);
        std::string error;
        ASSERT_TRUE(b.Save(W("list.zordot"), &error)) << error;
        std::string data = "Код,Имя,Кол\n";
        for (int r = 0; r < 150; ++r)
            data += "А-" + std::to_string(1000 + r) + ",Деталь " + std::to_string(r % 37) + "," + std::to_string(r * 7 % 101) + "\n";
        WriteFile(W("list.csv"), data);
        WriteFile(W("list.par"), "");
    }

    // A4 landscape: a framed text in each corner, 1 cm from the edges, and a second sheet with one text in
    // its middle, so that a page turned, cut or out of order shows.
    void WriteLandscapeTemplate() {
        const auto env = Transport();
        generation_test::TemplateBuilder b;
        ASSERT_TRUE(b.Ready());
        b.SetPage(CSize(2970, 2100));
        CReportSheet* first = b.AddSheet();
        // An element's origin is its lower left corner, y up from the page's top.
        b.AddText(first, CPoint(100, -220), CSize(700, 120), "Левый верхний");
        b.AddText(first, CPoint(2170, -220), CSize(700, 120), "Правый верхний");
        b.AddText(first, CPoint(100, -2000), CSize(700, 120), "Левый нижний");
        b.AddText(first, CPoint(2170, -2000), CSize(700, 120), "Правый нижний");
        b.AddText(first, CPoint(900, -1200), CSize(1170, 300), "Альбомная страница");
        CReportSheet* second = b.AddSheet();
        b.AddText(second, CPoint(1100, -1100), CSize(770, 120), "Второй лист");
        std::string error;
        ASSERT_TRUE(b.Save(W("wide.zordot"), &error)) << error;
    }

    static void Blank(GreyImage& image, const QRect& r) {
        for (int y = std::max(0, r.top()); y <= std::min(image.height - 1, r.bottom()); ++y)
            for (int x = std::max(0, r.left()); x <= std::min(image.width - 1, r.right()); ++x)
                image.pixels[static_cast<size_t>(y) * image.width + x] = 255;
    }

    std::vector<std::vector<QRect>> m_placeholders;

    static std::vector<Sample> Samples() {
        return {{"sales.zordot", false, 3}, {"sales.zorrep", false, 3}, {"list.zorrep", false, 3}, {"wide.zordot", true, 2}};
    }

    // The page images of every sheet of the file, loaded as printing from the command line loads it. A
    // template's table of contents shows a placeholder word in the device's stock font, whose size follows
    // the device's resolution; inside those elements both pictures are left out (`placeholders`).
    std::vector<GreyImage> PageImages(const std::string& file) {
        quillmark::CPrintedReport report;
        std::string error;
        EXPECT_TRUE(report.Load(W(file), DictionaryDir() + "/", error)) << error;
        std::vector<GreyImage> images;
        m_placeholders.clear();
        for (int i = 0; i < report.Manager().GetSheetCount(); ++i) {
            CReportSheet* sheet = report.Manager().GetSheet(i);
            images.push_back(print_test::GreyOf(quillmark::DrawPageImage(sheet, report.Settings().pageSize,
                                                                         report.Job().reportMode, kPixelsPerTenth,
                                                                         quillmark::kExportDrawFlags)));
            std::vector<QRect> inside;
            sheet->LoadElementsFromFile();
            for (int e = 0; e < sheet->GetElementCount(); ++e) {
                const CReportElement* element = sheet->GetElement(e);
                if (report.Job().reportMode != 0 || !dynamic_cast<const CTableContentElement*>(element)) continue;
                const CPoint o = element->GetOrigin();
                const CSize size = element->GetSize();
                const int margin = static_cast<int>(kToleranceMm * kPixelsPerMm);
                // An element's origin is its lower left corner; the page's top is y = 0, y up.
                inside.push_back(QRect(static_cast<int>(o.x * kPixelsPerTenth),
                                       static_cast<int>(-(o.y + size.cy) * kPixelsPerTenth),
                                       static_cast<int>(size.cx * kPixelsPerTenth), static_cast<int>(size.cy * kPixelsPerTenth))
                                     .adjusted(margin, margin, -margin, -margin));
            }
            sheet->FreeElements();
            m_placeholders.push_back(inside);
        }
        return images;
    }

    std::vector<GreyImage> Rasterise(const std::string& pdf, const std::string& name) {
        const std::string folder = R("pages-" + name);
        std::filesystem::create_directories(folder);
        return print_test::RenderPdf(pdf, kDpi, folder);
    }

    // Each printed page against its sheet's image; a page printed turned a quarter (a portrait device's
    // filter turns landscape pages onto its paper, as a printer does) is turned back first.
    void ExpectPagesMatch(std::vector<GreyImage> printed, std::vector<GreyImage> images, const std::string& what,
                          bool turnedAllowed = false) const {
        ASSERT_EQ(printed.size(), images.size()) << what << ": pages printed";
        // QM_KEEP_SHOTS=folder keeps both pictures of every page to look at.
        const char* keep = std::getenv("QM_KEEP_SHOTS");
        for (size_t i = 0; i < printed.size(); ++i) {
            if (keep) {
                const std::string base = std::string(keep) + "/" + what + "-" + std::to_string(i + 1);
                Picture(printed[i]).save(QString::fromStdString(base + "-printed.png"));
                Picture(images[i]).save(QString::fromStdString(base + "-image.png"));
            }
            if (i < m_placeholders.size())
                for (const QRect& r : m_placeholders[i]) {
                    Blank(images[i], r);
                    // The printed page, turned or not, has the area at the same place once turned back.
                    if ((printed[i].width > printed[i].height) == (images[i].width > images[i].height)) Blank(printed[i], r);
                }
            std::string why = print_test::CompareWithPageImage(printed[i], images[i], kPixelsPerMm, kToleranceMm);
            if (!why.empty() && turnedAllowed && (printed[i].width > printed[i].height) != (images[i].width > images[i].height)) {
                for (bool clockwise : {true, false}) {
                    const std::string turned = print_test::CompareWithPageImage(print_test::Turned(printed[i], clockwise),
                                                                                images[i], kPixelsPerMm, kToleranceMm);
                    if (turned.empty()) why.clear();
                }
            }
            EXPECT_EQ(why, "") << what << ", page " << i + 1;
        }
    }
};

TEST_F(PrintedPages, ThroughThePageLoopToAPdfFile) {
    for (const Sample& sample : Samples()) {
        const std::vector<GreyImage> images = PageImages(sample.file);
        ASSERT_GE(images.size(), static_cast<size_t>(sample.minPages)) << sample.file;
        EXPECT_EQ(images[0].width > images[0].height, sample.landscape) << sample.file;
        quillmark::CPrintedReport report;
        std::string error;
        ASSERT_TRUE(report.Load(W(sample.file), DictionaryDir() + "/", error)) << error;
        const std::string pdf = R(sample.file + ".pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        quillmark::PreparePrinter(printer, report.Settings());
        ASSERT_TRUE(quillmark::PrintPages(printer, report.Job(), false, &error)) << error;
        ExpectPagesMatch(Rasterise(pdf, sample.file), images, sample.file + " printed to PDF");
    }
}

// The preview's pages as it paints them (the page loop with the paper's edges dotted and the drawing
// clipped to the paper), laid out for the preview's own printer, recorded in a PDF file.
TEST_F(PrintedPages, InThePrintPreview) {
    for (const Sample& sample : Samples()) {
        const std::vector<GreyImage> images = PageImages(sample.file);
        quillmark::CPrintedReport report;
        std::string error;
        ASSERT_TRUE(report.Load(W(sample.file), DictionaryDir() + "/", error)) << error;
        quillmark::CPrintPreviewWindow window(report.Job());
        window.show();
        auto* view = window.findChild<QPrintPreviewWidget*>();
        ASSERT_TRUE(view);
        ASSERT_EQ(window.PageCount(), static_cast<int>(images.size())) << sample.file;
        const std::string pdf = R("preview-" + sample.file + ".pdf");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setPageLayout(window.Printer().pageLayout());
        emit view->paintRequested(&printer);
        window.close();
        ExpectPagesMatch(Rasterise(pdf, "preview-" + sample.file), images, sample.file + " in the preview");
    }
}

TEST_F(PrintedPages, ByTheProgramThroughAPrintQueue) {
    zor::test::ScopedTempDir cups;  // short: the scheduler's socket path must fit a socket address
    print_test::PrivateCupsQueue queue;
    std::string why;
    if (!queue.Start(cups.Path(), why)) GTEST_SKIP() << why;
    const std::vector<std::pair<std::string, std::optional<std::string>>> env = {
        {"CUPS_SERVER", queue.Socket()}, {"LPDEST", std::nullopt}, {"PRINTER", std::nullopt}};
    for (const Sample& sample : Samples()) {
        const std::vector<GreyImage> images = PageImages(sample.file);
        std::filesystem::remove(queue.Output());
        const auto r = Run({"-p", W(sample.file)}, env);
        ASSERT_EQ(r.exitStatus, 0) << quillmark_test::Describe(r);
        ASSERT_TRUE(queue.WaitForOutput(30000)) << sample.file << ": nothing printed within 30 s";
        ExpectPagesMatch(Rasterise(queue.Output(), "cups-" + sample.file), images, sample.file + " through the queue",
                         sample.landscape);
    }
}

// "Настройка принтера..." keeps its choice for the run: the paper chosen goes onto every later printer, and a
// queue that has gone since leaves the printer as it was.
TEST(PrinterChoice, KeptForLaterPrintsOfTheRun) {
    EnsureGuiApplication();
    const quillmark::PrinterChoice before = quillmark::ChosenPrinter();
    struct Case {
        quillmark::PrinterChoice choice;
        QPageSize::PageSizeId paper;
    } cases[] = {
        {{"", QPageSize::A5}, QPageSize::A5},
        {{"no such queue", QPageSize::A3}, QPageSize::A3},
        {{"", -1}, QPageSize::A4},
    };
    for (const Case& c : cases) {
        quillmark::SetChosenPrinter(c.choice);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        const QString name = printer.printerName();
        quillmark::ApplyChosenPrinter(printer);
        EXPECT_EQ(printer.pageLayout().pageSize().id(), c.paper) << c.choice.pageSizeId;
        EXPECT_EQ(printer.printerName(), name) << c.choice.printerName;
    }
    quillmark::SetChosenPrinter(before);
}

}  // namespace
}  // namespace printed_pages_test
