#pragma once
// Where the signature systems are configured, and how the files are read and written.
//
// The machine's list of systems: "SigilonCSP.ini" in the machine's configuration folder
// (zor::MachineConfigDir), or in the user's folder (zor::UserConfigDir) when a file of that name is
// there: the user's copy overrides the machine's, and is the one written then. One section per system,
// named freely; the system's name is a value, so that any name survives a hand edit:
//     [CSP 1]
//     Name=Криптосистема / тест
//     LibPath=/usr/lib/x86_64-linux-gnu/sigilon/libexample.so
// This user's default system: "Sigilon.ini" in the user's folder, "[CSP] DefaultCSP=<name>".
//
// Reading skips what it cannot use (a section without a name or a path, a system named "DefaultCSP",
// an unreadable file). Writing matches a system's name without regard to case, as one system per name
// is kept; each change reads the file, changes its content and writes it whole, once and atomically,
// keeping every line it does not understand. A file that exists but cannot be read is never written.
#include <optional>
#include <string>
#include <vector>

namespace sig {

struct CspSystem {
    std::string name;
    std::string libPath;
};

struct CspConfigFiles {
    std::string systemsFile;  // the list of systems
    std::string userFile;     // this user's default

    // The files the environment names ($XDG_CONFIG_HOME, $XDG_CONFIG_DIRS, $HOME).
    static CspConfigFiles FromEnvironment();
};

// One change of the list of systems: the systems removed, then the one entered or changed.
struct CspSystemsEdit {
    std::vector<std::string> remove;
    std::optional<CspSystem> put;
    // The put changes a system already listed and nothing else (no section is made for it).
    bool putExistingOnly = false;
};

class CspConfig {
public:
    explicit CspConfig(CspConfigFiles files) : m_files(std::move(files)) {}

    const CspConfigFiles& Files() const { return m_files; }

    std::vector<CspSystem> ReadSystems() const;
    std::string ReadDefault() const;

    // Applies the edit to the list file. True when it was written or there was nothing to write; false
    // with `error` (naming the file and saying why) when it could not be.
    bool ApplySystems(const CspSystemsEdit& edit, std::string* error) const;
    // Sets this user's default. Without `createWhenMissing` a missing file is left missing (true).
    bool WriteDefault(const std::string& name, bool createWhenMissing, std::string* error) const;

private:
    CspConfigFiles m_files;
};

}  // namespace sig
