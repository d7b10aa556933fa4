// The request procedure's retry policy with a scripted retry dialog, and the dialog's countdown.
#include <gtest/gtest.h>

#include <deque>

#include "platform/ui/messages.h"
#include "zorStepData/CzorData_Client/net_ui.h"
#include "zorStepData/CzorData_Client/retry_dialog.h"
#include "zorStepData/CzorData_Client/tests/command_table.h"

using namespace zor::test;

namespace {

// Answers the retry dialog from a script and keeps what it was shown.
class ScriptedNetUi : public zor::net::INetUi {
public:
    struct Step { bool retry; bool tick; };
    std::deque<Step> script;
    std::vector<std::string> shown;
    int RunRetryDialog(CDlgTransportError& dlg) override {
        shown.push_back(dlg.m_message);
        if (script.empty()) return dlg.Skip();
        const Step s = script.front();
        script.pop_front();
        return s.retry ? dlg.Retry(s.tick) : dlg.Skip();
    }
    bool Ask(const std::string&, const std::string&) override { return false; }
    void Tell(const std::string&, const std::string&, unsigned) override {}
};

class ScopedNetUi {
public:
    explicit ScopedNetUi(zor::net::INetUi* ui) : m_old(zor::net::SetNetUi(ui)) {}
    ~ScopedNetUi() { zor::net::SetNetUi(m_old); }
private:
    zor::net::INetUi* m_old;
};

const char* kCountText = "\r\nОперация выполнена неудачно 30 раз подряд!";

}  // namespace

TEST(RetryPolicy, Table) {
    struct Case {
        const char* what;
        std::vector<ScriptedNetUi::Step> script;
        int failures;     // replies with status 106 before a success (-1: never succeeds)
        int offer;        // 0: no failure carries the retry offer; 1: only the first does; 2: all do
        bool fallBack;    // a client that fell back to version 1
        bool result;
        size_t requests;
        size_t dialogs;
        bool countText;   // the last dialog shows the count text
        bool hide = false;  // hide mode
    };
    const std::vector<Case> cases = {
        {"no offer: no repetition", {}, -1, 0, false, false, 1, 0, false},
        {"offer, Skip", {{false, false}}, -1, 1, false, false, 1, 1, false},
        {"offer, Retry, then success", {{true, false}}, 1, 1, false, true, 2, 1, false},
        {"offer, Retry unticked, no offer on the next failure", {{true, false}}, -1, 1, false, false, 2, 1, false},
        {"Retry ticked, 29 silent repetitions, then the dialog again",
         {{true, true}, {false, false}}, -1, 2, false, false, 31, 2, true},
        {"Retry ticked: repetition goes on whatever the later offers", {{true, true}}, 10, 1, false, true, 11, 1, false},
        {"a fallen-back client reads no offer", {}, -1, 2, true, false, 1, 0, false},
        {"hide mode still offers the repetition", {{true, false}}, 1, 2, false, true, 2, 1, false, true},
        {"hide mode, Skip", {{false, false}}, -1, 2, false, false, 1, 1, false, true},
    };
    for (const auto& c : cases) {
        ScriptedNetUi ui;
        ui.script.assign(c.script.begin(), c.script.end());
        ScopedNetUi scoped(&ui);
        int served = 0;
        int version = c.fallBack ? 1 : 2;
        ScriptedPeer peer([&](const Bytes& r) -> std::optional<Bytes> {
            if (CommandOf(r) == 25) {
                if (VersionOf(r) == 2 && c.fallBack) return Le({1, 0, 1, 25, 150});
                return NormalReply(VersionOf(r), 25, "lb", 0, Cat({Le({12304}), Bytes(12304, 0)}));
            }
            const int n = served++;
            if (c.failures >= 0 && n >= c.failures) return NormalReply(version, 43, "lb", 0, Cat({Le({1}), {9}}));
            const bool offer = c.offer == 2 || (c.offer == 1 && n == 0);
            return NormalReply(version, 43, "lb", 106, {}, version == 2 ? (offer ? 1 : 0) : -1);
        });
        CTransportSocketClient client;
        client.SetHideMode(c.hide);
        ASSERT_TRUE(client.Connect("127.0.0.1", peer.Port()));
        if (c.fallBack) {
            int st = 0, len = 0;
            ASSERT_TRUE(client.RequestLogin(st, len, nullptr, nullptr));
        }
        int st = -1;
        CzorDataBuf body = BufOf({1}), reply;
        EXPECT_EQ(client.RequestLoad(st, body, reply), c.result) << c.what;
        EXPECT_EQ(st, c.result ? 0 : 106) << c.what;
        EXPECT_EQ(served, static_cast<int>(c.requests)) << c.what;
        ASSERT_EQ(ui.shown.size(), c.dialogs) << c.what;
        if (c.dialogs) {
            EXPECT_EQ(ui.shown.front().rfind("Сообщение с сервера приложений: Ошибка при обработке данных", 0), 0u) << c.what;
            EXPECT_NE(ui.shown.back().find("\r\nПовторить операцию?"), std::string::npos) << c.what;
            EXPECT_EQ(ui.shown.back().find(kCountText) != std::string::npos, c.countText) << c.what;
        }
        if (c.result) {
            EXPECT_EQ(reply.GetSize(), 1u) << c.what;
        }
    }
}

TEST(RetryPolicy, EveryRepetitionSendsTheSameRequest) {
    ScriptedNetUi ui;
    ui.script = {{true, true}};
    ScopedNetUi scoped(&ui);
    int n = 0;
    ScriptedPeer peer([&](const Bytes&) -> std::optional<Bytes> {
        const int k = n++;
        if (k < 3) return NormalReply(2, 43, "lb", 106, {}, k == 0 ? 1 : 0);
        return NormalReply(2, 43, "lb", 0, Le({0}));
    });
    CTransportSocketClient client;
    ASSERT_TRUE(client.Connect("127.0.0.1", peer.Port()));
    int st = -1;
    CzorDataBuf body = BufOf({5, 6}), reply;
    EXPECT_TRUE(client.RequestLoad(st, body, reply));
    const auto reqs = peer.Requests();
    ASSERT_EQ(reqs.size(), 4u);
    for (const auto& r : reqs) EXPECT_EQ(r, Cat({Le({2, 43, 2}), Str("lb"), {0}, Le({2}), {5, 6}}));
}

// In a batch run (the network UI nobody replaced) a hidden request's retry offer is declined at once.
TEST(RetryPolicy, HiddenRequestInABatchRunIsDeclinedWithoutWaiting) {
    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scopedSink(&sink);
    int served = 0;
    ScriptedPeer peer([&](const Bytes&) -> std::optional<Bytes> {
        ++served;
        return NormalReply(2, 43, "lb", 106, {}, 1);
    });
    CTransportSocketClient client;
    client.SetHideMode(true);
    ASSERT_TRUE(client.Connect("127.0.0.1", peer.Port()));
    int st = -1;
    CzorDataBuf body = BufOf({1}), reply;
    EXPECT_FALSE(client.RequestLoad(st, body, reply));
    EXPECT_EQ(st, 106);
    EXPECT_EQ(served, 1);
    ASSERT_EQ(sink.Texts().size(), 1u);
    EXPECT_NE(sink.Texts()[0].find("\r\nПовторить операцию?"), std::string::npos);
}

TEST(RetryPolicy, BatchRunsNeverWait) {
    zor::RecordingMessageSink sink;  // answers Yes to a question nobody queued an answer for
    zor::ScopedMessageSink scopedSink(&sink);
    zor::net::BatchNetUi batch;
    CDlgTransportError dlg;
    dlg.m_countdown = 10;
    dlg.m_message = "m";
    EXPECT_EQ(batch.RunRetryDialog(dlg), CDlgTransportError::kSkip);
    EXPECT_FALSE(batch.Ask("q?", "c"));
    EXPECT_EQ(sink.Texts(), (std::vector<std::string>{"m", "q?"}));
}

TEST(RetryDialog, CountdownStopAndSkip) {
    CDlgTransportError dlg;
    dlg.m_countdown = 10;
    dlg.Open();
    EXPECT_TRUE(dlg.Running());
    EXPECT_FALSE(dlg.Tick());
    EXPECT_EQ(dlg.RetryText(), "Повторить автоматически через 9 с");
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(dlg.Tick());
    EXPECT_EQ(dlg.RetryText(), "Повторить автоматически через 1 с");
    EXPECT_TRUE(dlg.Tick());  // the tenth second retries by itself
    EXPECT_EQ(dlg.m_countdown, 0);
    // A countdown that ran out stays at 0: the next run waits for the user.
    dlg.Open();
    EXPECT_FALSE(dlg.Running());
    EXPECT_FALSE(dlg.Tick());
    EXPECT_EQ(dlg.RetryText(), "Повторить");

    CDlgTransportError stop;
    stop.m_countdown = 5;
    stop.Open();
    stop.Tick();
    stop.Stop();
    EXPECT_EQ(stop.RetryText(), "Повторить");
    EXPECT_FALSE(stop.Tick());
    EXPECT_EQ(stop.m_countdown, 4);

    CDlgTransportError skip;
    skip.m_repeatAuto = 0;
    EXPECT_EQ(skip.Skip(), CDlgTransportError::kSkip);
    EXPECT_EQ(skip.m_repeatAuto, 0);  // the box's state is not taken on Skip
    EXPECT_EQ(skip.Retry(true), CDlgTransportError::kRetry);
    EXPECT_EQ(skip.m_repeatAuto, 1);
}
