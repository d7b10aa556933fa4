// A finished page's cells written straight as records save as the same cells written as instances and
// packed would, whatever their fields hold; cells of any other kind are left to their own writing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "report/generation/cell_records.h"
#include "report/model/picture_element.h"
#include "platform/tests/test_support.h"
#include "report/tests/model/model_fixture.h"

namespace {

using model_test::Font;

// One cell's fields.
using Shape = std::function<void(CReportElement&)>;

// The cells, as the section generator makes them (a copy of a blank cell given its place and text).
std::vector<std::unique_ptr<CReportElement>> Cells(CFolivox& manager, const std::vector<Shape>& shapes) {
    std::vector<std::unique_ptr<CReportElement>> cells;
    for (const Shape& shape : shapes) {
        auto cell = std::make_unique<CReportElement>(&manager);
        cell->SetKind(kElemRect);
        shape(*cell);
        cells.push_back(std::move(cell));
    }
    return cells;
}

class CellRecords : public model_test::ModelBase {
protected:
    // The saved store after the cells were written, with a sheet whose element list names them.
    std::string Saved(const std::vector<Shape>& shapes, bool asRecords, const std::string& name) {
        return Saved(std::vector<std::vector<Shape>>{shapes}, asRecords, name);
    }
    // The same for pages of cells, each written as a batch of its own (one writer for them all).
    std::string Saved(const std::vector<std::vector<Shape>>& pages, bool asRecords, const std::string& name) {
        Store().ClearData();
        CzorInstance* holder = Store().CreateInstance(S().e_zor_report_sheet, false, true);
        CzorTAggr<CzorInstance> elems;
        std::unique_ptr<CCellRecords> records;
        if (asRecords) {
            records = std::make_unique<CCellRecords>(Manager());
            EXPECT_TRUE(records->Ready());
        }
        for (const std::vector<Shape>& shapes : pages) {
            auto cells = Cells(Manager(), shapes);
            CzorInstance* one = nullptr;
            if (asRecords) {
                for (const auto& cell : cells) {
                    EXPECT_TRUE(CCellRecords::Writes(*cell));
                    records->Add(*cell);
                }
                one = records->Commit();
            } else {
                const zorPackMark mark = Store().GetPackMark();
                std::vector<CzorInstance*> kept;
                for (const auto& cell : cells) {
                    cell->Update(true);
                    kept.push_back(cell->GetInstance());
                }
                one = Store().PackBatchSince(mark, kept, {S().e_zor_point, S().e_zor_value, S().e_zor_font});
            }
            EXPECT_NE(one, nullptr);
            if (one) elems.Add(one);
        }
        Store().PutAttr(holder, S().zor_report_sheet_elems, elems);
        const std::string path = dir / name;
        EXPECT_TRUE(Store().SaveToFile(path.c_str())) << Store().GetLastErrorDescription();
        const std::string text = zor::test::Slurp(path);
        return text.substr(text.find("DATA;"));
    }

    zor::test::ScopedTempDir dir;
};

TEST_F(CellRecords, SaveAsTheCellsWrittenAsInstances) {
    const struct {
        const char* name;
        std::vector<Shape> cells;
    } cases[] = {
        {"a plain text cell",
         {[](CReportElement& c) {
             c.SetOrigin(CPoint(100, -150));
             c.SetSize(CSize(450, 50));
             c.SetLineWidth(1);
             c.GetTextValue().SetText("АБВГ.300000.00");
         }}},
        {"texts that need escaping, cut at a NUL, or empty",
         {[](CReportElement& c) { c.GetTextValue().SetText("Болт 'М6' \\ 20\nвторая\x01строка"); },
          [](CReportElement& c) { c.GetTextValue().SetText(std::string("до\0после", 15)); },
          [](CReportElement& c) {
              c.GetTextValue().SetText("");
              c.SetName("");
          }}},
        {"every field of the text value and the font",
         {[](CReportElement& c) {
             CTextValue& t = c.GetTextValue();
             t.SetText("Итого");
             t.SetFont(Font(140, 700, 255, "Times New Roman", 1, 1));
             t.SetAlign(kAlignRight | kAlignBottom);
             t.SetBorder(0);
             t.SetOrientation(1);
             t.SetFitText(1);
             c.SetFixed(1);
             c.SetName("Ячейка 'итога'");
         },
          [](CReportElement& c) {
              LOGFONT f = Font(-2147483647 - 1, 0, 0, "");
              f.lfCharSet = 0;
              c.GetTextValue().SetFont(f);
          }}},
        {"negative and large places",
         {[](CReportElement& c) {
             c.SetOrigin(CPoint(-2147483647 - 1, 2147483647));
             c.SetSize(CSize(-1, 0));
             c.SetLineWidth(-3);
         }}},
        {"lines among text cells, and text types without a parameter",
         {[](CReportElement& c) { c.SetKind(kElemLine); },
          [](CReportElement& c) { c.GetTextValue().SetText("после линии"); },
          [](CReportElement& c) {
              c.SetKind(kElemLine);
              c.GetTextValue().SetText(static_cast<CReportParam*>(nullptr));
          }}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string instances = Saved(c.cells, false, "instances.zorrep");
        const std::string records = Saved(c.cells, true, "records.zorrep");
        EXPECT_EQ(records, instances);
    }
    // Many cells to a batch, each referring to its own records.
    std::vector<Shape> many;
    for (int i = 0; i < 300; ++i)
        many.push_back([i](CReportElement& c) {
            c.SetOrigin(CPoint(100 * (i % 4), -50 * (i / 4)));
            c.GetTextValue().SetText(std::to_string(i));
        });
    EXPECT_EQ(Saved(many, true, "records.zorrep"), Saved(many, false, "instances.zorrep"));
}

// A page written after another brought fields the earlier one had not seen: each page saves as it was.
TEST_F(CellRecords, PagesSaveAsTheirCellsWhateverFollowedThem) {
    const Shape plain = [](CReportElement& c) { c.GetTextValue().SetText("строка"); };
    const Shape bold = [](CReportElement& c) {
        c.GetTextValue().SetText("Итого");
        c.GetTextValue().SetFont(Font(140, 700, 0, "Arial"));
    };
    const Shape line = [](CReportElement& c) {
        c.SetKind(kElemLine);
        c.SetOrigin(CPoint(100, -2000));
    };
    const Shape named = [](CReportElement& c) {
        c.SetName("Подпись");
        c.GetTextValue().SetAlign(kAlignRight);
    };
    const std::vector<std::vector<Shape>> pages = {{plain, plain}, {bold, plain, line}, {named, bold}, {plain}};
    EXPECT_EQ(Saved(pages, true, "records.zorrep"), Saved(pages, false, "instances.zorrep"));
}

// Only a cell whose writing makes nothing but its own records from its fields is written as records.
TEST_F(CellRecords, TakeOnlyCellsWrittenFromTheirFields) {
    CReportParam* param = NewParam("Страница", 0, "1");
    const struct {
        const char* name;
        std::function<std::unique_ptr<CReportElement>()> make;
        bool writes;
    } cases[] = {
        {"a text cell", [&] { return std::make_unique<CReportElement>(&Manager()); }, true},
        {"a line",
         [&] {
             auto c = std::make_unique<CReportElement>(&Manager());
             c->SetKind(kElemLine);
             return c;
         },
         true},
        {"a picture", [&] { return std::unique_ptr<CReportElement>(new CPictureElement(&Manager())); }, false},
        {"a kind of its own",
         [&] {
             auto c = std::make_unique<CReportElement>(&Manager());
             c->SetKind(kElemTableMap);
             return c;
         },
         false},
        {"a text showing a parameter",
         [&] {
             auto c = std::make_unique<CReportElement>(&Manager());
             c->GetTextValue().SetText(param);
             return c;
         },
         false},
        {"a cell already written",
         [&] {
             auto c = std::make_unique<CReportElement>(&Manager());
             c->Update(true);
             return c;
         },
         false},
        {"a cell sharing a written text value",
         [&] {
             auto written = std::make_unique<CReportElement>(&Manager());
             written->GetTextValue().UpdateData(&Manager());
             auto c = std::make_unique<CReportElement>(*written);
             return c;
         },
         false},
    };
    for (const auto& c : cases) EXPECT_EQ(CCellRecords::Writes(*c.make()), c.writes) << c.name;
}

}  // namespace
