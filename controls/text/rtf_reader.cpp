#include <algorithm>
#include <map>
#include <set>

#include "controls/text/rtf_document.h"
#include "platform/text/cp1251.h"
#include "platform/text/utf8.h"

namespace zor {

namespace {

enum class Dest { Body, FontTable, FontEntry, ColorTable, Bullet, Skip };

struct GroupState {
    RtfCharFormat format;
    Dest dest = Dest::Body;
    int uc = 1;        // characters that stand in for a \u character
    int charset = 0;   // of the current font, for \'hh bytes
};

// Destinations whose text is not part of the document.
const std::set<std::string_view> kSkippedDestinations = {
    "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf", "footer", "footerl",
    "footerr", "footerf", "footnote", "fldinst", "pntext", "pntxtb", "pntxta", "listtable", "listoverridetable",
    "revtbl", "rsidtbl", "generator", "xmlnstbl", "themedata", "colorschememapping", "latentstyles", "datastore",
    "filetbl", "annotation", "atnid", "atnauthor", "bkmkstart", "bkmkend", "txe", "xe", "tc", "nonshppict"};

constexpr int kMaxParam = 1'000'000'000;
constexpr size_t kMaxTableEntries = 4096;

class Reader {
public:
    explicit Reader(std::string_view in) : m_in(in) {}

    RtfReadResult Run() {
        RtfReadResult result;
        size_t start = m_in.find_first_not_of(" \t\r\n");
        if (start == std::string_view::npos || m_in.substr(start, 5) != "{\\rtf") {
            result.doc.paragraphs.emplace_back();
            result.error = "the text is not RTF (it does not start with {\\rtf)";
            return result;
        }
        m_pos = start;
        Parse(result.error);
        FinishParagraph();
        result.doc.paragraphs = std::move(m_paragraphs);
        return result;
    }

private:
    void Parse(std::string& error) {
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            if (c == '{') {
                if (static_cast<int>(m_stack.size()) >= kRtfMaxDepth) {
                    error = "the RTF groups are nested too deeply";
                    return;
                }
                m_stack.push_back(m_stack.empty() ? GroupState{} : m_stack.back());
            } else if (c == '}') {
                if (m_stack.empty())
                    continue;
                EndGroup();
                if (m_stack.empty())
                    return;  // the document's group is closed: what follows is not ours
            } else if (m_stack.empty()) {
                continue;
            } else if (c == '\\') {
                ControlSymbolOrWord();
            } else if (c == '\r' || c == '\n') {
                continue;
            } else {
                Byte(static_cast<unsigned char>(c), false);
            }
        }
        if (!m_stack.empty())
            error = "the RTF text ends inside a group";
    }

    GroupState& State() { return m_stack.back(); }

    void EndGroup() {
        if (State().dest == Dest::FontEntry && !m_fontName.empty())
            CommitFont();
        m_stack.pop_back();
    }

    void ControlSymbolOrWord() {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (!IsLetter(c)) {
            ++m_pos;
            switch (c) {
            case '\'': Hex(); break;
            case '\\': case '{': case '}': Byte(static_cast<unsigned char>(c), true); break;
            case '*': m_ignorable = true; return;
            case '~': Char(0xA0); break;
            case '_': Char(0x2011); break;
            case '\r': case '\n': Word("par", false, 0); break;
            default: break;
            }
            m_ignorable = false;
            return;
        }
        const size_t begin = m_pos;
        while (m_pos < m_in.size() && IsLetter(m_in[m_pos]) && m_pos - begin < 32)
            ++m_pos;
        const std::string_view word = m_in.substr(begin, m_pos - begin);
        while (m_pos < m_in.size() && IsLetter(m_in[m_pos]))
            ++m_pos;  // an overlong word is cut, not read as text
        bool hasParam = false, negative = false;
        long long value = 0;
        if (m_pos < m_in.size() && m_in[m_pos] == '-' && m_pos + 1 < m_in.size() && IsDigit(m_in[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        while (m_pos < m_in.size() && IsDigit(m_in[m_pos])) {
            hasParam = true;
            value = std::min<long long>(value * 10 + (m_in[m_pos] - '0'), kMaxParam);
            ++m_pos;
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos;
        const bool ignorable = m_ignorable;
        m_ignorable = false;
        Word(word, hasParam, static_cast<int>(negative ? -value : value), ignorable);
    }

    void Word(std::string_view w, bool hasParam, int param, bool ignorable = false) {
        GroupState& s = State();
        if (w == "bin") {
            m_pos += std::min<size_t>(static_cast<size_t>(std::max(param, 0)), m_in.size() - m_pos);
            return;
        }
        if (s.dest == Dest::Skip)
            return;
        if (w == "fonttbl") { s.dest = Dest::FontTable; return; }
        if (w == "colortbl") { s.dest = Dest::ColorTable; m_color = {}; return; }
        if (w == "pn") { s.dest = Dest::Bullet; return; }
        if (kSkippedDestinations.count(w) != 0) { s.dest = Dest::Skip; return; }
        if (s.dest == Dest::FontTable || s.dest == Dest::FontEntry) {
            if (w == "f") {
                s.dest = Dest::FontEntry;
                m_fontNumber = param;
                m_fontCharset = 0;
                m_fontName.clear();
            } else if (w == "fcharset") {
                m_fontCharset = param;
            } else if (ignorable) {
                s.dest = Dest::Skip;
            }
            return;
        }
        if (s.dest == Dest::ColorTable) {
            const int v = std::clamp(param, 0, 255);
            if (w == "red") m_color.r = v, m_color.any = true;
            else if (w == "green") m_color.g = v, m_color.any = true;
            else if (w == "blue") m_color.b = v, m_color.any = true;
            return;
        }
        if (s.dest == Dest::Bullet) {
            if (w == "pnlvlblt")
                m_para.bullet = true;
            return;
        }
        if (ignorable) {
            s.dest = Dest::Skip;  // an ignorable destination we do not know
            return;
        }
        const bool on = !hasParam || param != 0;
        RtfCharFormat& f = s.format;
        if (w == "b") f.bold = on;
        else if (w == "i") f.italic = on;
        else if (w == "ul") f.underline = on;
        else if (w == "ulnone") f.underline = false;
        else if (w == "strike") f.strike = on;
        else if (w == "fs") f.sizeTwips = std::clamp(hasParam ? param : 24, 2, 3276) * 10;
        else if (w == "up") f.offsetTwips = std::clamp(hasParam ? param : 6, 0, 32767) * 10;
        else if (w == "dn") f.offsetTwips = -std::clamp(hasParam ? param : 6, 0, 32767) * 10;
        else if (w == "nosupersub") f.offsetTwips = 0;
        else if (w == "cf") {
            if (param > 0 && static_cast<size_t>(param) < m_colors.size() && m_colors[param])
                f.color = m_colors[param];
            else
                f.color.reset();
        } else if (w == "f") {
            if (auto it = m_fonts.find(param); it != m_fonts.end()) {
                f.face = it->second.face;
                f.charset = it->second.charset;
                s.charset = it->second.charset;
            }
        } else if (w == "fcharset") {
            // only meaningful in the font table
        } else if (w == "plain") {
            f = RtfCharFormat{};
            s.charset = m_defaultCharset;
        } else if (w == "pard") m_para = RtfParagraphFormat{};
        else if (w == "ql" || w == "qj") m_para.align = RtfAlign::Left;
        else if (w == "qr") m_para.align = RtfAlign::Right;
        else if (w == "qc") m_para.align = RtfAlign::Center;
        else if (w == "li") m_para.startIndentTwips = std::clamp(param, -31680, 31680);
        else if (w == "fi") m_para.offsetTwips = -std::clamp(param, -31680, 31680);
        else if (w == "par") {
            FinishParagraph();
        } else if (w == "line") Char(0x2028);
        else if (w == "tab") Char('\t');
        else if (w == "emdash") Char(0x2014);
        else if (w == "endash") Char(0x2013);
        else if (w == "bullet") Char(0x2022);
        else if (w == "lquote") Char(0x2018);
        else if (w == "rquote") Char(0x2019);
        else if (w == "ldblquote") Char(0x201C);
        else if (w == "rdblquote") Char(0x201D);
        else if (w == "uc") s.uc = std::clamp(param, 0, 16);
        else if (w == "u") {
            Unit(static_cast<uint16_t>(static_cast<int16_t>(param)));
            m_skip = s.uc;
            return;
        } else if (w == "ansicpg") {
            m_cp1251 = param == 1251;
        }
    }

    void Hex() {
        int value = 0;
        for (int i = 0; i < 2; ++i) {
            if (m_pos >= m_in.size())
                return;
            const char h = m_in[m_pos];
            const int d = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
            if (d < 0)
                return;
            value = value * 16 + d;
            ++m_pos;
        }
        Byte(static_cast<unsigned char>(value), true);
    }

    // A byte of text, from the input or from \'hh (`escaped`: a ';' does not end a font name).
    void Byte(unsigned char b, bool escaped) {
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        GroupState& s = State();
        if (s.dest == Dest::ColorTable && b == ';' && !escaped) {
            if (m_colors.size() < kMaxTableEntries)
                m_colors.push_back(m_color.any ? std::optional<COLORREF>(RGB(m_color.r, m_color.g, m_color.b)) : std::nullopt);
            m_color = {};
            return;
        }
        const bool cyrillic = m_cp1251 || (s.dest == Dest::FontEntry ? m_fontCharset : s.charset) == kRtfCharsetCyrillic;
        const char32_t c = b < 0x80 ? b : cyrillic ? Cp1251ToUnicode(b) : b;
        if (s.dest == Dest::FontEntry) {
            if (b == ';' && !escaped)
                CommitFont();
            else if (m_fontName.size() < 256)
                AppendUtf8(m_fontName, c);
            return;
        }
        Char(c);
    }

    void Unit(uint16_t u) {
        if (u >= 0xD800 && u < 0xDC00) {
            m_highSurrogate = u;
            return;
        }
        if (u >= 0xDC00 && u < 0xE000) {
            if (m_highSurrogate)
                Char(0x10000 + ((m_highSurrogate - 0xD800) << 10) + (u - 0xDC00));
            m_highSurrogate = 0;
            return;
        }
        m_highSurrogate = 0;
        Char(u);
    }

    void Char(char32_t c) {
        m_skip = 0;
        GroupState& s = State();
        if (s.dest != Dest::Body || c == 0)
            return;
        if (m_runs.empty() || !(m_runs.back().format == s.format))
            m_runs.push_back({s.format, {}});
        AppendUtf8(m_runs.back().text, c);
    }

    void CommitFont() {
        if (m_fonts.size() < kMaxTableEntries || m_fonts.count(m_fontNumber))
            m_fonts[m_fontNumber] = {m_fontName, m_fontCharset};
        if (m_fontNumber == 0)
            m_defaultCharset = m_fontCharset;
        m_fontName.clear();
    }

    void FinishParagraph() {
        m_paragraphs.push_back({m_para, std::move(m_runs)});
        m_runs.clear();
    }

    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    struct Font {
        std::string face;
        int charset;
    };
    struct PendingColor {
        int r = 0, g = 0, b = 0;
        bool any = false;
    };

    std::string_view m_in;
    size_t m_pos = 0;
    std::vector<GroupState> m_stack;
    bool m_ignorable = false;
    int m_skip = 0;
    uint16_t m_highSurrogate = 0;
    bool m_cp1251 = false;
    int m_defaultCharset = 0;
    std::map<int, Font> m_fonts;
    int m_fontNumber = 0;
    int m_fontCharset = 0;
    std::string m_fontName;
    std::vector<std::optional<COLORREF>> m_colors;
    PendingColor m_color;
    RtfParagraphFormat m_para;
    std::vector<RtfRun> m_runs;
    std::vector<RtfParagraph> m_paragraphs;
};

}  // namespace

RtfReadResult ReadRtf(std::string_view rtf) {
    return Reader(rtf).Run();
}

}  // namespace zor
