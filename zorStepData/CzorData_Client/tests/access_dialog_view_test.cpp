// The access dialog's window offscreen, driven through its controls: the in-place mode combo, delete,
// the switch and OK write into the set as the model's rules say; a view-only dialog cannot be
// accepted; the agents' images are cut from bitmap 4006 with magenta transparent.
#include <gtest/gtest.h>

#include <cstdio>

#include <QCheckBox>
#include <QComboBox>

#include "platform/base/tempfile.h"
#include "controls/dialogs/sort_list.h"
#include "controls/dialogs/sort_order.h"
#include "controls/resources/imagelist.h"
#include "controls/resources/menu_template.h"
#include "controls/resources/module_resources.h"
#include "controls/tests/gui_test_app.h"
#include "platform/settings/profile.h"
#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/access_dialog_view.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/tests/access_store.h"

namespace {


class AccessDialogView : public ::testing::Test {
protected:
    void SetUp() override {
        // The list keeps its widths in the profile: a folder of the test's own.
        setenv("XDG_CONFIG_HOME", (zor::PrivateTempDir() + "/access_view_config").c_str(), 1);
        EnsureGuiApplication();
        ASSERT_TRUE(store.LoadAccessDictionary());
        staff = Make("zor_workgroup", 4006, "Staff");
        bob = Make("zor_user", 4007, "Bob");
        points = {Make("zor_point", 5001, nullptr), Make("zor_point", 5002, nullptr)};
    }
    CzorInstance* Make(const char* entity, int id, const char* name) { return store.Make(entity, id, name); }
    // Staff read-write, Bob no access, the default read-only; all with individual access counted.
    void Fill(zorUsers& set) {
        for (auto [agent, mode] : {std::pair{staff, 1}, std::pair{bob, 3}, std::pair<CzorInstance*, int>{nullptr, 2}}) {
            zorAccessList* l = set.AddList(agent);
            for (CzorInstance* p : points) l->Add(p, 1, static_cast<zorAccessModeType>(mode));
        }
    }
    static std::vector<int> Modes(zorAccessList* l) {
        std::vector<int> m;
        for (int e = 0; e < l->GetSize(); ++e) m.push_back(l->GetAt(e)->m_Mode);
        return m;
    }

    access_test::AccessStore store;
    CzorInstance *staff = nullptr, *bob = nullptr;
    std::vector<CzorInstance*> points;
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
};

TEST_F(AccessDialogView, InPlaceComboDeleteAndOkWriteTheSet) {
    zorUsers set;
    Fill(set);
    CDlgSetInstAccess dlg(store, set, false, false);
    dlg.show();
    auto* inPlace = dlg.findChild<QComboBox*>("7015");
    ASSERT_NE(inPlace, nullptr);

    // Change with no row names what is missing and edits nothing.
    dlg.OnChange();
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Выберите элемент для изменения"});
    EXPECT_FALSE(inPlace->isVisible());

    // The in-place combo opens on the row's mode; its choice lands when editing ends (here at OK).
    dlg.SelectRow(dlg.RowOf(bob));
    dlg.OnChange();
    ASSERT_TRUE(inPlace->isVisible());
    EXPECT_EQ(inPlace->currentIndex(), 3);
    inPlace->setCurrentIndex(1);

    // Delete takes Staff's row away and leaves its entries unset.
    dlg.SelectRow(dlg.RowOf(staff));
    dlg.OnDelete();
    EXPECT_EQ(dlg.RowOf(staff), -1);
    EXPECT_NE(dlg.RowOf(bob), -1);
    EXPECT_EQ(Modes(set.Find(staff)), (std::vector<int>{4, 4}));
    EXPECT_EQ(Modes(set.Find(bob)), (std::vector<int>{1, 1})) << "the edit ended before the delete";
    EXPECT_FALSE(inPlace->isVisible());

    dlg.findChild<QComboBox*>("4015")->setCurrentIndex(0);
    emit dlg.findChild<QComboBox*>("4015")->activated(0);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(set.Find(staff)->m_bModified && set.Find(bob)->m_bModified && set.Find(nullptr)->m_bModified);
    EXPECT_EQ(Modes(set.Find(nullptr)), (std::vector<int>{0, 0}));
    EXPECT_FALSE(dlg.RemovalFlag());
}

TEST_F(AccessDialogView, SwitchOffUnsetsAgentsAndAsksForRemoval) {
    zorUsers set;
    Fill(set);
    CDlgSetInstAccess dlg(store, set, false, false);
    dlg.show();
    auto* sw = dlg.findChild<QCheckBox*>("4014");
    ASSERT_TRUE(sw && sw->isChecked());
    sw->click();
    EXPECT_FALSE(dlg.findChild<QWidget*>("7010")->isEnabled());
    EXPECT_FALSE(dlg.findChild<QWidget*>("32782")->isEnabled());
    dlg.accept();
    EXPECT_TRUE(dlg.RemovalFlag());
    EXPECT_EQ(Modes(set.Find(staff)), (std::vector<int>{4, 4}));
    EXPECT_EQ(set.Find(nullptr)->GetAt(0)->m_bUseIndividual, 0);
}

TEST_F(AccessDialogView, ViewOnlyCannotBeAccepted) {
    zorUsers set;
    Fill(set);
    CDlgSetInstAccess dlg(store, set, true, false);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle().toStdString(), "Просмотр прав доступа");
    for (const char* id : {"1", "32782", "32783", "32784", "4014", "4015"})
        EXPECT_FALSE(dlg.findChild<QWidget*>(id)->isEnabled()) << id;
    dlg.accept();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(Modes(set.Find(nullptr)), (std::vector<int>{2, 2}));
    EXPECT_FALSE(set.Find(nullptr)->m_bModified);
}

TEST_F(AccessDialogView, ListWidthsAreKeptUnderTheListsName) {
    const char* const kName = "CDlgSetInstAccess::m_ListAccessAgents";
    ASSERT_TRUE(WriteProfileString("ColumnWidths", kName, zor::FormatColumnWidths({150, 90})));
    zorUsers set;
    Fill(set);
    {
        CDlgSetInstAccess dlg(store, set, false, false);
        dlg.show();
        auto* list = dlg.findChild<CSortListCtrl*>("7010");
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->GetColumnWidth(0), 150);
        EXPECT_EQ(list->GetColumnWidth(1), 90);
        list->CzorListCtrl::SetColumnWidth(0, 170);
    }
    EXPECT_EQ(zor::ReadColumnWidth(GetProfileString("ColumnWidths", kName), 0), 170);
}

TEST_F(AccessDialogView, ContextMenuAndTipsAreInPeltranesResources) {
    std::span<const uint8_t> bytes;
    {
        zor::ScopedResourceModule own(zor::ResourceModule::Peltrane);
        ASSERT_TRUE(zor::FindMenuResource(7011, bytes));
    }
    std::vector<zor::MenuTemplateItem> items;
    ASSERT_TRUE(zor::ReadMenuTemplate(bytes, items));
    std::vector<std::pair<int, std::u16string>> got;
    for (const auto& i : items) got.emplace_back(i.id, i.text);
    EXPECT_EQ(got, (std::vector<std::pair<int, std::u16string>>{
                       {0, u"UserAccessMenu"}, {32782, u"Добавить"}, {32783, u"Удалить"}, {32784, u"Изменить"}}));
    zorUsers set;
    Fill(set);
    CDlgSetInstAccess dlg(store, set, false, false);
    EXPECT_EQ(dlg.findChild<QWidget*>("32783")->toolTip().toStdString(),
              "Удалить доступ для указанного пользователя или группы пользователей");
}

TEST_F(AccessDialogView, AgentImagesAreCutWithMagentaTransparent) {
    const CImageList& images = zorAccessAgentImages();
    ASSERT_EQ(images.GetImageCount(), 6);
    EXPECT_EQ(images.GetImageSize(), QSize(20, 20));
    for (int i : {0, 1, 4, 5}) {
        const QImage image = images.GetImage(i);
        EXPECT_EQ(qAlpha(image.pixel(0, 19)), 0) << i;
        EXPECT_EQ(qAlpha(image.pixel(10, 15)), 255) << i << ": nothing drawn";
    }
    EXPECT_NE(images.GetImage(1).pixel(10, 15), images.GetImage(5).pixel(10, 15)) << "the current user looks like another";
}

}  // namespace
