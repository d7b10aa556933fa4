#include "controls/bars/toolbar.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QMainWindow>
#include <QTimer>
#include <QTemporaryDir>

#include "controls/bars/toolbar_customize_dialog.h"
#include "controls/tests/gui_fixture.h"
#include "controls/tests/mouse_events.h"
#include "platform/settings/profile.h"

namespace {

constexpr int kToolbar = 930;  // 201 202 | 203 204, from bars_test.rc

// The profile in a folder of the test's own, for the fixture's life.
struct TemporaryConfig {
    QTemporaryDir dir;
    QByteArray old = qgetenv("XDG_CONFIG_HOME");
    TemporaryConfig() { qputenv("XDG_CONFIG_HOME", dir.path().toUtf8()); }
    ~TemporaryConfig() {
        if (old.isNull()) qunsetenv("XDG_CONFIG_HOME");
        else qputenv("XDG_CONFIG_HOME", old);
    }
};

QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

struct ToolBarFixture : GuiFixture {
    TemporaryConfig config;
    QMainWindow frame;
    CzorToolBar* bar = new CzorToolBar;

    void SetUp() override {
        ASSERT_TRUE(config.dir.isValid());
        frame.addToolBar(bar);
        ASSERT_TRUE(bar->LoadToolBar(kToolbar));
        bar->SetTBName("Стандартная");
        bar->SetToolBarInfoForCustomization();
    }
};

TEST(ToolbarButtonText, IsThePartAfterTheLastLineFeed) {
    struct Case {
        const char* string;  // null: the command has no string
        const char* text;
    } cases[] = {{"Создать новый отчёт\nСоздать", "Создать"}, {"Печать", "Печать"},
                 {"Сохранить\nс другим именем\nСохранить как", "Сохранить как"}, {"Подсказка\n", ""},
                 {"", ""}, {nullptr, ""}};
    for (const Case& c : cases) {
        const std::string string = c.string ? c.string : "";
        EXPECT_EQ(zor::ToolbarButtonText(c.string ? &string : nullptr), c.text) << (c.string ? c.string : "(none)");
    }
    EnsureGuiApplication();  // the strings are looked up in the resources
    struct Command { int id; const char* text; } commands[] = {
        {201, "Создать"}, {202, "Печать"}, {203, ""}, {204, "Сохранить как"}, {0, ""}};
    for (const Command& c : commands) EXPECT_EQ(zor::ToolbarButtonText(c.id), c.text) << c.id;
}

TEST_F(ToolBarFixture, TheResourceGivesButtonsTextsAndAnOfferThatEndsAfterTheLastButton) {
    EXPECT_EQ(bar->Commands(), (std::vector<int>{201, 202, 0, 203, 204}));
    EXPECT_EQ(bar->CommandAction(201)->text(), "Создать");
    EXPECT_FALSE(bar->CommandAction(201)->icon().isNull());
    int fired = 0;
    QObject::connect(bar, &CzorToolBar::command, [&](int id) { fired = id; });
    bar->CommandAction(204)->trigger();
    EXPECT_EQ(fired, 204);

    ToolbarButtonInfo info;
    std::vector<int> offered;
    int index = 0;
    for (; bar->GetButtonInfo(index, info); ++index) offered.push_back(info.command);
    EXPECT_EQ(index, 5);
    EXPECT_EQ(offered, (std::vector<int>{201, 202, 0, 203, 204}));
    ASSERT_TRUE(bar->GetButtonInfo(4, info));
    EXPECT_EQ(info.text, "Сохранить как");
    EXPECT_FALSE(bar->GetButtonInfo(-1, info));
}

TEST_F(ToolBarFixture, HiddenButtonsShowWhileCustomisingAndTheCloseSavesTheLayout) {
    bar->HideButton(203, true);
    int changes = 0;
    QObject::connect(bar, &CzorToolBar::updateCommandStates, [&] { ++changes; });
    {
        CzorToolBarCustomizeDialog dialog(bar);
        EXPECT_TRUE(bar->CommandAction(203)->isVisible());
        EXPECT_EQ(bar->HiddenWhileAdjusting(), std::vector<int>{203});
        // Everything is on the bar: only a separator is on offer.
        EXPECT_EQ(Texts(dialog.Offered()), QStringList{"Разделитель"});
        EXPECT_EQ(Texts(dialog.Current()), (QStringList{"Создать", "Печать", "Разделитель", "", "Сохранить как"}));

        dialog.Current()->setCurrentRow(0);
        dialog.Remove();
        EXPECT_EQ(bar->Commands(), (std::vector<int>{202, 0, 203, 204}));
        EXPECT_EQ(Texts(dialog.Offered()), (QStringList{"Разделитель", "Создать"}));
        dialog.Current()->setCurrentRow(3);
        dialog.Offered()->setCurrentRow(1);
        dialog.Add();  // after the chosen button
        EXPECT_EQ(bar->Commands(), (std::vector<int>{202, 0, 203, 204, 201}));
        dialog.MoveUp();
        dialog.MoveUp();
        EXPECT_EQ(bar->Commands(), (std::vector<int>{202, 0, 201, 203, 204}));
        dialog.Current()->setCurrentRow(0);
        dialog.MoveDown();
        EXPECT_EQ(bar->Commands(), (std::vector<int>{0, 202, 201, 203, 204}));
        EXPECT_EQ(changes, 5);
        dialog.accept();
        EXPECT_FALSE(bar->CommandAction(203)->isVisible());
        EXPECT_TRUE(bar->HiddenWhileAdjusting().empty());
    }
    EXPECT_EQ(GetProfileString("Settings", "Стандартная"), "0,202,201,203,204");

    // Reset brings back the stored layout, with the hidden button shown until the dialog closes.
    CzorToolBarCustomizeDialog dialog(bar);
    dialog.Current()->setCurrentRow(1);
    dialog.Remove();
    dialog.Remove();
    EXPECT_EQ(bar->Commands(), (std::vector<int>{0, 203, 204}));
    dialog.ResetBar();
    EXPECT_EQ(bar->Commands(), (std::vector<int>{0, 202, 201, 203, 204}));
    EXPECT_TRUE(bar->CommandAction(203)->isVisible());
    EXPECT_EQ(Texts(dialog.Offered()), QStringList{"Разделитель"});
    dialog.reject();
    EXPECT_FALSE(bar->CommandAction(203)->isVisible());
}

TEST_F(ToolBarFixture, ADoubleClickBetweenTheButtonsOpensTheDialogAndItsCloseSaves) {
    frame.resize(600, 200);
    frame.show();
    bool opened = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        opened = qobject_cast<CzorToolBarCustomizeDialog*>(modal) != nullptr;
        if (modal) modal->close();
    });
    SendMouse(bar, QEvent::MouseButtonDblClick, QPoint(bar->width() - 5, bar->height() / 2), Qt::LeftButton);
    EXPECT_TRUE(opened);
    EXPECT_EQ(GetProfileString("Settings", "Стандартная"), "201,202,0,203,204");
}

TEST_F(ToolBarFixture, ResetWithoutAStoredLayoutGoesBackToWhereCustomisingBegan) {
    CzorToolBarCustomizeDialog dialog(bar);
    dialog.Current()->setCurrentRow(4);
    dialog.Remove();
    dialog.ResetBar();
    EXPECT_EQ(bar->Commands(), (std::vector<int>{201, 202, 0, 203, 204}));
}

TEST_F(ToolBarFixture, TheLayoutComesBackInARebuiltWindowAndADamagedOneChangesNothing) {
    ASSERT_TRUE(bar->MoveButton(4, 0));
    ASSERT_TRUE(bar->DeleteButton(3));
    ASSERT_TRUE(bar->InsertButton(1, 0));
    EXPECT_FALSE(bar->InsertButton(9, 201));
    EXPECT_FALSE(bar->InsertButton(0, 777));  // a command the bar does not know
    const std::vector<int> customised{204, 0, 201, 202, 203};
    ASSERT_EQ(bar->Commands(), customised);
    ASSERT_TRUE(bar->SaveState());

    QMainWindow rebuilt;
    auto* again = new CzorToolBar;
    rebuilt.addToolBar(again);
    ASSERT_TRUE(again->LoadToolBar(kToolbar));
    again->SetTBName("Стандартная");
    ASSERT_TRUE(again->RestoreState());
    EXPECT_EQ(again->Commands(), customised);

    struct Stored { const char* value; bool restored; std::vector<int> commands; } stored[] = {
        {"202,abc", false, customised}, {"-5", false, customised}, {"202,,201", false, customised},
        {"", true, {}}, {"203,999,0", true, {203, 0}}};
    for (const Stored& s : stored) {
        ASSERT_TRUE(WriteProfileString("Settings", "Стандартная", "204,0,201,202,203"));
        ASSERT_TRUE(again->RestoreState());
        ASSERT_TRUE(WriteProfileString("Settings", "Стандартная", s.value));
        EXPECT_EQ(again->RestoreState(), s.restored) << s.value;
        EXPECT_EQ(again->Commands(), s.commands) << s.value;
    }

    CzorToolBar unnamed;
    EXPECT_FALSE(unnamed.SaveState());
    EXPECT_FALSE(unnamed.RestoreState());
}

}  // namespace
