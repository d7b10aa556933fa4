#pragma once
// Whether a cell's text stands on one line as it is, told from widths of its characters measured once
// each: most cells of a long list are short, and breaking each one into lines measures it again, prefix
// by prefix, for nothing.
#include <string_view>
#include <unordered_map>
#include <vector>

class CDC;

class CCharWidths {
public:
    // The widths belong to the font selected in the device context; a new font starts them again.
    void Clear();

    // True only when line breaking at maxExtent would give back the text itself as its one line: no line
    // feed, carriage return, or blank at either end, and every prefix measures at most maxExtent through
    // dc. Each character's rounded width can be half a unit under its true width, so the sum is taken
    // with that half unit each: a text near the limit is left to the line breaking, which decides it
    // exactly.
    bool ClearlyFits(const CDC& dc, std::string_view text, int maxExtent);

private:
    int Width(const CDC& dc, std::string_view character, char32_t code);

    static constexpr char32_t kTableSize = 0x500;  // Latin and Cyrillic
    std::vector<int> m_Table;                       // -1: not measured yet
    std::unordered_map<char32_t, int> m_Other;
    std::vector<int> m_Partial;
};
