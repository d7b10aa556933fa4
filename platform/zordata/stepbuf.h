#pragma once
// The instance buffer "zor_step_data V 0.2" that carries instances between a networked store and the
// application server (load replies, saves), shared by both sides:
//
//   char[20]  "zor_step_data V 0.2" with its terminating zero
//   text      the dictionary name (int32 L, L bytes with the zero; see databuf.h)
//   int32     the dictionary number (CzorStepData::GetDictNumber)
//   int32     N, the number of instance headers
//   N times   int32 instance id (0: a new instance), int16 entity id (0: deleted), int8 state
//   blocks    until the end: int32 header index, int32 K, then K times int16 attribute id and the
//             value (zorAppendBufValue; references are header indexes)
//
// A header without a block only names an instance (a reference target, or one whose values were
// not asked for). A value of type 0 in a block says "unset": the slot is then known, not missing.
// Texts are code page 1251 on the wire (zorBufText::Cp1251), UTF-8 in the store's own buffers.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/zordata/databuf.h"

class CzorStepData;
class CzorInstance;
class CzorAttr;
template <class T> class CzorTAggr;

constexpr char kzorStepDataSignature[] = "zor_step_data V 0.2";
constexpr size_t kzorStepDataSignatureSize = sizeof kzorStepDataSignature;  // 20
constexpr size_t kzorStepHeaderSize = 7;

struct zorStepBufHeader {
    int32_t id = 0;
    int16_t entity = 0;
    int8_t state = 0;
};

// What the writer puts into a value block.
enum class zorStepBufValues {
    Set,      // every slot that holds a value
    All,      // every slot, unset ones as type 0 (a full load of the instance)
    Changed,  // the slots with the changed mark (a save)
};

struct zorStepBufWriteOptions {
    zorBufText text = zorBufText::Utf8;
    zorStepBufValues values = zorStepBufValues::Set;
    // When given, the attributes of each instance that are written (a load of single values);
    // `values` still decides whether an unset one is written.
    std::function<bool(const CzorInstance*, const CzorAttr*)> wanted;
};

// Writes the buffer for `instances` (each with a value block, in that order), adding a header
// without a block for every other live instance that their values refer to. Deleted or null
// entries are written as headers with entity 0. `headers`, when given, receives the instances of
// the headers in order. False (buf as it was) when a value cannot be written.
bool zorWriteStepDataBuf(const CzorStepData& store, CzorDataBuf& buf, const std::vector<CzorInstance*>& instances,
                         const zorStepBufWriteOptions& options = {}, std::vector<CzorInstance*>* headers = nullptr);

// The ids of the instances whose headers carry a value block, in block order (the others are only
// named, as reference targets). False, with the store error of a merge, when the buffer does not parse.
bool zorStepBufBlockIds(const CzorStepData& store, CzorDataBuf& buf, std::vector<int32_t>& ids,
                        zorBufText text = zorBufText::Utf8, int* error = nullptr);

// A number for the dictionary's declarations (entities, attributes, their ids and types), the same
// wherever the same dictionary is loaded, never 0.
int32_t zorDictionaryNumber(const CzorStepData& store);
