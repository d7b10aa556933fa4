#pragma once
// A report manager on a store with the report dictionary, fixed text metrics and a message recorder, and
// what the table tests share: a template with a table of two sections built through the section classes,
// writing and reading a template the way the program and generation do, and field-by-field comparisons.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/fixed_text_measurer.h"
#include "platform/tests/test_support.h"
#include "platform/zordata/zordata.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/page_reference_element.h"
#include "report/model/report_section.h"
#include "report/model/report_sheet.h"
#include "report/model/table_content.h"
#include "report/model/table_content_element.h"
#include "report/model/table_element.h"
#include "report/model/table_map_element.h"
#include "report/tests/model/model_fixture.h"

namespace tables_test {

using Model = model_test::AttachedModel;

// How sheets are read back.
enum class ReadOrder {
    AllThenLoad,  // every sheet made first, then each loaded (the program opening a document)
    OneByOne,     // each sheet made and loaded before the next is made (generation)
};

// Writes what the program writes on saving: the select header's columns, every sheet, the contents tree
// and a zor_report root listing the sheets.
void WriteTemplate(CFolivox& manager);
// Reads a store back: the select header, the sheets (named by position), then the contents tree.
void ReadTemplate(CFolivox& manager, ReadOrder order = ReadOrder::AllThenLoad);

using model_test::Font;

// A section with levels, cell columns of every kind, conditions with and/or links, two grouping columns
// with title and closing lines and conditions, sort columns and a title column. Data-source columns come
// from the manager's select header (made there when missing). variant changes every value.
CReportSection* BuildSection(CFolivox& manager, int variant);
// A table element with two such sections.
CTableElement* BuildTable(CFolivox& manager);

// Field-by-field comparisons (gtest failures name the first difference's place).
void ExpectSameFont(const LOGFONT& a, const LOGFONT& b, const std::string& where);
void ExpectSameSection(const CReportSection& a, const CReportSection& b, const std::string& where);
void ExpectSameTable(const CTableElement& a, const CTableElement& b);

// The model fixture (a private profile, a message recorder) with the default fixed text metrics, which
// keep the proportions of real text: half an em per character.
class TablesTest : public model_test::ModelBase {
protected:
    // An element of the kind made by the sheet's factory and added to it.
    CReportElement* NewElement(CReportSheet* sheet, int kind, CPoint origin, CSize size);
    // Saves the store to a file of the test's folder and loads it into a fresh model.
    std::unique_ptr<Model> SaveAndReload(ReadOrder order = ReadOrder::AllThenLoad);
    // Whether instance is alive in the store.
    static bool Alive(const CzorInstance* instance) { return instance && !instance->IsDeleted(); }
    // Live instances of an entity.
    int CountOf(CzorEntity* entity);

    CFixedTextMeasurer measurer;
    CScopedTextMeasurer scopedMeasurer{measurer};
    zor::test::ScopedTempDir dir;
};

}  // namespace tables_test
