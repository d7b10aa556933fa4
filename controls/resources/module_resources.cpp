#include "controls/resources/module_resources.h"

#include <array>
#include <mutex>

#include "controls/resources/bitmaps.h"
#include "platform/text/numbers.h"

namespace zor {

namespace {

constexpr int kModules = 4;

struct Module {
    std::vector<const ResourceTable*> tables;
    BitmapLoader bitmaps = nullptr;
};

struct Registry {
    std::mutex mutex;
    std::array<Module, kModules> modules;
    std::vector<ResourceModule> current;
    Registry() { modules[size_t(ResourceModule::Vistrel)].bitmaps = &LoadVistrelBitmap; }
};

Registry& Reg() {
    static Registry registry;
    return registry;
}

// The current module (the program unless a module made its own current), then the libraries, then the
// program.
std::vector<ResourceModule> SearchOrder(const Registry& r) {
    const ResourceModule current = r.current.empty() ? ResourceModule::Program : r.current.back();
    std::vector<ResourceModule> order = {current};
    for (ResourceModule m : {ResourceModule::Folivox, ResourceModule::Peltrane, ResourceModule::Vistrel,
                             ResourceModule::Program})
        if (m != current) order.push_back(m);
    return order;
}

template <class Entry, class Visit>
bool Search(std::span<const Entry> ResourceTable::*field, int id, Visit visit) {
    if (id <= 0) return false;  // 0 is the generated lists' terminator
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (ResourceModule m : SearchOrder(r))
        for (const ResourceTable* table : r.modules[size_t(m)].tables)
            for (const Entry& e : table->*field)
                if (e.id == id) {
                    visit(e);
                    return true;
                }
    return false;
}

}  // namespace

bool RegisterResourceTable(ResourceModule module, const ResourceTable* table) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (table) r.modules[size_t(module)].tables.push_back(table);
    return true;
}

void SetBitmapLoader(ResourceModule module, BitmapLoader loader) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.modules[size_t(module)].bitmaps = loader;
}

ResourceModule CurrentResourceModule() {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.current.empty() ? ResourceModule::Program : r.current.back();
}

ScopedResourceModule::ScopedResourceModule(ResourceModule module) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.current.push_back(module);
}

ScopedResourceModule::~ScopedResourceModule() {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.current.empty()) r.current.pop_back();
}

bool FindMenuResource(int id, std::span<const uint8_t>& bytes) {
    return Search(&ResourceTable::menus, id,
                  [&](const MenuResourceEntry& e) { bytes = std::span<const uint8_t>(e.bytes, e.size); });
}

bool FindToolbarResource(int id, ToolbarResource& toolbar) {
    return Search(&ResourceTable::toolbars, id, [&](const ToolbarResourceEntry& e) {
        toolbar.bitmapId = e.bitmapId;
        toolbar.imageWidth = e.imageWidth;
        toolbar.imageHeight = e.imageHeight;
        toolbar.commands.assign(e.commands, e.commands + e.count);
    });
}

bool FindStringResource(int id, std::string& text) {
    return Search(&ResourceTable::strings, id, [&](const StringResourceEntry& e) { text = e.text; });
}

const VersionResource* FindVersionResource(ResourceModule module) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (const ResourceTable* table : r.modules[size_t(module)].tables)
        if (table->version) return table->version;
    return nullptr;
}

QImage FindBitmapResource(int id) {
    std::vector<BitmapLoader> loaders;
    {
        Registry& r = Reg();
        std::lock_guard<std::mutex> lock(r.mutex);
        for (ResourceModule m : SearchOrder(r))
            if (r.modules[size_t(m)].bitmaps) loaders.push_back(r.modules[size_t(m)].bitmaps);
    }
    // Loaders draw, so they run outside the lock.
    for (BitmapLoader load : loaders) {
        QImage image = load(id);
        if (!image.isNull()) return image;
    }
    return {};
}

bool ResourceNameToId(const char* name, int& id) {
    if (!name) return false;
    std::string_view text(name);
    if (text.starts_with('#')) text.remove_prefix(1);
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    size_t used = 0;
    id = TextToInt(text, &used);
    return used == text.size() && id > 0 && id <= 0xFFFF;
}

}  // namespace zor
