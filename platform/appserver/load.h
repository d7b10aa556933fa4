#pragma once
// The server's side of loading (command 43): a batch of 24-byte load requests answered with one
// "zor_step_data V 0.2" buffer, texts in code page 1251.
//
// Request body: "Load query bufer v0.1" (22 bytes with the zero), or "Load query bufer v0.2" followed
// by a text (the client's source description, for the log); then int32 count and count records
// {int32 pos, char type, 3 pad, int32 id, int32 entity, int32 attribute, bool a, bool b, 2 pad}.
//
// What each request type brings (ids that name nothing bring nothing; instance states are 0):
//   'a'  the instance `id` with all its values (unset ones as type 0);
//   'e'  every instance of entity `entity` and of its subtypes, with all values;
//   'i'  the value of attribute `attribute` of instance `id` (unset: type 0);
//   'd'  the history of that value: this server keeps no history, so the current value, as 'i';
//   'b'  the instance `id` named only: its header without values (it exists, its entity, state);
//   'r'  the instances (of entity `entity`, or of any when 0) whose attribute `attribute` (any when
//        0) refers to instance `id`, with all values.
// Flag a clear: the instances come as headers only. Flag b set: the instances that the brought
// values refer to come with their values too (one level). Every instance a value refers to is in
// the headers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CzorStepData;

namespace zor::appserver {

class ServerDatabase;
class AccessView;

struct LoadQuery {
    int32_t pos = 0;
    char type = 0;
    int32_t id = 0;
    int32_t entity = 0;
    int32_t attr = 0;
    bool flagA = true;
    bool flagB = false;
};
constexpr size_t kLoadQuerySize = 24;

// Reads the request body. False for a wrong signature, a count the bytes cannot hold or bytes left
// over; `source` receives the v0.2 description (UTF-8).
bool ParseLoadRequest(const unsigned char* data, size_t size, std::vector<LoadQuery>& out, std::string* source);

// Answers the queries from the database into `scratch` (emptied; it holds the dictionary) and the
// reply buffer. Returns the status: 0, or why nothing was answered.
// Instances the user may not see are left out as if they did not exist, and every instance's state
// is the user's mode on it.
int32_t AnswerLoad(ServerDatabase& db, CzorStepData& scratch, const std::vector<LoadQuery>& queries,
                   std::vector<unsigned char>& reply, AccessView& access);

// Command 27, "deleted instances": the instances that saves removed from the database, in the
// order they were removed, each with the values it had then (state 0). A value that refers to
// another deleted instance refers to its header; one that refers to a live instance names it
// without its values. Instances of entities the dictionary lacks are left out, and so are those the
// user could not see when they were deleted.
int32_t AnswerDeleted(ServerDatabase& db, CzorStepData& scratch, AccessView& access, std::vector<unsigned char>& reply);

}  // namespace zor::appserver
