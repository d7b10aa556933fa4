// The picture element in the store: templates saved and reloaded, missing and damaged blobs, deletion,
// pictures carried into another store, and pictures moved as bytes without being decoded.
#include <cstdio>
#include <cstring>

#include "report/model/element_factory.h"
#include "report/model/image/image_errors.h"

#include "platform/zordata/clock.h"
#include "report/tests/picture/picture_fixture.h"

namespace picture_test {
namespace {

using image_test::CountDifferences;
using image_test::ReadBytes;

const std::string kDamaged = QM_SOURCE_DIR "/report/tests/image/damaged/";

class PictureStoreTest : public PictureTest {
protected:
    // A sheet holding a text rectangle and a picture element (a 60 × 30 picture from a PNG file).
    CPictureElement* PlacePicture(CReportSheet* sheet) {
        NewRect(sheet, CPoint(100, -100), CSize(500, 80), "Заголовок");
        auto* element = new CPictureElement(&Manager());
        auto picture = TwoColourPicture(60, 30);
        EXPECT_EQ(element->LoadPicture(SaveAs(*picture, "logo.png", IMAGE_FORMAT_PNG)), 1);
        element->SetOrigin(CPoint(150, -600));
        element->SetSize(CSize(400, 200));
        element->SetName("Логотип");
        element->SetLineWidth(5);
        element->SetFixed(1);
        element->SetDrawMode(kPictureFit | kPictureKeepAspect);
        sheet->Add(element);
        return element;
    }

    static CPictureElement* OnlyPicture(CFolivox& manager) {
        CPictureElement* found = nullptr;
        for (CReportSheet* sheet : manager.GetSheets())
            for (CReportElement* e : sheet->GetElements())
                if (auto* p = dynamic_cast<CPictureElement*>(e)) {
                    EXPECT_EQ(found, nullptr) << "more than one picture";
                    found = p;
                }
        return found;
    }

    static void ExpectSamePicture(CPictureElement* read, CPictureElement* written) {
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->GetKind(), kElemPicture);
        EXPECT_EQ(read->GetDrawMode(), kPictureFit | kPictureKeepAspect);
        EXPECT_EQ(read->GetOrigin(), CPoint(150, -600));
        EXPECT_EQ(read->GetSize(), CSize(400, 200));
        EXPECT_EQ(read->GetName(), "Логотип");
        EXPECT_EQ(read->GetLineWidth(), 5);
        EXPECT_EQ(read->GetFixed(), 1);
        EXPECT_EQ(read->GetPictureTiff(), written->GetPictureTiff());
        auto expected = TwoColourPicture(60, 30);
        EXPECT_EQ(CountDifferences(*read->GetPicture(), *expected), 0);
    }

    // A new element object for a stored instance, read from it.
    std::unique_ptr<CPictureElement> ReadBack(CzorInstance* instance) {
        auto element = NewPicture();
        element->SetInstance(instance);
        element->Update(false);
        return element;
    }

    std::vector<unsigned char> Blob(CzorInstance* instance) {
        std::vector<unsigned char> bytes;
        Store().GetIntegratedBlob(instance, S().zor_report_pic_picture, bytes);
        return bytes;
    }
};

TEST_F(PictureStoreTest, TemplateKeepsThePictureInsideItsFile) {
    zor::ScopedClock clock([] { return std::time_t(1709640000); });  // both saves carry one time stamp
    CPictureElement* written = PlacePicture(NewSheet());
    model_test::WriteReport(Manager());
    const std::vector<unsigned char> blob = Blob(written->GetInstance());
    EXPECT_TRUE(LooksLikeTiff(blob));
    EXPECT_EQ(blob, written->GetPictureTiff());
    const std::string path = dir.File("logo.zordot");
    ASSERT_TRUE(Store().SaveToFile(path.c_str())) << Store().GetLastErrorDescription();
    // The file alone holds the picture.
    std::remove(dir.File("logo.png").c_str());

    model_test::AttachedModel reloaded;
    ASSERT_TRUE(reloaded.loaded);
    ASSERT_TRUE(reloaded.store.LoadFromFile(path.c_str())) << reloaded.store.GetLastErrorDescription();
    model_test::ReadReport(reloaded.manager);
    CPictureElement* read = OnlyPicture(reloaded.manager);
    ExpectSamePicture(read, written);

    // Written again unchanged, the blob is the same bytes, and the file saves to the same text.
    model_test::WriteReport(reloaded.manager);
    std::vector<unsigned char> again;
    ASSERT_TRUE(reloaded.store.GetIntegratedBlob(read->GetInstance(), reloaded.manager.Schema().zor_report_pic_picture, again));
    EXPECT_EQ(again, blob);
    const auto first = ReadBytes(path);
    ASSERT_TRUE(reloaded.store.SaveToFile(path.c_str()));
    EXPECT_EQ(ReadBytes(path), first);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(PictureStoreTest, MissingBlobReadsAsAnEmptyPictureQuietly) {
    CPictureElement* written = PlacePicture(NewSheet());
    written->Update(true);
    ASSERT_TRUE(Store().DelIntegratedBlob(written->GetInstance(), S().zor_report_pic_picture));

    auto read = ReadBack(written->GetInstance());
    ASSERT_NE(read->GetPicture(), nullptr);
    EXPECT_EQ(read->GetPicture()->GetWidth(), 0);
    EXPECT_EQ(read->GetPicture()->GetHeight(), 0);
    EXPECT_TRUE(read->GetPictureTiff().empty());
    EXPECT_EQ(read->GetDrawMode(), kPictureFit | kPictureKeepAspect);
    EXPECT_EQ(read->GetSize(), CSize(400, 200));
    EXPECT_TRUE(messages.Texts().empty());
    // Writing it back stores no picture it never had.
    read->Update(true);
    EXPECT_TRUE(Blob(written->GetInstance()).empty());
}

TEST_F(PictureStoreTest, DamagedBlobIsReportedAndKeptInTheFile) {
    CPictureElement* written = PlacePicture(NewSheet());
    written->Update(true);
    std::vector<unsigned char> damaged = Blob(written->GetInstance());
    ASSERT_GT(damaged.size(), 16u);
    damaged.resize(damaged.size() / 2);
    damaged[0] = 'X';
    ASSERT_TRUE(Store().PutIntegratedBlob(written->GetInstance(), S().zor_report_pic_picture, damaged.data(),
                                          damaged.size()));

    auto read = ReadBack(written->GetInstance());
    EXPECT_EQ(read->GetPicture()->GetWidth(), 0);
    EXPECT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(read->GetName(), "Логотип");
    read->Update(true);
    EXPECT_EQ(Blob(written->GetInstance()), damaged);
}

// A picture that arrives as bytes is decoded when it is first shown, never when it is only moved: a
// damaged picture read from a file travels intact through a clone, a record and another instance, and is
// reported once, when something asks for its pixels.
TEST_F(PictureStoreTest, DamagedPictureTravelsIntactUntilShown) {
    const std::vector<unsigned char> damaged = ReadBytes(kDamaged + "garbage_strip.tif");
    ASSERT_FALSE(damaged.empty());
    CReportSheet* sheet = NewSheet();
    CPictureElement* written = PlacePicture(sheet);
    written->Update(true);
    ASSERT_TRUE(Store().PutIntegratedBlob(written->GetInstance(), S().zor_report_pic_picture, damaged.data(),
                                          damaged.size()));

    auto read = ReadBack(written->GetInstance());
    EXPECT_EQ(read->GetPictureTiff(), damaged);
    std::unique_ptr<CReportElement> clone(read->CreateClon());
    auto* clonedPicture = dynamic_cast<CPictureElement*>(clone.get());
    ASSERT_NE(clonedPicture, nullptr);
    EXPECT_EQ(clonedPicture->GetPictureTiff(), damaged);
    const std::vector<uint8_t> record = Record(*read);
    CRecordReader in(record);
    std::unique_ptr<CReportElement> pasted(ReadElementRecord(in, &Manager()));
    ASSERT_NE(dynamic_cast<CPictureElement*>(pasted.get()), nullptr);
    EXPECT_EQ(static_cast<CPictureElement*>(pasted.get())->GetPictureTiff(), damaged);
    sheet->Add(clone.get());
    clone->Update(true);
    EXPECT_EQ(Blob(clone->GetInstance()), damaged);
    sheet->GetElements().Remove(clone.get());
    EXPECT_TRUE(messages.Texts().empty());

    // Shown: decoded now, reported once, an empty picture; written back as it came.
    EXPECT_EQ(read->GetPicture()->GetWidth(), 0);
    EXPECT_EQ(read->GetPicture()->GetHeight(), 0);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{image_error::kTiffCorrupt});
    read->Update(true);
    EXPECT_EQ(Blob(written->GetInstance()), damaged);
}

// Pictures beyond the caps are refused where bytes are taken on as a new picture (a pasted record, a data
// cell), from their header alone.
TEST_F(PictureStoreTest, PicturesBeyondTheCapsAreRefusedFromTheirHeader) {
    const std::vector<unsigned char> huge = ReadBytes(kDamaged + "huge_13000.tif");
    ASSERT_FALSE(huge.empty());
    auto element = PictureFromPng(16, 8);
    const std::vector<uint8_t> tiff = element->GetPictureTiff();
    EXPECT_EQ(element->LoadPictureData(huge.data(), huge.size(), IMAGE_FORMAT_TIFF), 0);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{image_error::kTiffRaster});
    EXPECT_EQ(element->GetPictureTiff(), tiff);

    // The same bytes in a record: refused, the element unchanged.
    auto carrier = NewPicture();
    ASSERT_EQ(carrier->LoadPictureData(tiff.data(), tiff.size(), IMAGE_FORMAT_TIFF), 1);
    std::vector<uint8_t> record = Record(*carrier);
    const size_t tiffAt = record.size() - tiff.size();
    record.resize(tiffAt);
    record.insert(record.end(), huge.begin(), huge.end());
    const int32_t length = static_cast<int32_t>(huge.size());
    std::memcpy(&record[tiffAt - 4], &length, 4);
    CRecordReader in(record, 4);
    EXPECT_FALSE(element->LoadDataFromMem(in));
    EXPECT_EQ(element->GetPictureTiff(), tiff);
}

TEST_F(PictureStoreTest, FailedLoadThenWriteKeepsTheStoredPicture) {
    CPictureElement* element = PlacePicture(NewSheet());
    element->Update(true);
    const std::vector<unsigned char> blob = Blob(element->GetInstance());
    EXPECT_EQ(element->LoadPicture(dir.File("missing.png")), 0);
    EXPECT_EQ(element->LoadPicture(dir.File("logo.PNG")), 0);
    element->Update(true);
    EXPECT_EQ(Blob(element->GetInstance()), blob);
}

TEST_F(PictureStoreTest, NewElementStoresThePlaceholder) {
    CReportSheet* sheet = NewSheet();
    CReportElement* element = sheet->CreateReportElem(CPoint(0, -100), CSize(100, 100), kElemPicture);
    sheet->Add(element);
    element->Update(true);
    const std::vector<unsigned char> blob = Blob(element->GetInstance());
    CImageFile stored;
    ASSERT_TRUE(stored.LoadFromMemory(blob.data(), blob.size(), IMAGE_FORMAT_TIFF));
    EXPECT_EQ(CountDifferences(stored, *static_cast<CPictureElement*>(element)->GetPlaceholder()), 0);
}

TEST_F(PictureStoreTest, DeleteRemovesTheBlobAndTheDependentInstances) {
    CPictureElement* element = PlacePicture(NewSheet());
    element->Update(true);
    CzorInstance* instance = element->GetInstance();
    CzorInstance* origin = nullptr;
    ASSERT_TRUE(Store().GetAttr(instance, S().zor_report_sheet_element_org_pt, origin));
    ASSERT_FALSE(Blob(instance).empty());
    element->Delete();
    EXPECT_TRUE(Blob(instance).empty());
    EXPECT_TRUE(origin->IsDeleted());
}

TEST_F(PictureStoreTest, PictureTravelsIntoAnotherStoreByFarCopy) {
    CPictureElement* written = PlacePicture(NewSheet());
    model_test::WriteReport(Manager());
    CzorTAggr<CzorInstance> roots;
    Store().GetEntityExtent(S().e_zor_report, roots);
    ASSERT_EQ(roots.GetSize(), 1);

    model_test::AttachedModel target;
    ASSERT_TRUE(target.loaded);
    ASSERT_TRUE(Store().zorFarCopyInstances(roots, target.store, true)) << Store().GetLastErrorDescription();
    model_test::ReadReport(target.manager);
    ExpectSamePicture(OnlyPicture(target.manager), written);

    // And on through the second store's file.
    const std::string path = dir.File("copy.zorrep");
    ASSERT_TRUE(target.store.SaveToFile(path.c_str()));
    model_test::AttachedModel reloaded;
    ASSERT_TRUE(reloaded.store.LoadFromFile(path.c_str()));
    model_test::ReadReport(reloaded.manager);
    ExpectSamePicture(OnlyPicture(reloaded.manager), written);
}

TEST_F(PictureStoreTest, ClonedSheetKeepsItsPictures) {
    CReportSheet* sheet = NewSheet();
    CPictureElement* written = PlacePicture(sheet);
    model_test::WriteReport(Manager());
    CReportSheet* copy = Manager().CloneSheet(sheet, -2);
    ASSERT_NE(copy, nullptr);
    CPictureElement* cloned = nullptr;
    for (CReportElement* e : copy->GetElements())
        if (auto* p = dynamic_cast<CPictureElement*>(e)) cloned = p;
    ExpectSamePicture(cloned, written);
    EXPECT_NE(cloned->GetInstance(), written->GetInstance());
    delete copy;
}

}  // namespace
}  // namespace picture_test
