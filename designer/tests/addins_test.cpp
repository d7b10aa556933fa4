#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "designer/addins/addin_dialogs.h"
#include "designer/addins/addins.h"
#include "platform/ui/messages.h"

using namespace quillmark;
namespace fs = std::filesystem;

namespace {

std::string Addin(const char* kind) { return std::string(QM_TEST_ADDIN_DIR) + "/test_addin_" + kind + ".so"; }

class Addins : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("qm_addins_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        dictDir = dir.string() + "/";
    }
    void TearDown() override { fs::remove_all(dir); }
    void WriteList(const std::string& text) { std::ofstream(dictDir + "report.add") << text; }
    std::string ReadList() {
        std::ifstream in(dictDir + "report.add");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir;
    std::string dictDir;
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped{&sink};
};

TEST_F(Addins, LoadTheQueriesTheListNamesAndSkipTheRestQuietly) {
    // A relative line is taken from the dictionary folder.
    fs::copy_file(Addin("noname"), dir / "local.so");
    WriteList("; a comment\n\n" + Addin("full") + "\r\nlocal.so\n" + Addin("nolist") + "\n" + Addin("false") +
              "\n" + dictDir + "missing.so\n");
    CAddinManager addins;
    addins.LoadAddins(dictDir);
    // Every library that loaded stays loaded, add-in or not.
    EXPECT_EQ(addins.ModuleCount(), 4u);
    struct Row { std::string query, function, addin; unsigned number; };
    std::vector<Row> got;
    for (const CAddinQuery& q : addins.Queries()) {
        EXPECT_NE(q.function, nullptr);
        EXPECT_NE(q.module, nullptr);
        got.push_back({q.query.m_Name, q.query.m_FunctionName, q.addinName, q.query.m_nNumber});
    }
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].query, "Остатки по складам");
    EXPECT_EQ(got[0].function, "QueryStock");
    EXPECT_EQ(got[0].addin, "Тестовое дополнение");
    EXPECT_EQ(got[0].number, 1u);
    EXPECT_EQ(got[1].query, "Без имени");
    EXPECT_EQ(got[1].addin, "local.so");  // no GetAddinName: the line names it
    EXPECT_TRUE(sink.Texts().empty());

    // Mode 1: the query fills the header the record points at, and the parameters.
    CHeader header;
    CRParamsArray params;
    CzorQuery record = addins.Queries()[0].query;
    record.m_nParam2 = reinterpret_cast<intptr_t>(&header);
    addins.Queries()[0].function(&record, &params, 1);
    ASSERT_EQ(header.GetSize(), 2);
    EXPECT_EQ(header.GetColumn(0)->GetName(), "Склад");
    EXPECT_EQ(header.GetColumn(1)->GetName(), "Остаток");
    ASSERT_EQ(params.GetSize(), 1);
    EXPECT_EQ(params.GetAt(0)->name, "Дата остатков");

    // A reload starts from nothing; unloading empties both lists.
    addins.LoadAddins(dictDir);
    EXPECT_EQ(addins.Queries().size(), 2u);
    addins.UnloadAddins();
    EXPECT_EQ(addins.ModuleCount(), 0u);
    EXPECT_TRUE(addins.Queries().empty());
}

TEST_F(Addins, AListOfCommentsOrNoListLoadsNothing) {
    CAddinManager addins;
    addins.LoadAddins(dictDir);  // no "report.add"
    EXPECT_EQ(addins.ModuleCount(), 0u);
    WriteList(";" + Addin("full") + "\n\n   \n");
    addins.LoadAddins(dictDir);
    // A line of blanks names no library that loads.
    EXPECT_EQ(addins.ModuleCount(), 0u);
    EXPECT_TRUE(addins.Queries().empty());
}

TEST_F(Addins, SettingsDialogKeepsWhatTheUserDidNotRemove) {
    WriteList("; comment\n" + Addin("full") + "\n" + Addin("noname") + "\n" + dictDir + "gone.so\n\n");
    CAddinSettingsLogic dlg(dictDir);
    std::vector<std::string> texts;
    for (const auto& line : dlg.Lines()) texts.push_back(line.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Тестовое дополнение (" + Addin("full") + ")", Addin("noname"),
                                                dictDir + "gone.so (не загружается)"}));

    EXPECT_FALSE(dlg.Add(dictDir + "nothing.so"));
    EXPECT_FALSE(dlg.Add(Addin("nolist")));
    EXPECT_EQ(sink.Texts(), (std::vector<std::string>{"Не могу прочесть модуль: " + dictDir + "nothing.so",
                                                       "Модуль не является дополнением Quillmark!"}));
    EXPECT_TRUE(dlg.Add(Addin("false")));  // GetQueryList is there: an add-in, whatever it answers
    dlg.Remove(1);
    dlg.Remove(7);  // no such line: nothing happens
    ASSERT_TRUE(dlg.Save());
    EXPECT_EQ(ReadList(), Addin("full") + "\n" + dictDir + "gone.so\n" + Addin("false") + "\n");
}

TEST_F(Addins, SettingsThatCannotBeWrittenSayWhyAndKeepTheOldFile) {
    WriteList(Addin("full") + "\n");
    CAddinSettingsLogic dlg(dictDir);
    dlg.Remove(0);
    // A folder where the list file should be: the new list cannot take its place.
    fs::remove(dictDir + "report.add");
    fs::create_directories(dictDir + "report.add/keep");
    EXPECT_FALSE(dlg.Save());
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_NE(sink.Messages()[0].text.find("report.add"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dictDir + "report.add/keep"));
    EXPECT_EQ(dlg.Lines().size(), 0u);  // the dialog stays as the user left it

    CAddinSettingsLogic nowhere(dictDir + "missing/");
    EXPECT_FALSE(nowhere.Save());
}

TEST_F(Addins, QueryChoiceNeedsASelection) {
    EXPECT_FALSE(ChooseQuery(-1));
    EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Источник данных не выбран!"});
    EXPECT_TRUE(ChooseQuery(0));
}

}  // namespace
