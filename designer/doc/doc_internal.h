#pragma once
// What the document's source files share and nothing else needs.
#include <string>
#include <vector>

class QWidget;

namespace quillmark {

// A type the save dialog offers: its filter and the extension a name typed without one takes.
struct SaveFileType {
    const char* filter;
    const char* extension;
};
// The types in the order offered: the open file's own type first.
std::vector<SaveFileType> SaveFileTypes(const std::string& currentPath);

// The "Сохранить отчет как..." dialog over the parent window: the chosen path, empty on Cancel.
std::string RunSaveDialog(QWidget* parent, const std::string& currentPath);

}  // namespace quillmark
