// The navigator with the document in the main frame, offscreen: the items' order, clicks, paging, sheets
// reordered by a drop, forged drag records and the document host's open and close.
#include <unistd.h>

#include <QApplication>
#include <QMdiArea>
#include <QMimeData>
#include <QUrl>

#include <gmock/gmock.h>

#include "controls/menu/zor_menu.h"
#include "designer/frame/doc_host.h"
#include "designer/frame/child_frame.h"
#include "designer/frame/main_frame.h"
#include "designer/frame/navigator_bar.h"
#include "designer/navigator/navigator_items.h"
#include "designer/navigator/navigator_view.h"
#include "designer/tests/doc_fixture.h"
#include "report/model/report_param.h"
#include "report/model/folivox.h"
#include "report/model/report_sheet.h"
#include "report/model/data_source.h"
#include "report/generation/generate_report.h"
#include "report/tests/generation/end_to_end.h"
#include "report/tests/generation/template_builder.h"

namespace quillmark::doc_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(NavigatorOrder, SheetNumbers) {
    const struct {
        const char* name;
        int number;
    } cases[] = {{"Лист1", 1}, {"Лист10", 10}, {"Лист", 0}, {"тЛист7", 7}, {"Sheet3", 0}, {"Лист-2", -2},
                 {"ЛЛиисстт12x", 12}};
    for (const auto& c : cases) EXPECT_EQ(SheetNameNumber(c.name), c.number) << c.name;
}

TEST(NavigatorOrder, CompareNavigatorItems) {
    EnsureGuiApplication();
    QTreeWidget tree;
    CFolivox manager;
    std::vector<std::unique_ptr<CReportSheet>> sheets;
    std::vector<std::unique_ptr<CReportParam>> params;
    std::vector<std::unique_ptr<CNavigatorItem>> items;
    const auto sheetItem = [&](const char* name) {
        sheets.push_back(std::make_unique<CReportSheet>(&manager));
        sheets.back()->SetName(name);
        auto item = std::make_unique<CSheetItem>(nullptr, &tree);
        item->Insert(sheets.back().get());
        items.push_back(std::move(item));
        return items.back().get();
    };
    const auto paramItem = [&](const char* name, int type) {
        params.push_back(std::make_unique<CReportParam>(&manager));
        params.back()->SetName(name);
        params.back()->SetType(type);
        auto item = std::make_unique<CParamItem>(nullptr, &tree);
        item->Insert(params.back().get());
        items.push_back(std::move(item));
        return items.back().get();
    };
    CNavigatorItem* l9 = sheetItem("Лист9");
    CNavigatorItem* l10 = sheetItem("Лист10");
    CNavigatorItem* l10b = sheetItem("Лист10");
    CNavigatorItem* textA = paramItem("альфа", kParamText);
    CNavigatorItem* textB = paramItem("Бета", kParamText);
    CNavigatorItem* textBLower = paramItem("бета", kParamText);
    CNavigatorItem* number = paramItem("Аааа", kParamNumber);
    const struct {
        CNavigatorItem* a;
        CNavigatorItem* b;
        int sign;
    } cases[] = {
        {l9, l10, -1},        // by number, not by text
        {l10, l9, 1},
        {l10, l10b, 0},
        {l10, textA, -1},     // image 0 before image 4
        {textA, textB, -1},   // texts, ignoring case
        {textB, textBLower, 0},
        {textB, number, -1},  // image 4 before image 5, whatever the text
    };
    for (const auto& c : cases) {
        const int result = CompareNavigatorItems(*c.a, *c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a->Text() << " / " << c.b->Text();
    }
    EXPECT_EQ(l9->Image(), 0);
    EXPECT_EQ(l9->SelectedImage(), 1);
    EXPECT_EQ(number->Image(), 5);
}

// Three sheets named by their text, with a parameter; opened in a main frame through the document host.
class NavigatorTest : public DocTest {
protected:
    void SetUp() override {
        generation_test::TemplateBuilder b;
        ASSERT_TRUE(b.Ready());
        b.AddParam("Клиент", kParamText);
        for (const char* text : {"первый", "второй", "третий"})
            b.AddText(b.AddSheet(), CPoint(100, -100), CSize(500, 100), text);
        ASSERT_TRUE(b.Save(Path("t.zordot")));
        frame = std::make_unique<CMainFrame>();
        host = std::make_unique<CDocumentHost>(frame.get());
        frame->show();
        ASSERT_TRUE(host->Open(Path("t.zordot")));
        doc = host->Document();
        view = host->NavigatorView();
    }
    void TearDown() override {
        host.reset();
        frame.reset();
    }
    QTreeWidget* Tree() const { return frame->Navigator()->Tree(); }
    int ActiveIndex() const { return doc->SheetIndex(doc->ActiveSheet()); }
    CSheetItem* ItemOfSheet(int index) const {
        for (const auto& item : host->Navigator().SheetItems())
            if (item->Sheet() == doc->Manager().GetSheet(index)) return item.get();
        return nullptr;
    }
    QPoint PointOf(CNavigatorItem* item) const { return Tree()->visualItemRect(item->TreeItem()).center(); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (CReportSheet* s : doc->Manager().GetSheets()) {
            s->LoadElementsFromFile();
            names.push_back(s->GetName() + ":" + s->GetElement(0)->GetTextValue().GetText());
        }
        return names;
    }
    std::unique_ptr<QMimeData> Record(qint64 pid, long long id, int extraBytes = 0) const {
        auto data = std::make_unique<QMimeData>();
        QByteArray record = MakeSheetDragRecord(pid, id);
        record.append(QByteArray(extraBytes, '\0'));
        data->setData(kSheetDragFormat, record);
        return data;
    }

    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<CDocumentHost> host;
    CQuillmarkDoc* doc = nullptr;
    CNavigatorView* view = nullptr;
};

TEST_F(NavigatorTest, OpenShowsTheFirstSheetInOneFrame) {
    EXPECT_EQ(frame->ChildFrames().size(), 1u);
    EXPECT_EQ(ActiveIndex(), 0);
    EXPECT_THAT(TreeTexts(), IsEmpty());  // the fixture's own tree is not the frame's
    std::vector<std::string> texts;
    for (int i = 0; i < Tree()->topLevelItemCount(); ++i) texts.push_back(Tree()->topLevelItem(i)->text(0).toStdString());
    EXPECT_THAT(texts, ElementsAre("Лист1", "Лист2", "Лист3", "Клиент"));
    EXPECT_TRUE(frame->Commands().Execute(ID_PAGE_NEXT));
}

TEST_F(NavigatorTest, PagingStopsAtTheEnds) {
    const struct {
        void (CQuillmarkDoc::*command)();
        int expected;
    } steps[] = {
        {&CQuillmarkDoc::ShowPrevSheet, 0}, {&CQuillmarkDoc::ShowNextSheet, 1}, {&CQuillmarkDoc::ShowNextSheet, 2},
        {&CQuillmarkDoc::ShowNextSheet, 2}, {&CQuillmarkDoc::ShowFirstSheet, 0}, {&CQuillmarkDoc::ShowLastSheet, 2},
        {&CQuillmarkDoc::ShowPrevSheet, 1},
    };
    for (const auto& step : steps) {
        (doc->*step.command)();
        EXPECT_EQ(ActiveIndex(), step.expected);
    }
    // A sheet shown once keeps its frame: no frame is made twice.
    EXPECT_EQ(frame->ChildFrames().size(), 3u);
    const CommandState state = host->State();
    EXPECT_EQ(state.currentSheet, 1);
    EXPECT_EQ(state.sheetCount, 3);
}

TEST_F(NavigatorTest, ToolCommandsSetTheDocumentsToolAndNeedEditing) {
    EXPECT_TRUE(frame->Commands().Execute(ID_TOOL_LINE));
    EXPECT_EQ(doc->Tool(), kToolLine);
    EXPECT_EQ(host->State().activeTool, ID_TOOL_LINE);
    EXPECT_TRUE(frame->Commands().Execute(ID_TOOL_ZOOM));
    EXPECT_EQ(doc->Tool(), kToolZoom);
    // In view mode a tool that changes the sheet is disabled; one that only looks is not.
    EXPECT_TRUE(frame->Commands().Execute(ID_EDIT_MODE));
    EXPECT_EQ(doc->m_mode, kDocView);
    EXPECT_EQ(doc->Tool(), kToolSelect);
    EXPECT_FALSE(frame->Commands().Execute(ID_TOOL_LINE));
    EXPECT_TRUE(frame->Commands().Execute(ID_TOOL_ZOOM_RECT));
    EXPECT_EQ(doc->Tool(), kToolZoomRect);
}

TEST_F(NavigatorTest, ClickShowsTheSheetUnlessSelectionDoesNotFollow) {
    view->OnItemClicked(ItemOfSheet(2)->TreeItem());
    EXPECT_EQ(ActiveIndex(), 2);
    view->SetSelectionFollows(false);
    view->OnItemClicked(ItemOfSheet(1)->TreeItem());
    EXPECT_EQ(ActiveIndex(), 2);
    EXPECT_EQ(Tree()->currentItem(), ItemOfSheet(1)->TreeItem());
}

TEST_F(NavigatorTest, DroppingASheetOnAnotherMovesItThere) {
    CSheetItem* third = ItemOfSheet(2);
    EXPECT_TRUE(view->HandleDrop(*Record(::getpid(), third->Id()), PointOf(ItemOfSheet(0))));
    EXPECT_THAT(Names(), ElementsAre("Лист1:третий", "Лист2:первый", "Лист3:второй"));
    EXPECT_EQ(Tree()->currentItem(), third->TreeItem());
    EXPECT_EQ(Tree()->topLevelItem(0), third->TreeItem());
    EXPECT_TRUE(doc->IsChanged());
    doc->SetChanged(false);
}

TEST_F(NavigatorTest, ForgedOrStaleDragRecordsAreIgnored) {
    CSheetItem* third = ItemOfSheet(2);
    const QPoint onFirst = PointOf(ItemOfSheet(0));
    const long long paramId = host->Navigator().ParamItems().at(0)->Id();
    const struct {
        const char* what;
        std::unique_ptr<QMimeData> data;
        QPoint at;
    } cases[] = {
        {"another process", Record(::getpid() + 1, third->Id()), onFirst},
        {"an unknown item", Record(::getpid(), third->Id() + 100000), onFirst},
        {"a parameter item", Record(::getpid(), paramId), onFirst},
        {"a record of another length", Record(::getpid(), third->Id(), 1), onFirst},
        {"on itself", Record(::getpid(), third->Id()), PointOf(third)},
        {"on a parameter", Record(::getpid(), third->Id()), PointOf(host->Navigator().ParamItems().at(0).get())},
        {"on no item", Record(::getpid(), third->Id()), QPoint(5, 2000)},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(view->HandleDrop(*c.data, c.at)) << c.what;
        EXPECT_THAT(Names(), ElementsAre("Лист1:первый", "Лист2:второй", "Лист3:третий")) << c.what;
    }
    // An item that was deleted is stale: its id finds nothing any more.
    const long long staleId = third->Id();
    doc->DeleteSheet(third->Sheet());
    EXPECT_FALSE(view->HandleDrop(*Record(::getpid(), staleId), onFirst));
    EXPECT_THAT(Names(), ElementsAre("Лист1:первый", "Лист2:второй"));
    doc->SetChanged(false);
}

// Sheets and parameters are dragged (a parameter onto a text rectangle of the view); the record names the
// item by its id. A parameter dropped on the tree moves no sheet.
TEST_F(NavigatorTest, TheDragOfASheetOrParameterCarriesItsIdAndNoDragInViewMode) {
    std::unique_ptr<QMimeData> data(view->DragData(ItemOfSheet(1)->TreeItem()));
    ASSERT_NE(data, nullptr);
    qint64 pid = 0;
    long long id = 0;
    ASSERT_TRUE(ParseSheetDragRecord(data->data(kSheetDragFormat), pid, id));
    EXPECT_EQ(pid, ::getpid());
    EXPECT_EQ(id, ItemOfSheet(1)->Id());
    CParamItem* param = host->Navigator().ParamItems().at(0).get();
    std::unique_ptr<QMimeData> paramData(view->DragData(param->TreeItem()));
    ASSERT_NE(paramData, nullptr);
    ASSERT_TRUE(ParseSheetDragRecord(paramData->data(kSheetDragFormat), pid, id));
    EXPECT_EQ(id, param->Id());
    EXPECT_FALSE(view->HandleDrop(*paramData, frame->Navigator()->Tree()->visualItemRect(ItemOfSheet(0)->TreeItem()).center()));
    doc->m_mode = kDocView;
    EXPECT_EQ(view->DragData(ItemOfSheet(1)->TreeItem()), nullptr);
    EXPECT_EQ(view->DragData(param->TreeItem()), nullptr);
}

// "Дублировать страницу" and "Отображать эскизы" from the frame: duplicating needs a sheet item current in
// the navigator and edit mode; the thumbnails' check follows the document.
TEST_F(NavigatorTest, DuplicateSheetAndThumbnailsFromTheMenus) {
    CCommandRegistry& commands = frame->Commands();
    const auto enabled = [&](int id) { commands.Refresh(); return commands.Action(id)->isEnabled(); };
    Tree()->setCurrentItem(host->Navigator().ParamItems().at(0)->TreeItem());
    EXPECT_FALSE(enabled(ID_DUPLICATE_SHEET)) << "a parameter is current";
    Tree()->setCurrentItem(ItemOfSheet(1)->TreeItem());
    ASSERT_TRUE(enabled(ID_DUPLICATE_SHEET));
    ASSERT_TRUE(commands.Execute(ID_DUPLICATE_SHEET));
    EXPECT_EQ(doc->Manager().GetSheetCount(), 4);
    EXPECT_TRUE(doc->IsChanged());
    doc->m_mode = kDocView;
    Tree()->setCurrentItem(ItemOfSheet(0)->TreeItem());
    EXPECT_FALSE(enabled(ID_DUPLICATE_SHEET)) << "view mode";
    doc->m_mode = kDocEdit;

    const bool shown = doc->m_showPicture != 0;
    ASSERT_TRUE(commands.Execute(ID_THUMBNAILS));
    EXPECT_EQ(doc->m_showPicture != 0, !shown);
    commands.Refresh();
    EXPECT_EQ(commands.Action(ID_THUMBNAILS)->isChecked(), !shown);
    doc->SetChanged(false);
}

// The navigator's popup is the report library's "TREE_VIEW_MENU" with its pictures; a sheet's greys
// "Свойства...", the empty tree's both "Удалить" and "Свойства...".
TEST(NavigatorMenu, TreeViewMenuWithItsGreying) {
    EnsureGuiApplication();
    struct Case {
        bool deleteEnabled, propertiesEnabled;
    } cases[] = {{true, true}, {true, false}, {false, false}};
    for (const Case& c : cases) {
        CzorMenu menu;
        CzorMenu* popup = LoadNavigatorMenu(menu, c.deleteEnabled, c.propertiesEnabled);
        ASSERT_NE(popup, nullptr);
        const auto greyed = [&](UINT id) { return (popup->GetMenuState(id, MF_BYCOMMAND) & MF_GRAYED) != 0; };
        EXPECT_FALSE(greyed(ID_NAV_NEW_SHEET));
        EXPECT_FALSE(greyed(ID_NAV_NEW_PARAM));
        EXPECT_EQ(greyed(ID_NAV_DELETE), !c.deleteEnabled);
        EXPECT_EQ(greyed(ID_NAV_PROPERTIES), !c.propertiesEnabled);
    }
}

TEST_F(NavigatorTest, DroppedFileOpensAfterTheDropReturns) {
    generation_test::TemplateBuilder b;
    ASSERT_TRUE(b.Ready());
    b.AddSheet();
    b.AddSheet();
    ASSERT_TRUE(b.Save(Path("other.ZORREP")));
    std::string opened;
    frame->Navigator()->openDroppedFile = [&](const std::string& path) { opened = path; host->Open(path); };
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Path("other.ZORREP")))});
    view->HandleDrop(data, QPoint(1, 1));
    EXPECT_EQ(opened, "");  // not inside the drop handling
    EXPECT_EQ(host->Document(), doc);
    for (int i = 0; i < 20 && opened.empty(); ++i) QApplication::processEvents();
    EXPECT_EQ(opened, Path("other.ZORREP"));
    ASSERT_NE(host->Document(), nullptr);
    EXPECT_EQ(host->Document()->Manager().GetSheetCount(), 2);
}

TEST_F(NavigatorTest, AFailedOpenAfterTheSavePromptLeavesNoDocument) {
    WriteBytes(Path("bad.zordot"), "garbage");
    doc->AddSheet();
    messages.QueueAnswer(IDNO);  // do not save the changes
    EXPECT_FALSE(host->Open(Path("bad.zordot")));
    EXPECT_EQ(host->Document(), nullptr);
    EXPECT_TRUE(frame->ChildFrames().empty());
    EXPECT_THAT(messages.Texts().front(), "Сохранить изменения?");
    EXPECT_TRUE(host->New());
    EXPECT_EQ(host->Document()->Manager().GetSheetCount(), 1);
}

// A generated report with a table of contents opens in view mode with its contents in the navigator; a
// click on an entry shows its page, and the edit-mode switch brings the sheets back.
TEST_F(DocTest, GeneratedReportShowsItsContentsInTheNavigator) {
    std::string error;
    ASSERT_TRUE(generation_test::WriteEndToEndTemplate(Path("e.zordot"), &error)) << error;
    WriteBytes(Path("e.csv"), generation_test::EndToEndData());
    WriteBytes(Path("e.par"), generation_test::EndToEndParameters());
    {
        CFolivox manager;
        ASSERT_TRUE(manager.GetDataSource().LoadFromFile(Path("e.csv")));
        ASSERT_TRUE(GenerateReport(&manager, Path("e.zordot").c_str(), Path("e.par").c_str(),
                                   Path("r.zorrep").c_str(), nullptr));
    }
    CMainFrame frame;
    CDocumentHost host(&frame);
    frame.show();
    ASSERT_TRUE(host.Open(Path("r.zorrep")));
    CQuillmarkDoc* doc = host.Document();
    EXPECT_EQ(doc->m_mode, kDocView);
    QTreeWidget* tree = frame.Navigator()->Tree();
    ASSERT_FALSE(host.Navigator().ContentsItems().empty());
    EXPECT_TRUE(host.Navigator().SheetItems().empty());
    // The report's two contents roots, in the order of their first pages.
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0).toStdString(), "Содержание");
    EXPECT_EQ(tree->topLevelItem(1)->text(0).toStdString(), "Продажи");
    CContentsItem* top = nullptr;
    for (const auto& item : host.Navigator().ContentsItems())
        if (item->Text() == "Продажи") top = item.get();
    ASSERT_NE(top, nullptr);
    // "Продажи" has one entry per city, each going to the page its rows start on.
    ASSERT_EQ(top->Children().size(), 2u);
    EXPECT_EQ(top->Children()[0]->Text(), "Город Москва");
    host.NavigatorView()->OnItemClicked(top->Children()[1]->TreeItem());
    EXPECT_EQ(doc->SheetIndex(doc->ActiveSheet()), 2);
    host.Navigator().SelectSheetItem(doc->Manager().GetSheet(1));
    EXPECT_EQ(tree->currentItem(), top->TreeItem());

    EXPECT_TRUE(frame.Commands().Execute(ID_EDIT_MODE));
    EXPECT_EQ(doc->m_mode, kDocEdit);
    EXPECT_TRUE(host.Navigator().ContentsItems().empty());
    EXPECT_EQ(host.Navigator().SheetItems().size(), 4u);
    doc->SetChanged(false);
}

}  // namespace
}  // namespace quillmark::doc_test
