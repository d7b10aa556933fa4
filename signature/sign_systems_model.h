#pragma once
// What the administration dialogs do, apart from their widgets: the list of systems, adding, changing
// and deleting one, and the checks of the properties dialog. They read and write the configuration
// (csp_config.h) and load no plug-in, so a plug-in that crashes cannot keep them from repairing the
// list. Questions and errors go to the message sink given.
#include "platform/ui/messages.h"
#include "signature/csp_config.h"
#include "signature/csp_name_map.h"

#include <optional>
#include <string>
#include <vector>

namespace sig {

// The values the properties dialog shows and edits.
struct SignSystemProps {
    std::string name;
    std::string path;
    bool makeDefault = false;
};

struct SignSystemRow {
    std::string name;
    std::string note;  // "По умолчанию" for the default system
};

class CSignSystemsModel {
public:
    explicit CSignSystemsModel(zor::IMessageSink& sink, CspConfigFiles files = CspConfigFiles::FromEnvironment());

    // The systems in the order the configuration lists them.
    std::vector<SignSystemRow> Rows() const;
    // A listed system's path and default mark, as the properties dialog starts with them.
    SignSystemProps PropsOf(const std::string& name) const;

    // Each command takes what the properties dialog ended with OK (or the name chosen), asks what it
    // must, writes, and says whether the list is to be filled again. Failed writes are reported.
    bool Add(const SignSystemProps& entered);
    bool ApplyProperties(const SignSystemProps& old, const SignSystemProps& edited);
    bool Delete(const std::string& name);

private:
    // A change of this user's default: the name to write, and whether the file may be made for it.
    struct DefaultChange {
        std::string name;
        bool createWhenMissing = false;
    };
    CspNameMap Read() const;
    bool Ask(const std::string& text, const std::string& caption) const;
    void Write(const CspSystemsEdit& edit, const std::optional<DefaultChange>& defaultChange) const;

    zor::IMessageSink& m_sink;
    CspConfig m_config;
};

// The properties dialog's values and its OK check.
class CSignSystemPropsModel {
public:
    enum class Focus { None, Name, Path };

    std::string caption;
    std::string okText;
    SignSystemProps values;

    // Whether the dialog may end with OK. When not, the error has been shown and `focus` names the edit
    // that is to get the focus (None: the focus stays where it is).
    bool Accept(zor::IMessageSink& sink, Focus* focus) const;
    // A library chosen in the file dialog: it becomes the path, and names the system when it has no name.
    void Browsed(const std::string& path);

    // Whether the library at `path` loads and exports CreatePrivateKey, Sign, CheckSign and GetPublicKey.
    // It is released again either way.
    static bool IsSignatureLibrary(const std::string& path);
};

// The dialogs' texts.
namespace texts {
inline constexpr const char* kListCaption = "Администратор ситем ЭЦП";
inline constexpr const char* kListLabel = "Системы электронной цифровой подписи:";
inline constexpr const char* kNameColumn = "Имя системы";
inline constexpr const char* kNoteColumn = "Примечание";
inline constexpr const char* kDefaultNote = "По умолчанию";
inline constexpr const char* kAddButton = "Добавить";
inline constexpr const char* kPropertiesButton = "Свойства...";
inline constexpr const char* kDeleteButton = "Удалить";
inline constexpr const char* kExitButton = "Выход";
inline constexpr const char* kAddCaption = "Добавление новой системы ЭЦП";
inline constexpr const char* kAddOk = "Добавить";
inline constexpr const char* kPropsCaption = "Свойства системы ЭЦП";
inline constexpr const char* kPropsOk = "Применить";
inline constexpr const char* kWarningCaption = "Внимание!";
inline constexpr const char* kRedefineQuestion =
    "Криптографическая система с наименованием %s уже существует. \n\nПереопределить %s?";
inline constexpr const char* kRenameQuestion = "%s является библиотекой для криптографической системы %s. \n\nПереименовать %s?";
inline constexpr const char* kDeleteQuestion = "Вы действительно хотите удалить %s?";
inline constexpr const char* kDeleteCaption = "Удаление системы";
inline constexpr const char* kErrorCaption = "Ошибка";
inline constexpr const char* kNoName = "Введите имя нового криптографического \nпровайдера.";
inline constexpr const char* kNoPath = "Введите путь к библиотеке нового \nкриптографического провайдера.";
inline constexpr const char* kNotALibrary =
    "Библиотека %s не является библиотекой \nсистемы криптографической защиты информации для Tessaline.";
inline constexpr const char* kReservedName = "Имя «%s» зарезервировано. \nВведите другое имя системы.";
inline constexpr const char* kNotWritten = "Настройки систем ЭЦП не удалось записать:\n%s";
inline constexpr const char* kPropsGroup = "Свойства";
inline constexpr const char* kNameLabel = "Наименование системы ЭЦП:";
inline constexpr const char* kPathLabel = "Путь к файлу библиотеки:";
inline constexpr const char* kBrowseButton = "Выбрать...";
inline constexpr const char* kDefaultCheck = "Сделать системой по умолчанию";
inline constexpr const char* kLibraryFilter = "Файлы расширения приложения (*.so)";
}  // namespace texts

}  // namespace sig
