#include "controls/text/rtf_document.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

using namespace zor;

RtfRun MakeRun(std::string text, RtfCharFormat f = {}) { return {f, std::move(text)}; }

// One paragraph of every kind and a run of every character format.
RtfDocument EveryFormat() {
    RtfCharFormat bold, italic, underline, strike, colored, raised, lowered, other, latin;
    bold.bold = true;
    italic.italic = true;
    underline.underline = true;
    strike.strike = true;
    colored.color = RGB(200, 10, 30);
    raised.offsetTwips = 130;
    raised.sizeTwips = 200;
    lowered.offsetTwips = -60;
    other.face = "Times New Roman";
    other.sizeTwips = 480;
    latin.face = "Courier; New";
    latin.charset = 0;
    RtfDocument d;
    d.paragraphs.push_back({{}, {MakeRun("plain "), MakeRun("bold", bold), MakeRun("italic", italic), MakeRun("under", underline),
                                 MakeRun("strike", strike), MakeRun("red", colored)}});
    d.paragraphs.push_back({{RtfAlign::Center, false, 0, 0}, {MakeRun("x"), MakeRun("2", raised), MakeRun("i", lowered)}});
    d.paragraphs.push_back({{RtfAlign::Right, true, 0, 4}, {MakeRun("Привет, мир", other)}});
    d.paragraphs.push_back({{RtfAlign::Left, false, 360, 0},
                            {MakeRun("\\{}\ttab\u2028line €☺𝄞", latin)}});
    d.paragraphs.push_back({{}, {}});
    return d;
}

TEST(Rtf, EmptyDocumentIsTheFrameOnly) {
    RtfDocument empty;
    empty.paragraphs.emplace_back();
    const std::string frame = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl}{\\colortbl ;}\n}";
    EXPECT_EQ(WriteRtf(empty), frame);
    EXPECT_EQ(WriteRtf(RtfDocument{}), frame);
    const RtfReadResult back = ReadRtf(frame);
    EXPECT_EQ(back.error, "");
    EXPECT_EQ(back.doc, empty);
}

TEST(Rtf, EveryFormatRoundTrips) {
    const RtfDocument doc = EveryFormat();
    const std::string rtf = WriteRtf(doc);
    // Cyrillic goes as code page bytes, the rest as UTF-16 units.
    EXPECT_NE(rtf.find("\\'cf\\'f0\\'e8"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\u9786?"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\u-10188?\\u-8930?"), std::string::npos) << rtf;  // U+1D11E as a surrogate pair
    EXPECT_NE(rtf.find("\\'88"), std::string::npos) << rtf;                 // € is in the code page
    EXPECT_NE(rtf.find("{\\f1\\fcharset204 Times New Roman;}"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("Courier\\'3b New;"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("{\\*\\pn\\pnlvlblt"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\red200\\green10\\blue30;"), std::string::npos) << rtf;
    for (char c : rtf)
        EXPECT_GT(static_cast<unsigned char>(c), 0) << "RTF is seven-bit text";
    const RtfReadResult back = ReadRtf(rtf);
    EXPECT_EQ(back.error, "");
    EXPECT_EQ(back.doc, doc);
    EXPECT_EQ(WriteRtf(back.doc), rtf);
}

// A bulleted paragraph with no indent writes no control word after the bullet's group: nothing may stand
// there that reads back as text (a blank would grow by one on every trip).
TEST(Rtf, BulletsWithoutIndentRoundTripUnchanged) {
    struct Case { RtfParagraphFormat format; std::vector<RtfRun> runs; };
    const Case cases[] = {
        {{RtfAlign::Left, true, 0, 0}, {MakeRun("d")}},
        {{RtfAlign::Center, true, 0, 0}, {MakeRun(" leading blank")}},
        {{RtfAlign::Right, true, 0, 0}, {}},
        {{RtfAlign::Left, true, 360, 0}, {MakeRun("indented")}},
    };
    for (const Case& c : cases) {
        RtfDocument doc;
        doc.paragraphs.push_back({{}, {MakeRun("first")}});
        doc.paragraphs.push_back({c.format, c.runs});
        const std::string rtf = WriteRtf(doc);
        const RtfReadResult back = ReadRtf(rtf);
        EXPECT_EQ(back.error, "") << rtf;
        EXPECT_EQ(back.doc, doc) << rtf;
        EXPECT_EQ(WriteRtf(back.doc), rtf);
    }
}

TEST(Rtf, OffsetsAreRoundedOnTheFirstTripOnly) {
    RtfCharFormat raised;
    raised.offsetTwips = 133;
    RtfDocument doc;
    doc.paragraphs.push_back({{}, {MakeRun("2", raised)}});
    const std::string once = WriteRtf(doc);
    EXPECT_NE(once.find("\\up13 "), std::string::npos);
    const RtfDocument back = ReadRtf(once).doc;
    EXPECT_EQ(back.paragraphs[0].runs[0].format.offsetTwips, 130);
    EXPECT_EQ(WriteRtf(back), once);
}

TEST(Rtf, ForeignRtf) {
    struct Case { const char* name; std::string rtf; std::string text; };
    const Case cases[] = {
        {"unknown words and ignorable groups",
         "{\\rtf1\\ansi\\ansicpg1252{\\*\\generator X;}{\\*\\unknowndest secret}\\viewkind4 Hello\\~there}",
         "Hello\u00A0there"},
        {"stylesheet and info skipped", "{\\rtf1{\\stylesheet{\\s1 Heading;}}{\\info{\\title T}}body}", "body"},
        {"unicode with its fallback", "{\\rtf1\\uc1 a\\u1046?b\\uc2\\u1046\\'3f\\'3fc}", "aЖbЖc"},
        {"latin-1 bytes without a code page", "{\\rtf1 caf\\'e9}", "café"},
        {"cyrillic font charset", "{\\rtf1{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 \\'c4\\'e0}", "Да"},
        {"binary data skipped", "{\\rtf1 a{\\*\\blob\\bin4 }}}x}b}", "ab"},
        {"text after the end ignored", "{\\rtf1 a}b{c}", "a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RtfReadResult r = ReadRtf(c.rtf);
        EXPECT_EQ(r.error, "");
        std::string text;
        for (const auto& p : r.doc.paragraphs)
            for (const auto& run : p.runs)
                text += run.text;
        EXPECT_EQ(text, c.text);
    }
}

// Hostile input: never a crash, an error where the text is broken, what came before kept.
TEST(Rtf, HostileInput) {
    struct Case { const char* name; std::string rtf; bool error; };
    const Case cases[] = {
        {"empty", "", true},
        {"not rtf", "plain text", true},
        {"deep groups", "{\\rtf1 " + std::string(100000, '{') + "x", true},
        {"huge numbers", "{\\rtf1\\fs99999999999999999999\\up-99999999999999\\u99999999999 \\uc99999999 x\\li-9999999999}", false},
        {"cut after a backslash", "{\\rtf1 abc\\", true},
        {"cut in a hex byte", "{\\rtf1 abc\\'4", true},
        {"cut in binary", "{\\rtf1 \\bin999999 ab", true},
        {"negative binary", "{\\rtf1 \\bin-5 ab}", false},
        {"lone surrogates", "{\\rtf1 \\u-10187?x\\u-8482?y}", false},
        {"huge tables", "{\\rtf1{\\fonttbl{\\f2147483647 A;}{\\f-2147483648 B;}}{\\colortbl ;\\red999\\green-1;}\\cf999999\\f2147483647 x}", false},
        {"overlong word", "{\\rtf1\\" + std::string(10000, 'a') + "123 x}", false},
        {"unbalanced close", "{\\rtf1 }}}}", false},
        {"zero bytes", std::string("{\\rtf1 a\0b\\'00c}", 16), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RtfReadResult r = ReadRtf(c.rtf);
        EXPECT_EQ(!r.error.empty(), c.error) << r.error;
        EXPECT_FALSE(r.doc.paragraphs.empty());
    }
    // Every cut of a valid text, and seeded random damage.
    const std::string good = WriteRtf(EveryFormat());
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(ReadRtf(good.substr(0, n)).doc.paragraphs.empty());
    std::mt19937 rng(28);
    for (int i = 0; i < 2000; ++i) {
        std::string bad = good;
        for (int k = 0; k < 4; ++k)
            bad[rng() % bad.size()] = static_cast<char>(rng() % 256);
        ReadRtf(bad);
    }
}

}  // namespace
