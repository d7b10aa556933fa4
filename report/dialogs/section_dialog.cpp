#include "report/dialogs/section_dialog.h"

#include <QCheckBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "report/dialogs/conditions_dialog.h"
#include "report/dialogs/dialog_controls.h"
#include "report/dialogs/field_setup.h"
#include "report/model/report_section.h"
#include "report/model/table_element.h"

bool ChooseReportFont(QWidget* parent, LOGFONT& font) {
    QFont initial(QString::fromUtf8(font.lfFaceName));
    if (font.lfHeight > 0) initial.setPointSizeF(font.lfHeight / 10.0);
    initial.setBold(font.lfWeight >= 600);
    initial.setItalic(font.lfItalic != 0);
    initial.setUnderline(font.lfUnderline != 0);
    initial.setStrikeOut(font.lfStrikeOut != 0);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, parent);
    if (!ok) return false;
    font.SetFaceName(chosen.family().toUtf8().constData());
    font.lfHeight = static_cast<int>(chosen.pointSizeF() * 10.0);
    font.lfWeight = chosen.bold() ? 700 : 400;
    font.lfItalic = chosen.italic() ? 1 : 0;
    font.lfUnderline = chosen.underline() ? 1 : 0;
    font.lfStrikeOut = chosen.strikeOut() ? 1 : 0;
    return true;
}

CSectionDlg::CSectionDlg(CReportSection* section, QWidget* parent) : QDialog(parent), m_Logic(section) {
    setObjectName("146");
    setWindowTitle(QString::fromUtf8("Секция"));
    m_Fields = [this](CReportSection* s) { CFieldsDlg(FieldsMode::kSectionLevels, s, nullptr, this).exec(); };
    m_ChooseColumn = [this](CReportSection* s, CColumn*& column) {
        CFieldsDlg dlg(FieldsMode::kChooseColumn, s, nullptr, this);
        if (dlg.exec() != QDialog::Accepted) return false;
        column = dlg.Chosen();
        return true;
    };
    m_Conditions = [this](CReportSection* s) { CConditionsDlg(s->GetConditions(), s->GetManager(), this).exec(); };

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    layout->addLayout(form);
    m_pName = MakeEdit(this, "1018", m_Logic.m_Name);
    form->addRow(QString::fromUtf8("Наименование:"), m_pName);
    auto* titleRow = new QHBoxLayout();
    m_pTitle = MakeEdit(this, "1022", m_Logic.m_Title);
    auto* font = new QPushButton(QString::fromUtf8("Шрифт..."), this);
    font->setObjectName("1023");
    titleRow->addWidget(m_pTitle, 1);
    titleRow->addWidget(font);
    form->addRow(QString::fromUtf8("Текст"), titleRow);
    auto* columnRow = new QHBoxLayout();
    m_pTitleColumn = MakeEdit(this, "1026", m_Logic.m_TitleColumn, true);
    auto* choose = new QPushButton("...", this);
    choose->setObjectName("1025");
    columnRow->addWidget(m_pTitleColumn, 1);
    columnRow->addWidget(choose);
    form->addRow(QString::fromUtf8("Поле:"), columnRow);
    m_pShowEmptyLines =
        MakeCheck(this, "8000", "Отображать пустые строки до и после заголовка", m_Logic.m_bShowEmptyLines);
    layout->addWidget(m_pShowEmptyLines);
    auto* subRow = new QHBoxLayout();
    auto* fields = new QPushButton(QString::fromUtf8("Настройка полей..."), this);
    fields->setObjectName("1024");
    auto* conditions = new QPushButton(QString::fromUtf8("Настройка условий..."), this);
    conditions->setObjectName("1027");
    subRow->addWidget(fields);
    subRow->addWidget(conditions);
    layout->addLayout(subRow);

    connect(font, &QPushButton::clicked, this, [this] { ChooseReportFont(this, m_Logic.m_Font); });
    connect(fields, &QPushButton::clicked, this, [this] {
        if (m_Fields) m_Fields(m_Logic.Section());
        m_Logic.AfterFieldSetup();
        m_pTitleColumn->setText(QString::fromStdString(m_Logic.m_TitleColumn));
    });
    connect(choose, &QPushButton::clicked, this, [this] {
        CColumn* column = nullptr;
        if (!m_ChooseColumn || !m_ChooseColumn(m_Logic.Section(), column)) return;
        m_Logic.SetTitleColumn(column);
        m_pTitleColumn->setText(QString::fromStdString(m_Logic.m_TitleColumn));
    });
    connect(conditions, &QPushButton::clicked, this, [this] {
        if (m_Conditions) m_Conditions(m_Logic.Section());
    });
    AddOkCancel(this, layout, [this] { return OnOK(); });
    connect(this, &QDialog::rejected, this, [this] { m_Logic.Cancel(); });
}

int CSectionDlg::exec() { return m_Logic.CanOpen() ? QDialog::exec() : 0; }

void CSectionDlg::SetSubDialogs(std::function<void(CReportSection*)> fields,
                                std::function<bool(CReportSection*, CColumn*&)> chooseColumn,
                                std::function<void(CReportSection*)> conditions) {
    m_Fields = std::move(fields);
    m_ChooseColumn = std::move(chooseColumn);
    m_Conditions = std::move(conditions);
}

bool CSectionDlg::OnOK() {
    m_Logic.m_Name = m_pName->text().toStdString();
    m_Logic.m_Title = m_pTitle->text().toStdString();
    m_Logic.m_bShowEmptyLines = m_pShowEmptyLines->isChecked();
    m_Logic.Ok();
    return true;
}

CReportSection* AddTableSection(CTableElement& table, QWidget* parent) {
    auto* section = new CReportSection(table.GetManager());
    if (CSectionDlg(section, parent).exec() != QDialog::Accepted) {
        delete section;
        return nullptr;
    }
    table.GetSections().Add(section);
    return section;
}
