#include "platform/appserver/dictionary_file.h"

#include <unistd.h>

namespace zor::appserver {

DictionaryReply DescribeDictionary(const std::string& path) {
    DictionaryReply r;
    // A direct load appends ".dict" to the path it is given: a file named otherwise has no such path.
    constexpr size_t kEnding = 5;
    if (path.size() > kEnding && path.compare(path.size() - kEnding, kEnding, ".dict") == 0)
        r.directPath = path.substr(0, path.size() - kEnding);
    if (!path.empty() && ::access(path.c_str(), R_OK) == 0) r.serverName = kDictionaryServerName;
    return r;
}

}  // namespace zor::appserver
