#include "zorStepData/CzorData_Client/query_edit.h"

#include <sys/stat.h>

#include <algorithm>

#include <fmt/printf.h>

#include "platform/base/config_paths.h"
#include "platform/base/file_io.h"
#include "platform/text/cp1251.h"
#include "platform/text/utf8.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

const char* const CQueryEditLogic::kSampleQuery = "SELECT\n\tExt\nFROM\n\tExt {product.id='12345'}\nEND_SELECT";

CQueryEditLogic::CQueryEditLogic(zor::net::QueryEditData& data)
    : m_data(data), m_Parser(data.store, data.store ? &data.store->QueryLookup() : nullptr),
      m_bSaveToDbAtStart(data.saveToDb) {}

std::string CQueryEditLogic::InitialText() const { return m_data.text.empty() ? kSampleQuery : m_data.text; }

CQueryEditLogic::CheckResult CQueryEditLogic::Execute(const std::string& text) {
    CheckResult r;
    m_data.text = text;
    if (!CanExecute()) return r;
    std::string cp;
    size_t bad = 0;
    int line = 0, column = 0, pos = 0, len = 0;
    std::string message;
    if (!zor::Utf8ToCp1251(text, cp, &bad)) {
        // A character the wire cannot carry: select it.
        const int at = zor::Utf8Length(std::string_view(text).substr(0, bad));
        CaretPosition(text, at, line, column);
        r.message = fmt::sprintf("Ошибка в строке %i позиция %i :%s", line, column, CzorQLQueryParser::ErrorText(131));
        r.selStart = at;
        r.selEnd = at + 1;
        return r;
    }
    if (m_Parser.ParseSelectStatement(cp)) {
        if (m_data.prepared) m_data.prepared->SetFromOlder(m_Parser);
        m_data.parsed = true;
        r.ok = true;
        return r;
    }
    m_Parser.GetErrorInfo(message, line, column, &pos, &len);
    r.message = fmt::sprintf("Ошибка в строке %i позиция %i :%s", line, column, message);
    if (line >= 0) {
        // One code page byte is one character of the text, so the parser's offsets are the editor's.
        const int size = static_cast<int>(cp.size());
        r.selEnd = std::clamp(pos, 0, size);
        r.selStart = std::clamp(pos - len, 0, r.selEnd);
    }
    return r;
}

void CQueryEditLogic::CaretPosition(const std::string& text, int caret, int& line, int& column) {
    line = 1;
    column = 1;
    size_t i = 0;
    for (int k = 0; k < caret && i < text.size(); ++k) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
        i += std::max<size_t>(1, zor::Utf8CharSize(text, i));
    }
}

std::string CQueryEditLogic::LineText(int line) { return fmt::sprintf("Строка: %i", line); }
std::string CQueryEditLogic::ColumnText(int column) { return fmt::sprintf("Позиция: %i", column); }

bool CQueryEditLogic::LoadFile(const std::string& path, std::string& text, std::string& message) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        message = "Не удалось прочитать файл " + path;
        return false;
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxFileSize) {
        message = fmt::sprintf("Файл %s слишком велик для текста запроса (больше %i байт)", path, static_cast<int>(kMaxFileSize));
        return false;
    }
    std::string bytes, error;
    if (!zor::ReadWholeFile(path, bytes, &error)) {
        message = "Не удалось прочитать файл " + path + ": " + error;
        return false;
    }
    if (bytes.size() > kMaxFileSize) {
        message = fmt::sprintf("Файл %s слишком велик для текста запроса (больше %i байт)", path, static_cast<int>(kMaxFileSize));
        return false;
    }
    if (bytes.find('\0') != std::string::npos) {
        message = "Файл " + path + " не является текстом запроса: в нём есть нулевые байты";
        return false;
    }
    std::string cp;
    size_t bad = 0;
    if (!zor::Utf8ToCp1251(bytes, cp, &bad)) {
        int line = 0, column = 0;
        CaretPosition(bytes, zor::Utf8Length(std::string_view(bytes).substr(0, bad)), line, column);
        message = fmt::sprintf("Файл %s: в строке %i позиция %i стоит символ, недопустимый в тексте запроса "
                               "(нужен текст UTF-8 из символов кодовой страницы 1251)",
                               path, line, column);
        return false;
    }
    text.clear();
    for (size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text.push_back(bytes[i]);
    m_data.textLocked = false;
    return true;
}

bool CQueryEditLogic::SaveFile(const std::string& path, const std::string& text, std::string& message) {
    std::string error;
    if (zor::WriteFileAtomically(path, text, &error)) return true;
    message = "Не удалось записать файл " + path + ": " + error;
    return false;
}

std::string CQueryEditLogic::HelpFilePath() { return zor::InstalledDictDir() + "query_language.html"; }

std::string CQueryEditLogic::HelpMissingMessage(const std::string& path) {
    return "Не найден файл справки\n" + path + "\nУстановите руководство \nразработчика из дистрибутива";
}

std::vector<std::string> CQueryEditLogic::EntityNames(const CzorStepData* store) {
    std::vector<std::string> out;
    if (!store) return out;
    for (const CzorEntity* e : store->GetEntities()) out.push_back(e->GetName());
    return out;
}

std::vector<std::string> CQueryEditLogic::AttributeNames(const CzorStepData* store, const std::string& entity) {
    std::vector<std::string> out;
    const CzorEntity* e = store ? store->GetEntityBN(entity) : nullptr;
    if (!e) return out;
    for (const CzorAttr* a : e->GetAllAttrs()) out.push_back(a->GetName());
    return out;
}
