// The table page and the section dialog in real windows: our small program on a test X server, a section
// created through the section dialog with real mouse and keys, the screen checked by regions (the tab
// captions, the stock icons on the classic OK and Cancel, "Отмена" greyed after the change) and the model
// reported afterwards.
#include <gtest/gtest.h>

#include <filesystem>

#include <QColor>

#include "testkit/program_report.h"
#include "testkit/x_session.h"

namespace {

using namespace std::chrono_literals;
using namespace quillmark_test;

const std::string kProgram = QM_BIN_DIR "/section_window";

// Pixels of the rectangle that are dark (text drawn in the normal, not the greyed, colour).
int DarkPixels(const QImage& image, const QRect& rect) {
    int n = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(image.pixel(x, y)) < 90) ++n;
    return n;
}

// Pixels of the rectangle with a clear hue (an icon's colours; buttons and their texts are grey).
int ColouredPixels(const QImage& image, const QRect& rect) {
    int n = 0;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (QColor(image.pixel(x, y)).hsvSaturation() > 120) ++n;
    return n;
}

class SectionWindows : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        if (!m_x.Start(why)) GTEST_SKIP() << why;
        ASSERT_TRUE(m_sandbox.Create());
    }
    void TearDown() override {
        if (m_program.Running()) m_program.Wait(0ms);
    }
    bool ClickCentre(const QRect& r) { return !r.isEmpty() && m_x.Click(r.center().x(), r.center().y()); }
    void Save(const QImage& shot, const std::string& name) {
        std::filesystem::create_directories(QM_BIN_DIR "/screenshots");
        shot.save(QString::fromStdString(std::string(QM_BIN_DIR "/screenshots/") + name + ".png"));
    }

    XSession m_x;
    ProgramSandbox m_sandbox;
    RunningProgram m_program;
    ProgramReport m_report{m_program};
};

TEST_F(SectionWindows, ASectionCreatedFromTheTablePageTurnsCancelOff) {
    std::string why;
    ASSERT_TRUE(m_x.Launch(kProgram, {}, m_sandbox, m_program, why)) << why;
    ASSERT_TRUE(m_report.WaitFor("ready", 20s)) << m_program.Wait(0ms).err;
    const QRect tabs = m_report.Place("props.tabbar"), ok = m_report.Place("props.1"),
                cancel = m_report.Place("props.2"), create = m_report.Place("props.1049"),
                list = m_report.Place("props.1088");
    ASSERT_FALSE(tabs.isEmpty());
    ASSERT_FALSE(cancel.isEmpty());
    ASSERT_FALSE(create.isEmpty());

    QImage before = m_x.ScreenshotWhen([&](const QImage& s) { return DarkPixels(s, tabs) > 20; }, 5s);
    Save(before, "table_page_before");
    // Both tab captions carry text: "Положение элемента" on the left half, "Таблица" further right.
    EXPECT_GT(DarkPixels(before, tabs), 20) << "tab captions";
    // OK and "Отмена" carry their stock icons beside their texts.
    for (const QRect& button : {ok, cancel}) {
        EXPECT_GT(ColouredPixels(before, button), 10) << "a stock icon";
        EXPECT_GT(DarkPixels(before, button), 10) << "a caption";
    }
    // Inside the button's frame: its caption and icon only.
    const QRect cancelFace = cancel.adjusted(3, 3, -3, -3);
    const int cancelText = DarkPixels(before, cancelFace);

    ASSERT_TRUE(ClickCentre(create));
    ASSERT_TRUE(m_report.WaitFor("section-ready", 10s)) << "no section dialog";
    const QRect name = m_report.Place("section.1018"), sectionOk = m_report.Place("section.1");
    ASSERT_FALSE(name.isEmpty());
    ASSERT_FALSE(sectionOk.isEmpty());
    ASSERT_TRUE(ClickCentre(name));
    ASSERT_TRUE(m_x.Type("Sekciya"));
    Save(m_x.Screenshot(), "section_dialog");
    ASSERT_TRUE(ClickCentre(sectionOk));
    // No title column: the warning, and the section is kept.
    EXPECT_EQ(m_report.WaitForLineStarting("message ", 10s), "message Не задано поле для отображения заголовка секции.");

    // The new row is listed and "Отмена" is greyed.
    QImage after = m_x.ScreenshotWhen([&](const QImage& s) { return ColouredPixels(s, cancel) == 0; }, 5s);
    Save(after, "table_page_after");
    EXPECT_EQ(ColouredPixels(after, cancel), 0) << "the icon of Отмена still in colour";
    EXPECT_LT(DarkPixels(after, cancelFace) * 3, cancelText) << "the caption of Отмена still enabled";
    EXPECT_GT(ColouredPixels(after, ok), 10) << "OK stays enabled";
    EXPECT_GT(DarkPixels(after, ok), 10) << "OK stays enabled";
    EXPECT_GT(DarkPixels(after, list), DarkPixels(before, list)) << "the new section's row";

    ASSERT_TRUE(ClickCentre(ok));
    ASSERT_TRUE(m_report.WaitFor("done", 10s));
    const ProgramResult result = m_program.Wait(10s);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("result 1\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("sections Первая|Sekciya\n"), std::string::npos) << result.out;
}

}  // namespace
