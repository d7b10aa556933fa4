#include <algorithm>
#include <cstdio>

#include "controls/text/rtf_document.h"
#include "platform/text/cp1251.h"
#include "platform/text/utf8.h"

namespace zor {

namespace {

void AppendUnit(std::string& out, int unit) {
    out += "\\u" + std::to_string(static_cast<int16_t>(static_cast<uint16_t>(unit))) + "?";
}

void AppendText(std::string& out, std::string_view utf8) {
    char hex[8];
    for (size_t pos = 0; pos < utf8.size();) {
        size_t size = 1;
        char32_t c = Utf8DecodeAt(utf8, pos, &size);
        pos += size ? size : 1;
        if (c == kNotAChar)
            c = U'\uFFFD';
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == '\n' || c == 0x2028) {
            out += "\\line ";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            continue;  // no other control character has a place in a run
        } else if (const int byte = UnicodeToCp1251(c); byte >= 0x80) {
            std::snprintf(hex, sizeof hex, "\\'%02x", static_cast<unsigned>(byte & 0xFF));
            out += hex;
        } else if (c > 0xFFFF) {
            AppendUnit(out, 0xD800 + ((c - 0x10000) >> 10));
            AppendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            AppendUnit(out, static_cast<int>(c));
        }
    }
}

int HalfPoints(int twips) { return (twips + (twips >= 0 ? 5 : -5)) / 10; }

template <class T>
int IndexOf(std::vector<T>& table, const T& value) {
    auto it = std::find(table.begin(), table.end(), value);
    if (it == table.end())
        it = table.insert(table.end(), value);
    return static_cast<int>(it - table.begin());
}

struct Font {
    std::string face;
    int charset;
    bool operator==(const Font&) const = default;
};

}  // namespace

std::string WriteRtf(const RtfDocument& doc) {
    std::vector<Font> fonts;
    std::vector<COLORREF> colors;
    std::string body;
    const bool empty = doc.paragraphs.empty() || (doc.paragraphs.size() == 1 && doc.paragraphs[0].runs.empty() &&
                                                  doc.paragraphs[0].format == RtfParagraphFormat{});
    for (size_t i = 0; !empty && i < doc.paragraphs.size(); ++i) {
        const RtfParagraph& p = doc.paragraphs[i];
        body += "\\pard";
        body += p.format.align == RtfAlign::Center ? "\\qc" : p.format.align == RtfAlign::Right ? "\\qr" : "\\ql";
        if (p.format.bullet)
            body += "{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}";
        if (p.format.startIndentTwips)
            body += "\\li" + std::to_string(p.format.startIndentTwips);
        if (p.format.offsetTwips)
            body += "\\fi" + std::to_string(-p.format.offsetTwips);
        // A blank ends a control word; after the bullet's group it would be text of the paragraph.
        if (body.back() != '}') body += ' ';
        for (const RtfRun& r : p.runs) {
            const RtfCharFormat& f = r.format;
            body += "{\\f" + std::to_string(IndexOf(fonts, Font{f.face, f.charset}));
            body += "\\fs" + std::to_string(HalfPoints(f.sizeTwips));
            if (f.bold) body += "\\b";
            if (f.italic) body += "\\i";
            if (f.underline) body += "\\ul";
            if (f.strike) body += "\\strike";
            if (f.color) body += "\\cf" + std::to_string(IndexOf(colors, *f.color) + 1);
            if (f.offsetTwips > 0) body += "\\up" + std::to_string(HalfPoints(f.offsetTwips));
            if (f.offsetTwips < 0) body += "\\dn" + std::to_string(HalfPoints(-f.offsetTwips));
            body += ' ';
            AppendText(body, r.text);
            body += '}';
        }
        if (i + 1 < doc.paragraphs.size())
            body += "\\par\n";
    }
    std::string out = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl";
    for (size_t i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + std::to_string(i) + "\\fcharset" + std::to_string(fonts[i].charset) + ' ';
        std::string face;
        AppendText(face, fonts[i].face);
        for (const char c : face)
            out += c == ';' ? std::string("\\'3b") : std::string(1, c);  // ';' ends the name
        out += ";}";
    }
    out += "}{\\colortbl ;";
    for (const COLORREF c : colors)
        out += "\\red" + std::to_string(GetRValue(c)) + "\\green" + std::to_string(GetGValue(c)) + "\\blue" +
               std::to_string(GetBValue(c)) + ';';
    out += "}\n" + body + "}";
    return out;
}

}  // namespace zor
