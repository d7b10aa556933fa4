#pragma once
// What a program shown in a real-window test sets on itself so that screenshots are the same on every
// machine: the Fusion style, the fixed colour scheme as its palette and Liberation Sans at 9 points.
class QApplication;

namespace quillmark_test {
void ApplyTestLook(QApplication& app);
}
