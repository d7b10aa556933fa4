#pragma once
// Our own INI reader and writer for files that must keep their values byte for byte (backslashes,
// commas, quotes, Cyrillic, bytes that are not UTF-8). Sections and keys are found ignoring the case of
// A-Z; the first of equal keys counts. Lines that are not entries (comments starting with ';' or '#',
// blank and unknown lines) are kept and written back where they were. LF and CR LF line ends are read;
// a file is written with the line ends it was read with. A value is read without its surrounding blanks
// and without one pair of surrounding double quotes; the writer adds the quotes a value needs to come back
// the same, so every value without CR or LF survives a round trip.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zor {

class IniFile {
public:
    // Replaces the content by parsed text.
    void Parse(std::string_view text);
    std::string Text() const;

    // Replaces the content by the file's. False, with an empty content and `error`, when it cannot be read.
    bool Load(const std::string& path, std::string* error = nullptr);
    // Writes atomically: the file is the old one or the new one, never a part (see WriteFileAtomically).
    bool Save(const std::string& path, std::string* error = nullptr) const;

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    std::string GetString(std::string_view section, std::string_view key, std::string_view def = {}) const;
    // Sets the first entry of the key, or adds one at the end of the section (adding the section at the end
    // of the file when it is new). False, changing nothing, when the names or the value cannot be written
    // as one line: an empty name, a name with surrounding blanks, a section name with ']', a key with '='
    // or starting with ';', '#' or '[', or CR or LF anywhere.
    bool SetString(std::string_view section, std::string_view key, std::string_view value);
    // Removes every entry of the key in the section; false when there was none.
    bool DeleteKey(std::string_view section, std::string_view key);
    // Removes the section with its entries and comments; false when there was none.
    bool DeleteSection(std::string_view section);

    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;

private:
    struct Line {
        std::string raw;    // as read, or as it will be written
        std::string key;    // empty when the line is not an entry
        std::string value;
    };
    struct Section {
        std::string name;
        bool hasHeader = true;  // false for the lines before the first section
        std::string header;
        std::vector<Line> lines;
    };
    Section* FindSection(std::string_view name);
    static std::string EntryLine(std::string_view key, std::string_view value);

    std::vector<Section> m_sections;
    bool m_crlf = false;
    bool m_bom = false;
};

}  // namespace zor
