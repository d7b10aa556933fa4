#include "controls/tests/gui_test_app.h"

#include <QApplication>
#include <QSettings>

#include "platform/tests/test_support.h"

void EnsureGuiApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own dialogs remember their last folder and history in the user's configuration, which test
    // processes running side by side would share (and the user's would be written). Each process keeps
    // its own; the environment stays as the tests set it, for our own settings follow $XDG_CONFIG_HOME.
    static zor::test::ScopedTempDir qtConfig;
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, QString::fromStdString(qtConfig.Path()));
    static int argc = 1;
    static char name[] = "vistrel_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives as long as the process
}
