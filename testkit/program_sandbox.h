#pragma once
// The private world of a program run by a test: a temporary folder with a working folder, a configuration
// folder ($XDG_CONFIG_HOME), a state folder ($XDG_STATE_HOME, made by the program when it needs it) and a
// dictionary folder holding the report dictionary, and a transport settings file of its own
// ($ZOR_TRANSPORT_INI) that points at that dictionary folder. Removed at the end.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/tests/test_support.h"

namespace quillmark_test {

using EnvChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;

class ProgramSandbox {
public:
    // False when the folders cannot be made.
    bool Create();

    const std::string& Root() const { return m_root.Path(); }
    const std::string& Work() const { return m_work; }
    const std::string& DictionaryDir() const { return m_dict; }
    const std::string& ConfigDir() const { return m_config; }
    const std::string& StateDir() const { return m_state; }
    const std::string& TransportIni() const { return m_ini; }
    // Points [Paths] Dictionary of the transport settings at another folder.
    bool SetDictionaryDir(const std::string& dir);
    // XDG_CONFIG_HOME, XDG_STATE_HOME and ZOR_TRANSPORT_INI for a program run in the sandbox.
    EnvChanges Environment() const;

private:
    zor::test::ScopedTempDir m_root;
    std::string m_work, m_dict, m_config, m_state, m_ini;
};

}  // namespace quillmark_test
