#include "testkit/program_sandbox.h"

#include <filesystem>

#include "platform/base/file_io.h"

namespace quillmark_test {

bool ProgramSandbox::Create() {
    if (m_root.Path().empty()) return false;
    m_work = m_root / "work";
    m_dict = m_root / "dict";
    m_config = m_root / "config";
    m_state = m_root / "state";
    m_ini = m_root / "ZorTransport.ini";
    std::error_code ec;
    for (const std::string& dir : {m_work, m_dict, m_config})
        if (!std::filesystem::create_directory(dir, ec)) return false;
    if (!std::filesystem::copy_file(QM_TESTKIT_DICT_DIR "/quillmark.dict", m_dict + "/quillmark.dict", ec)) return false;
    return SetDictionaryDir(m_dict);
}

bool ProgramSandbox::SetDictionaryDir(const std::string& dir) {
    return zor::WriteFileAtomically(m_ini, "[Paths]\nDictionary=" + dir + "/\n");
}

EnvChanges ProgramSandbox::Environment() const {
    return {{"XDG_CONFIG_HOME", m_config}, {"XDG_STATE_HOME", m_state}, {"ZOR_TRANSPORT_INI", m_ini}};
}

}  // namespace quillmark_test
