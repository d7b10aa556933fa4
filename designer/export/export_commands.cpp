#include "designer/export/export_commands.h"

#include <filesystem>

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>

#include "controls/stock_icons.h"
#include "designer/export/page_export.h"
#include "designer/settings_dialogs/settings_dialogs.h"
#include "platform/ui/messages.h"

namespace quillmark {
namespace {

// The wait cursor while a page or report is drawn, when there is a screen to show it on.
class WaitCursor {
public:
    WaitCursor() : m_shown(qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        if (m_shown) QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor() {
        if (m_shown) QApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_shown;
};

bool Allowed(const CExportCommandContext& c, int right) { return !c.hasRight || c.hasRight(right); }

// Exports need more than 256 colours on the screen.
bool DepthAllows(const CExportCommandContext& c) {
    const int bits = c.bitsPerPixel ? c.bitsPerPixel() : zorGetBitPerPixel(c.window);
    if (bits > 8) return true;
    AfxMessageBox("Экспорт в графические форматы отчета доступен только при цветовой палитре более 256 цветов",
                  MB_OK);
    return false;
}

}  // namespace

const std::vector<ExportFileType>& ExportFileTypes() {
    static const std::vector<ExportFileType> types = {
        {"Файлы JPEG(*.jpg)", "jpg"}, {"Файлы TIFF(*.tif)", "tif"}, {"Файлы BMP(*.bmp)", "bmp"},
        {"Файлы PNG(*.png)", "png"},  {"Все файлы (*.*)", ""},
    };
    return types;
}

std::string ExportPathForType(const std::string& chosen, const std::string& typeExtension) {
    if (chosen.empty() || ExportKindOfPath(chosen) != ExportFileKind::kUnknown) return chosen;
    if (!typeExtension.empty()) return chosen + "." + typeExtension;
    const std::string name = std::filesystem::path(chosen).filename().string();
    return name.find('.') == std::string::npos ? chosen + ".jpg" : chosen;
}

std::string SaveFileNameForPage(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QStringList filters;
    for (const ExportFileType& type : ExportFileTypes()) filters << QString::fromUtf8(type.filter);
    dialog.setNameFilters(filters);
    // No default suffix: the dialog would add it whatever type is chosen; the type decides below.
    // Tab goes from the name to the type, the next thing a keyboard user decides.
    QWidget* nameField = dialog.findChild<QWidget*>("fileNameEdit");
    QWidget* typeField = dialog.findChild<QWidget*>("fileTypeCombo");
    if (nameField && typeField) QWidget::setTabOrder(nameField, typeField);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    std::string extension;
    for (const ExportFileType& type : ExportFileTypes())
        if (dialog.selectedNameFilter() == QString::fromUtf8(type.filter)) extension = type.extension;
    return ExportPathForType(dialog.selectedFiles().front().toStdString(), extension);
}

bool OnExportPage(const CExportCommandContext& c) {
    if (!c.sheet || !Allowed(c, kRightEdit) || !DepthAllows(c)) return false;
    const std::string file = c.askFileName ? c.askFileName() : SaveFileNameForPage(c.window);
    if (file.empty()) return false;
    bool written = false;
    {
        WaitCursor wait;
        written = ExportPageToFile(c.sheet, c.page, c.reportMode, file);
    }
    // The name on a line of its own: the dialog may have added the type's extension to what was typed.
    AfxMessageBox(written ? "Экспортирование страницы завершено!\n" + file
                          : std::string("Ошибка при экспортировании страницы."),
                  MB_OK);
    return written;
}

bool OnExportAll(const CExportCommandContext& c) {
    if (!c.manager || !Allowed(c, kRightPrint) || !DepthAllows(c)) return false;
    CExportDialogLogic chosen;
    if (c.runExportDialog) {
        chosen.FillFromDocumentPath(c.documentPath);
        if (!c.runExportDialog(chosen)) return false;
    } else {
        CExportDialog dialog(c.window);
        dialog.Logic().FillFromDocumentPath(c.documentPath);
        dialog.ShowFields();
        if (dialog.exec() != QDialog::Accepted) return false;
        chosen = dialog.Logic();
    }
    CExportAllResult result;
    {
        WaitCursor wait;
        result = ExportAllPages(c.manager, c.page, c.reportMode, chosen.folder, chosen.prefix, chosen.Type());
    }
    AfxMessageBox(ExportAllMessage(result), MB_OK);
    return result.ok;
}

bool CopyPageImage(const CExportCommandContext& c, QClipboard* clipboard) {
    if (!c.sheet || !Allowed(c, kRightPrint)) return false;
    if (!clipboard) {
        AfxMessageBox("Не удалось открыть буфер обмена.", MB_OK);
        return false;
    }
    CPageImageData data;
    bool made = false;
    {
        WaitCursor wait;
        made = MakePageImageData(c.sheet, c.page, c.reportMode, data);
    }
    if (!made) {
        AfxMessageBox("Не удалось поместить изображение в буфер обмена.", MB_OK);
        return false;
    }
    clipboard->setMimeData(MakePageMimeData(data));  // the clipboard owns it from here
    return true;
}

}  // namespace quillmark
