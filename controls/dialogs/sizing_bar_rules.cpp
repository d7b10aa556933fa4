#include "controls/dialogs/sizing_bar_rules.h"

#include <algorithm>

#include <fmt/printf.h>

#include "platform/text/utf8.h"

namespace zor {

void SizingBarSizes::Clamp() {
    for (CSize* s : {&horz, &vert, &floating}) {
        s->cx = std::max(s->cx, minimum.cx);
        s->cy = std::max(s->cy, minimum.cy);
    }
}

CSize& SizingBarSizes::For(unsigned dockBarId) {
    if (IsHorzDockBar(dockBarId)) return horz;
    if (IsVertDockBar(dockBarId)) return vert;
    return floating;
}

std::string SizingBarSection(const std::string& profileName, unsigned controlId) {
    return fmt::sprintf("%s-SCBar-%d", profileName, controlId);
}

std::string VerticalCaption(const std::string& title) {
    std::string out;
    const int n = Utf8Length(title);
    for (int i = 0; i < n; ++i) {
        if (i > 0) out += '\n';
        out += Utf8Mid(title, i, 1);
    }
    return out;
}

}  // namespace zor
