// The report dictionary and the EXPRESS reader.
#include <gtest/gtest.h>

#include "platform/tests/zordata/store_fixture.h"

namespace {
std::vector<std::string> Names(const CzorTAggr<CzorAttr>& attrs) {
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
