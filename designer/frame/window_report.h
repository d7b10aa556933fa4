#pragma once
// For real-window tests: with QUILLMARK_WINDOW_REPORT set, the program writes to stdout where its controls
// are and what it has done, so a test clicks on a control it was told of and waits for a state instead of
// guessing pixels or sleeping. Lines (read by testkit/program_report.h):
//   "<key> x y width height"  a place on the screen: "window", a named widget by its object name (a dialog's
//                             control id, "mdi", "navigator", a toolbar's id), "button<id>" a command's toolbar
//                             button, "menu<n>" the nth title of the menu bar, and in a menu "cmd<id>" a
//                             command's item, "item<n>" the nth item, "submenu-<text>" the item of a submenu;
//                             "button-<text>" a button by its text (spaces as '_')
//   "menus n", "items n"      how many titles the menu bar has, how many items the menu
//   "shown <class> <title>"   a window has shown; the places of its controls come before it
//   "placed <class> <title>"  a shown window has moved or changed its size; its places come before it
//   "hidden <class> <title>"  a window has gone
//   "handled n"               the nth click, wheel turn or key let go in one of its windows (counted from 1),
//                             once handled; after the places in the open menu or the active window
// Without the variable nothing is installed and nothing is written.

namespace quillmark {

// Installs the report on the application when the environment asks for it.
void StartWindowReport();

}  // namespace quillmark
