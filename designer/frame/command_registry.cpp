#include "designer/frame/command_registry.h"

#include <QAction>
#include <QKeySequence>
#include <QString>

#include "designer/frame/command_icons.h"

namespace quillmark {

CCommandRegistry::CCommandRegistry(QObject* parent) : QObject(parent) {
    for (const CommandInfo& info : AllCommands()) {
        auto* action = new QAction(QString::fromUtf8(info.menuText), this);
        action->setObjectName(QString::number(info.id));
        // A button without a picture shows this label; the key after the tab belongs to the menu only.
        action->setIconText(QString::fromUtf8(CommandLabel(info)));
        action->setStatusTip(QString::fromUtf8(CommandStatusText(info)));
        action->setToolTip(QString::fromUtf8(CommandToolTip(info)));
        action->setCheckable(CommandCheckable(info.id));
        // The key the menu shows after its tab.
        const std::string text = info.menuText;
        if (const size_t tab = text.find('\t'); tab != std::string::npos)
            action->setShortcut(QKeySequence(QString::fromStdString(text.substr(tab + 1))));
        action->setIcon(CommandIcon(info.id));
        action->setEnabled(false);
        const int id = info.id;
        // A checkable action flips its check on a click before the handler runs; the rules set it back.
        QObject::connect(action, &QAction::triggered, this, [this, id] {
            if (auto it = m_handlers.find(id); it != m_handlers.end() && it->second) it->second();
            Refresh();
        });
        m_actions[id] = action;
    }
}

QAction* CCommandRegistry::Action(int id) const {
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CCommandRegistry::SetHandler(int id, std::function<void()> handler) { m_handlers[id] = std::move(handler); }

void CCommandRegistry::Refresh() {
    const CommandState state = m_source ? m_source() : CommandState{};
    for (auto& [id, action] : m_actions) {
        const CommandStatus status = EvaluateCommand(id, state);
        // A command that nothing in the program carries out yet is shown, disabled.
        const auto handler = m_handlers.find(id);
        action->setEnabled(status.enabled && handler != m_handlers.end() && handler->second);
        if (action->isCheckable()) action->setChecked(status.checked);
    }
    if (afterRefresh) afterRefresh(state);
}

bool CCommandRegistry::Execute(int id) {
    Refresh();
    QAction* action = Action(id);
    if (!action || !action->isEnabled()) return false;
    action->trigger();
    return true;
}

}  // namespace quillmark
