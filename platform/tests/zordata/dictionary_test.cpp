// The report dictionary and the EXPRESS reader.
#include <gtest/gtest.h>

#include "platform/tests/alloc_counter.h"
#include "platform/tests/zordata/store_fixture.h"

namespace {
template <class List>
std::vector<std::string> Names(const List& attrs) {
    std::vector<std::string> r;
    for (CzorAttr* a : attrs) r.push_back(a->GetName());
    return r;
}
}  // namespace

using Dictionary = StoreTest;

TEST_F(Dictionary, EntitiesComeInTheSchemaTableOrder) {
    const std::vector<std::string> order = {
        "zor_condition", "zor_select", "zor_result_select", "zor_col", "zor_report", "zor_report_sheet",
        "zor_report_sheet_element", "zor_report_rect", "zor_report_line", "zor_report_table", "zor_report_section",
        "zor_report_map", "zor_point", "zor_report_param", "zor_column", "zor_level", "background_pic", "zor_font",
        "zor_value", "zor_report_pic", "zor_group_col", "zor_rect", "zor_user", "zor_table_content",
        "zor_table_content_title", "zor_table_content_title_level", "zor_table_content_element", "zor_reference_element"};
    ASSERT_EQ(store.GetEntities().GetSize(), static_cast<int>(order.size()));
    for (size_t k = 0; k < order.size(); ++k) {
        CzorEntity* e = store.GetEntities().GetAt(static_cast<int>(k));
        EXPECT_EQ(e->GetName(), order[k]);
        EXPECT_EQ(e->GetId(), static_cast<int>(k) + 1);
        EXPECT_EQ(store.GetEntityById(e->GetId()), e);
    }
    EXPECT_EQ(store.GetDictName(), "quillmark");
    EXPECT_EQ(store.GetEntityById(0), nullptr);
    EXPECT_EQ(store.GetEntityById(99), nullptr);
}

TEST_F(Dictionary, AttributesInOrderWithInheritedOnesFirst) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Names(E("zor_report")->GetAllAttrs()),
              (V{"page_size", "page_orient", "fit_to_page", "print_area", "name", "sheets", "params", "mode"}));
    EXPECT_EQ(Names(E("zor_report_sheet")->GetAllAttrs()),
              (V{"name", "org_pt", "size", "text_value", "line_width", "fixed", "type", "elems"}));
    EXPECT_EQ(Names(E("zor_report_table")->GetOwnAttrs()), (V{"sections", "row_height", "row_font"}));
    EXPECT_EQ(Names(E("zor_condition")->GetAllAttrs()), (V{"type", "column", "value_type", "value"}));
    EXPECT_EQ(Names(E("zor_font")->GetAllAttrs()),
              (V{"font_name", "height", "weight", "italic", "char_set", "strikeout", "underline"}));
    EXPECT_EQ(Names(E("zor_report_section")->GetAllAttrs()),
              (V{"conditions", "show_es", "data_src", "data_rel", "name", "title", "row_height", "title_height",
                 "title_col", "levels", "sorts", "groups"}));

    CzorEntity* element = E("zor_report_sheet_element");
    std::vector<std::string> subtypes;
    for (CzorEntity* e : element->GetSubtypes()) subtypes.push_back(e->GetName());
    EXPECT_EQ(subtypes, (V{"zor_report_sheet", "zor_report_rect", "zor_report_line", "zor_report_table",
                           "zor_report_map", "zor_report_pic", "zor_table_content_element", "zor_reference_element"}));
    EXPECT_EQ(E("background_pic")->GetSupertype(), nullptr);

    for (CzorAttr* a : store.GetAttrs()) {
        EXPECT_TRUE(a->IsOptional()) << a->GetName();
        EXPECT_EQ(store.GetAttrById(a->GetId()), a);
    }
}

TEST_F(Dictionary, AttributeTypesAndLookups) {
    EXPECT_EQ(A("zor_report", "sheets")->GetType(), zorAGGREGATE);
    EXPECT_EQ(A("zor_report", "sheets")->GetDomain(), E("zor_report_sheet"));
    EXPECT_EQ(A("zor_report_sheet_element", "org_pt")->GetType(), zorINSTANCE);
    EXPECT_EQ(A("zor_report_pic", "picture")->GetType(), zorBINARY);
    EXPECT_EQ(A("zor_table_content_element", "width")->GetType(), zorREAL);
    EXPECT_EQ(A("zor_condition", "value")->GetType(), zorSTRING);
    // inherited attribute through the subtype, names in any letter case
    EXPECT_EQ(store.GetAttrDefinition(E("zor_report_table"), "FIXED"), A("zor_report_sheet_element", "fixed"));
    EXPECT_EQ(store.GetEntityBN("ZOR_POINT"), E("zor_point"));
    EXPECT_EQ(store.GetAttrDefinition(nullptr, "name"), nullptr);
    EXPECT_EQ(store.GetAttrDefinition(E("zor_point"), "name"), nullptr);
    EXPECT_EQ(store.GetEntityBN("no_such"), nullptr);
    EXPECT_EQ(store.GetEntityBN(static_cast<const char*>(nullptr)), nullptr);
}

TEST_F(Dictionary, LoadingTheSameDictionaryKeepsInstancesAndHandles) {
    CzorEntity* point = E("zor_point");
    CzorInstance* p = Point(1, 2);
    ASSERT_TRUE(store.LoadDictionary(QM_DICT_DIR "/quillmark"));
    EXPECT_EQ(store.GetEntityBN("zor_point"), point);
    EXPECT_EQ(Extent("zor_point"), std::vector<CzorInstance*>{p});
    int x = 0;
    EXPECT_TRUE(store.GetAttrBN(p, "x", x));
    EXPECT_EQ(x, 1);
}

TEST_F(Dictionary, UnreadableOrInvalidDictionariesLeaveTheStoreAsItWas) {
    CzorInstance* p = Point(1, 2);
    EXPECT_FALSE(store.LoadDictionary((dir + "/missing").c_str()));
    EXPECT_EQ(store.GetLastError(), 20);
    EXPECT_STREQ(CzorStepData::GetErrorDescription(20), "Невозможно прочитать словарь");
    EXPECT_FALSE(store.LoadDictionaryFromFile(dir.c_str()));  // a folder
    EXPECT_EQ(store.GetLastError(), 20);

    const char* bad[] = {
        "",
        "SCHEMA x; ENTITY a; b : OPTIONAL no_such; END_ENTITY; END_SCHEMA;",
        "SCHEMA x; ENTITY a SUBTYPE OF (b); END_ENTITY; END_SCHEMA;",
        "SCHEMA x; ENTITY a SUBTYPE OF (b); END_ENTITY; ENTITY b SUBTYPE OF (a); END_ENTITY; END_SCHEMA;",
        "SCHEMA x; ENTITY a; n : INTEGER; n : REAL; END_ENTITY; END_SCHEMA;",
        "SCHEMA x; ENTITY a; n : INTEGER; END_ENTITY; ENTITY b SUBTYPE OF (a); n : INTEGER; END_ENTITY; END_SCHEMA;",
        "SCHEMA x; ENTITY a; END_ENTITY; ENTITY A; END_ENTITY; END_SCHEMA;",
        "SCHEMA x; ENTITY a; n : SET [0:?] OF a; END_ENTITY; END_SCHEMA;",
        "SCHEMA x; ENTITY a; n : LIST [0:?] OF INTEGER; END_ENTITY; END_SCHEMA;",
        "SCHEMA x; ENTITY a; n : INTEGER; WHERE w : n > 0; END_ENTITY; END_SCHEMA;",
        "SCHEMA x; ENTITY a; n : INTEGER END_ENTITY; END_SCHEMA;",
        "SCHEMA x; ENTITY a; (* open comment END_ENTITY; END_SCHEMA;",
        "SCHEMA x; ENTITY a; END_ENTITY;",
        "SCHEMA x; ENTITY a; END_ENTITY; END_SCHEMA; trailing",
        "SCHEMA x; ENTITY a SUBTYPE OF (b, c); END_ENTITY; END_SCHEMA;",
        "\x01\x02\xff",
    };
    for (const char* text : bad) {
        Write(Path("bad.dict"), text);
        EXPECT_FALSE(store.LoadDictionary(Path("bad").c_str())) << text;
        EXPECT_EQ(store.GetLastError(), 21) << text;
        EXPECT_NE(std::string(store.GetLastErrorDescription()).find("bad.dict"), std::string::npos);
    }
    EXPECT_EQ(store.GetDictName(), "quillmark");
    EXPECT_EQ(Extent("zor_point"), std::vector<CzorInstance*>{p});
}

TEST_F(Dictionary, ReservedWordsAreNamesAndAnotherDictionaryReplacesTheInstances) {
    Write(Path("other.dict"),
          "-- a line comment\n(* a (* nested *) comment *)\nSCHEMA Other;\n"
          "ENTITY base ABSTRACT SUPERTYPE OF (ONEOF (leaf));\n  type : INTEGER;\n  value : OPTIONAL STRING(80) FIXED;\n"
          "  fixed : OPTIONAL BOOLEAN;\nEND_ENTITY;\n"
          "ENTITY leaf SUBTYPE OF (base);\n  entity : OPTIONAL LIST [1:5] OF UNIQUE base;\n  data : BINARY;\n"
          "  r : REAL(12);\nEND_ENTITY;\nEND_SCHEMA;\n");
    Point(1, 2);
    ASSERT_TRUE(store.LoadDictionary(Path("other").c_str())) << store.GetLastErrorDescription();
    EXPECT_EQ(store.GetDictName(), "Other");
    EXPECT_EQ(store.GetInstances().GetSize(), 0);
    EXPECT_EQ(store.GetEntityBN("zor_point"), nullptr);
    CzorEntity* leaf = store.GetEntityBN("leaf");
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(Names(leaf->GetAllAttrs()), (std::vector<std::string>{"type", "value", "fixed", "entity", "data", "r"}));
    EXPECT_FALSE(store.GetAttrDefinition(leaf, "type")->IsOptional());
    EXPECT_EQ(store.GetAttrDefinition(leaf, "fixed")->GetType(), zorBOOLEAN);
}

namespace {

// A dictionary of `count` entities e0 .. e<count-1> in a chain, each with one attribute of its own. Forward:
// each entity is a subtype of the one declared before it; reversed: of the one declared after it.
std::string Chain(int count, bool reversed) {
    std::string text = "SCHEMA chain;\n";
    for (int i = 0; i < count; ++i) {
        text += "ENTITY e" + std::to_string(i);
        const int super = reversed ? i + 1 : i - 1;
        if (super >= 0 && super < count) text += " SUBTYPE OF (e" + std::to_string(super) + ")";
        text += ";\n  a" + std::to_string(i) + " : OPTIONAL INTEGER;\nEND_ENTITY;\n";
    }
    return text + "END_SCHEMA;\n";
}

}  // namespace

TEST_F(Dictionary, AChainWithinTheDepthLimitLoadsWithItsAttributesInOrder) {
    for (const bool reversed : {false, true}) {
        Write(Path("chain.dict"), Chain(65, reversed));
        ASSERT_TRUE(store.LoadDictionary(Path("chain").c_str())) << store.GetLastErrorDescription();
        CzorEntity* root = store.GetEntityBN(reversed ? "e64" : "e0");
        CzorEntity* leaf = store.GetEntityBN(reversed ? "e0" : "e64");
        EXPECT_EQ(leaf->GetDepth(), 64);
        ASSERT_EQ(leaf->GetAttrCount(), 65);
        const std::vector<CzorAttr*> attrs = leaf->GetAllAttrs();
        for (int k = 0; k < 65; ++k) {
            const std::string name = "a" + std::to_string(reversed ? 64 - k : k);
            EXPECT_EQ(attrs[static_cast<size_t>(k)]->GetName(), name);
            EXPECT_EQ(leaf->GetAttrAt(k), attrs[static_cast<size_t>(k)]);
            EXPECT_EQ(attrs[static_cast<size_t>(k)]->GetIndex(), k);
            EXPECT_EQ(store.GetAttrDefinition(leaf, name.c_str()), attrs[static_cast<size_t>(k)]);
        }
        EXPECT_EQ(leaf->GetAttrAt(65), nullptr);
        EXPECT_EQ(leaf->GetAttrAt(-1), nullptr);
        EXPECT_TRUE(leaf->IsKindOf(root));
        EXPECT_FALSE(root->IsKindOf(leaf));
        std::vector<CzorEntity*> below;
        root->GetAllSubtypes(below);
        EXPECT_EQ(below.size(), 64u);

        // Values go to the right slots, and the root's extent holds the instances of every entity below it.
        CzorInstance* a = store.CreateInstance(leaf, false, true);
        CzorInstance* b = store.CreateInstance(root, false, true);
        EXPECT_TRUE(store.PutAttr(a, store.GetAttrDefinition(leaf, reversed ? "a64" : "a0"), 7));
        EXPECT_TRUE(store.PutAttr(a, store.GetAttrDefinition(leaf, reversed ? "a0" : "a64"), 8));
        int x = 0;
        EXPECT_TRUE(store.GetAttr(a, attrs.front(), x));
        EXPECT_EQ(x, 7);
        EXPECT_TRUE(store.GetAttr(a, attrs.back(), x));
        EXPECT_EQ(x, 8);
        CzorTAggr<CzorInstance> extent;
        ASSERT_TRUE(store.GetEntityExtent(root, extent));
        EXPECT_EQ(extent.GetSize(), 2);
        EXPECT_EQ(extent.GetAt(0), a);
        EXPECT_EQ(extent.GetAt(1), b);
        ASSERT_TRUE(store.LoadDictionary(QM_DICT_DIR "/quillmark"));
    }
}

// A chain too deep for any schema is refused with the dictionary error, at once and in little memory,
// whichever way it is declared; a long reversed chain once exhausted the stack.
TEST_F(Dictionary, AnAbsurdlyDeepChainOrACycleIsRefused) {
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"a chain one too deep", Chain(66, false)},
        {"a reversed chain one too deep", Chain(66, true)},
        {"a chain of 8000", Chain(8000, false)},
        {"a reversed chain of 100000", Chain(100000, true)},
        {"a cycle of three", "SCHEMA c; ENTITY a SUBTYPE OF (c); END_ENTITY; ENTITY b SUBTYPE OF (a); END_ENTITY;"
                             "ENTITY c SUBTYPE OF (b); END_ENTITY; END_SCHEMA;"},
        {"a cycle below a root", "SCHEMA c; ENTITY r; END_ENTITY; ENTITY a SUBTYPE OF (b); END_ENTITY;"
                                 "ENTITY b SUBTYPE OF (a); END_ENTITY; ENTITY s SUBTYPE OF (a); END_ENTITY; END_SCHEMA;"},
        {"an entity its own supertype", "SCHEMA c; ENTITY a SUBTYPE OF (A); END_ENTITY; END_SCHEMA;"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Write(Path("deep.dict"), c.text);
        zor::test::AllocationWatch watch;
        EXPECT_FALSE(store.LoadDictionary(Path("deep").c_str()));
        EXPECT_EQ(store.GetLastError(), zorErrDictSyntax);
        // The file's text, its entities and attributes, and little else.
        EXPECT_LT(watch.PeakBytes(), 64 * c.text.size() + (1u << 20));
        EXPECT_EQ(store.GetDictName(), "quillmark");
    }
}

// Inherited attributes and subtype lists cost memory in proportion to what the dictionary declares: a root
// with many attributes and many subtypes once cost the square of that.
TEST_F(Dictionary, InheritanceCostsMemoryInProportionToTheDeclarations) {
    std::string text = "SCHEMA wide;\nENTITY root;\n";
    for (int i = 0; i < 20000; ++i) text += "  r" + std::to_string(i) + " : OPTIONAL INTEGER;\n";
    text += "END_ENTITY;\n";
    for (int i = 0; i < 4000; ++i)
        text += "ENTITY s" + std::to_string(i) + " SUBTYPE OF (root);\n  own : OPTIONAL REAL;\nEND_ENTITY;\n";
    text += "END_SCHEMA;\n";
    Write(Path("wide.dict"), text);
    zor::test::AllocationWatch watch;
    ASSERT_TRUE(store.LoadDictionary(Path("wide").c_str())) << store.GetLastErrorDescription();
    EXPECT_LT(watch.PeakBytes(), 64 * text.size());  // the square would be 4000 × 20000 pointers: 640 MB
    CzorEntity* last = store.GetEntityBN("s3999");
    EXPECT_EQ(last->GetAttrCount(), 20001);
    EXPECT_EQ(last->GetAttrAt(20000)->GetName(), "own");
    EXPECT_EQ(store.GetAttrDefinition(last, "R19999"), store.GetAttrDefinition(store.GetEntityBN("root"), "r19999"));
    EXPECT_EQ(store.GetEntityBN("root")->GetSubtypes().GetSize(), 4000);
}

// Out of memory while loading is a failed load with its message, never the end of the program; the store
// keeps the dictionary it had.
TEST_F(Dictionary, RunningOutOfMemoryFailsTheLoad) {
    CzorInstance* p = Point(1, 2);
    Write(Path("big.dict"), Chain(60, false));
    bool loaded = true;
    size_t refused = 0;
    {
        zor::test::ScopedAllocationLimit limit(16 * 1024);
        loaded = store.LoadDictionary(Path("big").c_str());
        refused = limit.Refused();
    }
    EXPECT_FALSE(loaded);
    EXPECT_GT(refused, 0u);
    EXPECT_EQ(store.GetLastError(), zorErrNoMemory);
    EXPECT_NE(std::string(store.GetLastErrorDescription()).find("big.dict"), std::string::npos);
    EXPECT_EQ(store.GetDictName(), "quillmark");
    EXPECT_EQ(Extent("zor_point"), std::vector<CzorInstance*>{p});
    ASSERT_TRUE(store.LoadDictionary(Path("big").c_str())) << store.GetLastErrorDescription();
}
