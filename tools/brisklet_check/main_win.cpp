// brisklet-check's entry point on Windows: wide arguments become UTF-8, files
// without a mark are read in the system's code page as the plug-in reads
// them, and the console is told that the report is UTF-8. Dropped files are
// arguments like any other.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "base/utf.h"
#include "base/wide.h"
#include "core/list_file.h"
#include "tools/brisklet_check/cli.h"

namespace {

// Started from the file manager (a double-click, or files dropped on it),
// the program is alone on a console of its own, which closes as it ends and
// takes the report with it. In a console window others share, or with none,
// there is nothing to wait for.
bool AloneOnItsConsole() {
    DWORD processes[2];
    return ::GetConsoleProcessList(processes, 2) == 1;
}

// Until a line ends or the input does.
void WaitForEnter() {
    std::fputs("\nPress Enter to close this window.\n", stderr);
    std::fflush(stderr);
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    char c = 0;
    DWORD got = 0;
    while (::ReadFile(input, &c, 1, &got, nullptr) && got == 1 && c != '\n') {
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool alone = AloneOnItsConsole();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(Utf16ToUtf8(FromWide(argv[i])));
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
    if (alone) {
        WaitForEnter();
    }
    if (oldCodePage != 0) {
        ::SetConsoleOutputCP(oldCodePage);
    }
    return status;
}
