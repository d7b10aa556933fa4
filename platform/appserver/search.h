#pragma once
// The server's searches by attribute values: command 36 (is any other instance holding the values?
// 0 or 114) and command 37 (the instances holding them, as a "zor_step_data V 0.2" buffer with all
// their values, texts in code page 1251). The request is the buffer "zor_TestFindBuf V 0.103":
// entity id, id to leave out, n criteria, m referred instance ids, n times (attribute id, value
// with references as positions among the m), pattern flag, case flag, string bind mode. Matching
// is the client's own (attr_match.h).
#include <cstddef>
#include <cstdint>
#include <vector>

class CzorStepData;

namespace zor::appserver {

class ServerDatabase;
class AccessView;

// `scratch` holds the dictionary (emptied before and after). Returns the status; for a search (not
// `uniqueTest`) on 0 the reply body.
// A search leaves out what the user may not see (a uniqueness test still counts it).
int32_t AnswerFind(ServerDatabase& db, CzorStepData& scratch, const unsigned char* data, size_t size, bool uniqueTest,
                   std::vector<unsigned char>& reply, AccessView& access);

}  // namespace zor::appserver
