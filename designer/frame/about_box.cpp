#include "designer/frame/about_box.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "controls/dialogs/hyperlink.h"
#include "controls/stock_icons.h"
#include "designer/frame/about_version.h"
#include "platform/base/transport_ini.h"

namespace quillmark {

void ShowAboutBox(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName("100");
    dialog.setWindowTitle(QString::fromUtf8("О программе Квиллмарк"));
    auto* layout = new QVBoxLayout(&dialog);
    QPixmap logo;
    if (zorGetLogoBmp(logo, &dialog)) {
        auto* picture = new QLabel(&dialog);
        picture->setPixmap(logo);
        layout->addWidget(picture);
    }
    auto* version = new QLabel(QString::fromUtf8(AboutVersionLine(AboutBoxVersion(zor::DictionaryDir(), ProgramVersion()))), &dialog);
    version->setObjectName("version");
    layout->addWidget(version);
    const std::pair<const char*, const char*> links[] = {
        {"veldcourt.example/quillmark", "https://veldcourt.example/quillmark"},
        {"support@veldcourt.example", "mailto:support@veldcourt.example"},
    };
    for (const auto& [text, url] : links) layout->addWidget(new CzorHyperLink(QString::fromUtf8(text), url, &dialog));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.exec();
}

}  // namespace quillmark
