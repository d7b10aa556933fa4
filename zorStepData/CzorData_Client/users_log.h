#pragma once
// Who is connected, the users' log and the history of instances, as the application server gives
// them (users_log.cpp), and the rows of the instance properties dialog (inst_properties.h).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/zordata/taggr.h"

class CzorInstance;
class CzorDataBuf;

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

// Reads a users' log reply from its start: 0; 16 for a wrong signature; 172 for a count, text
// length or record the bytes do not hold, or bytes left over. Nothing is kept on failure.
int zorReadUsersLogReply(CzorDataBuf& reply, std::vector<std::unique_ptr<SUserLogInfo>>& records);
// Reads a history reply from its start into the records (agents found by `agent`): 0, or 172 for
// a wrong signature or count, an unexpected instance id or a record cut short. A reply that ends
// early leaves the later records as they were.
int zorReadInstHistoryReply(CzorDataBuf& reply, CzorTAggr<SInstInfo>& records,
                            const std::function<CzorInstance*(int32_t)>& agent);
