#pragma once
// The messages that generation and merging give about files, as reasons (platform/ui/outcome.h): each
// carries the file it is about and the reason the system gave, so that a batch run can name them.
#include <string>

#include "platform/ui/outcome.h"

// "Ошибка загрузки данных <path> (<code>)" and the description of the store's error code.
zor::Reason LoadFailure(const std::string& path, int code, const std::string& description);
// "Ошибка загрузки словаря <dir>quillmark.dict".
zor::Reason DictionaryFailure(const std::string& dictionaryDir);
// "Ошибка при сохранении отчета!" and the line naming the file and why it could not be written.
zor::Reason SaveFailure(const std::string& path, const std::string& detail);
