#include "controls/dialogs/select_folder_dialog.h"

#include <filesystem>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "controls/tests/gui_test_app.h"
#include "platform/tests/test_support.h"
#include "platform/ui/messages.h"

namespace {

using zor::test::ScopedTempDir;

TEST(SelectFolderDialog, ReshapedFileDialogConfirmsAndCreatesATypedFolder) {
    EnsureGuiApplication();
    ScopedTempDir tmp;
    CzorSelectFolderDialog dialog(0, tmp.Path().c_str());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Выбор папки"));
    EXPECT_EQ(dialog.labelText(QFileDialog::Accept), QStringLiteral("Выбрать"));
    EXPECT_TRUE(dialog.testOption(QFileDialog::ShowDirsOnly));
    auto* label = dialog.findChild<QLabel*>(QStringLiteral("1090"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), QStringLiteral("Текущая папка:"));
    EXPECT_TRUE(label->isVisible());
    ASSERT_TRUE(dialog.PathField());
    EXPECT_EQ(dialog.PathField()->text().toStdString(), tmp.Path());
    auto* nameEdit = dialog.findChild<QWidget*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(nameEdit);
    EXPECT_FALSE(nameEdit->isVisible());
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_TRUE(types);
    EXPECT_FALSE(types->isVisible());
    EXPECT_TRUE(dialog.GetSelectedPath().empty());

    // Browsing moves the field along.
    emit dialog.directoryEntered(QStringLiteral("/tmp"));
    EXPECT_EQ(dialog.PathField()->text(), QStringLiteral("/tmp"));

    zor::RecordingMessageSink sink;
    zor::ScopedMessageSink scoped(&sink);
    const std::string wanted = tmp / "отчеты/2024";
    dialog.PathField()->setText(QString::fromStdString(wanted + "//x"));
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    sink.QueueAnswer(IDYES);
    dialog.PathField()->setText(QString::fromStdString(wanted));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetSelectedPath(), wanted + "/");
    EXPECT_TRUE(std::filesystem::is_directory(wanted));
    EXPECT_EQ(sink.Texts().front(), "Некорректная папка");
}

TEST(SelectFolderDialog, FilesAndTheirFilterInAnotherMode) {
    EnsureGuiApplication();
    CzorSelectFolderDialog dialog(1, nullptr, 6, "Отчеты (*.zorrep)|*.zorrep|Все файлы (*.*)|*.*||");
    dialog.SetTitle("Экспорт");
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Экспорт"));
    EXPECT_FALSE(dialog.testOption(QFileDialog::ShowDirsOnly));
    EXPECT_EQ(dialog.nameFilters(),
              (QStringList{QStringLiteral("Отчеты (*.zorrep) (*.zorrep)"), QStringLiteral("Все файлы (*.*) (*.*)")}));
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_TRUE(types);
    EXPECT_TRUE(types->isVisible());
    dialog.reject();
    EXPECT_TRUE(dialog.GetSelectedPath().empty());
}

}  // namespace
