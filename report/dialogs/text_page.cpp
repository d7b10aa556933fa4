#include "report/dialogs/text_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "report/dialogs/dialog_controls.h"
#include "report/dialogs/section_dialog.h"
#include "report/model/report_param.h"

namespace {

QComboBox* MakeList(QWidget* parent, const char* id, std::initializer_list<const char*> items) {
    auto* list = new QComboBox(parent);
    list->setObjectName(id);
    for (const char* item : items) list->addItem(QString::fromUtf8(item));
    return list;
}

}  // namespace

CTextPage::CTextPage(CReportElement& element, QWidget* parent) : QWidget(parent), m_Logic(element) {
    setObjectName("144");
    auto* layout = new QVBoxLayout(this);
    m_pOwnText = new QRadioButton(QString::fromUtf8("Отображать текст"), this);
    m_pOwnText->setObjectName("1059");
    m_pParam = new QRadioButton(QString::fromUtf8("Отображать параметр:"), this);
    m_pParam->setObjectName("1060");
    m_pText = new QPlainTextEdit(QString::fromStdString(m_Logic.m_Text), this);
    m_pText->setObjectName("1009");
    m_pParams = new QComboBox(this);
    m_pParams->setObjectName("1062");
    for (CReportParam* param : m_Logic.Params())
        m_pParams->addItem(QString::fromStdString(param->GetName()));
    m_pParams->setCurrentIndex(m_Logic.m_nParam);
    layout->addWidget(m_pOwnText);
    layout->addWidget(m_pText);
    layout->addWidget(m_pParam);
    layout->addWidget(m_pParams);

    auto* form = new QFormLayout();
    m_pVAlign = MakeList(this, "1012", {"Сверху", "По центру", "Снизу"});
    m_pVAlign->setCurrentIndex(m_Logic.m_nVAlign);
    m_pHAlign = MakeList(this, "1013", {"Слева", "По центру", "Справа"});
    m_pHAlign->setCurrentIndex(m_Logic.m_nHAlign);
    form->addRow(QString::fromUtf8("По вертикали:"), m_pVAlign);
    form->addRow(QString::fromUtf8("По горизонтали:"), m_pHAlign);
    layout->addLayout(form);

    auto* fontRow = new QHBoxLayout();
    m_pSize = MakeEdit(this, "1016", m_Logic.FontSizeText(), true);
    m_pFace = MakeEdit(this, "1015", m_Logic.FaceText(), true);
    auto* chooser = new QPushButton("...", this);
    chooser->setObjectName("1017");
    fontRow->addWidget(m_pSize);
    fontRow->addWidget(m_pFace, 1);
    fontRow->addWidget(chooser);
    layout->addLayout(fontRow);

    const struct {
        const char* id;
        const char* text;
        bool checked;
    } checks[] = {
        {"1011", "Скрыть рамку", m_Logic.m_bNoBorder},
        {"1010", "Выводить вертикально", m_Logic.m_bVertical},
        {"1086", "Переносить строки", m_Logic.m_bWordWrap},
        {"1087", "Вписать текст в рамку", m_Logic.m_bFitText},
    };
    auto* grid = new QGridLayout();
    for (int i = 0; i < 4; ++i) {
        m_pChecks[i] = new QCheckBox(QString::fromUtf8(checks[i].text), this);
        m_pChecks[i]->setObjectName(checks[i].id);
        m_pChecks[i]->setChecked(checks[i].checked);
        grid->addWidget(m_pChecks[i], i / 2, i % 2);
    }
    layout->addLayout(grid);
    layout->addStretch(1);

    (m_Logic.m_bShowParam ? m_pParam : m_pOwnText)->setChecked(true);
    ShowOption();
    connect(m_pOwnText, &QRadioButton::toggled, this, [this] { ShowOption(); });
    connect(chooser, &QPushButton::clicked, this, [this] { ShowFont(); });
}

void CTextPage::ShowOption() {
    const bool param = m_pParam->isChecked();
    m_pText->setReadOnly(param);
    m_pParams->setEnabled(param);
}

void CTextPage::ShowFont() {
    if (!ChooseReportFont(this, m_Logic.m_Font)) return;
    m_pSize->setText(QString::fromStdString(m_Logic.FontSizeText()));
    m_pFace->setText(QString::fromStdString(m_Logic.FaceText()));
}

bool CTextPage::Apply() {
    m_Logic.m_bShowParam = m_pParam->isChecked();
    m_Logic.m_Text = m_pText->toPlainText().toStdString();
    m_Logic.m_nParam = m_pParams->currentIndex();
    m_Logic.m_nVAlign = m_pVAlign->currentIndex();
    m_Logic.m_nHAlign = m_pHAlign->currentIndex();
    m_Logic.m_bNoBorder = m_pChecks[0]->isChecked();
    m_Logic.m_bVertical = m_pChecks[1]->isChecked();
    m_Logic.m_bWordWrap = m_pChecks[2]->isChecked();
    m_Logic.m_bFitText = m_pChecks[3]->isChecked();
    return m_Logic.Apply();
}
