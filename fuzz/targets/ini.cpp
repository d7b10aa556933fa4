// INI files as "ZorTransport.ini" is read: parsed, every entry looked up, one value set and one section
// dropped, and written: the text reads back to itself. The same bytes then serve as the transport settings
// file the program reads at start.
#include "fuzz/fuzz_support.h"
#include "platform/base/inifile.h"
#include "platform/base/transport_ini.h"

namespace {

constexpr const char* kName = "ini";

// The text the file gives once parsed, and that text parsed and written again: the same.
void RoundTrip(const zor::IniFile& ini) {
    const std::string first = ini.Text();
    zor::IniFile again;
    again.Parse(first);
    fuzz::SameBytes(kName, "writing what was read", first, again.Text());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Folder();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    zor::IniFile ini;
    ini.Parse(text);
    RoundTrip(ini);
    const std::vector<std::string> sections = ini.SectionNames();
    for (const std::string& section : sections)
        for (const std::string& key : ini.KeyNames(section))
            if (!ini.Get(section, key)) fuzz::Fail(kName, "a listed key has no value");
    // A value with every kind of byte the writer must quote survives its round trip.
    const std::string value = "\"a\\b;c=d\" \xD0\xB6 \xFF ";
    if (ini.SetString("Paths", "Dictionary", value)) {
        if (ini.GetString("Paths", "Dictionary") != value) fuzz::Fail(kName, "a value set does not read back");
        zor::IniFile again;
        again.Parse(ini.Text());
        if (again.GetString("Paths", "Dictionary") != value) fuzz::Fail(kName, "a value written does not read back");
    }
    if (!sections.empty()) ini.DeleteSection(sections.front());
    RoundTrip(ini);

    fuzz::WriteFile(zor::TransportIniPath(), text);
    zor::IniFile transport;
    zor::LoadTransportIni(transport);
    if (zor::DictionaryDir().empty() || zor::DictionaryDir().back() != '/')
        fuzz::Fail(kName, "the dictionary folder does not end with '/'");
    return 0;
}
