// The parameter properties dialog without widgets.
#include <gtest/gtest.h>

#include "platform/ui/messages.h"
#include "report/dialogs/param_logic.h"
#include "report/model/folivox.h"
#include "report/model/report_param.h"

namespace {

class ParamDlgTest : public ::testing::Test {
protected:
    CReportParam* Add(const std::string& name, int type) {
        auto* p = new CReportParam(&manager);
        p->SetName(name);
        p->SetType(type);
        manager.GetParams().Add(p);
        return p;
    }
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
    CFolivox manager;
};

TEST_F(ParamDlgTest, NoParameterClosesAtOnce) {
    CParamDlgLogic logic(nullptr);
    EXPECT_FALSE(logic.CanOpen());
    EXPECT_FALSE(logic.Apply());
}

TEST_F(ParamDlgTest, TheNameMustBeUniqueAmongTheOthers) {
    CReportParam* a = Add("Автор", kParamText);
    a->SetParam("Иванов", kParamText);
    Add("Год", kParamNumber);
    CParamDlgLogic logic(a);
    EXPECT_EQ(logic.m_Name, "Автор");
    EXPECT_EQ(logic.m_nTypeIndex, kParamText);

    logic.m_Name = "Год";
    EXPECT_FALSE(logic.Apply());
    EXPECT_EQ(a->GetName(), "Автор");
    EXPECT_EQ(a->GetTextValue(), "Иванов");
    const auto messages = sink.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Наименование параметра не уникально.");
    EXPECT_EQ(messages[0].type, unsigned(MB_OK | MB_ICONINFORMATION));

    // Its own name is unique; a case variant of another is a different name. The chosen type is set,
    // and setting it clears the value even when it stays the same.
    for (const char* name : {"Автор", "год"}) {
        logic.m_Name = name;
        logic.m_nTypeIndex = kParamText;
        a->SetParam("Иванов", kParamText);
        EXPECT_TRUE(logic.Apply()) << name;
        EXPECT_EQ(a->GetName(), name);
        EXPECT_EQ(a->GetType(), kParamText);
        EXPECT_EQ(a->GetTextValue(), "");
    }
    logic.m_nTypeIndex = kParamDate;
    EXPECT_TRUE(logic.Apply());
    EXPECT_EQ(a->GetType(), kParamDate);
    EXPECT_EQ(sink.Messages().size(), 1u);
}

TEST_F(ParamDlgTest, APageFieldKeepsItsTypeAndValueWhenNoTypeIsChosen) {
    CReportParam* date = Add(PageFieldParamName(kParamCurrentDate), kParamCurrentDate);
    date->SetParam("01.02.2026", kParamCurrentDate);
    CParamDlgLogic logic(date);
    EXPECT_EQ(logic.m_nTypeIndex, -1);
    logic.m_Name = "Дата печати";
    EXPECT_TRUE(logic.Apply());
    EXPECT_EQ(date->GetName(), "Дата печати");
    EXPECT_EQ(date->GetType(), kParamCurrentDate);
    EXPECT_EQ(date->GetTextValue(), "01.02.2026");
    logic.m_nTypeIndex = kParamNumber;
    EXPECT_TRUE(logic.Apply());
    EXPECT_EQ(date->GetType(), kParamNumber);
}

}  // namespace
