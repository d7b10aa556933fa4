#include "controls/tests/gui_test_app.h"

#include <QApplication>

void EnsureGuiApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vistrel_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives as long as the process
}
