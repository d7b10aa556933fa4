// Pages exported as image files, metafiles and the clipboard's page image, from a two-sheet A4 report
// built through the model: names, sizes, where ink lands, what a failure leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QSvgRenderer>

#include "designer/export/export_commands.h"
#include "designer/export/page_export.h"
#include "designer/settings_dialogs/settings_logic.h"
#include "platform/base/file_io.h"
#include "platform/gdi/emf_reader.h"
#include "platform/tests/test_support.h"
#include "report/generation/generate_report.h"
#include "report/model/image/image_file.h"
#include "report/tests/model/model_fixture.h"

namespace quillmark {
namespace {

class AppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "designer_export_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};
[[maybe_unused]] ::testing::Environment* const g_app = ::testing::AddGlobalTestEnvironment(new AppEnvironment);

const CSize kA4Landscape(2970, 2100);

// Read with our own codecs: Qt reads TIFF only with a plug-in.
QImage ReadImage(const std::string& file) {
    CImageFile image;
    if (!image.Load(file.c_str(), BitmapFormatOfPath(file))) return {};
    return image.ToQImage();
}

bool Dark(QRgb c) { return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100; }
bool White(QRgb c) { return qRed(c) > 245 && qGreen(c) > 245 && qBlue(c) > 245; }

// Share of the pixels of a device rectangle that are dark.
double DarkShare(const QImage& image, QRect r) {
    r = r.intersected(image.rect());
    if (r.isEmpty()) return 0;
    int dark = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (Dark(image.pixel(x, y))) ++dark;
    return static_cast<double>(dark) / (r.width() * r.height());
}

class ExportTest : public model_test::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        for (int i = 0; i < 2; ++i) {
            CReportSheet* sheet = NewSheet();
            sheet->SetSize(kA4Landscape);
            sheet->SetName(i == 0 ? "Лист1" : "Итоги");
            sheets.push_back(sheet);
        }
        // A cell on each sheet, in a different place, so a region tells the sheets apart.
        cells.push_back(NewRect(sheets[0], {400, -400}, {600, 300}));
        cells.push_back(NewRect(sheets[1], {1600, -1200}, {800, 400}));
        for (CReportElement* cell : cells) cell->SetLineWidth(10);
        model_test::WriteReport(Manager());
    }

    // Where a cell lands on a bitmap at that many pixels per tenth of a millimetre.
    QRect CellOnImage(int index, double scale) const {
        CRect r;
        cells[static_cast<size_t>(index)]->GetRect(r, 1.0, 1);
        r.NormalizeRect();
        return QRect(QPoint(static_cast<int>(r.left * scale), static_cast<int>(-r.bottom * scale)),
                     QPoint(static_cast<int>(r.right * scale), static_cast<int>(-r.top * scale)))
            .normalized();
    }

    // The page border black, the interior white apart from the sheet's own cell, whose edges are inked.
    // A player may centre the page's outline on its edge and smooth it (exactEdges false): then some ink
    // within two pixels of the edge is enough.
    void ExpectPage(const QImage& image, int sheetIndex, double scale, bool exactEdges = true) {
        ASSERT_FALSE(image.isNull());
        const int w = image.width();
        const int h = image.height();
        for (QPoint p : {QPoint(w / 2, 0), QPoint(w / 2, h - 1), QPoint(0, h / 2), QPoint(w - 1, h / 2)}) {
            bool inked = Dark(image.pixel(p));
            if (!exactEdges)
                for (int d = -1; d <= 1; ++d)
                    for (QPoint q : {QPoint(p.x() + d, p.y()), QPoint(p.x(), p.y() + d)})
                        if (image.rect().contains(q) && qGray(image.pixel(q)) < 200) inked = true;
            EXPECT_TRUE(inked) << "border at " << p.x() << "," << p.y();
        }
        const QRect own = CellOnImage(sheetIndex, scale);
        const QRect other = CellOnImage(1 - sheetIndex, scale);
        EXPECT_GT(DarkShare(image, QRect(own.left(), own.top() - 1, own.width(), 4)), 0.5) << "top edge of the cell";
        EXPECT_GT(DarkShare(image, QRect(own.left() - 1, own.top(), 4, own.height())), 0.5) << "left edge";
        EXPECT_LT(DarkShare(image, own.adjusted(8, 8, -8, -8)), 0.01) << "inside the cell";
        EXPECT_LT(DarkShare(image, QRect(other.left(), other.top() - 1, other.width(), 4)), 0.05)
            << "the other sheet's cell";
        EXPECT_TRUE(White(image.pixel(w / 4, h - 20)));
    }

    bool Said(const std::string& text) const {
        const std::vector<std::string> texts = messages.Texts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    std::vector<CReportSheet*> sheets;
    std::vector<CReportElement*> cells;
    zor::test::ScopedTempDir dir;
};

TEST_F(ExportTest, EveryFormatWritesEverySheetAtHalfAPixelPerTenth) {
    sheets[1]->FreeElements();  // an unloaded sheet is loaded for its drawing and freed again
    cells.resize(1);
    for (const char* type : CExportDialogLogic::FileTypes()) {
        SCOPED_TRACE(type);
        const CExportAllResult result = ExportAllPages(&Manager(), kA4Landscape, 1, dir.Path(), "отчет", type);
        ASSERT_TRUE(result.ok) << result.failedFile;
        EXPECT_EQ(result.written, 2);
        for (const char* sheetName : {"Лист1", "Итоги"}) {
            const std::string file = dir.Path() + "/отчет_" + sheetName + "." + type;
            ASSERT_TRUE(std::filesystem::exists(file)) << file;
            if (std::string(type) == "wmf") continue;  // the metafile test reads those
            const QImage image = ReadImage(file);
            ASSERT_FALSE(image.isNull()) << file;
            EXPECT_EQ(image.size(), QSize(1485, 1050));
        }
        EXPECT_FALSE(sheets[1]->IsLoaded());
    }
    const QImage first = ReadImage(dir.Path() + "/отчет_Лист1.png");
    cells.clear();
    sheets[1]->LoadElementsFromFile();
    for (CReportSheet* sheet : sheets) cells.push_back(sheet->GetElement(0));
    ExpectPage(first, 0, 0.5);
    for (const char* type : {"png", "bmp", "tif"}) {
        SCOPED_TRACE(type);
        ExpectPage(ReadImage(dir.Path() + "/отчет_Итоги." + type), 1, 0.5);
    }
    EXPECT_EQ(ExportAllMessage({true, 2, {}}), "Экспортирование отчета завершено!");
}

TEST_F(ExportTest, WhatTheUserSeesIsExportedUnsavedEditsIncluded) {
    // Moved after the report was written: the export shows the cell where the user put it.
    cells[0]->SetOrigin(CPoint(2000, -1500));
    const QImage image = DrawPageImage(sheets[0], kA4Landscape, 1, kBitmapPixelsPerTenth, kExportDrawFlags);
    ExpectPage(image, 0, 0.5);
}

// Page after page is drawn into the same memory; a picture still held by its caller is never drawn over.
TEST_F(ExportTest, APagePictureStillHeldIsNotDrawnOver) {
    const QImage first = DrawPageImage(sheets[0], kA4Landscape, 1, kBitmapPixelsPerTenth, kExportDrawFlags);
    const QImage kept = first.copy();
    sheets[1]->LoadElementsFromFile();
    const QImage second = DrawPageImage(sheets[1], kA4Landscape, 1, kBitmapPixelsPerTenth, kExportDrawFlags);
    EXPECT_EQ(first, kept) << "the first page was drawn over";
    cells.clear();
    for (CReportSheet* sheet : sheets) cells.push_back(sheet->GetElement(0));
    ExpectPage(first, 0, 0.5);
    ExpectPage(second, 1, 0.5);
    // Once let go of, the memory serves the next page, which starts from white.
    DrawPageImage(sheets[1], kA4Landscape, 1, kBitmapPixelsPerTenth, kExportDrawFlags);
    ExpectPage(DrawPageImage(sheets[0], kA4Landscape, 1, kBitmapPixelsPerTenth, kExportDrawFlags), 0, 0.5);
}

TEST_F(ExportTest, MetafilesAreWellFormedAndReadByAnotherPlayer) {
    const std::string file = dir.Path() + "/page.wmf";
    ASSERT_TRUE(ExportPageToFile(sheets[0], kA4Landscape, 1, file));
    std::string bytes;
    ASSERT_TRUE(zor::ReadWholeFile(file, bytes));
    CEmfInfo info;
    std::string error;
    ASSERT_TRUE(ReadEmf(bytes, info, &error)) << error;
    EXPECT_EQ(info.nBytes, bytes.size());
    EXPECT_EQ(info.frame, CRect(0, 0, 29700, 21000));
    EXPECT_EQ(info.description, "Quillmark");
    EXPECT_EQ(info.records.back().type, kEmrEof);
    EXPECT_GE(info.Count(kEmrLineTo), 4u);  // the cell's outline

    if (!std::filesystem::exists("/usr/bin/emf2svg-conv")) GTEST_SKIP() << "emf2svg is not installed";
    const QString svgPath = QString::fromStdString(dir.Path() + "/page.svg");
    QProcess conv;
    conv.start("/usr/bin/emf2svg-conv", {"-i", QString::fromStdString(file), "-o", svgPath});
    ASSERT_TRUE(conv.waitForFinished(20000));
    ASSERT_EQ(conv.exitCode(), 0) << conv.readAllStandardError().toStdString();
    // The SVG drawn at one pixel per tenth of a millimetre shows the page as the bitmap export does.
    // emf2svg centres the page's outline on the page's edges, so its right and bottom half lie one unit
    // past the last pixel: the view reaches that far.
    QSvgRenderer svg(svgPath);
    ASSERT_TRUE(svg.isValid());
    svg.setViewBox(QRectF(0, 0, 2971, 2101));
    QImage rendered(2971, 2101, QImage::Format_RGB32);
    rendered.fill(Qt::white);
    {
        QPainter p(&rendered);
        svg.render(&p, QRectF(0, 0, 2971, 2101));
    }
    ExpectPage(rendered, 0, 1.0, false);
    const std::string png = dir.Path() + "/page.png";
    ASSERT_TRUE(ExportPageToFile(sheets[0], kA4Landscape, 1, png));
    ExpectPage(ReadImage(png), 0, 0.5);
}

TEST_F(ExportTest, AnUnknownTypeFailsBeforeDrawingAndKeepsTheOldFile) {
    const std::string file = dir.Path() + "/page.xyz";
    ASSERT_TRUE(zor::WriteFileAtomically(file, "old"));
    EXPECT_FALSE(ExportPageToFile(sheets[0], kA4Landscape, 1, file));
    std::string bytes;
    ASSERT_TRUE(zor::ReadWholeFile(file, bytes));
    EXPECT_EQ(bytes, "old");
    EXPECT_TRUE(Said("Неизвестный формат файла."));
}

TEST_F(ExportTest, AFailedFileEndsTheExportAndSaysWhichAndHowManyWereWritten) {
    // A folder in the way of the second file: it cannot be replaced by a file.
    const std::string blocked = ExportFileName(dir.Path(), "r", "Итоги", "png");
    std::filesystem::create_directory(blocked);
    const CExportAllResult result = ExportAllPages(&Manager(), kA4Landscape, 1, dir.Path() + "/", "r", "png");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.written, 1);
    EXPECT_EQ(result.failedFile, blocked);
    const std::string message = ExportAllMessage(result);
    EXPECT_NE(message.find(blocked), std::string::npos);
    EXPECT_NE(message.find("1"), std::string::npos);
    EXPECT_EQ(message.find("завершено"), std::string::npos);
}

TEST_F(ExportTest, NamesJoinFolderAndPrefixWithOneSeparator) {
    EXPECT_EQ(ExportFileName("/tmp/a", "p", "Лист", "jpg"), "/tmp/a/p_Лист.jpg");
    EXPECT_EQ(ExportFileName("/tmp/a/", "p", "Лист", "jpg"), "/tmp/a/p_Лист.jpg");
    EXPECT_EQ(ExportFileName("", "p", "Лист", "wmf"), "p_Лист.wmf");
}

TEST_F(ExportTest, PagesPastTheSizeCapAreRefused) {
    struct Case {
        CSize page;
        bool drawn;
    };
    const Case cases[] = {
        {{0, 2100}, false},          {{2970, -5}, false},       {{20000, 20000}, true},
        {{20002, 20002}, false},     {{2000000000, 10}, false}, {{10, 2000000000}, false},
    };
    for (const Case& c : cases) {
        sheets[0]->SetSize(c.page);
        const QImage image = DrawPageImage(sheets[0], c.page, 1, kBitmapPixelsPerTenth, kExportDrawFlags);
        EXPECT_EQ(!image.isNull(), c.drawn) << c.page.cx << "x" << c.page.cy;
    }
    EXPECT_FALSE(RenderPageBitmap(sheets[0], CSize(2000000000, 2000000000), 1, dir.Path() + "/big.png"));
    EXPECT_TRUE(DrawPageMetafile(sheets[0], CSize(2000000000, 10), 1, 6).empty());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/big.png"));
}

TEST_F(ExportTest, ThePageImageOffersABitmapAndTheMetafile) {
    CPageImageData data;
    ASSERT_TRUE(MakePageImageData(sheets[0], kA4Landscape, 1, data));
    EXPECT_EQ(data.image.size(), QSize(2970, 2100));
    ExpectPage(data.image, 0, 1.0);
    std::unique_ptr<QMimeData> mime(MakePageMimeData(data));
    EXPECT_TRUE(mime->hasImage());
    for (const char* format : {"image/emf", "image/x-emf"}) {
        const QByteArray emf = mime->data(format);
        CEmfInfo info;
        EXPECT_TRUE(ReadEmf(std::string_view(emf.constData(), static_cast<size_t>(emf.size())), info)) << format;
    }
}

// The type chosen in the save dialog decides what a name without a known extension becomes.
TEST(ExportPath, TheChosenTypeAddsItsExtension) {
    const struct {
        const char* chosen;
        const char* type;
        const char* expected;
    } cases[] = {
        {"/d/page", "png", "/d/page.png"},
        {"/d/page", "tif", "/d/page.tif"},
        {"/d/page.png", "jpg", "/d/page.png"},       // a known extension typed wins over the type
        {"/d/page.WMF", "png", "/d/page.WMF"},       // so does the metafile's
        {"/d/v1.2/page", "bmp", "/d/v1.2/page.bmp"},  // a dot in a folder is no extension
        {"/d/page.draft", "png", "/d/page.draft.png"},
        {"/d/page", "", "/d/page.jpg"},               // all files, no extension: the dialog's default
        {"/d/page.draft", "", "/d/page.draft"},       // all files, an unknown one: said when exported
        {"", "png", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExportPathForType(c.chosen, c.type), c.expected) << c.chosen << " " << c.type;
    // Every raster type the dialog offers is one the export writes.
    for (const ExportFileType& type : ExportFileTypes())
        if (*type.extension) {
            EXPECT_EQ(ExportKindOfPath(std::string("p.") + type.extension), ExportFileKind::kBitmap);
        }
}

TEST_F(ExportTest, CommandsCheckRightsDepthAndReportTheirOutcome) {
    const std::string file = dir.Path() + "/one.wmf";
    CExportCommandContext c;
    c.manager = &Manager();
    c.sheet = sheets[0];
    c.page = kA4Landscape;
    c.reportMode = 1;
    c.askFileName = [&] { return file; };
    c.bitsPerPixel = [] { return 8; };
    EXPECT_FALSE(OnExportPage(c));
    EXPECT_TRUE(Said("Экспорт в графические форматы отчета доступен только при цветовой палитре более 256 цветов"));
    EXPECT_FALSE(std::filesystem::exists(file));

    c.bitsPerPixel = [] { return 24; };
    std::vector<int> asked;
    c.hasRight = [&](int right) {
        asked.push_back(right);
        return false;
    };
    EXPECT_FALSE(OnExportPage(c));
    EXPECT_FALSE(OnExportAll(c));
    EXPECT_EQ(asked, (std::vector<int>{kRightEdit, kRightPrint}));
    EXPECT_FALSE(std::filesystem::exists(file));

    c.hasRight = nullptr;
    ASSERT_TRUE(OnExportPage(c));  // ".wmf" makes a metafile although the filter offers raster types
    EXPECT_TRUE(Said("Экспортирование страницы завершено!\n" + file));
    std::string bytes;
    ASSERT_TRUE(zor::ReadWholeFile(file, bytes));
    CEmfInfo info;
    EXPECT_TRUE(ReadEmf(bytes, info));

    c.documentPath = dir.Path() + "/годовой.zorrep";
    std::string seenFolder, seenPrefix;
    c.runExportDialog = [&](CExportDialogLogic& d) {
        seenFolder = d.folder;
        seenPrefix = d.prefix;
        d.typeIndex = 3;  // png
        return d.Accept();
    };
    ASSERT_TRUE(OnExportAll(c));
    EXPECT_EQ(seenFolder, dir.Path() + "/");
    EXPECT_EQ(seenPrefix, "годовой");
    EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/годовой_Итоги.png"));
    EXPECT_TRUE(Said("Экспортирование отчета завершено!"));

    QClipboard* clipboard = QGuiApplication::clipboard();
    ASSERT_TRUE(CopyPageImage(c, clipboard));
    const QMimeData* offered = clipboard->mimeData();
    ASSERT_NE(offered, nullptr);
    EXPECT_TRUE(offered->hasFormat("image/x-emf"));
}

}  // namespace
}  // namespace quillmark
