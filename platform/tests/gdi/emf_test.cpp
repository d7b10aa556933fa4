// The metafile recorder: what a player needs to find in the records, checked by our reader, by a replay
// of the handle table, and by an independent converter (emf2svg) when it is installed.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/base/file_io.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/emf_reader.h"
#include "platform/gdi/emf_writer.h"
#include "platform/gdi/fixed_text_measurer.h"

namespace {

uint32_t U32At(const std::string& b, size_t at) {
    uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

LOGFONT Font(int tenthsOfPoint, int escapement = 0) {
    LOGFONT lf;
    lf.lfHeight = tenthsOfPoint;
    lf.lfWeight = FW_NORMAL;
    lf.lfEscapement = escapement;
    lf.SetFaceName("Arial");
    return lf;
}

// An A4 landscape page as the program draws one: frame, ruled cells, texts, a clipped part, a picture.
std::string DrawSamplePage() {
    CEmfRecorder emf(CRect(0, 0, 29700, 21000), "Quillmark");
    {
        CDC dc(&emf);
        dc.SetMapMode(MM_LOMETRIC);
        dc.Rectangle(0, 0, 2970, -2100);
        CPen thick(PS_SOLID, 5, RGB(0, 0, 0));
        CPen* old = dc.SelectObject(&thick);
        dc.MoveTo(100, -100);
        dc.LineTo(1000, -100);
        dc.SelectObject(old);
        CFont font;
        LOGFONT lf = Font(120);
        font.CreatePointFontIndirect(&lf);
        dc.SelectObject(&font);
        dc.SetBkMode(TRANSPARENT);
        dc.TextOut(100, -200, "Итого");
        dc.SaveDC();
        dc.IntersectClipRect(200, -300, 800, -600);
        dc.TextOut(200, -300, "A\tB");
        dc.RestoreDC(-1);
        CFont vertical;
        LOGFONT lv = Font(100, 900);
        vertical.CreatePointFontIndirect(&lv);
        dc.SelectObject(&vertical);
        dc.TextOut(1500, -1500, "Вверх");
        CBrush black(RGB(0, 0, 0));
        dc.FrameRect(CRect(2000, -1000, 2500, -1500), &black);
        QImage picture(4, 2, QImage::Format_ARGB32);
        picture.fill(Qt::red);
        dc.DrawImage(2000, -1600, 400, -200, picture);
        dc.SelectStockObject(ANSI_VAR_FONT);
    }
    return emf.Finish();
}

TEST(EmfRecorderTest, SamplePageIsWellFormed) {
    const std::string bytes = DrawSamplePage();
    CEmfInfo info;
    std::string error;
    ASSERT_TRUE(ReadEmf(bytes, info, &error)) << error;
    EXPECT_EQ(info.frame, CRect(0, 0, 29700, 21000));
    EXPECT_EQ(info.deviceSize, CSize(2970, 2100));
    EXPECT_EQ(info.millimetres, CSize(297, 210));
    EXPECT_EQ(info.description, "Quillmark");
    EXPECT_EQ(info.records.front().type, kEmrHeader);
    EXPECT_EQ(info.records.back().type, kEmrEof);
    // The page's own rectangle is the outermost thing drawn.
    EXPECT_EQ(info.bounds, CRect(0, 0, 2969, 2099));
    // Text stays text, control characters left out as on the screen.
    EXPECT_EQ(info.texts, (std::vector<std::string>{"Итого", "AB", "Вверх"}));
    EXPECT_EQ(info.Count(kEmrSaveDc), info.Count(kEmrRestoreDc));
    EXPECT_EQ(info.Count(kEmrIntersectClipRect), 1u);
    EXPECT_EQ(info.Count(kEmrStretchDiBits), 1u);
    EXPECT_EQ(info.Count(kEmrExtCreateFontIndirectW), 2u);
}

// Replays the handle table as a player keeps it: an object is selected or deleted only while it exists,
// handles stay below nHandles, and nothing of ours is left alive at the end.
void ExpectHandlesSound(const std::string& bytes) {
    CEmfInfo info;
    ASSERT_TRUE(ReadEmf(bytes, info));
    std::set<uint32_t> live;
    for (const CEmfRecordInfo& r : info.records) {
        const uint32_t ih = r.size >= 12 ? U32At(bytes, r.offset + 8) : 0;
        switch (r.type) {
            case kEmrCreatePen:
            case kEmrExtCreatePen:
            case kEmrCreateBrushIndirect:
            case kEmrExtCreateFontIndirectW:
                EXPECT_FALSE(live.count(ih)) << "handle " << ih << " made twice";
                EXPECT_GT(ih, 0u);
                EXPECT_LT(ih, info.nHandles);
                live.insert(ih);
                break;
            case kEmrSelectObject:
                if (!(ih & 0x80000000u)) {
                    EXPECT_TRUE(live.count(ih)) << "selects missing handle " << ih;
                }
                break;
            case kEmrDeleteObject:
                EXPECT_TRUE(live.count(ih)) << "deletes missing handle " << ih;
                live.erase(ih);
                break;
            default: break;
        }
    }
    EXPECT_TRUE(live.empty());
}

TEST(EmfRecorderTest, HandlesStaySoundAcrossClipsAndManyFonts) {
    ExpectHandlesSound(DrawSamplePage());

    // More fonts and colours than are kept alive at once, switched inside and outside clips.
    CEmfRecorder emf(CRect(0, 0, 21000, 29700), "Quillmark");
    {
        CDC dc(&emf);
        for (int i = 0; i < 150; ++i) {
            CFont font;
            LOGFONT lf = Font(60 + i);
            font.CreatePointFontIndirect(&lf);
            dc.SelectObject(&font);
            CPen pen(PS_SOLID, 1 + i % 7, RGB(i, 0, 0));
            dc.SelectObject(&pen);
            if (i % 3 == 0) dc.IntersectClipRect(0, -10 * i, 2000, -10 * i - 500);
            dc.TextOut(10, -10 * i, "x");
            dc.LineTo(i, -i);
            if (i % 3 == 2) dc.SelectClipRgn(nullptr);
        }
    }
    const std::string bytes = emf.Finish();
    ExpectHandlesSound(bytes);
    CEmfInfo info;
    ASSERT_TRUE(ReadEmf(bytes, info));
    EXPECT_LE(info.nHandles, 80);
    EXPECT_EQ(info.texts.size(), 150u);
}

// The advances are the measurer's, so a player lays characters out as the model measured them.
TEST(EmfRecorderTest, TextAdvancesAreTheMeasurers) {
    CFixedTextMeasurer fixed;  // 36 points: 63.5 tenths per character
    CScopedTextMeasurer scope(fixed);
    CEmfRecorder emf(CRect(0, 0, 10000, 10000), "Quillmark");
    {
        CDC dc(&emf);
        CFont font;
        LOGFONT lf = Font(360);
        font.CreatePointFontIndirect(&lf);
        dc.SelectObject(&font);
        dc.TextOut(0, 0, "abcd");
    }
    const std::string bytes = emf.Finish();
    CEmfInfo info;
    ASSERT_TRUE(ReadEmf(bytes, info));
    for (const CEmfRecordInfo& r : info.records) {
        if (r.type != kEmrExtTextOutW) continue;
        const uint32_t count = U32At(bytes, r.offset + 44);
        const uint32_t offDx = U32At(bytes, r.offset + 72);
        ASSERT_EQ(count, 4u);
        ASSERT_LE(offDx + 16, r.size);
        std::vector<uint32_t> dx;
        for (uint32_t i = 0; i < count; ++i) dx.push_back(U32At(bytes, r.offset + offDx + 4 * i));
        // 63.5, 127, 190.5, 254 rounded: the advances never drift from the measured prefixes.
        EXPECT_EQ(dx, (std::vector<uint32_t>{64, 63, 64, 63}));
    }
    EXPECT_EQ(info.Count(kEmrExtTextOutW), 1u);
}

TEST(EmfRecorderTest, SaveReplacesAtomically) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("page.wmf").toStdString();
    ASSERT_TRUE(zor::WriteFileAtomically(path, "old"));
    CEmfRecorder emf(CRect(0, 0, 1000, 1000), "Quillmark");
    std::string error;
    ASSERT_TRUE(emf.SaveAs(path, &error)) << error;
    std::string bytes;
    ASSERT_TRUE(zor::ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes, emf.Finish());

    CEmfRecorder other(CRect(0, 0, 1000, 1000), "Quillmark");
    EXPECT_FALSE(other.SaveAs(dir.filePath("missing/page.wmf").toStdString(), &error));
    EXPECT_FALSE(error.empty());
}

// An independent player reads what we write: emf2svg keeps our texts and the page's frame.
TEST(EmfRecorderTest, Emf2SvgReadsTheSamplePage) {
    if (!std::filesystem::exists("/usr/bin/emf2svg-conv")) GTEST_SKIP() << "emf2svg is not installed";
    QTemporaryDir dir;
    const QString emfPath = dir.filePath("page.emf");
    const QString svgPath = dir.filePath("page.svg");
    ASSERT_TRUE(zor::WriteFileAtomically(emfPath.toStdString(), DrawSamplePage()));
    QProcess conv;
    conv.start("/usr/bin/emf2svg-conv", {"-i", emfPath, "-o", svgPath});
    ASSERT_TRUE(conv.waitForFinished(20000));
    ASSERT_EQ(conv.exitCode(), 0) << conv.readAllStandardError().toStdString();
    std::string svg;
    ASSERT_TRUE(zor::ReadWholeFile(svgPath.toStdString(), svg));
    EXPECT_NE(svg.find("Итого"), std::string::npos);
    EXPECT_NE(svg.find("Вверх"), std::string::npos);
    EXPECT_NE(svg.find("<image"), std::string::npos);
}

}  // namespace
