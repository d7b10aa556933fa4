// The real program generating a report from a template that holds damaged pictures: the pictures' bytes
// are copied into the report as they are, none is decoded, and the run stays small. (A 13000 x 13000
// TIFF of a few hundred bytes took a second of work and a gigabyte when generation decoded it.)
//
// Build with designer/tests/batch_fixture.cpp and run_program.cpp and the model tests' fixture, linking
// folivox.
#include <sys/resource.h>

#include <algorithm>

#include "designer/tests/batch_fixture.h"
#include "report/model/picture_element.h"
#include "report/tests/image/image_test_util.h"
#include "report/tests/model/model_fixture.h"

namespace quillmark_test {
namespace {

using ::testing::IsEmpty;

const std::string kDamaged = QM_SOURCE_DIR "/report/tests/image/damaged/";

// Every picture blob of a template or report file, sorted.
std::vector<std::vector<unsigned char>> PictureBlobs(const std::string& path) {
    std::vector<std::vector<unsigned char>> blobs;
    model_test::AttachedModel model;
    if (!model.loaded || !model.store.LoadFromFile(path.c_str())) return blobs;
    const CReportSchema& s = model.manager.Schema();
    CzorTAggr<CzorInstance> pictures;
    model.store.GetEntityExtent(s.e_zor_report_pic, pictures);
    for (int i = 0; i < pictures.GetSize(); ++i) {
        std::vector<unsigned char> bytes;
        model.store.GetIntegratedBlob(pictures.GetAt(i), s.zor_report_pic_picture, bytes);
        blobs.push_back(std::move(bytes));
    }
    std::sort(blobs.begin(), blobs.end());
    return blobs;
}

class DamagedPictureRun : public BatchRun {
protected:
    void SetUp() override {
        BatchRun::SetUp();
        m_base = WriteDataFile();
        // Three pictures claiming 13000 x 13000 pixels and one whose strip does not decode.
        for (const char* name : {"huge_13000.tif", "huge_13000.tif", "huge_13000.tif", "garbage_strip.tif"})
            m_pictures.push_back(image_test::ReadBytes(kDamaged + name));
        ASSERT_NO_FATAL_FAILURE(WriteTemplate(W("pictures.zordot")));
    }

    // One sheet with a picture element for each damaged picture; their blobs are put into the store
    // directly, as another writer (or damage to the file) would leave them.
    void WriteTemplate(const std::string& path) {
        model_test::AttachedModel model;
        ASSERT_TRUE(model.loaded) << model.store.GetLastErrorDescription();
        CReportSheet* sheet = model_test::AddPage(model.manager);
        std::vector<CPictureElement*> elements;
        for (size_t i = 0; i < m_pictures.size(); ++i) {
            auto* element = new CPictureElement(&model.manager);
            element->SetOrigin(CPoint(100 + 500 * static_cast<int>(i), -200));
            element->SetSize(CSize(400, 300));
            sheet->Add(element);
            elements.push_back(element);
        }
        model_test::WriteReport(model.manager);
        const CReportSchema& s = model.manager.Schema();
        for (size_t i = 0; i < m_pictures.size(); ++i)
            ASSERT_TRUE(model.store.PutIntegratedBlob(elements[i]->GetInstance(), s.zor_report_pic_picture,
                                                      m_pictures[i].data(), m_pictures[i].size()));
        ASSERT_TRUE(model.store.SaveToFile(path.c_str())) << model.store.GetLastErrorDescription();
    }

    std::string m_base;
    std::vector<std::vector<unsigned char>> m_pictures;
};

TEST_F(DamagedPictureRun, GenerationCopiesThePicturesWithoutDecodingThem) {
    ASSERT_EQ(PictureBlobs(W("pictures.zordot")).size(), 4u);
    const ProgramResult r = Run({"-gen", W("pictures.zordot"), "-path=" + m_base, "-outfile=" + W("r.zorrep")});
    ASSERT_EQ(r.exitStatus, 0) << Describe(r);
    // Nothing tried to decode them, so nothing was reported.
    EXPECT_THAT(Messages(r.err), IsEmpty()) << Describe(r);

    // The report holds the very bytes of the template's pictures.
    std::vector<std::vector<unsigned char>> expected = m_pictures;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(PictureBlobs(W("r.zorrep")), expected);

    // The run's peak memory is the program's own, far below one decoded 13000 x 13000 picture (500 MB and
    // more); this child is the only process the test has waited for.
    rusage children{};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &children), 0);
    EXPECT_LT(children.ru_maxrss, 300L * 1024) << "peak resident kilobytes of the run";
}

}  // namespace
}  // namespace quillmark_test
