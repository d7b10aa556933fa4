#include "report/dialogs/field_setup.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSizeGrip>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/stock_icons.h"
#include "report/dialogs/column_dialog.h"
#include "report/dialogs/dialog_controls.h"
#include "report/dialogs/group_sort_dialog.h"
#include "report/dialogs/level_dialog.h"

CFieldsDlg::CFieldsDlg(FieldsMode mode, CReportSection* section, CGroupCol* group, QWidget* parent)
    : QDialog(parent), m_Logic(mode, section, group) {
    setObjectName("147");
    setWindowTitle(QString::fromStdString(m_Logic.Caption()));
    setSizeGripEnabled(true);
    m_RunLevel = [this](std::string& name, int& height, int& flags) {
        CLevelDlg dlg(name, height, flags, this);
        if (dlg.exec() != QDialog::Accepted) return false;
        name = dlg.Name();
        height = dlg.Height();
        flags = dlg.Flags();
        return true;
    };
    m_RunColumn = [this](ColumnDlgValues& values) { return CColumnDlg(values, this).exec() == QDialog::Accepted; };

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout();
    layout->addLayout(grid, 1);
    grid->addWidget(new QLabel(QString::fromUtf8(" Список уровней:"), this), 0, 0);
    grid->addWidget(new QLabel(QString::fromUtf8(" Список полей:"), this), 0, 1);
    m_pLevels = MakeRowList(this, "1026", {{"Уровень", 150}});
    m_pColumns = MakeRowList(this, "1027",
                             {{"Позиция", 60}, {"Наименование", 190}, {"Ширина", 60}, {"Поле источника данных", 100}});
    grid->addWidget(m_pLevels, 1, 0);
    grid->addWidget(m_pColumns, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QVBoxLayout();
    const struct {
        const char* id;
        int icon;
        int command;
    } columnButtons[] = {{"1032", 0, kCmdFieldNew},   {"1031", 5, kCmdFieldDelete}, {"1030", 42, kCmdFieldProperties},
                         {"1029", 1, -1},             {"1028", 2, +1}};
    for (const auto& b : columnButtons) {
        auto* button = new QPushButton(this);
        button->setObjectName(b.id);
        button->setIcon(GetZorTableIco(b.icon));
        buttons->addWidget(button);
        const int command = b.command;
        connect(button, &QPushButton::clicked, this, [this, command] {
            if (command == -1 || command == +1) {
                const int row = m_Logic.MoveColumn(CurrentLevel(), CurrentRow(), command);
                FillColumns(row);
            } else {
                RunCommand(true, command);
            }
        });
    }
    buttons->addStretch(1);
    grid->addLayout(buttons, 1, 2);

    auto* bottom = new QHBoxLayout();
    m_pGroupButton = new QPushButton(QString::fromUtf8("Настройка группировки и сортировки..."), this);
    m_pGroupButton->setObjectName("8016");
    m_pGroupButton->setVisible(m_Logic.ShowGroupButton());
    connect(m_pGroupButton, &QPushButton::clicked, this, [this] {
        // The grouping columns it takes out keep their store instances: the section dialog settles them.
        CGroupSortDlg(m_Logic.Section(), this).exec();
    });
    bottom->addWidget(m_pGroupButton);
    bottom->addStretch(1);
    layout->addLayout(bottom);
    AddOkCancel(this, layout, [this] {
        OnOK();
        return true;
    });

    connect(m_pLevels, &QTreeWidget::currentItemChanged, this, [this] { FillColumns(0); });
    connect(m_pLevels, &QTreeWidget::itemDoubleClicked, this, [this] { RunCommand(false, kCmdFieldProperties); });
    connect(m_pColumns, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (m_Logic.Choosing()) {
            OnOK();
            accept();
        } else {
            RunCommand(true, kCmdFieldProperties);
        }
    });
    for (QTreeWidget* list : {m_pLevels, m_pColumns}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        const bool columnList = list == m_pColumns;
        connect(list, &QTreeWidget::customContextMenuRequested, this, [this, list, columnList](const QPoint& at) {
            if (m_Logic.Choosing()) return;
            QMenu* menu = BuildContextMenu(columnList);
            const QAction* chosen = menu->exec(list->viewport()->mapToGlobal(at));
            const int command = chosen ? chosen->data().toInt() : 0;
            delete menu;
            if (command) RunCommand(columnList, command);
        });
    }
    FillLevels(0);
}

int CFieldsDlg::exec() { return m_Logic.CanOpen() ? QDialog::exec() : 0; }

void CFieldsDlg::SetRunners(LevelRunner level, ColumnRunner column) {
    m_RunLevel = std::move(level);
    m_RunColumn = std::move(column);
}

int CFieldsDlg::CurrentLevel() const { return m_pLevels->indexOfTopLevelItem(m_pLevels->currentItem()); }
int CFieldsDlg::CurrentRow() const { return m_pColumns->indexOfTopLevelItem(m_pColumns->currentItem()); }

void CFieldsDlg::FillLevels(int select) {
    const QSignalBlocker block(m_pLevels);
    m_pLevels->clear();
    for (const std::string& name : m_Logic.LevelNames())
        m_pLevels->addTopLevelItem(new QTreeWidgetItem({QString::fromStdString(name)}));
    if (select >= 0 && select < m_pLevels->topLevelItemCount()) m_pLevels->setCurrentItem(m_pLevels->topLevelItem(select));
    FillColumns(0);
}

void CFieldsDlg::FillColumns(int select) {
    m_pColumns->clear();
    for (const auto& row : m_Logic.ColumnRows(CurrentLevel()))
        m_pColumns->addTopLevelItem(new QTreeWidgetItem({QString::fromStdString(row.position),
                                                         QString::fromStdString(row.name),
                                                         QString::fromStdString(row.width),
                                                         QString::fromStdString(row.source)}));
    if (select >= 0 && select < m_pColumns->topLevelItemCount())
        m_pColumns->setCurrentItem(m_pColumns->topLevelItem(select));
}

QMenu* CFieldsDlg::BuildContextMenu(bool columnList) {
    auto* menu = new QMenu(this);
    const bool level = CurrentLevel() >= 0;
    const bool selected = level && (!columnList || CurrentRow() >= 0);
    const struct {
        int command;
        const char* text;
        int icon;
        bool enabled;
    } entries[] = {{kCmdFieldNew, "Добавить...", 0, !columnList || level},
                   {kCmdFieldCopy, columnList ? "Копировать..." : "Копировать", 29, selected},
                   {kCmdFieldDelete, "Удалить", 5, selected},
                   {0, nullptr, 0, false},
                   {kCmdFieldProperties, "Свойства...", 42, selected}};
    for (const auto& e : entries) {
        if (!e.text) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(GetZorTableIco(e.icon), QString::fromUtf8(e.text));
        action->setData(e.command);
        action->setEnabled(e.enabled);
    }
    return menu;
}

void CFieldsDlg::RunCommand(bool columnList, int command) {
    const int level = CurrentLevel();
    const int row = CurrentRow();
    if (!columnList) {
        switch (command) {
        case kCmdFieldNew: {
            const int added = m_Logic.NewLevel(m_RunLevel);
            if (added >= 0) FillLevels(level >= 0 ? level : added);
            break;
        }
        case kCmdFieldCopy: {
            const int added = m_Logic.CopyLevel(level, m_RunLevel);
            if (added >= 0) FillLevels(added);
            break;
        }
        case kCmdFieldDelete: {
            if (level < 0) break;
            FillLevels(m_Logic.DeleteLevel(level));
            break;
        }
        case kCmdFieldProperties:
            if (m_Logic.EditLevel(level, m_RunLevel)) FillLevels(level);
            break;
        }
        return;
    }
    switch (command) {
    case kCmdFieldNew: {
        const int added = m_Logic.NewColumn(level, m_RunColumn);
        if (added >= 0) FillColumns(added);
        break;
    }
    case kCmdFieldCopy: {
        const int added = m_Logic.CopyColumn(level, row, m_RunColumn);
        if (added >= 0) FillColumns(added);
        break;
    }
    case kCmdFieldDelete:
        if (m_Logic.DeleteColumn(level, row)) FillColumns(row > 0 ? row - 1 : 0);
        break;
    case kCmdFieldProperties:
        if (m_Logic.EditColumn(level, row, m_RunColumn)) FillColumns(row);
        break;
    }
}

void CFieldsDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Insert) {
        RunCommand(true, kCmdFieldNew);
        return;
    }
    QDialog::keyPressEvent(event);
}

void CFieldsDlg::OnOK() { m_Logic.Ok(CurrentLevel(), CurrentRow()); }
