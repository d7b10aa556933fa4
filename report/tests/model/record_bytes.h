#pragma once
// Memory records in tests: an element's or a section's record as bytes, and its 32-bit fields (little
// endian, as the record keeps them) read or changed in place. An offset past the end throws.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "report/model/mem_record.h"

namespace model_test {

// What CopyToMem writes of an element (kind first) or a section.
template <class Item>
std::vector<uint8_t> Record(Item& item) {
    std::vector<uint8_t> bytes;
    CRecordWriter out(bytes);
    item.CopyToMem(out);
    return bytes;
}

inline int32_t IntAt(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(bytes.at(offset + i)) << (8 * i);
    return static_cast<int32_t>(u);
}

inline void PutIntAt(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
    const uint32_t u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<uint8_t>(u >> (8 * i));
}

}  // namespace model_test
