#pragma once
// Controls the report dialogs share: the OK (1) and Cancel (2) buttons (classic, non-flat, with stock
// icons 0 and 1) and the lists of rows with titled columns.
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

class CzorButton;
class QBoxLayout;
class QCheckBox;
class QLineEdit;
class QDialog;
class QIcon;
class QTreeWidget;
class QWidget;

// Adds both buttons, right-aligned, to the layout. A click on OK calls onOk, and the dialog is accepted
// when it gives true; Cancel rejects the dialog. flat: the flat look of the designer's own dialogs.
void AddOkCancel(QDialog* dialog, QBoxLayout* layout, std::function<bool()> onOk, const char* cancelText = "Отмена",
                 bool flat = false);

// A button showing an icon and no text, with the control id as its object name.
CzorButton* MakeIconButton(QWidget* parent, const char* id, const QIcon& icon, bool flat);

// A list of whole rows without a tree, its columns given as title and width in pixels.
QTreeWidget* MakeRowList(QWidget* parent, const char* id, std::initializer_list<std::pair<const char*, int>> columns);

// An edit holding text, and a check box with its caption, each named by its control id.
QLineEdit* MakeEdit(QWidget* parent, const char* id, const std::string& text, bool readOnly = false);
QCheckBox* MakeCheck(QWidget* parent, const char* id, const char* text, bool checked);
