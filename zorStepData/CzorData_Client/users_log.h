#pragma once
// Who is connected, the users' log and the history of instances, as the application server gives
// them (users_log.cpp), and the rows of the instance properties dialog (inst_properties.h).
#include <cstdint>
#include <string>

class CzorInstance;

// One record of the users' log; made on the heap, owned by the caller's list.
struct SUserLogInfo {
    CzorInstance* user = nullptr;
    int32_t userId = 0;
    std::string firstText;   // UTF-8
    std::string secondText;  // UTF-8
    double firstValue = 0;
    double secondValue = 0;
    int32_t lastValue = -1;
};

// One record of instance history; `instance` is set by the caller.
struct SInstInfo {
    CzorInstance* instance = nullptr;
    CzorInstance* creator = nullptr;
    double created = 0.0;  // OLE Automation date; 0: not known
    CzorInstance* updater = nullptr;
    double updated = 0.0;
};
