// The picture element in memory: its placeholder, loading pictures, records and clones.
#include <cstring>
#include <filesystem>

#include "platform/base/tempfile.h"
#include "platform/settings/profile.h"
#include "platform/tests/test_support.h"
#include "report/model/element_factory.h"
#include "report/model/picture_placeholder.h"
#include "report/tests/picture/picture_fixture.h"

namespace picture_test {
namespace {

using image_test::CountDifferences;
using image_test::ReadBytes;
using image_test::WriteBytes;

// A picture file a test writes: its name, what it shows and its format.
struct PictureFile {
    const char* name;
    CImageFile* image;
    int format;
};

// --- Placeholder and defaults --------------------------------------------------------------------------------

TEST_F(PictureTest, NewElementTakesTheProfileDrawModeAndShowsThePlaceholder) {
    auto element = NewPicture();
    EXPECT_EQ(element->GetKind(), kElemPicture);
    EXPECT_EQ(element->GetDrawMode(), 0);
    auto builtIn = MakePlaceholderImage();
    ASSERT_NE(element->GetPlaceholder(), nullptr);
    EXPECT_EQ(CountDifferences(*element->GetPlaceholder(), *builtIn), 0);
    EXPECT_EQ(CountDifferences(*element->GetPicture(), *builtIn), 0);
    EXPECT_NE(element->GetPicture(), element->GetPlaceholder());

    ASSERT_TRUE(WriteProfileInt("DefaultSettings", "PictureDrawMode", 3));
    EXPECT_EQ(NewPicture()->GetDrawMode(), 3);
    ASSERT_TRUE(WriteProfileInt("DefaultSettings", "PictureDrawMode", 0));
}

TEST_F(PictureTest, InstalledPlaceholderFileIsOurDrawnPlaceholder) {
    CImageFile file;
    ASSERT_TRUE(file.Load(QM_DICT_DIR "/empty.bmp", IMAGE_FORMAT_BMP)) << file.GetErrorText();
    auto builtIn = MakePlaceholderImage();
    EXPECT_EQ(file.GetWidth(), 48);
    EXPECT_EQ(file.GetHeight(), 48);
    EXPECT_EQ(CountDifferences(file, *builtIn), 0);
    // An independent reader sees the same picture.
    const QImage independent(QM_DICT_DIR "/empty.bmp");
    ASSERT_FALSE(independent.isNull());
    EXPECT_EQ(CountDifferences(*builtIn, independent), 0);
}

TEST_F(PictureTest, MissingOrDamagedPlaceholderFileFallsBackToTheDrawnOne) {
    auto builtIn = MakePlaceholderImage();
    for (bool damaged : {false, true}) {
        SCOPED_TRACE(damaged ? "damaged" : "missing");
        image_test::TempDir dictDir;
        if (damaged) WriteBytes(dictDir.File("empty.bmp"), {'B', 'M', 1, 2, 3});
        CFolivox manager;
        manager.Attach(&Store(), dictDir.Path().c_str());
        CPictureElement element(&manager);
        EXPECT_EQ(CountDifferences(*element.GetPlaceholder(), *builtIn), 0);
        EXPECT_EQ(CountDifferences(*element.GetPicture(), *builtIn), 0);
    }
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(PictureTest, FactoriesMakePictureElementsForKindSix) {
    std::unique_ptr<CReportElement> made(NewReportElement(kElemPicture, &Manager()));
    ASSERT_NE(dynamic_cast<CPictureElement*>(made.get()), nullptr);
    EXPECT_EQ(made->GetKind(), kElemPicture);

    CReportSheet* sheet = NewSheet();
    CReportElement* created = sheet->CreateReportElem(CPoint(10, -20), CSize(30, 40), kElemPicture);
    ASSERT_NE(dynamic_cast<CPictureElement*>(created), nullptr);
    delete created;

    CzorInstance* instance = Store().CreateInstance(S().e_zor_report_pic, false, true);
    CReportElement* loaded = Manager().CreateElemObj(instance, sheet);
    ASSERT_NE(dynamic_cast<CPictureElement*>(loaded), nullptr);
    EXPECT_EQ(loaded->GetKind(), kElemPicture);
}

// --- Loading pictures -------------------------------------------------------------------------------------------

TEST_F(PictureTest, LoadPictureChoosesTheFormatByItsLowerCaseExtension) {
    auto rgb = TwoColourPicture(32, 16);
    auto palette = TwoColourPalettePicture(32, 16);
    const PictureFile files[] = {
        {"a.bmp", rgb.get(), IMAGE_FORMAT_BMP},    {"a.jpg", rgb.get(), IMAGE_FORMAT_JPEG},
        {"a.jpeg", rgb.get(), IMAGE_FORMAT_JPEG},  {"a.gif", palette.get(), IMAGE_FORMAT_GIF},
        {"a.png", rgb.get(), IMAGE_FORMAT_PNG},    {"a.ico", palette.get(), IMAGE_FORMAT_ICO},
        {"a.tif", rgb.get(), IMAGE_FORMAT_TIFF},   {"a.tiff", rgb.get(), IMAGE_FORMAT_TIFF},
        {"a.JPG", rgb.get(), IMAGE_FORMAT_JPEG},   {"a.Png", rgb.get(), IMAGE_FORMAT_PNG},
        {"a.txt", rgb.get(), IMAGE_FORMAT_BMP},    {"a", rgb.get(), IMAGE_FORMAT_BMP},
        {"a.png.d/x", rgb.get(), IMAGE_FORMAT_PNG},
    };
    std::filesystem::create_directory(dir.File("a.png.d"));
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        SaveAs(*f.image, f.name, f.format);
        const bool accepted = PictureFormatOfPath(f.name) >= 0;
        auto element = NewPicture();
        const CImageFile* before = element->GetPicture();
        EXPECT_EQ(element->LoadPicture(dir.File(f.name)), accepted ? 1 : 0);
        if (accepted) {
            EXPECT_EQ(element->GetPicture()->GetWidth(), 32);
            EXPECT_EQ(element->GetPicture()->GetHeight(), 16);
            if (f.format == IMAGE_FORMAT_JPEG) {
                // Lossy: the halves away from their common edge.
                for (auto [x, colour] : {std::pair{4, kRed}, std::pair{27, kBlue}}) {
                    const uint32_t c = image_test::PixelColour(*element->GetPicture(), x, 8);
                    for (int shift : {0, 8, 16})
                        EXPECT_NEAR(int((c >> shift) & 255), int((colour >> shift) & 255), 40) << x;
                }
            } else {
                EXPECT_EQ(CountDifferences(*element->GetPicture(), *f.image), 0);
            }
        } else {
            EXPECT_EQ(element->GetPicture(), before);
        }
    }
    const int accepted[] = {0, 2, 2, 1, 3, 4, 5, 5};
    int i = 0;
    for (const char* name : {"x.bmp", "x.jpg", "x.jpeg", "x.gif", "x.png", "x.ico", "x.tif", "x.tiff"})
        EXPECT_EQ(PictureFormatOfPath(name), accepted[i++]) << name;
    // Unknown extensions are refused quietly.
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(PictureTest, FailedLoadKeepsThePictureAndTellsWhy) {
    auto element = PictureFromPng(40, 20);
    const CImageFile* picture = element->GetPicture();
    const std::vector<uint8_t> tiff = element->GetPictureTiff();
    WriteBytes(dir.File("broken.png"), {0x89, 'P', 'N', 'G', 1, 2, 3, 4, 5});
    WriteBytes(dir.File("empty.tif"), {});
    for (const std::string& path : {dir.File("broken.png"), dir.File("missing.bmp"), dir.File("empty.tif")}) {
        SCOPED_TRACE(path);
        messages.Clear();
        EXPECT_EQ(element->LoadPicture(path), 0);
        EXPECT_EQ(element->GetPicture(), picture);
        EXPECT_EQ(element->GetPictureTiff(), tiff);
        ASSERT_EQ(messages.Texts().size(), 1u);
        EXPECT_FALSE(messages.Texts()[0].empty());
    }
    messages.Clear();
    EXPECT_EQ(element->LoadPicture(""), 0);
    EXPECT_EQ(element->GetPicture(), picture);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(PictureTest, PictureDataInMemoryLoadsLikeAFile) {
    auto picture = TwoColourPicture(24, 12);
    std::vector<uint8_t> png, tiff;
    ASSERT_TRUE(picture->SaveToMemory(png, IMAGE_FORMAT_PNG));
    ASSERT_TRUE(picture->SaveToMemory(tiff, IMAGE_FORMAT_TIFF));
    auto element = NewPicture();
    ASSERT_EQ(element->LoadPictureData(png.data(), png.size(), IMAGE_FORMAT_PNG), 1);
    EXPECT_EQ(CountDifferences(*element->GetPicture(), *picture), 0);
    // TIFF bytes are kept as they came.
    ASSERT_EQ(element->LoadPictureData(tiff.data(), tiff.size(), IMAGE_FORMAT_TIFF), 1);
    EXPECT_EQ(element->GetPictureTiff(), tiff);

    const CImageFile* kept = element->GetPicture();
    EXPECT_EQ(element->LoadPictureData(png.data(), png.size() / 2, IMAGE_FORMAT_PNG), 0);
    EXPECT_EQ(element->LoadPictureData(nullptr, 0, IMAGE_FORMAT_TIFF), 0);
    EXPECT_EQ(element->GetPicture(), kept);
    EXPECT_EQ(messages.Texts().size(), 2u);
}

TEST_F(PictureTest, SavePictureWritesTheShownPicture) {
    auto element = PictureFromPng(30, 10);
    const std::string path = dir.File("saved.bmp");
    ASSERT_TRUE(element->SavePicture(path.c_str(), IMAGE_FORMAT_BMP));
    CImageFile back(path.c_str(), IMAGE_FORMAT_BMP);
    EXPECT_EQ(CountDifferences(back, *element->GetPicture()), 0);

    // A picture read from a record without one writes nothing.
    auto empty = WithoutPicture();
    EXPECT_FALSE(empty->SavePicture(dir.File("none.bmp").c_str(), IMAGE_FORMAT_BMP));
    EXPECT_FALSE(image_test::FileExists(dir.File("none.bmp")));
}

// --- Records ----------------------------------------------------------------------------------------------------

TEST_F(PictureTest, RecordIsTheBaseRecordThenDrawModeAndTheTiffFile) {
    auto element = PictureFromPng(50, 30);
    element->SetDrawMode(3);
    element->SetName("Эскиз");
    const int size = element->GetMemSize();
    const std::vector<uint8_t> record = Record(*element);
    ASSERT_EQ(static_cast<int>(record.size()), size);
    EXPECT_EQ(Record(*element), record);
    EXPECT_EQ(element->GetMemSize(), size);

    CReportElement base(&Manager());
    base.SetName("Эскиз");
    const size_t baseSize = static_cast<size_t>(base.GetMemSize());
    ASSERT_GT(record.size(), baseSize + 8);
    int32_t mode = 0, length = 0;
    std::memcpy(&mode, &record[baseSize], 4);
    std::memcpy(&length, &record[baseSize + 4], 4);
    EXPECT_EQ(mode, 3);
    const std::vector<uint8_t> tiff(record.begin() + static_cast<long>(baseSize) + 8, record.end());
    EXPECT_EQ(length, static_cast<int32_t>(tiff.size()));
    EXPECT_TRUE(LooksLikeTiff(tiff));
    EXPECT_EQ(tiff, element->GetPictureTiff());
    // The TIFF file is the picture.
    CImageFile decoded;
    ASSERT_TRUE(decoded.LoadFromMemory(tiff.data(), tiff.size(), IMAGE_FORMAT_TIFF));
    EXPECT_EQ(CountDifferences(decoded, *element->GetPicture()), 0);
}

TEST_F(PictureTest, CopiedElementsPasteWithByteIdenticalPictures) {
    auto rgb = TwoColourPicture(20, 10);
    auto palette = TwoColourPalettePicture(20, 10);
    const PictureFile sources[] = {{"p.bmp", rgb.get(), IMAGE_FORMAT_BMP},
                   {"p.png", rgb.get(), IMAGE_FORMAT_PNG},
                   {"p.jpg", rgb.get(), IMAGE_FORMAT_JPEG},
                   {"p.gif", palette.get(), IMAGE_FORMAT_GIF}};
    for (const auto& s : sources) {
        SCOPED_TRACE(s.name);
        auto source = NewPicture();
        ASSERT_EQ(source->LoadPicture(SaveAs(*s.image, s.name, s.format)), 1);
        source->SetOrigin(CPoint(100, -400));
        source->SetSize(CSize(300, 150));
        source->SetLineWidth(4);
        source->SetDrawMode(1);
        source->SetName("Рисунок");

        // Two pictures with a text rectangle between them in one buffer, read back in order.
        CReportElement text(&Manager());
        text.GetTextValue().SetText("между");
        std::vector<uint8_t> buffer;
        CRecordWriter out(buffer);
        source->CopyToMem(out);
        text.CopyToMem(out);
        source->CopyToMem(out);
        CRecordReader in(buffer);
        for (int i = 0; i < 3; ++i) {
            std::unique_ptr<CReportElement> pasted(ReadElementRecord(in, &Manager()));
            ASSERT_NE(pasted, nullptr) << i;
            if (i == 1) {
                EXPECT_EQ(pasted->GetTextValue().GetText(), "между");
                continue;
            }
            auto* picture = dynamic_cast<CPictureElement*>(pasted.get());
            ASSERT_NE(picture, nullptr);
            EXPECT_EQ(picture->GetOrigin(), CPoint(100, -400));
            EXPECT_EQ(picture->GetSize(), CSize(300, 150));
            EXPECT_EQ(picture->GetLineWidth(), 4);
            EXPECT_EQ(picture->GetDrawMode(), 1);
            EXPECT_EQ(picture->GetName(), "Рисунок");
            EXPECT_EQ(picture->GetPictureTiff(), source->GetPictureTiff());
            EXPECT_EQ(CountDifferences(*picture->GetPicture(), *source->GetPicture()), 0);
        }
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

// Damaged or hostile records: never read past the end, never crash, never half-change the element.
TEST_F(PictureTest, HostilePictureRecordsAreRefusedAndChangeNothing) {
    auto source = PictureFromPng(16, 8);
    source->SetDrawMode(1);
    const std::vector<uint8_t> good = Record(*source);
    const size_t lengthAt = static_cast<size_t>(CReportElement(&Manager()).GetMemSize()) + 4;
    const size_t tiffAt = lengthAt + 4;

    auto target = NewPicture();
    target->SetOrigin(CPoint(7, -9));
    target->SetSize(CSize(70, 90));
    target->SetDrawMode(2);
    const CImageFile* picture = target->GetPicture();
    const std::vector<uint8_t> tiff = target->GetPictureTiff();
    auto unchanged = [&] {
        EXPECT_EQ(target->GetOrigin(), CPoint(7, -9));
        EXPECT_EQ(target->GetSize(), CSize(70, 90));
        EXPECT_EQ(target->GetDrawMode(), 2);
        EXPECT_EQ(target->GetPicture(), picture);
        EXPECT_EQ(target->GetPictureTiff(), tiff);
    };
    auto refused = [&](const std::vector<uint8_t>& bytes, const std::string& what) {
        SCOPED_TRACE(what);
        CRecordReader in(bytes);
        std::unique_ptr<CReportElement> made(ReadElementRecord(in, &Manager()));
        EXPECT_EQ(made, nullptr);
        CRecordReader again(bytes, 4);
        EXPECT_FALSE(target->LoadDataFromMem(again));
        unchanged();
    };

    for (size_t n = 0; n < good.size(); ++n)
        refused(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)), "cut at " + std::to_string(n));

    auto patched = [&](size_t offset, int32_t value) {
        std::vector<uint8_t> b = good;
        std::memcpy(&b[offset], &value, 4);
        return b;
    };
    const int32_t m = static_cast<int32_t>(good.size() - tiffAt);
    for (int32_t bad : {-1, INT32_MIN, INT32_MAX, m + 1, m - 1})
        refused(patched(lengthAt, bad), "length " + std::to_string(bad));

    // Bytes of the right length that are no TIFF picture.
    {
        std::vector<uint8_t> b = good;
        std::fill(b.begin() + static_cast<long>(tiffAt), b.end(), 0xA5);
        refused(b, "noise");
    }
    {
        std::vector<uint8_t> b = good;
        b[tiffAt] = 'X';
        refused(b, "bad byte order mark");
    }
    {
        // A picture of absurd size: every width and height entry of the directory patched.
        std::vector<uint8_t> b = good;
        const uint8_t* t = &b[tiffAt];
        ASSERT_EQ(t[0], 'I');
        uint32_t ifd = 0;
        std::memcpy(&ifd, t + 4, 4);
        ASSERT_LT(ifd + 2, static_cast<uint32_t>(m));
        uint16_t entries = 0;
        std::memcpy(&entries, t + ifd, 2);
        int patchedTags = 0;
        for (uint16_t i = 0; i < entries && ifd + 2 + 12 * (i + 1) <= static_cast<uint32_t>(m); ++i) {
            uint8_t* e = &b[tiffAt + ifd + 2 + 12u * i];
            uint16_t tag = 0, type = 0;
            std::memcpy(&tag, e, 2);
            std::memcpy(&type, e + 2, 2);
            if (tag != 256 && tag != 257) continue;
            const uint32_t huge = 0x7FFFFFF0;
            if (type == 3) {
                const uint16_t h16 = 0xFFF0;
                std::memcpy(e + 8, &h16, 2);
            } else {
                std::memcpy(e + 8, &huge, 4);
            }
            ++patchedTags;
        }
        EXPECT_EQ(patchedTags, 2);
        refused(b, "huge dimensions");
    }
    // The kind of a picture with another kind's body.
    {
        CReportElement plain(&Manager());
        std::vector<uint8_t> b = Record(plain);
        const int32_t kind = kElemPicture;
        std::memcpy(&b[0], &kind, 4);
        refused(b, "base record only");
    }

    // A record without picture bytes is a picture element with an empty picture.
    std::vector<uint8_t> noPicture(good.begin(), good.begin() + static_cast<long>(tiffAt));
    std::memcpy(&noPicture[lengthAt], "\0\0\0\0", 4);
    CRecordReader in(noPicture, 4);
    ASSERT_TRUE(target->LoadDataFromMem(in));
    EXPECT_EQ(target->GetPicture()->GetWidth(), 0);
    EXPECT_TRUE(target->GetPictureTiff().empty());
    EXPECT_EQ(static_cast<size_t>(target->GetMemSize()), noPicture.size());
    EXPECT_TRUE(messages.Texts().empty());
}

// --- Cloning ------------------------------------------------------------------------------------------------------

TEST_F(PictureTest, CloneKeepsFieldsAndOwnsACopyOfThePicture) {
    auto source = PictureFromPng(40, 20);
    source->SetOrigin(CPoint(30, -500));
    source->SetSize(CSize(200, 100));
    source->SetName("Логотип");
    source->SetFixed(1);
    source->SetLineWidth(6);
    source->SetDrawMode(3);
    CReportSheet* sheet = NewSheet();
    sheet->Add(source.get());
    source->Update(true);

    std::unique_ptr<CReportElement> clone(source->CreateClon());
    auto* picture = dynamic_cast<CPictureElement*>(clone.get());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->GetKind(), kElemPicture);
    EXPECT_EQ(picture->GetOrigin(), CPoint(30, -500));
    EXPECT_EQ(picture->GetSize(), CSize(200, 100));
    EXPECT_EQ(picture->GetName(), "Логотип");
    EXPECT_EQ(picture->GetFixed(), 1);
    EXPECT_EQ(picture->GetLineWidth(), 6);
    EXPECT_EQ(picture->GetDrawMode(), 3);
    EXPECT_EQ(picture->GetInstance(), nullptr);
    EXPECT_EQ(picture->GetSheet(), nullptr);
    EXPECT_NE(picture->GetPicture(), source->GetPicture());
    EXPECT_EQ(picture->GetPictureTiff(), source->GetPictureTiff());

    auto expected = TwoColourPicture(40, 20);
    sheet->GetElements().Remove(source.get());
    source.reset();
    EXPECT_EQ(CountDifferences(*picture->GetPicture(), *expected), 0);
}

// Pictures never pass through files of fixed names: a file the user keeps under such a name in the folders
// named by "tmp" or "temp", or in the working folder, stays as it is, and no temporary file is left behind.
TEST_F(PictureTest, PicturesUseNoFixedFileNamesAndLeaveNoTemporaryFiles) {
    image_test::TempDir userTemp;
    const std::vector<uint8_t> keep = {'k', 'e', 'e', 'p'};
    for (const char* name : {"Temp_pic.tif", "picture.tif"}) WriteBytes(userTemp.File(name), keep);
    zor::test::ScopedEnv tmp("tmp", userTemp.Path());
    zor::test::ScopedEnv temp("temp", userTemp.Path());
    const std::string privateDir = zor::PrivateTempDir();
    ASSERT_FALSE(privateDir.empty());
    auto countIn = [](const std::string& folder) {
        int n = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
        return n;
    };
    const int before = countIn(privateDir);
    const bool inWorkingFolder = std::filesystem::exists("Temp_pic.tif");

    CReportSheet* sheet = NewSheet();
    auto element = PictureFromPng(20, 20);
    sheet->Add(element.get());
    element->Update(true);
    element->Update(false);
    std::unique_ptr<CReportElement> clone(element->CreateClon());
    std::vector<uint8_t> record = Record(*element);
    CRecordReader in(record);
    std::unique_ptr<CReportElement> pasted(ReadElementRecord(in, &Manager()));
    ASSERT_NE(pasted, nullptr);
    sheet->GetElements().Remove(element.get());

    for (const char* name : {"Temp_pic.tif", "picture.tif"}) EXPECT_EQ(ReadBytes(userTemp.File(name)), keep) << name;
    EXPECT_EQ(countIn(userTemp.Path()), 2);
    EXPECT_EQ(countIn(privateDir), before);
    EXPECT_EQ(std::filesystem::exists("Temp_pic.tif"), inWorkingFolder);
}

}  // namespace
}  // namespace picture_test
