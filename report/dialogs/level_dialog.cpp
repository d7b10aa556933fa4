#include "report/dialogs/level_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "report/dialogs/conditions_dialog.h"
#include "report/dialogs/dialog_controls.h"
#include "report/dialogs/field_setup.h"
#include "report/model/group_col.h"

CLevelDlg::CLevelDlg(const std::string& name, int height, int flags, QWidget* parent)
    : QDialog(parent), m_Logic(name, height, flags) {
    setObjectName("8001");
    setWindowTitle(QString::fromUtf8("Уровень"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    m_pName = MakeEdit(this, "1055", m_Logic.m_Name);
    m_pHeight = MakeEdit(this, "8007", m_Logic.m_Height);
    form->addRow(QString::fromUtf8("Наименование:"), m_pName);
    form->addRow(QString::fromUtf8("Высота строки:"), m_pHeight);
    layout->addLayout(form);
    m_pHideEmpty = MakeCheck(this, "8011", "Не отображать, если строка пустая", m_Logic.m_bHideEmpty);
    m_pKeepTogether = MakeCheck(this, "8012", "Запретить перенос строк на другую страницу", m_Logic.m_bKeepTogether);
    layout->addWidget(m_pHideEmpty);
    layout->addWidget(m_pKeepTogether);
    AddOkCancel(this, layout, [this] { return OnOK(); });
}

bool CLevelDlg::OnOK() {
    m_Logic.m_Name = m_pName->text().toStdString();
    m_Logic.m_Height = m_pHeight->text().toStdString();
    m_Logic.m_bHideEmpty = m_pHideEmpty->isChecked();
    m_Logic.m_bKeepTogether = m_pKeepTogether->isChecked();
    return m_Logic.Apply();
}

CGroupParamsDlg::CGroupParamsDlg(CGroupCol* group, const LOGFONT* font, QWidget* parent)
    : QDialog(parent), m_pGroup(group), m_Logic(group, font) {
    setObjectName("8003");
    setWindowTitle(QString::fromUtf8("Настройка параметров группы"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    form->addRow(QString::fromUtf8("Поле источника данных:"), MakeEdit(this, "1076", m_Logic.ColumnName(), true));
    auto* fontRow = new QHBoxLayout();
    m_pFace = MakeEdit(this, "1040", m_Logic.m_Font.lfFaceName, true);
    m_pSize = MakeEdit(this, "1042", std::to_string(m_Logic.m_Font.lfHeight / 10), true);
    auto* choose = new QPushButton("...", this);
    choose->setObjectName("1023");
    fontRow->addWidget(m_pFace, 1);
    fontRow->addWidget(m_pSize);
    fontRow->addWidget(choose);
    form->addRow(QString::fromUtf8("Шрифт:"), fontRow);
    m_pName = MakeEdit(this, "8027", m_Logic.m_Name);
    form->addRow(QString::fromUtf8("Наименование группы:"), m_pName);
    layout->addLayout(form);
    m_pShowFirstRow = MakeCheck(this, "8019", "Выводить начиная со второй строки", m_Logic.m_bShowFirstRow);
    layout->addWidget(m_pShowFirstRow);
    const struct {
        const char* id;
        const char* text;
    } buttons[] = {{"8018", "Настройка заголовка..."}, {"8021", "Настройка подитога..."}, {"8020", "Настройка условий..."}};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(QString::fromUtf8(buttons[i].text), this);
        button->setObjectName(buttons[i].id);
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, i] {
            if (m_SubDialogs[i]) m_SubDialogs[i](m_pGroup);
        });
    }
    connect(choose, &QPushButton::clicked, this, [this] { ShowFont(); });
    m_SubDialogs[0] = [this](CGroupCol* g) { CFieldsDlg(FieldsMode::kGroupTitles, nullptr, g, this).exec(); };
    m_SubDialogs[1] = [this](CGroupCol* g) { CFieldsDlg(FieldsMode::kGroupClosings, nullptr, g, this).exec(); };
    m_SubDialogs[2] = [this](CGroupCol* g) { CConditionsDlg(g->m_Conditions, g->m_pManager, this).exec(); };
    // Plain dialog buttons here.
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Ok)->setObjectName("1");
    box->button(QDialogButtonBox::Cancel)->setObjectName("2");
    box->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("Отмена"));
    layout->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, this, [this] {
        if (OnOK()) accept();
    });
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int CGroupParamsDlg::exec() { return m_Logic.CanOpen() ? QDialog::exec() : 0; }

void CGroupParamsDlg::SetSubDialogs(std::function<void(CGroupCol*)> titleLines,
                                    std::function<void(CGroupCol*)> closingLines,
                                    std::function<void(CGroupCol*)> conditions) {
    m_SubDialogs[0] = std::move(titleLines);
    m_SubDialogs[1] = std::move(closingLines);
    m_SubDialogs[2] = std::move(conditions);
}

void CGroupParamsDlg::ShowFont() {
    QFont font(QString::fromUtf8(m_Logic.m_Font.lfFaceName));
    font.setPointSizeF(m_Logic.m_Font.lfHeight / 10.0);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, this);
    if (!ok) return;
    m_Logic.m_Font.SetFaceName(chosen.family().toUtf8().constData());
    m_Logic.m_Font.lfHeight = static_cast<int>(chosen.pointSizeF() * 10.0);
    m_pFace->setText(chosen.family());
    m_pSize->setText(QString::number(m_Logic.m_Font.lfHeight / 10));
}

bool CGroupParamsDlg::OnOK() {
    m_Logic.m_Name = m_pName->text().toStdString();
    m_Logic.m_bShowFirstRow = m_pShowFirstRow->isChecked();
    return m_Logic.Apply();
}
