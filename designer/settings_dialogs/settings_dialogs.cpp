#include "designer/settings_dialogs/settings_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "controls/dialogs/select_folder_dialog.h"
#include "report/dialogs/dialog_controls.h"

namespace quillmark {
namespace {

QString Q(const char* text) { return QString::fromUtf8(text); }
QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QLineEdit* edit) { return edit->text().trimmed().toStdString(); }

template <typename W>
W* Named(W* widget, const char* id) {
    widget->setObjectName(id);
    return widget;
}

QLineEdit* Edit(QWidget* parent, const char* id) { return Named(new QLineEdit(parent), id); }
QCheckBox* Check(QWidget* parent, const char* id, const char* text) { return Named(new QCheckBox(Q(text), parent), id); }

}  // namespace

QPixmap OrientationPicture(int iconId) {
    const bool landscape = iconId == kIconLandscape;
    QPixmap picture(32, 32);
    picture.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter p(&picture);
    const QRect sheet = landscape ? QRect(2, 7, 27, 19) : QRect(7, 2, 19, 27);
    p.fillRect(sheet, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(sheet);
    p.setPen(QColor(0x80, 0x80, 0x80));
    for (int y = sheet.top() + 4; y < sheet.bottom() - 2; y += 3) p.drawLine(sheet.left() + 3, y, sheet.right() - 3, y);
    return picture;
}

// --- Work settings ----------------------------------------------------------------------------------------------

CWorkSettingsDialog::CWorkSettingsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("179");
    setWindowTitle(Q("Настройка работы"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    m_lineWidth = Edit(this, "1103");
    form->addRow(Q("Толщина линии по умолчанию, мм:"), m_lineWidth);
    m_stickSize = Edit(this, "1106");
    form->addRow(Q("Область действия функции прилипания:"), m_stickSize);
    layout->addLayout(form);
    m_createFixed = Check(this, "1105", "Фиксировать элементы сразу после создания");
    layout->addWidget(m_createFixed);
    auto* dotGroup = new QGroupBox(Q("Режим создания шаблонов"), this);
    m_oneScaleDot = Check(dotGroup, "1107", "Использовать общий масштаб для всех страниц");
    (new QVBoxLayout(dotGroup))->addWidget(m_oneScaleDot);
    layout->addWidget(dotGroup);
    auto* reportGroup = new QGroupBox(Q("Режим просмотра отчетов"), this);
    m_oneScaleReport = Check(reportGroup, "1108", "Использовать общий масштаб для всех страниц");
    (new QVBoxLayout(reportGroup))->addWidget(m_oneScaleReport);
    layout->addWidget(reportGroup);
    m_fitPictures = Check(this, "1109", "Вписывать эскизы в заданный прямоугольник");
    m_keepProportions = Check(this, "1110", "Сохранять пропорции эскизов");
    layout->addWidget(m_fitPictures);
    layout->addWidget(m_keepProportions);
    AddOkCancel(this, layout, [this] { return OnOk(); }, "Отмена", true);
    connect(m_fitPictures, &QCheckBox::clicked, this, [this](bool checked) {
        m_logic.Fields().fitPictures = checked;
        m_keepProportions->setEnabled(m_logic.KeepProportionsEnabled());
    });
    m_logic.Load();
    ShowFields();
}

void CWorkSettingsDialog::ShowFields() {
    const CWorkSettingsFields& f = m_logic.Fields();
    m_lineWidth->setText(Q(f.lineWidth));
    m_stickSize->setText(Q(f.stickSize));
    m_createFixed->setChecked(f.createFixed);
    m_oneScaleDot->setChecked(f.oneScaleInDot);
    m_oneScaleReport->setChecked(f.oneScaleInReport);
    m_fitPictures->setChecked(f.fitPictures);
    m_keepProportions->setChecked(f.keepProportions);
    m_keepProportions->setEnabled(m_logic.KeepProportionsEnabled());
}

bool CWorkSettingsDialog::OnOk() {
    CWorkSettingsFields& f = m_logic.Fields();
    f.lineWidth = S(m_lineWidth);
    f.stickSize = S(m_stickSize);
    f.createFixed = m_createFixed->isChecked();
    f.oneScaleInDot = m_oneScaleDot->isChecked();
    f.oneScaleInReport = m_oneScaleReport->isChecked();
    f.fitPictures = m_fitPictures->isChecked();
    f.keepProportions = m_keepProportions->isChecked();
    return m_logic.Apply();
}

// --- Page set-up -------------------------------------------------------------------------------------------------

CPageSetupDialog::CPageSetupDialog(const CPageSetupData& data, QWidget* parent)
    : QDialog(parent), m_data(data), m_logic(data) {
    setObjectName("154");
    setWindowTitle(Q("Настройка страницы"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    m_size = Named(new QComboBox(this), "1045");
    for (const auto& size : CPageSetupLogic::StandardSizes()) m_size->addItem(Q(size.name));
    m_size->addItem(Q("Определенный пользователем"));
    form->addRow(Q("Размер:"), m_size);
    m_width = Edit(this, "1031");
    m_height = Edit(this, "1047");
    form->addRow(Q("По горизонтали, мм:"), m_width);
    form->addRow(Q("По вертикали, мм:"), m_height);
    layout->addLayout(form);

    auto* orientation = new QGroupBox(Q("Ориентация"), this);
    auto* orientationRow = new QHBoxLayout(orientation);
    m_landscape = Named(new QRadioButton(Q("Альбомная"), orientation), "1048");
    m_portrait = Named(new QRadioButton(Q("Книжная"), orientation), "1049");
    m_icon1 = Named(new QLabel(orientation), "1050");
    m_icon2 = Named(new QLabel(orientation), "1051");
    orientationRow->addWidget(m_icon1);
    orientationRow->addWidget(m_landscape);
    orientationRow->addWidget(m_icon2);
    orientationRow->addWidget(m_portrait);
    layout->addWidget(orientation);

    auto* margins = new QGroupBox(Q("Поля"), this);
    auto* marginForm = new QFormLayout(margins);
    const char* ids[4] = {"1117", "1116", "1118", "1119"};
    const char* labels[4] = {"Левое, мм:", "Верхнее, мм:", "Правое, мм:", "Нижнее, мм:"};
    for (int i = 0; i < 4; ++i) {
        m_margins[i] = Edit(margins, ids[i]);
        marginForm->addRow(Q(labels[i]), m_margins[i]);
    }
    layout->addWidget(margins);
    m_fit = Check(this, "1089", "Вписывать в страницу при печати");
    m_split = Check(this, "1090", "Разбивать страницу на А4 при печати");
    layout->addWidget(m_fit);
    layout->addWidget(m_split);
    AddOkCancel(this, layout, [this] { return OnOk(); }, "Отмена", true);

    ShowSizes();
    m_margins[0]->setText(Q(m_logic.marginLeft));
    m_margins[1]->setText(Q(m_logic.marginTop));
    m_margins[2]->setText(Q(m_logic.marginRight));
    m_margins[3]->setText(Q(m_logic.marginBottom));
    m_fit->setChecked(m_logic.fitToPage);
    m_split->setChecked(m_logic.splitToA4);
    ShowOrientation();

    connect(m_size, &QComboBox::activated, this, [this](int index) {
        m_logic.width = S(m_width);
        m_logic.height = S(m_height);
        m_logic.ChooseSize(index);
        ShowSizes();
    });
    connect(m_landscape, &QRadioButton::clicked, this, [this] {
        m_logic.SetLandscape(true);
        ShowOrientation();
    });
    connect(m_portrait, &QRadioButton::clicked, this, [this] {
        m_logic.SetLandscape(false);
        ShowOrientation();
    });
}

void CPageSetupDialog::ShowSizes() {
    m_size->setCurrentIndex(m_logic.SizeIndex());
    m_width->setText(Q(m_logic.width));
    m_height->setText(Q(m_logic.height));
    m_width->setReadOnly(!m_logic.SizeEditable());
    m_height->setReadOnly(!m_logic.SizeEditable());
}

void CPageSetupDialog::ShowOrientation() {
    m_landscape->setChecked(m_logic.Landscape());
    m_portrait->setChecked(!m_logic.Landscape());
    const int icon = m_logic.OrientationIcon();
    for (QLabel* label : {m_icon1, m_icon2}) {
        label->setPixmap(OrientationPicture(icon));
        label->setProperty("iconId", icon);
    }
}

bool CPageSetupDialog::OnOk() {
    m_logic.width = S(m_width);
    m_logic.height = S(m_height);
    m_logic.marginLeft = S(m_margins[0]);
    m_logic.marginTop = S(m_margins[1]);
    m_logic.marginRight = S(m_margins[2]);
    m_logic.marginBottom = S(m_margins[3]);
    m_logic.fitToPage = m_fit->isChecked();
    m_logic.splitToA4 = m_split->isChecked();
    m_logic.SetLandscape(m_landscape->isChecked());
    return m_logic.Apply(m_data);
}

// --- Export ------------------------------------------------------------------------------------------------------

CExportDialog::CExportDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("205");
    setWindowTitle(Q("Экспорт отчета"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    auto* folderRow = new QHBoxLayout();
    m_folder = Edit(this, "1110");
    auto* browse = Named(new QPushButton(Q("..."), this), "1111");
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    form->addRow(Q("Папка:"), folderRow);
    m_prefix = Edit(this, "1112");
    form->addRow(Q("Префикс:"), m_prefix);
    m_type = Named(new QComboBox(this), "1114");
    for (const char* type : CExportDialogLogic::FileTypes()) m_type->addItem(Q(type));
    form->addRow(Q("Тип файлов:"), m_type);
    layout->addLayout(form);
    AddOkCancel(this, layout, [this] { return OnOk(); }, "Отмена", true);
    connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
    ShowFields();
}

void CExportDialog::ShowFields() {
    m_folder->setText(Q(m_logic.folder));
    m_prefix->setText(Q(m_logic.prefix));
    m_type->setCurrentIndex(m_logic.typeIndex);
}

void CExportDialog::Browse() {
    const std::string current = S(m_folder);
    CzorSelectFolderDialog picker(0, current.empty() ? nullptr : current.c_str(), 6, nullptr, this);
    if (picker.exec() != QDialog::Accepted) return;
    m_logic.FolderPicked(picker.GetSelectedPath());
    m_folder->setText(Q(m_logic.folder));
}

bool CExportDialog::OnOk() {
    m_logic.folder = S(m_folder);
    m_logic.prefix = S(m_prefix);
    m_logic.typeIndex = m_type->currentIndex();
    return m_logic.Accept();
}

}  // namespace quillmark
