#pragma once
// Helpers of the merge tests: generated reports written through the model (a zor_report root of mode 1,
// sheets of text elements, texts linked to parameters, table-of-contents nodes) and a plain summary of a
// merged report file read back from the store.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"
#include "platform/zordata/zordata.h"
#include "report/model/schema.h"

namespace merge_test {

// A text of a report: its own text, or a link to the parameter at an index of the report's parameters.
struct Text {
    Text(const char* own) : own(own) {}  // NOLINT: tables of texts read best without a constructor name
    Text(std::string own) : own(std::move(own)) {}  // NOLINT
    static Text Linked(int param) {
        Text t("");
        t.param = param;
        return t;
    }
    std::string own;
    int param = -1;
};

struct Param {
    std::string name;
    int type = 0;
    std::string value;
};

// A table-of-contents node: its title, the sheets (by index) its rows landed on, its children.
struct Node {
    std::string title;
    std::vector<int> sheets;
    std::vector<Node> children;
};

struct ReportPlan {
    std::vector<Param> params;
    std::vector<std::vector<Text>> sheets;  // each sheet's texts, one element each
    std::vector<Node> contents;             // the roots
};

// Writes the report as generation leaves it; sheets are named "Лист<position>" unless names are given.
// False when the file was not written.
bool WriteReportFile(const std::string& path, const ReportPlan& plan, const std::vector<std::string>& names = {});

// A report file with the dictionary's header and no instances at all (so no report root).
bool WriteRootlessFile(const std::string& path);

// A merged report as the tests look at it.
struct ReadNode {
    std::string title;
    std::vector<int> sheets;  // positions in the root's sheet list; -1 for a sheet that is no page
    std::vector<ReadNode> children;
};
struct ReportSummary {
    bool loaded = false;
    int mode = -1;
    std::vector<std::string> sheetNames;  // the root's sheets in order
    // Per page, each element's text: its own text, or "@<parameter name>#<type>" for a linked one.
    std::vector<std::vector<std::string>> texts;
    std::vector<Param> params;  // the extent of zor_report_param
    std::vector<ReadNode> contents;  // the nodes that are no other node's child
    int danglingLinks = 0;  // texts of type 2 whose link is missing or goes to no parameter
    int sheetInstances = 0;  // every zor_report_sheet of the file, pages or not
};
ReportSummary ReadReportFile(const std::string& path);

// Loads a report file, lets edit change its store and saves it back; false when any step fails.
bool EditReportFile(const std::string& path, const std::function<void(CzorStepDataWithFile&, const CReportSchema&)>& edit);

// Two of everything a merge touches: the page-number, page-count and current-date parameters, a number
// parameter and a text parameter.
enum : int { kPageNumber = 0, kPageCount = 1, kCurrentDate = 2, kNumber = 3, kTitle = 4 };
std::vector<Param> StandardParams(const std::string& number, const std::string& title);

// The dictionary folder named by a private "ZorTransport.ini", a private folder for the reports and a
// message recorder.
class MergeTest : public ::testing::Test {
protected:
    MergeTest();
    std::string Path(const std::string& name) const { return dir / name; }
    std::vector<std::string> Messages() const { return messages.Texts(); }

    zor::test::ScopedTempDir dir;
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink scopedSink{&messages};
    std::unique_ptr<zor::test::ScopedEnv> ini;
};

}  // namespace merge_test
