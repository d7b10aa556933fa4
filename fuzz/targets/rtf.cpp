// RTF as the rich edit takes it in (SetRTF, the clipboard): read whole, never failing hard, always with a
// paragraph; what was read, written and read again writes the same bytes.
#include "controls/text/rtf_document.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr const char* kName = "rtf";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Folder();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const zor::RtfReadResult read = zor::ReadRtf(text);
    if (read.doc.paragraphs.empty()) fuzz::Fail(kName, "a text read into no paragraph");
    // The first trip may round offsets to what RTF can say; from then on the writer and reader agree.
    const std::string first = zor::WriteRtf(read.doc);
    const zor::RtfReadResult again = zor::ReadRtf(first);
    if (!again.error.empty()) fuzz::Fail(kName, "our own RTF is not read back: " + again.error);
    const std::string second = zor::WriteRtf(again.doc);
    const zor::RtfReadResult third = zor::ReadRtf(second);
    fuzz::SameBytes(kName, "writing what was read", second, zor::WriteRtf(third.doc));
    return 0;
}
