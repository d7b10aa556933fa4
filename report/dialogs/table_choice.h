#pragma once
// The table choice (template 161, caption "Выбор таблицы"): the sheet combo 1045 "Лист:" and the list
// 1064 "Таблицы:" of that sheet's tables, taken from the manager's table cache so that the tables of a
// sheet not loaded now are offered too.
#include <QDialog>
#include <string>
#include <vector>

class CFolivox;
class CReportSheet;
class CTableElement;
class QComboBox;
class QListWidget;

class CSelectTableDlgLogic {
public:
    explicit CSelectTableDlgLogic(CFolivox* manager);
    // Without a manager the dialog ends at once.
    bool CanOpen() const { return m_pManager != nullptr; }
    std::vector<std::string> SheetNames() const;
    // The sheet's tables: those on the sheet in its order, then cached ones of the sheet it does not hold
    // now (a sheet whose elements are freed), in the cache's order.
    std::vector<CTableElement*> Tables(int sheet) const;
    // OK: false after "Не выбрана таблица." without a table.
    bool Ok(int sheet, int row);
    CTableElement* Chosen() const { return m_pChosen; }

private:
    CFolivox* m_pManager;
    CTableElement* m_pChosen = nullptr;
};

class CSelectTableDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSelectTableDlg(CFolivox* manager, QWidget* parent = nullptr);
    int exec() override;
    CTableElement* Chosen() const { return m_Logic.Chosen(); }

private:
    void FillTables();

    CSelectTableDlgLogic m_Logic;
    QComboBox* m_pSheets;
    QListWidget* m_pTables;
};

// The table choice as the continuation's binding runs it: the chosen table, null when cancelled.
CTableElement* ChooseTable(CFolivox* manager, QWidget* parent = nullptr);
