// Templates and reports (ISO 10303-21) as the program opens them, and their write-back: a file that loads
// is saved twice with the same bytes, and the saved file loads and saves to those bytes again.
#include "fuzz/fuzz_support.h"
#include "platform/zordata/zordata.h"

namespace {

CzorStepDataWithFile& Store() {
    static CzorStepDataWithFile* store = [] {
        auto* s = new CzorStepDataWithFile;
        if (!s->LoadDictionary(fuzz::DictionaryPath().c_str())) fuzz::Fail("step", "no dictionary");
        return s;
    }();
    return *store;
}

std::string Save(CzorStepDataWithFile& store, const char* name) {
    const std::string path = fuzz::PathOf(name);
    if (!store.SaveToFile(path.c_str()))
        fuzz::Fail("step", std::string("a loaded store cannot be saved: ") + store.GetLastErrorDescription());
    return fuzz::ReadFile(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CzorStepDataWithFile& store = Store();
    const std::string in = fuzz::PathOf("in.zordot");
    fuzz::WriteFile(in, std::string_view(reinterpret_cast<const char*>(data), size));
    if (!store.LoadFromFile(in.c_str())) {
        if (store.GetLastError() == 0) fuzz::Fail("step", "a failed load gave no error");
        if (store.GetInstances().GetSize() != 0) fuzz::Fail("step", "a failed load left instances");
        store.ClearData();
        return 0;
    }
    // Every save goes to one name: the header holds the file's name.
    const std::string first = Save(store, "out.zordot");
    const std::string second = Save(store, "out.zordot");
    fuzz::SameBytes("step", "saving twice", first, second);
    store.ClearData();
    const std::string again = fuzz::PathOf("out.zordot");
    if (!store.LoadFromFile(again.c_str()))
        fuzz::Fail("step", std::string("a saved file does not load: ") + store.GetLastErrorDescription());
    fuzz::SameBytes("step", "saving what was saved", first, Save(store, "out.zordot"));
    store.ClearData();
    return 0;
}
