// The element, table and parameter operations reach the dialogs through the registered interface only.
#include <gtest/gtest.h>

#include "report/model/element_dialogs.h"
#include "report/model/folivox.h"
#include "report/model/report_element.h"
#include "report/model/report_param.h"
#include "report/model/table_element.h"

namespace {

struct ScriptedDialogs : IElementDialogs {
    bool ElemProper(CReportElement& e, int mode) override { calls.push_back("ElemProper"); element = &e; reportMode = mode; return answer; }
    int ShowContextMenu(CReportElement& e, CPoint p, QWidget*, int mode) override {
        calls.push_back("ShowContextMenu");
        element = &e;
        point = p;
        reportMode = mode;
        return 32839;
    }
    bool AddSection(CTableElement& t) override { calls.push_back("AddSection"); element = &t; return answer; }
    bool ShowProp(CReportParam& p) override { calls.push_back("ShowProp"); param = &p; return answer; }
    CTableElement* SelectTable(CTableMapElement&) override { calls.push_back("SelectTable"); return nullptr; }

    std::vector<std::string> calls;
    CReportElement* element = nullptr;
    CReportParam* param = nullptr;
    CPoint point;
    int reportMode = -1;
    bool answer = true;
};

class ScopedDialogs {
public:
    explicit ScopedDialogs(IElementDialogs* d) : m_prev(SetElementDialogs(d)) {}
    ~ScopedDialogs() { SetElementDialogs(m_prev); }
private:
    IElementDialogs* m_prev;
};

TEST(DialogHookTest, WithoutDialogsEveryOperationAnswersAsCancelled) {
    ScopedDialogs none(nullptr);
    CFolivox manager;
    CReportElement text(&manager);
    CTableElement table(&manager);
    CReportParam param(&manager);
    EXPECT_FALSE(text.ElemProper(0));
    EXPECT_EQ(text.ShowContextMenu(CPoint(1, 2), nullptr, 0), 0);
    EXPECT_FALSE(table.ElemProper(0));
    EXPECT_FALSE(table.AddSection());
    EXPECT_FALSE(param.ShowProp());
}

TEST(DialogHookTest, OperationsGoToTheRegisteredDialogsWithTheirArguments) {
    ScriptedDialogs scripted;
    ScopedDialogs registered(&scripted);
    CFolivox manager;
    CReportElement text(&manager);
    CTableElement table(&manager);
    CReportParam param(&manager);

    EXPECT_TRUE(text.ElemProper(2));
    EXPECT_EQ(scripted.element, &text);
    EXPECT_EQ(scripted.reportMode, 2);
    EXPECT_EQ(table.ShowContextMenu(CPoint(5, -7), nullptr, 1), 32839);
    EXPECT_EQ(scripted.element, &table);
    EXPECT_EQ(scripted.point.x, 5);
    EXPECT_EQ(scripted.point.y, -7);
    EXPECT_TRUE(table.AddSection());
    EXPECT_TRUE(param.ShowProp());
    EXPECT_EQ(scripted.param, &param);
    scripted.answer = false;
    EXPECT_FALSE(table.AddSection());
    EXPECT_FALSE(param.ShowProp());
    EXPECT_EQ(scripted.calls, (std::vector<std::string>{"ElemProper", "ShowContextMenu", "AddSection", "ShowProp",
                                                        "AddSection", "ShowProp"}));
}

}  // namespace
