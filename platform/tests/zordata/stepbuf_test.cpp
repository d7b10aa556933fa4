// The "zor_step_data V 0.2" instance buffer: golden bytes, the merge, hostile buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/base/file_io.h"
#include "platform/base/tempfile.h"
#include "platform/zordata/zordata.h"

namespace {

constexpr const char* kTinyDict = R"(SCHEMA tiny;
ENTITY node;
  name : OPTIONAL STRING;
  next : OPTIONAL node;
  kids : OPTIONAL LIST [0:?] OF node;
  n : OPTIONAL INTEGER;
END_ENTITY;
ENTITY leaf SUBTYPE OF (node);
  w : OPTIONAL REAL;
END_ENTITY;
ENTITY other;
  flag : OPTIONAL BOOLEAN;
END_ENTITY;
END_SCHEMA;
)";

// Little-endian byte strings for hand-written buffers.
struct Bytes {
    std::string s;
    Bytes& raw(const std::string& b) { s += b; return *this; }
    Bytes& i32(int32_t v) { for (int i = 0; i < 4; ++i) s += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xff); return *this; }
    Bytes& i16(int16_t v) { s += static_cast<char>(v & 0xff); s += static_cast<char>((v >> 8) & 0xff); return *this; }
    Bytes& i8(int8_t v) { s += static_cast<char>(v); return *this; }
    Bytes& text(const std::string& t) { i32(static_cast<int32_t>(t.size() + 1)); s += t; s += '\0'; return *this; }
    Bytes& sig() { s.append("zor_step_data V 0.2\0", 20); return *this; }
};

class StepBufTest : public ::testing::Test {
protected:
    void SetUp() override {
        dictPath = zor::PrivateTempDir() + "/stepbuf_tiny.dict";
        ASSERT_TRUE(zor::WriteFileAtomically(dictPath, kTinyDict));
        ASSERT_TRUE(store.LoadDictionaryFromFile(dictPath.c_str())) << store.GetLastErrorDescription();
    }
    CzorAttr* A(const char* e, const char* a) { return store.GetAttrDefinition(store.GetEntityBN(e), a); }
    static CzorDataBuf Buf(const std::string& b) {
        CzorDataBuf d;
        d.SetExternalData(b.data(), b.size());
        return d;
    }
    CzorInstance* ById(CzorStepData& s, int id) {
        for (int i = 0; i < s.GetInstances().GetSize(); ++i)
            if (!s.GetInstances().GetAt(i)->IsDeleted() && s.GetInstances().GetAt(i)->GetId() == id) return s.GetInstances().GetAt(i);
        return nullptr;
    }
    // The golden reply: node 4000 "Мир" (code page 1251) with n = 7 and next naming node 4001.
    std::string Golden() {
        return Bytes()
            .sig().text("tiny").i32(store.GetDictNumber()).i32(2)
            .i32(4000).i16(1).i8(0)
            .i32(4001).i16(1).i8(2)
            .i32(0).i32(3)
            .i16(1).i8(5).i32(4).raw("\xCC\xE8\xF0").i8(0)
            .i16(2).i8(1).i32(1)
            .i16(4).i8(3).i32(7)
            .s;
    }
    std::string dictPath;
    CzorStepData store;
};

TEST_F(StepBufTest, DictionaryNumberFollowsTheDeclarationsNotTheFile) {
    EXPECT_NE(store.GetDictNumber(), 0);
    CzorStepData same;
    const std::string spaced = zor::PrivateTempDir() + "/stepbuf_tiny2.dict";
    ASSERT_TRUE(zor::WriteFileAtomically(spaced, std::string("\n\n") + kTinyDict));
    ASSERT_TRUE(same.LoadDictionaryFromFile(spaced.c_str()));
    EXPECT_EQ(same.GetDictNumber(), store.GetDictNumber());
    std::string reordered = kTinyDict;
    reordered.replace(reordered.find("  n : OPTIONAL INTEGER;\n"), 24, "");
    reordered.replace(reordered.find("  name :"), 0, "  n : OPTIONAL INTEGER;\n");
    CzorStepData other;
    ASSERT_TRUE(zor::WriteFileAtomically(spaced, reordered));
    ASSERT_TRUE(other.LoadDictionaryFromFile(spaced.c_str()));
    EXPECT_NE(other.GetDictNumber(), store.GetDictNumber());
}

TEST_F(StepBufTest, WriterGivesTheGoldenBytesInCodePage1251) {
    CzorInstance* a = store.CreateInstanceBN("node");
    CzorInstance* b = store.CreateInstanceBN("node");
    a->SetId(4000);
    b->SetId(4001);
    b->SetState(2);
    ASSERT_TRUE(store.PutAttrBN(a, "name", "Мир"));
    ASSERT_TRUE(store.PutAttrBN(a, "next", b));
    ASSERT_TRUE(store.PutAttrBN(a, "n", 7));
    CzorDataBuf buf;
    std::vector<CzorInstance*> headers;
    zorStepBufWriteOptions o;
    o.text = zorBufText::Cp1251;
    ASSERT_TRUE(zorWriteStepDataBuf(store, buf, {a}, o, &headers));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buf.GetBuffer()), buf.GetSize()), Golden());
    EXPECT_EQ(headers, (std::vector<CzorInstance*>{a, b}));

    // A text the code page cannot carry is refused, the buffer left as it was.
    ASSERT_TRUE(store.PutAttrBN(a, "name", "☃"));
    CzorDataBuf refused;
    refused.Add(static_cast<int32_t>(5));
    EXPECT_FALSE(zorWriteStepDataBuf(store, refused, {a}, o));
    EXPECT_EQ(refused.GetSize(), 4u);
}

TEST_F(StepBufTest, WriterModesChooseTheSlots) {
    CzorInstance* a = store.CreateInstanceBN("leaf");
    a->SetId(4100);
    ASSERT_TRUE(store.PutAttrBN(a, "n", 3));
    a->ClearChanged();
    ASSERT_TRUE(store.PutAttrBN(a, "w", 0.5));
    struct Case { zorStepBufValues mode; int32_t k; } cases[] = {
        {zorStepBufValues::Set, 2}, {zorStepBufValues::All, 5}, {zorStepBufValues::Changed, 1}};
    for (const auto& c : cases) {
        CzorDataBuf buf;
        zorStepBufWriteOptions o;
        o.values = c.mode;
        ASSERT_TRUE(zorWriteStepDataBuf(store, buf, {a}, o));
        // signature, name, number, N, one header, block index: K follows.
        const size_t at = 20 + 4 + 5 + 4 + 4 + 7 + 4;
        int32_t k = 0;
        std::memcpy(&k, buf.GetBuffer() + at, 4);
        EXPECT_EQ(k, c.k) << static_cast<int>(c.mode);
    }
}

TEST_F(StepBufTest, GoldenBufferMergesWithReferencesStubsAndLoadMarks) {
    CzorDataBuf buf = Buf(Golden());
    CzorTAggr<CzorInstance> list;
    ASSERT_TRUE(store.ApploadFromDataBuf(buf, &list, zorBufText::Cp1251)) << store.GetLastErrorDescription();
    ASSERT_EQ(list.GetSize(), 2);
    CzorInstance* a = list.GetAt(0);
    CzorInstance* b = list.GetAt(1);
    EXPECT_EQ(a->GetId(), 4000);
    EXPECT_EQ(b->GetId(), 4001);
    EXPECT_EQ(b->GetState(), 2);
    std::string name;
    int n = 0;
    CzorInstance* next = nullptr;
    EXPECT_TRUE(store.GetAttrBN(a, "name", name));
    EXPECT_EQ(name, "Мир");
    EXPECT_TRUE(store.GetAttrBN(a, "n", n));
    EXPECT_EQ(n, 7);
    EXPECT_TRUE(store.GetAttrBN(a, "next", next));
    EXPECT_EQ(next, b);
    EXPECT_FALSE(a->IsChanged());
    // What came in a block is loaded (an absent value of it too); the named-only instance is not.
    EXPECT_TRUE(store.GetAttrValue(a, A("node", "name"))->IsLoaded());
    EXPECT_FALSE(store.GetAttrValue(a, A("node", "kids"))->IsLoaded());
    EXPECT_FALSE(store.GetAttrValue(b, A("node", "name"))->IsLoaded());

    // Merging again finds the instances by id; a value changed here is kept.
    ASSERT_TRUE(store.PutAttrBN(a, "n", 9));
    buf.Begin();
    ASSERT_TRUE(store.ApploadFromDataBuf(buf, nullptr, zorBufText::Cp1251));
    EXPECT_EQ(store.GetInstanceCount(), 2);
    EXPECT_TRUE(store.GetAttrBN(a, "n", n));
    EXPECT_EQ(n, 9);
}

TEST_F(StepBufTest, ListsRoundTripAndKeepTheirLoadedCopy) {
    CzorStepData source;
    ASSERT_TRUE(source.LoadDictionaryFromFile(dictPath.c_str()));
    std::vector<CzorInstance*> all;
    CzorTAggr<CzorInstance> kids;
    for (int i = 0; i < 50; ++i) {
        CzorInstance* k = source.CreateInstanceBN(i % 2 ? "leaf" : "node");
        k->SetId(5000 + i);
        kids.Add(k);
    }
    CzorInstance* root = source.CreateInstanceBN("node");
    root->SetId(4999);
    ASSERT_TRUE(source.PutAttrBN(root, "kids", kids));
    ASSERT_TRUE(source.PutAttrBN(kids.GetAt(1), "w", -2.25));
    CzorDataBuf buf;
    ASSERT_TRUE(zorWriteStepDataBuf(source, buf, {root, kids.GetAt(1)}));
    ASSERT_TRUE(store.ApploadFromDataBuf(buf));
    CzorInstance* copy = ById(store, 4999);
    ASSERT_NE(copy, nullptr);
    CzorTAggr<CzorInstance> got;
    ASSERT_TRUE(store.GetAttrBN(copy, "kids", got));
    ASSERT_EQ(got.GetSize(), 50);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(got.GetAt(i)->GetId(), 5000 + i);
        EXPECT_EQ(got.GetAt(i)->GetEntity()->GetName(), i % 2 ? "leaf" : "node");
    }
    double w = 0;
    EXPECT_TRUE(store.GetAttrBN(ById(store, 5001), "w", w));
    EXPECT_EQ(w, -2.25);
    const CzorAggr* loaded = store.GetAttrValue(copy, A("node", "kids"))->GetList();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetSize(), 50);
}

// Each hostile buffer is refused whole: the store holds what it held before, values included.
TEST_F(StepBufTest, HostileBuffersAreRefusedBeforeAnythingIsMerged) {
    CzorInstance* kept = store.CreateInstanceBN("other");
    kept->SetId(4000);  // a node 4000 in a buffer clashes with it
    const int32_t num = store.GetDictNumber();
    const auto head = [&](int32_t n) { return Bytes().sig().text("tiny").i32(num).i32(n); };
    const std::string good = Golden();
    struct Case { const char* what; std::string bytes; int error; } cases[] = {
        {"wrong signature", Bytes().raw(std::string("zor_step_data V 0.1\0", 20)).text("tiny").i32(num).i32(0).s, 16},
        {"empty", "", 16},
        {"cut in the name", good.substr(0, 26), 16},
        {"other dictionary", Bytes().sig().text("other").i32(num).i32(0).s, 17},
        {"other dictionary number", Bytes().sig().text("tiny").i32(num ^ 0x55).i32(0).s, 17},
        {"huge N", head(0x7fffffff).s, 8},
        {"negative N", head(-1).s, 8},
        {"cut headers", head(2).i32(4200).i16(1).i8(0).i32(4201).s, 8},
        {"unknown entity", head(1).i32(4200).i16(99).i8(0).s, 8},
        {"instance of another entity", head(1).i32(4000).i16(1).i8(0).s, 8},
        {"block for no header", head(1).i32(4200).i16(1).i8(0).i32(1).i32(0).s, 8},
        {"block twice", head(1).i32(4200).i16(1).i8(0).i32(0).i32(0).i32(0).i32(0).s, 8},
        {"huge K", head(1).i32(4200).i16(1).i8(0).i32(0).i32(0x40000000).s, 8},
        {"attribute of another entity", head(1).i32(4200).i16(1).i8(0).i32(0).i32(1).i16(6).i8(6).i8(1).s, 7},
        {"value of another type", head(1).i32(4200).i16(1).i8(0).i32(0).i32(1).i16(4).i8(5).text("7").s, 10},
        {"reference past the headers", head(1).i32(4200).i16(1).i8(0).i32(0).i32(1).i16(2).i8(1).i32(5).s, 10},
        {"reference to the wrong entity", head(2).i32(4200).i16(1).i8(0).i32(4201).i16(3).i8(0).i32(0).i32(1).i16(2).i8(1).i32(1).s, 10},
        {"cut value", head(1).i32(4200).i16(1).i8(0).i32(0).i32(1).i16(4).i8(3).i16(7).s, 10},
        {"trailing byte", head(1).i32(4200).i16(1).i8(0).i8(0).s, 8},
        {"good part then a bad block", good + Bytes().i32(1).i32(1).i16(4).i8(5).text("x").s, 10},
    };
    for (const auto& c : cases) {
        CzorDataBuf buf = Buf(c.bytes);
        CzorTAggr<CzorInstance> list;
        list.Add(kept);
        EXPECT_FALSE(store.ApploadFromDataBuf(buf, &list, zorBufText::Cp1251)) << c.what;
        EXPECT_EQ(store.GetLastError(), c.error) << c.what;
        EXPECT_EQ(store.GetInstances().GetSize(), 1) << c.what;
        EXPECT_EQ(list.GetSize(), 1) << c.what;
        EXPECT_EQ(kept->GetEntity()->GetName(), "other");
    }
}

}  // namespace
