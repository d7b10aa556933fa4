#include <gtest/gtest.h>

#include <random>

#include "platform/transport/framing.h"
#include "platform/transport/wire.h"

using namespace zor::net;

namespace {

std::vector<unsigned char> Framed(FrameKind kind, uint32_t seq, const std::string& payload, const uint64_t* token = nullptr) {
    std::vector<unsigned char> out;
    EncodeFrame(kind, seq, payload.data(), payload.size(), out, token);
    return out;
}

}  // namespace

TEST(Framing, HeaderBytesAreAsDocumented) {
    const auto f = Framed(FrameKind::Reply, 0x01020304, "ab");
    const std::vector<unsigned char> want = {'Q', 'M', 'F', '1', 2, 0, 0, 0, 4, 3, 2, 1, 2, 0, 0, 0, 'a', 'b'};
    EXPECT_EQ(f, want);
    const uint64_t token = 0x1122334455667788ull;
    const auto t = Framed(FrameKind::Request, 7, "", &token);
    ASSERT_EQ(t.size(), kFrameHeaderSize + kFrameTokenSize);
    EXPECT_EQ(t[5], kFlagToken);
    EXPECT_EQ(t[16], 0x88);
    EXPECT_EQ(t[23], 0x11);
}

TEST(Framing, FramesSurviveAnySplitOfTheStream) {
    const uint64_t token = 42;
    std::vector<unsigned char> stream = Framed(FrameKind::Request, 1, "hello");
    auto b = Framed(FrameKind::ServerStopping, 0, "");
    stream.insert(stream.end(), b.begin(), b.end());
    b = Framed(FrameKind::Reply, 3, std::string(1000, 'x'), &token);
    stream.insert(stream.end(), b.begin(), b.end());
    for (size_t step : {size_t(1), size_t(3), size_t(7), size_t(64), stream.size()}) {
        FrameDecoder d;
        std::vector<Frame> got;
        for (size_t i = 0; i < stream.size(); i += step) {
            d.Feed(stream.data() + i, std::min(step, stream.size() - i));
            Frame f;
            while (d.Next(f) == DecodeResult::Frame) got.push_back(f);
        }
        ASSERT_EQ(got.size(), 3u) << "step " << step;
        EXPECT_EQ(std::string(got[0].payload.begin(), got[0].payload.end()), "hello");
        EXPECT_EQ(got[1].kind, FrameKind::ServerStopping);
        EXPECT_EQ(got[2].seq, 3u);
        EXPECT_EQ(got[2].token, 42u);
        EXPECT_EQ(got[2].payload.size(), 1000u);
        EXPECT_EQ(d.Pending(), 0u);
    }
}

TEST(Framing, HostileHeadersFailBeforeAnythingIsAllocated) {
    struct Case { const char* what; std::vector<unsigned char> bytes; DecodeResult want; };
    auto good = Framed(FrameKind::Reply, 1, "abc");
    auto badMagic = good; badMagic[3] = '2';
    auto badKind = good; badKind[4] = 9;
    auto zeroKind = good; zeroKind[4] = 0;
    auto huge = good; StoreI32(huge.data() + 12, -1);
    auto justOver = good; StoreI32(justOver.data() + 12, 1025);
    const std::vector<Case> cases = {
        {"bad magic", badMagic, DecodeResult::BadMagic},
        {"bad magic, first byte only", {'X'}, DecodeResult::NeedMore},
        {"bad magic seen at 4 bytes", {'Q', 'M', 'F', '0'}, DecodeResult::BadMagic},
        {"unknown kind", badKind, DecodeResult::BadKind},
        {"kind 0", zeroKind, DecodeResult::BadKind},
        {"length 4 GiB", huge, DecodeResult::TooLong},
        {"length one above the maximum", justOver, DecodeResult::TooLong},
        {"cut header", std::vector<unsigned char>(good.begin(), good.begin() + 11), DecodeResult::NeedMore},
        {"cut payload", std::vector<unsigned char>(good.begin(), good.end() - 1), DecodeResult::NeedMore},
    };
    for (const auto& c : cases) {
        FrameDecoder d(1024);
        d.Feed(c.bytes.data(), c.bytes.size());
        Frame f;
        EXPECT_EQ(d.Next(f), c.want) << c.what;
        // An error sticks: more bytes cannot bring the stream back in step.
        if (c.want != DecodeResult::NeedMore) {
            d.Feed(good.data(), good.size());
            EXPECT_EQ(d.Next(f), c.want) << c.what;
        }
    }
}

TEST(Framing, SeededDamageNeverCrashesOrOverreads) {
    std::mt19937 rng(20261210);
    std::vector<unsigned char> base = Framed(FrameKind::Reply, 5, std::string(300, 'p'));
    for (int round = 0; round < 3000; ++round) {
        auto bytes = base;
        const int flips = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < flips; ++i) bytes[rng() % bytes.size()] = static_cast<unsigned char>(rng());
        bytes.resize(rng() % (bytes.size() + 1));
        FrameDecoder d(4096);
        d.Feed(bytes.data(), bytes.size());
        Frame f;
        for (int k = 0; k < 4 && d.Next(f) == DecodeResult::Frame; ++k) EXPECT_LE(f.payload.size(), 4096u);
    }
}

TEST(Wire, ReaderRefusesLengthsThatLie) {
    WireWriter w;
    w.I32(5);
    w.Text("abc");
    WireReader r(w.Out().data(), w.Out().size());
    const unsigned char* p = nullptr;
    int32_t n = 0;
    EXPECT_FALSE(r.Field(p, n));
    EXPECT_EQ(r.Pos(), 0u);  // a failed read consumes nothing
    WireWriter neg;
    neg.I32(-1);
    WireReader rn(neg.Out().data(), neg.Out().size());
    EXPECT_FALSE(rn.Field(p, n));
    RequestHeader h;
    const unsigned char shortHeader[] = {2, 0, 0, 0, 25, 0, 0, 0, 9, 0, 0, 0, 'l'};
    WireReader rh(shortHeader, sizeof shortHeader);
    EXPECT_FALSE(ReadRequestHeader(rh, h));
}
