// Memory records of the table kinds: the table's own record with its sections, the kinds that use the
// base record, and damaged or hostile records (never read past the end, never half-change a table).
#include <climits>

#include "report/model/element_factory.h"
#include "report/model/mem_record.h"
#include "report/tests/model/record_bytes.h"
#include "report/tests/tables/tables_fixture.h"

namespace tables_test {
namespace {

using model_test::IntAt;
using model_test::PutIntAt;
using model_test::Record;

class TableRecordTest : public TablesTest {
protected:
    // Offset of the row height: just past the base record.
    static size_t TailOffset(CReportElement& e) { return static_cast<size_t>(e.CReportElement::GetMemSize()); }
};

TEST_F(TableRecordTest, ATableWithTwoSectionsComesBackThroughItsRecord) {
    std::unique_ptr<CTableElement> table(BuildTable(Manager()));
    table->GetTextValue().SetText("подпись");
    const std::vector<uint8_t> bytes = Record(*table);
    ASSERT_EQ(static_cast<int>(bytes.size()), table->GetMemSize());
    const size_t tail = TailOffset(*table);
    EXPECT_EQ(IntAt(bytes, 0), kElemTable);
    EXPECT_EQ(IntAt(bytes, tail), 45);
    EXPECT_EQ(IntAt(bytes, tail + 4), 95);  // the row font's height
    EXPECT_EQ(IntAt(bytes, tail + 64), 2);

    CRecordReader in(bytes);
    std::unique_ptr<CReportElement> pasted(ReadElementRecord(in, &Manager()));
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(in.Remaining(), 0u);
    auto* copy = dynamic_cast<CTableElement*>(pasted.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetOrigin(), table->GetOrigin());
    EXPECT_EQ(copy->GetSize(), table->GetSize());
    EXPECT_EQ(copy->GetLineWidth(), table->GetLineWidth());
    EXPECT_EQ(copy->GetName(), table->GetName());
    EXPECT_EQ(copy->GetTextValue().GetText(), "подпись");
    EXPECT_EQ(copy->GetRowHeight(), 45);
    ExpectSameFont(copy->GetRowFont(), table->GetRowFont(), "row font");
    EXPECT_EQ(copy->GetInstance(), nullptr);
    ASSERT_EQ(copy->GetSections().GetSize(), 2);
    for (int i = 0; i < 2; ++i) {
        // A record carries the name, the title and the levels; nothing that points into the store.
        const CReportSection& want = *table->GetSections().GetAt(i);
        const CReportSection& got = *copy->GetSections().GetAt(i);
        EXPECT_EQ(got.GetName(), want.GetName());
        EXPECT_EQ(got.GetTitle().GetText(), want.GetTitle().GetText());
        ExpectSameFont(got.GetTitle().GetFont(), want.GetTitle().GetFont(), "title");
        ASSERT_EQ(got.GetLevels().GetSize(), want.GetLevels().GetSize());
        for (int l = 0; l < want.GetLevels().GetSize(); ++l) {
            EXPECT_EQ(got.GetLevels().GetAt(l)->m_Name, want.GetLevels().GetAt(l)->m_Name);
            EXPECT_EQ(got.GetLevels().GetAt(l)->m_Columns.GetSize(), want.GetLevels().GetAt(l)->m_Columns.GetSize());
        }
        EXPECT_EQ(got.GetConditions().GetSize(), 0);
        EXPECT_EQ(got.GetGroups().GetSize(), 0);
        EXPECT_EQ(got.GetSorts().GetSize(), 0);
        EXPECT_EQ(got.GetTitleColumn(), nullptr);
        EXPECT_EQ(got.GetInstance(), nullptr);
    }
    // The copy's record is the same bytes.
    EXPECT_EQ(Record(*copy), bytes);
    // Pasted onto a sheet it joins the table cache and is written as a table of its own.
    CReportSheet* sheet = NewSheet();
    CReportElement* onSheet = pasted.release();
    sheet->Add(onSheet);
    EXPECT_EQ(Manager().GetTables().Find(onSheet), 0);
    onSheet->Update(true);
    EXPECT_EQ(onSheet->GetInstance()->GetEntity(), S().e_zor_report_table);
    EXPECT_EQ(Manager().FindTable(onSheet->GetInstance()), onSheet);
}

TEST_F(TableRecordTest, AnEmptyTablesRecordIsTheBaseRecordAnd68Bytes) {
    CTableElement table(&Manager());
    CReportElement base(&Manager());
    base.SetName(table.GetName());
    EXPECT_EQ(table.GetMemSize(), base.GetMemSize() + 68);
    EXPECT_EQ(Record(table).size(), static_cast<size_t>(base.GetMemSize() + 68));
}

TEST_F(TableRecordTest, KindsOnTheBaseRecordPasteAsTheirKindOrAsARectangle) {
    CReportSheet* sheet = NewSheet();
    CReportSheet* target = NewSheet();
    CTableElement* table = static_cast<CTableElement*>(NewElement(sheet, kElemTable, {0, -900}, {800, 800}));
    auto* map = static_cast<CTableMapElement*>(table->CreateClon());
    sheet->Add(map);
    auto* reference = static_cast<CPageReferenceElement*>(NewElement(sheet, kElemPageReference, {0, -50}, {90, 40}));
    reference->SetTarget(target);
    reference->GetTextValue().SetText("Лист2");
    auto* contents = static_cast<CTableContentElement*>(NewElement(sheet, kElemTableContent, {0, -900}, {800, 800}));
    contents->GetContentTitle().AddLevel();
    contents->GetTextValue().SetText("в рамке");

    std::vector<uint8_t> buffer;
    CRecordWriter out(buffer);
    for (CReportElement* e : {static_cast<CReportElement*>(map), static_cast<CReportElement*>(reference),
                              static_cast<CReportElement*>(contents)}) {
        CReportElement plain(&Manager());
        plain.SetName(e->GetName());
        plain.GetTextValue().SetText(e->GetTextValue().GetText());
        EXPECT_EQ(e->GetMemSize(), plain.GetMemSize()) << e->GetKind();
        e->CopyToMem(out);
    }
    EXPECT_EQ(contents->GetKind(), kElemTableContent);  // still 7 after writing its record as 1

    CRecordReader in(buffer);
    std::unique_ptr<CReportElement> pastedMap(ReadElementRecord(in, &Manager()));
    std::unique_ptr<CReportElement> pastedReference(ReadElementRecord(in, &Manager()));
    std::unique_ptr<CReportElement> pastedContents(ReadElementRecord(in, &Manager()));
    EXPECT_EQ(in.Remaining(), 0u);
    ASSERT_TRUE(pastedMap && pastedReference && pastedContents);
    // A continuation and a page reference come back unbound, as their own kinds.
    auto* m = dynamic_cast<CTableMapElement*>(pastedMap.get());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->GetTable(), nullptr);
    EXPECT_EQ(m->GetName(), "Продолжение Таблица");
    auto* r = dynamic_cast<CPageReferenceElement*>(pastedReference.get());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetTarget(), nullptr);
    EXPECT_EQ(r->GetTextValue().GetText(), "Лист2");
    // A contents element comes back as a text rectangle.
    EXPECT_EQ(pastedContents->GetKind(), kElemRect);
    EXPECT_EQ(dynamic_cast<CTableContentElement*>(pastedContents.get()), nullptr);
    EXPECT_EQ(pastedContents->GetTextValue().GetText(), "в рамке");

    // Each is stored as its own kind's entity, never as a line.
    CReportSheet* other = NewSheet();
    for (auto* pasted : {&pastedMap, &pastedReference, &pastedContents}) {
        CReportElement* e = pasted->release();
        other->Add(e);
        e->Update(true);
        EXPECT_EQ(e->GetInstance()->GetEntity(), ElementEntityOfKind(S(), e->GetKind())) << e->GetKind();
    }
}

// Damaged and hostile table records: refused, never read past the end, the table unchanged.
TEST_F(TableRecordTest, HostileTableRecordsAreRefusedAndLeaveTheTableAsItWas) {
    std::unique_ptr<CTableElement> source(BuildTable(Manager()));
    const std::vector<uint8_t> good = Record(*source);
    const size_t tail = TailOffset(*source);

    // A table that receives the bad records.
    CTableElement target(&Manager());
    target.SetName("Цель");
    target.SetRowHeight(33);
    target.GetSections().Add(new CReportSection(&Manager()));
    CReportSection* kept = target.GetSections().GetAt(0);
    auto expectUnchanged = [&](const std::string& what) {
        EXPECT_EQ(target.GetName(), "Цель") << what;
        EXPECT_EQ(target.GetRowHeight(), 33) << what;
        ASSERT_EQ(target.GetSections().GetSize(), 1) << what;
        EXPECT_EQ(target.GetSections().GetAt(0), kept) << what;
    };

    // Every truncation fails (step through the record, every byte near its fields).
    for (size_t n = 0; n < good.size(); n += (n < tail + 200 ? 1 : 7)) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
        CRecordReader in(cut);
        EXPECT_EQ(ReadElementRecord(in, &Manager()), nullptr) << n;
        CRecordReader again(cut, 4);
        if (n >= 4) {
            EXPECT_FALSE(target.LoadDataFromMem(again)) << n;
        }
        expectUnchanged("cut at " + std::to_string(n));
    }
    // Section counts that the record cannot hold, or below zero.
    for (int32_t bad : {-1, INT32_MIN, 3, 1000, INT32_MAX}) {
        std::vector<uint8_t> b = good;
        PutIntAt(b, tail + 64, bad);
        CRecordReader in(b);
        EXPECT_EQ(ReadElementRecord(in, &Manager()), nullptr) << bad;
        CRecordReader again(b, 4);
        EXPECT_FALSE(target.LoadDataFromMem(again)) << bad;
        expectUnchanged("count " + std::to_string(bad));
    }
    // Lengths inside the first section: its name and its title's text.
    const size_t sectionName = tail + 68;
    const size_t titleText = sectionName + 4 + source->GetSections().GetAt(0)->GetName().size() + 84;
    for (size_t offset : {sectionName, titleText}) {
        for (int32_t bad : {-1, INT32_MIN, INT32_MAX, static_cast<int32_t>(good.size())}) {
            std::vector<uint8_t> b = good;
            PutIntAt(b, offset, bad);
            CRecordReader in(b);
            EXPECT_EQ(ReadElementRecord(in, &Manager()), nullptr) << offset << " " << bad;
            CRecordReader again(b, 4);
            EXPECT_FALSE(target.LoadDataFromMem(again));
            expectUnchanged("length");
        }
    }
    // Garbage after the kind: never a crash, usually a refusal.
    std::vector<uint8_t> noise(good.size());
    uint32_t x = 12345;
    for (uint8_t& byte : noise) {
        x = x * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(x >> 16);
    }
    PutIntAt(noise, 0, kElemTable);
    CRecordReader in(noise);
    delete ReadElementRecord(in, &Manager());
    // The untouched record still reads.
    CRecordReader fine(good, 4);
    EXPECT_TRUE(target.LoadDataFromMem(fine));
    EXPECT_EQ(target.GetSections().GetSize(), 2);
}

TEST_F(TableRecordTest, HostileRecordsOfTheOtherKindsAreRefused) {
    CReportSheet* sheet = NewSheet();
    for (int kind : {kElemTableMap, kElemPageReference}) {
        CReportElement* e = NewElement(sheet, kind, {0, -100}, {100, 100});
        e->GetTextValue().SetText("текст");
        const std::vector<uint8_t> good = Record(*e);
        for (size_t n = 0; n < good.size(); ++n) {
            std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
            CRecordReader in(cut);
            EXPECT_EQ(ReadElementRecord(in, &Manager()), nullptr) << kind << " cut at " << n;
        }
        for (int32_t bad : {-1, INT32_MAX}) {
            std::vector<uint8_t> b = good;
            PutIntAt(b, 24 + 84, bad);
            CRecordReader in(b);
            EXPECT_EQ(ReadElementRecord(in, &Manager()), nullptr) << kind << " " << bad;
        }
    }
}

}  // namespace
}  // namespace tables_test
