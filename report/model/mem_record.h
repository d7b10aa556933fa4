#pragma once
// Flat element records (the clipboard's element data): little-endian 32-bit integers, strings as a 32-bit
// byte count followed by the UTF-8 bytes with no terminator, fonts in the 60-byte logical-font layout.
// Records come from outside (another process, the clipboard), so the reader checks every length against
// what is left: a short record, a negative or oversized length or count fails, and a failed reader stays
// failed, so a caller may read a whole record and test once.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/gdi_types.h"

// Bytes of a string in a record, and of a font.
inline int RecordStringSize(std::string_view text) { return 4 + static_cast<int>(text.size()); }
constexpr int kLogFontRecordSize = 60;

class CRecordWriter {
public:
    explicit CRecordWriter(std::vector<uint8_t>& out) : m_out(out) {}
    void PutInt32(int32_t value);
    void PutString(std::string_view text);
    void PutBytes(const void* data, size_t size);
    void PutLogFont(const LOGFONT& font);
    // Bytes in the buffer.
    size_t Size() const { return m_out.size(); }

private:
    std::vector<uint8_t>& m_out;
};

class CRecordReader {
public:
    CRecordReader(const uint8_t* data, size_t size, size_t position = 0)
        : m_data(data), m_size(data ? size : 0), m_pos(position) {
        if (m_pos > m_size) m_failed = true;
    }
    explicit CRecordReader(const std::vector<uint8_t>& data, size_t position = 0)
        : CRecordReader(data.data(), data.size(), position) {}

    bool GetInt32(int32_t& value);
    // A length below 0 or beyond the bytes left fails.
    bool GetString(std::string& text);
    bool GetBytes(void* out, size_t size);
    // n bytes into out; n below 0 or beyond the bytes left fails.
    bool GetBytes(std::vector<uint8_t>& out, int32_t n);
    // The face name always ends up terminated and whole characters only.
    bool GetLogFont(LOGFONT& font);
    // A count of items each at least minItemBytes long: below 0, or more than the bytes left can hold, fails.
    bool GetCount(int32_t& count, size_t minItemBytes);

    size_t Position() const { return m_pos; }
    size_t Remaining() const { return m_failed ? 0 : m_size - m_pos; }
    bool Failed() const { return m_failed; }
    bool Ok() const { return !m_failed; }

private:
    bool Take(size_t n);
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos;
    bool m_failed = false;
};
