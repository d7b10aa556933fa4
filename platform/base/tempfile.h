#pragma once
// Temporary files: each gets a new unique name in this process's private folder and is removed when its
// owner is done with it. Names are never fixed or guessable, and never built from an unset variable.
#include <string>
#include <string_view>

namespace zor {

// The process's private folder for temporary files: made on first use with mode 0700 and a unique name
// under $TMPDIR (when that holds an absolute path to a folder) or else /tmp; removed, with anything left
// in it, when the process that made it ends. Made again should something remove it. Empty (with `error`
// saying why) when it cannot be made.
std::string PrivateTempDir(std::string* error = nullptr);

class TempFile {
public:
    // Creates a new, empty file (mode 0600) whose name ends with `suffix` (such as ".tif"; no '/').
    explicit TempFile(std::string_view suffix = {});
    ~TempFile();
    TempFile(TempFile&& other) noexcept;
    TempFile& operator=(TempFile&& other) noexcept;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // Whether the file was made; when not, Path() is empty and Error() says why.
    bool IsValid() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }
    const std::string& Error() const { return m_error; }
    // Removes the file now.
    void Remove();

private:
    std::string m_path;
    std::string m_error;
};

}  // namespace zor
