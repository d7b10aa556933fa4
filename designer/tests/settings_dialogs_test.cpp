// The work settings, page set-up and export dialogs: their arithmetic through the logic classes, and the
// widgets found by control id doing the same.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "designer/settings_dialogs/settings_dialogs.h"
#include "designer/settings_dialogs/settings_logic.h"
#include "platform/settings/default_settings.h"
#include "platform/settings/profile.h"
#include "platform/ui/messages.h"

namespace quillmark {
namespace {

class SettingsDialogsTest : public ::testing::Test {
protected:
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink scopedSink{&messages};
};

// --- Work settings ------------------------------------------------------------------------------------------------

TEST_F(SettingsDialogsTest, LineWidthIsStoredInTenthsTruncated) {
    struct Case {
        double millimetres;
        int stored;
    };
    const Case cases[] = {{0.15, 1}, {0.1, 1}, {0.19, 1}, {0.2, 2}, {2.3, 23}, {0.7, 7}, {0.0, 0}, {1.05, 10}};
    for (const Case& c : cases) EXPECT_EQ(CWorkSettingsLogic::LineWidthFromMillimetres(c.millimetres), c.stored) << c.millimetres;
}

TEST_F(SettingsDialogsTest, WorkSettingsRoundTripThroughTheProfile) {
    CWorkSettingsLogic logic;
    logic.Load();
    // The defaults: 0.1 mm, 5, report pages at one scale, templates not, no picture mode.
    EXPECT_EQ(logic.Fields().lineWidth, "0.1");
    EXPECT_EQ(logic.Fields().stickSize, "5");
    EXPECT_TRUE(logic.Fields().oneScaleInReport);
    EXPECT_FALSE(logic.Fields().oneScaleInDot);
    EXPECT_FALSE(logic.KeepProportionsEnabled());

    logic.Fields().lineWidth = "0.15";
    logic.Fields().stickSize = "3";
    logic.Fields().createFixed = true;
    logic.Fields().oneScaleInDot = true;
    logic.Fields().oneScaleInReport = false;
    logic.Fields().fitPictures = false;
    logic.Fields().keepProportions = true;
    ASSERT_TRUE(logic.Apply());
    EXPECT_EQ(zor::DefaultLineWidth(), 1);
    EXPECT_EQ(zor::DefaultStickSize(), 3);
    EXPECT_EQ(zor::DefaultCreateFixed(), 1);
    EXPECT_EQ(zor::DefaultUseOneScaleInDot(), 1);
    EXPECT_EQ(zor::DefaultUseOneScaleInReport(), 0);
    EXPECT_EQ(zor::DefaultPictureDrawMode(), 2);

    CWorkSettingsLogic again;
    again.Load();
    EXPECT_EQ(again.Fields().lineWidth, "0.1");
    EXPECT_TRUE(again.Fields().keepProportions);
    EXPECT_FALSE(again.Fields().fitPictures);
}

TEST_F(SettingsDialogsTest, WorkSettingsRefuseNegativesAndNonNumbersWritingNothing) {
    WriteProfileInt(zor::kDefaultSettings, zor::kLineWidthKey, 4);
    WriteProfileInt(zor::kDefaultSettings, zor::kStickSizeKey, 5);
    WriteProfileInt(zor::kDefaultSettings, zor::kCreateFixedKey, 0);
    const std::pair<const char*, const char*> refused[] = {
        {"-0.1", "5"}, {"abc", "5"}, {"", "5"}, {"0.2", "-1"}, {"0.2", "2.5"}, {"0.2", "x"},
    };
    for (const auto& [width, stick] : refused) {
        CWorkSettingsLogic logic;
        logic.Load();
        logic.Fields().lineWidth = width;
        logic.Fields().stickSize = stick;
        logic.Fields().createFixed = true;
        EXPECT_FALSE(logic.Apply()) << width << " " << stick;
        EXPECT_EQ(zor::DefaultLineWidth(), 4);
        EXPECT_EQ(zor::DefaultStickSize(), 5);
        EXPECT_EQ(zor::DefaultCreateFixed(), 0);
    }
    EXPECT_EQ(messages.Texts().size(), std::size(refused));
}

TEST_F(SettingsDialogsTest, WorkSettingsWidgetsEnable1110With1109) {
    WriteProfileInt(zor::kDefaultSettings, zor::kPictureDrawModeKey, 1);
    CWorkSettingsDialog dialog;
    auto* fit = dialog.findChild<QCheckBox*>("1109");
    auto* keep = dialog.findChild<QCheckBox*>("1110");
    ASSERT_TRUE(fit && keep);
    EXPECT_TRUE(fit->isChecked());
    EXPECT_TRUE(keep->isEnabled());
    fit->click();
    EXPECT_FALSE(keep->isEnabled());
    dialog.findChild<QLineEdit*>("1103")->setText("0.15");
    ASSERT_TRUE(dialog.OnOk());
    EXPECT_EQ(zor::DefaultLineWidth(), 1);
    EXPECT_EQ(zor::DefaultPictureDrawMode(), 0);
}

// --- Page set-up --------------------------------------------------------------------------------------------------

CPageSetupData Page(int first, int second, int orientation, CRect area) {
    CPageSetupData d;
    d.first = first;
    d.second = second;
    d.orientation = orientation;
    d.printArea = area;
    return d;
}

TEST_F(SettingsDialogsTest, PageSetupOpensOnTheStandardSizeOrUserDefined) {
    struct Case {
        CPageSetupData data;
        int index;
        const char* width;
        const char* height;
        bool landscape;
    };
    const Case cases[] = {
        {Page(2970, 2100, 1, {0, 0, 2970, 2100}), 3, "297", "210", true},
        {Page(2100, 2970, 0, {0, 0, 2970, 2100}), 3, "297", "210", false},  // portrait A4 as stored
        {Page(8410, 5940, 1, {0, 0, 8410, 5940}), 0, "841", "594", true},
        {Page(2000, 1000, 1, {0, 0, 2000, 1000}), CPageSetupLogic::kUserDefined, "200", "100", true},
        {Page(2105, 1483, 1, {0, 0, 2105, 1483}), CPageSetupLogic::kUserDefined, "210.5", "148.3", true},
    };
    for (const Case& c : cases) {
        const CPageSetupLogic logic(c.data);
        EXPECT_EQ(logic.SizeIndex(), c.index);
        EXPECT_EQ(logic.SizeEditable(), c.index == CPageSetupLogic::kUserDefined);
        EXPECT_EQ(logic.width, c.width);
        EXPECT_EQ(logic.height, c.height);
        EXPECT_EQ(logic.Landscape(), c.landscape);
        EXPECT_EQ(logic.OrientationIcon(), c.landscape ? kIconLandscape : kIconPortrait);
    }
}

TEST_F(SettingsDialogsTest, MarginsAndPrintAreaConvertBothWays) {
    struct Case {
        int left, top, right, bottom;  // millimetres typed
        CRect area;
    };
    const Case cases[] = {
        {3, 3, 3, 3, {30, 30, 2940, 2070}},
        {0, 0, 0, 0, {0, 0, 2970, 2100}},
        {10, 20, 5, 15, {100, 200, 2920, 1950}},
    };
    for (const Case& c : cases) {
        CPageSetupLogic logic(Page(2970, 2100, 1, {0, 0, 2970, 2100}));
        logic.marginLeft = std::to_string(c.left);
        logic.marginTop = std::to_string(c.top);
        logic.marginRight = std::to_string(c.right);
        logic.marginBottom = std::to_string(c.bottom);
        CPageSetupData out;
        ASSERT_TRUE(logic.Apply(out));
        EXPECT_EQ(out.printArea, c.area);
        EXPECT_EQ(out.first, 2970);
        EXPECT_EQ(out.second, 2100);
        EXPECT_EQ(out.orientation, 1);
        // Opened again, the margins come back as typed.
        const CPageSetupLogic reopened(out);
        EXPECT_EQ(reopened.marginLeft, std::to_string(c.left));
        EXPECT_EQ(reopened.marginTop, std::to_string(c.top));
        EXPECT_EQ(reopened.marginRight, std::to_string(c.right));
        EXPECT_EQ(reopened.marginBottom, std::to_string(c.bottom));
    }
}

TEST_F(SettingsDialogsTest, PortraitA4RoundTripsUnchanged) {
    const CPageSetupData stored = Page(2100, 2970, 0, {50, 50, 2920, 2050});
    const CPageSetupLogic logic(stored);
    EXPECT_EQ(logic.SizeIndex(), 3);
    EXPECT_FALSE(logic.Landscape());
    CPageSetupData out;
    ASSERT_TRUE(logic.Apply(out));
    EXPECT_EQ(out.first, 2100);
    EXPECT_EQ(out.second, 2970);
    EXPECT_EQ(out.orientation, 0);
    EXPECT_EQ(out.printArea, stored.printArea);
}

TEST_F(SettingsDialogsTest, ChoosingSizesAndOrientation) {
    CPageSetupLogic logic(Page(2000, 1000, 1, {0, 0, 2000, 1000}));
    logic.ChooseSize(0);
    EXPECT_EQ(logic.width, "841");
    EXPECT_FALSE(logic.SizeEditable());
    logic.ChooseSize(CPageSetupLogic::kUserDefined);  // keeps what is shown
    EXPECT_EQ(logic.width, "841");
    EXPECT_TRUE(logic.SizeEditable());
    logic.width = "1000";
    logic.height = "500";
    logic.SetLandscape(false);
    EXPECT_EQ(logic.OrientationIcon(), kIconPortrait);
    CPageSetupData out;
    ASSERT_TRUE(logic.Apply(out));
    EXPECT_EQ(out.first, 5000);
    EXPECT_EQ(out.second, 10000);
    EXPECT_EQ(out.orientation, 0);
    EXPECT_EQ(out.printArea, CRect(0, 0, 10000, 5000));  // in the dialog's order
}

TEST_F(SettingsDialogsTest, PageSetupRefusesBadSizesAndMarginsLeavingNoArea) {
    struct Case {
        const char* width;
        const char* height;
        const char* left;
        const char* right;
    };
    const Case refused[] = {
        {"0", "210", "0", "0"},     {"-297", "210", "0", "0"}, {"297", "abc", "0", "0"},
        {"2000.1", "210", "0", "0"}, {"99999", "210", "0", "0"}, {"297", "210", "-1", "0"},
        {"297", "210", "150", "147"}, {"297", "210", "200", "200"}, {"297", "210", "1.5", "0"},
    };
    for (const Case& c : refused) {
        CPageSetupLogic logic(Page(2970, 2100, 1, {0, 0, 2970, 2100}));
        logic.width = c.width;
        logic.height = c.height;
        logic.marginLeft = c.left;
        logic.marginRight = c.right;
        CPageSetupData out = Page(1, 2, 1, {0, 0, 1, 2});
        EXPECT_FALSE(logic.Apply(out)) << c.width << " " << c.height << " " << c.left << " " << c.right;
        EXPECT_EQ(out.first, 1);  // untouched
    }
    EXPECT_EQ(messages.Texts().size(), std::size(refused));
    // The largest page allowed still goes through.
    CPageSetupLogic largest(Page(2970, 2100, 1, {0, 0, 2970, 2100}));
    largest.width = "2000";
    CPageSetupData out;
    EXPECT_TRUE(largest.Apply(out));
    EXPECT_EQ(out.first, 20000);
}

TEST_F(SettingsDialogsTest, PageSetupWidgetsFollowTheLogic) {
    CPageSetupDialog dialog(Page(2000, 1000, 1, {0, 0, 2000, 1000}));
    auto* combo = dialog.findChild<QComboBox*>("1045");
    auto* width = dialog.findChild<QLineEdit*>("1031");
    auto* portrait = dialog.findChild<QRadioButton*>("1049");
    auto* icon = dialog.findChild<QLabel*>("1050");
    ASSERT_TRUE(combo && width && portrait && icon);
    EXPECT_EQ(combo->currentText(), QString::fromUtf8("Определенный пользователем"));
    EXPECT_FALSE(width->isReadOnly());
    EXPECT_EQ(icon->property("iconId").toInt(), kIconLandscape);
    combo->setCurrentIndex(3);
    emit combo->activated(3);
    EXPECT_EQ(width->text(), "297");
    EXPECT_TRUE(width->isReadOnly());
    portrait->click();
    EXPECT_EQ(icon->property("iconId").toInt(), kIconPortrait);
    for (const char* id : {"1117", "1116", "1118", "1119"}) dialog.findChild<QLineEdit*>(id)->setText("3");
    ASSERT_TRUE(dialog.OnOk());
    EXPECT_EQ(dialog.Data().first, 2100);
    EXPECT_EQ(dialog.Data().second, 2970);
    EXPECT_EQ(dialog.Data().orientation, 0);
    EXPECT_EQ(dialog.Data().printArea, CRect(30, 30, 2940, 2070));
}

// --- Export -------------------------------------------------------------------------------------------------------

TEST_F(SettingsDialogsTest, ExportDialogTakesTheTypeOrRefuses) {
    CExportDialogLogic logic;
    logic.FillFromDocumentPath("/home/u/отчеты/годовой.2026.zorrep");
    EXPECT_EQ(logic.folder, "/home/u/отчеты/");
    EXPECT_EQ(logic.prefix, "годовой.2026");
    EXPECT_EQ(logic.typeIndex, 0);
    ASSERT_TRUE(logic.Accept());
    EXPECT_EQ(logic.Type(), "jpg");
    logic.typeIndex = -1;
    EXPECT_FALSE(logic.Accept());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Не выбран тип файлов."});

    CExportDialogLogic empty;
    empty.FillFromDocumentPath("");  // a report without a path: the user types both
    EXPECT_EQ(empty.folder, "");
    EXPECT_EQ(empty.prefix, "");

    CExportDialog dialog;
    dialog.Logic().FillFromDocumentPath("/tmp/r.zorrep");
    dialog.ShowFields();
    auto* type = dialog.findChild<QComboBox*>("1114");
    ASSERT_TRUE(type);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("1110")->text(), "/tmp/");
    type->setCurrentIndex(4);
    ASSERT_TRUE(dialog.OnOk());
    EXPECT_EQ(dialog.Logic().Type(), "wmf");
    EXPECT_EQ(dialog.Logic().prefix, "r");
}

}  // namespace
}  // namespace quillmark
