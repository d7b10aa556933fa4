#pragma once
// The server's side of saving (command 31): one "zor_step_data V 0.2" buffer of new, changed and
// deleted instances, applied as one transaction or not at all, answered with "zor_step_data
// V 0.101" and, per header in request order, int32 instance id and int16 entity id.
//
// Checked before anything is written: the dictionary name and number (67), every header's entity
// (71) and every block's attributes (72), values that fit their attributes and references that name
// a header of the buffer (58); an instance that has an id must exist with that entity (61). New
// instances (id 0) get ids from a counter that never gives an id twice. A deleted instance's row
// goes, and every reference to it in other rows with it (a list loses the item), so that every
// stored reference resolves.
//
// A request carrying a token (framing.h) is recorded with its reply in the same transaction: the
// same token again gets the recorded reply and changes nothing, so a client that lost a reply can
// send the portion again without creating anything twice.
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class CzorStepData;
class CzorInstance;

namespace zor::appserver {

class ServerDatabase;
class AccessView;

// Instances standing for the ids that stored rows refer to, so that a row can be read, compared and
// written back with its references as they were (one per id: equal ids are the same pointer).
class RefStandIns {
public:
    explicit RefStandIns(CzorStepData& store) : m_store(store) {}
    CzorInstance* For(int32_t id);

private:
    CzorStepData& m_store;
    std::unordered_map<int32_t, CzorInstance*> m_byId;
};

constexpr char kSaveReplySignature[] = "zor_step_data V 0.101";

// Applies the buffer. `scratch` holds the dictionary (it is emptied before and after). Returns the
// status (0: applied, or the recorded reply of the token) and, on 0, the reply body. Deleted instances
// are kept among the deleted ones under the view's user, who is also the creator or last updater of
// what the save wrote. Changing an instance needs read-write and deleting it full access; making a
// user or a group needs an administrator (else 125, nothing applied). A password given for a user
// is kept hashed, never in the row.
int32_t ApplySave(ServerDatabase& db, CzorStepData& scratch, const unsigned char* data, size_t size,
                  const uint64_t* token, std::vector<unsigned char>& reply, AccessView& access);

}  // namespace zor::appserver
