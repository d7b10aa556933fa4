#pragma once
// Resources by number, per module: menus (template bytes), toolbars, bitmaps and strings.
//
// Each module of the system (the program, Folivox, Peltrane, Vistrel) keeps its own table. A look-up
// searches the current module first (the program's unless a module made its own current), then the
// libraries in a fixed order, then the program, as a resource chain does; a module that shows its own menus or dialogs makes its resources current for that time
// (ScopedResourceModule). Menus, toolbars and strings come from tables that the build generates from each
// module's readable resource file (controls/resources/rc); bitmaps are drawn in code, one loader a module.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <QImage>

namespace zor {

enum class ResourceModule { Program, Folivox, Peltrane, Vistrel };

// A toolbar: its bitmap strip, the size of one image and the commands of its buttons in order (0 for a
// separator, which has no image). Button n that is not a separator shows the n-th image of the strip
// counted without separators.
struct ToolbarResource {
    int bitmapId = 0;
    int imageWidth = 16;
    int imageHeight = 15;
    std::vector<uint16_t> commands;
};

struct MenuResourceEntry {
    int id;
    const uint8_t* bytes;
    size_t size;
};
struct ToolbarResourceEntry {
    int id;
    int bitmapId, imageWidth, imageHeight;
    const uint16_t* commands;
    size_t count;
};
struct StringResourceEntry {
    int id;
    const char* text;  // UTF-8
};

// A module's version: its translations (language and code page pairs, the first one naming the block of
// strings a reader looks in) and one block of named strings per translation.
struct VersionTranslation {
    uint16_t language;
    uint16_t codePage;
};
struct VersionStringEntry {
    const char* key;
    const char* value;  // UTF-8
};
struct VersionResource {
    std::span<const VersionTranslation> translations;
    // The block's name: the language and code page as eight lower-case hexadecimal digits.
    const char* block;
    std::span<const VersionStringEntry> strings;
};

// What the generator writes for one resource file.
struct ResourceTable {
    std::span<const MenuResourceEntry> menus;
    std::span<const ToolbarResourceEntry> toolbars;
    std::span<const StringResourceEntry> strings;
    const VersionResource* version = nullptr;  // the build's version of the module, when it gave one
};

using BitmapLoader = QImage (*)(int id);

// Adds a table to a module (a module may get several). Returns true, so that a generated file can
// register itself with a static initializer.
bool RegisterResourceTable(ResourceModule module, const ResourceTable* table);
// Sets the module's bitmap loader (Vistrel's is its own from the start).
void SetBitmapLoader(ResourceModule module, BitmapLoader loader);

// The module whose resources are searched first (the program unless a scope says otherwise).
ResourceModule CurrentResourceModule();

class ScopedResourceModule {
public:
    explicit ScopedResourceModule(ResourceModule module);
    ~ScopedResourceModule();
    ScopedResourceModule(const ScopedResourceModule&) = delete;
    ScopedResourceModule& operator=(const ScopedResourceModule&) = delete;
};

// Look-ups through the chain. The menu's bytes stay valid for the process's life.
bool FindMenuResource(int id, std::span<const uint8_t>& bytes);
bool FindToolbarResource(int id, ToolbarResource& toolbar);
// The bitmap as kept: an indexed image with a 16- or 256-entry colour table, or a true-colour image.
// Null when no module has it.
QImage FindBitmapResource(int id);
bool FindStringResource(int id, std::string& text);
// The module's own version (no chain: a version describes one module); null when it has none.
const VersionResource* FindVersionResource(ResourceModule module);

// Resource names: a number written as text ("#130" or "130") names that number; other names are numbers
// of no resource here.
bool ResourceNameToId(const char* name, int& id);

}  // namespace zor
