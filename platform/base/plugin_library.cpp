#include "platform/base/plugin_library.h"

#include <dlfcn.h>

namespace zor {

bool PluginLibrary::Open(const std::string& path) {
    Close();
    m_error.clear();
    if (path.empty()) {
        m_error = "no library path";
        return false;
    }
    m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* why = ::dlerror();
        m_error = why ? why : "the library cannot be loaded";
    }
    return m_handle != nullptr;
}

void PluginLibrary::Close() {
    if (m_handle) ::dlclose(m_handle);
    m_handle = nullptr;
}

void* PluginLibrary::Symbol(const char* name) const {
    if (!m_handle || !name) return nullptr;
    ::dlerror();
    return ::dlsym(m_handle, name);
}

}  // namespace zor
