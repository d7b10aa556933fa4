#include "report/generation/cell_fit.h"

#include "platform/gdi/dc.h"
#include "platform/text/utf8.h"

void CCharWidths::Clear() {
    m_Table.clear();
    m_Other.clear();
}

int CCharWidths::Width(const CDC& dc, std::string_view character, char32_t code) {
    int* slot = nullptr;
    if (code < kTableSize) {
        if (m_Table.empty()) m_Table.assign(kTableSize, -1);
        slot = &m_Table[code];
        if (*slot >= 0) return *slot;
    } else if (const auto it = m_Other.find(code); it != m_Other.end()) {
        return it->second;
    }
    int fit = 0;
    dc.GetTextExtentExPoint(character, 0, &fit, &m_Partial, nullptr);
    // A character that measures below nothing would let a prefix outgrow the sum: never clearly fitting.
    const int width = m_Partial.size() == 1 && m_Partial[0] >= 0 ? m_Partial[0] : -1;
    if (slot && width >= 0) *slot = width;
    else if (!slot) m_Other.emplace(code, width);
    return width;
}

bool CCharWidths::ClearlyFits(const CDC& dc, std::string_view text, int maxExtent) {
    if (text.empty() || maxExtent < 0 || text.front() == ' ' || text.back() == ' ') return false;
    if (m_Table.empty()) m_Table.assign(kTableSize, -1);
    // In half units, so that the half unit each character is given keeps the sum whole.
    const long long limit = 2LL * maxExtent;
    long long sum = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t pos = 0; pos < n;) {
        const unsigned char byte = p[pos];
        size_t size = 1;
        char32_t code = byte;
        if (byte < 0x80) {
            if (byte == '\n' || byte == '\r') return false;
        } else if (byte >= 0xC2 && byte <= 0xDF && pos + 1 < n && (p[pos + 1] & 0xC0) == 0x80) {
            // Two bytes, as Cyrillic and the rest of the table's characters are.
            code = (static_cast<char32_t>(byte & 0x1F) << 6) | (p[pos + 1] & 0x3F);
            size = 2;
        } else {
            code = zor::Utf8DecodeAt(text, pos, &size);
            size = size ? size : 1;
        }
        int width = code < kTableSize ? m_Table[code] : -1;
        if (width < 0) width = Width(dc, text.substr(pos, size), code);
        if (width < 0) return false;
        sum += 2LL * width + 1;
        if (sum > limit) return false;
        pos += size;
    }
    return true;
}
