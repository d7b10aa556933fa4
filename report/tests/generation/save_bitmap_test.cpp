// Rendered pages written as image files by their extension, and the copy of the data source named in the
// profile.
#include <QImage>

#include <filesystem>

#include <gmock/gmock.h>

#include "platform/settings/profile.h"
#include "report/model/image/image_file.h"
#include "report/tests/generation/generation_fixture.h"

namespace generation_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

QImage Page() {
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 40));
    for (int x = 0; x < 24; ++x) image.setPixelColor(x, 3, QColor(10, 220, 10));
    return image;
}

// Icons hold palette images only.
QImage PalettePage() { return Page().convertToFormat(QImage::Format_Indexed8); }

class SaveBitmapTest : public GenerationTest {};

TEST_F(SaveBitmapTest, TheExtensionInAnyCaseChoosesTheFormat) {
    const struct {
        const char* file;
        int format;
    } cases[] = {
        {"a.bmp", IMAGE_FORMAT_BMP}, {"b.DIB", IMAGE_FORMAT_BMP},  {"c.JPG", IMAGE_FORMAT_JPEG},
        {"d.jpeg", IMAGE_FORMAT_JPEG}, {"e.png", IMAGE_FORMAT_PNG},   {"f.Ico", IMAGE_FORMAT_ICO},
        {"g.tif", IMAGE_FORMAT_TIFF}, {"h.TIFF", IMAGE_FORMAT_TIFF}, {"i.x.png", IMAGE_FORMAT_PNG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QImage page = c.format == IMAGE_FORMAT_ICO ? PalettePage() : Page();
        ASSERT_TRUE(SaveBitmapAs(page, Path(c.file).c_str()));
        CImageFile back;
        ASSERT_TRUE(back.Load(Path(c.file).c_str(), c.format)) << back.GetErrorText();
        EXPECT_EQ(back.GetWidth(), 24);
        EXPECT_EQ(back.GetHeight(), 16);
    }
    EXPECT_THAT(Messages(), IsEmpty());
}

TEST_F(SaveBitmapTest, RefusalsAndFailuresWriteNothing) {
    for (const char* file : {"page.gif", "page", "page.txt", "folder.png/page"}) {
        SCOPED_TRACE(file);
        messages.Clear();
        EXPECT_FALSE(SaveBitmapAs(Page(), Path(file).c_str()));
        EXPECT_THAT(Messages(), ElementsAre("Неизвестный формат файла."));
        EXPECT_FALSE(std::filesystem::exists(Path(file)));
    }
    messages.Clear();
    EXPECT_FALSE(SaveBitmapAs(QImage(), Path("empty.png").c_str()));
    EXPECT_FALSE(SaveBitmapAs(Page(), nullptr));
    EXPECT_THAT(Messages(), IsEmpty());
    // The image's own reason: a true-colour page makes no icon.
    EXPECT_FALSE(SaveBitmapAs(Page(), Path("page.ico").c_str()));
    EXPECT_THAT(Messages(), ElementsAre("Can't save this image as icon"));
    EXPECT_FALSE(std::filesystem::exists(Path("page.ico")));
    messages.Clear();
    // A folder that does not exist: the writer's own reason is shown.
    EXPECT_FALSE(SaveBitmapAs(Page(), Path("missing/page.png").c_str()));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_FALSE(Messages()[0].empty());
    EXPECT_FALSE(std::filesystem::exists(Path("missing")));
}

TEST_F(SaveBitmapTest, DataSourceCopyGoesWhereTheProfileSaysAndTheResultIsFalse) {
    CFolivox manager;
    WriteFile("data.csv", "Код,Имя\n1,Первый\n");
    ASSERT_TRUE(manager.GetDataSource().LoadFromFile(Path("data.csv")));
    EXPECT_FALSE(SaveToFile(&manager));
    EXPECT_FALSE(std::filesystem::exists(Path("copy.csv")));
    ASSERT_TRUE(WriteProfileString("", "FileDS", Path("copy.csv")));
    EXPECT_FALSE(SaveToFile(&manager));
    EXPECT_FALSE(SaveToFile(nullptr));
    WriteProfileString("", "FileDS", "");
    CDataSource copy;
    ASSERT_TRUE(copy.LoadFromFile(Path("copy.csv")));
    EXPECT_EQ(copy.GetRowCount(), 1);
    EXPECT_EQ(copy.GetAt(0, 1) ? copy.GetRow(0)->GetAsString(1) : "", "Первый");
}

}  // namespace
}  // namespace generation_test
