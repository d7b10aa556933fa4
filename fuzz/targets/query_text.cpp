// The query language's text as a user types it into the query editor: the editor's own handling of the
// text (line ends, code page, where an error is) and the parser, over a store holding the query schema and
// a few instances. The same text parses the same way every time, also with a parser used before, and a
// text that does not parse says why and points inside the text.
#include "fuzz/fuzz_support.h"
#include "platform/zordata/query_parser.h"
#include "platform/zordata/zordata.h"
#include "zorStepData/CzorData_Client/net_step_data.h"

namespace {

struct Schema {
    Schema() {
        store.SetErorPrintMode(false);
        if (!store.LoadDictionaryFromFile(fuzz::SourcePath("platform/tests/data/query.dict").c_str()))
            fuzz::Fail("query_text", "no query schema");
        int id = 4001;
        for (const char* entity : {"person", "employee", "place"}) store.CreateInstanceBN(entity)->SetId(id++);
    }
    CzorStepData store;
};

struct Outcome {
    bool parsed = false;
    int code = 0;
    std::string message;
};

Outcome Parse(CzorQLQueryParser& parser, const std::string& text) {
    Outcome out;
    out.parsed = zorParseQueryText(parser, text, &out.message);
    out.code = parser.GetErrorCode();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Schema* schema = [] {
        fuzz::Folder();
        return new Schema;
    }();
    const std::string text(reinterpret_cast<const char*>(data), size);
    CzorQLQueryParser parser(&schema->store), fresh(&schema->store);
    const Outcome first = Parse(parser, text);
    if (first.parsed != parser.m_bValid) fuzz::Fail("query_text", "the result and the query's valid mark differ");
    if (!first.parsed && first.message.empty()) fuzz::Fail("query_text", "a refused text says nothing");
    if (!first.parsed && first.code != 0) {
        std::string message;
        int line = 0, column = 0, position = 0, length = 0;
        parser.GetErrorInfo(message, line, column, &position, &length);
        // The parser reads the text in a single-byte code page: never more bytes than the UTF-8 text.
        if (line >= 0 && (position < 0 || static_cast<size_t>(position) > text.size() || length < 0 ||
                          length > position))
            fuzz::Fail("query_text", "the error points outside the text: offset " + std::to_string(position) +
                                         ", token of " + std::to_string(length));
    }
    const Outcome again = Parse(parser, text);
    const Outcome other = Parse(fresh, text);
    for (const Outcome* o : {&again, &other})
        if (o->parsed != first.parsed || o->code != first.code || o->message != first.message)
            fuzz::Fail("query_text", "parsing the same text twice differs");
    return 0;
}
