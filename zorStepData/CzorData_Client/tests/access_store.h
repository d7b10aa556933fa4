#pragma once
// A networked store without a connection for the access tests: a small dictionary of agents (users
// and groups) and points, server checks and error boxes off, so that the agents in memory stand for
// the server's.
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/base/tempfile.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

namespace access_test {

constexpr const char* kAccessDict = R"(SCHEMA access_test;
ENTITY zor_access_agent;
  name : OPTIONAL STRING;
END_ENTITY;
ENTITY zor_user SUBTYPE OF (zor_access_agent);
  groups : OPTIONAL LIST [0:?] OF zor_workgroup;
END_ENTITY;
ENTITY zor_workgroup SUBTYPE OF (zor_access_agent);
  members : OPTIONAL INTEGER;
END_ENTITY;
ENTITY zor_point;
  x : OPTIONAL INTEGER;
END_ENTITY;
END_SCHEMA;
)";

class AccessStore : public CzorNetStepData {
public:
    using CzorNetStepData::CheckInstState;
    void LogIn(CzorInstance* user) { m_pCurrUser = user; }

    // The dictionary goes through a file in the process's own temporary folder: test processes run
    // side by side.
    bool LoadAccessDictionary() {
        const std::string path = zor::PrivateTempDir() + "/access_test.dict";
        std::ofstream(path) << kAccessDict;
        const bool loaded = LoadDictionaryFromFile(path.c_str());
        std::remove(path.c_str());
        SetServerChecks(false);
        SetNetErrorMessageMode(false);
        return loaded;
    }
    // A saved-looking instance of that id, named when a name is given.
    CzorInstance* Make(const char* entity, int id, const char* name = nullptr) {
        CzorInstance* i = CreateInstanceBN(entity, false, true);
        i->SetId(id);
        if (name) PutAttr(i, GetAttrDefinition(i->GetEntity(), "name"), name);
        return i;
    }
};

}  // namespace access_test
