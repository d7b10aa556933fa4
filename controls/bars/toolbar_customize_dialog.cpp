#include "controls/bars/toolbar_customize_dialog.h"

#include <algorithm>

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/bars/toolbar.h"

namespace {

QListWidgetItem* Entry(QListWidget* list, const ToolbarButtonInfo& info) {
    const QString text = info.command == 0 ? QStringLiteral("Разделитель") : QString::fromStdString(info.text);
    auto* item = new QListWidgetItem(info.icon, text, list);
    item->setData(Qt::UserRole, info.command);
    return item;
}

}  // namespace

CzorToolBarCustomizeDialog::CzorToolBarCustomizeDialog(CzorToolBar* bar, QWidget* parent)
    : QDialog(parent), m_bar(bar), m_offered(new QListWidget(this)), m_current(new QListWidget(this)) {
    setWindowTitle(QStringLiteral("Настройка панели инструментов"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Доступные кнопки:"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Кнопки панели:"), this), 0, 2);
    grid->addWidget(m_offered, 1, 0);
    grid->addWidget(m_current, 1, 2);
    auto* middle = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    auto button = [this](QVBoxLayout* column, const char* text, void (CzorToolBarCustomizeDialog::*step)()) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, step);
        column->addWidget(b);
    };
    button(middle, "Добавить ->", &CzorToolBarCustomizeDialog::Add);
    button(middle, "<- Удалить", &CzorToolBarCustomizeDialog::Remove);
    middle->addStretch(1);
    button(right, "Закрыть", &CzorToolBarCustomizeDialog::accept);
    button(right, "Сброс", &CzorToolBarCustomizeDialog::ResetBar);
    button(right, "Вверх", &CzorToolBarCustomizeDialog::MoveUp);
    button(right, "Вниз", &CzorToolBarCustomizeDialog::MoveDown);
    right->addStretch(1);
    grid->addLayout(middle, 1, 1);
    grid->addLayout(right, 1, 3);
    if (m_bar) m_bar->BeginAdjust();
    Fill();
}

CzorToolBarCustomizeDialog::~CzorToolBarCustomizeDialog() {
    if (!m_ended && m_bar) m_bar->EndAdjust();
}

void CzorToolBarCustomizeDialog::done(int result) {
    if (!m_ended && m_bar) m_bar->EndAdjust();
    m_ended = true;
    QDialog::done(result);
}

void CzorToolBarCustomizeDialog::Fill() {
    const int offeredRow = m_offered->currentRow(), currentRow = m_current->currentRow();
    m_offered->clear();
    m_current->clear();
    if (!m_bar) return;
    const std::vector<int> onBar = m_bar->Commands();
    // A separator is always on offer; other buttons while they are not on the bar. The offer ends at the
    // first index the bar answers no for.
    Entry(m_offered, {});
    ToolbarButtonInfo info;
    for (int i = 0; m_bar->GetButtonInfo(i, info); ++i)
        if (info.command != 0 && std::find(onBar.begin(), onBar.end(), info.command) == onBar.end())
            Entry(m_offered, info);
    for (const int command : onBar) {
        const QAction* action = m_bar->CommandAction(command);
        Entry(m_current, {command, action ? action->text().toStdString() : std::string(),
                          action ? action->icon() : QIcon()});
    }
    m_offered->setCurrentRow(std::min(std::max(offeredRow, 0), m_offered->count() - 1));
    m_current->setCurrentRow(std::min(currentRow, m_current->count() - 1));
}

void CzorToolBarCustomizeDialog::Add() {
    const QListWidgetItem* item = m_offered->currentItem();
    if (!m_bar || !item) return;
    // After the chosen button of the bar, or at its end.
    const int at = m_current->currentRow() < 0 ? m_current->count() : m_current->currentRow() + 1;
    if (m_bar->InsertButton(at, item->data(Qt::UserRole).toInt())) {
        Fill();
        m_current->setCurrentRow(at);
    }
}

void CzorToolBarCustomizeDialog::Remove() {
    const int row = m_current->currentRow();
    if (m_bar && row >= 0 && m_bar->DeleteButton(row)) Fill();
}

void CzorToolBarCustomizeDialog::MoveUp() {
    const int row = m_current->currentRow();
    if (m_bar && row > 0 && m_bar->MoveButton(row, row - 1)) {
        Fill();
        m_current->setCurrentRow(row - 1);
    }
}

void CzorToolBarCustomizeDialog::MoveDown() {
    const int row = m_current->currentRow();
    if (m_bar && row >= 0 && row + 1 < m_current->count() && m_bar->MoveButton(row, row + 1)) {
        Fill();
        m_current->setCurrentRow(row + 1);
    }
}

void CzorToolBarCustomizeDialog::ResetBar() {
    if (!m_bar) return;
    m_bar->Reset();
    Fill();
}
