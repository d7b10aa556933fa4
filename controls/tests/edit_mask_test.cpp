#include "controls/text/edit_mask.h"

#include <string>

#include <QString>
#include <gtest/gtest.h>

namespace {

using namespace zor;

std::u32string U(const char* utf8) { return QString::fromUtf8(utf8).toStdU32String(); }

// Positions written as text: a literal as itself, an input position as its set in brackets.
std::string Describe(const EditMask& m) {
    std::string out;
    for (const auto& p : m.Positions()) {
        const std::string chars = QString::fromStdU32String(p.chars).toStdString();
        out += p.literal ? chars : "[" + chars + "]";
    }
    return out;
}

TEST(EditMask, Language) {
    struct Case { const char* mask; bool parses; bool reads; const char* positions; };
    const Case cases[] = {
        {"", true, true, ""},
        {"[0-9][0-9].[0-9][0-9].[0-9][0-9][0-9][0-9]", true, true,
         "[0123456789][0123456789].[0123456789][0123456789].[0123456789][0123456789][0123456789][0123456789]"},
        {"[0-9", false, false, ""},                       // unbalanced
        {"0-9]", false, true, "0-9]"},                    // unbalanced for Parse; literals for the reader
        {"[[0]]", false, true, "[[0]]"},                  // nested bracket
        {"[-9]", true, false, ""},                        // a range without a start
        {"a-\\b", true, true, "a-\\b"},                   // outside brackets "-" and "\" are literals
        {"[a\\-b]", true, true, "[a-b]"},                 // escaped "-" is a member
        {"[\\\\]", true, true, "[\\]"},                   // escaped "\" is a member
        {"[Z-\\\\]", true, true, "[Z[\\]"},               // "\" after an escape ends an open range
        {"[]", true, true, "[]"},                         // an empty set accepts nothing
        {"[abc]", true, true, "[abc]"},
        {"[3-5x]", true, true, "[345x]"},
        {"[А-Г]", true, true, "[АБВГ]"},                  // Cyrillic: both ends negative bytes
        {"[y-Б]", true, true, "[]"},                      // across 128: empty
        {"[a-€]", true, true, "[]"},                      // € is byte 0x88 (negative)
        {"[a-☺]", true, true, "[]"},                      // the code page lacks ☺: empty
        {"[☺x]", true, true, "[☺x]"},                     // ... but it may be a member
        {"[5-3]", true, true, "[]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        EXPECT_EQ(EditMask::Parse(c.mask), c.parses);
        EditMask m;
        EXPECT_EQ(m.SetValidChars(c.mask), c.reads);
        EXPECT_EQ(Describe(m), c.positions);
    }
}

TEST(EditMask, AtMost256Positions) {
    EditMask m;
    EXPECT_TRUE(m.SetValidChars(std::string(256, 'x')));
    EXPECT_EQ(m.Size(), 256);
    EXPECT_FALSE(m.SetValidChars(std::string(257, 'x')));
    EXPECT_EQ(m.Size(), 0);
    std::string sets;
    for (int i = 0; i < 257; ++i)
        sets += "[0-9]";
    EXPECT_FALSE(m.SetValidChars(sets));
}

TEST(EditMask, Ranges) {
    EXPECT_EQ(EditMask::GetRange(U"0", U"3"), U"0123");
    EXPECT_EQ(EditMask::GetRange(U"а", U"г"), U("абвг"));
    EXPECT_EQ(EditMask::GetRange(U"01", U"3"), U"");
    EXPECT_EQ(EditMask::GetRange(U"", U"3"), U"");
}

TEST(EditMask, DataAndText) {
    EditMask m;
    ASSERT_TRUE(m.SetValidChars("[0-9][0-9][0-9][0-9]"));
    EXPECT_EQ(m.BuildText(U"12a4", U'_'), U"12_4");
    EXPECT_EQ(m.BuildText(U"1", U'_'), U"1___");
    EXPECT_EQ(m.ReadData(U"12_4", U'_'), U"124");
    EXPECT_EQ(m.ReadData(U"12", U'_'), U"12__");  // positions past the text give the prompt

    ASSERT_TRUE(m.SetValidChars("+7([0-9][0-9])"));
    EXPECT_EQ(m.BuildText(U"9", U'*'), U"+7(9*)");
    EXPECT_EQ(m.ReadData(U"+7(95)", U'*'), U"95");
    EXPECT_EQ(m.FindNextChar(0, false, true), 3);
    EXPECT_EQ(m.FindNextChar(5, false, false), 4);
    EXPECT_EQ(m.FindNextChar(5, true, false), 5);
    EXPECT_EQ(m.FindNextChar(5, false, true), -1);
}

// Editing "[0-9][0-9].[0-9][0-9]": caret and selection after each step.
class MaskEditorTest : public ::testing::Test {
protected:
    MaskEditorTest() {
        EXPECT_TRUE(mask.SetValidChars("[0-9][0-9].[0-9][0-9]"));
        s.text = mask.BuildText(U"", U'_');
    }
    void Expect(const char32_t* text, int caret, int selStart, int selEnd) {
        EXPECT_EQ(s.text, text);
        EXPECT_EQ(s.caret, caret);
        EXPECT_EQ(s.selStart, selStart);
        EXPECT_EQ(s.selEnd, selEnd);
    }
    EditMask mask;
    MaskEditor editor{mask};
    MaskEditState s;
};

TEST_F(MaskEditorTest, TypingSkipsLiteralsAndRefusesOthers) {
    editor.Type(s, U'1');
    Expect(U"1_.__", 1, 1, 1);
    editor.Type(s, U'x');  // refused: nothing changes
    Expect(U"1_.__", 1, 1, 1);
    editor.Type(s, U'2');
    Expect(U"12.__", 3, 3, 3);
    editor.Type(s, U'3');
    editor.Type(s, U'4');
    Expect(U"12.34", 5, 5, 5);  // one past the last input position
    editor.Type(s, U'5');       // past the mask: dropped
    Expect(U"12.34", 5, 5, 5);
    editor.Type(s, 9);          // Tab as a character is ignored
    Expect(U"12.34", 5, 5, 5);
}

TEST_F(MaskEditorTest, BackspaceAndDelete) {
    s.text = U"12.34";
    s.caret = s.selStart = s.selEnd = 5;
    editor.Type(s, 8);
    Expect(U"12.3_", 4, 4, 4);
    editor.Type(s, 8);
    Expect(U"12.__", 3, 3, 3);
    editor.Type(s, 8);  // over the literal
    Expect(U"1_.__", 1, 1, 1);
    s.caret = s.selStart = s.selEnd = 0;
    editor.Type(s, 8);  // nothing at 0
    Expect(U"1_.__", 0, 0, 0);
    editor.Key(s, MaskKey::Delete, false);
    Expect(U"__.__", 1, 1, 1);
    s.text = U"12.34";
    editor.Key(s, MaskKey::End, false);
    editor.Key(s, MaskKey::Delete, false);  // beyond the last input position: nothing
    Expect(U"12.34", 5, 5, 5);
}

TEST_F(MaskEditorTest, HomeEndArrowsWithShift) {
    s.text = U"12.34";
    editor.Key(s, MaskKey::End, false);
    Expect(U"12.34", 5, 5, 5);
    editor.Key(s, MaskKey::Left, false);
    Expect(U"12.34", 4, 4, 4);
    editor.Key(s, MaskKey::Left, false);
    editor.Key(s, MaskKey::Left, false);
    Expect(U"12.34", 1, 1, 1);
    editor.Key(s, MaskKey::Right, false);
    Expect(U"12.34", 3, 3, 3);
    editor.Key(s, MaskKey::Home, true);
    Expect(U"12.34", 3, 0, 3);
    editor.Key(s, MaskKey::Home, false);
    Expect(U"12.34", 0, 0, 0);
    editor.Key(s, MaskKey::Left, false);  // no previous input position
    Expect(U"12.34", 0, 0, 0);
    editor.Key(s, MaskKey::Right, false);
    editor.Key(s, MaskKey::End, true);
    Expect(U"12.34", 1, 1, 5);
    editor.Key(s, MaskKey::Delete, false);  // a selection: reset, caret to its first input position
    Expect(U"1_.__", 1, 1, 1);
}

TEST_F(MaskEditorTest, TypingOverASelection) {
    s.text = U"12.34";
    s.caret = 0;
    s.selStart = 2;
    s.selEnd = 5;
    editor.Type(s, U'9');  // the selection starts on the literal: the caret goes to the next input position
    Expect(U"12.9_", 4, 4, 4);
    s.selStart = 0;
    s.selEnd = 5;
    editor.Type(s, U'x');  // refused character, but the selection is still cleared
    Expect(U"__.__", 0, 0, 0);
}

TEST_F(MaskEditorTest, OverlongTextIsRebuilt) {
    s.text = U"12.345";
    editor.Type(s, U'1');
    EXPECT_EQ(s.text, U"__.__");
}

}  // namespace
