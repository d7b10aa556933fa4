// Queries of the networked store against our server on 127.0.0.1: preparing (silently and through a
// scripted editor that uses the editor's logic), running, and failures of the 32 exchange.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/transport/net_errors.h"
#include "zorStepData/CzorData_Client/query_edit.h"
#include "zorStepData/CzorData_Client/tests/net_query_run.h"
#include "platform/appserver/session.h"
#include "platform/transport/wire.h"
#include "platform/zordata/stepbuf.h"
#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"
#include "zorStepData/CzorData_Client/tests/scripted_peer.h"

using zor::appserver::FaultAction;
using zor::test::NetStoreTest;

namespace {

std::vector<int> Ids(const CzorTAggr<CzorInstance>& list) {
    std::vector<int> out;
    for (const CzorInstance* i : list) out.push_back(i->GetId());
    return out;
}

// The editor as a user drives it: what it was given, and a script of what the user does.
struct EditorUi : zor::test::ScriptedUi {
    std::function<bool(CQueryEditLogic&)> user;
    zor::net::QueryEditData seen;
    bool RunQueryEditDialog(zor::net::QueryEditData& d) override {
        seen = d;
        CQueryEditLogic logic(d);
        return user(logic);
    }
};

constexpr const char* kBigX = "select a from a{zor_point .x > 3} end_select";

}  // namespace

class NetQueryTest : public NetStoreTest {};

TEST_F(NetQueryTest, PrepareAndRunOnce) {
    ASSERT_TRUE(Login());
    std::string text = kBigX, error;
    ASSERT_TRUE(store->NET_QueryEditParse(text, false, &error)) << error;
    CzorTAggr<CzorInstance> result(8, false, false);
    ASSERT_TRUE(store->NET_QueryExecute(result));
    EXPECT_EQ(Ids(result), std::vector<int>{4002});
    int x = 0;
    EXPECT_TRUE(store->GetAttrBN(result.GetAt(0), "x", x));
    EXPECT_EQ(x, 5);
    // A query runs once.
    EXPECT_FALSE(store->NET_QueryExecute(result));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_MISSED_DATA);
    EXPECT_TRUE(result.IsEmpty());
    // The instances of a list are looked up (and loaded) while parsing.
    text = "select a or b from a{#4001} b{zor_point .y = 4} end_select";
    ASSERT_TRUE(store->NET_QueryEditParse(text, false, &error)) << error;
    ASSERT_TRUE(store->NET_QueryExecute(result, "Ищем"));
    EXPECT_EQ(Ids(result), std::vector<int>{4001});
    // An id that names no instance is refused, also as a reference value.
    for (const char* bad : {"select a from a{#4999} end_select", "select a from a{zor_condition .column = #4999} end_select"}) {
        text = bad;
        EXPECT_FALSE(store->NET_QueryEditParse(text, false, &error));
        EXPECT_NE(error.find("Несуществующий номер #INSTANCE"), std::string::npos) << error;
    }
}

TEST_F(NetQueryTest, SilentPreparationFailures) {
    std::string text = kBigX, error;
    EXPECT_FALSE(store->NET_QueryEditParse(text, false, &error));
    EXPECT_EQ(error, "Не присоединены к базе");
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_NOT_CONNECT);
    ASSERT_TRUE(Login());
    ASSERT_TRUE(store->NET_QueryEditParse(text, false, &error));
    // An empty text: the previous prepared query is gone.
    text.clear();
    EXPECT_FALSE(store->NET_QueryEditParse(text, false, &error));
    EXPECT_EQ(error, "Отсутствует текст запроса");
    ASSERT_NE(store->GetPreparedQuery(), nullptr);
    EXPECT_FALSE(store->GetPreparedQuery()->m_bValid);
    EXPECT_EQ(store->GetPreparedQuery()->m_pRoot, nullptr);
    CzorTAggr<CzorInstance> result(8, false, false);
    EXPECT_FALSE(store->NET_QueryExecute(result));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_MISSED_DATA);
    // An error at a three-character token that begins line 2; the failed tree is never sent.
    text = "select a\r\nfoo";
    EXPECT_FALSE(store->NET_QueryEditParse(text, false, &error));
    EXPECT_EQ(error, "Ошибка в строке 2 позиция 4 :Ожидается AND, OR, ')' или FROM");
    EXPECT_FALSE(store->NET_QueryExecute(result));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_MISSED_DATA);
    // A character the wire cannot carry: its own column.
    text = "select a from a{zor_col .name = '✓'} end_select";
    EXPECT_FALSE(store->NET_QueryEditParse(text, false, &error));
    EXPECT_EQ(error, "Ошибка в строке 1 позиция 34 :Недопустимое строковое значение");
}

TEST_F(NetQueryTest, TheEditorsModes) {
    ASSERT_TRUE(Login());
    EditorUi editor;
    zor::net::SetNetUi(&editor);
    std::string text = kBigX, error, name = "old";
    bool save = false, show = true;
    // Mode 1: read-only until the user starts editing; the mode comes back 0.
    int mode = 1;
    editor.user = [&](CQueryEditLogic& l) {
        EXPECT_TRUE(l.IsTextReadOnly());
        EXPECT_FALSE(l.CanLoadFile());
        EXPECT_TRUE(l.CanStartEditing());
        l.StartEditing();
        EXPECT_FALSE(l.IsTextReadOnly());
        return l.Execute("select b from b{zor_point .y not exist 0} end_select").ok;
    };
    ASSERT_TRUE(store->NET_QueryEditParse(text, true, &error, &mode, &name, &save, &show)) << error;
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(text, "select b from b{zor_point .y not exist 0} end_select");
    EXPECT_TRUE(editor.seen.nameEnabled);
    CzorTAggr<CzorInstance> result(8, false, false);
    // The editor's parser is gone; the prepared query holds the tree alone.
    ASSERT_TRUE(store->NET_QueryExecute(result));
    EXPECT_EQ(Ids(result), std::vector<int>{4002});
    // Mode 2: neither editable nor is the name returned.
    mode = 2;
    editor.user = [&](CQueryEditLogic& l) {
        EXPECT_TRUE(l.IsNameReadOnly());
        EXPECT_FALSE(l.CanStartEditing());
        l.Data().name = "changed";
        return l.Execute(l.InitialText()).ok || true;
    };
    text = kBigX;
    ASSERT_TRUE(store->NET_QueryEditParse(text, true, &error, &mode, &name, &save, &show)) << error;
    EXPECT_EQ(name, "old");
    EXPECT_EQ(mode, 1);
    // OK without a successful check, and Cancel.
    editor.user = [&](CQueryEditLogic& l) { return !l.Execute("select").ok; };
    EXPECT_FALSE(store->NET_QueryEditParse(text, true, &error));
    EXPECT_EQ(error, "Неверный ввод текста запроса");
    EXPECT_FALSE(store->NET_QueryExecute(result));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_MISSED_DATA);
    editor.user = [&](CQueryEditLogic&) { return false; };
    EXPECT_FALSE(store->NET_QueryEditParse(text, true, &error));
    EXPECT_EQ(error, "Отмена ввода запроса");
    zor::net::SetNetUi(&ui);
}

TEST_F(NetQueryTest, FailedExchangesKeepThePreparedQueryAndMergeNothing) {
    struct Row {
        const char* what;
        zor::appserver::FaultRule rule;
        int status;
    };
    const auto r = [](FaultAction a, int value = 0) { return zor::appserver::FaultRule{32, 0, 0, a, value, false, 1}; };
    const Row rows[] = {
        {"killed at the start of the reply", r(FaultAction::CloseAfter, 0), ZOR_SOCK_CONNECT_FAULT},
        {"killed mid-reply", r(FaultAction::CloseAfter, 40), ZOR_SOCK_CONNECT_FAULT},
        {"reset", r(FaultAction::Reset), ZOR_SOCK_CONNECT_FAULT},
        {"cut reply", r(FaultAction::CutPayload, 10), ZOR_NET_CLI_MISSED_DATA_FROM_SERVER},
        {"body length beyond the reply", r(FaultAction::LengthBeyond), ZOR_NET_CLI_MISSED_DATA_FROM_SERVER},
        {"negative body length", r(FaultAction::LengthNegative), ZOR_NET_CLI_MISSED_DATA_FROM_SERVER},
        {"a server status", r(FaultAction::Status, ZOR_NET_SRV_ZORAPIERR_QUERY_ERROR), ZOR_NET_SRV_ZORAPIERR_QUERY_ERROR},
    };
    ASSERT_TRUE(Login());
    store->SetNetErrorMessageMode(false);
    for (const Row& row : rows) {
        ui.answers.assign(4, true);  // reconnect after a lost link
        std::string text = kBigX, error;
        ASSERT_TRUE(store->NET_QueryEditParse(text, false, &error)) << row.what;
        const int before = store->GetInstanceCount();
        server->Server().Faults().Add(row.rule);
        CzorTAggr<CzorInstance> result(8, false, false);
        EXPECT_FALSE(store->NET_QueryExecute(result)) << row.what;
        EXPECT_EQ(store->GetLastZorError(), row.status) << row.what;
        EXPECT_TRUE(result.IsEmpty()) << row.what;
        EXPECT_EQ(store->GetInstanceCount(), before) << row.what;
        ASSERT_NE(store->GetPreparedQuery(), nullptr) << row.what;
        EXPECT_TRUE(store->GetPreparedQuery()->m_bValid) << row.what;
        server->Server().Faults().Clear();
    }
}

TEST_F(NetQueryTest, AStallBrokenByTheUser) {
    ASSERT_TRUE(Login());
    store->SetNetErrorMessageMode(false);
    std::string text = kBigX, error;
    ASSERT_TRUE(store->NET_QueryEditParse(text, false, &error));
    server->Server().Faults().Add({32, 0, 0, FaultAction::Stall, 0, false, 1});
    std::thread breaker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        store->GetTransport()->SetBreak(true);
    });
    CzorTAggr<CzorInstance> result(8, false, false);
    EXPECT_FALSE(store->NET_QueryExecute(result));
    breaker.join();
    EXPECT_EQ(store->GetLastZorError(), 183);
    EXPECT_TRUE(store->GetPreparedQuery()->m_bValid);
    server->Server().Faults().Clear();
}

// A short run of the query load (bench/bench_query runs it for 30 s): every result right, no failure.
TEST(NetQueryLoad, ClientsRunAMixOfQueries) {
    zor::test::ScopedTempDir data, config;
    ASSERT_TRUE(zor::test::MakeLoadDatabase(data.Path(), 700));
    zor::appserver::ServerOptions o;
    o.dataDir = data.Path();
    o.port = 0;
    o.dictionary = std::string(QM_DICT_DIR) + "/quillmark.dict";
    zor::appserver::AppServer server(o);
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(zor::test::SetUpLoadConnection(config.Path(), server.Port()));
    const auto r = zor::test::RunQueries(4, 1.5, 700);
    EXPECT_EQ(r.failures, 0) << r.firstError;
    EXPECT_EQ(r.wrong, 0);
    EXPECT_GT(r.queries, 3);
    ::unsetenv("ZOR_TRANSPORT_INI");
    ::unsetenv("XDG_CONFIG_HOME");
}

// A reply whose instance buffer announces more instances than it holds: a peer in front of our server
// raises the count in the 32 reply; the client refuses the reply whole and keeps its query.
TEST_F(NetQueryTest, AReplyCountingMoreInstancesThanItHoldsMergesNothing) {
    zor::appserver::Session session(server->Server(), -1);
    std::atomic<int> patched{0};
    zor::test::ScriptedPeer peer([&](const zor::test::Bytes& request) -> std::optional<zor::test::Bytes> {
        std::vector<unsigned char> reply = session.Handle(request.data(), request.size());
        if (request.size() >= 8 && zor::net::LoadI32(request.data() + 4) == 32) {
            const std::string sig(kzorStepDataSignature, kzorStepDataSignatureSize);
            auto at = std::search(reply.begin(), reply.end(), sig.begin(), sig.end());
            if (at != reply.end()) {
                const size_t text = static_cast<size_t>(at - reply.begin()) + sig.size();
                const size_t count = text + 4 + static_cast<size_t>(zor::net::LoadI32(reply.data() + text)) + 4;
                zor::net::StoreI32(reply.data() + count, zor::net::LoadI32(reply.data() + count) + 5);
                ++patched;
            }
        }
        return zor::test::Bytes(reply.begin(), reply.end());
    });
    WriteConnections({"test=127.0.0.1:" + std::to_string(peer.Port()) + "/main"});
    ASSERT_TRUE(Login());
    std::string text = kBigX, error;
    ASSERT_TRUE(store->NET_QueryEditParse(text, false, &error)) << error;
    const int before = store->GetInstanceCount();
    CzorTAggr<CzorInstance> result(8, false, false);
    EXPECT_FALSE(store->NET_QueryExecute(result));
    EXPECT_EQ(patched.load(), 1);
    EXPECT_EQ(store->GetLastZorError(), zorErrBadEntity);  // the headers the count promises are not there
    EXPECT_TRUE(result.IsEmpty());
    EXPECT_EQ(store->GetInstanceCount(), before);
    ASSERT_NE(store->GetPreparedQuery(), nullptr);
    EXPECT_TRUE(store->GetPreparedQuery()->m_bValid);
}

// The server program killed while it holds back a 32 reply: a connection fault, nothing merged, the
// query still prepared; the user declines to reconnect.
TEST_F(NetQueryTest, ServerKilledDuringTheReply) {
    zor::test::ScopedTempDir data;
    zor::test::MakeDatabase(data.Path());
    zor::test::ServerProcess proc(data.Path(), 0, "32:1:delay:5000");
    ASSERT_NE(proc.Port(), 0);
    WriteConnections({"test=127.0.0.1:" + std::to_string(proc.Port()) + "/main"});
    ASSERT_TRUE(Login());
    std::string text = "select a from a{zor_user} end_select", error;
    ASSERT_TRUE(store->NET_QueryEditParse(text, false, &error)) << error;
    const int before = store->GetInstanceCount();
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        proc.Kill(SIGKILL);
    });
    CzorTAggr<CzorInstance> result(8, false, false);
    EXPECT_FALSE(store->NET_QueryExecute(result));
    killer.join();
    EXPECT_EQ(store->GetLastZorError(), ZOR_SOCK_CONNECT_FAULT);
    EXPECT_TRUE(result.IsEmpty());
    EXPECT_EQ(store->GetInstanceCount(), before);
    EXPECT_TRUE(store->GetPreparedQuery()->m_bValid);
}
