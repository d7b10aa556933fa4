// The clipboard's records: the first byte chooses what the rest is read as (an element record with its
// kind, a section record, a text record). A record that reads is written out, that copy read into a new
// object and written again: the same bytes both times, and as many as GetMemSize says.
#include <memory>

#include "fuzz/fuzz_support.h"
#include "platform/zordata/zordata.h"
#include "report/model/element_factory.h"
#include "report/model/folivox.h"
#include "report/model/mem_record.h"
#include "report/model/report_element.h"
#include "report/model/report_section.h"
#include "report/model/text_value.h"

namespace {

constexpr const char* kName = "records";

struct Model {
    Model() {
        fuzz::Folder();
        if (!store.LoadDictionary(fuzz::DictionaryPath().c_str())) fuzz::Fail(kName, "no dictionary");
        manager.Attach(&store, QM_DICT_DIR);
    }
    CzorStepDataWithFile store;
    CFolivox manager;
};

template <class Item>
std::vector<uint8_t> Write(Item& item) {
    std::vector<uint8_t> bytes;
    CRecordWriter out(bytes);
    item.CopyToMem(out);
    if (static_cast<int>(bytes.size()) != item.GetMemSize()) fuzz::Fail(kName, "GetMemSize differs from the record");
    return bytes;
}

void Elements(CFolivox& manager, const uint8_t* data, size_t size) {
    CRecordReader in(data, size);
    std::unique_ptr<CReportElement> element(ReadElementRecord(in, &manager));
    if (!element) return;
    const std::vector<uint8_t> first = Write(*element);
    CRecordReader back(first);
    std::unique_ptr<CReportElement> copy(ReadElementRecord(back, &manager));
    if (!copy || back.Remaining() != 0) fuzz::Fail(kName, "a written element record does not read back whole");
    fuzz::SameBytes(kName, "element record", first, Write(*copy));
}

template <class Item, class... Args>
void Plain(const uint8_t* data, size_t size, Args... args) {
    Item item(args...);
    CRecordReader in(data, size);
    if (!item.LoadDataFromMem(in)) return;
    const std::vector<uint8_t> first = Write(item);
    Item copy(args...);
    CRecordReader back(first);
    if (!copy.LoadDataFromMem(back) || back.Remaining() != 0)
        fuzz::Fail(kName, "a written record does not read back whole");
    fuzz::SameBytes(kName, "record", first, Write(copy));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Model* model = new Model;
    if (size == 0) return 0;
    switch (data[0] % 3) {
        case 0: Elements(model->manager, data + 1, size - 1); break;
        case 1: Plain<CReportSection>(data + 1, size - 1, &model->manager); break;
        default: Plain<CTextValue>(data + 1, size - 1); break;
    }
    return 0;
}
