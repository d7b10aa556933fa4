#pragma once
// The store's exchange files (ISO 10303-21): writer and reader (inner to the store).
#include <functional>
#include <string>
#include <string_view>

#include "platform/zordata/stepdata.h"

namespace zor_detail {

// Takes the file's text block by block, in order; false stops the writing.
using StepSink = std::function<bool(std::string_view)>;

// Writes every live instance of the store, the header naming the file `name` and dated by
// zor::Now(), through the sink. False for a value that cannot be written (error says which) or
// for a block the sink refused (error empty).
bool WriteStepFile(CzorStepData& store, const std::string& name, const StepSink& sink, std::string& error);

struct StepReadError {
    int code = 0;        // zorStoreError
    std::string text;    // what and where
};

// Reads the exchange structure into the store, which must hold the dictionary and no
// instances. On failure the store is left with the instances read so far (the caller
// clears it) and err says what and where.
bool ReadStepFile(CzorStepData& store, std::string_view text, StepReadError& err);

}  // namespace zor_detail
