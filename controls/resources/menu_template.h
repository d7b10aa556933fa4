#pragma once
// The byte layout of a menu resource, read and written by the library and by the build's resource
// generator.
//
// Little-endian throughout: a header of a 16-bit version and a 16-bit offset; the items start `offset`
// bytes after the header's end. Each item: 16-bit flags; a 16-bit command id unless the item is a popup
// (flag 0x10); then its text as zero-terminated UTF-16. Flag 0x80 marks the last item of its level; a
// popup's children follow the popup item, and the outermost level ends the menu.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zor {

constexpr uint16_t kTemplatePopup = 0x10;  // MF_POPUP
constexpr uint16_t kTemplateEnd = 0x80;    // MF_END
// Deeper nesting than any real menu; a template that goes past it is refused rather than followed.
constexpr int kMaxMenuTemplateDepth = 16;

// One item in template order, with its nesting depth (0: the menu bar or the top popup).
struct MenuTemplateItem {
    uint16_t flags = 0;
    uint16_t id = 0;        // 0 for popups and separators
    std::u16string text;
    int depth = 0;
};

// Reads the whole template. Every length, terminator and nesting level is checked against the size:
// a truncated or malformed template gives false, an error text, and no items.
bool ReadMenuTemplate(std::span<const uint8_t> bytes, std::vector<MenuTemplateItem>& items, std::string* error = nullptr);

// Writes items given in template order by their depths; the end marks are worked out here (any given are
// dropped). Depths must start at 0 and grow by at most one, only after a popup.
std::vector<uint8_t> WriteMenuTemplate(const std::vector<MenuTemplateItem>& items);

}  // namespace zor
