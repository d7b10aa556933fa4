// Turns a module's readable resource file into the C++ table the library looks resources up in.
//
//   qm_resource_compiler <input.rc> <output.cpp> <Program|Folivox|Peltrane|Vistrel> [version]
//
// With a version (the build's project version) the module also gets a version resource: one translation,
// Russian in UTF-8 (language 0x0419, code page 65001), whose block holds the company, product and
// module names and the version as "FileVersion" and "ProductVersion".
//
// The input, one statement a line, '#' starting a comment line; texts in double quotes, UTF-8, with the
// escapes \t \n \" and \\:
//   MENU <id>                         a menu, closed by END
//     POPUP "<text>" [flags]          a popup, closed by END
//     ITEM <command> "<text>" [flags] flags: GRAYED DISABLED CHECKED MENUBREAK MENUBARBREAK
//     SEPARATOR
//   TOOLBAR <id> BITMAP <bitmap id> SIZE <width> <height>
//     <command> ...                   button commands in order, 0 for a separator; closed by END
//   STRING <id> "<text>"
// Menus are written in the menu-template byte layout, so the library reads them as any template.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "controls/resources/menu_template.h"
#include "platform/text/utf8.h"

namespace {

struct Toolbar {
    int id = 0, bitmap = 0, width = 0, height = 0;
    std::vector<int> commands;
};

struct Input {
    std::map<int, std::vector<zor::MenuTemplateItem>> menus;
    std::vector<Toolbar> toolbars;
    std::map<int, std::string> strings;
};

[[noreturn]] void Die(const std::string& file, int line, const std::string& why) {
    std::cerr << file << ":" << line << ": " << why << "\n";
    std::exit(1);
}

// Splits a line into words and quoted texts (a quoted text keeps its quotes as a marker).
std::vector<std::string> Tokens(const std::string& line, const std::string& file, int number) {
    std::vector<std::string> out;
    for (size_t i = 0; i < line.size();) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
        } else if (line[i] == '"') {
            std::string text = "\"";
            for (++i;; ++i) {
                if (i >= line.size()) Die(file, number, "a text has no closing quote");
                if (line[i] == '"') break;
                if (line[i] == '\\') {
                    if (++i >= line.size()) Die(file, number, "a text ends in a backslash");
                    const char c = line[i];
                    text += c == 't' ? '\t' : c == 'n' ? '\n' : c;
                } else {
                    text += line[i];
                }
            }
            ++i;
            out.push_back(text);
        } else {
            size_t end = line.find_first_of(" \t\r", i);
            if (end == std::string::npos) end = line.size();
            out.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return out;
}

int Number(const std::string& word, const std::string& file, int line) {
    if (word.empty() || word.find_first_not_of("0123456789") != std::string::npos || word.size() > 5)
        Die(file, line, "expected a number, found '" + word + "'");
    const int value = std::stoi(word);
    if (value > 0xFFFF) Die(file, line, "a number above 65535");
    return value;
}

std::string Text(const std::string& token, const std::string& file, int line) {
    if (token.empty() || token[0] != '"') Die(file, line, "expected a quoted text");
    return token.substr(1);
}

std::u16string Utf16(const std::string& utf8) {
    std::u16string out;
    for (size_t pos = 0; pos < utf8.size();) {
        size_t size = 0;
        const char32_t c = zor::Utf8DecodeAt(utf8, pos, &size);
        pos += size ? size : 1;
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

uint16_t ItemFlags(const std::vector<std::string>& t, size_t from, const std::string& file, int line) {
    static const std::map<std::string, uint16_t> known = {
        {"GRAYED", 0x1}, {"DISABLED", 0x2}, {"CHECKED", 0x8}, {"MENUBARBREAK", 0x20}, {"MENUBREAK", 0x40}};
    uint16_t flags = 0;
    for (size_t i = from; i < t.size(); ++i) {
        const auto it = known.find(t[i]);
        if (it == known.end()) Die(file, line, "unknown item flag '" + t[i] + "'");
        flags |= it->second;
    }
    return flags;
}

Input Parse(const std::string& file) {
    std::ifstream in(file);
    if (!in) Die(file, 0, "cannot be read");
    Input input;
    enum class Block { None, Menu, Toolbar } block = Block::None;
    std::vector<zor::MenuTemplateItem>* menu = nullptr;
    int depth = 0;  // open popups of the menu
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::vector<std::string> t = Tokens(line, file, number);
        if (t.empty() || t[0][0] == '#') continue;
        const std::string& word = t[0];
        if (block == Block::None) {
            if (word == "MENU" && t.size() == 2) {
                const int id = Number(t[1], file, number);
                if (input.menus.count(id)) Die(file, number, "menu " + t[1] + " given twice");
                menu = &input.menus[id];
                block = Block::Menu;
                depth = 0;
            } else if (word == "TOOLBAR" && t.size() == 7 && t[2] == "BITMAP" && t[4] == "SIZE") {
                input.toolbars.push_back({Number(t[1], file, number), Number(t[3], file, number),
                                          Number(t[5], file, number), Number(t[6], file, number), {}});
                block = Block::Toolbar;
            } else if (word == "STRING" && t.size() == 3) {
                input.strings[Number(t[1], file, number)] = Text(t[2], file, number);
            } else {
                Die(file, number, "expected MENU, TOOLBAR or STRING");
            }
        } else if (block == Block::Toolbar) {
            if (word == "END") {
                block = Block::None;
                continue;
            }
            for (const std::string& c : t) input.toolbars.back().commands.push_back(Number(c, file, number));
        } else if (word == "END") {
            if (depth == 0) {
                if (menu->empty()) Die(file, number, "an empty menu");
                block = Block::None;
            } else {
                if (menu->back().depth < depth) Die(file, number, "an empty popup");
                --depth;
            }
        } else if (word == "POPUP" && t.size() >= 2) {
            menu->push_back({uint16_t(zor::kTemplatePopup | ItemFlags(t, 2, file, number)), 0,
                             Utf16(Text(t[1], file, number)), depth});
            if (++depth >= zor::kMaxMenuTemplateDepth) Die(file, number, "popups nested too deeply");
        } else if (word == "ITEM" && t.size() >= 3) {
            menu->push_back({ItemFlags(t, 3, file, number), uint16_t(Number(t[1], file, number)),
                             Utf16(Text(t[2], file, number)), depth});
        } else if (word == "SEPARATOR" && t.size() == 1) {
            menu->push_back({0, 0, u"", depth});
        } else {
            Die(file, number, "expected POPUP, ITEM, SEPARATOR or END");
        }
    }
    if (block != Block::None) Die(file, 0, "a MENU or TOOLBAR is not closed by END");
    return input;
}

std::string CString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

}  // namespace

// The version resource's source: the strings of its one block.
static void WriteVersion(std::ostream& out, const std::string& module, const std::string& version) {
    static const std::map<std::string, std::string> internalNames = {
        {"Program", "quillmark"}, {"Folivox", "folivox"}, {"Peltrane", "peltrane"}, {"Vistrel", "vistrel"}};
    const std::vector<std::pair<std::string, std::string>> strings = {
        {"CompanyName", "Veldcourt"},         {"FileVersion", version},
        {"InternalName", internalNames.at(module)}, {"ProductName", "Квиллмарк"},
        {"ProductVersion", version},
    };
    out << "const zor::VersionTranslation kTranslations[] = {{0x0419, 65001}};\n"
        << "const zor::VersionStringEntry kVersionStrings[] = {\n";
    for (const auto& [key, value] : strings) out << "    {" << CString(key) << ", " << CString(value) << "},\n";
    out << "};\nconst zor::VersionResource kVersion = {kTranslations, \"0419fde9\", kVersionStrings};\n";
}

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::cerr << "usage: qm_resource_compiler input.rc output.cpp module [version]\n";
        return 2;
    }
    const std::string version = argc == 5 ? argv[4] : "";
    if (argc == 5 && (version.empty() || version.find_first_not_of("0123456789.") != std::string::npos)) {
        std::cerr << "a version is numbers and dots, not '" << version << "'\n";
        return 2;
    }
    const std::string module = argv[3];
    if (module != "Program" && module != "Folivox" && module != "Peltrane" && module != "Vistrel") {
        std::cerr << "unknown module " << module << "\n";
        return 2;
    }
    const Input input = Parse(argv[1]);
    std::ostringstream out;
    out << "// Generated from " << argv[1] << " by qm_resource_compiler. Do not edit.\n"
        << "#include \"controls/resources/module_resources.h\"\n\nnamespace {\n\n";
    for (const auto& [id, items] : input.menus) {
        const std::vector<uint8_t> bytes = zor::WriteMenuTemplate(items);
        out << "const uint8_t kMenu" << id << "[] = {";
        for (size_t i = 0; i < bytes.size(); ++i) out << (i % 16 ? " " : "\n    ") << int(bytes[i]) << ",";
        out << "\n};\n";
    }
    for (const Toolbar& t : input.toolbars) {
        out << "const uint16_t kToolbar" << t.id << "[] = {";
        for (int c : t.commands) out << c << ", ";
        out << "0};\n";
    }
    out << "\nconst zor::MenuResourceEntry kMenus[] = {\n";
    for (const auto& [id, items] : input.menus) out << "    {" << id << ", kMenu" << id << ", sizeof kMenu" << id << "},\n";
    out << "    {0, nullptr, 0}};\nconst zor::ToolbarResourceEntry kToolbars[] = {\n";
    for (const Toolbar& t : input.toolbars)
        out << "    {" << t.id << ", " << t.bitmap << ", " << t.width << ", " << t.height << ", kToolbar" << t.id << ", "
            << t.commands.size() << "},\n";
    out << "    {0, 0, 0, 0, nullptr, 0}};\nconst zor::StringResourceEntry kStrings[] = {\n";
    for (const auto& [id, text] : input.strings) out << "    {" << id << ", " << CString(text) << "},\n";
    out << "    {0, nullptr}};\n";
    if (!version.empty()) WriteVersion(out, module, version);
    out << "\n// The last row of each list is a terminator that no look-up can match (ids start at 1).\n"
        << "const zor::ResourceTable kTable = {kMenus, kToolbars, kStrings, "
        << (version.empty() ? "nullptr" : "&kVersion") << "};\n"
        << "[[maybe_unused]] const bool kRegistered = zor::RegisterResourceTable(zor::ResourceModule::" << module << ", &kTable);\n\n"
        << "}  // namespace\n";
    // Written only when changed, so that an unchanged table rebuilds nothing.
    std::string old;
    if (std::ifstream prev{argv[2]}) {
        std::ostringstream s;
        s << prev.rdbuf();
        old = s.str();
    }
    if (old != out.str()) {
        std::ofstream file(argv[2], std::ios::binary | std::ios::trunc);
        file << out.str();
        if (!file) {
            std::cerr << "cannot write " << argv[2] << "\n";
            return 1;
        }
    }
    return 0;
}
