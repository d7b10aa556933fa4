#pragma once
// The menu and toolbar pictures of the designer's commands, 20 by 20, drawn in code.
#include <QIcon>

namespace quillmark {
// A null icon for a command that has no picture.
QIcon CommandIcon(int id);
}
