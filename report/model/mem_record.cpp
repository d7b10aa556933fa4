#include "report/model/mem_record.h"

#include <cstring>

namespace {

void PutLE(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 24));
}

}  // namespace

void CRecordWriter::PutInt32(int32_t value) { PutLE(m_out, static_cast<uint32_t>(value)); }

void CRecordWriter::PutString(std::string_view text) {
    PutInt32(static_cast<int32_t>(text.size()));
    PutBytes(text.data(), text.size());
}

void CRecordWriter::PutBytes(const void* data, size_t size) {
    if (size == 0) return;
    const auto* p = static_cast<const uint8_t*>(data);
    m_out.insert(m_out.end(), p, p + size);
}

void CRecordWriter::PutLogFont(const LOGFONT& font) {
    PutInt32(font.lfHeight);
    PutInt32(font.lfWidth);
    PutInt32(font.lfEscapement);
    PutInt32(font.lfOrientation);
    PutInt32(font.lfWeight);
    const uint8_t bytes[8] = {font.lfItalic,        font.lfUnderline,      font.lfStrikeOut, font.lfCharSet,
                              font.lfOutPrecision, font.lfClipPrecision, font.lfQuality,   font.lfPitchAndFamily};
    PutBytes(bytes, sizeof bytes);
    char face[LF_FACESIZE] = {};
    const std::string_view name = font.FaceName();
    std::memcpy(face, name.data(), name.size());
    PutBytes(face, sizeof face);
}

bool CRecordReader::Take(size_t n) {
    if (m_failed || n > m_size - m_pos) {
        m_failed = true;
        return false;
    }
    return true;
}

bool CRecordReader::GetInt32(int32_t& value) {
    if (!Take(4)) return false;
    const uint8_t* p = m_data + m_pos;
    value = static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                 (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
    m_pos += 4;
    return true;
}

bool CRecordReader::GetString(std::string& text) {
    int32_t n = 0;
    if (!GetInt32(n)) return false;
    if (n < 0 || !Take(static_cast<size_t>(n))) {
        m_failed = true;
        return false;
    }
    text.assign(reinterpret_cast<const char*>(m_data + m_pos), static_cast<size_t>(n));
    m_pos += static_cast<size_t>(n);
    return true;
}

bool CRecordReader::GetBytes(void* out, size_t size) {
    if (!Take(size)) return false;
    if (size) std::memcpy(out, m_data + m_pos, size);
    m_pos += size;
    return true;
}

bool CRecordReader::GetBytes(std::vector<uint8_t>& out, int32_t n) {
    if (n < 0 || !Take(static_cast<size_t>(n))) {
        m_failed = true;
        return false;
    }
    out.assign(m_data + m_pos, m_data + m_pos + n);
    m_pos += static_cast<size_t>(n);
    return true;
}

bool CRecordReader::GetLogFont(LOGFONT& font) {
    if (!Take(kLogFontRecordSize)) return false;
    LOGFONT f;
    GetInt32(f.lfHeight);
    GetInt32(f.lfWidth);
    GetInt32(f.lfEscapement);
    GetInt32(f.lfOrientation);
    GetInt32(f.lfWeight);
    uint8_t bytes[8];
    GetBytes(bytes, sizeof bytes);
    f.lfItalic = bytes[0];
    f.lfUnderline = bytes[1];
    f.lfStrikeOut = bytes[2];
    f.lfCharSet = bytes[3];
    f.lfOutPrecision = bytes[4];
    f.lfClipPrecision = bytes[5];
    f.lfQuality = bytes[6];
    f.lfPitchAndFamily = bytes[7];
    char face[LF_FACESIZE];
    GetBytes(face, sizeof face);
    f.SetFaceName(std::string_view(face, strnlen(face, LF_FACESIZE)));
    font = f;
    return true;
}

bool CRecordReader::GetCount(int32_t& count, size_t minItemBytes) {
    int32_t n = 0;
    if (!GetInt32(n)) return false;
    if (n < 0 || (minItemBytes > 0 && static_cast<size_t>(n) > Remaining() / minItemBytes)) {
        m_failed = true;
        return false;
    }
    count = n;
    return true;
}
