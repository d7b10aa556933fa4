// The element context menus: what each popup holds and greys, and what a chosen command does.
#include <set>

#include <gtest/gtest.h>

#include "controls/menu/zor_menu.h"
#include "controls/tests/gui_test_app.h"
#include "platform/ui/messages.h"
#include "report/dialogs/conditions_dialog.h"
#include "report/dialogs/element_menu.h"
#include "report/dialogs/folivox_dialogs.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"
#include "report/model/table_element.h"

namespace {

class ElementMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        RegisterFolivoxDialogs();
    }
    CReportElement* Add(int kind) {
        CReportElement* element = kind == kElemTable ? new CTableElement(&manager) : new CReportElement(&manager);
        element->SetKind(kind);
        sheet.Add(element);
        return element;
    }
    static bool Greyed(CzorMenu* popup, unsigned command) {
        return (popup->GetMenuState(command, MF_BYCOMMAND) & MF_GRAYED) != 0;
    }
    static std::string Text(CzorMenu* popup, unsigned command) {
        std::string text;
        popup->GetMenuText(command, text, MF_BYCOMMAND);
        return text;
    }
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
    CFolivox manager;
    CReportSheet sheet{&manager};
};

constexpr unsigned kPageFieldIds[] = {ID_PAGE_NUMBER, ID_PAGE_COUNT,       ID_CURRENT_DATE,
                                      ID_LOCAL_PAGE_NUMBER, ID_LOCAL_PAGE_COUNT, ID_REPORT_DATE};

// The conditions list's menu: sub-menu 3 of menu 130, delete and properties greyed without a selected row.
TEST_F(ElementMenuTest, ConditionsMenuGreysWithoutASelectedRow) {
    const struct {
        unsigned command;
        const char* text;
        bool needsRow;
    } entries[] = {
        {32801, "Добавить...", false},
        {32786, "Копировать", false},
        {ID_ELEM_DELETE, "Удалить", true},
        {ID_ELEM_PROPERTIES, "Свойства...", true},
    };
    for (bool selected : {false, true}) {
        SCOPED_TRACE(selected ? "a row selected" : "no row selected");
        CzorMenu menu;
        CzorMenu* popup = CConditionsDlg::LoadContextMenu(menu, selected);
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(popup->GetMenuItemCount(), 5);  // the four entries and a separator
        for (const auto& e : entries) {
            EXPECT_EQ(Text(popup, e.command), e.text);
            EXPECT_EQ(Greyed(popup, e.command), e.needsRow && !selected) << e.text;
        }
    }
}

TEST_F(ElementMenuTest, ElementMenuGreysByKindAndReportMode) {
    const unsigned reportGreyed[] = {ID_ELEM_FIX, ID_ELEM_ALIGN, ID_ELEM_DELETE, ID_EDIT_PASTE_CMD};
    const struct {
        int kind, reportMode;
        bool pageFieldsGreyed, editGreyed;
    } cases[] = {
        {kElemRect, 0, false, false},
        {kElemLine, 0, true, false},
        {kElemPicture, 0, true, false},
        {kElemRect, 1, true, true},
        {kElemLine, 2, true, true},
    };
    for (const auto& c : cases) {
        CzorMenu menu;
        CzorMenu* popup = LoadElementMenu(menu, *Add(c.kind), c.reportMode);
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(menu.GetMenuItemCount(), 4);
        for (unsigned id : kPageFieldIds) EXPECT_EQ(Greyed(popup, id), c.pageFieldsGreyed) << c.kind << " " << id;
        for (unsigned id : reportGreyed) EXPECT_EQ(Greyed(popup, id), c.editGreyed) << c.kind << " " << id;
        for (unsigned id : {ID_EDIT_COPY_CMD, ID_ELEM_PROPERTIES}) EXPECT_FALSE(Greyed(popup, id));
        EXPECT_EQ(Text(popup, ID_ELEM_FIX), "Зафиксировать");
        EXPECT_EQ(Text(popup, ID_CURRENT_DATE), "Отображать текущую дату");
    }
}

TEST_F(ElementMenuTest, TableMenuCannotAddDeleteOrFixInAReport) {
    CReportElement* table = Add(kElemTable);
    table->SetFixed(1);
    for (int reportMode : {0, 1}) {
        CzorMenu menu;
        CzorMenu* popup = LoadElementMenu(menu, *table, reportMode);
        ASSERT_NE(popup, nullptr);
        EXPECT_EQ(popup->GetMenuItemCount(), 7);
        EXPECT_EQ(Text(popup, ID_TABLE_ADD_SECTION), "Создать секцию...");
        EXPECT_EQ(Text(popup, ID_ELEM_FIX), "Расфиксировать");
        for (unsigned id : {ID_TABLE_ADD_SECTION, ID_ELEM_DELETE, ID_ELEM_FIX})
            EXPECT_EQ(Greyed(popup, id), reportMode > 0) << id;
        for (unsigned id : {ID_ELEM_ALIGN, ID_EDIT_COPY_CMD, ID_EDIT_PASTE_CMD, ID_ELEM_PROPERTIES})
            EXPECT_FALSE(Greyed(popup, id)) << id;
    }
}

TEST_F(ElementMenuTest, PageFieldsOfTwoElementsShareOneParameterOfTheirType) {
    CReportElement* first = Add(kElemRect);
    CReportElement* second = Add(kElemRect);
    EXPECT_EQ(CarryOutElementCommand(*first, ID_CURRENT_DATE), 0);
    EXPECT_EQ(CarryOutElementCommand(*second, ID_CURRENT_DATE), 0);
    CParamArray& params = manager.GetParams();
    ASSERT_EQ(params.GetSize(), 1);
    CReportParam* date = params.GetAt(0);
    EXPECT_EQ(date->GetType(), kParamCurrentDate);
    EXPECT_EQ(date->GetName(), "Текущая дата");
    EXPECT_EQ(first->GetTextValue().GetParam(), date);
    EXPECT_EQ(second->GetTextValue().GetParam(), date);

    // Every page field finds the first parameter of its own type, whatever its name.
    auto* renamed = new CReportParam(&manager);
    renamed->SetType(kParamLocalPageCount);
    renamed->SetName("Всего листов");
    params.Add(renamed);
    CarryOutElementCommand(*first, ID_LOCAL_PAGE_COUNT);
    EXPECT_EQ(first->GetTextValue().GetParam(), renamed);
    for (unsigned id : kPageFieldIds) CarryOutElementCommand(*second, id);
    EXPECT_EQ(params.GetSize(), 6);
    EXPECT_EQ(params.GetAt(params.Find(kParamReportDate))->GetName(), "Дата формирования отчета");
    EXPECT_EQ(second->GetTextValue().GetParam()->GetType(), kParamReportDate);
}

TEST_F(ElementMenuTest, CommandsDoneHereOrHandedBack) {
    CReportElement* a = Add(kElemRect);
    CReportElement* b = Add(kElemLine);
    a->SetOrigin(CPoint(104, -207));
    EXPECT_EQ(CarryOutElementCommand(*a, ID_ELEM_FIX), 0);
    EXPECT_EQ(a->GetFixed(), 1);
    a->SetFixed(3);
    CarryOutElementCommand(*a, ID_ELEM_FIX);
    EXPECT_EQ(a->GetFixed(), 0);
    EXPECT_EQ(CarryOutElementCommand(*a, ID_ELEM_ALIGN), 0);
    EXPECT_EQ(a->GetOrigin(), CPoint(100, -210));
    EXPECT_EQ(CarryOutElementCommand(*a, ID_ELEM_TO_FRONT), 0);
    EXPECT_EQ(sheet.GetElement(1), a);
    EXPECT_EQ(CarryOutElementCommand(*a, ID_ELEM_TO_BACK), 0);
    EXPECT_EQ(sheet.GetElement(0), a);
    for (unsigned id : {ID_EDIT_COPY_CMD, ID_EDIT_PASTE_CMD, ID_ELEM_DELETE, ID_ELEM_PROPERTIES})
        EXPECT_EQ(CarryOutElementCommand(*b, id), int(id));
    EXPECT_EQ(CarryOutElementCommand(*b, 0), 0);

    CReportElement* table = Add(kElemTable);
    EXPECT_EQ(CarryOutElementCommand(*table, ID_ELEM_FIX), int(ID_ELEM_FIX));
    EXPECT_EQ(table->GetFixed(), 1);
    EXPECT_EQ(manager.GetParams().GetSize(), 0);
}

// A program that carries out fixing and aligning itself: its rule greys them in every popup, in place of the
// report mode's, and chosen they come back untouched; what the library does alone it still does.
TEST_F(ElementMenuTest, HostRulesAndRunsTheCommandsItHandles) {
    std::set<unsigned> allowed;
    ElementMenuHost host;
    host.handles = [](unsigned id) { return id == ID_ELEM_FIX || id == ID_ELEM_ALIGN; };
    host.enabled = [&allowed](unsigned id) { return allowed.count(id) != 0; };
    const struct {
        int kind, reportMode;
        std::set<unsigned> allowed;
    } cases[] = {
        {kElemRect, 0, {}},
        {kElemRect, 1, {ID_ELEM_FIX, ID_ELEM_ALIGN}},
        {kElemTable, 0, {ID_ELEM_ALIGN}},
        {kElemTable, 1, {ID_ELEM_FIX}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", report mode " << c.reportMode);
        allowed = c.allowed;
        CReportElement* element = Add(c.kind);
        CzorMenu menu;
        CzorMenu* popup = LoadElementMenu(menu, *element, c.reportMode, &host);
        ASSERT_NE(popup, nullptr);
        for (unsigned id : {ID_ELEM_FIX, ID_ELEM_ALIGN}) EXPECT_EQ(Greyed(popup, id), allowed.count(id) == 0) << id;
        // The rest keeps the library's own greying.
        EXPECT_EQ(Greyed(popup, ID_ELEM_DELETE), c.reportMode > 0);
        EXPECT_FALSE(Greyed(popup, ID_ELEM_PROPERTIES));

        element->SetOrigin(CPoint(104, -207));
        for (unsigned id : {ID_ELEM_FIX, ID_ELEM_ALIGN}) EXPECT_EQ(CarryOutElementCommand(*element, id, &host), int(id));
        EXPECT_EQ(element->GetFixed(), 0);
        EXPECT_EQ(element->GetOrigin(), CPoint(104, -207));
    }
    CReportElement* text = Add(kElemRect);
    EXPECT_EQ(CarryOutElementCommand(*text, ID_CURRENT_DATE, &host), 0);
    ASSERT_NE(text->GetTextValue().GetParam(), nullptr);
    EXPECT_EQ(CarryOutElementCommand(*text, ID_ELEM_TO_FRONT, &host), 0);
    EXPECT_EQ(sheet.GetElement(sheet.GetElementCount() - 1), text);
}

TEST_F(ElementMenuTest, NoWindowNoMenu) {
    EXPECT_EQ(Add(kElemRect)->ShowContextMenu(CPoint(1, 1), nullptr, 0), 0);
    EXPECT_EQ(Add(kElemTable)->ShowContextMenu(CPoint(1, 1), nullptr, 0), 0);
}

TEST_F(ElementMenuTest, ToolbarPicturesComeFromThisLibrary) {
    const QImage strip = FolivoxBitmap(kElementMenuToolbarId);
    ASSERT_FALSE(strip.isNull());
    EXPECT_EQ(strip.height(), 15);
    EXPECT_EQ(strip.width() % 16, 0);
    EXPECT_TRUE(FolivoxBitmap(999).isNull());
}

}  // namespace
