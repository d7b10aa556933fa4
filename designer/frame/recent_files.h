#pragma once
// The recent-file list of the File menu: the last nine files opened or saved, newest first, kept in the
// profile section "Recent File List" as "File1" to "File9".
#include <string>
#include <vector>

namespace quillmark {

class CRecentFileList {
public:
    static constexpr int kSize = 9;

    // Reads the list from the profile (missing and empty entries are skipped).
    void Load();
    // Writes the whole list; entries beyond its end are cleared.
    bool Save() const;
    // Puts the path first; an entry for the same file moves up rather than appearing twice.
    void Add(const std::string& path);
    // Takes the path out, as when it no longer opens.
    void Remove(const std::string& path);
    const std::vector<std::string>& Files() const { return m_files; }
    // The menu text of entry index (0-based): "&1 name" with the path shortened to its file name.
    static std::string MenuText(int index, const std::string& path);

private:
    std::vector<std::string> m_files;
};

}  // namespace quillmark
