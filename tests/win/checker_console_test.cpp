// brisklet-check.exe as the file manager starts it: on a console of its own,
// for a double-click or for files dropped on it (which arrive as arguments),
// and from a console window that another program shares. Its input and
// output are pipes of the test's, so the test sees the prompt, gives or
// withholds the Enter, and reads back what the program left unread.
#include <gtest/gtest.h>

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "base/win_handles.h"
#include "tests/win/test_support.h"

namespace {

const char Prompt[] = "Press Enter to close this window.";
constexpr DWORD OuterGuardMs = 60000;  // only against a hang

// One run of a program with stdin and stdout+stderr on pipes.
class TPipedRun {
public:
    ~TPipedRun() {
        if (FProcess && ::WaitForSingleObject(FProcess.get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(FProcess.get(), 99);
        }
        FInputWrite.reset();
        if (FReader.joinable()) {
            FReader.join();
        }
    }

    // input is in the pipe before the program starts.
    bool Start(std::wstring commandLine, DWORD flags, const std::string& input = "") {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr;
        if (!::CreatePipe(&inRead, &inWrite, &inherit, 1 << 16) ||
            !::CreatePipe(&outRead, &outWrite, &inherit, 1 << 16)) {
            return false;
        }
        const TUniqueKernelHandle childIn(inRead), childOut(outWrite);
        FInputWrite.reset(inWrite);
        FOutputRead.reset(outRead);
        ::SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
        // The test's own view of the input, to count what the program left.
        HANDLE peek = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), inRead, ::GetCurrentProcess(), &peek, 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
        FInputPeek.reset(peek);
        DWORD written = 0;
        if (!input.empty() &&
            !::WriteFile(inWrite, input.data(), static_cast<DWORD>(input.size()), &written, nullptr)) {
            return false;
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = inRead;
        startup.hStdOutput = outWrite;
        startup.hStdError = outWrite;
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup,
                              &info)) {
            return false;
        }
        ::CloseHandle(info.hThread);
        FProcess.reset(info.hProcess);
        FReader = std::thread([this] { ReadAll(); });
        return true;
    }

    // Until text has been printed, or all output has ended.
    std::string OutputWhen(const std::string& text) {
        std::unique_lock<std::mutex> lock(FLock);
        FChanged.wait_for(lock, std::chrono::milliseconds(OuterGuardMs),
                          [&] { return FEnded || FOutput.find(text) != std::string::npos; });
        return FOutput;
    }
    std::string OutputAtEnd() { return OutputWhen(std::string(1, '\0')); }

    bool GiveEnter() {
        DWORD written = 0;
        return ::WriteFile(FInputWrite.get(), "\r\n", 2, &written, nullptr) && written == 2;
    }
    void CloseInput() { FInputWrite.reset(); }
    // Its exit status, or -1 when it did not end.
    long WaitForExit() {
        DWORD status = 0;
        if (::WaitForSingleObject(FProcess.get(), OuterGuardMs) != WAIT_OBJECT_0 ||
            !::GetExitCodeProcess(FProcess.get(), &status)) {
            return -1;
        }
        return static_cast<long>(status);
    }
    bool Running() const { return ::WaitForSingleObject(FProcess.get(), 0) == WAIT_TIMEOUT; }
    // Bytes of the input that nobody has read.
    DWORD InputLeft() const {
        DWORD left = 0;
        ::PeekNamedPipe(FInputPeek.get(), nullptr, 0, nullptr, &left, nullptr);
        return left;
    }

private:
    void ReadAll() {
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(FOutputRead.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
            const std::lock_guard<std::mutex> lock(FLock);
            FOutput.append(buffer, got);
            FChanged.notify_all();
        }
        const std::lock_guard<std::mutex> lock(FLock);
        FEnded = true;
        FChanged.notify_all();
    }

    TUniqueKernelHandle FProcess, FInputWrite, FInputPeek, FOutputRead;
    std::thread FReader;
    std::mutex FLock;
    std::condition_variable FChanged;
    std::string FOutput;
    bool FEnded = false;
};

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

std::wstring Checker() { return ProgramFolder() + L"brisklet-check.exe"; }

}  // namespace

TEST(CheckerConsole, OnAConsoleOfItsOwnWaitsForEnterAfterCheckingDroppedFiles) {
    TTempFolder folder(L"checker-console-own");
    // Dropped files come as full paths, quoted, in any case and any script.
    const std::wstring lists = folder.File(L"Мои списки");
    ASSERT_TRUE(::CreateDirectoryW(lists.c_str(), nullptr));
    folder.Write(L"Мои списки\\List.txt", "one\r\ntwo\r\n");
    folder.Write(L"Мои списки\\statuses.txt", "5|Beer|Friday\r\n");
    TPipedRun run;
    ASSERT_TRUE(run.Start(Quoted(Checker()) + L" " + Quoted(lists + L"\\List.txt") + L" " +
                              Quoted(lists + L"\\statuses.txt"),
                          CREATE_NEW_CONSOLE));
    const std::string shown = run.OutputWhen(Prompt);
    ASSERT_NE(shown.find(Prompt), std::string::npos) << shown;
    const std::string folderUtf8 = Utf8(lists);
    EXPECT_NE(shown.find(folderUtf8 + "\\List.txt (list.txt, "), std::string::npos) << shown;
    EXPECT_NE(shown.find(folderUtf8 + "\\statuses.txt (statuses.txt, "), std::string::npos) << shown;
    EXPECT_NE(shown.find("0 problems, 0 warnings in 2 files."), std::string::npos) << shown;
    // The prompt comes last, after the report.
    EXPECT_LT(shown.find("in 2 files."), shown.find(Prompt));
    EXPECT_TRUE(run.Running());
    EXPECT_EQ(run.InputLeft(), 0u);
    ASSERT_TRUE(run.GiveEnter());
    EXPECT_EQ(run.WaitForExit(), 0);
    EXPECT_EQ(run.InputLeft(), 0u) << "it read the Enter";
}

TEST(CheckerConsole, OnAConsoleOfItsOwnEndsWhenItsInputEnds) {
    // Without a keyboard behind it, waiting would never end.
    TTempFolder folder(L"checker-console-eof");
    folder.Write(L"list.txt", "one\r\n");
    TPipedRun run;
    ASSERT_TRUE(run.Start(Quoted(Checker()) + L" " + Quoted(folder.File(L"list.txt")), CREATE_NEW_CONSOLE));
    ASSERT_NE(run.OutputWhen(Prompt).find(Prompt), std::string::npos);
    run.CloseInput();
    EXPECT_EQ(run.WaitForExit(), 0);
}

TEST(CheckerConsole, ASharedConsoleOrNoneIsLeftAtOnce) {
    TTempFolder folder(L"checker-console-shared");
    folder.Write(L"list.txt", "one\r\n");
    const std::wstring file = folder.File(L"list.txt");
    // Started from a console window (cmd here): the window stays, so the
    // program neither asks nor reads; the Enter given stays unread.
    struct TCase {
        const char* Name;
        std::wstring CommandLine;
        DWORD Flags;
    } cases[] = {
        {"from cmd", L"cmd.exe /s /c \"" + Quoted(Checker()) + L" " + Quoted(file) + L"\"", CREATE_NEW_CONSOLE},
        {"without a console", Quoted(Checker()) + L" " + Quoted(file), DETACHED_PROCESS},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPipedRun run;
        ASSERT_TRUE(run.Start(c.CommandLine, c.Flags, "\r\n"));
        EXPECT_EQ(run.WaitForExit(), 0);
        const std::string shown = run.OutputAtEnd();
        EXPECT_NE(shown.find("0 problems, 0 warnings in 1 file."), std::string::npos) << shown;
        EXPECT_EQ(shown.find("Press Enter"), std::string::npos) << shown;
        EXPECT_EQ(run.InputLeft(), 2u);
    }
}
