#pragma once
// The please-wait window: shown while the caller's thread is busy with a long operation.
//
// The window lives in a helper process (zorwaitdlg, found beside the program or beside this
// library), so it keeps repainting however long the caller's thread is busy. One window at a
// time per process. Without a display (no DISPLAY and no WAYLAND_DISPLAY, or Qt's offscreen or
// minimal platform) nothing is shown, but the calls behave the same: a handle is given out and
// taken back, so callers need no special case for batch runs.

// Starts the window with the text (UTF-8; null for none). Returns the handle to pass to
// zorEndWaitDlg, or 0 when a window is already running.
long zorStartWaitDlg(const char* text);

// Ends the window of the handle and returns at once; the window closes within 50 ms. Brings
// the program's main window, when one is shown, to the front. 0, a handle already ended and
// a handle never given out do nothing.
void zorEndWaitDlg(long handle);
