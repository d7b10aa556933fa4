#include "controls/resources/menu_template.h"

namespace zor {

namespace {

class Reader {
public:
    explicit Reader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    bool Word(uint16_t& value) {
        if (m_bytes.size() - m_pos < 2) return false;
        value = static_cast<uint16_t>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
        m_pos += 2;
        return true;
    }
    bool Text(std::u16string& text) {
        text.clear();
        for (uint16_t c = 0;;) {
            if (!Word(c)) return false;
            if (c == 0) return true;
            text.push_back(static_cast<char16_t>(c));
        }
    }
    bool Skip(size_t n) {
        if (m_bytes.size() - m_pos < n) return false;
        m_pos += n;
        return true;
    }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_pos = 0;
};

bool Fail(std::string* error, const char* why, std::vector<MenuTemplateItem>& items) {
    if (error) *error = why;
    items.clear();
    return false;
}

void PutWord(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

}  // namespace

bool ReadMenuTemplate(std::span<const uint8_t> bytes, std::vector<MenuTemplateItem>& items, std::string* error) {
    items.clear();
    Reader in(bytes);
    uint16_t version = 0, offset = 0;
    if (!in.Word(version) || !in.Word(offset)) return Fail(error, "the header is cut short", items);
    if (version != 0) return Fail(error, "not a menu template of version 0", items);
    if (!in.Skip(offset)) return Fail(error, "the header's offset points past the end", items);
    // One entry per open level: whether that level has seen its last item.
    std::vector<bool> ending = {false};
    while (!ending.empty()) {
        MenuTemplateItem item;
        item.depth = static_cast<int>(ending.size()) - 1;
        if (!in.Word(item.flags)) return Fail(error, "an item's flags are cut short", items);
        const bool popup = item.flags & kTemplatePopup;
        if (!popup && !in.Word(item.id)) return Fail(error, "an item's command is cut short", items);
        if (!in.Text(item.text)) return Fail(error, "an item's text has no terminator", items);
        if (item.flags & kTemplateEnd) ending.back() = true;
        items.push_back(std::move(item));
        if (popup) {
            if (static_cast<int>(ending.size()) >= kMaxMenuTemplateDepth)
                return Fail(error, "popups are nested too deeply", items);
            ending.push_back(false);
            continue;
        }
        while (!ending.empty() && ending.back()) ending.pop_back();
    }
    return true;
}

std::vector<uint8_t> WriteMenuTemplate(const std::vector<MenuTemplateItem>& items) {
    std::vector<uint8_t> out;
    PutWord(out, 0);
    PutWord(out, 0);
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuTemplateItem& item = items[i];
        uint16_t flags = item.flags & ~kTemplateEnd;
        // The last of its level: no later item at the same depth before the level closes.
        bool last = true;
        for (size_t j = i + 1; j < items.size() && items[j].depth >= item.depth; ++j)
            if (items[j].depth == item.depth) {
                last = false;
                break;
            }
        if (last) flags |= kTemplateEnd;
        PutWord(out, flags);
        if (!(flags & kTemplatePopup)) PutWord(out, item.id);
        for (char16_t c : item.text) PutWord(out, static_cast<uint16_t>(c));
        PutWord(out, 0);
    }
    return out;
}

}  // namespace zor
