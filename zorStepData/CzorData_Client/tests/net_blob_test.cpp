// Blobs and server files against our server on 127.0.0.1: sizes around the portion, the progress
// window, checksums, abort, replacing a file, the pending deletion of replaced blobs, and transfers
// that break (a cut reply, a killed connection, a full disk) leaving the target untouched.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>

#include "zorStepData/CzorData_Client/tests/net_store_fixture.h"

using namespace zor::test;

namespace {

constexpr long MiB = 0x100000;

class NetBlobTest : public NetStoreTest {
protected:
    void SetUp() override {
        NetStoreTest::SetUp();
        ASSERT_TRUE(Login()) << store->GetLastErrorDescription();
        store->SetHideMode(false);
        // A string attribute to hold the blobs' names: the title of a table-of-contents entry.
        holder = store->CreateInstanceBN("zor_table_content");
        holder->SetId(4500);
        attr = store->GetAttrDefinition(holder->GetEntity(), "title");
        ASSERT_NE(attr, nullptr);
    }
    static std::string Random(long n, unsigned seed) {
        std::mt19937 rng(seed);
        std::string s(static_cast<size_t>(n), '\0');
        for (auto& c : s) c = static_cast<char>(rng());
        return s;
    }
    static long Sum(const std::string& s) {
        long sum = 0;
        for (unsigned char c : s) sum += c;
        return sum;
    }
    std::string Path(const std::string& name) const { return config.Path() + "/" + name; }
    std::string Name() {
        std::string n;
        store->GetAttr(holder, attr, n);
        return n;
    }
    // The files of the server's blob folder (part files included).
    std::vector<std::string> ServerFiles() {
        std::vector<std::string> out;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(server->Dir() + "/main.qmdb.blobs", ec))
            out.push_back(e.path().filename().string());
        return out;
    }
    std::vector<std::string> LocalFiles() {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(config.Path())) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    CzorInstance* holder = nullptr;
    CzorAttr* attr = nullptr;
};

TEST_F(NetBlobTest, SizesAroundThePortionRoundTripByteExact) {
    struct Case { long size; int filePortions; bool progress; } cases[] = {
        {0, 1, false}, {1, 1, false}, {MiB, 2, false}, {2 * MiB, 3, false}, {2 * MiB + 1, 3, true}, {3 * MiB + 7, 4, true},
    };
    unsigned seed = 1;
    for (const auto& c : cases) {
        const std::string bytes = Random(c.size, seed++);
        ASSERT_TRUE(zor::WriteFileAtomically(Path("in.bin"), bytes));
        // From a file.
        ui.progressShown = ui.percentCalls = 0;
        long checksum = 5;
        ASSERT_TRUE(store->NET_SaveBlob(holder, attr, Path("in.bin").c_str(), checksum, nullptr, nullptr))
            << c.size << ": " << store->GetLastErrorDescription();
        EXPECT_EQ(checksum, 5 + Sum(bytes)) << c.size;
        EXPECT_EQ(ui.progressShown, c.progress ? 1 : 0) << c.size;
        if (c.progress) {
            EXPECT_EQ(ui.percentCalls, c.filePortions) << c.size;
        }
        const std::string fromFile = Name();
        EXPECT_FALSE(fromFile.empty());
        long size = -1;
        ASSERT_TRUE(store->NET_GetBlobSize(holder, attr, size, nullptr));
        EXPECT_EQ(size, c.size);
        // Into a file and into memory.
        std::filesystem::remove(Path("out.bin"));
        ui.progressShown = 0;
        ASSERT_TRUE(store->NET_LoadBlob(holder, attr, Path("out.bin").c_str(), nullptr)) << store->GetLastErrorDescription();
        EXPECT_EQ(ui.progressShown, c.progress ? 1 : 0) << c.size;
        EXPECT_TRUE(Slurp(Path("out.bin")) == bytes) << c.size;
        std::vector<unsigned char> mem(static_cast<size_t>(c.size) + 16, 0xEE);
        long got = static_cast<long>(mem.size());
        ASSERT_TRUE(store->NET_LoadBlob2Memory(holder, attr, mem.data(), got, nullptr));
        EXPECT_EQ(got, c.size);
        EXPECT_EQ(std::memcmp(mem.data(), bytes.data(), bytes.size()), 0) << c.size;
        EXPECT_EQ(mem[static_cast<size_t>(c.size)], 0xEE);  // nothing past the contents
        // From memory: the last flag on the portion that reaches the end.
        ui.progressShown = ui.percentCalls = 0;
        checksum = 0;
        ASSERT_TRUE(store->NET_SaveFileFromMemory(holder, attr, reinterpret_cast<const unsigned char*>(bytes.data()), c.size,
                                                  checksum, nullptr));
        EXPECT_EQ(checksum, Sum(bytes));
        if (c.progress) {
            EXPECT_EQ(ui.percentCalls, (c.size + MiB - 1) / MiB) << c.size;
        }
        EXPECT_NE(Name(), fromFile);
        got = static_cast<long>(mem.size());
        ASSERT_TRUE(store->NET_LoadBlob2Memory(holder, attr, mem.data(), got, nullptr));
        EXPECT_EQ(got, c.size);
        EXPECT_EQ(std::memcmp(mem.data(), bytes.data(), bytes.size()), 0) << c.size;
    }
}

TEST_F(NetBlobTest, ReplacedBlobsGoOnlyWithThePendingDeletions) {
    long checksum = 0;
    const unsigned char one[] = {1, 2, 3};
    ASSERT_TRUE(store->NET_SaveFileFromMemory(holder, attr, one, 3, checksum, nullptr));
    const std::string first = Name();
    ASSERT_TRUE(store->NET_SaveFileFromMemory(holder, attr, one, 2, checksum, nullptr));
    const std::string second = Name();
    ASSERT_EQ(store->PendingBlobDeletions(), std::vector<std::string>{first});
    unsigned char buf[8];
    long size = sizeof buf;
    EXPECT_TRUE(store->NET_LoadFileFromSrv2Memory(first.c_str(), buf, size, nullptr));  // still there
    EXPECT_TRUE(store->DeletePendingBlobs());
    EXPECT_TRUE(store->PendingBlobDeletions().empty());
    size = sizeof buf;
    store->SetHideMode(true);
    EXPECT_FALSE(store->NET_LoadFileFromSrv2Memory(first.c_str(), buf, size, nullptr));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_SRV_BLOB_NOT_FOUND);
    // Deleting the current one empties the attribute.
    EXPECT_TRUE(store->NET_DeleteBlob(holder, attr, nullptr));
    EXPECT_EQ(Name(), "");
    EXPECT_EQ(ServerFiles().size(), 0u);
}

TEST_F(NetBlobTest, ABufferTooSmallEndsTheTransferWith171) {
    long checksum = 0;
    const std::string bytes = Random(100, 7);
    ASSERT_TRUE(store->NET_SaveFileFromMemory(holder, attr, reinterpret_cast<const unsigned char*>(bytes.data()), 100,
                                              checksum, nullptr));
    std::vector<unsigned char> small(99);
    long size = 99;
    store->SetHideMode(true);
    EXPECT_FALSE(store->NET_LoadBlob2Memory(holder, attr, small.data(), size, nullptr));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_MISSED_DATA);
    // The transfer was ended: the next one works on the same connection.
    long total = 0;
    EXPECT_TRUE(store->NET_GetBlobSize(holder, attr, total, nullptr));
    EXPECT_EQ(total, 100);
    // Portion by portion with a small buffer.
    std::string back;
    unsigned char part[40];
    long n = sizeof part;
    bool last = false;
    ASSERT_TRUE(store->NET_ReadFirstPortionFileFromSrv2Memory(Name().c_str(), part, n, last, nullptr));
    back.append(reinterpret_cast<char*>(part), static_cast<size_t>(n));
    while (!last) {
        n = sizeof part;
        ASSERT_TRUE(store->NET_ReadNextPortionFileFromSrv2Memory(part, n, last, nullptr));
        back.append(reinterpret_cast<char*>(part), static_cast<size_t>(n));
    }
    EXPECT_EQ(back, bytes);
    // A portion asked for with no transfer open keeps the server's own status.
    n = sizeof part;
    EXPECT_FALSE(store->NET_ReadNextPortionFileFromSrv2Memory(part, n, last, nullptr));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_SRV_BLOB_NOT_DEFINE);
}

TEST_F(NetBlobTest, AbortInAFourPortionTransferEndsItAndTheNextOperationWorks) {
    const std::string bytes = Random(3 * MiB + 7, 3);
    ASSERT_TRUE(zor::WriteFileAtomically(Path("in.bin"), bytes));
    store->SetHideMode(true);
    long checksum = 0;
    ui.abortAtCall = 2;
    EXPECT_FALSE(store->NET_SaveBlob(holder, attr, Path("in.bin").c_str(), checksum, nullptr, nullptr));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_BREAK);
    EXPECT_EQ(Name(), "");
    EXPECT_TRUE(ServerFiles().empty());  // the abandoned write left nothing
    double date = 0;
    EXPECT_TRUE(store->NET_GetServerDateTime(date));

    ui.abortAtCall = -1;
    ASSERT_TRUE(store->NET_SaveBlob(holder, attr, Path("in.bin").c_str(), checksum, nullptr, nullptr));
    ui.percentCalls = 0;
    ui.abortAtCall = 3;
    EXPECT_FALSE(store->NET_LoadBlob(holder, attr, Path("out.bin").c_str(), nullptr));
    EXPECT_EQ(store->GetLastZorError(), ZOR_NET_CLI_BREAK);
    EXPECT_FALSE(std::filesystem::exists(Path("out.bin")));
    EXPECT_TRUE(store->NET_GetServerDateTime(date));
    long size = 0;
    EXPECT_TRUE(store->NET_GetBlobSize(holder, attr, size, nullptr));
    EXPECT_EQ(size, 3 * MiB + 7);
}

TEST_F(NetBlobTest, AnExistingTargetIsAskedForAndNoKeepsIt) {
    long checksum = 0;
    const unsigned char data[] = {9, 9};
    ASSERT_TRUE(store->NET_SaveFileFromMemory(holder, attr, data, 2, checksum, nullptr));
    ASSERT_TRUE(zor::WriteFileAtomically(Path("out.bin"), "mine"));
    ui.answers = {false};
    EXPECT_FALSE(store->NET_LoadBlob(holder, attr, Path("out.bin").c_str(), nullptr));
    EXPECT_EQ(Slurp(Path("out.bin")), "mine");
    ASSERT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(ui.asked[0], "Файл " + Path("out.bin") + " существует. Заменить?");
    ui.answers = {true};
    EXPECT_TRUE(store->NET_LoadBlob(holder, attr, Path("out.bin").c_str(), nullptr));
    EXPECT_EQ(Slurp(Path("out.bin")), std::string("\x09\x09"));
}

// Each broken download: false with a status and text, the target as it was, no temporary file.
TEST_F(NetBlobTest, BrokenDownloadsLeaveTheTargetUntouched) {
    const std::string bytes = Random(3 * MiB + 7, 9);
    long checksum = 0;
    ASSERT_TRUE(store->NET_SaveFileFromMemory(holder, attr, reinterpret_cast<const unsigned char*>(bytes.data()),
                                              static_cast<long>(bytes.size()), checksum, nullptr));
    const std::string name = Name();
    store->SetHideMode(true);
    struct Case { const char* what; zor::appserver::FaultAction action; int value; bool fullDisk; } cases[] = {
        {"a cut reply in portion 2", zor::appserver::FaultAction::CutPayload, 100, false},
        {"the connection closed in portion 2", zor::appserver::FaultAction::CloseAfter, 1000, false},
        {"a reset in portion 2", zor::appserver::FaultAction::Reset, 0, false},
        {"a portion longer than asked", zor::appserver::FaultAction::CountAbove, 0, false},
        {"a full disk", zor::appserver::FaultAction::Delay, 0, true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(zor::WriteFileAtomically(Path("out.bin"), "mine"));
        const auto before = LocalFiles();
        server->Server().Faults().Clear();
        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        if (c.fullDisk) {
            // Files of this process stop growing at 1.5 MiB: the second portion cannot be written.
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit lim = old;
            lim.rlim_cur = MiB + MiB / 2;
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lim), 0);
        } else {
            zor::appserver::FaultRule rule;
            rule.command = zor::net::kCmdReadBlobPortion;
            rule.times = 1;
            rule.action = c.action;
            rule.value = c.value;
            server->Server().Faults().Add(rule);
        }
        ui.answers = {true};  // replace the existing target
        const bool ok = store->NET_LoadFileFromSrv(name.c_str(), Path("out.bin").c_str(), nullptr);
        if (c.fullDisk) ::setrlimit(RLIMIT_FSIZE, &old);
        EXPECT_FALSE(ok) << c.what;
        EXPECT_NE(store->GetLastZorError(), 0) << c.what;
        EXPECT_STRNE(store->GetLastErrorDescription(), "") << c.what;
        EXPECT_EQ(Slurp(Path("out.bin")), "mine") << c.what;
        EXPECT_EQ(LocalFiles(), before) << c.what;
        server->Server().Faults().Clear();
        // The session recovers for the next case (reconnecting, when the link went, after a Yes).
        store->SetHideMode(false);
        ui.answers = {true};
        double date = 0;
        EXPECT_TRUE(store->NET_GetServerDateTime(date)) << c.what << ": " << store->GetLastErrorDescription();
        store->SetHideMode(true);
    }
}

}  // namespace
