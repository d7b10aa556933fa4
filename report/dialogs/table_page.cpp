#include "report/dialogs/table_page.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/dialogs/button.h"
#include "controls/stock_icons.h"
#include "report/dialogs/dialog_controls.h"
#include "report/dialogs/section_dialog.h"
#include "report/model/report_element.h"

CTablePage::CTablePage(CReportElement* element, int reportMode, QWidget* parent)
    : QWidget(parent), m_Logic(element, reportMode) {
    setObjectName("149");
    m_Run = [this](CReportSection* section) { return CSectionDlg(section, this).exec() == QDialog::Accepted; };
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    layout->addLayout(form);
    m_pName = MakeEdit(this, "1038", m_Logic.m_Name, m_Logic.ReadOnly());
    form->addRow(QString::fromUtf8("Наименование:"), m_pName);
    auto* fontRow = new QHBoxLayout();
    m_pSize = MakeEdit(this, "1042", std::to_string(m_Logic.m_Font.lfHeight / 10), true);
    m_pFace = MakeEdit(this, "1040", m_Logic.m_Font.lfFaceName, true);
    auto* font = new QPushButton("...", this);
    font->setObjectName("1023");
    font->setEnabled(!m_Logic.ReadOnly());
    fontRow->addWidget(m_pSize);
    fontRow->addWidget(m_pFace, 1);
    fontRow->addWidget(font);
    form->addRow(QString::fromUtf8("Шрифт строк:"), fontRow);
    connect(font, &QPushButton::clicked, this, [this] {
        if (!ChooseReportFont(this, m_Logic.m_Font)) return;
        m_pSize->setText(QString::number(m_Logic.m_Font.lfHeight / 10));
        m_pFace->setText(QString::fromUtf8(m_Logic.m_Font.lfFaceName));
    });

    auto* sectionsRow = new QHBoxLayout();
    m_pSections = MakeRowList(this, "1088", {{" Секции", 200}});
    sectionsRow->addWidget(m_pSections, 1);
    auto* buttons = new QVBoxLayout();
    const struct {
        const char* id;
        int icon;
        const char* tip;
        bool offInReport;
    } specs[] = {{"1049", 0, "Создать секцию", true},   {"1046", 57, "Создать копию секции", false},
                 {"1045", 5, "Удалить секцию", true},   {"1044", 42, "Свойства", true},
                 {"1048", 1, "Переместить вверх", false}, {"1047", 2, "Переместить вниз", false}};
    QPushButton* made[6];
    for (int i = 0; i < 6; ++i) {
        auto* button = new CzorButton(this);
        button->setObjectName(specs[i].id);
        button->SetIcon(GetZorTableIco(specs[i].icon));
        button->setToolTip(QString::fromUtf8(specs[i].tip));
        button->setEnabled(!(specs[i].offInReport && m_Logic.ReadOnly()));
        buttons->addWidget(button);
        made[i] = button;
    }
    buttons->addStretch(1);
    sectionsRow->addLayout(buttons);
    layout->addLayout(sectionsRow, 1);
    connect(made[0], &QPushButton::clicked, this, [this] { Changed(m_Logic.Create(m_Run)); });
    connect(made[1], &QPushButton::clicked, this, [this] { Changed(m_Logic.Copy(CurrentRow(), m_Run)); });
    connect(made[2], &QPushButton::clicked, this, [this] { Changed(m_Logic.Delete(CurrentRow())); });
    connect(made[3], &QPushButton::clicked, this, [this] { Changed(m_Logic.Edit(CurrentRow(), m_Run)); });
    connect(made[4], &QPushButton::clicked, this, [this] { Changed(m_Logic.Move(CurrentRow(), -1)); });
    connect(made[5], &QPushButton::clicked, this, [this] { Changed(m_Logic.Move(CurrentRow(), +1)); });
    connect(m_pSections, &QTreeWidget::itemDoubleClicked, this, [this] { Changed(m_Logic.Edit(CurrentRow(), m_Run)); });
    Changed(0);
}

int CTablePage::CurrentRow() const { return m_pSections->indexOfTopLevelItem(m_pSections->currentItem()); }

void CTablePage::Changed(int select) {
    const int current = CurrentRow();
    m_pSections->clear();
    for (const std::string& name : m_Logic.SectionNames())
        m_pSections->addTopLevelItem(new QTreeWidgetItem({QString::fromStdString(name)}));
    const int row = select >= 0 ? select : current;
    if (row >= 0 && row < m_pSections->topLevelItemCount()) m_pSections->setCurrentItem(m_pSections->topLevelItem(row));
    // What a button did is done: the dialog's Cancel could no longer take it back.
    if (m_Logic.SectionsChanged())
        if (auto* cancel = window()->findChild<QPushButton*>("2")) cancel->setEnabled(false);
}

bool CTablePage::Apply() {
    m_Logic.m_Name = m_pName->text().toStdString();
    return m_Logic.Apply();
}

std::function<bool()> AddTablePage(QTabWidget* tabs, const std::vector<CReportElement*>& selection, int reportMode) {
    if (selection.size() != 1) return [] { return true; };
    const int kind = selection.front()->GetKind();
    if (kind != kElemTable && kind != kElemTableMap) return [] { return true; };
    auto* page = new CTablePage(selection.front(), reportMode, tabs);
    tabs->setCurrentIndex(tabs->addTab(page, QString::fromUtf8("Таблица")));
    return [page] { return page->Apply(); };
}
