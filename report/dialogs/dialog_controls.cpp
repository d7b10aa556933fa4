#include "report/dialogs/dialog_controls.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLineEdit>
#include <QDialog>
#include <QTreeWidget>

#include "controls/dialogs/button.h"
#include "controls/stock_icons.h"

namespace {

CzorButton* MakeButton(QDialog* dialog, const char* id, const char* text, int icon, bool flat) {
    auto* button = new CzorButton(dialog);
    button->setObjectName(id);
    button->setText(QString::fromUtf8(text));
    button->SetIcon(GetZorStdIco16(icon));
    button->SetFlat(flat, true);
    return button;
}

}  // namespace

void AddOkCancel(QDialog* dialog, QBoxLayout* layout, std::function<bool()> onOk, const char* cancelText,
                 bool flat) {
    auto* row = new QHBoxLayout();
    row->addStretch(1);
    CzorButton* ok = MakeButton(dialog, "1", "OK", 0, flat);
    CzorButton* cancel = MakeButton(dialog, "2", cancelText, 1, flat);
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

QLineEdit* MakeEdit(QWidget* parent, const char* id, const std::string& text, bool readOnly) {
    auto* edit = new QLineEdit(QString::fromStdString(text), parent);
    edit->setObjectName(id);
    edit->setReadOnly(readOnly);
    return edit;
}

QCheckBox* MakeCheck(QWidget* parent, const char* id, const char* text, bool checked) {
    auto* box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(id);
    box->setChecked(checked);
    return box;
}

CzorButton* MakeIconButton(QWidget* parent, const char* id, const QIcon& icon, bool flat) {
    auto* button = new CzorButton(parent);
    button->setObjectName(id);
    button->SetIcon(icon);
    button->SetFlat(flat, true);
    return button;
}
