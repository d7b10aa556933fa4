// The networked store reading what a hostile server answers: the first byte chooses the request the
// rest answers (a load, query or search reply merged into the store; the database list; the users'
// log; instance history; the rights of a few instances), the rest is the whole reply message as it
// comes off the wire. The header, the status and the body are read as the client reads them; a reply
// may be refused, never crash the client or leave a half-merged store behind.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/transport/wire.h"
#include "zorStepData/CzorData_Client/access.h"
#include "zorStepData/CzorData_Client/connection_dialogs.h"
#include "zorStepData/CzorData_Client/net_step_data.h"
#include "zorStepData/CzorData_Client/transport_client.h"
#include "zorStepData/CzorData_Client/users_log.h"

namespace {

constexpr const char* kName = "client_replies";

class ClientStore : public CzorNetStepData {
public:
    using CzorNetStepData::MakeExtFromDbuf;
};

ClientStore& Store() {
    static ClientStore* store = [] {
        auto* s = new ClientStore;
        s->SetErorPrintMode(false);
        s->SetErrorMessageMode(false);
        s->SetNetErrorMessageMode(false);
        s->SetServerChecks(false);
        if (!s->LoadDictionaryFromFile((fuzz::DictionaryPath() + ".dict").c_str())) fuzz::Fail(kName, "no dictionary");
        return s;
    }();
    return *store;
}

// The instances a request names, made afresh for each input.
CzorInstance* Agent(ClientStore& store, int32_t id) {
    CzorInstance* i = store.CreateInstanceBN("zor_user", false, true);
    if (!i) fuzz::Fail(kName, "the dictionary has no zor_user");
    i->SetId(id);
    return i;
}

// A load, query, search, active users or deleted list reply merged as the store merges it: the
// whole reply is checked before anything is kept.
void Merge(ClientStore& store, CzorDataBuf& body) {
    if (!store.ApploadFromDataBuf(body, nullptr, zorBufText::Cp1251)) {
        if (store.GetInstances().GetSize() != 0) fuzz::Fail(kName, "a refused reply left instances");
        return;
    }
    CzorTAggr<CzorInstance> ext;
    std::vector<int32_t> withValues;
    store.MakeExtFromDbuf(body, ext);
    zorStepBufBlockIds(store, body, withValues, zorBufText::Cp1251);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9) return 0;
    ClientStore& store = Store();
    store.ClearData();
    const int selector = data[0] % 5;
    CzorDataBuf buf;
    buf.Add(data + 1, size - 1);
    const int32_t version = zor::net::LoadI32(data + 1);
    const int32_t command = zor::net::LoadI32(data + 5);
    CTransportSocketClient transport;
    if (transport.CheckReplyHeader(buf, command, "lb") != 0) return 0;
    int status = 0;
    uint8_t offer = 0;
    if (!ReadReplyStatus(buf, version, status, offer) || status != 0) return 0;
    int32_t n = 0;
    if (!buf.Read(n) || n < 0 || static_cast<size_t>(n) > buf.GetRemaining()) return 0;
    CzorDataBuf body;
    body.Add(buf.GetCurBuffer(), static_cast<size_t>(n));
    switch (selector) {
    case 0: Merge(store, body); break;
    case 1: {
        std::vector<std::string> names;
        zor::net::ParseBaseList(body.GetBuffer(), body.GetSize(), names);
        break;
    }
    case 2: {
        std::vector<std::unique_ptr<SUserLogInfo>> records;
        zorReadUsersLogReply(body, records);
        break;
    }
    case 3: {
        CzorTAggr<SInstInfo> records(4, false, true);
        for (int32_t id : {3902, 3903, 5000}) {
            auto* r = new SInstInfo;
            r->instance = Agent(store, id);
            records.Add(r);
        }
        CzorInstance* agent = records.GetAt(1)->instance;
        zorReadInstHistoryReply(body, records, [&](int32_t id) { return id == 3903 ? agent : nullptr; });
        break;
    }
    case 4: {
        CzorInstance* user = Agent(store, 3903);
        CzorInstance* thing = Agent(store, 5000);
        zorUsers users;
        users.AddList(nullptr)->Add(thing, 1, zorAccessReadOnly);
        users.AddList(user)->Add(thing, 1, zorAccessOwn);
        zorReadAccessGetReply(body, users);
        break;
    }
    }
    store.ClearData();
    return 0;
}
