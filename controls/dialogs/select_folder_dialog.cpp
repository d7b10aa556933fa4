#include "controls/dialogs/select_folder_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

#include "controls/dialogs/folder_confirm.h"

namespace {

// "Description|patterns|...||" as the toolkit's name filters "Description (patterns)".
QStringList NameFilters(const QString& filter) {
    QStringList out;
    const QStringList parts = filter.split('|');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return out;
}

void HideChild(QWidget* dialog, const char* name) {
    if (auto* w = dialog->findChild<QWidget*>(QString::fromLatin1(name))) w->hide();
}

}  // namespace

CzorSelectFolderDialog::CzorSelectFolderDialog(int mode, const char* initialFolder, unsigned flags, const char* filter,
                                               QWidget* parent)
    : QFileDialog(parent), m_mode(mode), m_flags(flags) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(QFileDialog::AcceptOpen);
    const bool withFilter = mode != 0 && filter && *filter;
    if (mode == 0) {
        setFileMode(QFileDialog::Directory);
        setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        setFileMode(QFileDialog::AnyFile);
        if (withFilter) setNameFilters(NameFilters(QString::fromUtf8(filter)));
    }
    if (initialFolder && *initialFolder) setDirectory(QString::fromUtf8(initialFolder));
    setLabelText(QFileDialog::Accept, QStringLiteral("Выбрать"));

    // The file-name row gives way to the current-folder field.
    HideChild(this, "fileNameEdit");
    HideChild(this, "fileNameLabel");
    if (!withFilter) {
        HideChild(this, "fileTypeCombo");
        HideChild(this, "fileTypeLabel");
    }
    m_label = new QLabel(QStringLiteral("Текущая папка:"), this);
    m_label->setObjectName(QStringLiteral("1090"));
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("102"));
    m_path->setText(initialFolder ? QString::fromUtf8(initialFolder) : directory().absolutePath());
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        const int row = grid->rowCount();
        grid->addWidget(m_label, row, 0, 1, grid->columnCount());
        grid->addWidget(m_path, row + 1, 0, 1, grid->columnCount());
    }
    m_label->setBuddy(m_path);
    connect(this, &QFileDialog::directoryEntered, this, &CzorSelectFolderDialog::OnFolderChange);
}

void CzorSelectFolderDialog::SetTitle(const std::string& title) {
    m_title = title;
    setWindowTitle(QString::fromStdString(title));
}

void CzorSelectFolderDialog::showEvent(QShowEvent* event) {
    setWindowTitle(QString::fromStdString(m_title));
    QFileDialog::showEvent(event);
}

void CzorSelectFolderDialog::OnFolderChange(const QString& folder) { m_path->setText(folder); }

void CzorSelectFolderDialog::accept() {
    const zor::FolderChoice choice = zor::ConfirmFolder(m_path->text().toStdString(), directory().absolutePath().toStdString());
    if (!choice.accepted) return;
    m_selected = choice.selected;
    QDialog::accept();
}
