#include "report/model/value_text.h"

#include <cmath>
#include <cstring>
#include <fmt/format.h>
#include <iterator>

#include "platform/zordata/dictionary.h"
#include "platform/zordata/instance.h"
#include "platform/zordata/stepdata.h"
#include "platform/zordata/value.h"

namespace {

void AppendInt(int value, std::string& out) { fmt::format_to(std::back_inserter(out), "{}", value); }
// "%f": six decimals and a point whatever the locale. A value that is not finite is no number: nothing.
void AppendReal(double value, std::string& out) {
    if (std::isfinite(value)) fmt::format_to(std::back_inserter(out), "{:.6f}", value);
}

}  // namespace

void AppendAsString(const CzorValue* value, std::string& out) {
    if (!value) return;
    switch (value->GetType()) {
    case zorSTRING: out += value->GetString(); break;
    case zorINTEGER: AppendInt(value->GetInt(), out); break;
    case zorREAL: {
        const size_t start = out.size();
        AppendReal(value->GetReal(), out);
        if (out.find('.', start) != std::string::npos) {
            while (out.back() == '0') out.pop_back();
            while (out.back() == '.') out.pop_back();
        }
        break;
    }
    default: break;
    }
}

std::string GetAsString(const CzorValue* value) {
    std::string text;
    AppendAsString(value, text);
    return text;
}

std::vector<std::string_view> SplitAttrPath(std::string_view path) {
    std::vector<std::string_view> names;
    for (;;) {
        while (!path.empty() && path.front() == '.') path.remove_prefix(1);
        const size_t dot = path.find('.');
        names.push_back(path.substr(0, dot));
        if (dot == std::string_view::npos) return names;
        path.remove_prefix(dot + 1);
    }
}

std::string GetAttrEx(CzorInstance* instance, const char* path, CzorStepData* store) {
    if (!store || !instance) return {};
    // A networked store fetches what it has not loaded yet; the mode stays on after the call.
    store->PrepareAttrReads(nullptr, 0, nullptr);
    const std::vector<std::string_view> names = SplitAttrPath(path ? std::string_view(path) : std::string_view());
    CzorInstance* current = instance;
    for (size_t i = 0;; ++i) {
        if (!current) return {};
        CzorEntity* entity = current->GetEntity();
        if (!entity) return {};
        if (i + 1 == names.size()) {
            CzorAttr* attr = store->GetAttrDefinition(entity, std::string(names[i]));
            if (!attr) return {};
            std::string text;
            switch (attr->GetType()) {
            case zorINTEGER: {
                int v = 0;
                store->GetAttr(current, attr, v);
                AppendInt(v, text);
                break;
            }
            case zorREAL: {
                double v = 0.0;
                store->GetAttr(current, attr, v);
                AppendReal(v, text);
                break;
            }
            case zorSTRING: store->GetAttr(current, attr, text); break;
            default: break;
            }
            return text;
        }
        CzorAttr* ref = store->GetAttrDefinition(entity, std::string(names[i]));
        CzorInstance* next = nullptr;
        if (ref) store->GetAttr(current, ref, next);
        current = next;
    }
}
