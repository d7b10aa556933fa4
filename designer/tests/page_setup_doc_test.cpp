// The page set-up and the work settings over an open document: the shipped example's page opens as the
// A4 portrait page it is and confirms unchanged; OK leaves split and fit where printing from the command
// line and the next start read them; the work settings' common-scale switches reach the open document.
#include <filesystem>
#include <utility>

#include "designer/frame/doc_host.h"
#include "designer/print/printed_report.h"
#include "designer/settings_dialogs/settings_logic.h"
#include "designer/tests/doc_fixture.h"
#include "platform/settings/profile.h"

namespace quillmark::doc_test {
namespace {

using ::testing::IsEmpty;

const std::string kExample = QM_SOURCE_DIR "/examples/sales.zordot";

class PageSetupDocTest : public DocTest {
protected:
    std::unique_ptr<CQuillmarkDoc> OpenExample() {
        // A copy, so that the open's write-back test never touches the shipped file.
        std::filesystem::copy_file(kExample, Path("sales.zordot"));
        auto doc = NewDoc();
        EXPECT_TRUE(doc->OnOpenDocument(Path("sales.zordot")));
        return doc;
    }
};

TEST_F(PageSetupDocTest, TheExampleOpensAsA4PortraitWithoutMarginsAndConfirmsUnchanged) {
    auto doc = OpenExample();
    ASSERT_TRUE(doc);
    const CPageSetupData before = DocumentPageSetup(*doc);
    CPageSetupLogic logic(before);
    EXPECT_EQ(CPageSetupLogic::StandardSizes()[static_cast<size_t>(logic.SizeIndex())].name, std::string("A4"));
    EXPECT_FALSE(logic.Landscape()) << "Книжная";
    EXPECT_EQ(logic.width, "297");
    EXPECT_EQ(logic.height, "210");
    for (const std::string* margin : {&logic.marginLeft, &logic.marginTop, &logic.marginRight, &logic.marginBottom})
        EXPECT_EQ(*margin, "0");

    CPageSetupData after;
    ASSERT_TRUE(logic.Apply(after)) << "OK refused";
    EXPECT_EQ(after.first, 2100);
    EXPECT_EQ(after.second, 2970);
    EXPECT_EQ(after.orientation, 0);
    EXPECT_EQ(after.printArea, before.printArea);
    EXPECT_FALSE(ApplyPageSetup(*doc, after)) << "nothing changed";
    after.orientation = 1;
    std::swap(after.first, after.second);
    EXPECT_TRUE(ApplyPageSetup(*doc, after)) << "turned to landscape";
    EXPECT_EQ(doc->m_pageSize, CSize(2970, 2100));
    EXPECT_THAT(messages.Texts(), IsEmpty());
}

TEST_F(PageSetupDocTest, OkKeepsSplitAndFitInTheProfileForPrintingAndTheNextStart) {
    auto doc = OpenExample();
    ASSERT_TRUE(doc);
    struct Case {
        bool split, fit;
    } cases[] = {{true, false}, {false, true}, {true, true}, {false, false}};
    for (const Case& c : cases) {
        CPageSetupData set = DocumentPageSetup(*doc);
        set.splitToA4 = c.split;
        set.fitToPage = c.fit;
        EXPECT_FALSE(ApplyPageSetup(*doc, set)) << "the file has nothing new to save";
        EXPECT_EQ(doc->m_splitPage, c.split ? 1 : 0);
        EXPECT_EQ(doc->m_fitToPage, c.fit ? 1 : 0);
        // What the command line's printing reads, and what the next document starts with.
        const PrintSettings printed = ProfilePrintSettings();
        EXPECT_EQ(printed.splitPage, c.split ? 1 : 0) << c.split << c.fit;
        EXPECT_EQ(printed.fitToPage, c.fit ? 1 : 0) << c.split << c.fit;
        auto next = NewDoc();
        EXPECT_EQ(next->m_splitPage, c.split ? 1 : 0);
        EXPECT_EQ(next->m_fitToPage, c.fit ? 1 : 0);
    }
}

TEST_F(PageSetupDocTest, WorkSettingsOkReachesTheOpenDocument) {
    auto doc = NewDoc();
    ASSERT_TRUE(doc->OnNewDocument());
    ASSERT_EQ(doc->m_useOneScaleInDot, 0);
    ASSERT_EQ(doc->m_useOneScaleInReport, 1);
    CWorkSettingsLogic settings;
    settings.Load();
    settings.Fields().oneScaleInDot = true;
    settings.Fields().oneScaleInReport = false;
    ASSERT_TRUE(settings.Apply());
    ApplyWorkSettings(*doc);
    EXPECT_EQ(doc->m_useOneScaleInDot, 1);
    EXPECT_EQ(doc->m_useOneScaleInReport, 0);
}

}  // namespace
}  // namespace quillmark::doc_test
