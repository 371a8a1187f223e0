// The host stand-in as the demo and a developer use it.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/win/test_support.h"

namespace {

struct TRun {
    DWORD ExitCode = 0;
    std::string Output;
};

// Runs brisklet-host.exe with the arguments, feeding input on stdin.
TRun RunHost(const std::wstring& args, const std::string& input = std::string()) {
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, inRead = nullptr, inWrite = nullptr;
    ::CreatePipe(&outRead, &outWrite, &sa, 0);
    ::CreatePipe(&inRead, &inWrite, &sa, 0);
    ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = inRead;
    si.hStdOutput = outWrite;
    si.hStdError = outWrite;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + ProgramFolder() + L"brisklet-host.exe\" " + args;
    TRun run;
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        run.ExitCode = 999;
        return run;
    }
    ::CloseHandle(outWrite);
    ::CloseHandle(inRead);
    DWORD written = 0;
    if (!input.empty()) {
        ::WriteFile(inWrite, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    }
    ::CloseHandle(inWrite);
    char buf[4096];
    DWORD got = 0;
    while (::ReadFile(outRead, buf, sizeof buf, &got, nullptr) && got > 0) {
        run.Output.append(buf, got);
    }
    ::WaitForSingleObject(pi.hProcess, 30000);
    ::GetExitCodeProcess(pi.hProcess, &run.ExitCode);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(outRead);
    return run;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(HostStandIn, SaysWhatIsWrong) {
    TRun run = RunHost(L"--dll C:\\no\\such\\Brisklet.dll start");
    EXPECT_EQ(run.ExitCode, 1u);
    EXPECT_TRUE(Has(run.Output, "error: cannot load C:\\no\\such\\Brisklet.dll")) << run.Output;

    TPluginFolder folder(L"host-bad");
    const std::wstring dll = L"--dll \"" + folder.Dll() + L"\" ";
    run = RunHost(dll + L"jump");
    EXPECT_EQ(run.ExitCode, 2u);
    EXPECT_TRUE(Has(run.Output, "error: unknown command 'jump'")) << run.Output;
    run = RunHost(dll + L"status x y z");
    EXPECT_EQ(run.ExitCode, 2u);
    EXPECT_TRUE(Has(run.Output, "wants an icon number")) << run.Output;
    // Not a plug-in: a DLL without the export.
    run = RunHost(L"--dll C:\\windows\\system32\\version.dll quit");
    EXPECT_EQ(run.ExitCode, 1u);
    EXPECT_TRUE(Has(run.Output, "does not export CreateVostekPLUGIN")) << run.Output;
}

TEST(HostStandIn, PrintsChangesAndKeepsItsStoreBetweenRuns) {
    TPluginFolder folder(L"host-run");
    folder.Write(L"list.txt", "one/nltwo\r\n");
    const std::wstring store = folder.File(L"store.txt");
    const std::wstring args = L"--dll \"" + folder.Dll() + L"\" --store \"" + store + L"\" ";

    TRun run = RunHost(args + L"start show quit");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_TRUE(Has(run.Output, "store: interval 120 unit 0 mode 0 selection \"\"")) << run.Output;

    run = RunHost(args + L"set selection ;;;;5;; set interval 1 resume status 5 Beer \"Cold one\" wait 1.5 quit");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_TRUE(Has(run.Output, "icon 5  Status \"Beer\"  xStatus \"Cold one\"")) << run.Output;
    EXPECT_TRUE(Has(run.Output, "icon 5  Status \"Beer\"  xStatus \"one\\r\\ntwo\"")) << run.Output;

    // Commands on standard input, and the store file from the run before.
    run = RunHost(args, "show\nstatus 7 Angry Grr\n# a comment\nquit\n");
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_TRUE(Has(run.Output, "store: interval 1 unit 0 mode 0 selection \";;;;5;;\"")) << run.Output;
    EXPECT_TRUE(Has(run.Output, "icon 7  Status \"Angry\"  xStatus \"Grr\"")) << run.Output;
    EXPECT_FALSE(Has(run.Output, "error")) << run.Output;
}

}  // namespace
