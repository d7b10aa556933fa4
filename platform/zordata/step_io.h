#pragma once
// The store's exchange files (ISO 10303-21): writer and reader (inner to the store).
#include <string>
#include <string_view>

#include "platform/zordata/stepdata.h"

namespace zor_detail {

// Writes every live instance of the store, the header naming the file `name` and dated by
// zor::Now(). False (with error) for a value that cannot be written.
bool WriteStepFile(CzorStepData& store, const std::string& name, std::string& out, std::string& error);

struct StepReadError {
    int code = 0;        // zorStoreError
    std::string text;    // what and where
};

// Reads the exchange structure into the store, which must hold the dictionary and no
// instances. On failure the store is left with the instances read so far (the caller
// clears it) and err says what and where.
bool ReadStepFile(CzorStepData& store, std::string_view text, StepReadError& err);

}  // namespace zor_detail
