// The save dialog of the document: the types it offers and the dialog itself.
#include <filesystem>

#include <QFileDialog>
#include <QObject>

#include "designer/doc/doc_internal.h"
#include "platform/text/utf8.h"

namespace quillmark {

std::vector<SaveFileType> SaveFileTypes(const std::string& currentPath) {
    std::vector<SaveFileType> types = {{"Файлы отчетов (*.zorrep)", "zorrep"}, {"Файлы шаблонов (*.zordot)", "zordot"}};
    // A template is saved as a template unless the user picks the other type.
    const std::filesystem::path path(currentPath);
    if (zor::EqualsNoCase(path.extension().string(), ".zordot")) std::swap(types[0], types[1]);
    return types;
}

std::string RunSaveDialog(QWidget* parent, const std::string& currentPath) {
    const std::vector<SaveFileType> types = SaveFileTypes(currentPath);
    QStringList filters;
    for (const SaveFileType& type : types) filters << QString::fromUtf8(type.filter);
    QFileDialog dialog(parent, QString::fromUtf8("Сохранить отчет как..."), QString::fromStdString(currentPath),
                       filters.join(";;"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QString::fromUtf8(types.front().extension));
    // A name typed without an extension takes the one of the type chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, types](const QString& filter) {
        for (const SaveFileType& type : types)
            if (filter == QString::fromUtf8(type.filter)) dialog.setDefaultSuffix(QString::fromUtf8(type.extension));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace quillmark
