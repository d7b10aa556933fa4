// Header columns and headers: names, formulas, look-ups, ownership and the store form.
#include <gtest/gtest.h>

#include "datasource_fixture.h"
#include "report/model/folivox.h"
#include "report/model/schema.h"

namespace {

TEST(HeaderColumn, NameAndFormulaByKind) {
    struct Case { int colType; const char* text; const char* name; const char* funct; };
    const Case cases[] = {
        {kFormulaColumn, "Итог=A+B", "Итог", "A+B"},
        {kFormulaColumn, "a=b=c", "a", "b=c"},       // the first "=" splits
        {kFormulaColumn, "=A", "", "A"},
        {kFormulaColumn, "Итог", "Итог", ""},         // no "=": the whole text
        {kAttrPathColumn, "A=B.c", "A=B.c", ""},      // only formulas are split
        {kPlainColumn, "x=1", "x=1", ""},
    };
    for (const Case& c : cases) {
        const CHeaderColumn column(c.colType, c.text, zorSTRING);
        EXPECT_EQ(column.GetName(), c.name) << c.text;
        EXPECT_EQ(column.GetFunct(), c.funct) << c.text;
    }
}

TEST(HeaderColumn, TypeText) {
    const std::pair<int, const char*> cases[] = {
        {1, "zorINSTANCE"}, {3, "zorINTEGER"}, {4, "zorREAL"}, {5, "zorSTRING"}, {8, "zorBINARY"},
        {0, "zorNOTYPE"},   {2, "zorNOTYPE"},  {6, "zorNOTYPE"}, {7, "zorNOTYPE"}, {-1, "zorNOTYPE"},
    };
    for (const auto& [type, text] : cases) EXPECT_EQ(CHeaderColumn(0, "c", type).GetType(), text) << type;
}

TEST(HeaderColumn, CopyKeepsInstanceAssignmentDropsIt) {
    CHeaderColumn source(kFormulaColumn, "S=A", zorSTRING);
    source.m_pInstance = reinterpret_cast<CzorInstance*>(&source);  // a marker, never dereferenced
    const CHeaderColumn copy(source);
    EXPECT_EQ(copy.m_pInstance, source.m_pInstance);
    CHeaderColumn assigned;
    assigned = source;
    EXPECT_EQ(assigned.m_nColType, kFormulaColumn);
    EXPECT_EQ(assigned.m_Name, "S=A");
    EXPECT_EQ(assigned.m_nType, zorSTRING);
    EXPECT_EQ(assigned.m_pInstance, nullptr);
    CHeaderColumn fromPointer;
    fromPointer.m_pInstance = source.m_pInstance;
    fromPointer = &source;
    EXPECT_EQ(fromPointer.m_Name, "S=A");
    EXPECT_EQ(fromPointer.m_pInstance, nullptr);
}

TEST(Header, AddInsertAndRefuseNullOrPastTheEnd) {
    CHeader h;
    EXPECT_EQ(h.AddColumn("A", zorSTRING), 0);
    EXPECT_EQ(h.AddColumn("C", zorINTEGER), 1);
    EXPECT_EQ(h.InsertColumn(1, new CHeaderColumn(0, "B", zorREAL)), 1);
    EXPECT_EQ(h.InsertColumn(-1, new CHeaderColumn(0, "D", zorSTRING)), 3);
    EXPECT_EQ(h.InsertColumn(4, new CHeaderColumn(0, "E", zorSTRING)), 4);  // at the end: appends

    auto* stray = new CHeaderColumn(0, "X", zorSTRING);
    EXPECT_EQ(h.InsertColumn(6, stray), -1);  // past the end: no null gap
    EXPECT_EQ(h.InsertColumn(-2, stray), -1);
    EXPECT_EQ(h.InsertColumn(0, nullptr), -1);
    EXPECT_EQ(h.AddColumn(static_cast<CHeaderColumn*>(nullptr)), -1);
    delete stray;  // refused columns stay the caller's

    ASSERT_EQ(h.GetSize(), 5);
    const char* names[] = {"A", "B", "C", "D", "E"};
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(h.GetColumn(i), nullptr);
        EXPECT_EQ(h.GetColumn(i)->GetName(), names[i]);
    }
    EXPECT_EQ(h.GetColumn(5), nullptr);
    EXPECT_EQ(h.GetColumn(-1), nullptr);
    EXPECT_EQ(h.GetColumnType(1), zorREAL);
    EXPECT_EQ(h.GetColumnType(2), zorINTEGER);
    EXPECT_EQ(h.GetColumnType(9), 0);

    h.RemoveAt(1);
    h.RemoveAt(7);
    EXPECT_EQ(h.GetSize(), 4);
    EXPECT_EQ(h.Find("B"), -1);
    EXPECT_EQ(h.Find("C"), 1);
}

TEST(Header, FindIsExactAndFirstWins) {
    CHeader h;
    h.AddColumn("Итог", zorSTRING);
    h.AddColumn(new CHeaderColumn(kFormulaColumn, "Сумма=A+B", zorSTRING));
    h.AddColumn("Итог", zorINTEGER);
    h.AddColumn("", zorSTRING);
    EXPECT_EQ(h.Find("Итог"), 0);
    EXPECT_EQ(h.Find("итог"), -1);   // case matters, Cyrillic too
    EXPECT_EQ(h.Find("Итог "), -1);  // no trimming
    EXPECT_EQ(h.Find("Сумма"), 1);   // a formula column by its name part
    EXPECT_EQ(h.Find("Сумма=A+B"), -1);
    EXPECT_EQ(h.Find(""), 3);
    EXPECT_EQ(h.Find(h.GetColumn(2)), 2);
    const CHeaderColumn other;
    EXPECT_EQ(h.Find(&other), -1);
    EXPECT_EQ(h.Find(static_cast<const CzorInstance*>(nullptr)), -1);  // never a column without one
}

TEST(Header, ClearForgetsRemoveAllDeletes) {
    auto* a = new CHeaderColumn(0, "A", zorSTRING);
    {
        CHeader borrowing;
        borrowing.AddColumn(a);
        borrowing.Clear();
        EXPECT_EQ(borrowing.GetSize(), 0);
    }
    EXPECT_EQ(a->GetName(), "A");  // still alive: Clear only forgot it
    CHeader owning;
    owning.AddColumn(a);
    owning.RemoveAll();  // the sanitizer build sees a leak or a double delete here
    EXPECT_EQ(owning.GetSize(), 0);
}

class HeaderStore : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(store.LoadDictionary(QM_DICT_DIR "/quillmark")) << store.GetLastErrorDescription();
        schema.Bind(store);
        ASSERT_NE(schema.e_zor_col, nullptr);
    }
    CzorStepDataWithFile store;
    CReportSchema schema;
};

TEST_F(HeaderStore, WritesReadsAndListsInstances) {
    CHeader h;
    h.AddColumn("Фамилия", zorSTRING);
    h.AddColumn(new CHeaderColumn(kFormulaColumn, "ФИО=Фамилия+\" \"+Имя", zorSTRING));
    h.AddColumn(new CHeaderColumn(kAttrPathColumn, "Изделие.Материал", zorNOTYPE));
    h.Update(&store, schema, true);
    for (int i = 0; i < 3; ++i) ASSERT_NE(h.GetColumn(i)->m_pInstance, nullptr);

    CzorInstance* second = h.GetColumn(1)->m_pInstance;
    std::string name;
    int type = -1, colType = -1;
    ASSERT_TRUE(store.GetAttr(second, schema.zor_col_name, name));
    ASSERT_TRUE(store.GetAttr(second, schema.zor_col_type, type));
    ASSERT_TRUE(store.GetAttr(second, schema.zor_col_col_type, colType));
    EXPECT_EQ(name, "ФИО=Фамилия+\" \"+Имя");
    EXPECT_EQ(type, zorSTRING);
    EXPECT_EQ(colType, kFormulaColumn);

    // Writing again reuses the instances.
    const int before = store.GetInstanceCount();
    h.GetColumn(0)->m_Name = "Имя";
    h.Update(&store, schema, true);
    EXPECT_EQ(store.GetInstanceCount(), before);

    // Reading fills the columns from their instances.
    CHeader read;
    for (int i = 0; i < 3; ++i) {
        auto* c = new CHeaderColumn;
        c->m_pInstance = h.GetColumn(i)->m_pInstance;
        read.AddColumn(c);
    }
    read.AddColumn("без экземпляра", zorREAL);  // skipped: no instance
    read.Update(&store, schema, false);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(read.GetColumn(i)->m_Name, h.GetColumn(i)->m_Name);
        EXPECT_EQ(read.GetColumn(i)->m_nType, h.GetColumn(i)->m_nType);
        EXPECT_EQ(read.GetColumn(i)->m_nColType, h.GetColumn(i)->m_nColType);
    }
    EXPECT_EQ(read.GetColumn(3)->m_Name, "без экземпляра");
    EXPECT_EQ(read.Find(second), 1);

    CzorTAggr<CzorInstance> list(8, true, false);
    list.Add(store.CreateInstance(schema.e_zor_col));  // emptied first
    h.GetExtent(list);
    ASSERT_EQ(list.GetSize(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list.GetAt(i), h.GetColumn(i)->m_pInstance);
}

TEST_F(HeaderStore, ReadingKeepsFieldsWithoutValues) {
    CHeader h;
    auto* c = new CHeaderColumn(kFormulaColumn, "старое", zorREAL);
    c->m_pInstance = store.CreateInstance(schema.e_zor_col);
    store.PutAttr(c->m_pInstance, schema.zor_col_type, zorSTRING);  // only the type is stored
    h.AddColumn(c);
    h.Update(&store, schema, false);
    EXPECT_EQ(c->m_Name, "старое");
    EXPECT_EQ(c->m_nType, zorSTRING);
    EXPECT_EQ(c->m_nColType, kFormulaColumn);
}

TEST_F(HeaderStore, CopiedColumnGetsItsOwnInstance) {
    CHeader h;
    h.AddColumn("A", zorSTRING);
    h.Update(&store, schema, true);
    auto* copy = new CHeaderColumn;
    *copy = *h.GetColumn(0);
    h.AddColumn(copy);
    h.Update(&store, schema, true);
    ASSERT_NE(copy->m_pInstance, nullptr);
    EXPECT_NE(copy->m_pInstance, h.GetColumn(0)->m_pInstance);
}

TEST_F(HeaderStore, UniqueExtentSkipsRepeatsAndKeepsOneNull) {
    CHeader h;
    h.AddColumn("A", zorSTRING);
    h.AddColumn("B", zorSTRING);
    h.Update(&store, schema, true);
    h.AddColumn(new CHeaderColumn(*h.GetColumn(0)));  // shares A's instance
    h.AddColumn("no instance 1", zorSTRING);
    h.AddColumn("no instance 2", zorSTRING);
    CzorTAggr<CzorInstance> unique(8, true, false), plain(8, false, false);
    h.GetExtent(unique);
    h.GetExtent(plain);
    EXPECT_EQ(unique.GetSize(), 3);  // A, B, null
    EXPECT_EQ(plain.GetSize(), 5);
    EXPECT_EQ(plain.GetAt(4), nullptr);
}

TEST_F(HeaderStore, DeleteRemovesInstancesAndColumns) {
    CHeader h;
    h.AddColumn("A", zorSTRING);
    h.AddColumn("B", zorSTRING);
    h.Update(&store, schema, true);
    CzorInstance* a = h.GetColumn(0)->m_pInstance;
    const int live = store.GetInstanceCount();
    h.GetColumn(1)->Delete(&store);
    EXPECT_EQ(store.GetInstanceCount(), live - 1);
    EXPECT_EQ(h.GetColumn(1)->m_pInstance, nullptr);
    EXPECT_EQ(h.GetSize(), 2);  // the column object stays
    h.Delete(&store);
    EXPECT_TRUE(a->IsDeleted());
    EXPECT_EQ(h.GetSize(), 0);
    h.Update(static_cast<CzorStepData*>(nullptr), schema, true);  // no store: nothing
}

}  // namespace

namespace {

TEST(HeaderThroughManager, UsesTheManagersStoreAndSchema) {
    CzorStepDataWithFile store;
    ASSERT_TRUE(store.LoadDictionary(QM_DICT_DIR "/quillmark")) << store.GetLastErrorDescription();
    CFolivox manager;
    CHeader h;
    h.AddColumn("A", zorSTRING);
    h.Update(&manager, true);  // detached: no store, nothing written
    EXPECT_EQ(h.GetColumn(0)->m_pInstance, nullptr);

    manager.Attach(&store, QM_DICT_DIR);
    h.Update(&manager, true);
    CzorInstance* inst = h.GetColumn(0)->m_pInstance;
    ASSERT_NE(inst, nullptr);
    EXPECT_TRUE(store.IsKindOfBN(inst, "zor_col"));
    store.PutAttr(inst, manager.Schema().zor_col_name, "B");
    h.Update(&manager, false);
    EXPECT_EQ(h.GetColumn(0)->m_Name, "B");

    h.GetColumn(0)->Delete(&manager);
    EXPECT_TRUE(inst->IsDeleted());
    h.Update(&manager, true);
    ASSERT_NE(h.GetColumn(0)->m_pInstance, nullptr);
    CzorInstance* second = h.GetColumn(0)->m_pInstance;
    h.Delete(&manager);
    EXPECT_TRUE(second->IsDeleted());
    EXPECT_EQ(h.GetSize(), 0);
    manager.Detach();
}

}  // namespace
