// The query tree's wire form: what a client writes, a server reads back to the same tree; what a
// hostile peer writes is refused with a clean error.
#include <gtest/gtest.h>

#include <random>

#include "platform/tests/zordata/query_fixture.h"
#include "platform/tests/zordata/query_print.h"
#include "platform/zordata/query_wire.h"
#include "platform/zordata/stepbuf.h"

using zor::test::PrintQL;
using zor::test::QueryTest;

namespace {

// A tree written by hand, field by field, in the wire layout.
struct TreeBytes {
    CzorDataBuf b;
    explicit TreeBytes(int32_t extents, int32_t nodes, int32_t root, int32_t dict = 0) {
        b.Add(kzorQueryTreeSignature, kzorQueryTreeSignatureSize);
        b.Add(dict);
        b.Add(extents);
        b.Add(nodes);
        b.Add(root);
    }
    TreeBytes& Extent(const char* name, int32_t entity, int32_t cond, int32_t set, std::vector<int32_t> ids = {}) {
        b.Add(std::string(name));
        b.Add(int32_t{1});
        b.Add(int32_t{1});
        b.Add(entity);
        b.Add(int32_t{0});
        b.Add(int32_t{0});
        b.Add(cond);
        b.Add(set);
        b.Add(int8_t{2});
        b.Add(static_cast<int32_t>(ids.size()));
        for (int32_t id : ids) b.Add(id);
        return *this;
    }
    void Head(int8_t kind) {
        b.Add(kind);
        b.Add(int32_t{1});
        b.Add(int32_t{1});
    }
    TreeBytes& Field(const char* name, int32_t extent, int32_t path = -1) {
        Head(7);
        b.Add(std::string(name));
        b.Add(extent);
        b.Add(path);
        return *this;
    }
    TreeBytes& Group(int8_t op, int32_t l, int32_t r) {
        Head(4);
        b.Add(op);
        b.Add(l);
        b.Add(r);
        return *this;
    }
    TreeBytes& Path(const char* name, int32_t attr, int32_t entity, int32_t next, int32_t rel) {
        Head(6);
        b.Add(std::string(name));
        b.Add(attr);
        b.Add(entity);
        b.Add(next);
        b.Add(rel);
        return *this;
    }
    TreeBytes& IntRelation(int8_t code, int32_t value) {
        Head(5);
        b.Add(code);
        b.Add(int8_t{1});
        CzorValue v;
        v.Set(value);
        zorAppendBufValue(b, v, nullptr, zorBufText::Cp1251);
        return *this;
    }
};

}  // namespace

class QueryWireTest : public QueryTest {
protected:
    // Reads the bytes into a fresh query on the store; the reason when refused.
    bool Read(CzorDataBuf& buf, CzorQLQuery& q, std::string& why) {
        buf.Begin();
        return zorReadQueryTree(buf, q, [&](int32_t id) { return lookup.FindInstance(id); }, &why);
    }
    int Entity(const char* name) { return store.GetEntityBN(name)->GetId(); }
    int Attr(const char* entity, const char* name) {
        return store.GetAttrDefinition(store.GetEntityBN(entity), name)->GetId();
    }
};

TEST_F(QueryWireTest, ParsedTreesComeBackTheSame) {
    const char* texts[] = {
        "select a and b or c from a{person} b{employee (.age >= 3 or .name like 'Пётр')} c{#4001,#4002} end_select",
        "select a.home->place.city from a{person (.boss->employee .salary < -2.5 and .active = true)} end_select",
        "select c from a{person} b{employee}.boss->person c{#a or (#b and #a)} end_select",
        "select a from b{employee} a{person (.boss in #b or .# = #4001 or .boss = #0)} end_select",
        "select a from a{product (.id = @blob_consist('x', 'y') and .maker not exist #0)} end_select",
        "select a from a{person .friends like #4002} end_select",
    };
    for (const char* t : texts) {
        ASSERT_TRUE(Parse(t)) << t << " " << parser.GetErrorCode();
        CzorDataBuf buf;
        ASSERT_TRUE(parser.SaveToDataBuf(buf)) << t;
        CzorQLQuery back(&store);
        std::string why;
        ASSERT_TRUE(Read(buf, back, why)) << t << ": " << why;
        EXPECT_EQ(PrintQL(back), PrintQL(parser)) << t;
        EXPECT_TRUE(back.m_bValid);
        // Positions travel with the nodes.
        for (int i = 0; i < back.m_Nodes.GetSize(); ++i) {
            EXPECT_EQ(back.m_Nodes.GetAt(i)->m_nLine, parser.m_Nodes.GetAt(i)->m_nLine);
            EXPECT_EQ(back.m_Nodes.GetAt(i)->m_nColumn, parser.m_Nodes.GetAt(i)->m_nColumn);
        }
    }
}

TEST_F(QueryWireTest, AnInvalidTreeIsNotWritten) {
    EXPECT_FALSE(Parse("select a from a{person .age = x} end_select"));
    CzorDataBuf buf;
    EXPECT_FALSE(parser.SaveToDataBuf(buf));
    EXPECT_EQ(buf.GetSize(), 0u);
}

TEST_F(QueryWireTest, EveryTruncationAndRandomDamageIsRefusedCleanly) {
    ASSERT_TRUE(Parse("select a or b from a{person (.age >= 3 and .name like 'x')} b{#4001, #4002} end_select"));
    CzorDataBuf good;
    ASSERT_TRUE(parser.SaveToDataBuf(good));
    for (size_t n = 0; n < good.GetSize(); ++n) {
        CzorDataBuf cut;
        cut.SetExternalData(good.GetBuffer(), n);
        CzorQLQuery q(&store);
        std::string why;
        EXPECT_FALSE(Read(cut, q, why)) << "cut at " << n;
        EXPECT_EQ(q.m_Nodes.GetSize() + q.m_Extents.GetSize(), 0);
        EXPECT_EQ(q.m_pRoot, nullptr);
    }
    std::mt19937 rng(24);
    for (int round = 0; round < 2000; ++round) {
        CzorDataBuf bad(good);
        for (int k = 0; k < 3; ++k)
            bad.GetBuffer()[rng() % bad.GetSize()] = static_cast<unsigned char>(rng());
        CzorQLQuery q(&store);
        std::string why;
        if (!Read(bad, q, why)) {
            EXPECT_EQ(q.m_Nodes.GetSize() + q.m_Extents.GetSize(), 0);
        }
    }
}

TEST_F(QueryWireTest, HostileTreesAreRefusedWithTheirReason) {
    const int person = Entity("person"), age = Attr("person", "age");
    struct Row {
        const char* name;
        TreeBytes tree;
        const char* why;
    };
    std::vector<Row> rows;
    rows.push_back({"sound", TreeBytes(1, 1, 1).Extent("a", person, -1, -1).Field("a", 0), ""});
    {
        TreeBytes t(1, 1, 1);
        t.b.GetBuffer()[0] = 'Z';
        rows.push_back({"signature", t, "signature"});
    }
    rows.push_back({"other dictionary", TreeBytes(1, 1, 1, 12345).Extent("a", person, -1, -1).Field("a", 0), "dictionary"});
    rows.push_back({"negative count", TreeBytes(-1, 1, 1).Extent("a", person, -1, -1).Field("a", 0), "counts"});
    rows.push_back({"huge count", TreeBytes(1, 0x7fffffff, 1).Extent("a", person, -1, -1).Field("a", 0), "counts"});
    rows.push_back({"an instance list", TreeBytes(1, 1, 1).Extent("a", 0, -1, -1, {4001}).Field("a", 0), ""});
    {
        TreeBytes t(1, 1, 1);
        t.Extent("a", 0, -1, -1);
        t.b.SetSize(t.b.GetSize() - 4);
        t.b.Add(int32_t{0x10000000});
        t.Field("a", 0);
        rows.push_back({"instance count beyond the bytes", t, "instance count"});
    }
    rows.push_back({"root out of range", TreeBytes(1, 1, 7).Extent("a", person, -1, -1).Field("a", 0), "root"});
    rows.push_back({"root an extent", TreeBytes(1, 1, 0).Extent("a", person, -1, -1).Field("a", 0), "root"});
    rows.push_back({"field to a node", TreeBytes(1, 1, 1).Extent("a", person, -1, -1).Field("a", 1), "reference"});
    rows.push_back({"field index below -1", TreeBytes(1, 1, 1).Extent("a", person, -1, -1).Field("a", -5), "reference"});
    rows.push_back({"condition is a field",
                    TreeBytes(1, 2, 1).Extent("a", person, 2, -1).Field("a", 0).Field("b", 0), "reference"});
    rows.push_back({"path relation is a path",
                    TreeBytes(1, 3, 1).Extent("a", person, 2, -1).Field("a", 0).Path("age", age, 0, -1, 3)
                        .Path("age", age, 0, -1, -1),
                    "reference"});
    rows.push_back({"shared node",
                    TreeBytes(1, 2, 1).Extent("a", person, -1, -1).Field("a", 0).Group(1, 1, 1), "shared node"});
    rows.push_back({"shared operand",
                    TreeBytes(1, 2, 2).Extent("a", person, -1, -1).Field("a", 0).Group(1, 1, 1), "shared node"});
    rows.push_back({"group refers to itself",
                    TreeBytes(1, 3, 1).Extent("a", person, -1, -1).Field("a", 0).Group(2, 3, 2).Field("a", 0), "cycle"});
    rows.push_back({"extents in a cycle",
                    TreeBytes(2, 3, 2).Extent("a", 0, -1, 3).Extent("b", 0, -1, 4).Field("a", 0).Field("b", 1).Field("a", 0),
                    "cycle"});
    rows.push_back({"unknown kind", TreeBytes(1, 1, 1).Extent("a", person, -1, -1).Group(9, 0, 0), "operation"});
    {
        TreeBytes t(1, 1, 1);
        t.Extent("a", person, -1, -1);
        t.Head(9);
        t.b.Add(int32_t{0});
        t.b.Add(int32_t{0});
        rows.push_back({"node kind", t, "node kind"});
    }
    rows.push_back({"relation code 11",
                    TreeBytes(1, 3, 1).Extent("a", person, 2, -1).Field("a", 0).Path("age", age, 0, -1, 3).IntRelation(11, 1),
                    "relation code"});
    rows.push_back({"unknown entity", TreeBytes(1, 1, 1).Extent("a", 999, -1, -1).Field("a", 0), "dictionary id"});
    rows.push_back({"unknown attribute",
                    TreeBytes(1, 3, 1).Extent("a", person, 2, -1).Field("a", 0).Path("x", 999, 0, -1, 3).IntRelation(5, 1),
                    "dictionary id"});
    rows.push_back({"unknown instance", TreeBytes(1, 1, 1).Extent("a", 0, -1, -1, {777}).Field("a", 0), "instance"});
    {
        TreeBytes t(1, 1, 1);
        t.Extent("a", person, -1, -1).Field("a", 0);
        t.b.Add(int8_t{0});
        rows.push_back({"bytes left over", t, "bytes left over"});
    }
    {
        TreeBytes t(1, 1, 1);
        t.Extent("a", person, -1, -1);
        t.Head(7);
        t.b.Add(int32_t{1 << 30});  // a text length far past the end
        t.b.Add(int32_t{0});
        t.b.Add(int32_t{-1});
        rows.push_back({"text length beyond the end", t, "short field"});
    }
    for (Row& r : rows) {
        CzorQLQuery q(&store);
        std::string why;
        const bool ok = Read(r.tree.b, q, why);
        if (!*r.why) {
            EXPECT_TRUE(ok) << r.name << ": " << why;
            continue;
        }
        EXPECT_FALSE(ok) << r.name;
        EXPECT_EQ(why, r.why) << r.name;
        EXPECT_EQ(q.m_Nodes.GetSize() + q.m_Extents.GetSize(), 0) << r.name;
    }
}

TEST_F(QueryWireTest, NestingBeyondTheBoundIsRefused) {
    const int person = Entity("person");
    // or(field, or(field, ...)): k groups, then a field, then the extent it names, k + 2 levels on the
    // longest chain. Every node is referred to once and there is no cycle; only the depth and the
    // order of the nodes differ (listed from the leaves up, a walk from the first node meets the deep
    // end before the root).
    struct Row { int levels; bool leavesFirst; bool accepted; };
    const Row rows[] = {{100, false, true}, {256, false, true}, {257, false, false}, {300, false, false},
                        {256, true, true},  {257, true, false}, {300, true, false}};
    for (const Row& row : rows) {
        const int k = row.levels - 2;
        const auto group = [&](int i) { return 1 + (row.leavesFirst ? k - 1 - i : i); };
        TreeBytes t(1, 2 * k + 1, group(0));
        t.Extent("a", person, -1, -1);
        std::vector<std::pair<int32_t, int32_t>> groups(static_cast<size_t>(k));
        for (int i = 0; i < k; ++i) groups[static_cast<size_t>(group(i) - 1)] = {k + 1 + i, i + 1 < k ? group(i + 1) : 2 * k + 1};
        for (const auto& [l, r] : groups) t.Group(2, l, r);
        for (int i = 0; i <= k; ++i) t.Field("a", 0);
        CzorQLQuery q(&store);
        std::string why;
        EXPECT_EQ(Read(t.b, q, why), row.accepted) << row.levels << (row.leavesFirst ? " leaves first " : " ") << why;
        if (!row.accepted) {
            EXPECT_EQ(why, "nesting") << row.levels;
        }
    }
}
