// The dictionary as the store loads it. The input is the dictionary; after a NUL byte may follow an exchange
// file, read against that dictionary (entities and attributes the report dictionary never declares) and,
// when it loads, saved twice with the same bytes.
#include "fuzz/fuzz_support.h"
#include "platform/zordata/zordata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto [dictionary, file] = fuzz::SplitAtNul(data, size);
    const std::string dictPath = fuzz::PathOf("fuzz.dict");
    fuzz::WriteFile(dictPath, dictionary);
    CzorStepDataWithFile store;
    if (!store.LoadDictionaryFromFile(dictPath.c_str())) {
        if (store.HasDictionary()) fuzz::Fail("dictionary", "a refused dictionary was kept");
        return 0;
    }
    if (file.empty()) return 0;
    const std::string in = fuzz::PathOf("in.step");
    fuzz::WriteFile(in, file);
    if (!store.LoadFromFile(in.c_str())) return 0;
    // Both saves go to one name: the header holds the file's name.
    const std::string out = fuzz::PathOf("out.step");
    std::string saved[2];
    for (std::string& bytes : saved) {
        if (!store.SaveToFile(out.c_str()))
            fuzz::Fail("dictionary", std::string("a loaded store cannot be saved: ") + store.GetLastErrorDescription());
        bytes = fuzz::ReadFile(out);
    }
    fuzz::SameBytes("dictionary", "saving twice", saved[0], saved[1]);
    return 0;
}
