#pragma once
// The dictionary as a file the server serves. Command 35 names it twice: by a path for a direct
// load (for clients that share this machine's installation) and by a server name under which any
// client downloads it through the blob commands (24, then 22 until the last portion, or 21). The
// served file can be read and sized, never written or deleted through those commands.
#include <string>

namespace zor::appserver {

// Cannot clash with a blob: blobs are named "blob_" and a number.
constexpr const char* kDictionaryServerName = "quillmark_dictionary";

struct DictionaryReply {
    std::string directPath;  // the file without its ".dict" ending; empty when it has none
    std::string serverName;  // kDictionaryServerName, or empty when the file cannot be read
};

// The two names command 35 gives for the dictionary file at `path`.
DictionaryReply DescribeDictionary(const std::string& path);

}  // namespace zor::appserver
