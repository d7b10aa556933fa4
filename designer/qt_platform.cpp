#include "designer/qt_platform.h"

#include "platform/base/tempfile.h"

#include <cstdlib>

#include "platform/base/config_paths.h"

namespace quillmark {

std::string ChooseQtPlatform(bool batch) {
    std::string value;
    if (zor::GetEnvNonEmpty("QT_QPA_PLATFORM", value)) return {};
    const bool x11 = zor::GetEnvNonEmpty("DISPLAY", value);
    const bool wayland = zor::GetEnvNonEmpty("WAYLAND_DISPLAY", value);
    if (!x11 && !wayland) return "offscreen";
    if (!batch) return {};
    // Qt tries the platforms of a list in turn.
    std::string list;
    if (wayland) list += "wayland;";
    if (x11) list += "xcb;";
    return list + "offscreen";
}

void SelectQtPlatform(bool batch) {
    const std::string platform = ChooseQtPlatform(batch);
    if (!platform.empty()) ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    // A batch run from cron or a service has no login session; Qt would warn about the missing runtime
    // folder on every run. Our own private folder serves instead.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (batch && (!runtime || !*runtime)) {
        const std::string dir = zor::PrivateTempDir();
        if (!dir.empty()) ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
}

}  // namespace quillmark
