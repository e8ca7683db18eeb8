// A configuration read through CDeviceChannel against the emulator, beside a raw round trip
// of the same size (a 1-byte request, a 1024-byte answer) on the same kind of socket.
#include "Emulator.h"
#include "device/DeviceChannel.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

void BM_ChannelRead(benchmark::State& state) {
    EmulatorProcess emu;
    auto image = std::make_unique<BYTE[]>(16385);
    CDeviceChannel channel;
    if (!channel.Open()) {
        state.SkipWithError("emulator not reachable");
        return;
    }
    BYTE selector = kSelectCurrent;
    for (auto _ : state) {
        if (!channel.Read(image.get(), &selector, 1024))
            state.SkipWithError("read failed");
    }
    channel.Close();
}
BENCHMARK(BM_ChannelRead)->UseRealTime();

void BM_ChannelOpenReadClose(benchmark::State& state) {
    EmulatorProcess emu;
    auto image = std::make_unique<BYTE[]>(16385);
    BYTE selector = kSelectCurrent;
    for (auto _ : state) {
        CDeviceChannel channel;
        if (!channel.Open() || !channel.Read(image.get(), &selector, 1024))
            state.SkipWithError("read failed");
        channel.Close();
    }
}
BENCHMARK(BM_ChannelOpenReadClose)->UseRealTime();

void BM_RawRoundTrip(benchmark::State& state) {
    int sv[2];
    socketpair(AF_UNIX, SOCK_STREAM, 0, sv);
    std::thread peer([fd = sv[1]] {
        char request[17];
        char reply[1032] = {};
        while (read(fd, request, sizeof(request)) == sizeof(request))
            if (write(fd, reply, sizeof(reply)) != sizeof(reply))
                break;
    });
    char request[17] = {};
    char reply[1032];
    for (auto _ : state) {
        if (write(sv[0], request, sizeof(request)) != sizeof(request))
            break;
        size_t got = 0;
        while (got < sizeof(reply)) {
            ssize_t n = read(sv[0], reply + got, sizeof(reply) - got);
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
    }
    shutdown(sv[0], SHUT_RDWR);
    close(sv[0]);
    peer.join();
    close(sv[1]);
}
BENCHMARK(BM_RawRoundTrip)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
