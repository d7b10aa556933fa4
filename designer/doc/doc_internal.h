#pragma once
// What the document's source files share and nothing else needs.
#include <string>

namespace quillmark {

class CMainFrame;

// The "Сохранить отчет как..." dialog over the main window: the chosen path, empty on Cancel.
std::string RunSaveDialog(CMainFrame* frame, const std::string& currentPath);

}  // namespace quillmark
