// Last error of a store and the texts of the codes.
#include <cstdio>
#include <cstdlib>

#include "platform/ui/messages.h"
#include "platform/zordata/stepdata.h"

const char* CzorStepData::GetErrorDescription(int code) {
    switch (code) {
    case zorErrNone: return "Нет ошибки";
    case zorErrNoEntity: return "Сущность не задана или отсутствует в словаре";
    case zorErrNoAttr: return "Атрибут не задан или не принадлежит сущности экземпляра";
    case zorErrBadEntity: return "Неизвестная сущность экземпляра";
    case zorErrNoValue: return "Атрибут не имеет значения";
    case zorErrTypeMismatch: return "Тип значения не соответствует атрибуту";
    case zorErrNoInstance: return "Экземпляр не задан или удален";
    case zorErrAccess: return "Нет прав на изменение экземпляра";
    case zorErrBufSignature: return "Неверный формат буфера данных";
    case zorErrBufDictionary: return "Буфер данных создан для другого словаря";
    case zorErrDictRead: return "Невозможно прочитать словарь";
    case zorErrDictSyntax: return "Ошибка в описании словаря";
    case zorErrNoDictionary: return "Словарь не загружен";
    case zorErrFileOpen: return "Невозможно открыть файл";
    case zorErrReadOnly: return "Файл доступен только для чтения";
    case zorErrFileWrite: return "Ошибка записи файла";
    case zorErrFileSyntax: return "Неверный формат файла данных";
    case zorErrFileSchema: return "Файл данных создан для другого словаря";
    case zorErrFileReference: return "Ссылка на отсутствующий экземпляр";
    case zorErrFileValue: return "Значение не соответствует типу атрибута";
    case zorErrFileNumber: return "Число вне допустимого диапазона";
    case zorErrBlobFile: return "Ошибка чтения или записи файла двоичных данных";
    case zorErrOtherDictionary: return "Хранилища используют разные словари";
    case zorErrNoMemory: return "Недостаточно памяти или внутренняя ошибка хранилища";
    default: return "Неизвестная ошибка";
    }
}

const char* CzorStepData::GetLastErrorDescription() const {
    if (m_bDescPending) {
        m_LastErrorDesc = GetErrorDescription(m_nLastError);
        m_bDescPending = false;
    }
    return m_LastErrorDesc.c_str();
}

void CzorStepData::SetLastError(int code) {
    m_nLastError = code;
    m_bDescPending = code != 0;
    if (code == 0) m_LastErrorDesc.clear();
}

void CzorStepData::SetLastErrorDescription(const std::string& text) {
    m_LastErrorDesc = text;
    m_bDescPending = false;
}

void CzorStepData::SetLastErrorEx(int code, bool bMessage, const char* detail, int line) {
    m_nLastError = code;
    m_bDescPending = false;
    m_LastErrorDesc = GetErrorDescription(code);
    if (detail && *detail) {
        m_LastErrorDesc += ": ";
        m_LastErrorDesc += detail;
    }
    if (line > 0) m_LastErrorDesc += " (строка " + std::to_string(line) + ")";
    // The debugger trace of the error print mode goes to stderr only when asked for.
    if (m_bErrorPrintMode && std::getenv("QM_STORE_TRACE"))
        std::fprintf(stderr, "store error %d: %s\n", code, m_LastErrorDesc.c_str());
    if (bMessage && m_bErrorMessageMode) AfxMessageBox(m_LastErrorDesc, MB_OK | MB_ICONERROR);
}
