// Menu templates as the menus load them from a module's resources: read and checked whole, written again
// to the same bytes, and loaded into an owner-drawn menu (with a GUI application, so the accelerator
// texts are lined up by their widths too).
#include <span>

#include <QGuiApplication>

#include "controls/menu/zor_menu.h"
#include "controls/resources/menu_template.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr const char* kName = "menu_template";

void StartApplication() {
    fuzz::Folder();
    static int argc = 1;
    static char name[] = "fuzz_menu_template";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

}  // namespace

// Fontconfig keeps what it found about the fonts in caches that live as long as the process and are never
// freed; the leak check would take each first use of a script for a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The replay has no initialiser call.
    StartApplication();
    const std::span<const uint8_t> bytes(data, size);
    std::vector<zor::MenuTemplateItem> items;
    std::string error;
    const bool ok = zor::ReadMenuTemplate(bytes, items, &error);
    if (ok) {
        const std::vector<uint8_t> written = zor::WriteMenuTemplate(items);
        std::vector<zor::MenuTemplateItem> again;
        if (!zor::ReadMenuTemplate(written, again, &error)) fuzz::Fail(kName, "our own template is refused: " + error);
        fuzz::SameBytes(kName, "writing what was read", written, zor::WriteMenuTemplate(again));
    } else if (!items.empty()) {
        fuzz::Fail(kName, "a refused template left items");
    }
    CzorMenu menu;
    if (bool(menu.LoadMenuTemplate(bytes)) != ok) fuzz::Fail(kName, "the menu and the reader disagree on a template");
    return 0;
}
