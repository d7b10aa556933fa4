// Text values: defaults, own text and parameter links, copying, and the store transfer.
#include "report/tests/model/model_fixture.h"

namespace model_test {
namespace {

class TextValueTest : public ModelTest {};

TEST_F(TextValueTest, DefaultsAndLinks) {
    CTextValue v;
    EXPECT_EQ(v.GetType(), kTextNone);
    EXPECT_EQ(v.GetText(), "");
    EXPECT_EQ(v.GetBorder(), 1);
    EXPECT_EQ(v.GetAlign(), 18);
    EXPECT_EQ(v.GetWordWrap(), 1);
    EXPECT_EQ(v.GetOrientation(), 0);
    EXPECT_EQ(v.GetFitText(), 0);
    const LOGFONT& f = v.GetFont();
    EXPECT_EQ(f.lfHeight, 80);
    EXPECT_EQ(f.lfWeight, 400);
    EXPECT_EQ(f.lfItalic, 255);
    EXPECT_EQ(f.lfCharSet, 204);
    EXPECT_EQ(f.FaceName(), "Arial");

    CReportParam* param = NewParam("Заказчик", kParamText, "ООО");
    v.SetText("abc");
    v.SetText(param);
    EXPECT_EQ(v.GetType(), kTextParam);
    EXPECT_EQ(v.GetOwnText(), "abc");
    EXPECT_EQ(v.GetText(), "ООО");
    EXPECT_EQ(v.GetParam(), param);
    v.SetText("x");
    EXPECT_EQ(v.GetParam(), nullptr);
    EXPECT_EQ(v.GetText(), "x");
    v.SetText(static_cast<CReportParam*>(nullptr));
    EXPECT_EQ(v.GetText(), "");  // a link without its parameter shows nothing
}

TEST_F(TextValueTest, AssignmentCopiesTheLookAndTheTextButKeepsItsInstances) {
    CTextValue none;
    none.SetAlign(kAlignLeft);
    CTextValue target;
    target.UpdateData(&Manager());
    CzorInstance* own = target.GetInstance();
    ASSERT_NE(own, nullptr);
    target = none;
    EXPECT_EQ(target.GetType(), kTextOwn);
    EXPECT_EQ(target.GetText(), "");
    EXPECT_EQ(target.GetAlign(), kAlignLeft);
    EXPECT_EQ(target.GetInstance(), own);

    CReportParam* param = NewParam("p", kParamNumber);
    CTextValue linked;
    linked.SetText("hidden");
    linked.SetText(param);
    target = linked;
    EXPECT_EQ(target.GetParam(), param);
    EXPECT_EQ(target.GetOwnText(), "");  // the link is copied, not the own text behind it

    CTextValue copy(target);  // a copy shares the store instances
    EXPECT_EQ(copy.GetInstance(), own);
    EXPECT_EQ(copy.GetParam(), param);
}

TEST_F(TextValueTest, StoreRoundTripOfEveryField) {
    CTextValue v;
    v.SetText("строка\nвторая");
    v.SetAlign(kAlignRight | kAlignBottom);
    v.SetBorder(0);
    v.SetOrientation(1);
    v.SetFitText(1);
    LOGFONT f;
    f.lfHeight = 145;
    f.lfWeight = FW_BOLD;
    f.lfItalic = 0;
    f.lfUnderline = 1;
    f.lfStrikeOut = 1;
    f.lfCharSet = 0;
    f.SetFaceName("Courier New");
    v.SetFont(f);
    v.UpdateData(&Manager());
    ASSERT_NE(v.GetInstance(), nullptr);
    ASSERT_NE(v.GetFontInstance(), nullptr);

    CTextValue back;
    EXPECT_EQ(back.CreateFromInst(v.GetInstance(), &Manager()), &back);
    EXPECT_EQ(back.GetType(), kTextOwn);
    EXPECT_EQ(back.GetText(), "строка\nвторая");
    EXPECT_EQ(back.GetAlign(), kAlignRight | kAlignBottom);
    EXPECT_EQ(back.GetBorder(), 0);
    EXPECT_EQ(back.GetOrientation(), 1);
    EXPECT_EQ(back.GetFitText(), 1);
    EXPECT_EQ(back.GetFontInstance(), v.GetFontInstance());
    const LOGFONT& g = back.GetFont();
    EXPECT_EQ(g.lfHeight, 145);
    EXPECT_EQ(g.lfWeight, FW_BOLD);
    EXPECT_EQ(g.lfItalic, 0);
    EXPECT_EQ(g.lfUnderline, 1);
    EXPECT_EQ(g.lfStrikeOut, 1);
    EXPECT_EQ(g.lfCharSet, 0);
    EXPECT_EQ(g.FaceName(), "Courier New");
    EXPECT_EQ(back.CreateFromInst(nullptr, &Manager()), nullptr);
}

TEST_F(TextValueTest, ReadingALinkToAForeignInstanceChangesNothingInTheStore) {
    // A parameter instance that is not in the manager's list (its list is not read yet, or it was lost).
    CzorInstance* stranger = Store().CreateInstance(S().e_zor_report_param);
    Store().PutAttr(stranger, S().zor_report_param_name, std::string("чужой"));
    CzorInstance* value = Store().CreateInstance(S().e_zor_value);
    Store().PutAttr(value, S().zor_value_type, 2);
    Store().PutAttr(value, S().zor_value_inst, stranger);
    const int live = Store().GetInstanceCount();

    CTextValue v;
    v.CreateFromInst(value, &Manager());
    EXPECT_EQ(v.GetType(), kTextParam);
    EXPECT_EQ(v.GetParam(), nullptr);
    EXPECT_EQ(v.GetText(), "");
    EXPECT_FALSE(stranger->IsDeleted());
    EXPECT_EQ(Store().GetInstanceCount(), live);
    CzorInstance* still = nullptr;
    EXPECT_TRUE(Store().GetAttr(value, S().zor_value_inst, still));
    EXPECT_EQ(still, stranger);

    // Once the parameter is known, the same instance links.
    auto* param = new CReportParam(&Manager());
    param->SetInstance(stranger);
    param->Update(false);
    Manager().GetParams().Add(param);
    CTextValue again;
    again.CreateFromInst(value, &Manager());
    EXPECT_EQ(again.GetParam(), param);
    EXPECT_EQ(again.GetText(), "");  // a text parameter with no text yet
}

TEST_F(TextValueTest, MissingAttributesReadAsTheirDefaults) {
    CzorInstance* value = Store().CreateInstance(S().e_zor_value);
    Store().PutAttr(value, S().zor_value_align, 40);
    CTextValue v;
    v.SetBorder(7);
    v.SetFitText(3);
    v.SetOrientation(1);
    v.CreateFromInst(value, &Manager());
    EXPECT_EQ(v.GetAlign(), 40);
    EXPECT_EQ(v.GetOrientation(), 0);  // not the align value
    EXPECT_EQ(v.GetBorder(), 7);
    EXPECT_EQ(v.GetFitText(), 3);
    EXPECT_EQ(v.GetFont().lfHeight, 80);  // no stored font: the font is kept
    CzorInstance* bare = Store().CreateInstance(S().e_zor_value);
    v.CreateFromInst(bare, &Manager());
    EXPECT_EQ(v.GetAlign(), 0);
}

TEST_F(TextValueTest, ALinkToAParameterNotYetWrittenSurvivesTheWrite) {
    CReportParam* param = NewParam("Номер страницы", kParamPageNumber);
    ASSERT_EQ(param->GetInstance(), nullptr);
    CTextValue v;
    v.SetText(param);
    v.UpdateData(&Manager());
    ASSERT_NE(param->GetInstance(), nullptr);
    CzorInstance* linked = nullptr;
    EXPECT_TRUE(Store().GetAttr(v.GetInstance(), S().zor_value_inst, linked));
    EXPECT_EQ(linked, param->GetInstance());
}

TEST_F(TextValueTest, DeleteRemovesBothInstances) {
    CTextValue v;
    v.SetText("x");
    v.CreateInst(&Manager());
    CzorInstance* value = v.GetInstance();
    CzorInstance* font = v.GetFontInstance();
    ASSERT_TRUE(value && font);
    v.CreateInst(&Manager());  // nothing new
    EXPECT_EQ(v.GetInstance(), value);
    v.Delete(&Manager());
    EXPECT_TRUE(value->IsDeleted());
    EXPECT_TRUE(font->IsDeleted());
}

TEST_F(TextValueTest, FontReadsEachFieldOnItsOwnAndCutsLongFaceNames) {
    CzorInstance* font = Store().CreateInstance(S().e_zor_font);
    Store().PutAttr(font, S().zor_font_height, 120);
    Store().PutAttr(font, S().zor_font_italic, 1);
    // 20 two-byte letters: 40 bytes, more than a face name holds.
    std::string face;
    for (int i = 0; i < 20; ++i) face += "Ш";
    Store().PutAttr(font, S().zor_font_font_name, face);
    const LOGFONT f = Manager().GetFontValue(font);
    EXPECT_EQ(f.lfHeight, 120);
    EXPECT_EQ(f.lfWeight, 0);      // absent: 0, not the height read before it
    EXPECT_EQ(f.lfItalic, 1);
    EXPECT_EQ(f.lfStrikeOut, 0);   // absent: 0, not the italic read before it
    EXPECT_EQ(f.lfUnderline, 0);
    EXPECT_EQ(f.FaceName().size(), 30u);
    EXPECT_EQ(f.FaceName(), face.substr(0, 30));
    const LOGFONT none = Manager().GetFontValue(nullptr);
    EXPECT_EQ(none.lfHeight, 0);
    EXPECT_EQ(none.FaceName(), "");

    LOGFONT g;
    g.lfHeight = 90;
    g.lfWeight = 700;
    g.lfItalic = 255;
    g.lfCharSet = 204;
    g.lfUnderline = 1;
    g.SetFaceName("Arial");
    Manager().SetFontValue(font, g);
    const LOGFONT h = Manager().GetFontValue(font);
    EXPECT_EQ(h.lfHeight, 90);
    EXPECT_EQ(h.lfWeight, 700);
    EXPECT_EQ(h.lfItalic, 255);
    EXPECT_EQ(h.lfCharSet, 204);
    EXPECT_EQ(h.lfUnderline, 1);
    EXPECT_EQ(h.FaceName(), "Arial");
}

}  // namespace
}  // namespace model_test
