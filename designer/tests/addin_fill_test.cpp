// Batch mode 2: a report filled by an add-in query that reads parts from our server through a session of
// its own, with attribute-path columns of the template read through that session.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include <QTreeWidget>

#include "controls/tests/gui_test_app.h"
#include "designer/addins/addins.h"
#include "designer/doc/quillmark_doc.h"
#include "designer/navigator/doc_navigator.h"
#include "platform/ui/messages.h"
#include "report/model/report_element.h"
#include "report/model/report_sheet.h"
#include "report/tests/generation/template_builder.h"
#include "report/tests/netpath/parts_server.h"
#include "zorStepData/CzorData_Client/czor_api.h"
#include "zorStepData/CzorData_Client/net_settings.h"

namespace quillmark {
namespace {

using generation_test::TemplateBuilder;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class AddinFill : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Ok());
        // The fill logs in as the connection and user of the last login.
        ASSERT_TRUE(zor::net::WriteLastActive({"Administrator"}, "test"));
        ASSERT_TRUE(WriteTemplate());
        std::ofstream(Config("report.add")) << QM_TEST_ADDIN_DIR "/test_addin_store.so\n";
        addins.LoadAddins(server.Config() + "/");
        ASSERT_EQ(addins.Queries().size(), 1u);
        entry = addins.Queries()[0];
    }
    std::string Config(const std::string& name) const { return server.Config() + "/" + name; }
    // A table of the material's name through the parts of the column "Изделие", and a formula over it; the
    // parameter the query sets.
    bool WriteTemplate() {
        TemplateBuilder b;
        if (!b.Ready()) return false;
        b.AddParam("Дата остатков", kParamText, "");
        b.Column("Изделие", 1);
        CHeader* result = b.Manager().GetResultSelectHeader();
        CHeaderColumn* path = result->GetColumn(result->AddColumn(new CHeaderColumn(kAttrPathColumn, "Изделие.material.name", 5)));
        CHeaderColumn* label = b.Computed("Метка=\"[\" + Изделие.material.name + \"]\"");
        CTableElement* table = b.AddTable(b.AddSheet(), CPoint(100, -2800), CSize(1900, 2600));
        auto* section = new CReportSection(&b.Manager());
        section->SetShowEmptyLines(0);
        section->GetLevels().Add(b.Level(100, {TemplateBuilder::FieldColumn(path, 900), TemplateBuilder::FieldColumn(label, 900)}));
        table->GetSections().Add(section);
        return b.Save(Config("t.zordot"));
    }
    std::unique_ptr<CQuillmarkDoc> OpenTemplate() {
        navigators.push_back(std::make_unique<CDocNavigator>(&tree));
        auto doc = std::make_unique<CQuillmarkDoc>(navigators.back().get());
        if (!doc->OnOpenDocument(Config("t.zordot"))) return nullptr;
        doc->SetBatchRun({2, "", "", ""});
        return doc;
    }
    static std::vector<std::string> Texts(CReportSheet* sheet) {
        sheet->LoadElementsFromFile();
        std::vector<std::string> texts;
        for (CReportElement* e : sheet->GetElements())
            if (e->GetKind() == kElemRect && !e->GetTextValue().GetText().empty()) texts.push_back(e->GetTextValue().GetText());
        return texts;
    }

    struct GuiFirst {
        GuiFirst() { EnsureGuiApplication(); }
    } guiFirst;
    netpath::PartsServer server{netpath::FillSampleParts};
    zor::RecordingMessageSink messages;
    zor::ScopedMessageSink scopedSink{&messages};
    QTreeWidget tree;
    std::vector<std::unique_ptr<CDocNavigator>> navigators;
    CAddinManager addins;
    CAddinQuery entry;
};

TEST_F(AddinFill, TheQueryFillsTheReportThroughASessionOfItsOwn) {
    auto doc = OpenTemplate();
    ASSERT_TRUE(doc);
    ASSERT_TRUE(doc->FillReport(&entry));
    EXPECT_THAT(messages.Texts(), IsEmpty());
    EXPECT_EQ(doc->m_mode, kDocView);
    EXPECT_THAT(Texts(doc->Manager().GetSheet(0)), ElementsAre("Сталь 45", "[Сталь 45]", "[]", "Латунь", "[Латунь]"));
    EXPECT_EQ(doc->Manager().GetParams().GetAt(0)->GetText(), "11.12.2026");
    // The slots the query was given are not left pointing at the ended session.
    EXPECT_EQ(entry.query.m_nParam1, 0);
    doc->SetChanged(false);
}

TEST_F(AddinFill, WithoutAQueryOrASessionTheFillFails) {
    auto doc = OpenTemplate();
    ASSERT_TRUE(doc);
    EXPECT_FALSE(doc->FillReport(nullptr));
    // No connection of the last login: nothing to log in with and no one to ask in a batch run.
    ASSERT_TRUE(zor::net::WriteLastActive({"Administrator"}, "нет такого"));
    EXPECT_FALSE(doc->FillReport(&entry));
    // A wrong password for the last user.
    ASSERT_TRUE(zor::net::WriteLastActive({"user"}, "test"));
    EXPECT_FALSE(doc->FillReport(&entry));
    EXPECT_THAT(messages.Texts(), IsEmpty());
    EXPECT_EQ(doc->m_mode, kDocEdit);
    EXPECT_EQ(doc->Manager().GetDataSource().GetRowCount(), 0);
    doc->SetChanged(false);
}

TEST_F(AddinFill, ConnectChoosesTheConnectionByHostPortAndDatabase) {
    struct Case {
        const char* host;
        int port;
        const char* database;
        bool logsIn;
    };
    const Case cases[] = {
        {"127.0.0.1", 0, "", true},
        {"127.0.0.1", server.Port(), "main", true},
        {"127.0.0.1", server.Port() + 1, "", false},  // the port rules it out
        {"127.0.0.1", 0, "other", false},             // so does the database
        {"elsewhere", 0, "", false},
    };
    for (const Case& c : cases) {
        CzorAPI api;
        api.SetHideMode(true);
        EXPECT_EQ(api.Connect(c.host, "user", "pw", c.port, c.database), c.logsIn) << c.host << " " << c.port;
        EXPECT_EQ(api.Store().IsConnected(), c.logsIn);
        if (c.logsIn) {
            // Connected already: the session stays.
            EXPECT_TRUE(api.Connect(nullptr, nullptr, nullptr, 0, ""));
        } else {
            EXPECT_EQ(api.Store().GetLastZorError(), ZOR_NET_CLI_ERROR_PROCESSED);
        }
        EXPECT_TRUE(api.Disconnect());
        EXPECT_FALSE(api.Store().IsConnected());
    }
    EXPECT_THAT(messages.Texts(), IsEmpty());
}

}  // namespace
}  // namespace quillmark
