#pragma once
// The data-source dialog (162) and the combined-field dialog (207) over their logic.
#include <QDialog>

#include "designer/datasource/data_source_logic.h"

class QLineEdit;
class QListWidget;
class QTreeWidget;

namespace quillmark {

class CAddinManager;

class CCombinedFieldDlg : public QDialog {
public:
    CCombinedFieldDlg(const CHeader& source, const std::string& name, const std::string& function,
                      QWidget* parent = nullptr);
    std::string Name() const;
    std::string Function() const;

private:
    QLineEdit* m_pFunction;
    QLineEdit* m_pName;
    QListWidget* m_pFields;
};

class CDataSourceDlg : public QDialog {
public:
    // addins: the program's loaded queries (may be null: the query button then finds none).
    CDataSourceDlg(CFolivox* manager, const CAddinManager* addins, QWidget* parent = nullptr);
    // Without a manager the dialog ends at once with 0.
    int exec() override;
    CDataSourceDlgLogic& Logic() { return m_Logic; }
    // Whether OK changed the manager: the document is then marked changed.
    bool Changed() const { return m_bChanged; }

private:
    void Redisplay();
    int SourceRow() const;
    int AdditionalRow() const;
    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnContextMenu(const QPoint& point);
    AskTextFn AskText();
    CombinedFieldFn AskCombined();

    CDataSourceDlgLogic m_Logic;
    const CAddinManager* m_pAddins;
    QTreeWidget* m_pSource;
    QTreeWidget* m_pAdditional;
    bool m_bChanged = false;
};

}  // namespace quillmark
