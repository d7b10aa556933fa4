#pragma once
// Whole-file reads and atomic replacement of a file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace zor {

// Replaces a file by one written as a stream, so that it is always either the old file or the new one,
// never half-written: the bytes go to a new temporary file in the same folder, which Commit flushes to
// disk and renames over the target. A replaced file keeps its permissions; a new one gets 0666 less the
// umask; a symbolic link is followed and its target replaced. Whatever fails, nothing at the target
// changes and the temporary file is removed (at the latest when the writer goes).
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();  // discards the temporary file unless committed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file for replacing `path`. False, with `error` saying why, when it cannot.
    bool Open(const std::string& path, std::string* error = nullptr);
    // The file replaced: the path opened, or the file its symbolic link names.
    const std::string& TargetPath() const { return m_target; }
    // The open stream of the temporary file (null once closed), for libraries that write to a stream.
    FILE* Handle() const { return m_file; }
    // The temporary file's name, for libraries that open a file by name (after CloseStream).
    const std::string& TempPath() const { return m_tempPath; }
    // Appends to the temporary file; false once anything has failed.
    bool Write(const void* data, size_t size);
    bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
    // Flushes and closes the stream, so that a library may reopen the temporary file by name.
    bool CloseStream();
    // Closes the stream, gives the file the permissions of the one it replaces, flushes it to disk and
    // renames it over the target. False, with `error` saying why and the target as it was, when any step
    // (or an earlier write) failed.
    bool Commit(std::string* error = nullptr);
    // Removes the temporary file: the target stays as it was.
    void Discard();

private:
    void Fail(int err);

    static constexpr uint64_t kQueueStep = 8u << 20;
    FILE* m_file = nullptr;
    uint64_t m_written = 0, m_queued = 0;  // bytes given to the stream, and handed to the disk's queue
    std::string m_given, m_target, m_folder, m_tempPath;
    int m_error = 0;  // errno of the first step that failed
};

// Reads the whole file into `bytes`. False, with `error` saying why, when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error = nullptr);

// Replaces the file at `path` by `bytes` through an AtomicFileWriter, with all it promises. On failure
// nothing at `path` changes, and the result is false with `error` saying why.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// The line that follows a message about a file that could not be read or written: "<path>: <reason>".
// A reason that itself names the path as one of its ": "-separated parts loses that part, so the name is
// not read twice.
std::string FileFailureLine(const std::string& path, std::string reason);

}  // namespace zor
