// brisklet-check's entry point where arguments and output are UTF-8 bytes.
#include <cstdio>

#include "tools/brisklet_check/cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string out;
    std::string err;
    // Standard output takes bytes as they are here, a list file included.
    const int status = RunCheck(args, TCheckSetup{}, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return status;
}
