#include "report/model/element_dialogs.h"

#include <atomic>

namespace {
std::atomic<IElementDialogs*> g_dialogs{nullptr};
}

IElementDialogs* SetElementDialogs(IElementDialogs* dialogs) { return g_dialogs.exchange(dialogs); }

IElementDialogs* ElementDialogs() { return g_dialogs.load(); }
