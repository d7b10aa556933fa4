#include "report/dialogs/picture_page.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton* MakeButton(QWidget* parent, const char* id, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(id);
    return button;
}

// Adds the default extension when the chosen name has none.
std::string WithDefaultExtension(const QString& path) {
    QString result = path;
    if (QFileInfo(path).suffix().isEmpty()) result += ".jpg";
    return result.toStdString();
}

}  // namespace

CPicturePage::CPicturePage(CPictureElement& element, QWidget* parent) : QWidget(parent), m_Logic(element) {
    setObjectName("8000");
    auto* layout = new QVBoxLayout(this);
    auto* fileRow = new QHBoxLayout();
    fileRow->addWidget(new QLabel(QString::fromUtf8("Имя файла:"), this));
    m_pFileName = new QLineEdit(this);
    m_pFileName->setObjectName("8003");
    fileRow->addWidget(m_pFileName, 1);
    QPushButton* browse = MakeButton(this, "8004", "...");
    fileRow->addWidget(browse);
    layout->addLayout(fileRow);

    m_pFit = new QCheckBox(QString::fromUtf8("Вписать в прямоугольник"), this);
    m_pFit->setObjectName("1087");
    m_pFit->setChecked(m_Logic.m_bFit);
    m_pKeepAspect = new QCheckBox(QString::fromUtf8("Сохранять пропорции"), this);
    m_pKeepAspect->setObjectName("8005");
    m_pKeepAspect->setChecked(m_Logic.m_bKeepAspect);
    m_pKeepAspect->setEnabled(m_Logic.KeepAspectEnabled());
    layout->addWidget(m_pFit);
    layout->addWidget(m_pKeepAspect);

    auto* box = new QGroupBox(QString::fromUtf8("Параметры эскиза"), this);
    auto* form = new QFormLayout(box);
    m_pWidth = new QLineEdit(box);
    m_pWidth->setObjectName("1031");
    m_pHeight = new QLineEdit(box);
    m_pHeight->setObjectName("8007");
    for (QLineEdit* edit : {m_pWidth, m_pHeight}) edit->setReadOnly(true);
    form->addRow(QString::fromUtf8("Ширина:"), m_pWidth);
    form->addRow(QString::fromUtf8("Высота:"), m_pHeight);
    layout->addWidget(box);
    QPushButton* save = MakeButton(this, "8008", "Сохранить...");
    layout->addWidget(save, 0, Qt::AlignLeft);
    layout->addStretch(1);
    ShowSize();

    connect(m_pFit, &QCheckBox::toggled, this, [this](bool on) {
        m_Logic.m_bFit = on;
        m_pKeepAspect->setEnabled(m_Logic.KeepAspectEnabled());
    });
    connect(browse, &QPushButton::clicked, this, [this] { ChooseFile(); });
    connect(save, &QPushButton::clicked, this, [this] { SaveAs(); });
}

void CPicturePage::ShowSize() {
    m_pWidth->setText(QString::number(m_Logic.m_nWidth));
    m_pHeight->setText(QString::number(m_Logic.m_nHeight));
}

void CPicturePage::ChooseFile() {
    const QString path = QFileDialog::getOpenFileName(
        this, QString(), QString(),
        QString::fromUtf8("Файлы эскизов (*.ico *.bmp *.png *.gif *.tif *.tiff *.jpeg *.jpg);;Все файлы (*)"));
    if (path.isEmpty()) return;
    m_Logic.ChooseFile(WithDefaultExtension(path));
    m_pFileName->setText(QString::fromStdString(m_Logic.m_FileName));
    ShowSize();
}

void CPicturePage::SaveAs() {
    const QString path = QFileDialog::getSaveFileName(
        this, QString(), QString(),
        QString::fromUtf8("Файлы JPEG(*.jpg);;Файлы TIFF(*.tif);;Файлы BMP(*.bmp);;Файлы PNG(*.png);;Все файлы (*)"));
    if (!path.isEmpty()) m_Logic.Save(WithDefaultExtension(path));
}

bool CPicturePage::Apply() {
    m_Logic.m_FileName = m_pFileName->text().toStdString();
    m_Logic.m_bFit = m_pFit->isChecked();
    m_Logic.m_bKeepAspect = m_pKeepAspect->isChecked();
    return m_Logic.Apply();
}
