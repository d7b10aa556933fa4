#pragma once
// Message boxes of the interactive program: modal QMessageBox dialogs over the active window.
#include "platform/ui/messages.h"

namespace zor {

// Shows the caption, text, icon and buttons of an MB_... type with its default button and Russian button
// texts, and answers with the ID... of the button chosen. Called from another thread, it shows the box on
// the user-interface thread and waits for it. With no QApplication it writes to stderr instead.
class QtMessageSink : public IMessageSink {
public:
    int Show(const std::string& text, const std::string& caption, unsigned type) override;
};

}  // namespace zor
