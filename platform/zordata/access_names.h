#pragma once
// Access modes of the networked store's instances and their texts.
#include <cstdint>
#include <string>

// A lower value is a stronger right; 4 means "not set" (no individual access, or leave unchanged).
enum zorAccessModeType : int32_t {
    zorAccessOwn = 0,
    zorAccessReadWrite = 1,
    zorAccessReadOnly = 2,
    zorAccessNone = 3,
    zorAccessNotSet = 4,
};

// readable false: the pattern word ("OWN", "RW", "RO", "NA"; empty for any other mode), which access
// patterns read back. readable true: the short name shown in the access dialogs. `longText` asks
// for the descriptive sentence instead of the short name. False for a mode outside 0..4.
bool GetNameAccess(zorAccessModeType mode, std::string& text, bool readable, bool longText = false);

// The mode a pattern word names (case matters), or zorAccessNotSet.
zorAccessModeType zorAccessModeFromWord(const std::string& word);
