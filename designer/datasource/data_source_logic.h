#pragma once
// The data-source set-up (dialog 162, "Источник данных") and the combined-field dialog (207): which
// columns report generation reads, from the data file's header line or an add-in query, the columns
// computed from them, and the run-time parameters a query brings. The logic works on copies that hold no
// store records; the report manager and its store change only on OK.
#include <functional>
#include <string>
#include <vector>

#include "report/model/data_source.h"

class CFolivox;

namespace quillmark {

struct CAddinQuery;

// Asks for a text under a caption (the simple input dialog); false when cancelled.
using AskTextFn = std::function<bool(const std::string& caption, std::string& text)>;
// The combined-field dialog: name and function in and out; false when cancelled.
using CombinedFieldFn = std::function<bool(const CHeader& source, std::string& name, std::string& function)>;

// The header line of a data file split as the data-file reader splits it: fields at commas outside
// quotes, quotes removed, a trailing CR dropped.
std::vector<std::string> SplitHeaderLine(const std::string& line);

class CDataSourceDlgLogic {
public:
    struct Param {
        std::string name;
        int type = 0;
    };
    struct Row {
        std::string first, second;
    };

    explicit CDataSourceDlgLogic(CFolivox* manager);
    // Without a manager the dialog does not open.
    bool CanOpen() const { return m_pManager != nullptr; }

    CHeader& Source() { return m_Source; }
    CHeader& Additional() { return m_Additional; }
    std::vector<Param>& Params() { return m_Params; }
    const std::string& LastFile() const { return m_LastFile; }

    // The lists as shown: source fields (name, type text) and additional fields (source part, path or
    // formula).
    std::vector<Row> SourceRows() const;
    std::vector<Row> AdditionalRows() const;

    // "Получить данные из файла...": the source fields from the file's header line. False after
    // "Не могу прочесть файл <path>" or "Файл пуст!" (the source list is then empty).
    bool LoadFromFile(const std::string& path);
    // "Получить данные из запроса...": the query's mode-1 call fills the source fields and parameters.
    void LoadFromQuery(const quillmark::CAddinQuery& query);
    // "+": a path field under the selected source field (which must hold instances).
    bool AddPathField(int sourceRow, const AskTextFn& ask);
    // "Add": a combined field, asked again after each invalid input until valid or cancelled.
    bool AddCombinedField(const CombinedFieldFn& ask);
    // "Prop": edits the path or the combined field of an additional row.
    bool EditAdditional(int row, const AskTextFn& ask, const CombinedFieldFn& askCombined);
    // "Del".
    bool DeleteAdditional(int row);
    // OK: brings the manager's headers, parameters, sections and texts in line with the dialog; the
    // removed columns' and parameters' store records are deleted once each. True when anything changed.
    bool Apply();

private:
    // The first failing test's message shown; exceptColumn: the column being edited, which may keep its name.
    bool ValidateCombined(const std::string& name, const std::string& function, const CHeaderColumn* exceptColumn);

    CFolivox* m_pManager;
    CHeader m_Source;
    CHeader m_Additional;
    std::vector<Param> m_Params;
    std::string m_LastFile;
};

}  // namespace quillmark
