#pragma once
// A check of a saved template or report file, independent of the store that wrote it: every instance the
// file defines is reached from the report root or is one of the kinds a file legitimately keeps at the top
// (parameters, table-of-contents nodes, the select records, users), and every reference names an instance
// the file defines.
#include <string>
#include <vector>

namespace generation_test {

struct IntegrityReport {
    bool parsed = false;                 // the DATA section could be read
    std::string error;                   // why not
    int instances = 0;
    std::vector<std::string> orphans;    // "#12=ZOR_FONT" of instances nothing legitimate reaches
    std::vector<std::string> dangling;   // "#12 -> #40" of references to instances the file lacks
    bool Clean() const { return parsed && orphans.empty() && dangling.empty(); }
    // The findings, one per line, for a failure message.
    std::string Describe() const;
};

// Reads the exchange-structure text of a file.
IntegrityReport CheckReportText(const std::string& text);
IntegrityReport CheckReportFile(const std::string& path);

}  // namespace generation_test
