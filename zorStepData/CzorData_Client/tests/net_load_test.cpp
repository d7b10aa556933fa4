// A short load run: several clients at once against one server, every loaded value and every
// blob byte checked. The long run with its figures is bench/bench_net.
#include <gtest/gtest.h>

#include "platform/tests/test_support.h"
#include "zorStepData/CzorData_Client/tests/net_load_run.h"

namespace {

TEST(NetLoad, ShortRunOfFourClientsLosesAndMixesNothing) {
    zor::test::ScopedTempDir data, config;
    ASSERT_TRUE(zor::test::MakeLoadDatabase(data.Path(), 2000));
    zor::appserver::ServerOptions o;
    o.dataDir = data.Path();
    o.port = 0;
    zor::appserver::AppServer server(o);
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(zor::test::SetUpLoadConnection(config.Path(), server.Port()));
    const auto r = zor::test::RunLoad(4, 1.5, 2000, 1536 * 1024, 4);
    EXPECT_EQ(r.failures, 0) << r.firstError;
    EXPECT_EQ(r.wrong, 0);
    EXPECT_GT(r.loads, 0);
    EXPECT_GT(r.instances, 100 * r.loads - 1);
    EXPECT_GT(r.blobs, 0);
    ::unsetenv("ZOR_TRANSPORT_INI");
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
