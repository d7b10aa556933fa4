// Replays files through a fuzz target without fuzzing: each argument is a file or a folder of files (read
// in name order, hidden files skipped), and every file is given once to LLVMFuzzerTestOneInput. A target
// that finds a fault aborts, which fails the run; the sanitizer build stops on any memory fault.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void Collect(const std::filesystem::path& path, std::vector<std::filesystem::path>& files) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ec))
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
                files.push_back(entry.path());
    } else if (std::filesystem::is_regular_file(path, ec)) {
        files.push_back(path);
    } else {
        std::fprintf(stderr, "replay: %s is neither a file nor a folder\n", path.c_str());
        std::exit(2);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        std::vector<std::filesystem::path> found;
        Collect(argv[i], found);
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
            return 2;
        }
        std::fprintf(stderr, "replay: %s (%zu bytes)\n", file.c_str(), bytes.size());
        // A block of exactly the file's size, so that a read past its end is caught as under the fuzzer.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
        std::copy(bytes.begin(), bytes.end(), exact.get());
        LLVMFuzzerTestOneInput(exact.get(), bytes.size());
    }
    std::printf("replayed %zu files\n", files.size());
    return 0;
}
