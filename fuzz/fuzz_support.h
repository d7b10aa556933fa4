#pragma once
// What every fuzz target shares: a quiet, private environment (messages kept in memory, a private folder
// for the files the readers insist on, the installed dictionary, fixed text metrics and date), and the
// round-trip check that stops the run when a writer gives different bytes for the same content.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace fuzz {

// Sets the environment up on first use and returns the private folder (ends without '/').
const std::string& Folder();

// A path in the private folder.
std::string PathOf(std::string_view name);

// Replaces the file by the bytes; aborts when the private folder cannot be written (not a finding).
void WriteFile(const std::string& path, std::string_view bytes);
std::string ReadFile(const std::string& path);

// The installed dictionary ("quillmark") as LoadDictionary takes it, and the source folder.
std::string DictionaryPath();
std::string SourcePath(std::string_view relative);

// Stops the run (a crash to the fuzzer, a failure to the replay) with the target's words: a round trip that
// did not give the same bytes twice, or a promise of the reader that does not hold.
[[noreturn]] void Fail(const char* target, const std::string& what);

// Checks that two writes of the same content gave the same bytes.
template <class Bytes>
void SameBytes(const char* target, const char* what, const Bytes& first, const Bytes& second) {
    if (first.size() != second.size() || !std::equal(first.begin(), first.end(), second.begin()))
        Fail(target, std::string(what) + ": the second write differs from the first (" +
                         std::to_string(first.size()) + " and " + std::to_string(second.size()) + " bytes)");
}

// The input split at the first NUL byte: the part before and the part after (empty without a NUL).
std::pair<std::string_view, std::string_view> SplitAtNul(const uint8_t* data, size_t size);

}  // namespace fuzz
