// The byte buffer and the value encoding shared with the networked client and server.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/zordata/zordata.h"

TEST(ZorDataBuf, TypedValuesAreLittleEndianAndReadBack) {
    CzorDataBuf b;
    b.Add(static_cast<int32_t>(0x01020304));
    b.Add(static_cast<int16_t>(-2));
    b.Add(static_cast<int8_t>(-1));
    b.Add('z');
    b.Add(true);
    b.Add(2.5);
    b.Add("Мир");
    b.Add(std::string());
    const unsigned char head[] = {4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 'z', 1};
    ASSERT_GE(b.GetSize(), sizeof head);
    EXPECT_EQ(std::memcmp(b.GetBuffer(), head, sizeof head), 0);

    int32_t i = 0; int16_t s = 0; int8_t c = 0; char ch = 0; bool f = false; double d = 0; std::string t, e = "x";
    ASSERT_TRUE(b.Read(i) && b.Read(s) && b.Read(c) && b.Read(ch) && b.Read(f) && b.Read(d) && b.Read(t) && b.Read(e));
    EXPECT_EQ(i, 0x01020304);
    EXPECT_EQ(s, -2);
    EXPECT_EQ(c, -1);
    EXPECT_EQ(ch, 'z');
    EXPECT_TRUE(f);
    EXPECT_EQ(d, 2.5);
    EXPECT_EQ(t, "Мир");
    EXPECT_EQ(e, "");
    EXPECT_EQ(b.GetCurPos(), b.GetSize());
    EXPECT_FALSE(b.Read(i));  // past the end
    b.Begin();
    EXPECT_EQ(b.GetCurPos(), 0u);
    EXPECT_EQ(b.GetCurBuffer(), b.GetBuffer());
}

TEST(ZorDataBuf, BadTextLengthsFailWithoutMoving) {
    const int32_t lengths[] = {0, -1, 100, 4};
    for (int32_t len : lengths) {
        CzorDataBuf b;
        b.Add(len);
        b.Add("abcd", 4);  // no terminating zero within 4 bytes
        std::string t = "keep";
        EXPECT_FALSE(b.Read(t)) << len;
        EXPECT_EQ(b.GetCurPos(), 0u);
    }
    CzorDataBuf b;
    b.SetExternalData("\x02\x00", 2);
    int32_t i = 7;
    EXPECT_FALSE(b.Read(i));
    EXPECT_EQ(i, 7);
    EXPECT_TRUE(b.SetSize(4));
    EXPECT_TRUE(b.Read(i));
    EXPECT_EQ(i, 2);
    EXPECT_TRUE(b.SetSize(1));
    EXPECT_EQ(b.GetCurPos(), 1u);
    b.Clear();
    EXPECT_EQ(b.GetSize(), 0u);
}

TEST(ZorDataBuf, ValuesRoundTripWithReferencesThroughTheMap) {
    CzorStepData store;
    ASSERT_TRUE(store.LoadDictionary(QM_DICT_DIR "/quillmark"));
    CzorInstance* p1 = store.CreateInstanceBN("zor_point");
    CzorInstance* p2 = store.CreateInstanceBN("zor_point");
    CzorMap map;
    map.Add(reinterpret_cast<long>(p1), 0);
    map.Add(reinterpret_cast<long>(p2), 1);
    map.SortIn();

    std::vector<CzorValue> values(8);
    values[1].Set(-42);
    values[2].Set(1e-300);
    values[3].Set("строка");
    values[4].Set(false);
    values[5].Set('q');
    values[6].SetBinary("\0\xff\0", 3);
    CzorAggr list(zorINSTANCE);
    list.Add(p2);
    list.Add(p1);
    values[7].Set(list);
    values.emplace_back();
    values.back().Set(p1);

    CzorDataBuf buf;
    for (const CzorValue& v : values) ASSERT_TRUE(zorAppendBufValue(buf, v, &map));
    CzorValue foreign;
    foreign.Set(store.CreateInstanceBN("zor_point"));
    const size_t size = buf.GetSize();
    EXPECT_FALSE(zorAppendBufValue(buf, foreign, &map));  // not in the map: nothing written
    EXPECT_EQ(buf.GetSize(), size);

    auto resolve = [&](int32_t n) -> CzorInstance* { return n == 0 ? p1 : n == 1 ? p2 : nullptr; };
    buf.Begin();
    for (const CzorValue& v : values) {
        CzorValue r;
        ASSERT_TRUE(zorReadBufValue(buf, r, resolve));
        EXPECT_EQ(r, v) << v.GetType();
    }
    EXPECT_EQ(buf.GetRemaining(), 0u);
}

TEST(ZorDataBuf, HostileValueBuffersFail) {
    auto bytes = [](std::initializer_list<int> b) {
        CzorDataBuf buf;
        for (int x : b) buf.Add(static_cast<int8_t>(x));
        return buf;
    };
    std::vector<CzorDataBuf> cases;
    cases.push_back(bytes({zorINTEGER, 1, 2}));                 // short integer
    cases.push_back(bytes({zorBINARY, 0x10, 0, 0, 0, 1}));      // size past the end
    cases.push_back(bytes({zorBINARY, -1, -1, -1, -1}));         // negative size
    cases.push_back(bytes({zorAGGREGATE, -1, -1, -1, 0x7f}));    // huge count
    cases.push_back(bytes({zorINSTANCE, 5, 0, 0, 0}));           // no resolver
    cases.push_back(bytes({zorBOOLEAN, 7}));                     // not 0 or 1
    cases.push_back(bytes({42}));                                // unknown type
    CzorDataBuf deep;
    for (int k = 0; k < 20; ++k) { deep.Add(static_cast<int8_t>(zorAGGREGATE)); deep.Add(static_cast<int32_t>(1)); }
    deep.Add(static_cast<int8_t>(zorNOTYPE));
    cases.push_back(deep);                                       // nested too deep
    for (CzorDataBuf& b : cases) {
        CzorValue v;
        v.Set(1);
        EXPECT_FALSE(zorReadBufValue(b, v));
        EXPECT_TRUE(v.IsEmpty());
        EXPECT_EQ(b.GetCurPos(), 0u);
    }
}

// References the reader must not learn of read as absent; everything else reads as written.
TEST(ZorDataBuf, LeftOutReferencesReadAsAbsent) {
    CzorStepData store;
    ASSERT_TRUE(store.LoadDictionary(QM_DICT_DIR "/quillmark"));
    CzorInstance* seen = store.CreateInstanceBN("zor_point");
    CzorInstance* hidden = store.CreateInstanceBN("zor_point");
    seen->SetId(11);
    hidden->SetId(12);
    const auto ref = [](CzorInstance* i) {
        CzorValue v;
        v.Set(i);
        return v;
    };
    const auto listOf = [](std::initializer_list<CzorValue> items) {
        CzorAggr a;
        bool first = true;
        for (const CzorValue& item : items) {
            if (first) a.SetType(item.GetType());
            first = false;
            a.Add(item);
        }
        CzorValue v;
        v.Set(a);
        return v;
    };
    CzorValue none, seven;
    seven.Set(7);
    CzorAggr emptyRefs(zorINSTANCE);
    CzorValue noRefs;
    noRefs.Set(emptyRefs);
    struct Case {
        const char* what;
        CzorValue written, read;
    } cases[] = {
        {"a single hidden reference", ref(hidden), none},
        {"a single seen reference", ref(seen), ref(seen)},
        {"a list loses the hidden members only", listOf({ref(hidden), ref(seen), ref(hidden)}), listOf({ref(seen)})},
        {"a list of hidden members alone", listOf({ref(hidden), ref(hidden)}), noRefs},
        {"nested lists", listOf({listOf({ref(seen), ref(hidden)}), listOf({ref(hidden)})}),
         listOf({listOf({ref(seen)}), noRefs})},
        {"a value that is no reference", seven, seven},
    };
    const auto resolve = [&](int32_t id) -> CzorInstance* { return id == 11 ? seen : id == 12 ? hidden : nullptr; };
    const auto leaveOut = [](int32_t id) { return id == 12; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CzorDataBuf buf;
        ASSERT_TRUE(zorAppendBufValue(buf, c.written));
        ASSERT_TRUE(zorAppendBufValue(buf, seven));
        buf.Begin();
        CzorValue r, after;
        ASSERT_TRUE(zorReadBufValueLeavingOut(buf, r, resolve, leaveOut));
        EXPECT_EQ(r, c.read);
        EXPECT_TRUE(zorReadBufValue(buf, after)) << "the read stopped short of the next value";
        EXPECT_EQ(after, seven);
    }
    // An id that neither resolves nor is left out still fails the read, where it was.
    CzorDataBuf dangling;
    dangling.Add(static_cast<int8_t>(zorINSTANCE));
    dangling.Add(int32_t{99});
    CzorValue r;
    EXPECT_FALSE(zorReadBufValueLeavingOut(dangling, r, resolve, leaveOut));
    EXPECT_EQ(dangling.GetCurPos(), 0u);
}
