// Report generation with the run-time values read from a parameter file, and the clock of the date of
// generation.
#include <fmt/format.h>

#include <string_view>

#include "platform/base/file_io.h"
#include "platform/zordata/clock.h"
#include "report/generation/generate_report.h"
#include "report/model/report_param.h"

namespace {

// Appends the name=value pairs of the file's lines: the name is what stands before the first "=" (at
// least one character), the value all the rest. Nothing is trimmed; a line without "=", one that starts
// with it and an empty line give nothing.
void ReadParameterFile(const char* path, CRParamsArray& values) {
    std::string bytes;
    if (!zor::ReadWholeFile(path, bytes)) return;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        // A line ends with "\n" or "\r\n", whichever system wrote the file.
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t eq = line.find('=');
        if (line.empty() || eq == std::string_view::npos || eq == 0) continue;
        values.Add(std::string(line.substr(0, eq)).c_str(), std::string(line.substr(eq + 1)).c_str());
    }
}

}  // namespace

zor::Outcome GenerateReportOutcome(CFolivox* manager, const char* templatePath, const char* paramFile,
                                   const char* reportPath, CzorStepData* netStore) {
    if (!manager || !templatePath || !paramFile) return zor::Outcome::Failure({});
    CRParamsArray values;
    ReadParameterFile(paramFile, values);
    return GenerateReportOutcome(manager, &values, templatePath, reportPath, netStore);
}

bool GenerateReport(CFolivox* manager, const char* templatePath, const char* paramFile, const char* reportPath,
                    CzorStepData* netStore) {
    const zor::Outcome outcome = GenerateReportOutcome(manager, templatePath, paramFile, reportPath, netStore);
    zor::ShowOutcome(outcome);
    return outcome.Ok();
}

std::string GenerationDateText() {
    const std::time_t now = zor::Now();
    std::tm local{};
    localtime_r(&now, &local);
    return fmt::format("{:02d}.{:02d}.{:04d}", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
}

// One clock dates the report's fields and the time stamp of the report file.
CScopedGenerationClock::CScopedGenerationClock(std::function<std::time_t()> clock)
    : m_previous(zor::SetClock(std::move(clock))) {}

CScopedGenerationClock::~CScopedGenerationClock() { zor::SetClock(std::move(m_previous)); }
