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
    double sum = 0;
    for (size_t pos = 0; pos < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[pos]);
        size_t size = 1;
        char32_t code = byte;
        if (byte >= 0x80) {
            code = zor::Utf8DecodeAt(text, pos, &size);
            size = size ? size : 1;
        } else if (byte == '\n' || byte == '\r') {
            return false;
        }
        const int width = Width(dc, text.substr(pos, size), code);
        if (width < 0) return false;
        sum += width + 0.5;
        if (sum > maxExtent) return false;
        pos += size;
    }
    return true;
}
