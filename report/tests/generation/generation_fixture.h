#pragma once
// What the generation tests share: templates built through the model and saved as the designer saves
// them, data and parameter files, generation run the way the program's batch mode runs it (with fixed
// metrics and a fixed date), and a saved report read back into plain values.
#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "platform/gdi/fixed_text_measurer.h"
#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"
#include "report/generation/generate_report.h"
#include "report/model/data_source.h"
#include "report/model/folivox.h"
#include "report/model/report_param.h"
#include "report/model/report_section.h"
#include "report/model/report_sheet.h"
#include "report/model/table_content_element.h"
#include "report/model/table_element.h"
#include "report/model/table_map_element.h"
#include "report/tests/generation/report_integrity.h"
#include "report/tests/generation/template_builder.h"
#include "report/tests/model/model_fixture.h"

namespace generation_test {

// One element of a saved report, as the program shows it.
struct ElementView {
    int kind = -1;
    std::string text;         // the text the element shows (own text, or its parameter's)
    int textType = 0;         // 0 none, 1 own, 2 linked to a parameter
    int paramType = -1;       // the linked parameter's type, -1 for none
    CPoint origin;
    CSize size;
    int lineWidth = 0;
    int align = 0;
    LOGFONT font;
    int target = 0;           // a page reference's target page, from 1; 0 for none
};

struct ContentsNode {
    std::string title;
    std::vector<int> pages;   // from 1, in the node's order
    std::vector<ContentsNode> children;
};

struct ParamView {
    int type = -1;
    std::string value;
};

// A saved report read back the way the program opens a document.
struct ReportView {
    bool loaded = false;
    bool empty = false;       // a 0-byte file
    int mode = -1;
    std::vector<std::string> sheetNames;
    std::vector<std::vector<ElementView>> pages;
    std::map<std::string, ParamView> params;
    std::vector<ContentsNode> contents;
    IntegrityReport integrity;
    int selectColumns = -1;   // the columns listed by the select record (-1: no record)

    // The texts of the page's text elements (kind 1) that have one, in element order.
    std::vector<std::string> Texts(int page) const;
    // How many elements of the kind all pages hold.
    int CountKind(int kind) const;
};
ReportView ReadReport(const std::string& path);

// A fixed local date, 5 March 2024 at noon.
std::time_t FixedDate();
inline constexpr const char* kFixedDateText = "05.03.2024";

// Generation as the batch mode runs it, with a message recorder, a fixed date and a folder of its own; the
// installed dictionary; the measurer in force (the Qt one unless a test installs another).
class GenerationBase : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return dir / name; }
    void WriteFile(const std::string& name, const std::string& bytes) const;
    // A manager whose data source is read from csv (false when it can't be read), then GenerateReport with
    // the parameter file.
    bool Generate(const std::string& templatePath, const std::string& csv, const std::string& par,
                  const std::string& report);
    std::vector<std::string> Messages() const { return messages.Texts(); }

    zor::test::ScopedTempDir dir;
    zor::test::ScopedEnv transport{"ZOR_TRANSPORT_INI", dir / "ZorTransport.ini"};
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink scopedSink{&messages};
    CScopedGenerationClock clock{FixedDate};
};

// The same with fixed metrics: half an em per character.
class GenerationTest : public GenerationBase {
protected:
    CFixedTextMeasurer measurer;
    CScopedTextMeasurer scopedMeasurer{measurer};
};

}  // namespace generation_test
