#pragma once
// Qt's own texts (the buttons and labels of the standard open, save, print, page set-up, colour and font
// dialogs) in the user's language, from the translations Qt ships.
#include <memory>

#include <QLocale>
#include <QString>
#include <QTranslator>

namespace quillmark {

// The "qtbase" translation of locale from folder (Qt's translations folder when empty). When there is none
// for that locale, the Russian one: the program's own texts are Russian, and Qt's English beside them
// helps nobody. Null when neither can be read (Qt's English then stays).
std::unique_ptr<QTranslator> LoadQtTranslation(const QLocale& locale, const QString& folder = {});

}  // namespace quillmark
