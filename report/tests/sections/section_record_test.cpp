// Hostile section, level and column records: short, with bad counts and lengths, or mutated at random.
// A bad record fails and changes nothing; no record reads outside its bytes.
#include "report/tests/sections/sections_fixture.h"

#include <memory>

#include "report/model/mem_record.h"
#include "report/tests/model/record_bytes.h"

namespace sections_test {
namespace {

using model_test::PutIntAt;
using model_test::Record;

class SectionRecordTest : public SectionTest {
protected:
    void SetUp() override {
        SectionTest::SetUp();
        source.reset(BuildFullSection());
        bytes = Record(*source);
        // Where the fields of the record lie.
        levelCount = 4 + source->GetName().size() + static_cast<size_t>(source->GetTitle().GetMemSize());
        const CSectionLevel& level = *source->GetLevels().GetAt(0);
        levelName = levelCount + 4 + 8;
        columnCount = levelName + 4 + level.m_Name.size();
        columnRows = columnCount + 4 + 28;
        columnName = columnCount + 4 + 32;
        columnText = columnName + 4 + level.m_Columns.GetAt(0)->m_Name.size();
    }
    // A section that already holds something, to see that a failed paste leaves it alone.
    std::unique_ptr<CReportSection> Target() {
        auto target = std::make_unique<CReportSection>(&Manager());
        target->SetName("Прежняя");
        target->GetTitle().SetText("Прежний заголовок");
        target->GetLevels().Add(NewLevel("Прежний уровень", 33, 1, {NewColumn("Прежняя колонка", 44)}));
        return target;
    }

    std::unique_ptr<CReportSection> source;
    std::vector<uint8_t> bytes;
    size_t levelCount = 0, levelName = 0, columnCount = 0, columnRows = 0, columnName = 0, columnText = 0;
};

TEST_F(SectionRecordTest, EveryShortRecordFails) {
    auto target = Target();
    const std::string before = Describe(*target);
    for (size_t n = 0; n < bytes.size(); ++n) {
        // A copy of exactly n bytes, so that the sanitizer sees any read past them.
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        CRecordReader in(cut.data(), cut.size());
        EXPECT_FALSE(target->LoadDataFromMem(in)) << n;
        EXPECT_EQ(Describe(*target), before) << n;
    }
    CRecordReader whole(bytes);
    EXPECT_TRUE(target->LoadDataFromMem(whole));
    EXPECT_EQ(Describe(*target, View::kRecord), Describe(*source, View::kRecord));
}

TEST_F(SectionRecordTest, BadCountsAndLengthsFail) {
    struct Case { const char* what; size_t* offset; int32_t value; } cases[] = {
        {"negative level count", &levelCount, -1},
        {"huge level count", &levelCount, 0x7fffffff},
        {"one level too many", &levelCount, 3},
        {"negative level name length", &levelName, -4},
        {"level name past the end", &levelName, 0x7ffffff0},
        {"negative column count", &columnCount, -2},
        {"huge column count", &columnCount, 0x40000000},
        {"column count past the bytes", &columnCount, 200},
        {"negative column name length", &columnName, -1},
        {"column name past the end", &columnName, 1 << 30},
        {"constant text past the end", &columnText, 100000},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = bytes;
        PutIntAt(bad, *c.offset, c.value);
        auto target = Target();
        const std::string before = Describe(*target);
        CRecordReader in(bad);
        EXPECT_FALSE(target->LoadDataFromMem(in)) << c.what;
        EXPECT_EQ(Describe(*target), before) << c.what;
    }
}

TEST_F(SectionRecordTest, TextRowsBelowOneReadAsOne) {
    struct Case { int32_t stored; int read; } cases[] = {{0, 1}, {-7, 1}, {1, 1}, {5, 5}};
    for (const Case& c : cases) {
        std::vector<uint8_t> record = bytes;
        PutIntAt(record, columnRows, c.stored);
        CReportSection target(&Manager());
        CRecordReader in(record);
        ASSERT_TRUE(target.LoadDataFromMem(in)) << c.stored;
        EXPECT_EQ(target.GetLevels().GetColumn(0, 0)->m_nRowsCount, c.read) << c.stored;
    }
}

TEST_F(SectionRecordTest, LevelAndColumnRecordsOnTheirOwn) {
    const CSectionLevel& level = *source->GetLevels().GetAt(0);
    const std::vector<uint8_t> record = Record(level);
    ASSERT_EQ(static_cast<int>(record.size()), level.GetMemSize());
    for (size_t n = 0; n < record.size(); ++n) {
        std::vector<uint8_t> cut(record.begin(), record.begin() + static_cast<long>(n));
        CSectionLevel target(&Manager());
        target.m_Name = "Прежний";
        target.m_Columns.Add(new CColumn);
        CRecordReader in(cut.data(), cut.size());
        EXPECT_FALSE(target.LoadDataFromMem(in)) << n;
        EXPECT_EQ(target.m_Name, "Прежний") << n;
        EXPECT_EQ(target.m_Columns.GetSize(), 1) << n;
    }
    CSectionLevel whole(&Manager());
    CRecordReader in(record);
    ASSERT_TRUE(whole.LoadDataFromMem(in));
    EXPECT_EQ(Describe(whole, View::kRecord), Describe(level, View::kRecord));

    // A level list reads into the levels it holds and fails when the bytes run out first.
    CSectionLevelArray levels;
    levels.Add(new CSectionLevel(&Manager()));
    levels.Add(new CSectionLevel(&Manager()));
    CRecordReader one(record);
    EXPECT_FALSE(levels.LoadDataFromMem(one));
    std::vector<uint8_t> two = record;
    two.insert(two.end(), record.begin(), record.end());
    CRecordReader both(two);
    EXPECT_TRUE(levels.LoadDataFromMem(both));
    EXPECT_EQ(Describe(*levels.GetAt(1), View::kRecord), Describe(level, View::kRecord));

    const CColumn& column = *level.m_Columns.GetAt(5);
    std::vector<uint8_t> columnRecord;
    CRecordWriter columnOut(columnRecord);
    column.CopyToMem(columnOut);
    ASSERT_EQ(static_cast<int>(columnRecord.size()), column.GetMemSize());
    for (size_t n = 0; n < columnRecord.size(); ++n) {
        std::vector<uint8_t> cut(columnRecord.begin(), columnRecord.begin() + static_cast<long>(n));
        CColumn target;
        CRecordReader cin(cut.data(), cut.size());
        EXPECT_FALSE(target.LoadDataFromMem(cin)) << n;
        EXPECT_EQ(target.m_nWidth, 500) << n;
        EXPECT_TRUE(target.m_Name.empty()) << n;
    }
}

TEST_F(SectionRecordTest, MutatedRecordsNeverReadOutside) {
    // A fixed pseudo-random sequence: the same mutations on every run.
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bad = bytes;
        const int changes = 1 + static_cast<int>(next() % 4);
        for (int k = 0; k < changes; ++k) {
            const size_t at = next() % bad.size();
            switch (next() % 3) {
            case 0: bad[at] = static_cast<uint8_t>(next()); break;
            case 1: bad[at] ^= static_cast<uint8_t>(1u << (next() % 8)); break;
            default: bad.resize(at); break;
            }
            if (bad.empty()) break;
        }
        CReportSection target(&Manager());
        CRecordReader in(bad.data(), bad.size());
        if (target.LoadDataFromMem(in)) {
            ++accepted;
            EXPECT_LE(in.Position(), bad.size());
            // What was read is a record of its own: written out again it has the size it reports.
            std::vector<uint8_t> again = Record(target);
            EXPECT_EQ(static_cast<int>(again.size()), target.GetMemSize());
            for (const CSectionLevel* level : target.GetLevels())
                for (const CColumn* column : level->m_Columns) EXPECT_GE(column->m_nRowsCount, 1);
        }
    }
    // Mutations of values (not of counts or lengths) still read.
    EXPECT_GT(accepted, 0);
}

}  // namespace
}  // namespace sections_test
