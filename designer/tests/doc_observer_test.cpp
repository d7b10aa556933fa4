// What the document tells its observers, with no window at all: the status texts of an open in their order,
// sheets added, deleted and shown, the goodbye when it closes, and observers that go before the document.
#include <functional>

#include <gmock/gmock.h>

#include "designer/navigator/doc_navigator.h"
#include "designer/tests/doc_fixture.h"
#include "report/model/report_param.h"
#include "report/model/report_sheet.h"
#include "report/tests/generation/template_builder.h"

namespace quillmark::doc_test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// Writes down what it is told; answers as a window that shows sheets when asked to.
class RecordingObserver : public IDocObserver {
public:
    std::vector<std::string> events;
    bool showsSheets = false;
    CReportSheet* selected = nullptr;
    CQuillmarkDoc* doc = nullptr;

    void Attached(CQuillmarkDoc& d) override { doc = &d; }
    void Detached(CQuillmarkDoc&) override { Log("detached"); doc = nullptr; }
    bool ShowsSheets() const override { return showsSheets; }
    CReportSheet* SelectedSheet() const override { return selected; }
    void StatusText(const std::string& text) override { Log("status " + text); }
    void StatusCleared() override { Log("status cleared"); }
    void LoadStarted() override { Log("load started"); }
    void LoadEnded() override { Log("load ended"); }
    void FileNamed(const std::string& path) override { Log("file " + path); }
    void PageChanged(int current, int count) override {
        Log("page " + std::to_string(current) + "/" + std::to_string(count));
    }
    void ItemsCleared() override { Log("items cleared"); }
    void SheetsReset() override { Log("sheets reset"); }
    void OrderChanged() override { Log("order"); }
    void LabelsChanged() override { Log("labels"); }
    void SheetAdded(CReportSheet* sheet) override { Log("added " + sheet->GetName()); }
    // Whether the sheet is still in the report when the observer hears of it.
    void SheetClosing(CReportSheet* sheet) override { Log(std::string("closing ") + InReport(sheet)); }
    void SheetRemoved(CReportSheet* sheet) override { Log(std::string("removed ") + InReport(sheet)); }
    void SheetShown(CReportSheet* sheet) override { Log("shown " + sheet->GetName()); }
    void Changed() override { Log("changed"); }
    void Closing() override { Log("closing"); }

private:
    void Log(const std::string& event) { events.push_back(event); }
    const char* InReport(CReportSheet* sheet) const {
        return doc && doc->SheetIndex(sheet) >= 0 ? "in the report" : "gone from the report";
    }
};

class DocObserverTest : public DocTest {
protected:
    void SetUp() override {
        generation_test::TemplateBuilder b;
        ASSERT_TRUE(b.Ready());
        b.AddParam("Клиент", kParamText);
        b.AddSheet();
        b.AddSheet();
        ASSERT_TRUE(b.Save(Path("t.zordot")));
    }
    // The events that start with one of the prefixes, in order.
    static std::vector<std::string> Only(const std::vector<std::string>& events,
                                         std::initializer_list<std::string> prefixes) {
        std::vector<std::string> kept;
        for (const std::string& e : events)
            for (const std::string& p : prefixes)
                if (e.rfind(p, 0) == 0) {
                    kept.push_back(e);
                    break;
                }
        return kept;
    }
};

TEST_F(DocObserverTest, OpenSaysWhatItDoesInTheStatusBarInOrder) {
    RecordingObserver observer;
    CQuillmarkDoc doc(&observer);
    ASSERT_TRUE(doc.OnOpenDocument(Path("t.zordot")));
    EXPECT_THAT(Only(observer.events, {"status", "load", "file"}),
                ElementsAre("status Чтение данных из файла...", "file " + Path("t.zordot"),
                            "status Создание объектов...", "load started", "load ended", "status cleared"));
    // A file that cannot be read says nothing of loading and names no file.
    observer.events.clear();
    EXPECT_FALSE(doc.OnOpenDocument(Path("missing.zordot")));
    EXPECT_THAT(Only(observer.events, {"status", "load", "file"}), IsEmpty());
}

TEST_F(DocObserverTest, SheetChangesAreToldInTheOrderTheyHappen) {
    const struct {
        const char* what;
        std::function<void(CQuillmarkDoc&)> action;
        bool showsSheets;
        std::vector<std::string> expected;
    } cases[] = {
        {"a sheet added", [](CQuillmarkDoc& d) { d.AddSheet(); }, false,
         {"added Лист3", "page 1/3", "order", "changed"}},
        // The windows let the sheet go while it is still there; the navigator drops it once it is gone.
        {"a sheet deleted", [](CQuillmarkDoc& d) { d.DeleteSheet(d.Manager().GetSheet(0)); }, false,
         {"closing in the report", "removed gone from the report", "labels", "order", "page 1/1", "changed"}},
        {"the last sheet kept",
         [](CQuillmarkDoc& d) {
             d.DeleteSheet(d.Manager().GetSheet(0));
             d.DeleteSheet(d.Manager().GetSheet(0));
         },
         false, {"closing in the report", "removed gone from the report", "labels", "order", "page 1/1", "changed"}},
        {"a sheet shown without windows", [](CQuillmarkDoc& d) { d.ShowSheet(d.Manager().GetSheet(1)); }, false, {}},
        {"a sheet shown in windows", [](CQuillmarkDoc& d) { d.ShowSheet(d.Manager().GetSheet(1)); }, true,
         {"shown Лист2", "page 1/2"}},
        {"the views redrawn", [](CQuillmarkDoc& d) { d.UpdateAllViews(); }, false, {"changed"}},
        {"labels refreshed", [](CQuillmarkDoc& d) { d.RebuildNavigator(true); }, false, {"labels", "order"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingObserver observer;
        auto doc = std::make_unique<CQuillmarkDoc>(&observer);
        ASSERT_TRUE(doc->OnOpenDocument(Path("t.zordot")));
        observer.showsSheets = c.showsSheets;
        observer.events.clear();
        c.action(*doc);
        EXPECT_THAT(observer.events, ElementsAreArray(c.expected));
        doc->SetChanged(false);
    }
}

TEST_F(DocObserverTest, ClosingLetsEveryObserverGoAfterItsWindows) {
    RecordingObserver first, second;
    auto doc = std::make_unique<CQuillmarkDoc>(&first);
    doc->AddObserver(&second);
    doc->AddObserver(&second);  // once is enough
    ASSERT_TRUE(doc->OnOpenDocument(Path("t.zordot")));
    first.events.clear();
    second.events.clear();
    doc.reset();
    for (RecordingObserver* o : {&first, &second}) {
        EXPECT_THAT(o->events, ElementsAre("sheets reset", "closing", "items cleared", "detached"));
        EXPECT_EQ(o->doc, nullptr);
    }
}

TEST_F(DocObserverTest, AnObserverThatGoesFirstIsNoLongerTold) {
    auto doc = NewDoc();
    ASSERT_TRUE(doc->OnOpenDocument(Path("t.zordot")));
    EXPECT_THAT(TreeTexts(), ElementsAre("Лист1", "Лист2", "Клиент"));
    // The navigator goes while the document stays: its items leave the tree, and the document works on.
    navigators.clear();
    EXPECT_THAT(TreeTexts(), IsEmpty());
    ASSERT_NE(doc->AddSheet(), nullptr);
    doc->DeleteSheet(doc->Manager().GetSheet(0));
    EXPECT_EQ(doc->Manager().GetSheetCount(), 2);
    EXPECT_THAT(TreeTexts(), IsEmpty());

    RecordingObserver removed;
    doc->AddObserver(&removed);
    doc->RemoveObserver(&removed);
    EXPECT_THAT(removed.events, ElementsAre("detached"));
    doc->AddSheet();
    EXPECT_THAT(removed.events, ElementsAre("detached"));
    doc->SetChanged(false);
}

TEST_F(DocObserverTest, DuplicatingCopiesTheSheetTheNavigatorSelects) {
    RecordingObserver observer;
    CQuillmarkDoc doc(&observer);
    ASSERT_TRUE(doc.OnOpenDocument(Path("t.zordot")));
    EXPECT_FALSE(doc.DuplicateSheet()) << "nothing selected";
    observer.selected = doc.Manager().GetSheet(1);
    ASSERT_TRUE(doc.DuplicateSheet());
    EXPECT_EQ(doc.Manager().GetSheetCount(), 3);
    doc.SetChanged(false);
}

}  // namespace
}  // namespace quillmark::doc_test
