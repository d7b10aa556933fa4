// The text, picture and contents pages of the element property dialog without widgets.
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"
#include "report/dialogs/contents_page_logic.h"
#include "report/dialogs/picture_page_logic.h"
#include "report/dialogs/text_page_logic.h"
#include "report/model/folivox.h"
#include "report/model/image/image_file.h"
#include "report/model/picture_element.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"
#include "report/model/table_content_element.h"
#include "report/tests/model/model_fixture.h"

namespace {

class ElementPagesTest : public ::testing::Test {
protected:
    CReportParam* AddParam(const char* name, int type) {
        auto* param = new CReportParam(&manager);
        param->SetName(name);
        param->SetType(type);
        manager.GetParams().Add(param);
        return param;
    }
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
    CFolivox manager;
};

// --- Text page -------------------------------------------------------------------------------------------

TEST_F(ElementPagesTest, TextPageOpensFromTheTextValue) {
    CReportElement text(&manager);
    CTextValue& value = text.GetTextValue();
    value.SetText(std::string("Итого"));
    value.SetAlign(kAlignBottom | kAlignVCenter | kAlignRight);
    value.SetBorder(0);
    value.SetFitText(2);
    value.SetWordWrap(0);
    CTextPageLogic page(text);
    EXPECT_FALSE(page.m_bShowParam);
    EXPECT_EQ(page.m_Text, "Итого");
    EXPECT_EQ(page.m_nVAlign, 1) << "the first vertical flag set wins";
    EXPECT_EQ(page.m_nHAlign, 2);
    EXPECT_TRUE(page.m_bNoBorder);
    EXPECT_TRUE(page.m_bFitText);
    EXPECT_FALSE(page.m_bWordWrap);
    EXPECT_EQ(page.FontSizeText(), "8");
    EXPECT_EQ(page.FaceText(), "Arial");

    value.SetAlign(0);
    CTextPageLogic none(text);
    EXPECT_EQ(none.m_nVAlign, 0);
    EXPECT_EQ(none.m_nHAlign, -1);
}

TEST_F(ElementPagesTest, TextPageAppliesOwnTextOrAParameter) {
    AddParam("Автор", kParamText);
    CReportParam* year = AddParam("Год", kParamNumber);
    CReportElement text(&manager);
    text.GetTextValue().SetText(year);

    CTextPageLogic page(text);
    EXPECT_TRUE(page.m_bShowParam);
    ASSERT_EQ(page.Params().size(), 2u);
    EXPECT_EQ(page.m_nParam, 1);

    page.m_nParam = -1;
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Не выбран параметр для отображения"});
    EXPECT_EQ(text.GetTextValue().GetParam(), year) << "a refused page changes nothing";

    page.m_bShowParam = false;
    page.m_Text = "Строка 1\nСтрока 2";
    page.m_nVAlign = 2;
    page.m_nHAlign = -1;
    page.m_bNoBorder = false;
    page.m_bVertical = true;
    page.m_bWordWrap = true;
    page.m_bFitText = true;
    page.m_Font.lfHeight = 120;
    ASSERT_TRUE(page.Apply());
    const CTextValue& value = text.GetTextValue();
    EXPECT_EQ(value.GetType(), kTextOwn);
    EXPECT_EQ(value.GetText(), "Строка 1\nСтрока 2");
    EXPECT_EQ(value.GetAlign(), kAlignBottom);
    EXPECT_EQ(value.GetBorder(), 1);
    EXPECT_EQ(value.GetOrientation(), 1);
    EXPECT_EQ(value.GetWordWrap(), 1);
    EXPECT_EQ(value.GetFitText(), 1);
    EXPECT_EQ(value.GetFont().lfHeight, 120);

    page.m_bShowParam = true;
    page.m_nParam = 0;
    page.m_nHAlign = 1;
    ASSERT_TRUE(page.Apply());
    EXPECT_EQ(value.GetType(), kTextParam);
    EXPECT_EQ(value.GetParam(), manager.GetParams().GetAt(0));
    EXPECT_EQ(value.GetAlign(), kAlignBottom | kAlignHCenter);
}

// --- Picture page ----------------------------------------------------------------------------------------

TEST(PicturePageFormats, ExtensionsInAnyCaseAndGifOnlyForOpening) {
    const struct {
        const char* path;
        int open, save;
    } cases[] = {
        {"a.bmp", IMAGE_FORMAT_BMP, IMAGE_FORMAT_BMP},
        {"a.DIB", IMAGE_FORMAT_BMP, IMAGE_FORMAT_BMP},
        {"a.Gif", IMAGE_FORMAT_GIF, -1},
        {"a.JPG", IMAGE_FORMAT_JPEG, IMAGE_FORMAT_JPEG},
        {"a.jpeg", IMAGE_FORMAT_JPEG, IMAGE_FORMAT_JPEG},
        {"a.png", IMAGE_FORMAT_PNG, IMAGE_FORMAT_PNG},
        {"a.ico", IMAGE_FORMAT_ICO, IMAGE_FORMAT_ICO},
        {"dir.v2/a.TIFF", IMAGE_FORMAT_TIFF, IMAGE_FORMAT_TIFF},
        {"a.tif", IMAGE_FORMAT_TIFF, IMAGE_FORMAT_TIFF},
        {"a.pcx", -1, -1},
        {"noextension", -1, -1},
        {"a.", -1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PictureOpenFormat(c.path), c.open) << c.path;
        EXPECT_EQ(PictureSaveFormat(c.path), c.save) << c.path;
    }
}

class PicturePageTest : public ElementPagesTest {
protected:
    std::string WritePng(const char* name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::red);
        const std::string path = dir / name;
        EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
        return path;
    }
    zor::test::ScopedTempDir dir;
};

TEST_F(PicturePageTest, ChosenFileShowsItsSizeAndReplacesThePictureOnlyWhenApplied) {
    CPictureElement picture(&manager);
    CPicturePageLogic page(picture);
    const int oldWidth = picture.GetPicture()->GetWidth();
    const std::string path = WritePng("PHOTO.PNG", 7, 5);
    ASSERT_TRUE(page.ChooseFile(path));
    EXPECT_EQ(page.m_FileName, path);
    EXPECT_EQ(page.m_nWidth, 7);
    EXPECT_EQ(page.m_nHeight, 5);
    EXPECT_EQ(picture.GetPicture()->GetWidth(), oldWidth) << "choosing only reads the file";

    page.m_bFit = true;
    page.m_bKeepAspect = true;
    ASSERT_TRUE(page.Apply());
    EXPECT_EQ(picture.GetPicture()->GetWidth(), 7) << "an upper-case extension loads too";
    EXPECT_EQ(picture.GetDrawMode(), kPictureFit | kPictureKeepAspect);

    page.m_bFit = false;
    page.m_FileName.clear();
    ASSERT_TRUE(page.Apply());
    EXPECT_EQ(picture.GetDrawMode(), 0) << "proportions only count while fitting";
    EXPECT_EQ(picture.GetPicture()->GetWidth(), 7) << "an empty name keeps the picture";
}

TEST_F(PicturePageTest, UnreadableOrUnknownFilesKeepThePicture) {
    CPictureElement picture(&manager);
    CPicturePageLogic page(picture);
    ASSERT_TRUE(page.ChooseFile(WritePng("a.png", 3, 2)));
    ASSERT_TRUE(page.Apply());

    EXPECT_FALSE(page.ChooseFile(dir / "a.pcx"));
    EXPECT_EQ(sink.Texts().back(), "Неизвестный формат файла.");

    const std::string damaged = dir / "b.png";
    ASSERT_TRUE(zor::WriteFileAtomically(damaged, "not a picture"));
    page.m_FileName = damaged;
    EXPECT_FALSE(page.Apply());
    page.m_FileName = dir / "missing.png";
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(picture.GetPicture()->GetWidth(), 3);
    EXPECT_EQ(picture.GetPicture()->GetHeight(), 2);
}

TEST_F(PicturePageTest, SavingPicksTheFormatAndRefusesGif) {
    CPictureElement picture(&manager);
    CPicturePageLogic page(picture);
    ASSERT_TRUE(page.ChooseFile(WritePng("a.png", 4, 4)));
    ASSERT_TRUE(page.Apply());
    EXPECT_TRUE(page.Save(dir / "copy.BMP"));
    CImageFile copy;
    ASSERT_TRUE(copy.Load((dir / "copy.BMP").c_str(), IMAGE_FORMAT_BMP));
    EXPECT_EQ(copy.GetWidth(), 4);
    sink.Clear();
    EXPECT_FALSE(page.Save(dir / "copy.gif"));
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Неизвестный формат файла."});
    EXPECT_FALSE(std::filesystem::exists(dir / "copy.gif"));
}

// --- Contents page ---------------------------------------------------------------------------------------

class ContentsPageTest : public ElementPagesTest {
protected:
    void SetUp() override {
        element.GetContentTitle().AddLevel()->SetIndent(5.0);
        element.GetContentTitle().AddLevel()->SetIndent(10.0);
    }
    CTableContentElement element{&manager};
};

TEST_F(ContentsPageTest, IndentEditorAcceptsNumbersAndEmptyAndKeepsLetters) {
    CContentsPageLogic page(element);
    ASSERT_EQ(page.Levels().GetLevelCount(), 2);
    EXPECT_EQ(page.LevelName(1), "Уровень 2");
    EXPECT_EQ(page.IndentText(1), "10.0");
    EXPECT_EQ(page.FontText(0), ContentsFontText(element.GetContentTitle().GetLevel(0)->GetFont()));

    const struct {
        const char* text;
        bool accepted;
        const char* shown;  // the cell afterwards
    } cases[] = {
        {"7.5", true, "7.5"},
        {"abc", false, "7.5"},
        {"7,5", false, "7.5"},
        {"", true, "0.0"},
        {"12", true, "12.0"},
    };
    for (const auto& c : cases) {
        page.BeginIndentEdit(0);
        EXPECT_EQ(page.CommitIndentEdit(c.text), c.accepted) << c.text;
        EXPECT_EQ(page.EditingLevel(), c.accepted ? -1 : 0) << "letters keep the editor open: " << c.text;
        EXPECT_EQ(page.IndentText(0), c.shown) << c.text;
        page.CancelIndentEdit();
    }
    EXPECT_EQ(element.GetContentTitle().GetLevel(0)->GetIndent(), 5.0) << "the element waits for OK";
}

TEST_F(ContentsPageTest, ApplyMovesTheWorkingCopyIntoTheElement) {
    CContentsPageLogic page(element);
    page.BeginIndentEdit(1);
    ASSERT_TRUE(page.CommitIndentEdit("7.5"));
    page.DelLevel(0);
    page.AddLevel();
    LOGFONT bold = element.GetTitleFont();
    bold.lfHeight = 140;
    bold.SetFaceName("Times New Roman");
    page.SetLevelFont(1, bold);
    page.m_Title = "Оглавление";
    page.m_TitleFont = bold;
    page.m_PageNumberWidth = "25.5";
    ASSERT_TRUE(page.Apply());

    const CTableContentTitle& levels = element.GetContentTitle();
    ASSERT_EQ(levels.GetLevelCount(), 2);
    EXPECT_EQ(levels.GetLevel(0)->GetIndent(), 7.5);
    EXPECT_EQ(levels.GetLevel(1)->GetIndent(), 5.0) << "a new level has the default indent";
    EXPECT_STREQ(levels.GetLevel(1)->GetFont().lfFaceName, "Times New Roman");
    EXPECT_EQ(element.GetTitle(), "Оглавление");
    EXPECT_EQ(element.GetTitleFont().lfHeight, 140);
    EXPECT_EQ(element.GetPageNumberWidth(), 25.5);
    EXPECT_EQ(ContentsFontText(bold), "Times New Roman (14 пт)");

    page.m_PageNumberWidth = "x";
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(element.GetPageNumberWidth(), 25.5);
}

TEST(ContentsPageStore, AppliedLevelsReplaceTheStoredOnesWithoutLeftovers) {
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
    model_test::AttachedModel model;
    ASSERT_TRUE(model.loaded);
    const CReportSchema& s = model.manager.Schema();
    auto liveCount = [&](CzorEntity* entity) {
        CzorTAggr<CzorInstance> all;
        model.store.GetEntityExtent(entity, all);
        int n = 0;
        for (CzorInstance* i : all) n += i && !i->IsDeleted();
        return n;
    };
    CTableContentElement element(&model.manager);
    for (int i = 0; i < 3; ++i) element.GetContentTitle().AddLevel()->SetIndent(5.0 + i);
    element.Update(true);
    ASSERT_EQ(liveCount(s.e_zor_table_content_title_level), 3);

    CContentsPageLogic page(element);
    page.DelLevel(0);
    page.BeginIndentEdit(0);
    ASSERT_TRUE(page.CommitIndentEdit("7.5"));
    ASSERT_TRUE(page.Apply());
    element.Update(true);
    EXPECT_EQ(liveCount(s.e_zor_table_content_title_level), 2);
    EXPECT_EQ(liveCount(s.e_zor_table_content_title), 1);

    // Read back from the store, the element holds what the page showed.
    CTableContentElement reread(&model.manager);
    reread.SetInstance(element.GetInstance());
    reread.Update(false);
    ASSERT_EQ(reread.GetContentTitle().GetLevelCount(), 2);
    EXPECT_EQ(reread.GetContentTitle().GetLevel(0)->GetIndent(), 7.5);
    EXPECT_EQ(reread.GetContentTitle().GetLevel(1)->GetIndent(), 7.0);
}

}  // namespace
