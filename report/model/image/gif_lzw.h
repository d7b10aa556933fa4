#pragma once
// The LZW code of GIF image data, both ways. Each coder keeps its own tables, so any number of
// images may be read or written at a time.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gif_lzw {

// Codes are at most 12 bits wide in both directions.
constexpr int kMaxBits = 12;
constexpr int kMaxCodes = 1 << kMaxBits;

// Receives decoded palette indexes in order.
class PixelSink {
public:
    virtual ~PixelSink() = default;
    // False once the sink wants no more pixels (the picture is full): decoding stops there, so data that
    // spells more pixels than the picture holds costs no time.
    virtual bool Put(const uint8_t* pixels, size_t count) = 0;
};

// Ok: the end code came, or the sink was full. Truncated: the data ended first; every pixel decoded up to
// there was given to the sink.
enum class DecodeResult { Ok, Truncated, BadCode };

// Decodes the concatenated sub-block data of one image; minCodeSize must be 2 to 8.
// Stops at the end code; a code beyond the next free code is refused.
DecodeResult Decode(const uint8_t* data, size_t size, int minCodeSize, PixelSink& sink);

class Encoder {
public:
    // Writes the clear code first; codes start at minCodeSize + 1 bits.
    explicit Encoder(int minCodeSize);
    void Put(uint8_t pixel);
    // Writes the last string and the end code; returns the data as sub-blocks of at most 254 bytes,
    // each preceded by its length (the closing zero-length block is not included).
    std::vector<uint8_t> Finish();

private:
    static constexpr int kHashSize = 5003;

    void Output(int code);
    void ClearTable();
    void FlushPacket();

    int m_initBits, m_bits, m_maxCode, m_clearCode, m_endCode, m_freeCode;
    bool m_clearPending = false;
    int m_prefix = -1;
    int32_t m_hash[kHashSize];
    uint16_t m_codes[kHashSize];
    uint32_t m_accum = 0;
    int m_accumBits = 0;
    uint8_t m_packet[256];
    int m_packetLength = 0;
    std::vector<uint8_t> m_out;
};

}  // namespace gif_lzw
