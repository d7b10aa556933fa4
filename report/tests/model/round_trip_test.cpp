// A template built through the model, written, saved, loaded into a new store and read back comes back
// equal field by field.
#include <filesystem>

#include <fmt/printf.h>

#include "platform/base/file_io.h"
#include "report/tests/model/model_fixture.h"

namespace model_test {
namespace {

struct ElementSpec {
    int kind;
    CPoint origin;
    CSize size;
    int lineWidth;
    int fixed;
    std::string name;
    std::string text;       // own text, unless param is set
    std::string param;      // name of the linked parameter
    int align;
    int orientation;
    int fitText;
    int border;
    LOGFONT font;
};

std::vector<std::vector<ElementSpec>> Template() {
    std::vector<std::vector<ElementSpec>> sheets(2);
    const int aligns[] = {kAlignTop | kAlignLeft,      kAlignTop | kAlignHCenter,   kAlignTop | kAlignRight,
                          kAlignVCenter | kAlignLeft,  kAlignDefault,               kAlignVCenter | kAlignRight,
                          kAlignBottom | kAlignLeft,   kAlignBottom | kAlignHCenter, kAlignBottom | kAlignRight};
    for (int i = 0; i < 9; ++i) {
        sheets[0].push_back({kElemRect, {100 + 220 * (i % 3), -300 - 220 * (i / 3)}, {200, 200}, i % 3, 0,
                             fmt::sprintf("Ячейка %d", i), fmt::sprintf("Текст «%d»\nвторая строка", i), "",
                             aligns[i], i % 2, i == 4 ? 1 : 0, i % 4 == 3 ? 0 : 1,
                             Font(80 + 10 * i, i % 2 ? FW_BOLD : FW_NORMAL, i % 2 ? 0 : 255,
                                  i % 3 == 0 ? "Times New Roman" : "Arial", i == 5, i == 7)});
    }
    sheets[0].push_back({kElemLine, {100, -1000}, {-80, 300}, 5, 1, "Линия", "", "", kAlignDefault, 0, 0, 1,
                         DefaultTextFont()});
    sheets[1].push_back({kElemRect, {0, -100}, {500, 80}, 0, 0, "Заказчик", "", "Заказчик", kAlignLeft | kAlignTop,
                         0, 0, 1, Font(120, FW_BOLD, 0, "Courier New")});
    sheets[1].push_back({kElemRect, {0, -200}, {500, 80}, 1, 1, "Страница", "", "Номер страницы",
                         kAlignRight | kAlignBottom, 0, 0, 0, DefaultTextFont()});
    sheets[1].push_back({kElemRect, {600, -900}, {80, 700}, 2, 0, "Вертикальный", "снизу вверх", "",
                         kAlignHCenter | kAlignBottom, 1, 1, 1, Font(100, FW_NORMAL, 0, "Arial")});
    sheets[1].push_back({kElemLine, {0, 0}, {2100, 0}, 0, 0, "", "", "", kAlignDefault, 0, 0, 1, DefaultTextFont()});
    return sheets;
}

class RoundTripTest : public ModelTest {};

TEST_F(RoundTripTest, TemplateComesBackEqualFieldByField) {
    NewParam("Заказчик", kParamText, "ООО «Ромашка»");
    NewParam("Номер страницы", kParamPageNumber);
    auto* number = new CReportParam(&Manager());
    number->SetName("Количество");
    number->SetParam(42);
    Manager().GetParams().Add(number);

    const auto plan = Template();
    for (const auto& sheetPlan : plan) {
        CReportSheet* sheet = NewSheet();
        sheet->SetType(1);
        for (const ElementSpec& e : sheetPlan) {
            CReportElement* element = sheet->CreateReportElem(e.origin, e.size, e.kind);
            element->SetLineWidth(e.lineWidth);
            element->SetFixed(e.fixed);
            element->SetName(e.name);
            CTextValue& tv = element->GetTextValue();
            if (!e.param.empty())
                tv.SetText(Manager().GetParams().GetAt(Manager().GetParams().Find(e.param)));
            else if (!e.text.empty())
                tv.SetText(e.text);
            tv.SetAlign(e.align);
            tv.SetOrientation(e.orientation);
            tv.SetFitText(e.fitText);
            tv.SetBorder(e.border);
            tv.SetFont(e.font);
            sheet->Add(element);
        }
    }
    // The second sheet is not shown: its elements reach the store when it is freed.
    Manager().GetSheet(1)->FreeElements();
    WriteReport(Manager());
    const std::string dir = ::testing::TempDir() + "/qm_model_round_trip";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/template.zordot";
    ASSERT_TRUE(Store().SaveToFile(path.c_str())) << Store().GetLastErrorDescription();

    AttachedModel fresh;
    ASSERT_TRUE(fresh.loaded);
    ASSERT_TRUE(fresh.store.LoadFromFile(path.c_str())) << fresh.store.GetLastErrorDescription();
    ReadReport(fresh.manager);

    CParamArray& params = fresh.manager.GetParams();
    ASSERT_EQ(params.GetSize(), 3);
    EXPECT_EQ(params.GetAt(0)->GetName(), "Заказчик");
    EXPECT_EQ(params.GetAt(0)->GetText(), "ООО «Ромашка»");
    EXPECT_EQ(params.GetAt(1)->GetType(), kParamPageNumber);
    EXPECT_EQ(params.GetAt(2)->GetType(), kParamNumber);
    EXPECT_EQ(params.GetAt(2)->GetIntValue(), 42);

    ASSERT_EQ(fresh.manager.GetSheetCount(), 2);
    for (size_t s = 0; s < plan.size(); ++s) {
        CReportSheet* sheet = fresh.manager.GetSheet(static_cast<int>(s));
        EXPECT_EQ(sheet->GetName(), fmt::sprintf("Лист%d", s + 1));
        EXPECT_EQ(sheet->GetSize(), CSize(2100, 2970));
        EXPECT_EQ(sheet->GetType(), 1);
        ASSERT_EQ(sheet->GetElementCount(), static_cast<int>(plan[s].size()));
        for (size_t i = 0; i < plan[s].size(); ++i) {
            const ElementSpec& want = plan[s][i];
            const CReportElement* got = sheet->GetElement(static_cast<int>(i));
            SCOPED_TRACE(fmt::sprintf("sheet %d element %d", s, i));
            EXPECT_EQ(got->GetKind(), want.kind);
            EXPECT_EQ(got->GetOrigin(), want.origin);
            EXPECT_EQ(got->GetSize(), want.size);
            EXPECT_EQ(got->GetLineWidth(), want.lineWidth);
            EXPECT_EQ(got->GetFixed(), want.fixed);
            EXPECT_EQ(got->GetName(), want.name);
            EXPECT_EQ(got->GetSheet(), sheet);
            const CTextValue& tv = got->GetTextValue();
            if (!want.param.empty()) {
                EXPECT_EQ(tv.GetType(), kTextParam);
                ASSERT_NE(tv.GetParam(), nullptr);
                EXPECT_EQ(tv.GetParam()->GetName(), want.param);
            } else if (!want.text.empty()) {
                EXPECT_EQ(tv.GetType(), kTextOwn);
                EXPECT_EQ(tv.GetText(), want.text);
            } else {
                EXPECT_EQ(tv.GetType(), kTextNone);
            }
            EXPECT_EQ(tv.GetAlign(), want.align);
            EXPECT_EQ(tv.GetOrientation(), want.orientation);
            EXPECT_EQ(tv.GetFitText(), want.fitText);
            EXPECT_EQ(tv.GetBorder(), want.border);
            const LOGFONT& f = tv.GetFont();
            EXPECT_EQ(f.lfHeight, want.font.lfHeight);
            EXPECT_EQ(f.lfWeight, want.font.lfWeight);
            EXPECT_EQ(f.lfItalic, want.font.lfItalic);
            EXPECT_EQ(f.lfUnderline, want.font.lfUnderline);
            EXPECT_EQ(f.lfStrikeOut, want.font.lfStrikeOut);
            EXPECT_EQ(f.lfCharSet, want.font.lfCharSet);
            EXPECT_EQ(f.FaceName(), want.font.FaceName());
        }
    }
    // Lines and rectangles are stored as their own entities.
    CzorTAggr<CzorInstance> lines;
    fresh.store.GetEntityExtent(fresh.manager.Schema().e_zor_report_line, lines);
    EXPECT_EQ(lines.GetSize(), 2);

    // Writing the read template again changes nothing that a save would show.
    for (CReportSheet* sheet : fresh.manager.GetSheets()) sheet->FreeElements();
    WriteReport(fresh.manager);
    const std::string again = dir + "/again.zordot";
    ASSERT_TRUE(fresh.store.SaveToFile(again.c_str()));
    std::string a, b;
    zor::ReadWholeFile(path, a);
    zor::ReadWholeFile(again, b);
    auto data = [](const std::string& file) { return file.substr(file.find("DATA;")); };
    EXPECT_EQ(data(a), data(b));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace model_test
