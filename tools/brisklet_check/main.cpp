// brisklet-check's entry point where arguments and output are UTF-8 bytes.
#include <chrono>
#include <cstdio>

#include "tools/brisklet_check/cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string out;
    std::string err;
    TCheckSetup setup;
    const auto ticks = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    setup.ClockSeed = static_cast<uint32_t>(ticks ^ (ticks >> 32));
    const int status = RunCheck(args, setup, out, err);
    // Standard output takes bytes as they are here, a list file included.
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return status;
}
