// Qt's own texts in the user's language: the translation of the locale, Russian when there is none for
// it, and the standard buttons speaking it once installed.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLibraryInfo>
#include <QPushButton>

#include "controls/tests/gui_test_app.h"
#include "designer/qt_translations.h"

namespace quillmark {
namespace {

QString CancelText(const QTranslator& translator) {
    return translator.translate("QPlatformTheme", "Cancel");
}

class QtTranslations : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        if (!QFile::exists(folder + QStringLiteral("/qtbase_ru.qm")))
            GTEST_SKIP() << "Qt's translations (qt6-translations-l10n) are not installed in " << folder.toStdString();
    }
};

TEST_F(QtTranslations, TheLocalesOwnOrElseRussian) {
    struct Case {
        const char* what;
        QLocale locale;
        const char* cancel;
    } cases[] = {
        {"Russian", QLocale(QLocale::Russian, QLocale::Russia), "Отмена"},
        {"German", QLocale(QLocale::German, QLocale::Germany), "Abbrechen"},
        {"the C locale", QLocale::c(), "Отмена"},
        {"a language Qt has no file for", QLocale(QLocale::Swahili, QLocale::Kenya), "Отмена"},
    };
    for (const Case& c : cases) {
        const std::unique_ptr<QTranslator> translator = LoadQtTranslation(c.locale);
        ASSERT_TRUE(translator) << c.what;
        EXPECT_EQ(CancelText(*translator).toStdString(), c.cancel) << c.what;
    }
}

TEST_F(QtTranslations, NoFilesLeavesQtsEnglish) {
    EXPECT_EQ(LoadQtTranslation(QLocale(QLocale::Russian), QStringLiteral("/nonexistent")), nullptr);
}

TEST_F(QtTranslations, InstalledTheStandardButtonsSpeakRussian) {
    const std::unique_ptr<QTranslator> translator = LoadQtTranslation(QLocale(QLocale::Russian, QLocale::Russia));
    ASSERT_TRUE(translator);
    ASSERT_TRUE(QCoreApplication::installTranslator(translator.get()));
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Open);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().toStdString(), "Отмена");
    EXPECT_EQ(buttons.button(QDialogButtonBox::Open)->text().toStdString(), "Открыть");
    QCoreApplication::removeTranslator(translator.get());
}

}  // namespace
}  // namespace quillmark
