// Copying instances with what they reach into another store (report merge).
#include <gtest/gtest.h>

#include "platform/tests/zordata/store_fixture.h"

using FarCopy = StoreTest;

TEST_F(FarCopy, CopiesTheClosureWithRemappedReferences) {
    CzorStepDataWithFile target;
    ASSERT_TRUE(target.LoadDictionary(QM_DICT_DIR "/quillmark"));
    CzorInstance* existing = target.CreateInstanceBN("zor_report_sheet");

    CzorInstance* sheet = store.CreateInstanceBN("zor_report_sheet");
    store.PutAttrBN(sheet, "name", "Лист2");
    CzorInstance* text = store.CreateInstanceBN("zor_report_rect");
    CzorInstance* value = store.CreateInstanceBN("zor_value");
    CzorInstance* font = store.CreateInstanceBN("zor_font");
    store.PutAttrBN(font, "font_name", "Arial");
    store.PutAttrBN(value, "font", font);
    store.PutAttrBN(value, "text", "Итого");
    store.PutAttrBN(text, "text_value", value);
    store.PutAttrBN(text, "org_pt", Point(10, 20));
    CzorInstance* pic = store.CreateInstanceBN("zor_report_pic");
    ASSERT_TRUE(store.PutIntegratedBlob(pic, A("zor_report_pic", "picture"), "\0png\0", 5));
    CzorTAggr<CzorInstance> elems;
    elems.Add(text);
    elems.Add(pic);
    store.PutAttrBN(sheet, "elems", elems);
    CzorInstance* gone = store.CreateInstanceBN("zor_report_line");
    elems.Add(gone);
    store.PutAttrBN(sheet, "elems", elems);
    store.DeleteInstance(gone);
    CzorInstance* unrelated = Point(7, 7);
    (void)unrelated;

    CzorTAggr<CzorInstance> list;
    list.Add(sheet);
    list.Add(sheet);  // unique list: once
    ASSERT_TRUE(store.zorFarCopyInstances(list, target, true)) << store.GetLastErrorDescription();
    ASSERT_EQ(list.GetSize(), 1);
    CzorInstance* copy = list.GetAt(0);
    EXPECT_NE(copy, sheet);

    std::string s;
    ASSERT_TRUE(target.GetAttrBN(copy, "name", s));
    EXPECT_EQ(s, "Лист2");
    CzorTAggr<CzorInstance> got;
    ASSERT_TRUE(target.GetAttrBN(copy, "elems", got));
    ASSERT_EQ(got.GetSize(), 2);
    EXPECT_EQ(got.GetAt(0)->GetEntity(), target.GetEntityBN("zor_report_rect"));
    CzorInstance* v = nullptr;
    ASSERT_TRUE(target.GetAttrBN(got.GetAt(0), "text_value", v));
    ASSERT_TRUE(target.GetAttrBN(v, "text", s));
    EXPECT_EQ(s, "Итого");
    CzorInstance* f = nullptr;
    ASSERT_TRUE(target.GetAttrBN(v, "font", f));
    ASSERT_TRUE(target.GetAttrBN(f, "font_name", s));
    EXPECT_EQ(s, "Arial");
    CzorInstance* pt = nullptr;
    ASSERT_TRUE(target.GetAttrBN(got.GetAt(0), "org_pt", pt));
    int y = 0;
    target.GetAttrBN(pt, "y", y);
    EXPECT_EQ(y, 20);
    std::vector<unsigned char> blob;
    ASSERT_TRUE(target.GetIntegratedBlob(got.GetAt(1), target.GetAttrDefinition(target.GetEntityBN("zor_report_pic"), "picture"), blob));
    EXPECT_EQ(blob, (std::vector<unsigned char>{0, 'p', 'n', 'g', 0}));

    // every copy lives in the target only; the source is untouched
    CzorTAggr<CzorInstance> sheets;
    target.GetEntityExtentBN("zor_report_sheet", sheets);
    EXPECT_EQ(std::vector<CzorInstance*>(sheets.begin(), sheets.end()), (std::vector<CzorInstance*>{existing, copy}));
    EXPECT_EQ(target.GetInstanceCount(), 1 + 6);  // sheet, rect, value, font, point, pic + existing
    EXPECT_EQ(store.GetInstanceCount(), 7);
    CzorTAggr<CzorInstance> points;
    target.GetEntityExtentBN("zor_point", points);
    EXPECT_EQ(points.GetSize(), 1);  // the unrelated point stayed behind

    ASSERT_TRUE(target.SaveToFile(Path("merged.zorrep").c_str()));
    target.ClearData();
    ASSERT_TRUE(target.LoadFromFile(Path("merged.zorrep").c_str()));
    EXPECT_EQ(target.GetInstanceCount(), 7);
}

TEST_F(FarCopy, RefusesAnotherDictionaryAndCopiesNothing) {
    Write(Path("other.dict"), "SCHEMA other; ENTITY zor_point; x : INTEGER; END_ENTITY; END_SCHEMA;");
    CzorStepDataWithFile other;
    ASSERT_TRUE(other.LoadDictionary(Path("other").c_str()));
    CzorTAggr<CzorInstance> list;
    list.Add(Point(1, 2));
    EXPECT_FALSE(store.zorFarCopyInstances(list, other));
    EXPECT_EQ(store.GetLastError(), zorErrOtherDictionary);
    EXPECT_EQ(other.GetInstanceCount(), 0);

    Write(Path("quillmark.dict"), "SCHEMA quillmark; ENTITY zor_point; x : INTEGER; END_ENTITY; END_SCHEMA;");
    CzorStepDataWithFile thin;  // the same name, but the point lacks y
    ASSERT_TRUE(thin.LoadDictionary(Path("quillmark").c_str()));
    EXPECT_FALSE(store.zorFarCopyInstances(list, thin));
    EXPECT_EQ(thin.GetInstanceCount(), 0);
    EXPECT_EQ(list.GetAt(0)->GetEntity(), E("zor_point"));  // the list is left alone on failure
}
