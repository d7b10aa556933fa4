#include "controls/text/edit_mask.h"

#include <cstdint>

#include "platform/text/cp1251.h"
#include "platform/text/utf8.h"

namespace zor {

namespace {

std::u32string Decode(std::string_view utf8) {
    std::u32string out;
    for (size_t pos = 0; pos < utf8.size();) {
        size_t size = 1;
        const char32_t c = Utf8DecodeAt(utf8, pos, &size);
        out.push_back(c == kNotAChar ? U'\uFFFD' : c);
        pos += size ? size : 1;
    }
    return out;
}

// The signed 8-bit value of a character's code page byte; false when the code page lacks it.
bool SignedByte(char32_t c, int& value) {
    const int byte = UnicodeToCp1251(c);
    if (byte < 0)
        return false;
    value = static_cast<int8_t>(static_cast<uint8_t>(byte));
    return true;
}

}  // namespace

bool EditMask::Parse(std::string_view mask) {
    int depth = 0;
    for (const char c : mask) {
        if (c == '[')
            ++depth;
        else if (c == ']')
            --depth;
        if (depth < 0 || depth > 1)
            return false;
    }
    return depth == 0;
}

std::u32string EditMask::GetRange(std::u32string_view start, std::u32string_view end) {
    std::u32string out;
    int from = 0, to = 0;
    if (start.size() != 1 || end.size() != 1 || !SignedByte(start[0], from) || !SignedByte(end[0], to))
        return out;
    for (int v = from; v <= to; ++v)
        out.push_back(Cp1251ToUnicode(static_cast<unsigned char>(static_cast<int8_t>(v))));
    return out;
}

bool EditMask::SetValidChars(std::string_view maskUtf8) {
    m_positions.clear();
    const std::u32string mask = Decode(maskUtf8);
    std::vector<MaskPosition> positions;
    bool inSet = false, escape = false, rangeOpen = false;
    char32_t rangeStart = 0;
    std::u32string set;
    auto member = [&](char32_t c) {
        if (rangeOpen) {
            set += GetRange(std::u32string(1, rangeStart), std::u32string(1, c));
            rangeOpen = false;
        } else {
            set.push_back(c);
        }
    };
    for (const char32_t c : mask) {
        if (!inSet) {
            if (c == U'[') {
                inSet = true;
                set.clear();
                escape = rangeOpen = false;
            } else {
                positions.push_back({std::u32string(1, c), true});
            }
        } else if (c == U']') {
            positions.push_back({set, false});
            inSet = false;
        } else if (c == U'\\') {
            if (escape) {
                member(c);
                escape = false;
            } else {
                escape = true;
            }
        } else if (c == U'-') {
            if (escape) {
                set.push_back(c);
                escape = false;
            } else {
                if (set.empty())
                    return false;
                rangeStart = set.back();
                set.pop_back();
                rangeOpen = true;
            }
        } else {
            member(c);
            escape = false;
        }
        if (positions.size() > static_cast<size_t>(kMaxMaskPositions))
            return false;
    }
    if (inSet)
        return false;
    m_positions = std::move(positions);
    return true;
}

int EditMask::FindNextChar(int start, bool literal, bool forward) const {
    for (int p = start; p >= 0 && p < Size(); p += forward ? 1 : -1)
        if (m_positions[p].literal == literal)
            return p;
    return -1;
}

bool EditMask::Accepts(int pos, char32_t c) const {
    return pos >= 0 && pos < Size() && m_positions[pos].chars.find(c) != std::u32string::npos;
}

std::u32string EditMask::BuildText(std::u32string_view data, char32_t prompt) const {
    std::u32string text;
    size_t next = 0;
    for (int p = 0; p < Size(); ++p) {
        const MaskPosition& pos = m_positions[p];
        if (pos.literal) {
            text += pos.chars;
        } else if (next < data.size()) {
            const char32_t c = data[next++];
            text.push_back(Accepts(p, c) ? c : prompt);
        } else {
            text.push_back(prompt);
        }
    }
    return text;
}

std::u32string EditMask::ReadData(std::u32string_view text, char32_t prompt) const {
    std::u32string data;
    for (int p = 0; p < Size(); ++p) {
        if (m_positions[p].literal)
            continue;
        if (static_cast<size_t>(p) >= text.size())
            data.push_back(prompt);
        else if (text[p] != prompt)
            data.push_back(text[p]);
    }
    return data;
}

void MaskEditor::PlaceCaret(MaskEditState& s, int p) {
    s.caret = s.selStart = s.selEnd = p;
}

int MaskEditor::After(int p) const {
    const int next = NextInput(p);
    return next >= 0 ? next : p + 1;
}

void MaskEditor::ClearSelection(MaskEditState& s) const {
    const auto& positions = m_mask.Positions();
    for (int p = s.selStart; p < s.selEnd && p < m_mask.Size() && p < static_cast<int>(s.text.size()); ++p)
        s.text[p] = positions[p].literal ? positions[p].chars[0] : m_prompt;
    const int first = m_mask.FindNextChar(s.selStart, false, true);
    PlaceCaret(s, first >= 0 ? first : 0);
}

void MaskEditor::Type(MaskEditState& s, char32_t c) const {
    if (static_cast<int>(s.text.size()) > m_mask.Size()) {
        s.text = m_mask.BuildText({}, m_prompt);
        return;
    }
    if (c == 8) {
        const int prev = PrevInput(s.caret);
        if (s.caret == 0 || prev < 0)
            return;
        s.text[prev] = m_prompt;
        PlaceCaret(s, prev);
        return;
    }
    if (c == 9)
        return;
    if (s.HasSelection())
        ClearSelection(s);
    if (s.caret >= 0 && s.caret < static_cast<int>(s.text.size()) && m_mask.Accepts(s.caret, c)) {
        s.text[s.caret] = c;
        PlaceCaret(s, After(s.caret));
    }
}

void MaskEditor::Key(MaskEditState& s, MaskKey key, bool shift) const {
    const int last = LastInput();
    switch (key) {
    case MaskKey::Home:
        if (shift) {
            s.selStart = 0;
            s.selEnd = s.caret;
        } else {
            const int first = FirstInput();
            PlaceCaret(s, first >= 0 ? first : 0);
        }
        break;
    case MaskKey::End:
        if (shift) {
            s.selStart = s.caret;
            s.selEnd = last + 1;
        } else {
            PlaceCaret(s, last + 1);
        }
        break;
    case MaskKey::Left:
        if (const int prev = PrevInput(s.caret); prev >= 0)
            PlaceCaret(s, prev);
        break;
    case MaskKey::Right:
        if (const int next = NextInput(s.caret); next >= 0)
            PlaceCaret(s, next);
        else
            PlaceCaret(s, last + 1);
        break;
    case MaskKey::Delete:
        if (s.HasSelection()) {
            ClearSelection(s);
        } else if (s.caret <= last && s.caret >= 0 && s.caret < static_cast<int>(s.text.size())) {
            s.text[s.caret] = m_prompt;
            PlaceCaret(s, After(s.caret));
        }
        break;
    }
}

}  // namespace zor
