#pragma once
// Whole-file reads and atomic replacement of a file.
#include <string>
#include <string_view>

namespace zor {

// Reads the whole file into `bytes`. False, with `error` saying why, when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error = nullptr);

// Replaces the file at `path` by `bytes` so that it is always either the old file or the new one, never
// half-written: the bytes go to a new temporary file in the same folder, are flushed to disk and the
// temporary file is renamed over `path`. A replaced file keeps its permissions; a new one gets 0666 less
// the umask; a symbolic link is followed and its target replaced. On failure nothing at `path` changes,
// the temporary file is removed, and the result is false with `error` saying why.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr);

}  // namespace zor
