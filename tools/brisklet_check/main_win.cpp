// brisklet-check's entry point on Windows: wide arguments become UTF-8, files
// without a mark are read in the system's code page as the plug-in reads
// them, and the console is told that the report is UTF-8.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "core/list_file.h"
#include "tools/brisklet_check/cli.h"

namespace {

std::string ToUtf8(const wchar_t* text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) {
        return std::string();
    }
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.pop_back();
    return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(ToUtf8(argv[i]));
    }
    TCheckSetup setup;
    setup.Ansi = &AnsiToUtf16;
    setup.AnsiDescription = "ANSI: the system's code page, " + std::to_string(::GetACP());
    setup.AnsiName = "code page " + std::to_string(::GetACP()) + " (the system's)";
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    setup.ClockSeed = static_cast<uint32_t>(counter.LowPart) ^ ::GetTickCount();
    std::string out;
    std::string err;
    bool outIsFile = false;
    const int status = RunCheck(args, setup, out, err, &outIsFile);
    if (outIsFile) {
        // A list's CR LF must not become CR CR LF.
        _setmode(_fileno(stdout), _O_BINARY);
    }
    const UINT oldCodePage = ::GetConsoleOutputCP();
    ::SetConsoleOutputCP(CP_UTF8);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    std::fflush(stdout);
    std::fflush(stderr);
    if (oldCodePage != 0) {
        ::SetConsoleOutputCP(oldCodePage);
    }
    return status;
}
