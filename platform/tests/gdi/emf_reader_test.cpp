// The metafile reader on damaged bytes (it reads what another program put on the clipboard): every
// truncation and a spread of corrupted bytes fail cleanly, never reading outside the data. No text is
// drawn, so no application object is needed and the test runs under the sanitizers.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include <QImage>

#include "platform/gdi/dc.h"
#include "platform/gdi/emf_reader.h"
#include "platform/gdi/emf_writer.h"

namespace {

std::string LinesAndPictures() {
    CEmfRecorder emf(CRect(0, 0, 29700, 21000), "Quillmark");
    {
        CDC dc(&emf);
        dc.Rectangle(0, 0, 2970, -2100);
        CPen pen(PS_DOT, 3, RGB(10, 20, 30));
        dc.SelectObject(&pen);
        dc.IntersectClipRect(100, -100, 900, -900);
        dc.MoveTo(100, -100);
        dc.LineTo(800, -800);
        dc.SelectClipRgn(nullptr);
        dc.FillSolidRect(CRect(1000, -1000, 1200, -1200), RGB(200, 0, 0));
        QImage picture(3, 3, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        dc.DrawImage(1500, -1500, 300, 300, picture);
    }
    return emf.Finish();
}

TEST(EmfReaderTest, RefusesDamagedMetafiles) {
    const std::string good = LinesAndPictures();
    CEmfInfo info;
    ASSERT_TRUE(ReadEmf(good, info));
    EXPECT_EQ(info.Count(kEmrIntersectClipRect), 1u);
    EXPECT_EQ(info.Count(kEmrStretchDiBits), 1u);

    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string wrongLength = good;
    wrongLength.append(4, '\0');
    std::string badSignature = good;
    badSignature[40] = 'X';
    std::string hugeRecord = good;
    const uint32_t huge = 0x7FFFFFF0u;
    std::memcpy(hugeRecord.data() + good.size() - 20 + 4, &huge, 4);  // the end-of-file record's size
    std::string noEof = good.substr(0, good.size() - 20);
    const uint32_t shortened = static_cast<uint32_t>(noEof.size());
    std::memcpy(noEof.data() + 48, &shortened, 4);
    std::string zeroSize = good;
    std::memset(zeroSize.data() + info.records[1].offset + 4, 0, 4);
    const Case cases[] = {
        {"empty", ""},
        {"truncated header", good.substr(0, 40)},
        {"length differs from nBytes", wrongLength},
        {"no signature", badSignature},
        {"record past the end", hugeRecord},
        {"no end-of-file", noEof},
        {"a record of size 0", zeroSize},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ReadEmf(c.bytes, info, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

TEST(EmfReaderTest, SurvivesEveryTruncationAndCorruptedBytes) {
    const std::string good = LinesAndPictures();
    CEmfInfo info;
    for (size_t n = 0; n < good.size(); ++n) {
        // nBytes told the truth about a shorter file: only the record walk can refuse it.
        std::string cut = good.substr(0, n);
        if (n >= 52) {
            const uint32_t size = static_cast<uint32_t>(n);
            std::memcpy(cut.data() + 48, &size, 4);
        }
        EXPECT_FALSE(ReadEmf(cut, info)) << n;
    }
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bad = good;
        for (int k = 0; k < 4; ++k) bad[random() % bad.size()] = static_cast<char>(random());
        ReadEmf(bad, info);  // either answer; it must not read outside the bytes
    }
}

}  // namespace
