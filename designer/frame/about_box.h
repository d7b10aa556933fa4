#pragma once
// The About box: the logo, the program's links and the version line.
class QWidget;

namespace quillmark {
void ShowAboutBox(QWidget* parent);
}
