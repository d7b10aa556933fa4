// The editor's commands on a selection: alignment to the first selected element, the format toggles
// decided by the first element, text alignment bits, orientation, font values, the fixed flag, select all,
// and their enable and check rules.
#include <gtest/gtest.h>

#include <QFont>

#include "controls/tests/gui_test_app.h"
#include "designer/edit/element_commands.h"
#include "platform/ui/messages.h"
#include "report/model/report_element.h"
#include "report/tests/model/model_fixture.h"

namespace {

using quillmark::AlignCommand;
using quillmark::CElementCommands;
using quillmark::EditorContext;

class ElementCommands : public model_test::ModelBase {
protected:
    void SetUp() override {
        ModelBase::SetUp();
        sheet = NewSheet();
    }

    CReportElement* Rect(CPoint origin, CSize size) { return Select(NewRect(sheet, origin, size)); }
    CReportElement* Line(CPoint from, CSize vector) { return Select(NewLine(sheet, from, vector)); }
    CReportElement* Select(CReportElement* e) {
        sheet->Select(e, 1);
        return e;
    }

    CElementCommands Commands(int mode = 0, bool editRight = true) {
        EditorContext ctx;
        ctx.sheet = sheet;
        ctx.mode = mode;
        ctx.hasRight = [this, editRight](int right, bool show) {
            if (show) ++rightMessages;
            return right != quillmark::kRightEdit || editRight;
        };
        ctx.changed = [this] { ++changes; };
        ctx.redraw = [this] { ++redraws; };
        return CElementCommands(ctx);
    }

    CReportSheet* sheet = nullptr;
    int changes = 0;
    int redraws = 0;
    int rightMessages = 0;
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink{&messages};
};

TEST_F(ElementCommands, AlignToTheFirstSelected) {
    struct Case {
        AlignCommand command;
        CPoint origin;
        CSize size;
    } cases[] = {
        // Reference (100, -500) 400 x 200; the other starts at (700, -900) 100 x 50.
        {AlignCommand::Left, {100, -900}, {100, 50}},
        {AlignCommand::Right, {400, -900}, {100, 50}},
        {AlignCommand::Bottom, {700, -500}, {100, 50}},
        {AlignCommand::Top, {700, -350}, {100, 50}},
        {AlignCommand::Width, {700, -900}, {400, 50}},
        {AlignCommand::Height, {700, -900}, {100, 200}},
        {AlignCommand::WidthAndHeight, {700, -900}, {400, 200}},
    };
    for (const Case& c : cases) {
        sheet->UnselectAll();
        CReportElement* reference = Rect({100, -500}, {400, 200});
        CReportElement* other = Rect({700, -900}, {100, 50});
        CReportElement* line = Line({50, -50}, {300, 0});
        changes = 0;
        Commands().AlignElements(c.command);
        EXPECT_EQ(other->GetOrigin(), c.origin) << static_cast<int>(c.command);
        EXPECT_EQ(other->GetSize(), c.size) << static_cast<int>(c.command);
        EXPECT_EQ(reference->GetOrigin(), CPoint(100, -500));
        EXPECT_EQ(reference->GetSize(), CSize(400, 200));
        EXPECT_EQ(line->GetOrigin(), CPoint(50, -50)) << "lines after the first are skipped";
        EXPECT_EQ(line->GetSize(), CSize(300, 0));
        EXPECT_EQ(changes, 1);
    }
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(ElementCommands, ALineFirstRefusesAlignment) {
    Line({50, -50}, {300, 0});
    CReportElement* other = Rect({700, -900}, {100, 50});
    Commands().AlignElements(AlignCommand::Left);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Нельзя выравнивать по линии."});
    EXPECT_EQ(other->GetOrigin(), CPoint(700, -900));
    EXPECT_EQ(changes, 0);
}

TEST_F(ElementCommands, AlignEnableRule) {
    Rect({0, -100}, {10, 10});
    EXPECT_FALSE(Commands().CanAlignElements()) << "one selected";
    Rect({0, -200}, {10, 10});
    EXPECT_TRUE(Commands().CanAlignElements());
    EXPECT_FALSE(Commands(1).CanAlignElements()) << "view mode";
    EXPECT_FALSE(Commands(0, false).CanAlignElements()) << "no edit right";
    EXPECT_EQ(rightMessages, 0) << "enable rules ask silently";
}

TEST_F(ElementCommands, FormatTogglesAreDecidedByTheFirstElement) {
    // A line first (not bold, not italic, not underlined): every text rectangle gets all three; the line
    // keeps its font.
    CReportElement* line = Line({0, 0}, {100, 0});
    line->GetTextValue().SetFont(model_test::Font(100, 400, 0, "Arial"));
    CReportElement* plain = Rect({0, -100}, {100, 50});
    CReportElement* bold = Rect({0, -200}, {100, 50});
    LOGFONT f = bold->GetTextValue().GetFont();
    f.lfWeight = 700;
    f.lfItalic = 0xFF;
    bold->GetTextValue().SetFont(f);
    CElementCommands commands = Commands();
    commands.ToggleBold();
    commands.ToggleItalic();
    commands.ToggleUnderline();
    for (CReportElement* e : {plain, bold}) {
        EXPECT_EQ(e->GetTextValue().GetFont().lfWeight, 700);
        EXPECT_EQ(e->GetTextValue().GetFont().lfItalic, 0xFF);
        EXPECT_EQ(e->GetTextValue().GetFont().lfUnderline, 0xFF);
    }
    EXPECT_NE(line->GetTextValue().GetFont().lfUnderline, 0xFF) << "only text rectangles change";
    EXPECT_TRUE(commands.IsBold());
    EXPECT_TRUE(commands.IsItalic());
    EXPECT_TRUE(commands.IsUnderline());
    EXPECT_EQ(changes, 3);

    // With a bold text rectangle first the same commands take it all off again.
    sheet->UnselectAll();
    Select(bold);
    Select(plain);
    commands.ToggleBold();
    commands.ToggleItalic();
    commands.ToggleUnderline();
    for (CReportElement* e : {plain, bold}) {
        EXPECT_EQ(e->GetTextValue().GetFont().lfWeight, 400);
        EXPECT_EQ(e->GetTextValue().GetFont().lfItalic, 0);
        EXPECT_EQ(e->GetTextValue().GetFont().lfUnderline, 0);
    }
    EXPECT_FALSE(commands.IsBold());
}

TEST_F(ElementCommands, TextAlignmentAndOrientation) {
    CReportElement* a = Rect({0, -100}, {100, 50});
    CReportElement* b = Rect({0, -200}, {100, 50});
    b->GetTextValue().SetAlign(kAlignTop | kAlignRight);
    CElementCommands commands = Commands();
    struct Case {
        int bit;
    } cases[] = {{kAlignLeft}, {kAlignHCenter}, {kAlignRight}};
    for (const Case& c : cases) {
        commands.SetTextAlign(c.bit);
        EXPECT_EQ(a->GetTextValue().GetAlign(), (kAlignDefault & ~kAlignHCenter) | c.bit);
        EXPECT_EQ(b->GetTextValue().GetAlign(), kAlignTop | c.bit) << "vertical bits kept";
        for (int other : {kAlignLeft, kAlignHCenter, kAlignRight})
            EXPECT_EQ(commands.HasTextAlign(other), other == c.bit);
    }
    commands.SetOrientation(1);
    EXPECT_EQ(a->GetTextValue().GetOrientation(), 1);
    EXPECT_EQ(b->GetTextValue().GetOrientation(), 1);
    EXPECT_TRUE(commands.HasOrientation(1));
    EXPECT_FALSE(commands.HasOrientation(0));
}

TEST_F(ElementCommands, WithoutTheEditRightFormatIsRefusedAndTold) {
    CReportElement* a = Rect({0, -100}, {100, 50});
    CElementCommands commands = Commands(0, false);
    commands.ToggleBold();
    commands.SetTextAlign(kAlignLeft);
    commands.SetOrientation(1);
    commands.ToggleFixed();
    EXPECT_EQ(rightMessages, 4);
    EXPECT_EQ(changes, 0);
    EXPECT_NE(a->GetTextValue().GetFont().lfWeight, 700);
    EXPECT_EQ(a->GetTextValue().GetOrientation(), 0);
    EXPECT_EQ(a->GetFixed(), 0);
    EXPECT_FALSE(commands.CanEditSelection());
    EXPECT_TRUE(Commands().CanEditSelection());
    sheet->UnselectAll();
    EXPECT_FALSE(Commands().CanEditSelection()) << "nothing selected";
}

TEST_F(ElementCommands, FixedFollowsTheFirstElement) {
    CReportElement* a = Rect({0, -100}, {100, 50});
    CReportElement* b = Rect({0, -200}, {100, 50});
    b->SetFixed(1);
    CElementCommands commands = Commands();
    EXPECT_FALSE(commands.IsFixed());
    commands.ToggleFixed();
    EXPECT_EQ(a->GetFixed(), 1);
    EXPECT_EQ(b->GetFixed(), 1);
    EXPECT_TRUE(commands.IsFixed());
    commands.ToggleFixed();
    EXPECT_EQ(a->GetFixed(), 0);
    EXPECT_EQ(b->GetFixed(), 0);
}

TEST_F(ElementCommands, SelectAllInDrawingOrder) {
    CReportElement* a = NewRect(sheet, {0, -100}, {100, 50});
    CReportElement* b = NewLine(sheet, {0, 0}, {100, 0});
    CReportElement* c = NewRect(sheet, {0, -300}, {100, 50});
    Select(c);
    Commands().SelectAll();
    ASSERT_EQ(sheet->GetSelection().GetSize(), 3);
    EXPECT_EQ(sheet->GetSelection().GetAt(0), a);
    EXPECT_EQ(sheet->GetSelection().GetAt(1), b);
    EXPECT_EQ(sheet->GetSelection().GetAt(2), c);
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(changes, 0);
}

TEST_F(ElementCommands, RoundToMillimetres) {
    CReportElement* a = Rect({104, -106}, {96, 44});
    Commands().RoundToMillimetres();
    EXPECT_EQ(a->GetOrigin().x % 10, 0);
    EXPECT_EQ(a->GetOrigin().y % 10, 0);
    EXPECT_EQ(a->GetSize(), CSize(100, 40));
    EXPECT_EQ(changes, 1);
}

TEST_F(ElementCommands, EditTextGivesEveryTextRectangleTheFirstOnesEditedText) {
    CReportElement* a = Rect({0, -100}, {100, 50});
    a->GetTextValue().SetText("было");
    CReportElement* b = Rect({0, -200}, {100, 50});
    CReportElement* line = Line({0, 0}, {100, 0});
    std::string shownTitle, shownText;
    int shownMode = 0;
    bool answer = false;
    const CElementCommands::TextDialog dialog = [&](const char* title, std::string& text, int mode) {
        shownTitle = title;
        shownText = text;
        shownMode = mode;
        text = "стало";
        return answer;
    };
    CElementCommands commands = Commands();
    EXPECT_TRUE(commands.CanEditText(dialog));
    EXPECT_FALSE(commands.CanEditText(nullptr)) << "no dialog to show";
    commands.EditText(dialog);  // cancelled
    EXPECT_EQ(shownTitle, "Текст");
    EXPECT_EQ(shownText, "было");
    EXPECT_EQ(shownMode, 2);
    EXPECT_EQ(a->GetTextValue().GetText(), "было");
    EXPECT_EQ(changes, 0);
    answer = true;
    commands.EditText(dialog);
    EXPECT_EQ(a->GetTextValue().GetText(), "стало");
    EXPECT_EQ(b->GetTextValue().GetText(), "стало");
    EXPECT_NE(line->GetTextValue().GetText(), "стало");
    EXPECT_EQ(changes, 1);
}

TEST_F(ElementCommands, FontDialogValues) {
    EnsureGuiApplication();
    CReportElement* a = Rect({0, -100}, {100, 50});
    CReportElement* b = Rect({0, -200}, {100, 50});
    LOGFONT f = model_test::Font(125, 400, 0, "Arial");
    a->GetTextValue().SetFont(f);
    CElementCommands commands = Commands();
    const QFont shown = commands.DialogFont();
    EXPECT_EQ(shown.pointSize(), 12) << "tenths of a point, whole points in the dialog";
    EXPECT_EQ(shown.family().toStdString(), "Arial");
    QFont chosen("Courier New");
    chosen.setPointSize(14);
    chosen.setBold(true);
    chosen.setItalic(true);
    commands.ApplyFont(chosen);
    for (CReportElement* e : {a, b}) {
        const LOGFONT& g = e->GetTextValue().GetFont();
        EXPECT_EQ(g.lfHeight, 140);
        EXPECT_EQ(g.lfWeight, 700);
        EXPECT_EQ(g.lfItalic, 0xFF);
        EXPECT_EQ(g.FaceName(), "Courier New");
        EXPECT_EQ(g.lfCharSet, RUSSIAN_CHARSET) << "the character set stays";
    }
}

}  // namespace
