// The separated-values data file: one header line of column names, one line per row.
#include "report/generation/separated_values.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/base/file_io.h"
#include "platform/ui/outcome.h"
#include "platform/zordata/value.h"
#include "report/model/data_source.h"
#include "report/model/value_text.h"

namespace datasource {

size_t FieldEnd(std::string_view line, char separator) {
    int level = 0;
    const size_t n = line.size();
    for (size_t j = 0; j < n; ++j) {
        const char c = line[j];
        if (c == '"') {
            if (j + 1 == n) --level;
            else if (line[j + 1] == '"') ++j;
            else if (level > 0) --level;
            else ++level;
        } else if (c == separator && level == 0) {
            return j;
        }
    }
    return std::string_view::npos;
}

std::string_view FieldText(std::string_view raw, bool quoted, std::string& scratch) {
    if (quoted) {
        if (!raw.empty() && raw.front() == '"') raw.remove_prefix(1);
        if (!raw.empty() && raw.back() == '"') raw.remove_suffix(1);
    }
    size_t q = raw.find("\"\"");
    if (q == std::string_view::npos) return raw;
    const size_t start = scratch.size();
    while (q != std::string_view::npos) {
        scratch.append(raw.data(), q + 1);
        raw.remove_prefix(q + 2);
        q = raw.find("\"\"");
    }
    scratch.append(raw);
    return std::string_view(scratch).substr(start);
}

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (size_t q = text.find('"'); q != std::string_view::npos; q = text.find('"')) {
        out.append(text.data(), q + 1);
        out += '"';
        text.remove_prefix(q + 1);
    }
    out.append(text);
    out += '"';
}

namespace {

// Reads a file line by line in large blocks. A line ends at LF, and a CR right before the LF
// belongs to the line end; a last line needs no LF.
class LineReader {
public:
    explicit LineReader(std::FILE* file) : m_file(file), m_buf(kBlock) {}

    // False at the end of the file or on a read error (Failed() then tells which).
    bool Next(std::string_view& line) {
        for (;;) {
            const char* base = m_buf.data();
            if (const void* nl = std::memchr(base + m_begin, '\n', m_end - m_begin)) {
                const size_t stop = static_cast<size_t>(static_cast<const char*>(nl) - base);
                size_t len = stop - m_begin;
                if (len > 0 && base[stop - 1] == '\r') --len;
                line = std::string_view(base + m_begin, len);
                m_begin = stop + 1;
                return true;
            }
            if (m_eof) {
                if (m_begin == m_end) return false;
                line = std::string_view(base + m_begin, m_end - m_begin);
                m_begin = m_end;
                return true;
            }
            Fill();
        }
    }
    bool Failed() const { return m_failed; }
    // The system's error of a failed read.
    int Error() const { return m_error; }

    // Spreadsheet programs begin their UTF-8 exports with a byte-order mark; the file then reads as
    // the same file without it. Called once, before the first line.
    void SkipByteOrderMark() {
        while (m_end - m_begin < 3 && !m_eof) Fill();
        if (m_end - m_begin >= 3 && std::memcmp(m_buf.data() + m_begin, "\xEF\xBB\xBF", 3) == 0) m_begin += 3;
    }

private:
    static constexpr size_t kBlock = size_t(1) << 20;

    void Fill() {
        if (m_begin > 0) {
            std::memmove(m_buf.data(), m_buf.data() + m_begin, m_end - m_begin);
            m_end -= m_begin;
            m_begin = 0;
        }
        if (m_buf.size() - m_end < kBlock / 2) m_buf.resize(m_buf.size() * 2);
        const size_t got = std::fread(m_buf.data() + m_end, 1, m_buf.size() - m_end, m_file);
        m_end += got;
        if (got == 0) {
            m_eof = true;
            m_failed = std::ferror(m_file) != 0;
            if (m_failed) m_error = errno ? errno : EIO;
        }
    }

    std::FILE* m_file;
    std::vector<char> m_buf;
    size_t m_begin = 0;
    size_t m_end = 0;
    bool m_eof = false;
    int m_error = 0;
    bool m_failed = false;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace
}  // namespace datasource

bool CDataSource::GetNextWord(std::string& line, std::string& word, bool quoted) const {
    word.clear();
    const std::string_view view(line);
    const size_t end = datasource::FieldEnd(view, m_cSeparator);
    std::string_view raw = view;
    size_t restFrom = view.size();
    if (end != std::string_view::npos) {
        raw = view.substr(0, end);
        restFrom = end + 1;
    } else if (line.empty()) {
        return false;
    }
    std::string scratch;
    word.assign(datasource::FieldText(raw, quoted, scratch));
    line.erase(0, restFrom);
    return true;
}

bool CDataSource::LoadFromFile(const std::string& path, std::string* reason) {
    RemoveAll();
    const auto fail = [reason](const std::string& why) {
        if (reason) *reason = why;
        return false;
    };
    errno = 0;
    std::unique_ptr<std::FILE, datasource::FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return fail(std::strerror(errno ? errno : ENOENT));
    datasource::LineReader reader(file.get());
    reader.SkipByteOrderMark();

    std::string_view line;
    bool found = false;
    while (reader.Next(line)) {
        if (!line.empty()) {
            found = true;
            break;
        }
    }
    if (reader.Failed()) return fail(std::strerror(reader.Error()));
    if (!found) return fail("в файле нет строки с названиями колонок");

    const bool quoted = line.front() == '"';
    auto* header = new CHeader;
    std::string scratch;
    while (!line.empty()) {
        const size_t end = datasource::FieldEnd(line, m_cSeparator);
        const std::string_view raw = line.substr(0, end);
        scratch.clear();
        header->AddColumn(datasource::FieldText(raw, quoted, scratch), zorSTRING);
        line = end == std::string_view::npos ? std::string_view() : line.substr(end + 1);
    }
    SetHeader(header);

    const int n = m_nColumns;
    std::vector<std::string_view> cells(static_cast<size_t>(n));
    while (reader.Next(line)) {
        scratch.clear();
        scratch.reserve(line.size());  // unquoting never lengthens a field: views into it stay valid
        int present = 0;
        while (present < n && !line.empty()) {
            const size_t end = datasource::FieldEnd(line, m_cSeparator);
            cells[static_cast<size_t>(present++)] = datasource::FieldText(line.substr(0, end), quoted, scratch);
            line = end == std::string_view::npos ? std::string_view() : line.substr(end + 1);
        }
        // The fields a short line leaves out cost nothing: a row of a file takes memory in proportion to
        // its line, whatever the header's width. Empty fields at the end of a line read the same as left-out
        // ones (an empty text), so they cost nothing either.
        while (present > 0 && cells[static_cast<size_t>(present - 1)].empty()) --present;
        auto* row = new CTableRow;
        row->AddStrings(cells.data(), present);
        row->AddMissing(n - present);
        m_Rows.push_back(row);
    }
    if (reader.Failed()) {
        // A file that could not be read to its end is not loaded in part.
        RemoveAll();
        return fail(std::strerror(reader.Error()));
    }
    return true;
}

bool CDataSource::SaveToFile(const std::string& path, const CTableRowArray* rows) const {
    if (!m_pHeader) return false;
    // The file is replaced whole, which would also replace a file its owner made read-only.
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) {
        zor::Note(zor::FileReason("Не могу создать файл %s", {path}, path, std::strerror(EACCES)));
        return false;
    }
    std::string out;
    const int columns = m_pHeader->GetSize();
    for (int i = 0; i < columns; ++i) {
        if (i) out += m_cSeparator;
        datasource::AppendQuoted(out, m_pHeader->GetColumn(i)->GetName());
    }
    out += '\n';
    std::string text;
    for (const CTableRow* row : rows ? *rows : m_Rows) {
        for (int i = 0; i < m_nColumns; ++i) {
            if (i) out += m_cSeparator;
            const CzorValue* cell = row->GetColumn(i);
            if (const char* s = cell ? cell->GetString() : nullptr) {
                datasource::AppendQuoted(out, s);
            } else {
                text.clear();
                AppendAsString(cell, text);
                datasource::AppendQuoted(out, text);
            }
        }
        out += '\n';
    }
    std::string error;
    if (!zor::WriteFileAtomically(path, out, &error)) {
        zor::Note(zor::FileReason("Не могу создать файл %s", {path}, path, error));
        return false;
    }
    return true;
}
