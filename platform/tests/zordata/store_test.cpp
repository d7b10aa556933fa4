// Instances, typed values, deletion, extents.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/tests/zordata/store_fixture.h"

using Store = StoreTest;

TEST_F(Store, TypedValuesReadBackAndAbsentValuesKeepThePreset) {
    CzorInstance* col = store.CreateInstanceBN("zor_column");
    CzorInstance* level = store.CreateInstanceBN("zor_table_content_title_level");
    CzorInstance* pic = store.CreateInstanceBN("zor_report_pic");
    ASSERT_TRUE(col && level && pic);

    int i = -7;
    double d = -7.5;
    std::string s = "preset";
    CzorInstance* ref = col;
    CzorTAggr<CzorInstance> list;
    list.Add(col);
    EXPECT_FALSE(store.GetAttr(col, A("zor_column", "width"), i));
    EXPECT_FALSE(store.GetAttr(level, A("zor_table_content_title_level", "para_delta"), d));
    EXPECT_FALSE(store.GetAttr(col, A("zor_column", "name"), s));
    EXPECT_FALSE(store.GetAttr(col, A("zor_column", "query_column"), ref));
    EXPECT_FALSE(store.GetAttrBN(store.CreateInstanceBN("zor_level"), "cols", list));
    EXPECT_EQ(store.GetLastError(), zorErrNoValue);
    EXPECT_EQ(i, -7);
    EXPECT_EQ(d, -7.5);
    EXPECT_EQ(s, "preset");
    EXPECT_EQ(ref, col);
    EXPECT_EQ(list.GetSize(), 1);

    CzorInstance* qc = store.CreateInstanceBN("zor_col");
    EXPECT_TRUE(store.PutAttrBN(col, "width", 250));
    EXPECT_TRUE(store.PutAttrBN(col, "name", "Колонка"));
    EXPECT_TRUE(store.PutAttrBN(col, "text_const", std::string()));
    EXPECT_TRUE(store.PutAttrBN(col, "query_column", qc));
    EXPECT_TRUE(store.PutAttrBN(level, "para_delta", 2.25));
    EXPECT_TRUE(store.GetAttrBN(col, "width", i));
    EXPECT_EQ(i, 250);
    EXPECT_TRUE(store.GetAttrBN(col, "name", s));
    EXPECT_EQ(s, "Колонка");
    EXPECT_TRUE(store.GetAttrBN(col, "text_const", s));  // an empty text is a value
    EXPECT_EQ(s, "");
    EXPECT_TRUE(store.GetAttrBN(col, "query_column", ref));
    EXPECT_EQ(ref, qc);
    EXPECT_TRUE(store.GetAttrBN(level, "para_delta", d));
    EXPECT_EQ(d, 2.25);
    EXPECT_EQ(store.GetLastError(), 0);

    CzorValue v;
    EXPECT_TRUE(store.GetAttrBN(col, "width", v));
    EXPECT_EQ(v.GetInt(), 250);
    CzorValue* stored = nullptr;
    EXPECT_TRUE(store.GetAttr(col, A("zor_column", "width"), &stored));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->GetInt(), 250);

    EXPECT_TRUE(store.PutAttrBN(col, "query_column", static_cast<CzorInstance*>(nullptr)));  // null clears
    EXPECT_FALSE(store.GetAttrBN(col, "query_column", ref));
    EXPECT_TRUE(store.PutAttrBN(col, "width", nullptr));
    EXPECT_FALSE(store.GetAttrBN(col, "width", i));

    CzorDataBuf bytes;
    bytes.Add("\0\1", 2);
    EXPECT_TRUE(store.PutAttrBN(pic, "picture", bytes));
    CzorDataBuf back;
    EXPECT_TRUE(store.GetAttrBN(pic, "picture", back));
    EXPECT_TRUE(back.IsEqu(bytes));
}

TEST_F(Store, WrongArgumentsAndTypesFailWithoutHarm) {
    CzorInstance* pt = Point(1, 2);
    CzorInstance* font = store.CreateInstanceBN("zor_font");
    CzorAttr* x = A("zor_point", "x");
    CzorAttr* fontName = A("zor_font", "font_name");
    CzorAttr* orgPt = A("zor_report_sheet_element", "org_pt");
    int i = 5;
    double d = 0.5;
    std::string s = "s";

    EXPECT_FALSE(store.GetAttr(nullptr, x, i));
    EXPECT_EQ(store.GetLastError(), zorErrNoInstance);
    EXPECT_FALSE(store.GetAttr(pt, nullptr, i));
    EXPECT_EQ(store.GetLastError(), zorErrNoAttr);
    EXPECT_FALSE(store.GetAttr(pt, fontName, s));  // attribute of another entity
    EXPECT_EQ(store.GetLastError(), zorErrNoAttr);
    EXPECT_FALSE(store.GetAttr(pt, x, d));          // no conversion from integer
    EXPECT_EQ(store.GetLastError(), zorErrTypeMismatch);
    EXPECT_FALSE(store.GetAttr(pt, x, s));
    EXPECT_EQ(i, 5);
    EXPECT_EQ(d, 0.5);
    EXPECT_EQ(s, "s");
    EXPECT_FALSE(store.GetAttr(pt, x, static_cast<CzorValue**>(nullptr)));
    EXPECT_FALSE(store.GetAttrBN(pt, "nope", i));
    EXPECT_FALSE(store.GetAttrBN(nullptr, "x", i));

    EXPECT_FALSE(store.PutAttr(pt, x, 1.5));
    EXPECT_FALSE(store.PutAttr(pt, x, "12"));
    EXPECT_FALSE(store.PutAttr(pt, x, true));
    EXPECT_FALSE(store.PutAttr(pt, fontName, "Arial"));
    EXPECT_FALSE(store.PutAttr(nullptr, x, 1));
    EXPECT_FALSE(store.PutAttr(pt, nullptr, 1));
    EXPECT_FALSE(store.PutAttrBN(pt, "x", static_cast<const char*>(nullptr)));
    CzorInstance* element = store.CreateInstanceBN("zor_report_rect");
    EXPECT_FALSE(store.PutAttr(element, orgPt, font));  // a font is not a point
    EXPECT_FALSE(store.PutAttrBN(store.CreateInstanceBN("zor_table_content_title_level"), "para_delta",
                                 std::numeric_limits<double>::quiet_NaN()));
    CzorTAggr<CzorInstance> mixed;
    mixed.Add(store.CreateInstanceBN("zor_report_sheet"));
    mixed.Add(font);
    EXPECT_FALSE(store.PutAttrBN(store.CreateInstanceBN("zor_report"), "sheets", mixed));
    EXPECT_TRUE(store.GetAttr(pt, x, i));
    EXPECT_EQ(i, 1);  // the value survived every refused write

    EXPECT_EQ(store.CreateInstance(nullptr), nullptr);
    EXPECT_EQ(store.CreateInstanceBN("nope"), nullptr);
    EXPECT_FALSE(store.DeleteInstance(nullptr));
    CzorTAggr<CzorInstance> list;
    EXPECT_FALSE(store.GetEntityExtent(nullptr, list));
    EXPECT_FALSE(store.IsKindOf(nullptr, E("zor_point")));
    EXPECT_FALSE(store.IsKindOf(pt, nullptr));
}

TEST_F(Store, ListsKeepOrderAndFillTheCallersList) {
    CzorInstance* sheet = store.CreateInstanceBN("zor_report_sheet");
    std::vector<CzorInstance*> elems = {store.CreateInstanceBN("zor_report_table"), store.CreateInstanceBN("zor_report_rect"),
                                        store.CreateInstanceBN("zor_report_line")};
    CzorTAggr<CzorInstance> list;
    for (auto it = elems.rbegin(); it != elems.rend(); ++it) list.Add(*it);
    ASSERT_TRUE(store.PutAttrBN(sheet, "elems", list));
    CzorTAggr<CzorInstance> out;
    out.Add(sheet);  // emptied before filling
    ASSERT_TRUE(store.GetAttrBN(sheet, "elems", out));
    EXPECT_EQ(std::vector<CzorInstance*>(out.begin(), out.end()),
              (std::vector<CzorInstance*>{elems[2], elems[1], elems[0]}));

    CzorTAggr<CzorInstance> empty;
    ASSERT_TRUE(store.PutAttrBN(sheet, "elems", empty));
    EXPECT_TRUE(store.GetAttrBN(sheet, "elems", out));  // an empty list is a value
    EXPECT_EQ(out.GetSize(), 0);

    CzorAggr dup(zorINSTANCE);
    dup.Add(elems[0]);
    dup.Add(elems[0]);
    ASSERT_TRUE(store.PutAttrBN(sheet, "elems", dup));
    CzorTAggr<CzorInstance> unique, plain(8, false, false);
    store.GetAttrBN(sheet, "elems", unique);
    store.GetAttrBN(sheet, "elems", plain);
    EXPECT_EQ(unique.GetSize(), 1);
    EXPECT_EQ(plain.GetSize(), 2);
}

TEST_F(Store, ExtentsIncludeSubtypesInCreationOrder) {
    CzorInstance* report = store.CreateInstanceBN("zor_report");
    std::vector<CzorInstance*> elements;
    const char* kinds[] = {"zor_report_rect", "zor_report_table", "zor_report_sheet", "zor_report_rect",
                           "zor_report_line", "zor_reference_element", "zor_report_table"};
    for (const char* k : kinds) {
        elements.push_back(store.CreateInstanceBN(k));
        Point(0, 0);
    }
    EXPECT_EQ(Extent("zor_report_sheet_element"), elements);
    EXPECT_EQ(Extent("zor_report_table"), (std::vector<CzorInstance*>{elements[1], elements[6]}));
    EXPECT_EQ(Extent("zor_report").front(), report);
    EXPECT_TRUE(store.IsKindOf(elements[1], E("zor_report_sheet_element")));
    EXPECT_TRUE(store.IsKindOfBN(elements[1], "zor_report_table"));
    EXPECT_FALSE(store.IsKindOf(elements[1], E("zor_report_rect")));
    EXPECT_FALSE(store.IsKindOf(report, E("zor_report_sheet_element")));

    store.DeleteInstance(elements[3]);
    elements.erase(elements.begin() + 3);
    EXPECT_EQ(Extent("zor_report_sheet_element"), elements);
    EXPECT_EQ(store.GetInstanceCount(), 1 + 6 + 7);
    store.ClearData();
    EXPECT_TRUE(Extent("zor_report_sheet_element").empty());
    EXPECT_EQ(store.GetInstanceCount(), 0);
    EXPECT_NE(store.GetEntityBN("zor_report"), nullptr);  // the dictionary stays
}

// Instances made early and moved to the end are listed, found in extents and saved exactly as if they had
// been made last, in the order given; a second store that makes them last writes the same file.
TEST_F(Store, InstancesMovedToTheEndTakeThePlacesOfNewOnes) {
    const auto build = [this](bool early) {
        store.ClearData();
        std::vector<CzorInstance*> late;
        const auto rect = [this](int x) {
            CzorInstance* r = store.CreateInstanceBN("zor_report_rect");
            store.PutAttrBN(r, "org_pt", Point(x, x));
            return r;
        };
        CzorInstance* sheet = store.CreateInstanceBN("zor_report_sheet");
        if (early) late = {rect(1), rect(2)};  // made while the sheet is filled, moved later
        CzorInstance* table = store.CreateInstanceBN("zor_report_table");
        Point(9, 9);
        if (!early) late = {rect(1), rect(2)};
        CzorTAggr<CzorInstance> elems;
        elems.Add(table);
        for (CzorInstance* r : late) elems.Add(r);
        store.PutAttrBN(sheet, "elems", elems);
        if (early) {
            std::vector<CzorInstance*> order;
            for (CzorInstance* r : late) {
                order.push_back(r);
                CzorInstance* pt = nullptr;
                store.GetAttrBN(r, "org_pt", pt);
                order.push_back(pt);
            }
            order.push_back(nullptr);
            order.push_back(late[0]);  // a repeat keeps its first place
            CzorInstance* gone = store.CreateInstanceBN("zor_point");
            store.DeleteInstance(gone);
            order.push_back(gone);
            store.MoveToEnd(order);
            store.MoveToEnd({});
        }
        EXPECT_EQ(Extent("zor_report_sheet_element"), (std::vector<CzorInstance*>{sheet, table, late[0], late[1]}));
        EXPECT_EQ(Extent("zor_report_rect"), late);
        const auto& all = store.GetInstances();
        EXPECT_EQ(all.GetAt(all.GetSize() - 4), late[0]) << (early ? "moved" : "made last");
        const std::string name = early ? "early.zorrep" : "late.zorrep";
        EXPECT_TRUE(store.SaveToFile(Path(name).c_str())) << store.GetLastErrorDescription();
        return Read(Path(name));
    };
    const std::string late = build(false), early = build(true);
    EXPECT_EQ(early.substr(early.find("DATA;")), late.substr(late.find("DATA;")));
}

TEST_F(Store, DeletedInstancesAreTombstonesAndVanishFromEveryReference) {
    CzorInstance* element = store.CreateInstanceBN("zor_report_rect");
    CzorInstance* pt = Point(3, 4);
    CzorInstance* other = Point(5, 6);
    CzorInstance* sheet = store.CreateInstanceBN("zor_report_sheet");
    ASSERT_TRUE(store.PutAttrBN(element, "org_pt", pt));
    CzorTAggr<CzorInstance> elems;
    elems.Add(element);
    elems.Add(sheet);
    elems.Add(store.CreateInstanceBN("zor_report_line"));
    CzorInstance* sheet2 = store.CreateInstanceBN("zor_report_sheet");
    ASSERT_TRUE(store.PutAttrBN(sheet2, "elems", elems));

    ASSERT_TRUE(store.DeleteInstance(pt, true, false));
    ASSERT_TRUE(store.DeleteInstance(sheet));
    EXPECT_TRUE(pt->IsDeleted());
    EXPECT_EQ(pt->GetEntity(), nullptr);
    int x = 9;
    EXPECT_FALSE(store.GetAttrBN(pt, "x", x));
    EXPECT_EQ(store.GetLastError(), zorErrNoInstance);
    EXPECT_FALSE(store.PutAttr(pt, A("zor_point", "x"), 1));
    EXPECT_FALSE(store.DeleteInstance(pt));
    EXPECT_FALSE(store.IsKindOf(pt, E("zor_point")));
    EXPECT_FALSE(store.PutAttrBN(element, "size", pt));  // no new references to it either

    CzorInstance* ref = other;
    EXPECT_FALSE(store.GetAttrBN(element, "org_pt", ref));
    EXPECT_EQ(ref, other);
    CzorTAggr<CzorInstance> back;
    ASSERT_TRUE(store.GetAttrBN(sheet2, "elems", back));
    EXPECT_EQ(std::vector<CzorInstance*>(back.begin(), back.end()),
              (std::vector<CzorInstance*>{element, elems.GetAt(2)}));
    EXPECT_EQ(Extent("zor_point"), std::vector<CzorInstance*>{other});
    EXPECT_EQ(store.GetInstances().GetSize(), 6);  // tombstones stay until ClearData
    EXPECT_EQ(store.GetInstanceCount(), 4);
}

TEST_F(Store, StatesGuardDeletionUnlessForced) {
    CzorInstance* p = Point(1, 1);
    p->SetState(2);
    EXPECT_FALSE(store.DeleteInstance(p));
    EXPECT_EQ(store.GetLastError(), zorErrAccess);
    EXPECT_TRUE(store.DeleteInstanceForced(p));
}

TEST_F(Store, ChangedMarksAndUniquenessTests) {
    CzorInstance* a = store.CreateInstanceBN("zor_user");
    CzorInstance* b = store.CreateInstanceBN("zor_user");
    EXPECT_FALSE(a->IsChanged());
    store.PutAttrBN(a, "name", "Иванов");
    store.PutAttrBN(b, "name", "Петров");
    EXPECT_TRUE(a->IsChanged());
    a->ClearChanged();
    EXPECT_FALSE(a->IsChanged());

    CzorAttrValue crit(A("zor_user", "name"));
    crit.m_Value.Set("Иванов");
    EXPECT_FALSE(store.TestUniqueAttrValuesBN("zor_user", b, 1, &crit));
    EXPECT_TRUE(store.TestUniqueAttrValuesBN("zor_user", a, 1, &crit));
    crit.m_Value.Set("Сидоров");
    EXPECT_TRUE(store.TestUniqueAttrValues(E("zor_user"), nullptr, 1, &crit));
    CzorAttrValue foreign(A("zor_point", "x"));
    EXPECT_FALSE(store.TestUniqueAttrValues(E("zor_user"), nullptr, 1, &foreign));
    EXPECT_FALSE(store.TestUniqueAttrValues(nullptr, nullptr, 1, &crit));
}

namespace {
// A store that serves one attribute from elsewhere, as the networked store does.
class FetchingStore : public CzorStepDataWithFile {
public:
    using CzorStepData::GetAttr;
    bool GetAttr(CzorInstance* inst, CzorAttr* attr, CzorValue** value) override {
        ++calls;
        if (attr && attr->GetName() == "x" && value) {
            fetched.Set(99);
            *value = &fetched;
            return true;
        }
        return CzorStepDataWithFile::GetAttr(inst, attr, value);
    }
    CzorValue fetched;
    int calls = 0;
};
}  // namespace

TEST(StoreOverride, TypedReadsGoThroughTheVirtualRead) {
    FetchingStore store;
    ASSERT_TRUE(store.LoadDictionary(QM_DICT_DIR "/quillmark"));
    CzorInstance* p = store.CreateInstanceBN("zor_point");
    int x = 0, y = 5;
    EXPECT_TRUE(store.GetAttrBN(p, "x", x));
    EXPECT_EQ(x, 99);
    EXPECT_FALSE(store.GetAttrBN(p, "y", y));
    EXPECT_EQ(y, 5);
    EXPECT_EQ(store.calls, 2);
}
