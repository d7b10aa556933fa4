#pragma once
// The add-in dialogs: the query choice (175, "Выбор источника данных") and the add-in settings (174,
// "Настройка дополнений").
#include <string>
#include <vector>

#include <QDialog>

#include "designer/addins/addins.h"

class QListWidget;

namespace quillmark {

// The query choice: one line per query, in load order. Choose gives false after "Источник данных не
// выбран!" when nothing is selected.
bool ChooseQuery(int selected);

class CQueryChoiceDlg : public QDialog {
public:
    CQueryChoiceDlg(const std::vector<CAddinQuery>& queries, QWidget* parent = nullptr);
    // The chosen query after exec() returned Accepted.
    int Chosen() const { return m_nChosen; }

private:
    QListWidget* m_pList;
    int m_nChosen = -1;
};

class CAddinSettingsLogic {
public:
    struct Line {
        std::string path;  // as written in "report.add"
        std::string text;  // as shown
        bool loadable = false;
    };

    explicit CAddinSettingsLogic(std::string dictionaryDir);

    const std::vector<Line>& Lines() const { return m_Lines; }
    // Probes the library and appends its line; false after "Не могу прочесть модуль: <path>" or "Модуль не
    // является дополнением Quillmark!".
    bool Add(const std::string& path);
    void Remove(int index);
    // Writes every line's path to "report.add", replacing the file atomically. False after a message when
    // the file could not be written: the dialog then stays open and the old list is kept.
    bool Save();

private:
    Line MakeLine(const std::string& path) const;

    std::string m_DictionaryDir;
    std::vector<Line> m_Lines;
};

class CAddinSettingsDlg : public QDialog {
public:
    explicit CAddinSettingsDlg(const std::string& dictionaryDir, QWidget* parent = nullptr);
    CAddinSettingsLogic& Logic() { return m_Logic; }

private:
    void FillList();

    CAddinSettingsLogic m_Logic;
    QListWidget* m_pList;
};

}  // namespace quillmark
