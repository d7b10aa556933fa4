#include <gtest/gtest.h>

#include "platform/zordata/stepdata.h"
#include "zorStepData/CzorData_Client/net_error_texts.h"

TEST(StatusTexts, Table) {
    struct Case { int code; const char* detail; std::string want; };
    const std::vector<Case> cases = {
        {0, "", "Сообщение транспорта: Ошибки нет\r\n(ZOR_NET_OK)"},
        {176, "a.txt", "Сообщение клиента: Не найден файл: a.txt\r\n(ZOR_NET_CLI_FNF)"},
        {200, "x", "Сообщение транспорта: Неизвестная ошибка c id 200"},
        {50, "", "Сообщение транспорта: Неизвестная ошибка c id 50"},
        {114, "", "Сообщение транспорта: Неизвестная ошибка c id 114"},
        {-1, "", "Сообщение транспорта: Неизвестная ошибка c id -1"},
        {20, "ignored", CzorStepData::GetErrorDescription(20)},
        {175, "", "Сообщение клиента: Ошибка при обработке данных\r\n(ZOR_NET_CLI_ERROR_PROCESSED)"},
        {55, "", "Сообщение с сервера приложений \t: Invalid dictionary\r\n(ZOR_NET_SRV_ZORAPIERR_BADDICTIONARY)"},
        {150, "", "Сообщение транспорта: Неверная версия буфера/nВероятно версия клиента не совпадает с версией "
                  "сервера приложений\r\n(ZOR_SOCK_MISSED_VERSION)"},
        {141, "", "Сообщение с сервера приложений: Ошибочные данные\r\n(ZOR_NET_BO_SRV_MISSED_DATA)"},
        {143, "", "Сообщение сервера: Ошибка при обработке данных\r\n(ZOR_NET_BO_SRV_ERROR_PROCESSED)"},
    };
    for (const auto& c : cases) EXPECT_EQ(ZOR_NET_ERROR2char(c.code, c.detail), c.want) << c.code;
    // Every listed code has a text with its name: 85 codes.
    int named = 0;
    for (int code = -5; code < 260; ++code)
        if (ZOR_NET_ERROR2char(code, "").find("\r\n(") != std::string::npos) ++named;
    EXPECT_EQ(named, 85);
    EXPECT_FALSE(std::string(CzorStepData::GetErrorDescription(175)).empty());
}

TEST(SystemErrorTexts, Table) {
    char storage[303];
    char* buf = storage;
    EXPECT_EQ(std::string(HRESULT2char(ECONNREFUSED, &buf)), "   Connection refused  ( ECONNREFUSED 111 ) ");
    EXPECT_EQ(buf, storage);
    EXPECT_EQ(std::string(HRESULT2char(0, &buf)), "   Success  ( SUCCESS 0 ) ");
    EXPECT_EQ(std::string(HRESULT2char(6119, &buf)), "I don't know this error");
    EXPECT_EQ(std::string(HRESULT2char(-1, &buf)), "I don't know this error");
    EXPECT_EQ(HRESULT2char(5, nullptr), nullptr);
}
