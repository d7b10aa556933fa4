#pragma once
// Where the main window opens when the profile keeps no placement of it yet.
#include <QRect>

namespace quillmark {

// Most of the screen's free area (nine tenths of each side), centred in it, so that a first start shows
// the toolbars and a page at a size a person can work in. An empty area gives the old fixed rectangle
// (50, 50, 600 x 400).
QRect FirstStartPlacement(const QRect& available);

}  // namespace quillmark
