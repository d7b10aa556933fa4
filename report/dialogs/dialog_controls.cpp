#include "report/dialogs/dialog_controls.h"

#include <QBoxLayout>
#include <QDialog>
#include <QFontDialog>
#include <QTreeWidget>

#include <cstdlib>

#include "controls/dialogs/button.h"
#include "controls/stock_icons.h"
#include "platform/win/gdi_types.h"

namespace {

CzorButton* MakeButton(QDialog* dialog, const char* id, const char* text, int icon) {
    auto* button = new CzorButton(dialog);
    button->setObjectName(id);
    button->setText(QString::fromUtf8(text));
    button->SetIcon(GetZorStdIco16(icon));
    button->SetFlat(false, true);
    return button;
}

}  // namespace

void AddOkCancel(QDialog* dialog, QBoxLayout* layout, std::function<bool()> onOk, const char* cancelText) {
    auto* row = new QHBoxLayout();
    row->addStretch(1);
    CzorButton* ok = MakeButton(dialog, "1", "OK", 0);
    CzorButton* cancel = MakeButton(dialog, "2", cancelText, 1);
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    QObject::connect(ok, &QPushButton::clicked, dialog, [dialog, onOk = std::move(onOk)] {
        if (onOk()) dialog->accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
}

QTreeWidget* MakeRowList(QWidget* parent, const char* id, std::initializer_list<std::pair<const char*, int>> columns) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(id);
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    QStringList titles;
    for (const auto& column : columns) titles << QString::fromUtf8(column.first);
    list->setHeaderLabels(titles);
    int i = 0;
    for (const auto& column : columns) list->setColumnWidth(i++, column.second);
    return list;
}

bool ChooseLogFont(QWidget* parent, LOGFONT& font) {
    QFont start(QString::fromUtf8(font.lfFaceName));
    if (font.lfHeight != 0) start.setPointSizeF(std::abs(font.lfHeight) / 10.0);
    start.setBold(font.lfWeight >= FW_BOLD);
    start.setItalic(font.lfItalic != 0);
    start.setUnderline(font.lfUnderline != 0);
    start.setStrikeOut(font.lfStrikeOut != 0);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, start, parent);
    if (!ok) return false;
    font.SetFaceName(chosen.family().toUtf8().constData());
    font.lfHeight = static_cast<int>(chosen.pointSizeF() * 10.0 + 0.5);
    font.lfWeight = chosen.bold() ? FW_BOLD : FW_NORMAL;
    if (chosen.italic() != (font.lfItalic != 0)) font.lfItalic = chosen.italic() ? 1 : 0;
    font.lfUnderline = chosen.underline() ? 1 : 0;
    font.lfStrikeOut = chosen.strikeOut() ? 1 : 0;
    return true;
}
