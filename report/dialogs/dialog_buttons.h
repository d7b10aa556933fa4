#pragma once
// The OK (1) and Cancel (2) buttons of the report dialogs: classic, non-flat, with stock icons 0 and 1.
#include <functional>

class CzorButton;
class QBoxLayout;
class QDialog;

// Adds both buttons, right-aligned, to the layout. A click on OK calls onOk, and the dialog is accepted
// when it gives true; Cancel rejects the dialog.
void AddOkCancel(QDialog* dialog, QBoxLayout* layout, std::function<bool()> onOk, const char* cancelText = "Отмена");
