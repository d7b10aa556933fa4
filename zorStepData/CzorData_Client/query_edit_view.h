#pragma once
// The query editor (dialog 4014 "Ввод запроса") and the dictionary picker (dialog 7022 "Выбор
// объекта словаря") as windows over CQueryEditLogic. Every control's object name is its id.
#include <memory>
#include <string>

#include "controls/dialogs/resizable_dialog.h"
#include "zorStepData/CzorData_Client/query_edit.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class CzorStepData;

class CDlgQueryEdit : public CzorResizableDialog {
public:
    CDlgQueryEdit(zor::net::QueryEditData& data, QWidget* parent = nullptr);
    ~CDlgQueryEdit() override;
    CQueryEditLogic& Logic() { return m_logic; }

    // The syntax check: closes with OK on success, else shows the error and selects its token.
    void Execute();
    void StartEditing();
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path);
    void Help();
    // Replaces the selection of the query text (what the dictionary picker inserts).
    void InsertName(const std::string& name);
    void ApplyLocks();

protected:
    bool OnInitDialog() override;

private:
    void UpdatePosition();
    void PickFromDictionary();
    void ReadFields();

    CQueryEditLogic m_logic;
    QPlainTextEdit* m_pText = nullptr;
    QPlainTextEdit* m_pErrors = nullptr;
    QLineEdit* m_pName = nullptr;
    QLabel* m_pNameLabel = nullptr;
    QCheckBox* m_pSaveToDb = nullptr;
    QCheckBox* m_pShowInTable = nullptr;
    QPushButton* m_pExecute = nullptr;
    QPushButton* m_pStartEditing = nullptr;
    QPushButton* m_pLoad = nullptr;
    QPushButton* m_pCut = nullptr;
    QPushButton* m_pPaste = nullptr;
    QLabel* m_pLine = nullptr;
    QLabel* m_pColumn = nullptr;
};

class CDlgSelectDictObject : public QDialog {
public:
    enum : int { kInsertEntity = 7041, kInsertAttribute = 7043 };
    explicit CDlgSelectDictObject(const CzorStepData* store, QWidget* parent = nullptr);
    // The name chosen by the button that closed the dialog.
    const std::string& ChosenName() const { return m_Chosen; }
    void SelectEntity(int index);

private:
    const CzorStepData* m_pStore;
    QComboBox* m_pEntities;
    QComboBox* m_pAttrs;
    std::string m_Chosen;
};
