#include "controls/bars/toolbar.h"

#include <algorithm>
#include <sstream>

#include <QLayout>
#include <QMouseEvent>

#include "controls/bars/toolbar_customize_dialog.h"
#include "controls/resources/imagelist.h"
#include "controls/resources/module_resources.h"
#include "controls/resources/palette.h"
#include "platform/settings/profile.h"

namespace zor {

std::string ToolbarButtonText(const std::string* commandString) {
    if (!commandString) return {};
    const size_t cut = commandString->rfind('\n');
    return cut == std::string::npos ? *commandString : commandString->substr(cut + 1);
}

std::string ToolbarButtonText(int command) {
    std::string text;
    if (command == 0 || !FindStringResource(command, text)) return {};
    return ToolbarButtonText(&text);
}

namespace {

std::string LayoutText(const std::vector<int>& commands) {
    std::string text;
    for (size_t i = 0; i < commands.size(); ++i) text += (i ? "," : "") + std::to_string(commands[i]);
    return text;
}

// False for text that is not a list of commands, so that a damaged value changes nothing.
bool ParseLayout(const std::string& text, std::vector<int>& commands) {
    commands.clear();
    if (text.empty()) return true;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        try {
            size_t used = 0;
            const int command = std::stoi(item, &used);
            if (used != item.size() || command < 0 || command > 0xFFFF) return false;
            commands.push_back(command);
        } catch (...) {
            return false;
        }
    }
    return true;
}

}  // namespace
}  // namespace zor

CzorToolBar::CzorToolBar(QWidget* parent) : QToolBar(parent) {}

CzorToolBar::~CzorToolBar() = default;

void CzorToolBar::SetTBName(const char* name) { m_name = name ? name : ""; }

QAction* CzorToolBar::CommandAction(int command) const {
    const auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

QAction* CzorToolBar::AddButton(int command, const QIcon& icon) {
    if (command == 0) return addSeparator();
    QAction* action = CommandAction(command);
    if (!action) {
        const QString text = QString::fromStdString(zor::ToolbarButtonText(command));
        action = new QAction(icon, text, this);
        action->setData(command);
        action->setToolTip(text);
        connect(action, &QAction::triggered, this, [this, command] { emit this->command(command); });
        m_actions[command] = action;
    } else if (!icon.isNull()) {
        action->setIcon(icon);
    }
    addAction(action);
    return action;
}

bool CzorToolBar::LoadToolBar(int id) {
    zor::ToolbarResource toolbar;
    if (!zor::FindToolbarResource(id, toolbar)) return false;
    CImageList images;
    images.Create(zor::FindBitmapResource(toolbar.bitmapId), toolbar.imageWidth, zor::art::kMaskColour);
    SetLayout({});
    int image = 0;
    for (const uint16_t command : toolbar.commands) AddButton(command, command ? images.GetIcon(image++) : QIcon());
    return true;
}

std::vector<int> CzorToolBar::Commands() const {
    std::vector<int> commands;
    for (const QAction* action : actions()) commands.push_back(action->isSeparator() ? 0 : action->data().toInt());
    return commands;
}

void CzorToolBar::HideButton(int command, bool hide) {
    if (QAction* action = CommandAction(command)) action->setVisible(!hide);
}

void CzorToolBar::SetLayout(const std::vector<int>& commands) {
    for (QAction* action : actions()) {
        removeAction(action);
        if (action->isSeparator()) delete action;
    }
    for (const int command : commands)
        if (command == 0 || CommandAction(command)) AddButton(command);
}

void CzorToolBar::SetToolBarInfoForCustomization() {
    m_custom.clear();
    for (const int command : Commands()) {
        const QAction* action = CommandAction(command);
        m_custom.push_back({command, zor::ToolbarButtonText(command), action ? action->icon() : QIcon()});
    }
}

bool CzorToolBar::GetButtonInfo(int index, ToolbarButtonInfo& info) const {
    if (index < 0 || size_t(index) >= m_custom.size()) return false;
    info = m_custom[size_t(index)];
    return true;
}

bool CzorToolBar::SaveState() {
    if (m_name.empty()) return false;
    return WriteProfileString(kStateSection, m_name, zor::LayoutText(Commands()));
}

bool CzorToolBar::RestoreState() {
    if (m_name.empty()) return false;
    // A value that cannot be there: tells a missing layout from an empty one.
    const std::string absent(1, '\x01');
    const std::string stored = GetProfileString(kStateSection, m_name, absent);
    std::vector<int> commands;
    if (stored == absent || !zor::ParseLayout(stored, commands)) return false;
    SetLayout(commands);
    return true;
}

void CzorToolBar::BeginAdjust() {
    m_hidden.clear();
    m_atBegin = Commands();
    for (const int command : m_atBegin) {
        QAction* action = command ? CommandAction(command) : nullptr;
        if (action && !action->isVisible()) {
            m_hidden.push_back(command);
            action->setVisible(true);
        }
    }
}

void CzorToolBar::EndAdjust() {
    SaveState();
    for (const int command : m_hidden) HideButton(command, true);
    m_hidden.clear();
}

void CzorToolBar::ToolbarChange() {
    if (QWidget* frame = parentWidget())
        if (QLayout* layout = frame->layout()) layout->invalidate();
    updateGeometry();
    emit updateCommandStates();
}

bool CzorToolBar::Reset() {
    if (!RestoreState()) SetLayout(m_atBegin);
    // Buttons hidden before customisation began stay shown until it ends.
    for (const int command : m_hidden) HideButton(command, false);
    ToolbarChange();
    return true;
}

bool CzorToolBar::InsertButton(int position, int command) {
    std::vector<int> commands = Commands();
    if (position < 0 || size_t(position) > commands.size() || (command != 0 && !CommandAction(command))) return false;
    // A command is on the bar once: inserting it again moves it.
    if (command != 0) {
        const auto it = std::find(commands.begin(), commands.end(), command);
        if (it != commands.end()) {
            if (it - commands.begin() < position) --position;
            commands.erase(it);
        }
    }
    commands.insert(commands.begin() + position, command);
    SetLayout(commands);
    ToolbarChange();
    return true;
}

bool CzorToolBar::DeleteButton(int position) {
    std::vector<int> commands = Commands();
    if (position < 0 || size_t(position) >= commands.size()) return false;
    commands.erase(commands.begin() + position);
    SetLayout(commands);
    ToolbarChange();
    return true;
}

bool CzorToolBar::MoveButton(int from, int to) {
    std::vector<int> commands = Commands();
    if (from < 0 || to < 0 || size_t(from) >= commands.size() || size_t(to) >= commands.size()) return false;
    const int command = commands[size_t(from)];
    commands.erase(commands.begin() + from);
    commands.insert(commands.begin() + to, command);
    SetLayout(commands);
    ToolbarChange();
    return true;
}

void CzorToolBar::Customize() {
    CzorToolBarCustomizeDialog dialog(this, window());
    dialog.exec();
}

void CzorToolBar::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Customize();
    else QToolBar::mouseDoubleClickEvent(event);
}
