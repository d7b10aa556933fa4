#pragma once
// Parts and materials on our application server: a dictionary of its own, database "main" filled
// with them (users "Administrator" without a password and "user"/"pw"), the server on 127.0.0.1, a
// private configuration folder (ZorTransport.ini with the connection "test" and the report
// dictionary's folder), and networked stores logged in on it. Shared by the attribute-path tests and their benchmark; needs no
// test framework.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/appserver/database.h"
#include "platform/appserver/server.h"
#include "platform/base/file_io.h"
#include "platform/base/scramble.h"
#include "platform/tests/test_support.h"
#include "platform/zordata/zordata.h"
#include "report/tests/datasource/parts_dictionary.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

namespace netpath {

// Instances written in a scratch store of the parts dictionary, then put into the database with the
// ids they were given.
class PartsData {
public:
    explicit PartsData(const std::string& dictionary) { m_ok = m_store.LoadDictionaryFromFile(dictionary.c_str()); }
    bool Ok() const { return m_ok; }
    CzorInstance* Make(const char* entity, int id) {
        CzorInstance* inst = m_store.CreateInstanceBN(entity);
        if (inst) inst->SetId(id);
        return inst;
    }
    CzorStepData& Store() { return m_store; }
    // Every instance as a database row: its values in attribute order, references by id.
    std::vector<zor::appserver::InstanceRow> Rows() {
        std::vector<zor::appserver::InstanceRow> rows;
        const auto& all = m_store.GetInstances();
        for (int i = 0; i < all.GetSize(); ++i) {
            CzorInstance* inst = all.GetAt(i);
            CzorDataBuf b;
            for (CzorAttr* attr : inst->GetEntity()->GetAllAttrs()) {
                CzorInstance::CzorValueDefinition* slot = m_store.GetAttrValue(inst, attr);
                zorAppendBufValue(b, slot ? slot->GetValue() : CzorValue());
            }
            rows.push_back({inst->GetId(), inst->GetEntity()->GetName(),
                            std::vector<unsigned char>(b.GetBuffer(), b.GetBuffer() + b.GetSize())});
        }
        return rows;
    }

private:
    CzorStepData m_store;
    bool m_ok = false;
};

// Materials 5001 ("Сталь 45") and 5002 ("Латунь"); parts 6001 (of 5001), 6002 (a bolt "M6" of 5002) and
// 6003 (no material).
inline void FillSampleParts(PartsData& d) {
    CzorStepData& s = d.Store();
    CzorInstance* steel = d.Make("material", 5001);
    s.PutAttrBN(steel, "name", "Сталь 45");
    s.PutAttrBN(steel, "density", 7.85);
    s.PutAttrBN(steel, "grade", 3);
    CzorInstance* brass = d.Make("material", 5002);
    s.PutAttrBN(brass, "name", "Латунь");
    s.PutAttrBN(brass, "density", 8.5);
    CzorInstance* bolt = d.Make("part", 6001);
    s.PutAttrBN(bolt, "name", "Болт");
    s.PutAttrBN(bolt, "count", 4);
    s.PutAttrBN(bolt, "material", steel);
    CzorInstance* screw = d.Make("bolt", 6002);
    s.PutAttrBN(screw, "name", "Винт");
    s.PutAttrBN(screw, "thread", "M6");
    s.PutAttrBN(screw, "material", brass);
    CzorInstance* washer = d.Make("part", 6003);
    s.PutAttrBN(washer, "name", "Шайба");
}

class PartsServer {
public:
    // fill writes the instances; the server starts once they are in the database.
    template <class Fill>
    explicit PartsServer(Fill&& fill) {
        m_dictionary = m_dir / "parts.dict";
        const std::string db = m_dir / ("main" + std::string(zor::appserver::kDatabaseSuffix));
        if (!zor::WriteFileAtomically(m_dictionary, dstest::kPartsDictionary)) return;
        PartsData data(m_dictionary);
        if (!data.Ok() || !zor::appserver::ServerDatabase::Create(db)) return;
        fill(data);
        zor::appserver::ServerDatabase base;
        if (!base.Open(db) || !base.SetUser("user", "pw", false, true) || !base.PutInstances(data.Rows())) return;
        zor::appserver::ServerOptions o;
        o.dataDir = m_dir.Path();
        o.port = 0;
        o.dictionary = m_dictionary;
        m_server = std::make_unique<zor::appserver::AppServer>(o);
        if (!m_server->Start()) return;
        ::setenv("ZOR_TRANSPORT_INI", (m_config / "ZorTransport.ini").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", m_config.Path().c_str(), 1);
        // The report dictionary in the private folder too, so that the program's logs land there.
        std::string dict;
        m_ok = zor::ReadWholeFile(std::string(QM_DICT_DIR) + "/quillmark.dict", dict) &&
               zor::WriteFileAtomically(m_config / "quillmark.dict", dict) &&
               zor::WriteFileAtomically(m_config / "ZorTransport.ini",
                                        "[Paths]\nDictionary=" + m_config.Path() + "/\n[ConnectionsList]\n0=test=127.0.0.1:" +
                                            std::to_string(m_server->Port()) + "/main\n");
    }
    ~PartsServer() {
        ::unsetenv("ZOR_TRANSPORT_INI");
        ::unsetenv("XDG_CONFIG_HOME");
    }
    bool Ok() const { return m_ok; }
    int Port() const { return m_server ? m_server->Port() : 0; }
    const std::string& Config() const { return m_config.Path(); }
    // A store logged in as "user" on connection "test", with its boxes off; null when it cannot log in.
    std::unique_ptr<CzorNetStepData> Connect() const {
        auto store = std::make_unique<CzorNetStepData>();
        store->SetHideMode(true);
        store->GetTransport()->SetInactivityTimeout(20000);
        if (!store->NET_Connect("user", "pw", "test")) return nullptr;
        return store;
    }
    // The instances of these ids named only (no values loaded), in order; null for an id the server lacks.
    static std::vector<CzorInstance*> Named(CzorNetStepData& store, const std::vector<int>& ids) {
        CzorLoadData batch(&store, "netpath");
        for (int id : ids) batch.AddQuery('b', id, nullptr, static_cast<CzorAttr*>(nullptr), true, false);
        std::vector<CzorInstance*> out;
        if (!batch.LoadEx(true)) return out;
        for (int id : ids) out.push_back(store.FindLoadedById(id));
        return out;
    }

private:
    zor::test::ScopedTempDir m_dir, m_config;
    std::string m_dictionary;
    std::unique_ptr<zor::appserver::AppServer> m_server;
    bool m_ok = false;
};

}  // namespace netpath
