#pragma once
// The properties dialog of one signature system: a thin view over CSignSystemPropsModel.
// Controls carry their ids as object names: name edit "14005", path edit "14006" (read-only), browse
// "14007", default check box "14004", OK "1", Exit "2" (the default button, closing without applying).
#include "signature/sign_systems_model.h"

#include <QDialog>

#include <functional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace sig {

class CSignSystemPropsDlg : public QDialog {
public:
    CSignSystemPropsDlg(CSignSystemPropsModel& model, zor::IMessageSink& sink, QWidget* parent = nullptr);

    // Asks for a library file; "" when none was chosen. The file dialog unless replaced (tests).
    std::function<std::string(const std::string& currentPath)> chooseFile;

    void OnBrowse();
    void OnOk();

private:
    void TakeValues();
    void ShowValues();

    CSignSystemPropsModel& m_model;
    zor::IMessageSink& m_sink;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_path = nullptr;
    QCheckBox* m_default = nullptr;
};

}  // namespace sig
