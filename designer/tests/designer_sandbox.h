#pragma once
// The real designer's sandbox for tests on a test X display: a private configuration whose profile places the
// main window at (10, 10), 1000 by 800 pixels, or where the caller says (two programs side by side).
#include <filesystem>
#include <fstream>

#include "testkit/program_sandbox.h"

namespace quillmark_test {

inline bool MakeDesignerSandbox(ProgramSandbox& sandbox, int x = 10, int y = 10, int cx = 1000, int cy = 800) {
    if (!sandbox.Create()) return false;
    std::filesystem::create_directories(sandbox.ConfigDir() + "/Veldcourt");
    std::ofstream(sandbox.ConfigDir() + "/Veldcourt/Квиллмарк.ini")
        << "[MainFrame]\nScreen_X=" << x << "\nScreen_Y=" << y << "\nScreen_CX=" << cx << "\nScreen_CY=" << cy << "\n";
    return true;
}

}  // namespace quillmark_test
