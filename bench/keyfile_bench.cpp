// SaveKeyFile (Apply's nine entries) and LoadKeyFile on a 50 MB key file, in two shapes:
// other sections before [OEM] (the nine entries at the end of the file), and [OEM] first
// with 50 MB of other entries before the nine.
// "--peak-memory=save|load [--inside]" instead prints the peak resident size of one call.
#include "device/KeyStoreFile.h"
#include "device/ConfigImage.h"
#include "device/WepKeyTable.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr size_t kFileSize = 50u << 20;

// The file of a user who has pressed Apply, padded to 50 MB. Written in pieces, so that making the
// file costs the process no memory of its size.
void MakeKeyFile(bool junkInside) {
    FILE* f = std::fopen("OEM.tmp", "wb");
    if (!f)
        std::abort();
    if (junkInside)
        std::fputs("[OEM]\r\n", f);
    size_t written = 0;
    char line[64];
    for (unsigned i = 0; written < kFileSize; ++i) {
        int n = i % 64 == 0 && !junkInside
                    ? std::snprintf(line, sizeof(line), "[section%u]\r\n", i)
                    : std::snprintf(line, sizeof(line), "key%u=value %u\r\n", i, i * 7919u);
        std::fwrite(line, 1, static_cast<size_t>(n), f);
        written += static_cast<size_t>(n);
    }
    if (!junkInside)
        std::fputs("[OEM]\r\n", f);
    // The nine entries of an all-zero table and image, as Apply leaves them.
    std::fputs("0=000000000000\r\n", f);
    for (int e = 1; e <= 8; ++e)
        std::fprintf(f, "%d=%s\r\n", e,
                     ScrambleKeyText(std::string(e <= 4 ? 10 : 26, '0')).c_str());
    std::fclose(f);
}

struct Setup {
    char folder[32] = "/tmp/ap-keyfile-bench-XXXXXX";
    std::unique_ptr<ConfigImage> image = std::make_unique<ConfigImage>();
    explicit Setup(bool junkInside) {
        if (!mkdtemp(folder) || chdir(folder) != 0)
            std::abort();
        g_pConfigImage = image.get();
        MakeKeyFile(junkInside);
    }
    ~Setup() {
        g_pConfigImage = nullptr;
        std::remove("OEM.tmp");
        if (chdir("/tmp") == 0)
            rmdir(folder);
    }
};

void BM_SaveKeyFile(benchmark::State& state) {
    Setup setup(state.range(0) != 0);
    BYTE value = 0;
    for (auto _ : state) {
        // A different key each time, so that every Apply really writes the file.
        g_wepKeyTable.keys64[0][0] = ++value;
        g_wepKeyTable.keys128[3][12] = value;
        SaveKeyFile();
    }
}
BENCHMARK(BM_SaveKeyFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadKeyFile(benchmark::State& state) {
    Setup setup(state.range(0) != 0);
    for (auto _ : state)
        LoadKeyFile();
}
BENCHMARK(BM_LoadKeyFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    bool inside = false;
    const char* peak = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--inside") == 0)
            inside = true;
        if (std::strncmp(argv[i], "--peak-memory=", 14) == 0)
            peak = argv[i] + 14;
    }
    if (peak) {
        Setup setup(inside);
        long before = PeakKiB();
        if (std::strcmp(peak, "save") == 0) {
            g_wepKeyTable.keys64[0][0] ^= 0xFF;
            SaveKeyFile();
        } else {
            LoadKeyFile();
        }
        std::printf("peak %s%s %ld KiB (before the call %ld KiB; file %zu KiB)\n", peak,
                    inside ? " inside" : "", PeakKiB(), before, kFileSize >> 10);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
