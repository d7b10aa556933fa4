// Element memory records: layout, round trips of every kind built on the base record, and hostile input.
#include <climits>
#include <cstring>

#include <fmt/printf.h>

#include "report/model/element_factory.h"
#include "report/model/mem_record.h"
#include "report/tests/model/model_fixture.h"
#include "report/tests/model/record_bytes.h"

namespace model_test {
namespace {

class RecordTest : public ModelTest {};

TEST_F(RecordTest, LayoutOfTheBaseRecord) {
    CReportElement e(&Manager());
    e.SetOrigin(CPoint(11, -22));
    e.SetSize(CSize(33, 44));
    e.SetLineWidth(5);
    e.GetTextValue().SetText("abc");
    e.GetTextValue().SetAlign(kAlignRight | kAlignBottom);
    e.GetTextValue().SetOrientation(1);
    e.GetTextValue().SetFitText(1);
    e.GetTextValue().SetBorder(0);
    e.GetTextValue().SetWordWrap(0);
    const std::vector<uint8_t> b = Record(e);
    // "Элемент" is 14 bytes of UTF-8.
    ASSERT_EQ(b.size(), 28u + 14u + 88u + 3u);
    EXPECT_EQ(static_cast<int>(b.size()), e.GetMemSize());
    EXPECT_EQ(IntAt(b, 0), kElemRect);
    EXPECT_EQ(IntAt(b, 4), 11);
    EXPECT_EQ(IntAt(b, 8), -22);
    EXPECT_EQ(IntAt(b, 12), 33);
    EXPECT_EQ(IntAt(b, 16), 44);
    EXPECT_EQ(IntAt(b, 20), 5);
    const size_t tv = 24;
    EXPECT_EQ(IntAt(b, tv + 0), kTextOwn);
    EXPECT_EQ(IntAt(b, tv + 4), kAlignRight | kAlignBottom);
    EXPECT_EQ(IntAt(b, tv + 8), 0);   // word wrap
    EXPECT_EQ(IntAt(b, tv + 12), 1);  // orientation
    EXPECT_EQ(IntAt(b, tv + 16), 1);  // fit text
    EXPECT_EQ(IntAt(b, tv + 20), 0);  // border
    EXPECT_EQ(IntAt(b, tv + 24), 80); // font height
    EXPECT_EQ(IntAt(b, tv + 40), 400);
    EXPECT_EQ(b[tv + 44], 255);       // italic
    EXPECT_EQ(b[tv + 47], 204);       // character set
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[tv + 52])), "Arial");
    EXPECT_EQ(IntAt(b, tv + 84), 3);
    EXPECT_EQ(std::string(b.begin() + tv + 88, b.begin() + tv + 91), "abc");
    EXPECT_EQ(IntAt(b, tv + 91), 14);
    EXPECT_EQ(std::string(b.begin() + tv + 95, b.end()), "Элемент");
}

TEST_F(RecordTest, EmptyNameAndTextGiveTheSmallestRecord) {
    CReportElement e(&Manager());
    e.SetName("");
    EXPECT_EQ(e.GetMemSize(), 116);
    EXPECT_EQ(Record(e).size(), 116u);
}

TEST_F(RecordTest, EveryBaseKindRoundTripsAndRecordsFollowEachOther) {
    const int kinds[] = {kElemLine, kElemRect, kElemTableMap, kElemPageReference};
    std::vector<uint8_t> buffer;
    CRecordWriter out(buffer);
    std::vector<std::unique_ptr<CReportElement>> sources;
    for (int kind : kinds) {
        auto e = std::make_unique<CReportElement>(&Manager());
        e->SetKind(kind);
        e->SetOrigin(CPoint(kind * 10, -kind * 20));
        e->SetSize(CSize(-kind, kind * 3));
        e->SetLineWidth(kind + 1);
        e->SetName(fmt::sprintf("Элемент %d", kind));
        e->GetTextValue().SetText(fmt::sprintf("текст\n%d", kind));
        LOGFONT f = e->GetTextValue().GetFont();
        f.lfWeight = FW_BOLD;
        f.lfHeight = 100 + kind;
        f.SetFaceName("Times New Roman");
        e->GetTextValue().SetFont(f);
        e->GetTextValue().SetAlign(kAlignLeft | kAlignTop);
        const size_t before = out.Size();
        e->CopyToMem(out);
        EXPECT_EQ(out.Size() - before, static_cast<size_t>(e->GetMemSize()));
        sources.push_back(std::move(e));
    }
    CRecordReader in(buffer);
    for (const auto& source : sources) {
        const size_t before = in.Position();
        std::unique_ptr<CReportElement> copy(ReadElementRecord(in, &Manager()));
        ASSERT_TRUE(copy);
        EXPECT_EQ(in.Position() - before, static_cast<size_t>(source->GetMemSize()));
        EXPECT_EQ(copy->GetKind(), source->GetKind());
        EXPECT_EQ(copy->GetOrigin(), source->GetOrigin());
        EXPECT_EQ(copy->GetSize(), source->GetSize());
        EXPECT_EQ(copy->GetLineWidth(), source->GetLineWidth());
        EXPECT_EQ(copy->GetName(), source->GetName());
        EXPECT_EQ(copy->GetTextValue().GetText(), source->GetTextValue().GetText());
        EXPECT_EQ(copy->GetTextValue().GetAlign(), kAlignLeft | kAlignTop);
        EXPECT_EQ(copy->GetTextValue().GetFont().lfWeight, FW_BOLD);
        EXPECT_EQ(copy->GetTextValue().GetFont().FaceName(), "Times New Roman");
        EXPECT_EQ(copy->GetInstance(), nullptr);
    }
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST_F(RecordTest, APastedParameterLinkBecomesItsOwnTextField) {
    CReportParam* param = NewParam("Заказчик", kParamText, "ООО Ромашка");
    CReportElement e(&Manager());
    e.GetTextValue().SetText("своё");
    e.GetTextValue().SetText(param);
    std::vector<uint8_t> bytes = Record(e);
    CRecordReader in(bytes);
    std::unique_ptr<CReportElement> copy(ReadElementRecord(in, &Manager()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->GetTextValue().GetType(), kTextOwn);
    EXPECT_EQ(copy->GetTextValue().GetParam(), nullptr);
    EXPECT_EQ(copy->GetTextValue().GetText(), "своё");
}

TEST_F(RecordTest, APastedElementIsWrittenAsItsOwnKind) {
    CReportSheet* sheet = NewSheet();
    for (int kind : {kElemLine, kElemRect, kElemTableMap, kElemPageReference}) {
        CReportElement source(&Manager());
        source.SetKind(kind);
        std::vector<uint8_t> bytes = Record(source);
        CRecordReader in(bytes);
        CReportElement* pasted = ReadElementRecord(in, &Manager());
        ASSERT_TRUE(pasted);
        sheet->Add(pasted);
        pasted->Update(true);
        EXPECT_EQ(pasted->GetInstance()->GetEntity(), ElementEntityOfKind(S(), kind)) << kind;
    }
    EXPECT_EQ(S().e_zor_report_map, ElementEntityOfKind(S(), kElemTableMap));
    EXPECT_EQ(S().e_zor_reference_element, ElementEntityOfKind(S(), kElemPageReference));
}

TEST_F(RecordTest, FaceNameWithoutTerminatorIsCutCleanly) {
    CReportElement e(&Manager());
    std::vector<uint8_t> b = Record(e);
    // Fill the 32-byte face with two-byte letters and no terminator.
    const std::string letters = "жжжжжжжжжжжжжжжж";  // 32 bytes
    std::memcpy(&b[24 + 52], letters.data(), 32);
    CRecordReader in(b, 4);
    CReportElement copy(&Manager());
    ASSERT_TRUE(copy.LoadDataFromMem(in));
    EXPECT_EQ(copy.GetTextValue().GetFont().FaceName(), "жжжжжжжжжжжжжжж");  // 30 bytes, whole letters
}

// Damaged or hostile records: never read past the end, never crash, never half-change the element.
TEST_F(RecordTest, HostileRecordsAreRefused) {
    CReportElement source(&Manager());
    source.GetTextValue().SetText("abc");
    const std::vector<uint8_t> good = Record(source);

    // Every truncation fails.
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<long>(n));
        CRecordReader in(cut);
        EXPECT_EQ(ReadElementRecord(in, &Manager()), nullptr) << n;
    }

    auto patched = [&](size_t offset, int32_t value) {
        std::vector<uint8_t> b = good;
        PutIntAt(b, offset, value);
        return b;
    };
    const size_t textLength = 24 + 84;
    const size_t nameLength = 24 + 88 + 3;
    for (int32_t bad : {-1, INT32_MIN, INT32_MAX, 1000000}) {
        for (size_t offset : {textLength, nameLength}) {
            std::vector<uint8_t> b = patched(offset, bad);
            CRecordReader in(b);
            EXPECT_EQ(ReadElementRecord(in, &Manager()), nullptr) << offset << " " << bad;
        }
    }
    {
        // A text one byte longer swallows a byte of the name's length: what follows no longer adds up.
        std::vector<uint8_t> b = patched(textLength, 4);
        CRecordReader in(b);
        EXPECT_EQ(ReadElementRecord(in, &Manager()), nullptr);
    }
    // Kinds not in use (2, 4) and unknown kinds make nothing.
    for (int32_t kind : {-1, 2, 4, 9, 1 << 30}) {
        std::vector<uint8_t> b = patched(0, kind);
        CRecordReader in(b);
        EXPECT_EQ(ReadElementRecord(in, &Manager()), nullptr) << kind;
    }

    // A failed read leaves the element as it was.
    CReportElement target(&Manager());
    target.SetOrigin(CPoint(1, 2));
    target.GetTextValue().SetText("keep");
    std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    CRecordReader in(cut, 4);
    EXPECT_FALSE(target.LoadDataFromMem(in));
    EXPECT_EQ(target.GetOrigin(), CPoint(1, 2));
    EXPECT_EQ(target.GetTextValue().GetText(), "keep");
    EXPECT_EQ(target.GetName(), "Элемент");
}

TEST(RecordReaderTest, LengthsAndCountsAreCheckedAgainstWhatIsLeft) {
    std::vector<uint8_t> bytes;
    CRecordWriter out(bytes);
    out.PutInt32(3);
    out.PutInt32(2);
    out.PutBytes("xy", 2);
    {
        CRecordReader in(bytes);
        int32_t count = 0;
        EXPECT_FALSE(in.GetCount(count, 4));  // 3 items of 4 bytes do not fit in 6
        EXPECT_TRUE(in.Failed());
        int32_t v = 0;
        EXPECT_FALSE(in.GetInt32(v));  // a failed reader stays failed
        EXPECT_EQ(in.Remaining(), 0u);
    }
    {
        CRecordReader in(bytes);
        int32_t count = 0;
        EXPECT_TRUE(in.GetCount(count, 2));
        EXPECT_EQ(count, 3);
        std::string s;
        EXPECT_TRUE(in.GetString(s));
        EXPECT_EQ(s, "xy");
        EXPECT_EQ(in.Remaining(), 0u);
    }
    {
        CRecordReader in(nullptr, 100);
        int32_t v = 0;
        EXPECT_FALSE(in.GetInt32(v));
    }
    {
        CRecordReader in(bytes, 1000);  // a start past the end
        EXPECT_TRUE(in.Failed());
    }
    {
        std::vector<uint8_t> negative = {0xFF, 0xFF, 0xFF, 0xFF};
        CRecordReader in(negative);
        int32_t count = 0;
        EXPECT_FALSE(in.GetCount(count, 0));
        std::vector<uint8_t> data;
        CRecordReader again(negative);
        EXPECT_FALSE(again.GetBytes(data, -1));
    }
}

}  // namespace
}  // namespace model_test
