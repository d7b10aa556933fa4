#include "fuzz/fuzz_support.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/base/file_io.h"
#include "platform/base/tempfile.h"
#include "platform/gdi/fixed_text_measurer.h"
#include "platform/gdi/text_measurer.h"
#include "platform/ui/messages.h"
#include "platform/zordata/clock.h"

namespace fuzz {
namespace {

// Answers every box with its default button and keeps nothing: millions of inputs each show a message.
class QuietSink : public zor::IMessageSink {
public:
    int Show(const std::string&, const std::string&, unsigned type) override { return zor::DefaultAnswer(type); }
};

std::string MakeFolder() {
    std::string error;
    const std::string dir = zor::PrivateTempDir(&error);
    if (dir.empty()) {
        std::fprintf(stderr, "fuzz: no private folder: %s\n", error.c_str());
        std::abort();
    }
    // The profile and the transport settings of the machine stay out of the run: the installed
    // dictionary and the default settings apply.
    ::setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
    ::setenv("ZOR_TRANSPORT_INI", (dir + "/ZorTransport.ini").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QuietSink sink;
    zor::SetMessageSink(&sink);
    // Measuring with fixed metrics needs no fonts and gives the same pages on every machine; the override
    // stays for the whole run.
    static CFixedTextMeasurer measurer;
    static CScopedTextMeasurer* scoped = new CScopedTextMeasurer(measurer);
    (void)scoped;
    // Store files carry a time stamp: a fixed one, so that two saves of the same content compare equal.
    zor::SetClock([] { return std::time_t{1262304000}; });  // 2010-01-01 00:00 UTC
    return dir;
}

}  // namespace

const std::string& Folder() {
    static const std::string dir = MakeFolder();
    return dir;
}

std::string PathOf(std::string_view name) { return Folder() + "/" + std::string(name); }

void WriteFile(const std::string& path, std::string_view bytes) {
    // A plain write: the atomic writer's flushes to disk would cost more than most inputs take to read.
    FILE* f = std::fopen(path.c_str(), "wb");
    const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (!f || std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "fuzz: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        std::abort();
    }
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    zor::ReadWholeFile(path, bytes);
    return bytes;
}

std::string DictionaryPath() { return QM_DICT_DIR "/quillmark"; }

std::string SourcePath(std::string_view relative) { return QM_SOURCE_DIR "/" + std::string(relative); }

void Fail(const char* target, const std::string& what) {
    std::fprintf(stderr, "fuzz %s: %s\n", target, what.c_str());
    std::fflush(stderr);
    std::abort();
}

std::pair<std::string_view, std::string_view> SplitAtNul(const uint8_t* data, size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t nul = all.find('\0');
    if (nul == std::string_view::npos) return {all, {}};
    return {all.substr(0, nul), all.substr(nul + 1)};
}

}  // namespace fuzz
