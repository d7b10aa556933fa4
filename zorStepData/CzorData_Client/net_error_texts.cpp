#include "zorStepData/CzorData_Client/net_error_texts.h"

#include <cstring>

#include <fmt/format.h>

#include "platform/transport/net_errors.h"
#include "platform/zordata/stepdata.h"

namespace {

struct CodeText {
    int code;
    const char* name;
    const char* text;
};

#define SRV "Сообщение с сервера приложений: "
#define SRVS "Сообщение с сервера приложений : "
#define TR "Сообщение транспорта: "
#define CLI "Сообщение клиента: "
#define VER "/nВероятно версия клиента не совпадает с версией сервера приложений"

const CodeText kTexts[] = {
    {0, "ZOR_NET_OK", TR "Ошибки нет"},
    {52, "ZOR_NET_SRV_ZORAPIERR_NODATA", SRV "No data"},
    {53, "ZOR_NET_SRV_ZORAPIERR_BADTYPE", SRV "Invalid data type"},
    {54, "ZOR_NET_SRV_ZORAPIERR_FILE_IO", SRV "Error file I/O"},
    {55, "ZOR_NET_SRV_ZORAPIERR_BADDICTIONARY", "Сообщение с сервера приложений \t: Invalid dictionary"},
    {56, "ZOR_NET_SRV_ZORAPIERR_BADENT", SRVS "Invalid entity"},
    {57, "ZOR_NET_SRV_ZORAPIERR_BADATTR", SRVS "Invalid attribute"},
    {58, "ZOR_NET_SRV_ZORAPIERR_BADDATA", SRVS "Invalid data"},
    {59, "ZOR_NET_SRV_ZORAPIERR_ATTRNSET", SRVS "Attribute no set"},
    {60, "ZOR_NET_SRV_ZORAPIERR_BADFILENAME", SRVS "Bad File Name"},
    {61, "ZOR_NET_SRV_ZORAPIERR_BADINSTANCE", SRVS "Bad Instance"},
    {62, "ZOR_NET_SRV_ZORAPIERR_BADINSTANCETYPE", SRVS "Bad Instance type"},
    {63, "ZOR_NET_SRV_ZORAPIERR_BADSCHEMANAME", SRVS "Bad schema name"},
    {64, "ZOR_NET_SRV_ZORAPIERR_NOACCESSRIGHT", SRVS "No Access Right"},
    {65, "ZOR_NET_SRV_ZORAPIERR_DADDICTVERSION", "Сообщение с сервера приложений\t: Invalid dictionary version"},
    {66, "ZOR_NET_SRV_ZORAPIERR_INVALIDDATAFORMAT", SRVS "Invalid data format"},
    {67, "ZOR_NET_SRV_ZORAPIERR_INCOMPATIBLEDICT", SRVS "Uncompatible dictionary"},
    {68, "ZOR_NET_SRV_ZORAPIERR_FICTIVE_DATA", SRVS "Can't use with Fictive data"},
    {69, "ZOR_NET_SRV_ZORAPIERR_QUERY_ERROR", SRVS "Ошибка при обработке запроса"},
    {70, "ZOR_NET_SRV_ZORAPIERR_DICT_FILE_NOT_OPEN", SRVS "Ошибка чтения словаря"},
    {71, "ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ENTINY_ID", SRVS "Invalid entity ID in file"},
    {72, "ZOR_NET_SRV_ZORAPIERR_BADDATA_INVALID_ATTR_ID", SRVS "Invalid attr ID in file"},
    {73, "ZOR_NET_SRV_ZORAPIERR_FILE_BD_NOT_FOUND", SRVS "Файл БД не найден"},
    {74, "ZOR_NET_SRV_ZORAPIERR_FILE_BD_READ_ONLY", SRVS "Файл БД доступен только для чтения"},
    {101, "ZOR_NET_SRV_MISSED_DATA", SRV "Ошибочные данные"},
    {102, "ZOR_NET_SRV_UNKNOWN_USER", SRV "Неизвестный пользователь"},
    {103, "ZOR_NET_SRV_NOT_CONNECT", SRV "Соединение не установлено"},
    {104, "ZOR_NET_SRV_USER_ALREADY_CONNECTED", SRV "Пользователь уже подключен"},
    {105, "ZOR_NET_SRV_USER_IS_ACTIVE", SRV "Пользователь активен"},
    {106, "ZOR_NET_SRV_ERROR_PROCESSED", SRV "Ошибка при обработке данных"},
    {107, "ZOR_NET_SRV_MISSED_NAME_BASE", SRV "Неправильное имя БД"},
    {108, "ZOR_NET_SRV_CORRUPTED_BASE", SRV "БД повреждена"},
    {109, "ZOR_NET_SRV_UNKNOWN_ERROR", SRV "Неизвестная ошибка"},
    {110, "ZOR_NET_SRV_SMALL_BUF", SRV "Недостаточный размер буфера"},
    {111, "ZOR_NET_SRV_BLOB_BUSY", SRV "BLOB занят другой операцией"},
    {112, "ZOR_NET_SRV_BLOB_NOT_FOUND", SRV "BLOB не найден"},
    {113, "ZOR_NET_SRV_BLOB_NOT_DEFINE", SRV "BLOB не определен"},
    {115, "ZOR_NET_SRV_ORACLE_ERROR", SRV "Ошибка ядра БД"},
    {117, "ZOR_NET_SRV_BREAK", "Текущая операция прервана пользователем!"},
    {119, "ZOR_NET_SRV_ORACLE_NAVAIL", SRV "Ядро БД недоступно"},
    {120, "ZOR_NET_SRV_MISSED_BASE_VERSION", SRV "Версия ядра БД Tessaline в ORACLE не соответствует версии сервера приложений"},
    {121, "ZOR_NET_SRV_AGGR_TOO_MUCH_LONG", SRV "Слишком длинный список"},
    {122, "ZOR_NET_SRV_STRING_TOO_MUCH_LONG", SRV "Слишком длинная строка"},
    {123, "ZOR_NET_SRV_TEMPORARY_BUF_CORRUPTED", SRV "Поврежден временный буфер"},
    {124, "ZOR_NET_SRV_MISSED_ATTR_VAL_TYPE", SRV "Неверный тип значения атрибута"},
    {125, "ZOR_NET_SRV_ACCESS_DENY", SRV "Отсутствуют права для выполнения операции"},
    {127, "ZOR_NET_SRV_MISSED_BUF_FORMAT", SRV "Неверный формат буфера"},
    {128, "ZOR_NET_SRV_QUERY_PARSE_ERROR", SRV "Ошибка разбора запроса"},
    {129, "ZOR_NET_SRV_ILLEGAL_ATTR_TYPE", SRV "Недопустимый тип атрибута"},
    {130, "ZOR_NET_SRV_MISSED_OBJECT", SRV "Объект не найден"},
    {131, "ZOR_NET_SRV_CORRUPTED_ACLST", SRV "Поврежден список прав доступа"},
    {132, "ZOR_NET_SRV_USER_DISABLED", SRV "Доступ пользователя к БД заблокирован"},
    {134, "ZOR_NET_SRV_USER_READ_ONLY", SRV "Доступ пользователя к БД ограничен чтением"},
    {138, "ZOR_NET_SRV_FUNCTION_ONLY_ORACLE", SRV "Функция доступна только для БД в ORACLE"},
    {139, "ZOR_NET_SRV_LOAD_DONT_EXECUTABLE", "Сообщение с сервера: Загрузка не может быть выполнена"},
    {141, "ZOR_NET_BO_SRV_MISSED_DATA", SRV "Ошибочные данные"},
    {142, "ZOR_NET_BO_SRV_NOT_CONNECT", "Сообщение сервера: Соединение не установлено"},
    {143, "ZOR_NET_BO_SRV_ERROR_PROCESSED", "Сообщение сервера: Ошибка при обработке данных"},
    {144, "ZOR_NET_BO_SRV_SERVER_LOCKED", SRV "Сервер заблокирован программой администрирования! Отсоединитесь от сервера!"},
    {145, "ZOR_NET_BO_SRV_TOO_MANY_SERVER", SRV "Запущено слишком много серверов"},
    {146, "ZOR_NET_BO_ERROR_CREATE_BASE", SRV "Ошибка при создании БД"},
    {147, "ZOR_NET_BO_BASE_LIST_EMPTY", SRV "Список БД пуст или отсутствует"},
    {150, "ZOR_SOCK_MISSED_VERSION", TR "Неверная версия буфера" VER},
    {151, "ZOR_SOCK_MISSED_COMMAND", TR "Вызываемая команда отсутствует" VER},
    {152, "ZOR_SOCK_MISSED_FUNCTION", TR "Вызываемая функция отсутствует" VER},
    {153, "ZOR_SOCK_MISSED_FUNCT_PARAM", TR "Неверные параметры функции" VER},
    {154, "ZOR_SOCK_FUNCTION_OBSOLETTE", TR "Вызываемая функция устарела" VER},
    {160, "ZOR_SOCK_ERROR_PROCESSED", TR "Ошибка механизма сокетов"},
    {161, "ZOR_SOCK_CONNECT_FAULT", TR "Соединение с сервером прервано в процессе операции"},
    {162, "ZOR_SOCK_OPERATION_IN_PROGRESS", TR "Выполняется другая операция"},
    {171, "ZOR_NET_CLI_MISSED_DATA", CLI "Ошибочные данные"},
    {172, "ZOR_NET_CLI_MISSED_DATA_FROM_SERVER", CLI "С сервера приложений получены ошибочные данные"},
    {173, "ZOR_NET_CLI_NOT_CONNECT", CLI "Соединение не установлено"},
    {174, "ZOR_NET_CLI_ALREADY_CONNECT", CLI "Соединение уже установлено"},
    {175, "ZOR_NET_CLI_ERROR_PROCESSED", CLI "Ошибка при обработке данных"},
    {176, "ZOR_NET_CLI_FNF", CLI "Не найден файл: "},
    {177, "ZOR_NET_CLI_FNCREATE", CLI "Не удалось создать файл: "},
    {178, "ZOR_NET_CLI_NET_ERROR", CLI "Ошибка сетевого механизма"},
    {179, "ZOR_NET_CLI_LIST_OF_BASE_EMPTY", CLI "Список баз пуст"},
    {180, "ZOR_NET_CLI_MISSED_ATTR_TYPE", CLI "Неверный тип атрибута"},
    {181, "ZOR_NET_CLI_MISSED_CONNECTION_REC", CLI "Неправильная запись в списке подключений в файле конфигурации"},
    {182, "ZOR_NET_CLI_QUERY_BUF_FULL", CLI "Буфер запросов не очищен от предыдущего запроса"},
    {183, "ZOR_NET_CLI_BREAK", CLI "Операция была прервана пользователем"},
    {184, "ZOR_NET_CLI_ERROR_REESTR", CLI "Ошибка при работе с реестром"},
    {185, "ZOR_NET_CLI_FILE_BIG", CLI "Слишком большой размер файла: "},
};

#undef SRV
#undef SRVS
#undef TR
#undef CLI
#undef VER

// Symbolic names of the error numbers a network client meets; others are shown by number only.
const char* ErrnoName(long code) {
    switch (code) {
    case 0: return "SUCCESS";
    case EPERM: return "EPERM"; case ENOENT: return "ENOENT"; case EINTR: return "EINTR"; case EIO: return "EIO";
    case EBADF: return "EBADF"; case EAGAIN: return "EAGAIN"; case ENOMEM: return "ENOMEM"; case EACCES: return "EACCES";
    case EEXIST: return "EEXIST"; case ENOTDIR: return "ENOTDIR"; case EISDIR: return "EISDIR"; case EINVAL: return "EINVAL";
    case EMFILE: return "EMFILE"; case ENOSPC: return "ENOSPC"; case EPIPE: return "EPIPE"; case ENOEXEC: return "ENOEXEC";
    case ECONNREFUSED: return "ECONNREFUSED"; case ECONNRESET: return "ECONNRESET"; case ECONNABORTED: return "ECONNABORTED";
    case ETIMEDOUT: return "ETIMEDOUT"; case EHOSTUNREACH: return "EHOSTUNREACH"; case ENETUNREACH: return "ENETUNREACH";
    case EADDRINUSE: return "EADDRINUSE"; case EADDRNOTAVAIL: return "EADDRNOTAVAIL"; case ENOTCONN: return "ENOTCONN";
    case EINPROGRESS: return "EINPROGRESS"; case ENOTSOCK: return "ENOTSOCK"; case ENETDOWN: return "ENETDOWN";
    default: return nullptr;
    }
}

}  // namespace

std::string ZOR_NET_ERROR2char(int code, const std::string& detail) {
    if (code >= 1 && code <= 49) return CzorStepData::GetErrorDescription(code);
    for (const auto& t : kTexts)
        if (t.code == code) return std::string(t.text) + detail + "\r\n(" + t.name + ")";
    return fmt::format("Сообщение транспорта: Неизвестная ошибка c id {}", code);
}

char* HRESULT2char(long code, char** buffer) {
    if (!buffer || !*buffer) return nullptr;
    const char* name = ErrnoName(code);
    std::string text;
    if (!name) {
        text = "I don't know this error";
    } else {
        char buf[256] = {};
        const char* s = code == 0 ? "Success" : ::strerror_r(static_cast<int>(code), buf, sizeof buf);
        text = fmt::format("   {}  ( {} {} ) ", s, name, code);
    }
    const size_t n = std::min<size_t>(text.size(), 302);
    std::memcpy(*buffer, text.data(), n);
    (*buffer)[n] = 0;
    return *buffer;
}
