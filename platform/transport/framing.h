#pragma once
// The stream framing between the client and our application server; both ends use this one codec.
//
//   offset  size  field
//   0       4     magic "QMF1"
//   4       1     kind: 1 request, 2 reply, 3 the server is stopping (no payload)
//   5       1     flags: bit 0 a request token follows the header
//   6       2     reserved, 0
//   8       4     sequence number (uint32, LE): a reply carries its request's number
//   12      4     payload length (uint32, LE), at most the receiver's maximum
//   16      8     request token (uint64, LE), present only with flag bit 0
//   ...           payload: one protocol message
//
// The receiver checks magic and length before it allocates anything; either fault ends the
// connection, since the stream can no longer be trusted to be in step.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zor::net {

constexpr uint32_t kFrameMagic = 0x31464D51;  // "QMF1" as little-endian bytes
constexpr size_t kFrameHeaderSize = 16;
constexpr size_t kFrameTokenSize = 8;
constexpr uint32_t kDefaultMaxFrame = 64u << 20;
constexpr uint8_t kFlagToken = 1;

enum class FrameKind : uint8_t { Request = 1, Reply = 2, ServerStopping = 3 };

struct Frame {
    FrameKind kind = FrameKind::Request;
    uint8_t flags = 0;
    uint32_t seq = 0;
    uint64_t token = 0;
    std::vector<unsigned char> payload;
};

// Appends the framed message to out.
void EncodeFrame(FrameKind kind, uint32_t seq, const void* payload, size_t size, std::vector<unsigned char>& out,
                 const uint64_t* token = nullptr);
// The same for a payload given in two pieces (request and extra bytes).
void EncodeFrame2(FrameKind kind, uint32_t seq, const void* a, size_t sizeA, const void* b, size_t sizeB,
                  std::vector<unsigned char>& out);

enum class DecodeResult { NeedMore, Frame, BadMagic, BadKind, TooLong };

// Takes stream bytes in any pieces and gives whole frames. After an error it stays in error.
class FrameDecoder {
public:
    explicit FrameDecoder(uint32_t maxPayload = kDefaultMaxFrame) : m_max(maxPayload) {}
    void Feed(const void* data, size_t size);
    // Takes the next frame when one is complete.
    DecodeResult Next(Frame& frame);
    // A new maximum for the frames not yet given out (a server's limit changes with the login).
    void SetMax(uint32_t maxPayload) { m_max = maxPayload; }
    // Bytes held but not yet given out as a frame.
    size_t Pending() const { return m_buf.size() - m_pos; }
    // Forgets everything, errors included (a new connection).
    void Reset() { m_buf.clear(); m_pos = 0; m_error = DecodeResult::NeedMore; }

private:
    uint32_t m_max;
    std::vector<unsigned char> m_buf;
    size_t m_pos = 0;
    DecodeResult m_error = DecodeResult::NeedMore;
};

const char* DecodeResultName(DecodeResult r);

}  // namespace zor::net
