#pragma once
// Helpers of the data-source tests: tables of texts in and out, a private folder for files, a
// recorder for messages, and a small store of parts and materials for attribute paths.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <string>
#include <vector>

#include "platform/base/file_io.h"
#include "platform/base/tempfile.h"
#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"
#include "platform/zordata/zordata.h"
#include "report/model/data_source.h"
#include "report/tests/datasource/parts_dictionary.h"

namespace dstest {

using Texts = std::vector<std::string>;
using Table = std::vector<Texts>;

// A data source with string columns and string rows.
inline void Fill(CDataSource& ds, const Texts& columns, const Table& rows) {
    auto* header = new CHeader;
    for (const std::string& c : columns) header->AddColumn(c, zorSTRING);
    delete ds.SetHeader(header);
    for (const Texts& r : rows) {
        auto* row = new CTableRow;
        for (const std::string& cell : r) row->AddColumn(std::string_view(cell));
        EXPECT_GE(ds.AddRow(row), 0);
    }
}

inline Texts ColumnNames(const CDataSource& ds) {
    Texts out;
    if (const CHeader* h = ds.GetHeader())
        for (int i = 0; i < h->GetSize(); ++i) out.push_back(h->GetColumn(i)->GetName());
    return out;
}

// Every row's cells in their text form.
inline Table Cells(const CDataSource& ds) {
    Table out;
    for (int r = 0; r < ds.GetRowCount(); ++r) {
        Texts row;
        const CTableRow* tr = ds.GetRow(r);
        for (int c = 0; c < tr->GetSize(); ++c) row.push_back(tr->GetAsString(c));
        out.push_back(row);
    }
    return out;
}

// The texts of one column, row by row.
inline Texts Column(const CDataSource& ds, int column) {
    Texts out;
    for (int r = 0; r < ds.GetRowCount(); ++r) out.push_back(ds.GetRow(r)->GetAsString(column));
    return out;
}

// Switches the C and C++ locales for a scope (ok() tells whether the locale exists).
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name) : m_old(std::setlocale(LC_ALL, nullptr)) {
        m_ok = std::setlocale(LC_ALL, name) != nullptr;
        if (m_ok) m_oldCpp = std::locale::global(std::locale(name));
    }
    ~ScopedLocale() {
        std::setlocale(LC_ALL, m_old.c_str());
        if (m_ok) std::locale::global(m_oldCpp);
    }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;
    bool ok() const { return m_ok; }

private:
    std::string m_old;
    std::locale m_oldCpp;
    bool m_ok = false;
};

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(temp.Path().empty()); }
    std::string Path(const std::string& name) const { return temp / name; }
    static std::string Read(const std::string& path) { return zor::test::Slurp(path); }
    static void Write(const std::string& path, const std::string& bytes) { ASSERT_TRUE(zor::WriteFileAtomically(path, bytes)); }

    zor::test::ScopedTempDir temp;
    const std::string& dir = temp.Path();
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink sink{&messages};
};

// A store of parts that refer to materials: the dictionary is written for the test.
class PartsStore {
public:
    PartsStore() {
        file = zor::TempFile(".dict");
        EXPECT_TRUE(zor::WriteFileAtomically(file.Path(), kPartsDictionary));
        EXPECT_TRUE(store.LoadDictionaryFromFile(file.Path().c_str())) << store.GetLastErrorDescription();
    }
    CzorInstance* Material(const char* name, double density, int grade) {
        CzorInstance* m = store.CreateInstanceBN("material");
        store.PutAttrBN(m, "name", name);
        store.PutAttrBN(m, "density", density);
        store.PutAttrBN(m, "grade", grade);
        return m;
    }
    CzorInstance* Part(const char* entity, const char* name, CzorInstance* material) {
        CzorInstance* p = store.CreateInstanceBN(entity);
        store.PutAttrBN(p, "name", name);
        if (material) store.PutAttrBN(p, "material", material);
        return p;
    }

    zor::TempFile file;
    CzorStepDataWithFile store;
};

}  // namespace dstest
