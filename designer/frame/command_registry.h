#pragma once
// One action per command, shared by menus and toolbars, and the one place where the enable and check
// rules (command_table.h) are applied. The frame calls Refresh on every change of selection, tool,
// document, mode, bars or clipboard; nothing else enables or checks a command.
#include <functional>
#include <map>

#include <QObject>

#include "designer/frame/command_table.h"

class QAction;

namespace quillmark {

class CCommandRegistry : public QObject {
public:
    explicit CCommandRegistry(QObject* parent = nullptr);

    // The action of a command (its object name is the id); nullptr for an unknown id.
    QAction* Action(int id) const;
    // What a triggered command runs. A command with no handler does nothing.
    void SetHandler(int id, std::function<void()> handler);
    // Where the current state comes from.
    void SetStateSource(std::function<CommandState()> source) { m_source = std::move(source); }
    // Applies the rules to every action; a command without a handler stays disabled.
    void Refresh();
    // Runs after every Refresh with the state it applied (the frame brings its menu in step).
    std::function<void(const CommandState&)> afterRefresh;
    // Runs the command as a click on its menu item would, if its rule enables it; false if it did not run.
    bool Execute(int id);

private:
    std::map<int, QAction*> m_actions;
    std::map<int, std::function<void()>> m_handlers;
    std::function<CommandState()> m_source;
};

}  // namespace quillmark
