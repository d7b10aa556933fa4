// The HTML generator's templates: the input is a template, then after a NUL the value lists (one per
// line: the title's, rows', a parameter's and the closing part's). The template is filled in the calling
// order a report uses; every call answers 0, the output stays a whole file, and the page is read back
// and its body cut out.
#include <fstream>
#include <sstream>

#include "controls/html/html_gen.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr const char* kName = "html_template";

std::string NextLine(std::string_view& rest) {
    const size_t end = rest.find('\n');
    std::string line(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    return line;
}

void Expect(int result, const char* call) {
    if (result != 0) fuzz::Fail(kName, std::string(call) + " failed on a readable template: " + std::to_string(result));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string tpl = fuzz::PathOf("template.htm"), out = fuzz::PathOf("report.htm");
    auto [text, values] = fuzz::SplitAtNul(data, size);
    fuzz::WriteFile(tpl, text);
    // The slot counts come from the value part's first bytes, so every count is reached.
    const unsigned char titleSlots = values.empty() ? 17 : static_cast<unsigned char>(values[0]);
    const unsigned char rowSlots = values.size() < 2 ? 9 : static_cast<unsigned char>(values[1]);
    std::string_view lists = values.size() > 2 ? values.substr(2) : std::string_view();
    zor::CHtmlGen gen(titleSlots, rowSlots, tpl, out, ';');
    Expect(gen.CreateTitle(NextLine(lists)), "CreateTitle");
    for (int row = 0; row < 3; ++row) Expect(gen.AddRow(NextLine(lists), 0x00FF1005u * static_cast<unsigned>(row)), "AddRow");
    Expect(gen.AddParam(NextLine(lists), "fcolor", "bcolor"), "AddParam");
    Expect(gen.AddParam(NextLine(lists), "#FFFFFF", "#000000"), "AddParam");
    Expect(gen.CreatePS(NextLine(lists)), "CreatePS");

    const std::string page = fuzz::ReadFile(out);
    // Every line of the page came from a template line with its line end, so the page ends with one.
    if (!page.empty() && page.back() != '\n') fuzz::Fail(kName, "the page does not end with a line end");
    std::ifstream file(out, std::ios::binary);
    std::string read;
    Expect(zor::CHtmlGen::ReadHtmlToString(&read, file), "ReadHtmlToString");
    std::string body = read;
    const std::string cut = zor::CHtmlGen::GetBody(&body);
    if (cut.size() > read.size()) fuzz::Fail(kName, "a body longer than its page");
    return 0;
}
