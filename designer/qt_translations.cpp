#include "designer/qt_translations.h"

#include <QLibraryInfo>

namespace quillmark {

std::unique_ptr<QTranslator> LoadQtTranslation(const QLocale& locale, const QString& folder) {
    const QString path = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), path)) return translator;
    if (translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"), path))
        return translator;
    return nullptr;
}

}  // namespace quillmark
