#pragma once
// The query editor's logic, apart from its window (query_edit_view.h): what its controls allow
// under the lock flags, the syntax check with the offending token to select, the caret position
// display, loading and saving the text as a file, the help page, and the dictionary picker's lists.
// Texts are UTF-8; positions are character offsets in the editor's text (line breaks as one LF).
#include <cstddef>
#include <string>
#include <vector>

#include "platform/zordata/query_parser.h"
#include "zorStepData/CzorData_Client/net_ui.h"

class CzorNetStepData;

class CQueryEditLogic {
public:
    // The sample that an empty text is replaced by.
    static const char* const kSampleQuery;
    // Files larger than this are not loaded as a query text.
    static constexpr size_t kMaxFileSize = 1 << 20;

    // data: what the caller gave, and what OK gives back (kept by reference).
    explicit CQueryEditLogic(zor::net::QueryEditData& data);

    // ---- Lock flags
    bool CanStartEditing() const { return m_data.textLocked && !m_data.nameLocked; }
    bool IsTextReadOnly() const { return m_data.textLocked; }
    bool CanLoadFile() const { return !m_data.textLocked; }
    bool IsNameReadOnly() const { return m_data.nameLocked; }
    bool IsNameEnabled() const { return m_data.nameEnabled; }
    // Once ticked, "save to the database" cannot be cleared here.
    bool IsSaveToDbEnabled() const { return m_data.nameEnabled && !m_bSaveToDbAtStart; }
    bool IsShowInTableEnabled() const { return m_data.nameEnabled; }
    // Cut, paste and the dictionary picker change the text: not while it is locked.
    bool CanChangeText() const { return !m_data.textLocked; }
    // The syntax check needs the store's dictionary.
    bool CanExecute() const { return m_data.store != nullptr; }
    // After the user confirmed "Начать редактирование": the text can be edited (the mode becomes 0).
    void StartEditing() { m_data.textLocked = false; }

    // The text the editor opens with (the sample when the caller's is empty).
    std::string InitialText() const;

    // ---- The syntax check ("Выполнить")
    struct CheckResult {
        bool ok = false;
        std::string message;  // "Ошибка в строке %i позиция %i :%s"
        int selStart = -1;    // the characters to select, within the text; -1: no selection
        int selEnd = -1;
    };
    // Parses text; on success the tree moves to the caller's prepared query and the dialog may close.
    CheckResult Execute(const std::string& text);

    // ---- Position display: the caret's line and column, both from 1.
    static void CaretPosition(const std::string& text, int caret, int& line, int& column);
    static std::string LineText(int line);
    static std::string ColumnText(int column);

    // ---- Files. Load: the whole file as the text, or false with the message (the text stays).
    // Refused: unreadable, larger than kMaxFileSize, holding NUL bytes, not UTF-8, or characters
    // the wire's code page cannot carry. A successful load clears the text lock.
    bool LoadFile(const std::string& path, std::string& text, std::string& message);
    static bool SaveFile(const std::string& path, const std::string& text, std::string& message);

    // ---- Help: the page on the query language beside the installed dictionary.
    static std::string HelpFilePath();
    // The message when the page is missing.
    static std::string HelpMissingMessage(const std::string& path);

    // ---- The dictionary picker: entity names, and the attributes of one entity.
    static std::vector<std::string> EntityNames(const CzorStepData* store);
    static std::vector<std::string> AttributeNames(const CzorStepData* store, const std::string& entity);

    zor::net::QueryEditData& Data() { return m_data; }

private:
    zor::net::QueryEditData& m_data;
    CzorQLQueryParser m_Parser;  // the editor's own parser for the check
    bool m_bSaveToDbAtStart;
};
