#include "platform/base/inifile.h"

#include "platform/base/file_io.h"
#include "platform/text/utf8.h"

namespace zor {

namespace {

constexpr std::string_view kLineBlanks = " \t";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view TrimBlanks(std::string_view s) {
    const size_t b = s.find_first_not_of(kLineBlanks);
    if (b == std::string_view::npos) return {};
    const size_t e = s.find_last_not_of(kLineBlanks);
    return s.substr(b, e - b + 1);
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

bool NeedsQuotes(std::string_view v) {
    if (v.empty()) return false;
    if (kLineBlanks.find(v.front()) != std::string_view::npos || kLineBlanks.find(v.back()) != std::string_view::npos)
        return true;
    return v.size() >= 2 && v.front() == '"' && v.back() == '"';
}

}  // namespace

void IniFile::Parse(std::string_view text) {
    m_sections.clear();
    m_sections.push_back(Section{{}, false, {}, {}});
    m_bom = text.substr(0, kBom.size()) == kBom;
    if (m_bom) text.remove_prefix(kBom.size());
    const size_t firstEnd = text.find('\n');
    m_crlf = firstEnd != std::string_view::npos && firstEnd > 0 && text[firstEnd - 1] == '\r';

    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        // Every CR before the line end goes, not only the one of a CR LF: a line kept with a CR at its end
        // would be written as a CR LF line, and the file would read back with other line ends than it had.
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);

        const std::string_view t = TrimBlanks(line);
        if (!t.empty() && t.front() == '[') {
            const size_t close = t.find(']');
            const std::string_view name = TrimBlanks(t.substr(1, close == std::string_view::npos ? t.npos : close - 1));
            m_sections.push_back(Section{std::string(name), true, std::string(line), {}});
            continue;
        }
        Line l{std::string(line), {}, {}};
        const size_t eq = t.find('=');
        if (!t.empty() && t.front() != ';' && t.front() != '#' && eq != std::string_view::npos && eq > 0) {
            l.key = std::string(TrimBlanks(t.substr(0, eq)));
            std::string_view v = TrimBlanks(t.substr(eq + 1));
            if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
            l.value = std::string(v);
        }
        m_sections.back().lines.push_back(std::move(l));
    }
}

std::string IniFile::Text() const {
    const std::string_view eol = m_crlf ? "\r\n" : "\n";
    std::string out;
    if (m_bom) out += kBom;
    for (const Section& s : m_sections) {
        if (s.hasHeader) (out += s.header) += eol;
        for (const Line& l : s.lines) (out += l.raw) += eol;
    }
    return out;
}

bool IniFile::Load(const std::string& path, std::string* error) {
    std::string bytes;
    const bool ok = ReadWholeFile(path, bytes, error);
    Parse(bytes);
    return ok;
}

bool IniFile::Save(const std::string& path, std::string* error) const {
    return WriteFileAtomically(path, Text(), error);
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    for (const Section& s : m_sections) {
        if (!s.hasHeader || !EqualsNoCase(s.name, section)) continue;
        for (const Line& l : s.lines)
            if (!l.key.empty() && EqualsNoCase(l.key, key)) return l.value;
    }
    return std::nullopt;
}

std::string IniFile::GetString(std::string_view section, std::string_view key, std::string_view def) const {
    auto v = Get(section, key);
    return v ? *v : std::string(def);
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
    for (Section& s : m_sections)
        if (s.hasHeader && EqualsNoCase(s.name, name)) return &s;
    return nullptr;
}

std::string IniFile::EntryLine(std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    if (NeedsQuotes(value)) {
        ((line += '"') += value) += '"';
    } else {
        line += value;
    }
    return line;
}

bool IniFile::SetString(std::string_view section, std::string_view key, std::string_view value) {
    if (section.empty() || TrimBlanks(section) != section || HasLineBreak(section) ||
        section.find(']') != std::string_view::npos)
        return false;
    if (key.empty() || TrimBlanks(key) != key || HasLineBreak(key) || key.find('=') != std::string_view::npos ||
        key.front() == ';' || key.front() == '#' || key.front() == '[')
        return false;
    if (HasLineBreak(value)) return false;

    if (m_sections.empty()) m_sections.push_back(Section{{}, false, {}, {}});
    for (Section& s : m_sections) {
        if (!s.hasHeader || !EqualsNoCase(s.name, section)) continue;
        for (Line& l : s.lines) {
            if (l.key.empty() || !EqualsNoCase(l.key, key)) continue;
            l.value = std::string(value);
            l.raw = EntryLine(l.key, value);
            return true;
        }
    }
    Section* s = FindSection(section);
    if (!s) {
        m_sections.push_back(Section{std::string(section), true, "[" + std::string(section) + "]", {}});
        s = &m_sections.back();
    }
    // After the section's last entry, so that blank lines and comments before the next section stay there.
    size_t at = s->lines.size();
    while (at > 0 && s->lines[at - 1].key.empty()) --at;
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at),
                    Line{EntryLine(key, value), std::string(key), std::string(value)});
    return true;
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key) {
    bool removed = false;
    for (Section& s : m_sections) {
        if (!s.hasHeader || !EqualsNoCase(s.name, section)) continue;
        const auto n = std::erase_if(s.lines, [&](const Line& l) { return !l.key.empty() && EqualsNoCase(l.key, key); });
        removed = removed || n > 0;
    }
    return removed;
}

bool IniFile::DeleteSection(std::string_view section) {
    const auto n = std::erase_if(m_sections, [&](const Section& s) { return s.hasHeader && EqualsNoCase(s.name, section); });
    return n > 0;
}

std::vector<std::string> IniFile::SectionNames() const {
    std::vector<std::string> names;
    for (const Section& s : m_sections) {
        if (!s.hasHeader) continue;
        bool seen = false;
        for (const auto& n : names) seen = seen || EqualsNoCase(n, s.name);
        if (!seen) names.push_back(s.name);
    }
    return names;
}

std::vector<std::string> IniFile::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    for (const Section& s : m_sections) {
        if (!s.hasHeader || !EqualsNoCase(s.name, section)) continue;
        for (const Line& l : s.lines) {
            if (l.key.empty()) continue;
            bool seen = false;
            for (const auto& n : names) seen = seen || EqualsNoCase(n, l.key);
            if (!seen) names.push_back(l.key);
        }
    }
    return names;
}

}  // namespace zor
