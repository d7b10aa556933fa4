#pragma once
// Section generation on small templates built through the model: a manager with a data source of text
// rows, tables and continuations on sheets, the generation sheet that further pages are cloned from, and
// fixed text metrics in which a character of the row font (12 points) is exactly 10 units wide, so line
// breaks can be worked out by hand (a column of width w holds (w - 30) / 10 characters a line).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/fixed_text_measurer.h"
#include "report/model/report_section.h"
#include "report/model/report_sheet.h"
#include "report/model/table_content.h"
#include "report/model/table_element.h"
#include "report/model/table_map_element.h"
#include "report/tests/sections/sections_fixture.h"

namespace sectiongen_test {

using sections_test::Cell;
using sections_test::Row;

// Ten units a character at lfHeight 120.
CFixedMetrics TenUnitRowMetrics();
// A 12-point Arial (the size the metrics above are made for).
LOGFONT RowFont();

class SectionGenTest : public sections_test::SectionTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A table on the sheet, its upper edge at top (y on the page, at or below 0), reaching down height.
    CTableElement* AddTable(CReportSheet* sheet, int left, int top, int width, int height);
    // A continuation of the table on the sheet, placed the same way.
    CTableMapElement* AddContinuation(CReportSheet* sheet, CTableElement* table, int left, int top, int width,
                                      int height);
    // A text rectangle on the sheet.
    CReportElement* AddText(CReportSheet* sheet, const std::string& text, CPoint origin, CSize size);
    // A section with one level of the given height holding the columns; no title, no empty lines.
    CReportSection* AddSection(CTableElement* table, std::vector<CColumn*> columns, int height = 50);
    // What the report's generation prepares before a table runs: a sheet outside the page list holding a
    // copy of every element of the pattern sheet (the table's copy is a continuation of it), from which
    // further pages are cloned.
    void UseGenerationSheet(CReportSheet* pattern);

    // The generated cells of a sheet, line by line: "<distance of the line's upper edge below the upper edge
    // of the sheet's table or continuation>: <cell texts joined by |>"; a picture cell shows as "[pic]".
    static std::vector<std::string> Lines(const CReportSheet* sheet);
    // Each generated cell exactly: "x,y wxh 'text'" (origin and size).
    static std::vector<std::string> Cells(const CReportSheet* sheet);
    std::vector<std::string> SheetNames();
    std::vector<std::string> MessageTexts() { return messages.Texts(); }

    CFixedTextMeasurer rowMeasurer{TenUnitRowMetrics()};
    CScopedTextMeasurer scopedRowMeasurer{rowMeasurer};
    std::unique_ptr<CReportSheet> generationSheet;
};

}  // namespace sectiongen_test
