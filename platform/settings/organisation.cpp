#include "platform/settings/organisation.h"

#include <filesystem>
#include <optional>

#include "platform/base/config_paths.h"
#include "platform/base/inifile.h"
#include "platform/text/numbers.h"

namespace zor {

std::string OrganisationSettingsPath() {
    // The organisation's folder holds the programs' own files; its settings sit beside it.
    const std::string dir = UserConfigDir();
    return dir.empty() ? std::string() : dir + ".ini";
}

namespace {

// QSettings keeps the top-level values under [General].
constexpr std::string_view kSection = "General";

// Read with our own reader rather than QSettings: QSettings keeps a parsed copy per process and trusts it
// while the file's size and modification time (to the millisecond) stay the same, so another program's
// rewrite within one clock tick went unseen, and a write of ours then put the old values back over it.
bool Load(const std::string& path, IniFile& ini) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return false;
    return ini.Load(path);
}

}  // namespace

bool GetOrganisationInt(std::string_view entry, int& value) {
    const std::string path = OrganisationSettingsPath();
    IniFile ini;
    if (path.empty() || !Load(path, ini)) return false;
    const std::optional<std::string> text = ini.Get(kSection, entry);
    if (!text) return false;
    size_t used = 0;
    const int number = TextToInt(*text, &used);
    if (used == 0) return false;
    value = number;
    return true;
}

bool GetOrganisationFlag(std::string_view entry, bool& on) {
    int value = 0;
    if (!GetOrganisationInt(entry, value)) return false;
    on = value != 0;
    return true;
}

bool WriteOrganisationInt(std::string_view entry, int value) {
    const std::string path = OrganisationSettingsPath();
    if (path.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (ec) return false;
    IniFile ini;
    // A file that exists but cannot be read is left as it is rather than replaced by one value.
    if (std::filesystem::exists(path, ec) && !ini.Load(path)) return false;
    if (!ini.SetString(kSection, entry, IntToText(value))) return false;
    return ini.Save(path);
}

}  // namespace zor
