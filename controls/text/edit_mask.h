#pragma once
// The masked edit's rules apart from the widget: the mask language, the text a mask shows for some
// data, the data read back from a text, and what each key and typed character does to the text,
// the caret and the selection.
//
// Mask language (UTF-8):
//   outside brackets  "[" starts a set; any other character (also "-" and "\") is a literal position
//   inside brackets   "]" ends the set, which becomes one input position (an empty set accepts nothing)
//                     "\" escapes the next "-" or "\" into a plain member; "\" after an escape while a
//                         range is open ends the range at "\"
//                     "-" after an escape is a member; otherwise it opens a range starting at the last
//                         member added (taken out again); with no member yet the mask is refused
//                     any other character ends an open range at itself, or joins the set
// A range holds the characters whose code page 1251 bytes, compared as signed 8-bit values, lie from
// its start to its end: digit and Latin ranges work, Cyrillic ranges work (both ends are negative),
// a range from below 128 to 128 or above is empty, and one ending in a character the code page lacks
// is empty. At most kMaxMaskPositions positions.
#include <string>
#include <string_view>
#include <vector>

namespace zor {

inline constexpr int kMaxMaskPositions = 256;

struct MaskPosition {
    std::u32string chars;  // a literal's one character, or the members of an input position's set
    bool literal = false;
};

class EditMask {
public:
    // "[" and "]" balanced without nesting; an empty mask passes.
    static bool Parse(std::string_view mask);
    // The characters of a range (see above); empty unless both ends are single characters.
    static std::u32string GetRange(std::u32string_view start, std::u32string_view end);

    // Replaces the positions; false (and no positions) on a range without a start, an unclosed set or
    // more than kMaxMaskPositions positions.
    bool SetValidChars(std::string_view mask);

    int Size() const { return static_cast<int>(m_positions.size()); }
    bool Empty() const { return m_positions.empty(); }
    const std::vector<MaskPosition>& Positions() const { return m_positions; }

    // The first position from `start` (inclusive) searching forward or backward whose kind is
    // literal or input as asked; -1 when there is none.
    int FindNextChar(int start, bool literal, bool forward) const;
    // The text shown for `data`: one data character per input position, taken when its set holds
    // it, else the prompt; the prompt once the data is used up.
    std::u32string BuildText(std::u32string_view data, char32_t prompt) const;
    // The input positions' characters of `text`, prompts left out (a position past the text gives the prompt).
    std::u32string ReadData(std::u32string_view text, char32_t prompt) const;
    bool Accepts(int pos, char32_t c) const;

private:
    std::vector<MaskPosition> m_positions;
};

// Text, caret and selection of a masked edit, changed by keys as the masked edit's rules say.
// The selection is [selStart, selEnd); caret placement empties it.
struct MaskEditState {
    std::u32string text;
    int caret = 0;
    int selStart = 0;
    int selEnd = 0;
    bool HasSelection() const { return selEnd > selStart; }
};

enum class MaskKey { Home, End, Left, Right, Delete };

class MaskEditor {
public:
    explicit MaskEditor(const EditMask& mask) : m_mask(mask) {}
    void SetPrompt(char32_t prompt) { m_prompt = prompt; }
    char32_t Prompt() const { return m_prompt; }

    int FirstInput() const { return m_mask.FindNextChar(0, false, true); }
    int NextInput(int p) const { return m_mask.FindNextChar(p + 1, false, true); }
    int PrevInput(int p) const { return m_mask.FindNextChar(p - 1, false, false); }
    int LastInput() const { return m_mask.FindNextChar(m_mask.Size() - 1, false, false); }

    // A typed character (8 is Backspace, 9 Tab).
    void Type(MaskEditState& s, char32_t c) const;
    void Key(MaskEditState& s, MaskKey key, bool shift) const;

private:
    static void PlaceCaret(MaskEditState& s, int p);
    // Resets the selected positions and puts the caret at the first input position from the selection's start.
    void ClearSelection(MaskEditState& s) const;
    // The caret's move after a change at p: the next input position, or one further when there is none.
    int After(int p) const;

    const EditMask& m_mask;
    char32_t m_prompt = U'_';
};

}  // namespace zor
