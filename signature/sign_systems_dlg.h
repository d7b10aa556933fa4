#pragma once
// The list of signature systems: a thin view over CSignSystemsModel. Object names are the control ids:
// the list "14008", Add "14000", Properties "14001", Delete "14002", Exit "2".
// Enter runs Properties and Delete runs Delete on a selected system, Insert runs Add, and a double
// click runs Properties.
#include "signature/sign_systems_model.h"

#include <QDialog>

#include <functional>

class QPushButton;
class QTreeWidget;

namespace sig {

class CSignSystemsDlg : public QDialog {
public:
    CSignSystemsDlg(CSignSystemsModel& model, zor::IMessageSink& sink, QWidget* parent = nullptr);

    // Runs the properties dialog over the values given; true when it ended with OK. The real dialog
    // unless replaced (tests).
    std::function<bool(CSignSystemPropsModel&)> runProps;

    void OnAdd();
    void OnProperties();
    void OnDelete();
    void Fill();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::string SelectedName() const;
    void FollowSelection();

    CSignSystemsModel& m_model;
    zor::IMessageSink& m_sink;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_properties = nullptr;
    QPushButton* m_delete = nullptr;
    bool m_columnsSized = false;
};

}  // namespace sig
