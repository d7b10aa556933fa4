#include "signature/sign_system_props_dlg.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sig {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string ChooseLibrary(QWidget* parent, const std::string& currentPath) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QString::fromUtf8(texts::kLibraryFilter));
    if (!currentPath.empty()) dialog.setDirectory(QFileInfo(Q(currentPath)).absolutePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace

CSignSystemPropsDlg::CSignSystemPropsDlg(CSignSystemPropsModel& model, zor::IMessageSink& sink, QWidget* parent)
    : QDialog(parent), m_model(model), m_sink(sink) {
    setObjectName("14001");
    setWindowTitle(Q(model.caption));

    auto* group = new QGroupBox(QString::fromUtf8(texts::kPropsGroup), this);
    m_name = new QLineEdit(group);
    m_name->setObjectName("14005");
    m_path = new QLineEdit(group);
    m_path->setObjectName("14006");
    m_path->setReadOnly(true);
    auto* browse = new QPushButton(QString::fromUtf8(texts::kBrowseButton), group);
    browse->setObjectName("14007");
    browse->setAutoDefault(false);
    m_default = new QCheckBox(QString::fromUtf8(texts::kDefaultCheck), group);
    m_default->setObjectName("14004");

    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QString::fromUtf8(texts::kNameLabel), group), 0, 0, 1, 2);
    grid->addWidget(m_name, 1, 0);
    grid->addWidget(new QLabel(QString::fromUtf8(texts::kPathLabel), group), 2, 0, 1, 2);
    grid->addWidget(m_path, 3, 0);
    grid->addWidget(browse, 3, 1);
    grid->addWidget(m_default, 4, 0, 1, 2);

    auto* ok = new QPushButton(Q(model.okText), this);
    ok->setObjectName("1");
    ok->setAutoDefault(false);
    auto* exit = new QPushButton(QString::fromUtf8(texts::kExitButton), this);
    exit->setObjectName("2");
    exit->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addStretch(1);
    buttons->addWidget(exit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    // 227 x 125 dialog units of an 8-point font.
    setMinimumSize(340, 203);

    chooseFile = [this](const std::string& current) { return ChooseLibrary(this, current); };
    connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(ok, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);
    ShowValues();
}

void CSignSystemPropsDlg::TakeValues() {
    m_model.values.name = m_name->text().toStdString();
    m_model.values.path = m_path->text().toStdString();
    m_model.values.makeDefault = m_default->isChecked();
}

void CSignSystemPropsDlg::ShowValues() {
    m_name->setText(Q(m_model.values.name));
    m_path->setText(Q(m_model.values.path));
    m_default->setChecked(m_model.values.makeDefault);
}

void CSignSystemPropsDlg::OnBrowse() {
    TakeValues();
    const std::string chosen = chooseFile ? chooseFile(m_model.values.path) : std::string();
    if (chosen.empty()) return;
    m_model.Browsed(chosen);
    ShowValues();
}

void CSignSystemPropsDlg::OnOk() {
    TakeValues();
    CSignSystemPropsModel::Focus focus = CSignSystemPropsModel::Focus::None;
    if (m_model.Accept(m_sink, &focus)) {
        accept();
        return;
    }
    if (focus == CSignSystemPropsModel::Focus::Name) m_name->setFocus();
    if (focus == CSignSystemPropsModel::Focus::Path) m_path->setFocus();
}

}  // namespace sig
