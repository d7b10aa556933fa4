// Reading an ISO 10303-21 exchange structure into a store. Hostile input fails with a
// code and a text naming the line; nothing is trusted (lengths, numbers, nesting).
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "platform/text/numbers.h"
#include "platform/text/utf8.h"
#include "platform/zordata/code_pages.h"
#include "platform/zordata/databuf.h"
#include "platform/zordata/step_io.h"
#include "platform/zordata/store_internal.h"

namespace zor_detail {

namespace {

constexpr int kMaxDepth = 64;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsKeywordStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsKeywordChar(char c) { return IsKeywordStart(c) || (c >= '0' && c <= '9'); }
using zor::IsDigit;

class Reader {
public:
    Reader(CzorStepData& store, std::string_view text, StepReadError& err)
        : m_store(store), m_begin(text.data()), m_p(text.data()), m_end(text.data() + text.size()), m_err(err),
          m_arena(zorStoreAccess::ArenaOf(store)) {}

    bool Run();

private:
    // ---- errors
    int LineAt(const char* at) const {
        return 1 + static_cast<int>(std::count(m_begin, std::min(at, m_end), '\n'));
    }
    bool Fail(int code, const std::string& what) { return FailAt(code, what, m_p); }
    bool FailAt(int code, const std::string& what, const char* at) {
        if (m_err.code) return false;  // keep the first error
        m_err.code = code;
        m_err.text = "строка " + std::to_string(LineAt(at)) + ": " + what;
        return false;
    }
    bool Truncated() { return Fail(zorErrFileSyntax, "файл оборван"); }
    std::string Near() const {
        if (m_p >= m_end) return "конец файла";
        const unsigned char c = static_cast<unsigned char>(*m_p);
        if (c >= 0x21 && c < 0x7F) return std::string("'") + static_cast<char>(c) + "'";
        char buf[16];
        std::snprintf(buf, sizeof buf, "байт 0x%02X", c);
        return buf;
    }

    // ---- lexing
    bool SkipSpace() {
        for (;;) {
            while (m_p < m_end && (*m_p == ' ' || *m_p == '\n' || *m_p == '\r' || *m_p == '\t')) ++m_p;
            if (m_p + 1 < m_end && m_p[0] == '/' && m_p[1] == '*') {
                const char* close = static_cast<const char*>(memmem(m_p + 2, static_cast<size_t>(m_end - m_p - 2), "*/", 2));
                if (!close) return Fail(zorErrFileSyntax, "незакрытый комментарий");
                m_p = close + 2;
                continue;
            }
            return true;
        }
    }
    bool Expect(char c) {
        if (!SkipSpace()) return false;
        if (m_p < m_end && *m_p == c) { ++m_p; return true; }
        if (m_p >= m_end) return Truncated();
        return Fail(zorErrFileSyntax, std::string("ожидается '") + c + "', найдено " + Near());
    }
    // Reads a keyword (letters, digits, '_', and '-' in the standard's own keywords).
    bool Keyword(std::string_view& kw, bool allowDash = false) {
        if (!SkipSpace()) return false;
        const char* s = m_p;
        if (m_p >= m_end) return Truncated();
        if (!IsKeywordStart(*m_p)) return Fail(zorErrFileSyntax, "ожидается ключевое слово, найдено " + Near());
        while (m_p < m_end && (IsKeywordChar(*m_p) || (allowDash && *m_p == '-'))) ++m_p;
        kw = std::string_view(s, static_cast<size_t>(m_p - s));
        return true;
    }
    bool ExpectKeyword(const char* want, bool allowDash = false) {
        const char* at = m_p;
        std::string_view kw;
        if (!Keyword(kw, allowDash)) return false;
        if (kw != want) return FailAt(zorErrFileSyntax, std::string("ожидается ") + want, at);
        return true;
    }

    // ---- values
    bool ParseText(std::string& out);
    bool ParseInteger(int& out);
    bool ParseReal(double& out);
    bool ParseBinary(CzorDataBuf& out);
    bool ParseInstanceNumber(uint64_t& n);
    bool SkipParam(int depth);
    bool ParseHeader();
    bool ParseData();
    bool ParseRecord();
    bool ParseAttr(CzorAttr* attr, CzorValue& v);
    bool Resolve();
    uint64_t NumberOf(CzorInstance* inst) const {
        if (zorStoreAccess::Mark(inst)) return zorStoreAccess::Mark(inst);
        for (const auto& [n, i] : m_other)
            if (i == inst) return n;
        return 0;
    }
    // Files number their instances #1, #2, ... in order, so #n is usually the n-th
    // instance read; numbers out of that order go to a hash table.
    CzorInstance* Lookup(uint64_t n) const {
        const CzorTAggr<CzorInstance>& all = m_store.GetInstances();
        if (n >= 1 && n <= static_cast<uint64_t>(all.GetSize())) {
            CzorInstance* i = all.GetAt(static_cast<int>(n - 1));
            if (zorStoreAccess::Mark(i) == n) return i;
        }
        auto it = m_other.find(n);
        return it == m_other.end() ? nullptr : it->second;
    }

    CzorStepData& m_store;
    const char* m_begin;
    const char* m_p;
    const char* m_end;
    StepReadError& m_err;
    Arena& m_arena;
    std::vector<std::string> m_schemas;
    bool m_sawSchema = false;
    std::unordered_map<uint64_t, CzorInstance*> m_other;
    std::vector<CzorValue> m_items;  // scratch for lists
    // The attributes of the entity last asked for, in value slot order.
    const std::vector<CzorAttr*>& AttrsOf(const CzorEntity* entity) {
        if (entity != m_attrsOf) {
            entity->GetAllAttrs(m_attrs);
            m_attrsOf = entity;
        }
        return m_attrs;
    }
    const CzorEntity* m_attrsOf = nullptr;
    std::vector<CzorAttr*> m_attrs;
    std::string m_text;              // scratch for texts with escapes
};

bool Reader::ParseText(std::string& out) {
    // m_p at the opening quote
    ++m_p;
    out.clear();
    int page = 0;  // the code page of \S\ characters: ISO 8859-(page + 1), chosen by \PA\ to \PI\ (default A)
    while (m_p < m_end) {
        const char* run = m_p;
        while (m_p < m_end && *m_p != '\'' && *m_p != '\\' && *m_p != '\n' && *m_p != '\r' && *m_p != '\0') ++m_p;
        out.append(run, static_cast<size_t>(m_p - run));
        if (m_p >= m_end) break;
        const char c = *m_p;
        if (c == '\n' || c == '\r') { ++m_p; continue; }  // line breaks are not part of the text
        if (c == '\0') return Fail(zorErrFileSyntax, "нулевой байт в строке");
        if (c == '\'') {
            if (m_p + 1 < m_end && m_p[1] == '\'') { out.push_back('\''); m_p += 2; continue; }
            ++m_p;
            return true;
        }
        // backslash escapes
        const char* at = m_p;
        auto need = [&](size_t n) { return static_cast<size_t>(m_end - m_p) >= n; };
        if (need(2) && m_p[1] == '\\') { out.push_back('\\'); m_p += 2; continue; }
        // The print controls \N\ (new line) and \F\ (new page) say how a text was laid out, not what it
        // holds: other writers put them anywhere, and they are passed over.
        if (need(3) && (m_p[1] == 'N' || m_p[1] == 'F') && m_p[2] == '\\') { m_p += 3; continue; }
        if (need(4) && m_p[1] == 'X' && m_p[2] == '\\') {
            const int h = need(5) ? HexDigit(m_p[3]) : -1, l = need(5) ? HexDigit(m_p[4]) : -1;
            if (h < 0 || l < 0) return FailAt(zorErrFileSyntax, "неверная последовательность \\X\\ в строке", at);
            // A text holds no NUL: the value would end there and lose the rest.
            if (h == 0 && l == 0) return FailAt(zorErrFileSyntax, "нулевой символ \\X\\00 в строке", at);
            zor::AppendUtf8(out, static_cast<char32_t>(h * 16 + l));
            m_p += 5;
            continue;
        }
        if (need(4) && m_p[1] == 'X' && (m_p[2] == '2' || m_p[2] == '4') && m_p[3] == '\\') {
            const int width = m_p[2] == '2' ? 4 : 8;
            m_p += 4;
            char32_t high = 0;
            for (;;) {
                if (need(4) && m_p[0] == '\\' && m_p[1] == 'X' && m_p[2] == '0' && m_p[3] == '\\') { m_p += 4; break; }
                if (!need(static_cast<size_t>(width))) return FailAt(zorErrFileSyntax, "незакрытая последовательность \\X2\\ или \\X4\\", at);
                uint32_t code = 0;
                for (int k = 0; k < width; ++k) {
                    const int d = HexDigit(m_p[k]);
                    if (d < 0) return FailAt(zorErrFileSyntax, "неверная шестнадцатеричная цифра в строке", at);
                    code = code * 16 + static_cast<uint32_t>(d);
                }
                m_p += width;
                if (width == 4 && code >= 0xD800 && code <= 0xDBFF) {
                    if (high) return FailAt(zorErrFileSyntax, "неверная суррогатная пара в строке", at);
                    high = code;
                    continue;
                }
                if (width == 4 && code >= 0xDC00 && code <= 0xDFFF) {
                    if (!high) return FailAt(zorErrFileSyntax, "неверная суррогатная пара в строке", at);
                    code = 0x10000 + ((high - 0xD800) << 10) + (code - 0xDC00);
                    high = 0;
                } else if (high) {
                    return FailAt(zorErrFileSyntax, "неверная суррогатная пара в строке", at);
                }
                if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code == 0)
                    return FailAt(zorErrFileSyntax, "недопустимый символ в строке", at);
                zor::AppendUtf8(out, code);
            }
            if (high) return FailAt(zorErrFileSyntax, "неверная суррогатная пара в строке", at);
            continue;
        }
        if (need(3) && m_p[1] == 'S' && m_p[2] == '\\') {
            if (!need(4)) break;
            // \S\c is the character of byte c + 128 in the code page in force.
            const unsigned char c = static_cast<unsigned char>(m_p[3]);
            const char32_t code = c >= 0x20 && c <= 0x7E ? zor_detail::CodePageChar(page, static_cast<unsigned char>(c + 128)) : 0;
            if (code == 0) return FailAt(zorErrFileSyntax, "символ \\S\\ не определён в кодовой странице строки", at);
            zor::AppendUtf8(out, code);
            m_p += 4;
            continue;
        }
        if (need(4) && m_p[1] == 'P' && m_p[3] == '\\' && m_p[2] >= 'A' && m_p[2] <= 'I') {
            page = m_p[2] - 'A';
            m_p += 4;
            continue;
        }
        return FailAt(zorErrFileSyntax, "неизвестная последовательность '\\' в строке", at);
    }
    return Fail(zorErrFileSyntax, "незакрытая строка");
}

bool Reader::ParseInteger(int& out) {
    const char* s = m_p;
    bool neg = false;
    if (m_p < m_end && (*m_p == '+' || *m_p == '-')) { neg = *m_p == '-'; ++m_p; }
    if (m_p >= m_end || !IsDigit(*m_p)) return FailAt(zorErrFileValue, "ожидается целое число", s);
    long long v = 0;
    while (m_p < m_end && IsDigit(*m_p)) {
        v = v * 10 + (*m_p - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) {
            while (m_p < m_end && IsDigit(*m_p)) ++m_p;
            return FailAt(zorErrFileNumber, "целое число вне допустимого диапазона", s);
        }
        ++m_p;
    }
    if (m_p < m_end && (*m_p == '.' || *m_p == 'E' || *m_p == 'e'))
        return FailAt(zorErrFileValue, "вещественное число вместо целого", s);
    if (neg) v = -v;
    if (v > INT_MAX || v < INT_MIN) return FailAt(zorErrFileNumber, "целое число вне допустимого диапазона", s);
    out = static_cast<int>(v);
    return true;
}

bool Reader::ParseReal(double& out) {
    const char* s = m_p;
    const char* q = m_p;
    if (q < m_end && (*q == '+' || *q == '-')) ++q;
    if (q >= m_end || !IsDigit(*q)) return FailAt(zorErrFileValue, "ожидается вещественное число", s);
    const char* start = (*s == '+') ? s + 1 : s;  // from_chars takes no '+'
    auto r = std::from_chars(start, m_end, out, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        m_p = r.ptr;
        return FailAt(zorErrFileNumber, "вещественное число вне допустимого диапазона", s);
    }
    if (r.ec != std::errc() || !std::isfinite(out)) return FailAt(zorErrFileValue, "неверное вещественное число", s);
    m_p = r.ptr;
    return true;
}

bool Reader::ParseBinary(CzorDataBuf& out) {
    const char* s = m_p;
    ++m_p;  // opening "
    const char* hex = m_p;
    while (m_p < m_end && *m_p != '"') ++m_p;
    if (m_p >= m_end) return FailAt(zorErrFileSyntax, "незакрытые двоичные данные", s);
    const size_t n = static_cast<size_t>(m_p - hex);
    ++m_p;
    if (n == 0 || hex[0] != '0' || (n - 1) % 2 != 0)
        return FailAt(zorErrFileValue, "двоичные данные не из целых байтов", s);
    out.Clear();
    out.SetSize((n - 1) / 2);
    unsigned char* o = out.GetBuffer();
    for (size_t i = 1, k = 0; i < n; i += 2, ++k) {
        const int h = HexDigit(hex[i]), l = HexDigit(hex[i + 1]);
        if (h < 0 || l < 0) return FailAt(zorErrFileValue, "неверная цифра в двоичных данных", s);
        o[k] = static_cast<unsigned char>(h * 16 + l);
    }
    return true;
}

bool Reader::ParseInstanceNumber(uint64_t& n) {
    const char* s = m_p;
    ++m_p;  // '#'
    if (m_p >= m_end || !IsDigit(*m_p)) return FailAt(zorErrFileSyntax, "ожидается номер экземпляра после '#'", s);
    n = 0;
    while (m_p < m_end && IsDigit(*m_p)) {
        n = n * 10 + static_cast<uint64_t>(*m_p - '0');
        if (n > (1ULL << 48)) return FailAt(zorErrFileNumber, "слишком большой номер экземпляра", s);
        ++m_p;
    }
    if (n == 0) return FailAt(zorErrFileSyntax, "номер экземпляра #0", s);
    return true;
}

// Header parameters and unknown data are only checked for their form.
bool Reader::SkipParam(int depth) {
    if (depth > kMaxDepth) return Fail(zorErrFileSyntax, "слишком глубокая вложенность");
    if (!SkipSpace()) return false;
    if (m_p >= m_end) return Truncated();
    const char c = *m_p;
    if (c == '$' || c == '*') { ++m_p; return true; }
    if (c == '\'') return ParseText(m_text);
    if (c == '"') { CzorDataBuf b; return ParseBinary(b); }
    if (c == '#') { uint64_t n; return ParseInstanceNumber(n); }
    if (c == '.') {
        const char* s = m_p++;
        while (m_p < m_end && IsKeywordChar(*m_p)) ++m_p;
        if (m_p >= m_end || *m_p != '.') return FailAt(zorErrFileSyntax, "неверное перечислимое значение", s);
        ++m_p;
        return true;
    }
    if (c == '+' || c == '-' || IsDigit(c)) { double d; return ParseReal(d); }
    if (IsKeywordStart(c)) {  // typed parameter
        std::string_view kw;
        if (!Keyword(kw)) return false;
        if (!Expect('(')) return false;
        if (!SkipParam(depth + 1)) return false;
        return Expect(')');
    }
    if (c == '(') {
        ++m_p;
        if (!SkipSpace()) return false;
        if (m_p < m_end && *m_p == ')') { ++m_p; return true; }
        for (;;) {
            if (!SkipParam(depth + 1) || !SkipSpace()) return false;
            if (m_p >= m_end) return Truncated();
            if (*m_p == ')') { ++m_p; return true; }
            if (*m_p != ',') return Fail(zorErrFileSyntax, "ожидается ',' или ')', найдено " + Near());
            ++m_p;
        }
    }
    return Fail(zorErrFileSyntax, "неожиданный " + Near());
}

bool Reader::ParseHeader() {
    if (!ExpectKeyword("HEADER") || !Expect(';')) return false;
    for (;;) {
        std::string_view kw;
        if (!Keyword(kw)) return false;
        if (kw == "ENDSEC") return Expect(';');
        if (!Expect('(')) return false;
        if (kw == "FILE_SCHEMA") {
            // FILE_SCHEMA((name, ...))
            m_sawSchema = true;
            if (!Expect('(')) return false;
            if (!SkipSpace()) return false;
            while (m_p < m_end && *m_p != ')') {
                if (*m_p != '\'') return Fail(zorErrFileSyntax, "ожидается имя схемы в FILE_SCHEMA");
                std::string name;
                if (!ParseText(name) || !SkipSpace()) return false;
                m_schemas.push_back(std::move(name));
                if (m_p < m_end && *m_p == ',') { ++m_p; if (!SkipSpace()) return false; }
            }
            if (!Expect(')') || !Expect(')')) return false;
        } else {
            if (!SkipSpace()) return false;
            if (m_p < m_end && *m_p != ')') {
                for (;;) {
                    if (!SkipParam(1) || !SkipSpace()) return false;
                    if (m_p >= m_end) return Truncated();
                    if (*m_p == ')') break;
                    if (*m_p != ',') return Fail(zorErrFileSyntax, "ожидается ',' или ')', найдено " + Near());
                    ++m_p;
                }
            }
            if (!Expect(')')) return false;
        }
        if (!Expect(';')) return false;
    }
}

bool Reader::ParseAttr(CzorAttr* attr, CzorValue& v) {
    const char c = *m_p;
    if (c == '$') { ++m_p; return true; }
    const char* at = m_p;
    auto wrong = [&](const char* what) {
        return FailAt(zorErrFileValue, "атрибут " + attr->GetName() + ": " + what, at);
    };
    switch (attr->GetType()) {
    case zorINTEGER: {
        if (c != '+' && c != '-' && !IsDigit(c)) return wrong("ожидается целое число");
        int i = 0;
        if (!ParseInteger(i)) return false;
        v.Set(i);
        return true;
    }
    case zorREAL: {
        if (c != '+' && c != '-' && !IsDigit(c)) return wrong("ожидается вещественное число");
        double d = 0;
        if (!ParseReal(d)) return false;
        v.Set(d);
        return true;
    }
    case zorSTRING: {
        if (c != '\'') return wrong("ожидается строка");
        // Texts without escapes go straight into the arena.
        const char* s = m_p + 1;
        const char* q = s;
        while (q < m_end && *q != '\'' && *q != '\\' && *q != '\n' && *q != '\r' && *q != '\0') ++q;
        if (q < m_end && *q == '\'' && !(q + 1 < m_end && q[1] == '\'')) {
            zorStoreAccess::SetArenaText(v, m_arena.CopyText(s, static_cast<size_t>(q - s)));
            m_p = q + 1;
            return true;
        }
        if (!ParseText(m_text)) return false;
        zorStoreAccess::SetArenaText(v, m_arena.CopyText(m_text.data(), m_text.size()));
        return true;
    }
    case zorBOOLEAN: {
        if (m_end - m_p >= 3 && m_p[0] == '.' && m_p[2] == '.' && (m_p[1] == 'T' || m_p[1] == 'F')) {
            v.Set(m_p[1] == 'T');
            m_p += 3;
            return true;
        }
        return wrong("ожидается .T. или .F.");
    }
    case zorBINARY: {
        if (c != '"') return wrong("ожидаются двоичные данные");
        CzorDataBuf b;
        if (!ParseBinary(b)) return false;
        v.Set(b);
        return true;
    }
    case zorINSTANCE: {
        if (c != '#') return wrong("ожидается ссылка на экземпляр");
        uint64_t n = 0;
        if (!ParseInstanceNumber(n)) return false;
        zorStoreAccess::SetPending(v, n);
        return true;
    }
    case zorAGGREGATE: {
        if (c != '(') return wrong("ожидается список");
        ++m_p;
        m_items.clear();
        if (!SkipSpace()) return false;
        if (m_p < m_end && *m_p == ')') {
            ++m_p;
        } else {
            for (;;) {
                if (!SkipSpace()) return false;
                if (m_p >= m_end) return Truncated();
                if (*m_p != '#') return FailAt(zorErrFileValue, "атрибут " + attr->GetName() + ": ожидается ссылка на экземпляр в списке", m_p);
                uint64_t n = 0;
                if (!ParseInstanceNumber(n)) return false;
                m_items.emplace_back();
                zorStoreAccess::SetPending(m_items.back(), n);
                if (!SkipSpace()) return false;
                if (m_p >= m_end) return Truncated();
                if (*m_p == ')') { ++m_p; break; }
                if (*m_p != ',') return Fail(zorErrFileSyntax, "ожидается ',' или ')' в списке, найдено " + Near());
                ++m_p;
            }
        }
        auto* list = new CzorAggr(zorINSTANCE);
        auto& items = zorStoreAccess::Items(*list);
        items.reserve(m_items.size());
        for (CzorValue& item : m_items) items.push_back(std::move(item));
        zorStoreAccess::TakeAggr(v, list);
        return true;
    }
    default: return wrong("тип атрибута не поддерживается");
    }
}

bool Reader::ParseRecord() {
    const char* at = m_p;
    uint64_t n = 0;
    if (!ParseInstanceNumber(n)) return false;
    if (!Expect('=') || !SkipSpace()) return false;
    if (m_p < m_end && *m_p == '(') return Fail(zorErrFileSyntax, "составные экземпляры не поддерживаются");
    std::string_view kw;
    if (!Keyword(kw)) return false;
    CzorEntity* entity = zorStoreAccess::FindEntity(m_store, kw);
    if (!entity) return FailAt(zorErrFileValue, "сущность " + std::string(kw) + " отсутствует в словаре", at);
    // Numbers map to instances: a dense table for the usual numbering, a hash for far numbers.
    if (Lookup(n)) return FailAt(zorErrFileSyntax, "экземпляр #" + std::to_string(n) + " задан дважды", at);
    const uint64_t position = static_cast<uint64_t>(m_store.GetInstances().GetSize()) + 1;
    CzorInstance* inst = zorStoreAccess::NewInstance(m_store, entity);
    if (n == position && n < UINT32_MAX) {
        zorStoreAccess::Mark(inst) = static_cast<uint32_t>(n);
    } else {
        zorStoreAccess::Mark(inst) = 0;
        m_other[n] = inst;
    }
    if (!Expect('(')) return false;
    const std::vector<CzorAttr*>& attrs = AttrsOf(entity);
    auto* slots = zorStoreAccess::Slots(inst);
    const int count = static_cast<int>(attrs.size());
    if (!SkipSpace()) return false;
    if (count == 0) {
        if (!Expect(')')) return false;
        return Expect(';');
    }
    for (int k = 0; k < count; ++k) {
        if (!SkipSpace()) return false;
        if (m_p >= m_end) return Truncated();
        if (*m_p == ')') return Fail(zorErrFileValue, "у экземпляра #" + std::to_string(n) + " " + entity->GetUpperName() +
                                                          " меньше параметров, чем атрибутов (" + std::to_string(count) + ")");
        if (!ParseAttr(attrs[static_cast<size_t>(k)], slots[k].m_Value)) return false;
        if (!SkipSpace()) return false;
        if (m_p >= m_end) return Truncated();
        if (k + 1 < count) {
            if (*m_p != ',') {
                if (*m_p == ')') continue;  // reported as too few above
                return Fail(zorErrFileSyntax, "ожидается ',', найдено " + Near());
            }
            ++m_p;
        }
    }
    if (m_p < m_end && *m_p == ',')
        return Fail(zorErrFileValue, "у экземпляра #" + std::to_string(n) + " " + entity->GetUpperName() +
                                         " больше параметров, чем атрибутов (" + std::to_string(count) + ")");
    if (!Expect(')')) return false;
    return Expect(';');
}

bool Reader::ParseData() {
    // DATA; or DATA(...); (the section parameters of later editions are only checked)
    if (!SkipSpace()) return false;
    if (m_p < m_end && *m_p == '(') {
        if (!SkipParam(1)) return false;
    }
    if (!Expect(';')) return false;
    for (;;) {
        if (!SkipSpace()) return false;
        if (m_p >= m_end) return Truncated();
        if (*m_p == '#') {
            if (!ParseRecord()) return false;
            continue;
        }
        return ExpectKeyword("ENDSEC") && Expect(';');
    }
}

bool Reader::Resolve() {
    auto resolve = [&](CzorValue& v, CzorInstance* owner, CzorAttr* attr) -> bool {
        const uint64_t n = zorStoreAccess::PendingNumber(v);
        CzorInstance* target = Lookup(n);
        const std::string where = "экземпляр #" + std::to_string(NumberOf(owner)) + " " +
                                  owner->GetEntity()->GetUpperName() + "." + attr->GetName();
        if (!target) {
            m_err.code = zorErrFileReference;
            m_err.text = where + ": ссылка на отсутствующий экземпляр #" + std::to_string(n);
            return false;
        }
        if (!target->GetEntity()->IsKindOf(attr->GetDomain())) {
            m_err.code = zorErrFileValue;
            m_err.text = where + ": #" + std::to_string(n) + " не является " + attr->GetDomain()->GetUpperName();
            return false;
        }
        zorStoreAccess::SetInstance(v, target);
        return true;
    };
    for (CzorInstance* inst : m_store.GetInstances()) {
        auto* slots = zorStoreAccess::Slots(inst);
        const std::vector<CzorAttr*>& attrs = AttrsOf(inst->GetEntity());
        for (int k = 0; k < inst->GetValueCount(); ++k) {
            CzorValue& v = slots[k].m_Value;
            if (zorStoreAccess::IsPending(v)) {
                if (!resolve(v, inst, attrs[static_cast<size_t>(k)])) return false;
            } else if (CzorAggr* list = v.GetAggr()) {
                for (CzorValue& item : zorStoreAccess::Items(*list))
                    if (zorStoreAccess::IsPending(item) && !resolve(item, inst, attrs[static_cast<size_t>(k)])) return false;
            }
        }
    }
    return true;
}

bool Reader::Run() {
    if (!SkipSpace()) return false;
    if (!ExpectKeyword("ISO-10303-21", true) || !Expect(';')) return false;
    if (!ParseHeader()) return false;
    if (!m_sawSchema) return Fail(zorErrFileSchema, "в заголовке нет FILE_SCHEMA");
    bool ours = false;
    for (const std::string& s : m_schemas)
        if (zor::EqualsNoCase(s, m_store.GetDictName())) ours = true;
    if (!ours) {
        std::string names;
        for (const std::string& s : m_schemas) names += (names.empty() ? "" : ", ") + s;
        m_err.code = zorErrFileSchema;
        m_err.text = "схема файла " + (names.empty() ? std::string("не указана") : names) + ", загружен словарь " +
                     m_store.GetDictName();
        return false;
    }
    for (;;) {
        std::string_view kw;
        const char* at = m_p;
        if (!Keyword(kw, true)) return false;
        if (kw == "DATA") {
            if (!ParseData()) return false;
            continue;
        }
        if (kw == "END-ISO-10303-21") {
            if (!Expect(';') || !SkipSpace()) return false;
            if (m_p != m_end) return Fail(zorErrFileSyntax, "данные после END-ISO-10303-21");
            break;
        }
        return FailAt(zorErrFileSyntax, "неизвестный раздел " + std::string(kw), at);
    }
    return Resolve();
}

}  // namespace

bool ReadStepFile(CzorStepData& store, std::string_view text, StepReadError& err) {
    // Files hold one instance a line; the lines bound the instances closely enough.
    zorStoreAccess::ReserveInstances(store, static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    Reader r(store, text, err);
    if (r.Run()) return true;
    if (!err.code) {
        err.code = zorErrFileSyntax;
        err.text = "неверный формат";
    }
    return false;
}

}  // namespace zor_detail
