#pragma once
// The query tree as it travels in a request of command 32 (format: query_wire.md beside this file).
// The writer is CzorQLQuery::SaveToDataBuf; the reader below checks every count, index, length and
// code before it builds a node, and refuses trees that share nodes or run in a cycle.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/zordata/databuf.h"

class CzorQLQuery;
class CzorInstance;

constexpr char kzorQueryTreeSignature[] = "zor_ql_tree V 0.1";
constexpr size_t kzorQueryTreeSignatureSize = sizeof kzorQueryTreeSignature;  // 18

// Reads a tree into query (emptied first; its store gives the dictionary). Instance ids become
// instances through resolve (a null result refuses the tree). False with a reason in error, and
// query empty, for anything malformed.
bool zorReadQueryTree(CzorDataBuf& buf, CzorQLQuery& query, const std::function<CzorInstance*(int32_t)>& resolve,
                      std::string* error = nullptr, zorBufText text = zorBufText::Cp1251);
