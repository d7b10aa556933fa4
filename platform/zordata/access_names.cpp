#include "platform/zordata/access_names.h"

namespace {

struct ModeTexts {
    const char* word;
    const char* shortName;
    const char* description;
};

const ModeTexts kModes[] = {
    {"OWN", "Полный доступ",
     "Полный доступ - позволяет изменять объект, удалять объект, назначать права доступа к объекту"},
    {"RW", "Чтение-запись", "Чтение-запись - позволяет просматривать и изменять свойства объекта"},
    {"RO", "Только чтение", "Только чтение - позволяет только просматривать свойства объекта"},
    {"NA", "Нет доступа", "Нет доступа - объект невидим для пользователя"},
    {"", "Не задан", "Индивидуальный доступ не задан"},
};

}  // namespace

bool GetNameAccess(zorAccessModeType mode, std::string& text, bool readable, bool longText) {
    text.clear();
    if (mode < zorAccessOwn || mode > zorAccessNotSet) return false;
    const ModeTexts& t = kModes[mode];
    text = !readable ? t.word : (longText ? t.description : t.shortName);
    return true;
}

zorAccessModeType zorAccessModeFromWord(const std::string& word) {
    for (int m = zorAccessOwn; m <= zorAccessNone; ++m)
        if (word == kModes[m].word) return static_cast<zorAccessModeType>(m);
    return zorAccessNotSet;
}
