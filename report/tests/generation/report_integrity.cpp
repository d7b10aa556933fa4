#include "report/tests/generation/report_integrity.h"

#include <map>
#include <set>
#include <string_view>

#include "platform/base/file_io.h"
#include "platform/text/numbers.h"

namespace generation_test {

namespace {

// Entities a report keeps at the top, reached from nothing.
const std::set<std::string> kTopKinds = {"ZOR_REPORT", "ZOR_REPORT_PARAM", "ZOR_TABLE_CONTENT",
                                          "ZOR_SELECT", "ZOR_RESULT_SELECT", "ZOR_USER"};

struct Record {
    std::string entity;
    std::vector<long> refs;
};

using zor::IsDigit;

// Parses "#n=ENTITY(...);" records of the DATA section: texts in '...' (with '' inside) and binary
// literals in "..." hold no references.
bool ParseData(std::string_view text, std::map<long, Record>& records, std::string& error) {
    const size_t data = text.find("\nDATA;");
    if (data == std::string_view::npos) {
        error = "no DATA section";
        return false;
    }
    size_t i = data + 6;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == '\n' || text[i] == ' ' || text[i] == '\r')) ++i;
        if (text.compare(i, 7, "ENDSEC;") == 0) return true;
        if (i >= text.size() || text[i] != '#') {
            error = "record expected at byte " + std::to_string(i);
            return false;
        }
        ++i;
        long id = 0;
        const size_t idStart = i;
        while (i < text.size() && IsDigit(text[i])) id = id * 10 + (text[i++] - '0');
        if (i == idStart || i >= text.size() || text[i] != '=') {
            error = "bad record number at byte " + std::to_string(idStart);
            return false;
        }
        ++i;
        const size_t nameStart = i;
        while (i < text.size() && text[i] != '(') ++i;
        Record record;
        record.entity = std::string(text.substr(nameStart, i - nameStart));
        // The parameters up to the closing ");" at depth 0.
        int depth = 0;
        bool closed = false;
        while (i < text.size() && !closed) {
            const char c = text[i];
            if (c == '\'') {
                for (++i; i < text.size(); ++i) {
                    if (text[i] == '\'') {
                        if (i + 1 < text.size() && text[i + 1] == '\'') ++i;
                        else break;
                    }
                }
                ++i;
            } else if (c == '"') {
                i = text.find('"', i + 1);
                if (i == std::string_view::npos) break;
                ++i;
            } else if (c == '#') {
                ++i;
                long ref = 0;
                while (i < text.size() && IsDigit(text[i])) ref = ref * 10 + (text[i++] - '0');
                record.refs.push_back(ref);
            } else {
                if (c == '(') ++depth;
                if (c == ')' && --depth == 0) closed = true;
                ++i;
            }
        }
        if (!closed || i >= text.size() || text[i] != ';') {
            error = "record #" + std::to_string(id) + " does not end";
            return false;
        }
        ++i;
        if (!records.emplace(id, std::move(record)).second) {
            error = "record #" + std::to_string(id) + " twice";
            return false;
        }
    }
    error = "no end of the DATA section";
    return false;
}

}  // namespace

std::string IntegrityReport::Describe() const {
    std::string out;
    if (!parsed) out += "not parsed: " + error + "\n";
    for (const std::string& o : orphans) out += "orphan " + o + "\n";
    for (const std::string& d : dangling) out += "dangling " + d + "\n";
    return out;
}

IntegrityReport CheckReportText(const std::string& text) {
    IntegrityReport report;
    std::map<long, Record> records;
    if (!ParseData(text, records, report.error)) return report;
    report.parsed = true;
    report.instances = static_cast<int>(records.size());
    std::set<long> reached;
    std::vector<long> pending;
    for (const auto& [id, record] : records)
        if (kTopKinds.count(record.entity)) pending.push_back(id);
    while (!pending.empty()) {
        const long id = pending.back();
        pending.pop_back();
        if (!reached.insert(id).second) continue;
        for (long ref : records.at(id).refs) {
            if (!records.count(ref)) {
                report.dangling.push_back("#" + std::to_string(id) + " -> #" + std::to_string(ref));
                continue;
            }
            if (!reached.count(ref)) pending.push_back(ref);
        }
    }
    for (const auto& [id, record] : records) {
        if (!reached.count(id)) {
            report.orphans.push_back("#" + std::to_string(id) + "=" + record.entity);
            // References from orphans count as well: a file must not name what it lacks anywhere.
            for (long ref : record.refs)
                if (!records.count(ref))
                    report.dangling.push_back("#" + std::to_string(id) + " -> #" + std::to_string(ref));
        }
    }
    return report;
}

IntegrityReport CheckReportFile(const std::string& path) {
    std::string text;
    if (!zor::ReadWholeFile(path, text)) {
        IntegrityReport report;
        report.error = "cannot read " + path;
        return report;
    }
    return CheckReportText(text);
}

}  // namespace generation_test
