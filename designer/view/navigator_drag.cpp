#include "designer/view/navigator_drag.h"

#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace quillmark {

std::string MakeNavigatorDragRecord(long long itemId) {
    const int32_t pid = static_cast<int32_t>(getpid());
    const int64_t id = itemId;
    std::string record(sizeof pid + sizeof id, '\0');
    std::memcpy(record.data(), &pid, sizeof pid);
    std::memcpy(record.data() + sizeof pid, &id, sizeof id);
    return record;
}

std::optional<long long> ReadNavigatorDragRecord(const std::string& record) {
    int32_t pid = 0;
    int64_t id = 0;
    if (record.size() != sizeof pid + sizeof id) return std::nullopt;
    std::memcpy(&pid, record.data(), sizeof pid);
    std::memcpy(&id, record.data() + sizeof pid, sizeof id);
    if (pid != static_cast<int32_t>(getpid())) return std::nullopt;
    return id;
}

}  // namespace quillmark
