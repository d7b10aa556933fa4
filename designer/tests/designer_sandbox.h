#pragma once
// The real designer's sandbox for tests on a test X display: a private configuration whose profile places the
// main window at (10, 10), 1000 by 800 pixels.
#include <filesystem>
#include <fstream>

#include "testkit/program_sandbox.h"

namespace quillmark_test {

inline bool MakeDesignerSandbox(ProgramSandbox& sandbox) {
    if (!sandbox.Create()) return false;
    std::filesystem::create_directories(sandbox.ConfigDir() + "/Veldcourt");
    std::ofstream(sandbox.ConfigDir() + "/Veldcourt/Квиллмарк.ini")
        << "[MainFrame]\nScreen_X=10\nScreen_Y=10\nScreen_CX=1000\nScreen_CY=800\n";
    return true;
}

}  // namespace quillmark_test
