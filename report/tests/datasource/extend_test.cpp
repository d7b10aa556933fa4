// Computed columns appended to a data source: formulas, attribute paths, failures.
#include <gtest/gtest.h>

#include "datasource_fixture.h"

namespace {

using dstest::Cells;
using dstest::Column;
using dstest::ColumnNames;
using dstest::Table;
using dstest::Texts;

struct Computed {
    int colType;
    const char* text;
};

// A header of computed columns, as the manager's result-select header holds them.
std::unique_ptr<CHeader> ComputedHeader(std::initializer_list<Computed> columns) {
    auto h = std::make_unique<CHeader>();
    for (const Computed& c : columns) h->AddColumn(new CHeaderColumn(c.colType, c.text, zorSTRING));
    return h;
}

class Extend : public ::testing::Test {
protected:
    CDataSource ds;
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink{&messages};
};

TEST_F(Extend, FormulaColumnsInOrderUsingEarlierOnes) {
    dstest::Fill(ds, {"Фамилия", "Имя"}, {{"Иванов", "Иван"}, {"Петров", ""}});
    const auto computed = ComputedHeader({
        {kFormulaColumn, "ФИО=Фамилия + \" \" + Имя"},
        {kFormulaColumn, "Метка=\"<\" + ФИО + \">\""},  // the column computed just before
        {kFormulaColumn, "Сам=\"[\" + Сам + \"]\""},     // itself: still empty while computed
        {kFormulaColumn, "Имя=\"второе\""},             // a second "Имя": look-ups find the first
        {kFormulaColumn, "Копия=Имя"},
        {kFormulaColumn, "без формулы"},                // no "=": skipped
        {kPlainColumn, "Обычная=1"},                    // not computed: skipped
        {kAttrPathColumn, "Фамилия.name"},              // no store: skipped
    });
    ASSERT_TRUE(ds.Extend(computed.get(), nullptr));
    EXPECT_EQ(ColumnNames(ds), (Texts{"Фамилия", "Имя", "ФИО", "Метка", "Сам", "Имя", "Копия"}));
    EXPECT_EQ(ds.GetColumnCount(), 7);
    EXPECT_EQ(Cells(ds), (Table{{"Иванов", "Иван", "Иванов Иван", "<Иванов Иван>", "[]", "второе", "Иван"},
                                {"Петров", "", "Петров ", "<Петров >", "[]", "второе", ""}}));
    for (int i = 2; i < 7; ++i) {
        const CHeaderColumn* c = ds.GetHeader()->GetColumn(i);
        EXPECT_EQ(c->m_nColType, kPlainColumn);
        EXPECT_EQ(c->m_nType, zorSTRING);
        EXPECT_EQ(ds.GetAt(0, i)->GetType(), zorSTRING);
    }
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(Extend, FailsAtTheFirstRowWhoseFormulaFails) {
    dstest::Fill(ds, {"V"}, {{"1"}, {"2"}, {""}, {"3"}});
    const auto computed = ComputedHeader({
        {kFormulaColumn, "Первая=V"},
        {kFormulaColumn, "Вторая=\"v\" + !(V, Нет)"},  // reads the missing column only for an empty V
        {kFormulaColumn, "Третья=V"},
    });
    EXPECT_FALSE(ds.Extend(computed.get(), nullptr));
    EXPECT_EQ(messages.Texts(), Texts{"Не верно задана функция!"});
    // What was appended stays; rows from the failing one on get empty cells, so every row keeps
    // one cell per column.
    EXPECT_EQ(ColumnNames(ds), (Texts{"V", "Первая", "Вторая"}));
    EXPECT_EQ(Cells(ds), (Table{{"1", "1", "v"}, {"2", "2", "v"}, {"", "", ""}, {"3", "3", ""}}));
    for (int r = 0; r < 4; ++r) EXPECT_EQ(ds.GetRow(r)->GetSize(), ds.GetColumnCount());
    EXPECT_EQ(ds.GetAt(2, 2)->GetType(), zorNOTYPE);
}

TEST_F(Extend, UnknownFunctionShowsBothMessages) {
    dstest::Fill(ds, {"V"}, {{"1"}});
    const auto computed = ComputedHeader({{kFormulaColumn, "X=%MAX(V)"}});
    EXPECT_FALSE(ds.Extend(computed.get(), nullptr));
    EXPECT_EQ(messages.Texts(), (Texts{"Неизвестная функция!", "Не верно задана функция!"}));
}

TEST_F(Extend, FormulaNamingAnAttributePathColumnFailsWithoutStore) {
    dstest::Fill(ds, {"Изделие"}, {{"x"}});
    const auto computed = ComputedHeader({
        {kAttrPathColumn, "Изделие.name"},
        {kFormulaColumn, "Имя=Изделие.name"},
    });
    EXPECT_FALSE(ds.Extend(computed.get(), nullptr));
    EXPECT_EQ(messages.Texts(), Texts{"Не верно задана функция!"});
}

TEST_F(Extend, NoRowsNoComputedNoHeader) {
    dstest::Fill(ds, {"A"}, {});
    const auto computed = ComputedHeader({{kFormulaColumn, "B=A"}, {kFormulaColumn, "C=Нет"}});
    EXPECT_TRUE(ds.Extend(computed.get(), nullptr));  // no row: no formula runs
    EXPECT_EQ(ColumnNames(ds), (Texts{"A", "B", "C"}));
    EXPECT_TRUE(ds.Extend(nullptr, nullptr));
    CDataSource bare;
    EXPECT_TRUE(bare.Extend(computed.get(), nullptr));
    EXPECT_EQ(ColumnNames(bare), (Texts{"B", "C"}));
}

class ExtendAttrPath : public Extend {
protected:
    void SetUp() override {
        steel = parts.Material("Сталь 45", 7.85, 3);
        bolt = parts.Part("bolt", "Болт", steel);
        parts.store.PutAttrBN(bolt, "thread", "M6");
        parts.store.PutAttrBN(bolt, "count", 4);
        washer = parts.Part("part", "Шайба", nullptr);
        dstest::Fill(ds, {"Изделие", "Код"}, {});
        for (int i = 0; i < 4; ++i) ds.AddRow();
        ds.SetAt(0, 0, bolt);
        ds.SetAt(1, 0, washer);
        ds.SetAt(2, 0, "текст");  // not an instance
        ds.SetAt(0, 1, "b");
    }
    dstest::PartsStore parts;
    CzorInstance* steel = nullptr;
    CzorInstance* bolt = nullptr;
    CzorInstance* washer = nullptr;
};

TEST_F(ExtendAttrPath, FollowsPathsFromInstanceCells) {
    const auto computed = ComputedHeader({
        {kAttrPathColumn, "Изделие.material.name"},
        {kAttrPathColumn, "Изделие!(bolt, thread)"},
        {kAttrPathColumn, "Изделие..count"},
        {kAttrPathColumn, "Изделие .name"},  // the blank belongs to the name: not found
        {kAttrPathColumn, "Код.name"},       // no instances there
        {kAttrPathColumn, "Изделие"},        // neither "." nor "!": skipped
        {kFormulaColumn, "Резьба=\"резьба \" + Изделие!(bolt, thread)"},
    });
    ASSERT_TRUE(ds.Extend(computed.get(), &parts.store));
    EXPECT_EQ(ColumnNames(ds), (Texts{"Изделие", "Код", "Изделие.material.name", "Изделие!(bolt, thread)",
                                      "Изделие..count", "Изделие .name", "Код.name", "Резьба"}));
    EXPECT_EQ(Column(ds, 2), (Texts{"Сталь 45", "", "", ""}));
    EXPECT_EQ(Column(ds, 3), (Texts{"M6", "", "", ""}));
    EXPECT_EQ(Column(ds, 4), (Texts{"4", "0", "", ""}));
    EXPECT_EQ(Column(ds, 5), (Texts{"", "", "", ""}));
    EXPECT_EQ(Column(ds, 7), (Texts{"резьба M6", "резьба ", "резьба ", "резьба "}));
    // A cell gets a string when its source holds an instance, and stays empty otherwise; an
    // instance of another entity gets the empty string.
    const int types[][2] = {{zorSTRING, zorSTRING}, {zorSTRING, zorSTRING}, {zorNOTYPE, zorNOTYPE}, {zorNOTYPE, zorNOTYPE}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 2; ++c) EXPECT_EQ(ds.GetAt(r, 2 + c)->GetType(), types[r][c]) << r << "," << c;
    for (int r = 0; r < 4; ++r) EXPECT_EQ(ds.GetAt(r, 5)->GetType(), zorNOTYPE);
    const CHeaderColumn* added = ds.GetHeader()->GetColumn(2);
    EXPECT_EQ(added->m_nColType, kPlainColumn);
    EXPECT_EQ(added->m_nType, zorNOTYPE);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(ExtendAttrPath, MalformedEntityFormFailsAtTheFirstInstance) {
    ds.SetAt(0, 0, "не экземпляр");  // the first instance is now in row 1
    const auto computed = ComputedHeader({{kAttrPathColumn, "Изделие!bolt.thread"}});
    EXPECT_FALSE(ds.Extend(computed.get(), &parts.store));
    EXPECT_EQ(messages.Texts(), Texts{"Не верно задан атрибут или ентити!"});
    EXPECT_EQ(ds.GetColumnCount(), 3);
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(ds.GetRow(r)->GetSize(), 3);
        EXPECT_EQ(ds.GetAt(r, 2)->GetType(), zorNOTYPE);
    }
}

TEST_F(ExtendAttrPath, MalformedEntityFormWithoutInstancesPasses) {
    ds.SetAt(0, 0, "x");
    ds.SetAt(1, 0, "y");
    const auto computed = ComputedHeader({{kAttrPathColumn, "Изделие!bolt.thread"}});
    EXPECT_TRUE(ds.Extend(computed.get(), &parts.store));
    EXPECT_TRUE(messages.Texts().empty());
}

}  // namespace
