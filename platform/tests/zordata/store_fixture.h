#pragma once
// A store holding the report dictionary, and a private folder for files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/base/file_io.h"
#include "platform/base/tempfile.h"
#include "platform/tests/fixed_clock.h"
#include "platform/tests/test_support.h"
#include "platform/zordata/clock.h"
#include "platform/zordata/zordata.h"

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(store.LoadDictionary(QM_DICT_DIR "/quillmark")) << store.GetLastErrorDescription();
        const std::string base = zor::PrivateTempDir();
        ASSERT_FALSE(base.empty());
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = base + "/" + info->test_suite_name() + "." + info->name();
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(dir, ec);
    }

    CzorEntity* E(const char* name) {
        CzorEntity* e = store.GetEntityBN(name);
        EXPECT_NE(e, nullptr) << name;
        return e;
    }
    CzorAttr* A(const char* entity, const char* attr) {
        CzorAttr* a = store.GetAttrDefinition(store.GetEntityBN(entity), attr);
        EXPECT_NE(a, nullptr) << entity << "." << attr;
        return a;
    }
    CzorInstance* Point(int x, int y) {
        CzorInstance* p = store.CreateInstanceBN("zor_point");
        store.PutAttrBN(p, "x", x);
        store.PutAttrBN(p, "y", y);
        return p;
    }
    std::string Path(const std::string& name) const { return dir + "/" + name; }
    static std::string Read(const std::string& path) { return zor::test::Slurp(path); }
    static void Write(const std::string& path, const std::string& bytes) {
        ASSERT_TRUE(zor::WriteFileAtomically(path, bytes));
    }
    // Saves, clears and loads the store again.
    void RoundTrip(const char* name = "t.zordot") {
        ASSERT_TRUE(store.SaveToFile(Path(name).c_str())) << store.GetLastErrorDescription();
        store.ClearData();
        ASSERT_TRUE(store.LoadFromFile(Path(name).c_str())) << store.GetLastErrorDescription();
    }
    std::vector<CzorInstance*> Extent(const char* entity) {
        CzorTAggr<CzorInstance> list;
        store.GetEntityExtentBN(entity, list);
        return std::vector<CzorInstance*>(list.begin(), list.end());
    }

    // Files written here carry one date, so that they compare byte for byte.
    zor::ScopedClock clock{zor::test::FixedNoon};
    CzorStepDataWithFile store;
    std::string dir;
};
