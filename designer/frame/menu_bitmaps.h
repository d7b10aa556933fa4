#pragma once
// The designer's menu: the resource menus 128 (no report open) and 129 (a report open) drawn by CzorMenu,
// with the pictures of toolbars 128, 169 and 168 at 20 by 20.
#include <QImage>

namespace quillmark {

// The toolbar strips of the program's resources: one 20 by 20 picture a button on light grey 0xC0C0C0
// (the mask colour), null for an id that is not one of them.
QImage ProgramBitmap(int id);
// Makes ProgramBitmap the program's bitmap loader (once is enough).
void RegisterProgramBitmaps();

inline constexpr unsigned kMenuToolbars[] = {128, 169, 168};

}  // namespace quillmark
