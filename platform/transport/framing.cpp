#include "platform/transport/framing.h"

#include <cstring>

namespace zor::net {
namespace {

void Put32(std::vector<unsigned char>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
uint32_t Get32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutHeader(FrameKind kind, uint32_t seq, size_t size, std::vector<unsigned char>& out, const uint64_t* token) {
    Put32(out, kFrameMagic);
    out.push_back(static_cast<unsigned char>(kind));
    out.push_back(token ? kFlagToken : 0);
    out.push_back(0);
    out.push_back(0);
    Put32(out, seq);
    Put32(out, static_cast<uint32_t>(size));
    if (token) {
        Put32(out, static_cast<uint32_t>(*token));
        Put32(out, static_cast<uint32_t>(*token >> 32));
    }
}

}  // namespace

void EncodeFrame(FrameKind kind, uint32_t seq, const void* payload, size_t size, std::vector<unsigned char>& out,
                 const uint64_t* token) {
    out.reserve(out.size() + kFrameHeaderSize + kFrameTokenSize + size);
    PutHeader(kind, seq, size, out, token);
    if (size) out.insert(out.end(), static_cast<const unsigned char*>(payload),
                         static_cast<const unsigned char*>(payload) + size);
}

void EncodeFrame2(FrameKind kind, uint32_t seq, const void* a, size_t sizeA, const void* b, size_t sizeB,
                  std::vector<unsigned char>& out) {
    out.reserve(out.size() + kFrameHeaderSize + sizeA + sizeB);
    PutHeader(kind, seq, sizeA + sizeB, out, nullptr);
    if (sizeA) out.insert(out.end(), static_cast<const unsigned char*>(a), static_cast<const unsigned char*>(a) + sizeA);
    if (sizeB) out.insert(out.end(), static_cast<const unsigned char*>(b), static_cast<const unsigned char*>(b) + sizeB);
}

void FrameDecoder::Feed(const void* data, size_t size) {
    if (m_error != DecodeResult::NeedMore || !size) return;
    // Drop what was consumed before growing, so a long session does not keep every frame.
    if (m_pos && m_pos == m_buf.size()) {
        m_buf.clear();
        m_pos = 0;
    } else if (m_pos > (1u << 20)) {
        m_buf.erase(m_buf.begin(), m_buf.begin() + static_cast<std::ptrdiff_t>(m_pos));
        m_pos = 0;
    }
    m_buf.insert(m_buf.end(), static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + size);
}

DecodeResult FrameDecoder::Next(Frame& frame) {
    if (m_error != DecodeResult::NeedMore) return m_error;
    const size_t have = m_buf.size() - m_pos;
    const unsigned char* p = m_buf.data() + m_pos;
    // Check each field as soon as its bytes are in, so a bad stream fails before it fills memory.
    if (have >= 4 && Get32(p) != kFrameMagic) return m_error = DecodeResult::BadMagic;
    if (have >= 5 && (p[4] < 1 || p[4] > 3)) return m_error = DecodeResult::BadKind;
    if (have < kFrameHeaderSize) return DecodeResult::NeedMore;
    const uint32_t len = Get32(p + 12);
    if (len > m_max) return m_error = DecodeResult::TooLong;
    const size_t head = kFrameHeaderSize + ((p[5] & kFlagToken) ? kFrameTokenSize : 0);
    if (have < head + len) return DecodeResult::NeedMore;
    frame.kind = static_cast<FrameKind>(p[4]);
    frame.flags = p[5];
    frame.seq = Get32(p + 8);
    frame.token = (p[5] & kFlagToken) ? (uint64_t(Get32(p + 16)) | uint64_t(Get32(p + 20)) << 32) : 0;
    frame.payload.assign(p + head, p + head + len);
    m_pos += head + len;
    return DecodeResult::Frame;
}

const char* DecodeResultName(DecodeResult r) {
    switch (r) {
    case DecodeResult::NeedMore: return "need more";
    case DecodeResult::Frame: return "frame";
    case DecodeResult::BadMagic: return "bad magic";
    case DecodeResult::BadKind: return "bad kind";
    case DecodeResult::TooLong: return "too long";
    }
    return "?";
}

}  // namespace zor::net
