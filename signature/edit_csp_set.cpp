#include "signature/crypto_provider.h"
#include "signature/sign_systems_dlg.h"

#include "platform/ui/widgets/qt_message_sink.h"

#include <QApplication>

#include <memory>

bool CCryptographicProvider::EditCSPSet() {
    // A caller without a user interface of its own gets one for the dialog's time.
    std::unique_ptr<QApplication> own;
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "sigilon";
        static char* argv[] = {name, nullptr};
        own = std::make_unique<QApplication>(argc, argv);
    } else if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        zor::MessageSink().Show("The signature systems dialog needs a graphical application.", "Sigilon",
                                MB_OK | MB_ICONERROR);
        return false;
    }
    zor::QtMessageSink sink;
    sig::CSignSystemsModel model(sink);
    sig::CSignSystemsDlg dialog(model, sink);
    dialog.exec();
    return false;
}
