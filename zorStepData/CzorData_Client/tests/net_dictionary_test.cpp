// The dictionary as a server file: downloaded at login into a private file of the process, the
// direct path when the download fails, and a login that ends disconnected when neither works.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "platform/appserver/dictionary_file.h"
#include "platform/base/config_paths.h"
#include "platform/base/tempfile.h"
#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"

using namespace zor::test;

namespace {

std::set<std::string> PrivateFiles() {
    std::set<std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(zor::PrivateTempDir(), ec)) out.insert(e.path().string());
    return out;
}

class NetDictionaryTest : public NetStoreTest {
protected:
    // A second server whose dictionary is a copy at `file`, with database "main"; the connection
    // "test" is pointed at it.
    void ServeDictionaryAs(const std::string& file) {
        std::string text;
        ASSERT_TRUE(zor::ReadWholeFile(QM_DICT_DIR "/quillmark.dict", text));
        ASSERT_TRUE(zor::WriteFileAtomically(file, text));
        MakeDatabase(data.Path());
        zor::appserver::ServerOptions o;
        o.dataDir = data.Path();
        o.port = 0;
        o.dictionary = file;
        own = std::make_unique<zor::appserver::AppServer>(o);
        ASSERT_TRUE(own->Start());
        WriteConnections({"test=127.0.0.1:" + std::to_string(own->Port()) + "/main"});
    }
    void FailDownload(zor::appserver::AppServer& s, int32_t command, zor::appserver::FaultAction action, int value) {
        zor::appserver::FaultRule rule;
        rule.command = command;
        rule.times = 1;
        rule.action = action;
        rule.value = value;
        s.Faults().Add(rule);
    }
    ScopedTempDir data, dictDir;
    std::unique_ptr<zor::appserver::AppServer> own;
};

TEST_F(NetDictionaryTest, TheServerFileIsDownloadedIntoAPrivateFileThatGoesAtDisconnection) {
    ASSERT_TRUE(Login()) << store->GetLastErrorDescription();
    const std::string file = store->GetDictFileName();
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(std::filesystem::path(file).parent_path(), std::filesystem::path(zor::PrivateTempDir()));
    EXPECT_EQ(std::filesystem::path(file).filename().string().rfind("main_", 0), 0u) << file;
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::string served, got;
    ASSERT_TRUE(zor::ReadWholeFile(zor::InstalledDictDir() + "quillmark.dict", served));
    ASSERT_TRUE(zor::ReadWholeFile(file, got));
    EXPECT_EQ(got, served);
    EXPECT_NE(store->GetEntityBN("zor_point"), nullptr);

    // The served file can be read like a blob but never deleted through the blob commands.
    std::vector<unsigned char> bytes(served.size() + 1);
    long size = static_cast<long>(bytes.size());
    EXPECT_TRUE(store->NET_LoadFileFromSrv2Memory(zor::appserver::kDictionaryServerName, bytes.data(), size, nullptr));
    EXPECT_EQ(size, static_cast<long>(served.size()));
    CzorInstance* holder = store->CreateInstanceBN("zor_table_content");
    holder->SetId(4500);
    CzorAttr* title = store->GetAttrDefinition(holder->GetEntity(), "title");
    ASSERT_TRUE(store->PutAttr(holder, title, std::string(zor::appserver::kDictionaryServerName)));
    store->SetHideMode(true);
    EXPECT_FALSE(store->NET_DeleteBlob(holder, title, nullptr));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_SRV_ACCESS_DENY);

    store->NET_Disconnect();
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(store->GetDictFileName().empty());
    // Another login downloads it again and still works.
    ASSERT_TRUE(Login()) << store->GetLastErrorDescription();
    EXPECT_TRUE(std::filesystem::exists(store->GetDictFileName()));
}

// Each broken download: the direct path takes over; nothing of the download is left behind.
TEST_F(NetDictionaryTest, ABrokenDownloadFallsBackToTheDirectPath) {
    struct Case { const char* what; int32_t command; zor::appserver::FaultAction action; int value; } cases[] = {
        {"open refused", zor::net::kCmdOpenBlob, zor::appserver::FaultAction::Status, ZOR_NET_SRV_BLOB_NOT_FOUND},
        {"a short stream", zor::net::kCmdReadBlobPortion, zor::appserver::FaultAction::CutPayload, 100},
        {"a portion refused", zor::net::kCmdReadBlobPortion, zor::appserver::FaultAction::Status, ZOR_NET_SRV_ZORAPIERR_FILE_IO},
    };
    for (const auto& c : cases) {
        const auto before = PrivateFiles();
        server->Server().Faults().Clear();
        FailDownload(server->Server(), c.command, c.action, c.value);
        ASSERT_TRUE(Login()) << c.what << ": " << store->GetLastErrorDescription();
        EXPECT_TRUE(store->GetDictFileName().empty()) << c.what;
        EXPECT_NE(store->GetEntityBN("zor_point"), nullptr) << c.what;
        EXPECT_EQ(store->GetLastZorError(), 0) << c.what;
        EXPECT_TRUE(sink.Messages().empty()) << c.what;
        EXPECT_EQ(PrivateFiles(), before) << c.what;
        ASSERT_NE(store->GetInstById(4001), nullptr) << c.what;
        store->NET_Disconnect();
    }
}

TEST_F(NetDictionaryTest, WithoutADirectPathABrokenDownloadEndsTheLoginDisconnected) {
    // A dictionary file without the ".dict" ending has no direct path.
    ServeDictionaryAs(dictDir.Path() + "/served_dictionary");
    const auto before = PrivateFiles();
    store->SetHideMode(true);
    FailDownload(*own, zor::net::kCmdReadBlobPortion, zor::appserver::FaultAction::Status, ZOR_NET_SRV_ZORAPIERR_FILE_IO);
    EXPECT_FALSE(Login());
    EXPECT_FALSE(store->IsConnected());
    EXPECT_FALSE(store->GetTransport()->IsConnected());
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_SRV_ZORAPIERR_FILE_IO);
    EXPECT_STRNE(store->GetLastErrorDescription(), "");
    EXPECT_EQ(PrivateFiles(), before);
    // The download alone is enough when it works.
    own->Faults().Clear();
    ASSERT_TRUE(Login()) << store->GetLastErrorDescription();
    EXPECT_FALSE(store->GetDictFileName().empty());
    EXPECT_NE(store->GetEntityBN("zor_point"), nullptr);
}

}  // namespace
