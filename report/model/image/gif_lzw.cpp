#include "report/model/image/gif_lzw.h"

#include <cstring>

namespace gif_lzw {

namespace {

// Reads codes least significant bit first.
class CodeReader {
public:
    CodeReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    // -1 when the data ends before the code does.
    int Read(int bits) {
        while (m_bits < bits) {
            if (m_pos >= m_size) return -1;
            m_accum |= static_cast<uint32_t>(m_data[m_pos++]) << m_bits;
            m_bits += 8;
        }
        const int code = static_cast<int>(m_accum & ((1u << bits) - 1));
        m_accum >>= bits;
        m_bits -= bits;
        return code;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    uint32_t m_accum = 0;
    int m_bits = 0;
};

}  // namespace

DecodeResult Decode(const uint8_t* data, size_t size, int minCodeSize, PixelSink& sink) {
    if (minCodeSize < 2 || minCodeSize > 8) return DecodeResult::BadCode;
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    std::vector<uint16_t> prefix(kMaxCodes);
    std::vector<uint8_t> suffix(kMaxCodes), first(kMaxCodes);
    std::vector<uint8_t> stack(kMaxCodes + 1);
    for (int i = 0; i < clearCode; ++i) {
        suffix[i] = first[i] = static_cast<uint8_t>(i);
    }

    CodeReader reader(data, size);
    int bits = minCodeSize + 1;
    int nextCode = clearCode + 2;
    int previous = -1;
    for (;;) {
        const int code = reader.Read(bits);
        if (code < 0) return DecodeResult::Truncated;
        if (code == clearCode) {
            bits = minCodeSize + 1;
            nextCode = clearCode + 2;
            previous = -1;
            continue;
        }
        if (code == endCode) return DecodeResult::Ok;
        if (previous < 0) {
            if (code > clearCode) return DecodeResult::BadCode;
            const uint8_t pixel = static_cast<uint8_t>(code);
            if (!sink.Put(&pixel, 1)) return DecodeResult::Ok;
            previous = code;
            continue;
        }
        // Spell the string backwards on the stack; a code not yet known repeats the previous string
        // and its first character.
        size_t depth = 0;
        int walk = code;
        if (code == nextCode && nextCode < kMaxCodes) {
            stack[depth++] = first[previous];
            walk = previous;
        } else if (code > nextCode || (code >= nextCode && nextCode >= kMaxCodes)) {
            return DecodeResult::BadCode;
        }
        while (walk > endCode) {
            stack[depth++] = suffix[walk];
            walk = prefix[walk];
        }
        stack[depth++] = static_cast<uint8_t>(walk);
        const uint8_t firstChar = static_cast<uint8_t>(walk);
        for (size_t i = 0, j = depth - 1; i < j; ++i, --j) std::swap(stack[i], stack[j]);
        if (!sink.Put(stack.data(), depth)) return DecodeResult::Ok;

        if (nextCode < kMaxCodes) {
            prefix[nextCode] = static_cast<uint16_t>(previous);
            suffix[nextCode] = firstChar;
            first[nextCode] = first[previous];
            ++nextCode;
            if (nextCode == (1 << bits) && bits < 12) ++bits;
        }
        previous = code;
    }
}

Encoder::Encoder(int minCodeSize)
    : m_initBits(minCodeSize + 1),
      m_bits(m_initBits),
      m_maxCode((1 << m_bits) - 1),
      m_clearCode(1 << minCodeSize),
      m_endCode(m_clearCode + 1),
      m_freeCode(m_clearCode + 2) {
    std::memset(m_hash, 0xFF, sizeof m_hash);
    Output(m_clearCode);
}

void Encoder::ClearTable() {
    std::memset(m_hash, 0xFF, sizeof m_hash);
    m_freeCode = m_clearCode + 2;
    m_clearPending = true;
    Output(m_clearCode);
}

void Encoder::Put(uint8_t pixel) {
    if (m_prefix < 0) {
        m_prefix = pixel;
        return;
    }
    const int32_t key = (static_cast<int32_t>(pixel) << kMaxBits) + m_prefix;
    int i = (pixel << 4) ^ m_prefix;
    if (m_hash[i] == key) {
        m_prefix = m_codes[i];
        return;
    }
    if (m_hash[i] >= 0) {
        const int step = i == 0 ? 1 : kHashSize - i;
        do {
            i -= step;
            if (i < 0) i += kHashSize;
            if (m_hash[i] == key) {
                m_prefix = m_codes[i];
                return;
            }
        } while (m_hash[i] >= 0);
    }
    Output(m_prefix);
    m_prefix = pixel;
    if (m_freeCode < kMaxCodes) {
        m_codes[i] = static_cast<uint16_t>(m_freeCode++);
        m_hash[i] = key;
    } else {
        ClearTable();
    }
}

void Encoder::Output(int code) {
    m_accum |= static_cast<uint32_t>(code) << m_accumBits;
    m_accumBits += m_bits;
    while (m_accumBits >= 8) {
        m_packet[m_packetLength++] = static_cast<uint8_t>(m_accum);
        if (m_packetLength >= 254) FlushPacket();
        m_accum >>= 8;
        m_accumBits -= 8;
    }
    if (m_clearPending) {
        m_bits = m_initBits;
        m_maxCode = (1 << m_bits) - 1;
        m_clearPending = false;
    } else if (m_freeCode > m_maxCode) {
        ++m_bits;
        m_maxCode = m_bits == kMaxBits ? kMaxCodes : (1 << m_bits) - 1;
    }
}

void Encoder::FlushPacket() {
    if (m_packetLength == 0) return;
    m_out.push_back(static_cast<uint8_t>(m_packetLength));
    m_out.insert(m_out.end(), m_packet, m_packet + m_packetLength);
    m_packetLength = 0;
}

std::vector<uint8_t> Encoder::Finish() {
    if (m_prefix >= 0) Output(m_prefix);
    Output(m_endCode);
    if (m_accumBits > 0) {
        m_packet[m_packetLength++] = static_cast<uint8_t>(m_accum);
        if (m_packetLength >= 254) FlushPacket();
        m_accum = 0;
        m_accumBits = 0;
    }
    FlushPacket();
    return std::move(m_out);
}

}  // namespace gif_lzw
