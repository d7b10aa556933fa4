#pragma once
// Templates built through the model on a store of their own and saved as the designer saves them: the
// generation tests' templates and the example template of examples/. Needs no test framework.
#include <string>
#include <vector>

#include "platform/zordata/zordata.h"
#include "report/model/condition.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/report_param.h"
#include "report/model/report_section.h"
#include "report/model/report_sheet.h"
#include "report/model/section_level.h"
#include "report/model/table_content_element.h"
#include "report/model/table_element.h"
#include "report/model/table_map_element.h"

namespace generation_test {

LOGFONT Font(int height, const char* face = "Arial", int weight = FW_NORMAL);

// A template made through the model on a store of its own.
class TemplateBuilder {
public:
    // The report dictionary of the dictionary folder (the installed one unless the transport settings
    // name another).
    TemplateBuilder();
    TemplateBuilder(const TemplateBuilder&) = delete;
    TemplateBuilder& operator=(const TemplateBuilder&) = delete;

    bool Ready() const { return m_loaded; }
    // The report's page as the page set-up keeps it: the page extents (x horizontal), the orientation that
    // goes with them and the whole page as the print area, the area always in the landscape order of its
    // sides. Set it before the sheets are added.
    void SetPage(CSize size);
    CFolivox& Manager() { return m_manager; }
    CzorStepDataWithFile& Store() { return m_store; }

    // A sheet of the report's page (A4 portrait, 2100 x 2970, unless SetPage said otherwise), loaded,
    // appended and named by position.
    CReportSheet* AddSheet();
    CReportElement* AddText(CReportSheet* sheet, CPoint origin, CSize size, const std::string& text);
    CReportElement* AddParamText(CReportSheet* sheet, CPoint origin, CSize size, CReportParam* param);
    CReportParam* AddParam(const std::string& name, int type, const std::string& value = {});
    // A column of the select header (made when missing).
    CHeaderColumn* Column(const std::string& name, int type = 5);
    // A formula column "name=expression" of the result-select header.
    CHeaderColumn* Computed(const std::string& text);
    CTableElement* AddTable(CReportSheet* sheet, CPoint origin, CSize size, int rowHeight = 10);
    CTableMapElement* AddContinuation(CReportSheet* sheet, CTableElement* table, CPoint origin, CSize size);
    CTableContentElement* AddContents(CReportSheet* sheet, CPoint origin, CSize size);

    // Parts of sections, owned by the caller until added.
    static CColumn* FieldColumn(CHeaderColumn* source, int width, int kind = 0);
    static CColumn* TextColumn(const std::string& text, int width);
    CSectionLevel* Level(int height, std::vector<CColumn*> columns, int flags = 0);
    static CCondition* Condition(CHeaderColumn* column, int comparison, const std::string& value);
    static CCondition* Condition(CHeaderColumn* column, int comparison, int value);

    // Writes both headers with their records, every parameter, every sheet, the contents tree and the
    // report root, then saves the store to path. False (with the store's description in error) when the
    // file can't be written.
    bool Save(const std::string& path, std::string* error = nullptr);

private:
    CzorStepDataWithFile m_store;
    CFolivox m_manager;
    bool m_loaded = false;
    CSize m_pageSize{2100, 2970};
};

}  // namespace generation_test
