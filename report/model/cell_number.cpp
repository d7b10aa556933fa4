#include "report/model/cell_number.h"

#include <cmath>
#include <string>

#include <fmt/printf.h>

#include "platform/text/numbers.h"
#include "platform/text/utf8.h"
#include "platform/zordata/stepmgr.h"
#include "platform/zordata/value.h"

bool TextNumber(std::string_view text, double& number) {
    const std::string trimmed = zor::Trim(text);
    // zorIsRealOrEmpty accepts the empty text, which is no number.
    if (trimmed.empty() || !zorIsRealOrEmpty(trimmed)) return false;
    const double value = zor::TextToReal(trimmed);
    if (!std::isfinite(value)) return false;
    number = value;
    return true;
}

bool CellNumber(const CzorValue* value, double& number) {
    if (!value) return false;
    switch (value->GetType()) {
    case zorREAL: number = value->GetReal(); return true;
    case zorINTEGER: number = value->GetInt(); return true;
    case zorSTRING: return TextNumber(value->GetString(), number);
    default: return false;
    }
}

std::string TotalText(double value) { return std::isfinite(value) ? fmt::sprintf("%.f", value) : std::string(); }
