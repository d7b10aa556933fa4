#include "report/tests/model/model_fixture.h"

#include <cstdlib>
#include <optional>

#include "platform/tests/test_support.h"
#include "report/tests/model/template_lists.h"

namespace model_test {

void WriteReport(CFolivox& manager) {
    CzorStepDataWithFile* store = manager.GetStore();
    const CReportSchema& s = manager.Schema();
    const CzorTAggr<CzorInstance> params = WriteParams(manager);
    const CzorTAggr<CzorInstance> sheets = WriteSheets(manager);
    CzorInstance* root = ReportRoot(manager);
    store->PutAttr(root, s.zor_report_params, params);
    store->PutAttr(root, s.zor_report_sheets, sheets);
    store->PutAttr(root, s.zor_report_mode, 0);
}

void ReadReport(CFolivox& manager) {
    CzorStepDataWithFile* store = manager.GetStore();
    const CReportSchema& s = manager.Schema();
    CzorInstance* root = FirstOfExtent(*store, s.e_zor_report);
    CzorTAggr<CzorInstance> params, sheets;
    store->GetAttr(root, s.zor_report_params, params);
    store->GetAttr(root, s.zor_report_sheets, sheets);
    ReadParams(manager, params);
    ReadSheets(manager, sheets);
}

namespace {

// The profile of the tests is a private one: the defaults of "DefaultSettings" apply unless a test writes.
class ProfileEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        m_dir.emplace();
        ::setenv("XDG_CONFIG_HOME", m_dir->Path().c_str(), 1);
    }
    void TearDown() override { m_dir.reset(); }

private:
    std::optional<zor::test::ScopedTempDir> m_dir;
};

[[maybe_unused]] ::testing::Environment* const g_profile = ::testing::AddGlobalTestEnvironment(new ProfileEnvironment);

}  // namespace

}  // namespace model_test
