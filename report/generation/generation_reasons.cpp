#include "report/generation/generation_reasons.h"

#include "platform/base/file_io.h"

zor::Reason LoadFailure(const std::string& path, int code, const std::string& description) {
    return zor::FileReason("Ошибка загрузки данных %s (%d)\n%s", {path, std::to_string(code), description}, path,
                           description);
}

zor::Reason DictionaryFailure(const std::string& dictionaryDir) {
    return zor::FileReason("Ошибка загрузки словаря %squillmark.dict", {dictionaryDir},
                           dictionaryDir + "quillmark.dict");
}

zor::Reason SaveFailure(const std::string& path, const std::string& detail) {
    return zor::FileReason("Ошибка при сохранении отчета!\n%s", {zor::FileFailureLine(path, detail)}, path, detail);
}
