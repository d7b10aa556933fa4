#include "platform/appserver/store_file.h"

#include <unordered_map>

#include "platform/appserver/database.h"
#include "platform/zordata/databuf.h"
#include "platform/zordata/stepdatafile.h"

namespace zor::appserver {
namespace {

// The dictionary is named by its file; the store takes its folder and name without ".dict".
bool LoadDictionary(CzorStepDataWithFile& store, const std::string& dictionary, std::string& error) {
    std::string path = dictionary;
    if (path.size() > 5 && path.compare(path.size() - 5, 5, ".dict") == 0) path.resize(path.size() - 5);
    if (store.LoadDictionary(path.c_str())) return true;
    error = store.GetLastErrorDescription();
    return false;
}

}  // namespace

bool ImportStoreFile(ServerDatabase& db, const std::string& dictionary, const std::string& file, std::string& error) {
    CzorStepDataWithFile store;
    if (!LoadDictionary(store, dictionary, error)) return false;
    // A file that may not be written loads all the same (error 24): it is only read here.
    if (!store.LoadFromFile(file.c_str()) && store.GetLastError() != zorErrReadOnly) {
        error = store.GetLastErrorDescription();
        return false;
    }
    // The database's ids take the place of the file's, so references written as ids point at
    // the new rows.
    int32_t next = db.NextInstanceId();
    const auto& all = store.GetInstances();
    std::vector<CzorInstance*> live;
    for (int i = 0; i < all.GetSize(); ++i) {
        CzorInstance* inst = all.GetAt(i);
        if (!inst || inst->IsDeleted() || !inst->GetEntity()) continue;
        inst->SetId(next++);
        live.push_back(inst);
    }
    std::vector<InstanceRow> rows;
    rows.reserve(live.size());
    for (CzorInstance* inst : live) {
        CzorDataBuf buf;
        for (CzorAttr* attr : inst->GetEntity()->GetAllAttrs()) {
            CzorValue v;
            store.GetAttr(inst, attr, v);
            if (!zorAppendBufValue(buf, v)) {
                error = "a value cannot be written: instance of " + inst->GetEntity()->GetName();
                return false;
            }
        }
        rows.push_back({inst->GetId(), inst->GetEntity()->GetName(),
                        std::vector<unsigned char>(buf.GetBuffer(), buf.GetBuffer() + buf.GetSize())});
    }
    if (!db.PutInstances(rows)) {
        error = db.IsReadOnly() ? "the database is read-only" : "the database refused the instances";
        return false;
    }
    // Users of the file come with their passwords in their rows: kept hashed at once, not at the
    // next opening.
    if (!db.ConvertPasswords()) {
        error = "the passwords of the imported users cannot be kept";
        return false;
    }
    return true;
}

bool ExportStoreFile(ServerDatabase& db, const std::string& dictionary, const std::string& file, std::string& error) {
    CzorStepDataWithFile store;
    if (!LoadDictionary(store, dictionary, error)) return false;
    // Two passes: references may point forward.
    std::unordered_map<int32_t, CzorInstance*> byId;
    std::vector<InstanceRow> rows;
    db.ForEachInstance([&](const InstanceRow& r) {
        if (CzorEntity* e = store.GetEntityBN(r.entity)) {
            if (CzorInstance* inst = store.CreateInstance(e)) {
                byId[r.id] = inst;
                rows.push_back(r);
            }
        }
        return true;
    });
    const auto resolve = [&](int32_t id) -> CzorInstance* {
        auto it = byId.find(id);
        return it == byId.end() ? nullptr : it->second;
    };
    for (const auto& r : rows) {
        CzorInstance* inst = byId[r.id];
        CzorDataBuf buf;
        buf.SetExternalData(r.data.data(), r.data.size());
        for (CzorAttr* attr : inst->GetEntity()->GetAllAttrs()) {
            CzorValue v;
            if (!zorReadBufValue(buf, v, resolve)) {
                error = "instance " + std::to_string(r.id) + " of " + r.entity + " cannot be read";
                return false;
            }
            if (!v.IsEmpty()) store.PutAttr(inst, attr, v);
        }
    }
    if (!store.SaveToFile(file.c_str())) {
        error = store.GetLastErrorDescription();
        return false;
    }
    return true;
}

}  // namespace zor::appserver
