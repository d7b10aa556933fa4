// The program generating a report from a template of four damaged pictures (image_damaged_pictures.zordot:
// three TIFF pictures claiming 13000 x 13000 pixels in a few hundred bytes, one whose strip does not
// decode), as a user's batch run would: `quillmark -gen` with no display. Reports the wall and processor
// time of a run and the program's peak resident memory. Generation copies the pictures' bytes without
// decoding them, so the figures are those of generating an almost empty report.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "testkit/run_program.h"
#include "platform/tests/test_support.h"

namespace {

std::string ProgramPath() {
    char self[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    return n > 0 ? (std::filesystem::path(std::string(self, static_cast<size_t>(n))).parent_path() / "quillmark").string()
                 : std::string();
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    zor::test::ScopedTempDir dir;
    const std::string root = dir.Path();
    std::filesystem::create_directories(root + "/config");
    Write(root + "/ZorTransport.ini", "[Paths]\nDictionary=" QM_DICT_DIR "/\n");
    Write(root + "/data.csv", "Номер,Название\n1,Первый\n");
    std::filesystem::copy_file(QM_SOURCE_DIR "/bench/image_damaged_pictures.zordot", root + "/t.zordot");

    quillmark_test::ProgramRun run;
    run.program = ProgramPath();
    run.args = {"-gen", root + "/t.zordot", "-path=" + root + "/data", "-outfile=" + root + "/r.zorrep"};
    run.env = {{"DISPLAY", std::nullopt},
               {"WAYLAND_DISPLAY", std::nullopt},
               {"QT_QPA_PLATFORM", std::nullopt},
               {"XDG_CONFIG_HOME", root + "/config"},
               {"ZOR_TRANSPORT_INI", root + "/ZorTransport.ini"}};
    run.timeout = std::chrono::milliseconds(600000);

    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const quillmark_test::ProgramResult r = quillmark_test::RunProgram(run);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!r.started || r.exitStatus != 0) {
            std::fprintf(stderr, "run failed: status %d, signal %d\n%s%s\n", r.exitStatus, r.signal, r.error.c_str(),
                         r.err.c_str());
            return 1;
        }
        best = std::min(best, wall);
    }
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    std::printf("quillmark -gen, four damaged pictures: best wall %.3f s of %d runs, processor %.3f s a run, "
                "peak resident %ld MB\n",
                best, runs, (Seconds(children.ru_utime) + Seconds(children.ru_stime)) / runs,
                children.ru_maxrss / 1024);
    return 0;
}
