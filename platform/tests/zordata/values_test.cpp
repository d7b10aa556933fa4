// Value types of the store: values, pointer lists, value lists, maps, small records.
#include <gtest/gtest.h>

#include <memory>

#include "platform/zordata/zordata.h"

TEST(ZorValue, SetAndGetKeepTheirTypeWithoutConversion) {
    CzorValue v;
    EXPECT_TRUE(v.IsEmpty());
    v.Set(7);
    double d = 1.5;
    EXPECT_FALSE(v.Get(d));  // no conversion, and the out value is reset
    EXPECT_EQ(d, 0.0);
    int i = 0;
    EXPECT_TRUE(v.Get(i));
    EXPECT_EQ(i, 7);

    v.Set("Привет");
    std::string s;
    EXPECT_TRUE(v.Get(s));
    EXPECT_EQ(s, "Привет");
    EXPECT_FALSE(v.Get(i));
    EXPECT_EQ(i, 0);

    v.Set(static_cast<CzorInstance*>(nullptr));
    EXPECT_EQ(v.GetType(), zorNOTYPE);  // a null reference is an empty value
    v.Set(true);
    EXPECT_EQ(v.GetType(), zorBOOLEAN);
    v.Set('x');
    EXPECT_EQ(v.GetType(), zorCHARACTER);
    v.Set(static_cast<const char*>(nullptr));
    EXPECT_TRUE(v.IsEmpty());

    CzorDataBuf dummy;
    CzorDataBuf* buf = &dummy;
    EXPECT_FALSE(v.Get(static_cast<CzorDataBuf**>(nullptr)));
    EXPECT_FALSE(v.Get(&buf));
    EXPECT_EQ(buf, nullptr);
    v.SetBinary("a\0b", 3);
    ASSERT_TRUE(v.Get(&buf));
    EXPECT_EQ(buf->GetSize(), 3u);
}

TEST(ZorValue, CopiesAreDeepAndSelfAssignmentKeepsTheValue) {
    CzorValue a;
    a.Set("текст");
    CzorValue b(a);
    a.Set("другой");
    EXPECT_STREQ(b.GetString(), "текст");
    b = b;
    EXPECT_STREQ(b.GetString(), "текст");
    b.Set(std::string(b.GetString()) + "!");  // setting from its own text
    EXPECT_STREQ(b.GetString(), "текст!");

    CzorAggr list(zorINTEGER);
    CzorValue one;
    one.Set(1);
    list.Add(one);
    CzorValue l;
    l.Set(list);
    CzorValue l2 = l;
    l.GetAggr()->Add(one);
    EXPECT_EQ(l2.GetAggr()->GetSize(), 1);
    EXPECT_NE(l, l2);
    l2.GetAggr()->Add(one);
    EXPECT_EQ(l, l2);

    CzorValue bin;
    bin.SetBinary("\0\1\2", 3);
    CzorValue bin2 = bin;
    bin.GetBuffer()->GetBuffer()[0] = 9;
    EXPECT_EQ(bin2.GetBuffer()->GetBuffer()[0], 0);
}

TEST(ZorValue, EqualityNeedsTheSameType) {
    CzorValue a, b;
    a.Set(1);
    b.Set(1.0);
    EXPECT_NE(a, b);
    b.Set(1);
    EXPECT_EQ(a, b);
    a.Set("x");
    b.Set(std::string("x"));
    EXPECT_EQ(a, b);
    EXPECT_EQ(CzorValue(), CzorValue());
}

TEST(ZorTAggr, ConstructionGrowthAndSetSize) {
    CzorTAggr<int> zero(0), negative(-5), eight(8);
    EXPECT_EQ(zero.GetCapacity(), 16);
    EXPECT_EQ(negative.GetCapacity(), 16);
    EXPECT_TRUE(eight.IsUnique());
    EXPECT_TRUE(eight.IsOpen());
    EXPECT_FALSE(eight.IsOwning());

    int items[20];
    for (int k = 0; k < 9; ++k) eight.Add(&items[k]);
    EXPECT_EQ(eight.GetCapacity(), 18);  // full at 8: 2 * 8 + 2
    EXPECT_FALSE(eight.SetSize(5));
    EXPECT_TRUE(eight.SetSize(9));
    EXPECT_EQ(eight.GetCapacity(), 18);  // equal to the count: unchanged
    EXPECT_TRUE(eight.SetSize(12));
    EXPECT_EQ(eight.GetCapacity(), 12);
    EXPECT_EQ(eight.GetAt(9), nullptr);
    EXPECT_EQ(eight.GetAt(-1), nullptr);
    EXPECT_EQ(eight.GetAt(3), &items[3]);
}

TEST(ZorTAggr, UniqueListsKeepOneEntryAlsoWhenLarge) {
    std::vector<int> items(5000);
    CzorTAggr<int> unique, plain(8, false, false);
    for (int round = 0; round < 2; ++round)
        for (int& i : items) {
            unique.Add(&i);
            plain.Add(&i);
        }
    EXPECT_EQ(unique.GetSize(), 5000);
    EXPECT_EQ(plain.GetSize(), 10000);
    EXPECT_TRUE(unique.Contains(&items[4999]));
    unique.RemoveAt(0);
    EXPECT_FALSE(unique.Contains(&items[0]));
    EXPECT_TRUE(unique.Add(&items[0]));
    EXPECT_FALSE(unique.Add(&items[0]));
    EXPECT_EQ(unique.Find(&items[0]), 4999);
    EXPECT_FALSE(unique.InsertAt(0, &items[1]));
    unique.SetAt(0, &items[0]);  // a duplicate set by hand is still found
    EXPECT_EQ(unique.Find(&items[0]), 0);
}

namespace {
struct Counted {
    explicit Counted(int* n) : count(n) { ++*count; }
    ~Counted() { --*count; }
    int* count;
};
}  // namespace

TEST(ZorTAggr, OwningListsDeleteOnceAndCopiesNeverOwn) {
    int alive = 0;
    {
        CzorTAggr<Counted> owner(8, true, true);
        for (int k = 0; k < 3; ++k) owner.Add(new Counted(&alive));
        owner.Add(nullptr);
        CzorTAggr<Counted> copy(owner);
        EXPECT_FALSE(copy.IsOwning());
        EXPECT_EQ(copy.GetSize(), 4);
        CzorTAggr<Counted> assigned;
        assigned = owner;
        EXPECT_FALSE(assigned.IsOwning());
        CzorTAggr<Counted> moved(std::move(owner));
        EXPECT_TRUE(moved.IsOwning());
        EXPECT_EQ(owner.GetSize(), 0);
        EXPECT_EQ(alive, 3);
    }
    EXPECT_EQ(alive, 0);

    CzorTAggr<Counted> list(8, false, true);
    list.Add(new Counted(&alive));
    list.DeleteItems();  // deletes and empties, so the destructor frees nothing twice
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(list.GetSize(), 0);
}

TEST(ZorAggr, IndexesAndCopies) {
    CzorAggr a;
    CzorValue v;
    v.Set(3);
    a.Add(v);
    EXPECT_EQ(a.GetByIndex(1), nullptr);  // index equal to the count
    EXPECT_EQ(a.GetByIndex(-1), nullptr);
    ASSERT_NE(a.GetByIndex(0), nullptr);
    CzorAggr b = a;
    b.GetByIndex(0)->Set(4);
    EXPECT_EQ(a.GetByIndex(0)->GetInt(), 3);
    EXPECT_FALSE(a.IsEqu(b));
    EXPECT_EQ(b.Find(v), -1);
    EXPECT_EQ(a.Find(v), 0);
}

TEST(ZorMap, BinarySearchFormsAfterSortIn) {
    CzorMap m;
    for (long k : {50L, 10L, 40L, 20L, 30L}) m.Add(k, k * 2);
    long out = 0;
    EXPECT_TRUE(m.GetByIn(40, out));
    EXPECT_EQ(out, 80);
    EXPECT_EQ(m.QFindByIn(40), m.FindByIn(40));  // unsorted: still a right answer
    m.SortIn();
    EXPECT_EQ(m.QFindByIn(10), 0);
    EXPECT_EQ(m.QFindByIn(50), 4);
    EXPECT_EQ(m.QFindByIn(35), -1);
    EXPECT_TRUE(m.QGetByIn(30, out));
    EXPECT_EQ(out, 60);
    EXPECT_EQ(m[1].in, 20);
    EXPECT_EQ(m[99].in, 0);

    CzorStrMap s;
    s.Add("один");
    CzorStrMap copy = s;
    s.RemoveAll();
    EXPECT_EQ(copy.GetSize(), 1);
    EXPECT_STREQ(copy.GetAt(0), "один");
    EXPECT_EQ(copy.GetAt(1), nullptr);
}

TEST(ZorAggrMap, KeysKeepTheirListsAndCopiesAreDeep) {
    CzorAggrMap m;
    const struct {
        long in, out;
    } adds[] = {{7, 70}, {3, 30}, {7, 71}, {0, 1}, {7, 70}};
    for (const auto& a : adds) m.Add(a.in, a.out);
    ASSERT_EQ(m.GetSize(), 3);  // 7, 3, 0 in the order first added
    EXPECT_EQ(m[0].in, 7);
    EXPECT_EQ(m[0].out, (std::vector<long>{70, 71, 70}));  // a list, not a set
    EXPECT_EQ(m[2].in, 0);
    EXPECT_EQ(m.Find(3), 1);
    EXPECT_EQ(m.Find(4), -1);
    std::vector<long> out = {99};
    EXPECT_FALSE(m.GetByIn(4, out));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(m.GetByIn(3, out));
    EXPECT_EQ(out, std::vector<long>{30});
    // Outside the map: an empty item, as for CzorMap.
    for (int i : {-1, 3, 1000}) {
        EXPECT_EQ(m[i].in, 0) << i;
        EXPECT_TRUE(m[i].out.empty()) << i;
    }
    CzorAggrMapItem item = m[0];
    item.out.push_back(5);
    EXPECT_EQ(m[0].out.size(), 3u);  // operator[] hands out a copy
    CzorAggrMap copy;
    copy = m;
    m.Add(3, 31);
    m.RemoveAll();
    EXPECT_EQ(m.GetSize(), 0);
    ASSERT_EQ(copy.GetSize(), 3);
    EXPECT_EQ(copy[1].out, std::vector<long>{30});
}

TEST(ZorRecords, AttrValueAndValueDefinitionCopyDeeply) {
    CzorAttr attr("name");
    CzorAttrValue a(&attr);
    a.m_Value.Set("x");
    CzorAttrValue b;
    b = a;
    a.m_Value.Set("y");
    EXPECT_EQ(b.m_pAttr, &attr);
    EXPECT_STREQ(b.m_Value.GetString(), "x");

    CzorInstance::CzorValueDefinition d;
    d.GetValue().Set(5);
    d.SetChanged(true);
    d.SetList(new CzorAggr(zorINSTANCE));
    CzorInstance::CzorValueDefinition e(d);
    EXPECT_TRUE(e.IsChanged());
    ASSERT_NE(e.GetList(), nullptr);
    EXPECT_NE(e.GetList(), d.GetList());
    d.GetValue().Set(6);
    EXPECT_TRUE(d.IsChanged());  // setting a value keeps the slot's mark
    EXPECT_EQ(e.GetValue().GetInt(), 5);

    // Each slot keeps its own list through values set, assignments and a list taken away; the lists
    // of slots that go are freed with them (the sanitizer build would see a leak).
    CzorAggr* mine = d.GetList();
    d.GetValue().Set("text");
    d.GetValue().Clear();
    EXPECT_EQ(d.GetList(), mine);
    CzorInstance::CzorValueDefinition f;
    EXPECT_EQ(f.GetList(), nullptr);
    f = e;
    ASSERT_NE(f.GetList(), nullptr);
    EXPECT_NE(f.GetList(), e.GetList());
    EXPECT_EQ(f.GetValue().GetInt(), 5);
    e.SetList(nullptr);
    EXPECT_EQ(e.GetList(), nullptr);
    EXPECT_NE(f.GetList(), nullptr);
    f = e;
    EXPECT_EQ(f.GetList(), nullptr);
    {
        CzorInstance::CzorValueDefinition g(d);
        EXPECT_NE(g.GetList(), nullptr);
    }
    EXPECT_EQ(d.GetList(), mine);
}

TEST(ZorQuery, NodesBelongToTheirQueryAndCopiesAreFree) {
    auto q = std::make_unique<CzorQLQuery>();
    q->m_nLine = 3;
    q->m_nColumn = 9;
    auto* op = new CzorQLQuery::CzorQLLogOp(q.get());
    op->m_nOperandKind = 1;
    op->m_pValue = new CzorValue;
    op->m_pValue->Set("a");
    auto* ext = new CzorQLQuery::CzorQLExtent(q.get());
    EXPECT_EQ(q->m_Nodes.GetSize(), 1);
    EXPECT_EQ(q->m_Extents.GetSize(), 1);
    EXPECT_EQ(ext->GetKind(), CzorQLQuery::kExtent);
    q->m_nLine = 10;
    op->SetParentErrPosition();
    EXPECT_EQ(q->m_nErrLine, 3);
    EXPECT_EQ(q->m_nErrColumn, 9);
    {
        CzorQLQuery::CzorQLLogOp copy(*op);  // its own value, not registered anywhere
        EXPECT_NE(copy.m_pValue, op->m_pValue);
        EXPECT_EQ(q->m_Nodes.GetSize(), 1);
    }
    CzorQLQuery newer;
    newer.SetFromOlder(*q);
    EXPECT_EQ(newer.m_Nodes.GetSize(), 1);
    EXPECT_EQ(q->m_Nodes.GetSize(), 0);
    EXPECT_EQ(op->GetQuery(), &newer);
    q.reset();
    EXPECT_STREQ(op->m_pValue->GetString(), "a");  // still alive: the newer query owns it
}

TEST(ZorStepMgr, IsRealOrEmpty) {
    struct Case { const char* text; bool ok; };
    const Case cases[] = {
        {"", true}, {"12", true}, {"-3.5", true}, {"+0.25", true}, {".5", true}, {"5.", true}, {"1e-3", true},
        {"2.5E+10", true}, {" 7 ", true}, {"\t-1.0", true},
        {"   ", false}, {"abc", false}, {"1,5", false}, {"12abc", false}, {".", false}, {"-", false},
        {"1e", false}, {"inf", false}, {"nan", false}, {"1e400", false}, {"-1e400", false}, {"1e-400", true}, {"0x1A", false}, {"1 2", false}, {"--1", false},
    };
    for (const Case& c : cases) EXPECT_EQ(zorIsRealOrEmpty(c.text), c.ok) << '"' << c.text << '"';
    EXPECT_TRUE(zorIsRealOrEmpty(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(zorIsRealOrEmpty(std::string("1\0" "2", 3)));
}

TEST(ZorStepMgr, ShowOptionsCopyAsOneBlockAndManagersOwnTheirItems) {
    CShowOpt a;
    a.SetOption(49, 7);
    a.SetOption(50, 9);  // out of range: ignored
    CShowOpt b(a);
    EXPECT_EQ(b.GetOption(49), 7);
    EXPECT_EQ(b.GetOption(0), 0);

    CzorOptionsManager m;
    EXPECT_FALSE(m.Attach(nullptr));
    m.GetOptions().Add(new std::string("x"));
    m.Detach();
    EXPECT_EQ(m.GetOptions().GetSize(), 0);
}
