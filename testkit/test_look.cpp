#include "testkit/test_look.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

#include "platform/gdi/screen_colors.h"

namespace quillmark_test {

void ApplyTestLook(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create("Fusion")) app.setStyle(fusion);
    app.setPalette(FixedSchemePalette());
    QFont font("Liberation Sans");
    font.setPointSize(9);
    font.setHintingPreference(QFont::PreferNoHinting);
    app.setFont(font);
}

}  // namespace quillmark_test
