#include "report/dialogs/number_field.h"

#include <fmt/printf.h>

#include "platform/text/numbers.h"
#include "platform/ui/messages.h"
#include "platform/zordata/stepmgr.h"

bool ReadNumberField(const std::string& text, std::optional<double>& out) {
    out.reset();
    if (text.empty()) return true;
    if (!zorIsRealOrEmpty(text)) return false;
    out = zor::TextToReal(text);
    return true;
}

bool ReadNumberInRange(const std::string& text, double min, double max, double& out) {
    std::optional<double> value;
    if (ReadNumberField(text, value) && value && *value >= min && *value <= max) {
        out = *value;
        return true;
    }
    AfxMessageBox(fmt::sprintf("Введите число от %g до %g.", min, max), MB_OK | MB_ICONEXCLAMATION);
    return false;
}
