#include "signature/sign_systems_model.h"

#include "platform/base/plugin_library.h"
#include "platform/text/case_fold.h"

#include <fmt/printf.h>

namespace sig {

CSignSystemsModel::CSignSystemsModel(zor::IMessageSink& sink, CspConfigFiles files)
    : m_sink(sink), m_config(std::move(files)) {}

CspNameMap CSignSystemsModel::Read() const {
    CspNameMap map;
    map.ReadFrom(m_config);
    return map;
}

bool CSignSystemsModel::Ask(const std::string& text, const std::string& caption) const {
    return m_sink.Show(text, caption, MB_YESNO | MB_ICONWARNING) == IDYES;
}

void CSignSystemsModel::Write(const CspSystemsEdit& edit, const std::optional<DefaultChange>& defaultChange) const {
    std::string failures;
    std::string error;
    const bool listWritten = m_config.ApplySystems(edit, &error);
    if (!listWritten) failures = error;
    // A default naming a system the list could not take would name nothing; clearing one is always right.
    if (defaultChange && (listWritten || defaultChange->name.empty())) {
        error.clear();
        if (!m_config.WriteDefault(defaultChange->name, defaultChange->createWhenMissing, &error))
            failures += (failures.empty() ? "" : "\n") + error;
    }
    if (!failures.empty())
        m_sink.Show(fmt::sprintf(texts::kNotWritten, failures), texts::kErrorCaption, MB_OK | MB_ICONERROR);
}

std::vector<SignSystemRow> CSignSystemsModel::Rows() const {
    const CspNameMap map = Read();
    std::vector<std::string> names;
    map.GetAllKeys(names);
    const std::string def = map.DefaultName();
    std::vector<SignSystemRow> rows;
    for (std::string& name : names) {
        const bool isDefault = name == def;
        rows.push_back({std::move(name), isDefault ? texts::kDefaultNote : ""});
    }
    return rows;
}

SignSystemProps CSignSystemsModel::PropsOf(const std::string& name) const {
    SignSystemProps props;
    props.name = name;
    int isDefault = 0;
    std::string lookup = name;
    if (!name.empty() && Read().GetValue(lookup, props.path, isDefault)) props.makeDefault = isDefault != 0;
    return props;
}

bool CSignSystemsModel::Add(const SignSystemProps& entered) {
    if (entered.name.empty() || entered.path.empty()) return false;
    const CspNameMap map = Read();
    CspSystemsEdit edit;
    std::optional<DefaultChange> defaultChange;
    std::string name = entered.name, path;
    int isDefault = 0;
    if (map.GetValue(name, path, isDefault)) {
        if (zor::EqualsFolded(path, entered.path)) return false;
        if (!Ask(fmt::sprintf(texts::kRedefineQuestion, entered.name, entered.name), texts::kWarningCaption))
            return false;
    } else {
        std::vector<std::string> names;
        map.GetAllKeys(names);
        for (const std::string& other : names) {
            std::string otherName = other, otherPath;
            int otherDefault = 0;
            if (!map.GetValue(otherName, otherPath, otherDefault) || !zor::EqualsFolded(otherPath, entered.path)) continue;
            if (!Ask(fmt::sprintf(texts::kRenameQuestion, entered.path, other, other), texts::kWarningCaption))
                return false;
            edit.remove.push_back(other);
            if (otherDefault) defaultChange = DefaultChange{"", false};
            break;
        }
    }
    edit.put = CspSystem{entered.name, entered.path};
    if (entered.makeDefault) defaultChange = DefaultChange{entered.name, true};
    Write(edit, defaultChange);
    return true;
}

bool CSignSystemsModel::ApplyProperties(const SignSystemProps& old, const SignSystemProps& edited) {
    if (edited.name.empty() || edited.path.empty()) return false;
    CspSystemsEdit edit;
    std::optional<DefaultChange> defaultChange;
    bool wasDefault = old.makeDefault;
    if (!zor::EqualsFolded(old.name, edited.name)) {
        edit.remove.push_back(old.name);
        if (wasDefault) {
            defaultChange = DefaultChange{"", false};
            wasDefault = false;
        }
        edit.put = CspSystem{edited.name, edited.path};
    } else if (!zor::EqualsFolded(old.path, edited.path) || old.name != edited.name) {
        // A new path, or the same name spelt in other letters: the listed system takes it.
        edit.put = CspSystem{edited.name, edited.path};
        edit.putExistingOnly = true;
        if (wasDefault && edited.makeDefault && old.name != edited.name)
            defaultChange = DefaultChange{edited.name, true};
    }
    if (edited.makeDefault != wasDefault) defaultChange = DefaultChange{edited.makeDefault ? edited.name : "", true};
    if (!edit.put && edit.remove.empty() && !defaultChange) return false;
    Write(edit, defaultChange);
    return true;
}

bool CSignSystemsModel::Delete(const std::string& name) {
    if (name.empty()) return false;
    const bool wasDefault = PropsOf(name).makeDefault;
    if (!Ask(fmt::sprintf(texts::kDeleteQuestion, name), texts::kDeleteCaption)) return false;
    CspSystemsEdit edit;
    edit.remove.push_back(name);
    Write(edit, wasDefault ? std::optional<DefaultChange>(DefaultChange{"", false}) : std::nullopt);
    return true;
}

bool CSignSystemPropsModel::Accept(zor::IMessageSink& sink, Focus* focus) const {
    auto refuse = [&](const std::string& text, Focus where) {
        sink.Show(text, texts::kErrorCaption, MB_OK | MB_ICONERROR);
        if (focus) *focus = where;
        return false;
    };
    if (values.name.empty()) return refuse(texts::kNoName, Focus::Name);
    if (values.path.empty()) return refuse(texts::kNoPath, Focus::Path);
    // The name that holds the default system's name cannot name a system as well.
    if (zor::EqualsFolded(values.name, kDefaultCspKey))
        return refuse(fmt::sprintf(texts::kReservedName, values.name), Focus::Name);
    if (!IsSignatureLibrary(values.path)) return refuse(fmt::sprintf(texts::kNotALibrary, values.path), Focus::None);
    if (focus) *focus = Focus::None;
    return true;
}

void CSignSystemPropsModel::Browsed(const std::string& path) {
    if (path.empty()) return;
    values.path = path;
    if (!values.name.empty()) return;
    // The file's title: its name without folder and extension.
    std::string title = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    const size_t dot = title.rfind('.');
    if (dot != std::string::npos && dot > 0) title.erase(dot);
    values.name = title;
}

bool CSignSystemPropsModel::IsSignatureLibrary(const std::string& path) {
    zor::PluginLibrary library;
    if (!library.Open(path)) return false;
    for (const char* name : {"CreatePrivateKey", "Sign", "CheckSign", "GetPublicKey"})
        if (!library.Symbol(name)) return false;
    return true;
}

}  // namespace sig
