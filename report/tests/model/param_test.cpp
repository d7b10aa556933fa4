// Report parameters, their list, run-time parameters and query records.
#include "report/tests/model/model_fixture.h"

namespace model_test {
namespace {

class ParamTest : public ModelTest {};

TEST_F(ParamTest, ValuesAndTheirText) {
    CReportParam p(&Manager());
    EXPECT_EQ(p.GetType(), kParamText);
    EXPECT_EQ(p.GetDict(), &Manager());
    p.SetParam("abc", kParamDate);
    EXPECT_EQ(p.GetType(), kParamDate);
    EXPECT_EQ(p.GetText(), "abc");
    p.SetParam(-42);
    EXPECT_EQ(p.GetType(), kParamNumber);
    EXPECT_EQ(p.GetText(), "-42");
    CzorInstance* object = Store().CreateInstance(S().e_zor_col);
    p.SetParam(object);
    EXPECT_EQ(p.GetType(), kParamObject);
    EXPECT_EQ(p.GetInstValue(), object);
    EXPECT_EQ(p.GetText(), "");
    for (int type = kParamPageNumber; type <= kParamReportDate; ++type) {
        p.SetParam("ignored", type);
        EXPECT_EQ(p.GetText(), "") << type;
    }
    p.SetParam("x", kParamText);
    p.SetType(kParamText);  // the same type still clears the value
    EXPECT_EQ(p.GetText(), "");
    p.SetParam(5);
    p.SetType(kParamNumber);
    EXPECT_EQ(p.GetIntValue(), 0);
}

TEST_F(ParamTest, StoreRoundTrips) {
    struct Case {
        int type;
        std::string text;
        int number;
        std::string stored;
        std::string textBack;
        int numberBack;
    } cases[] = {
        {kParamText, "Текст", 0, "Текст", "Текст", 0},
        {kParamNumber, "", 42, "42", "", 42},
        {kParamDate, "01.02.2003", 0, "01.02.2003", "01.02.2003", 0},
        {kParamObject, "", 0, "", "", 0},
        {kParamLocalPageCount, "", 0, "", "", 0},
    };
    for (const Case& c : cases) {
        CReportParam p(&Manager());
        p.SetName("имя");
        if (c.type == kParamNumber)
            p.SetParam(c.number);
        else if (c.type == kParamObject)
            p.SetParam(Store().CreateInstance(S().e_zor_col));
        else
            p.SetParam(c.text, c.type);
        p.Update(true);
        ASSERT_NE(p.GetInstance(), nullptr);
        std::string stored;
        Store().GetAttr(p.GetInstance(), S().zor_report_param_value, stored);
        EXPECT_EQ(stored, c.stored) << c.type;
        CReportParam back(&Manager());
        back.SetInstance(p.GetInstance());
        back.Update(false);
        EXPECT_EQ(back.GetName(), "имя");
        EXPECT_EQ(back.GetType(), c.type);
        EXPECT_EQ(back.GetTextValue(), c.textBack) << c.type;
        EXPECT_EQ(back.GetIntValue(), c.numberBack) << c.type;
        EXPECT_EQ(back.GetInstValue(), nullptr);
    }
    CReportParam none(&Manager());
    none.SetName("keep");
    none.Update(false);  // no instance: nothing read
    EXPECT_EQ(none.GetName(), "keep");
}

TEST_F(ParamTest, ListLookups) {
    CParamArray& list = Manager().GetParams();
    EXPECT_EQ(list.Add(nullptr), -1);
    CReportParam* a = NewParam("Итог", kParamText);
    CReportParam* b = NewParam("итог", kParamCurrentDate);
    CReportParam* c = NewParam("Итог", kParamCurrentDate);
    c->Update(true);
    EXPECT_EQ(list.GetSize(), 3);
    EXPECT_EQ(list.Find(std::string("Итог")), 0);
    EXPECT_EQ(list.Find(std::string("итог")), 1);
    EXPECT_EQ(list.Find(std::string("ИТОГ")), -1);
    EXPECT_EQ(list.Find(static_cast<const char*>(nullptr)), -1);
    EXPECT_EQ(list.Find(kParamCurrentDate), 1);
    EXPECT_EQ(list.Find(kParamPageCount), -1);
    EXPECT_EQ(list.Find(c->GetInstance()), 2);
    EXPECT_EQ(list.Find(static_cast<const CzorInstance*>(nullptr)), -1);
    EXPECT_EQ(list.Find(static_cast<const CReportParam*>(b)), 1);
    EXPECT_TRUE(list.IsUnique("Итог", nullptr) == false);
    EXPECT_TRUE(list.IsUnique("итог", b));
    EXPECT_FALSE(list.IsUnique("итог", a));
    EXPECT_TRUE(list.IsUnique("новое", nullptr));
    EXPECT_EQ(list.GetAt(3), nullptr);
    EXPECT_EQ(list.GetAt(-1), nullptr);
    list.RemoveAt(7);
    list.RemoveAt(1);
    EXPECT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list.GetAt(1), c);
    CzorInstance* instance = c->GetInstance();
    list.RemoveAll();
    EXPECT_EQ(list.GetSize(), 0);
    EXPECT_FALSE(instance->IsDeleted());  // objects only
}

TEST_F(ParamTest, DeleteAllUnlinksEveryTextLoadedOrNot) {
    CReportParam* param = NewParam("Заказчик", kParamText, "ООО");
    CReportParam* date = NewParam("Текущая дата", kParamCurrentDate);
    CReportSheet* loaded = NewSheet();
    CReportSheet* unloaded = NewSheet();
    CReportElement* shown = NewRect(loaded, {0, 0}, {10, 10});
    shown->GetTextValue().SetText(param);
    CReportElement* own = NewRect(loaded, {0, 0}, {10, 10}, "своё");
    NewRect(unloaded, {0, 0}, {10, 10})->GetTextValue().SetText(date);
    WriteReport(Manager());
    unloaded->UnselectAll();
    unloaded->FreeElements();
    CzorInstance* paramInstance = param->GetInstance();
    CzorInstance* dateInstance = date->GetInstance();

    Manager().GetParams().DeleteAll();
    EXPECT_EQ(Manager().GetParams().GetSize(), 0);
    EXPECT_TRUE(paramInstance->IsDeleted());
    EXPECT_TRUE(dateInstance->IsDeleted());
    EXPECT_EQ(shown->GetTextValue().GetType(), kTextOwn);
    EXPECT_EQ(shown->GetTextValue().GetText(), "");
    EXPECT_EQ(own->GetTextValue().GetText(), "своё");
    // The unloaded sheet's text is unlinked in the store.
    unloaded->LoadElementsFromFile();
    ASSERT_EQ(unloaded->GetElementCount(), 1);
    EXPECT_EQ(unloaded->GetElement(0)->GetTextValue().GetType(), kTextOwn);
    EXPECT_EQ(unloaded->GetElement(0)->GetTextValue().GetText(), "");
    // The loaded sheet's value instance too, once written.
    int type = 0;
    Store().GetAttr(shown->GetTextValue().GetInstance(), S().zor_value_type, type);
    EXPECT_EQ(type, kTextOwn);

    // An empty list leaves every text as it was.
    shown->GetTextValue().SetText("после");
    Manager().GetParams().DeleteAll();
    EXPECT_EQ(shown->GetTextValue().GetText(), "после");
}

TEST(RunTimeParamsTest, AddSetAndLookups) {
    CRParamsArray list;
    EXPECT_EQ(list.Add(nullptr, "v"), -1);
    EXPECT_EQ(list.Add("n", static_cast<const char*>(nullptr)), -1);
    EXPECT_EQ(list.Add(static_cast<const char*>(nullptr), 3), -1);
    EXPECT_EQ(list.Add(static_cast<CzorRParam*>(nullptr)), -1);
    EXPECT_EQ(list.Add("Дата", "01.01.2024"), 0);
    EXPECT_EQ(list.Add("Дата", "второе"), 1);
    EXPECT_EQ(list.Add("Номер", 7), 2);
    EXPECT_EQ(list.Add(new CzorRParam{"Своё", "x", 1}), 3);
    EXPECT_EQ(list.GetSize(), 4);
    EXPECT_EQ(list.GetAt(2)->number, 7);
    EXPECT_EQ(list.GetAt(2)->value, "");
    EXPECT_EQ(list.GetAt(4), nullptr);
    EXPECT_TRUE(list.Set("Дата", "новое"));
    EXPECT_EQ(list.GetAt(0)->value, "новое");
    EXPECT_EQ(list.GetAt(1)->value, "второе");
    EXPECT_FALSE(list.Set("дата", "x"));
    list.RemoveAll();
    EXPECT_EQ(list.GetSize(), 0);

    CzorQuery empty;
    EXPECT_EQ(empty.m_Name, "");
    EXPECT_EQ(empty.m_nNumber, 0u);
    CzorQuery q("Выборка", "GetRows", 3);
    q.m_nParam2 = 9;
    CzorQuery copy = q;
    EXPECT_EQ(copy.m_Name, "Выборка");
    EXPECT_EQ(copy.m_FunctionName, "GetRows");
    EXPECT_EQ(copy.m_nNumber, 3u);
    EXPECT_EQ(copy.m_nParam2, 9);
    EXPECT_STREQ(PageFieldParamName(kParamLocalPageNumber), "Локальный номер страницы");
    EXPECT_STREQ(PageFieldParamName(kParamText), "");
}

}  // namespace
}  // namespace model_test
