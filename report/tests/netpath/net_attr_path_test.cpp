// Attribute paths read through a networked store logged in on our server: data-source columns that
// follow references held in a column, fetched step by step for all rows, and a report generated
// with them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "report/model/value_text.h"
#include "report/tests/datasource/datasource_fixture.h"
#include "report/tests/generation/generation_fixture.h"
#include "report/tests/netpath/parts_server.h"

namespace {

using dstest::Cells;
using dstest::Table;
using dstest::Texts;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::unique_ptr<CHeader> ComputedHeader(std::initializer_list<std::pair<int, const char*>> columns) {
    auto h = std::make_unique<CHeader>();
    for (const auto& [type, text] : columns) h->AddColumn(new CHeaderColumn(type, text, zorSTRING));
    return h;
}

class NetAttrPath : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Ok());
        store = server.Connect();
        ASSERT_TRUE(store) << "the store cannot log in";
    }
    // A data source whose column "Изделие" holds these ids' instances, named only (0: a text cell).
    void FillSource(CDataSource& ds, CzorNetStepData& s, const std::vector<int>& ids) {
        dstest::Fill(ds, {"Изделие", "Код"}, {});
        std::vector<int> wanted;
        for (int id : ids)
            if (id) wanted.push_back(id);
        const std::vector<CzorInstance*> named = netpath::PartsServer::Named(s, wanted);
        ASSERT_EQ(named.size(), wanted.size());
        size_t k = 0;
        for (size_t r = 0; r < ids.size(); ++r) {
            const int row = ds.AddRow();
            if (ids[r]) {
                ASSERT_NE(named[k], nullptr) << ids[r];
                ds.SetAt(row, 0, named[k++]);
            } else {
                ds.SetAt(row, 0, "текст");
            }
            ds.SetAt(row, 1, std::to_string(r).c_str());
        }
    }

    netpath::PartsServer server{netpath::FillSampleParts};
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink{&messages};
    std::unique_ptr<CzorNetStepData> store;
};

TEST_F(NetAttrPath, ColumnsFollowReferencesIntoTheServer) {
    CDataSource ds;
    // Rows: a part, a bolt, a part without material, the first part again, a text, a material.
    const std::vector<int> ids = {6001, 6002, 6003, 6001, 0, 5001};
    ASSERT_NO_FATAL_FAILURE(FillSource(ds, *store, ids));
    // Named only: nothing of their values is here before the columns are computed.
    CzorInstance* first = ds.GetAt(0, 0)->GetInstance();
    CzorAttr* material = store->GetAttrDefinition(first->GetEntity(), "material");
    ASSERT_NE(material, nullptr);
    EXPECT_FALSE(store->GetAttrValue(first, material)->IsLoaded());

    const auto computed = ComputedHeader({
        {kAttrPathColumn, "Изделие.material.name"},
        {kAttrPathColumn, "Изделие!(part, material.name)"},
        {kAttrPathColumn, "Изделие!(bolt, thread)"},
        {kAttrPathColumn, "Изделие.material.density"},
        {kAttrPathColumn, "Изделие.count"},
        {kAttrPathColumn, "Изделие..material..grade"},
        {kFormulaColumn, "Сводка=Изделие.material.name + \" / \" + Изделие!(bolt, thread)"},
    });
    const long before = store->GetRequestsSent();
    ASSERT_TRUE(ds.Extend(computed.get(), store.get()));
    EXPECT_THAT(messages.Texts(), IsEmpty());
    EXPECT_EQ(Cells(ds), (Table{
                             {"", "0", "Сталь 45", "Сталь 45", "", "7.850000", "4", "3", "Сталь 45 / "},
                             {"", "1", "Латунь", "Латунь", "M6", "8.500000", "0", "0", "Латунь / M6"},
                             {"", "2", "", "", "", "", "0", "", " / "},  // the chain breaks at material
                             {"", "3", "Сталь 45", "Сталь 45", "", "7.850000", "4", "3", "Сталь 45 / "},
                             {"текст", "4", "", "", "", "", "", "", " / "},
                             {"", "5", "", "", "", "", "", "", " / "},  // a material has no such attributes
                         }));
    // One request per path step and attribute, whatever the number of rows: material, then name,
    // thread, density, count and grade; the "!" column finds its values at hand.
    EXPECT_EQ(store->GetRequestsSent() - before, 6);

    // The same cells as each row's own walk through a second store, which fetches value by value.
    auto other = server.Connect();
    ASSERT_TRUE(other);
    CDataSource walked;
    ASSERT_NO_FATAL_FAILURE(FillSource(walked, *other, ids));
    const char* const paths[] = {".material.name", ".material.density", ".count", "..material..grade"};
    const int columns[] = {2, 5, 6, 7};
    const long otherBefore = other->GetRequestsSent();
    for (int r = 0; r < ds.GetRowCount(); ++r) {
        CzorInstance* inst = walked.GetAt(r, 0)->GetInstance();
        if (!inst) continue;
        for (int c = 0; c < 4; ++c) EXPECT_EQ(GetAttrEx(inst, paths[c], other.get()), ds.GetRow(r)->GetAsString(columns[c]));
    }
    EXPECT_GT(other->GetRequestsSent() - otherBefore, 6);
}

TEST_F(NetAttrPath, RequestsGrowWithStepsNotRows) {
    const auto computed = ComputedHeader({{kAttrPathColumn, "Изделие.material.name"}});
    for (const size_t rows : {3u, 60u}) {
        auto s = server.Connect();
        ASSERT_TRUE(s);
        std::vector<int> ids;
        for (size_t i = 0; i < rows; ++i) ids.push_back(6001 + static_cast<int>(i % 3));
        CDataSource ds;
        ASSERT_NO_FATAL_FAILURE(FillSource(ds, *s, ids));
        const long before = s->GetRequestsSent();
        ASSERT_TRUE(ds.Extend(computed.get(), s.get()));
        EXPECT_EQ(s->GetRequestsSent() - before, 2) << rows << " rows";
        EXPECT_EQ(ds.GetRow(static_cast<int>(rows) - 1)->GetAsString(2), "");
        EXPECT_EQ(ds.GetRow(static_cast<int>(rows) - 2)->GetAsString(2), "Латунь");
    }
}

// A report generated from a template whose table shows an attribute-path column and a formula over it.
class NetAttrPathReport : public generation_test::GenerationTest {
protected:
    netpath::PartsServer server{netpath::FillSampleParts};
};

TEST_F(NetAttrPathReport, GenerateReportReadsPathsThroughTheStore) {
    ASSERT_TRUE(server.Ok());
    auto store = server.Connect();
    ASSERT_TRUE(store);
    generation_test::TemplateBuilder builder;
    ASSERT_TRUE(builder.Ready());
    builder.Column("Изделие", 1);
    CHeader* result = builder.Manager().GetResultSelectHeader();
    CHeaderColumn* path = result->GetColumn(result->AddColumn(new CHeaderColumn(kAttrPathColumn, "Изделие.material.name", 5)));
    CHeaderColumn* label = builder.Computed("Метка=\"[\" + Изделие.material.name + \"]\"");
    CReportSheet* sheet = builder.AddSheet();
    CTableElement* table = builder.AddTable(sheet, CPoint(100, -2800), CSize(1900, 2600));
    auto* section = new CReportSection(&builder.Manager());
    section->SetShowEmptyLines(0);
    section->GetLevels().Add(builder.Level(100, {generation_test::TemplateBuilder::FieldColumn(path, 900),
                                                 generation_test::TemplateBuilder::FieldColumn(label, 900)}));
    table->GetSections().Add(section);
    std::string error;
    ASSERT_TRUE(builder.Save(Path("t.zordot"), &error)) << error;

    CFolivox manager;
    CDataSource& ds = manager.GetDataSource();
    dstest::Fill(ds, {"Изделие"}, {});
    const auto named = netpath::PartsServer::Named(*store, {6001, 6003, 6002});
    ASSERT_EQ(named.size(), 3u);
    for (CzorInstance* inst : named) ds.SetAt(ds.AddRow(), 0, inst);
    CRParamsArray values;
    ASSERT_TRUE(GenerateReport(&manager, &values, Path("t.zordot").c_str(), Path("r.zorrep").c_str(), store.get()));
    EXPECT_THAT(Messages(), IsEmpty());
    const generation_test::ReportView report = generation_test::ReadReport(Path("r.zorrep"));
    ASSERT_TRUE(report.loaded);
    ASSERT_EQ(report.pages.size(), 1u);
    // The washer has no material: its path cell is empty, its formula gives "[]".
    EXPECT_THAT(report.Texts(0), ElementsAre("Сталь 45", "[Сталь 45]", "[]", "Латунь", "[Латунь]"));
}

}  // namespace
