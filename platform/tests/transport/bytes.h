#pragma once
// Byte strings for protocol tests: little-endian int32 values, texts, and joins of both.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace zor::test {

using Bytes = std::vector<unsigned char>;

inline Bytes Le(std::initializer_list<int32_t> values) {
    Bytes out;
    for (int32_t v : values)
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(static_cast<uint32_t>(v) >> (8 * i)));
    return out;
}
inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
inline Bytes Str(const std::string& s) { return Bytes(s.begin(), s.end()); }

}  // namespace zor::test
