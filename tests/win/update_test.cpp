// The update check end to end: WinInet, the temporary copy, the report on a
// real label and the page, against tests/win/update_server.py. The server
// is the HTTP proxy of this process, so the product's own address reaches it
// unchanged; ctest starts it (fixture update_server) and writes its port
// next to this program.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/wide.h"
#include "base/win_handles.h"
#include "core/u_common.h"
#include "tests/win/test_support.h"
#include "tests/win/window_support.h"
#include "update/download_win.h"
#include "update/running_checks_win.h"
#include "update/update.h"

namespace {

const std::wstring Waiting = L"Getting information about new version. Please wait...";
const std::wstring CannotConnect = L"Cannot connect to site. Check your internet connection.";
const std::wstring NoUpdates = L"No updates available. You have latest version.";

std::wstring Available(const std::wstring& latest) {
    return L"Update available. Installed version: 0.3.6 latest available version: " + latest + L" .";
}

void SetProxyPort(INTERNET_PORT port) { SetProxy(port ? L"http://127.0.0.1:" + std::to_wstring(port) : L""); }

std::wstring TextOf(HWND window) {
    wchar_t buffer[1024];
    const int length = ::GetWindowTextW(window, buffer, static_cast<int>(std::size(buffer)));
    return std::wstring(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

// A plain static label on a window of its own, as the options window has.
class TLabelWindow {
public:
    TLabelWindow() {
        FParent.reset(::CreateWindowExW(0, L"STATIC", L"update test", WS_POPUP, 0, 0, 420, 120, nullptr, nullptr,
                                        nullptr, nullptr));
        FLabel = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 8, 24, 289, 42, FParent.get(), nullptr,
                                   nullptr, nullptr);
    }
    HWND Label() const noexcept { return FLabel; }
    std::wstring Text() const { return TextOf(FLabel); }
    void Destroy() { FParent.reset(); }

private:
    TUniqueWindow FParent;
    HWND FLabel = nullptr;  // destroyed with its parent
};

std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) {
        return bytes;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) {
        bytes.append(buffer, n);
    }
    fclose(f);
    return bytes;
}

std::vector<std::wstring> FileNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                names.push_back(data.cFileName);
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    return names;
}

std::string Ini(const std::string& lines) { return "[update]\r\n" + lines; }

class UpdateCheck : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Server = std::make_unique<TUpdateServer>();
        if (!Server->Running()) {
            return;
        }
        // A folder name outside the ANSI code page: the copy must be
        // written and read through the wide functions.
        Temp = std::make_unique<TTempFolder>(L"update-\u0422\u0435\u0441\u0442-\u6D4B\u8BD5");
        SavedTmp = Environment(L"TMP");
        SavedTemp = Environment(L"TEMP");
        ::SetEnvironmentVariableW(L"TMP", Temp->Path().c_str());
        ::SetEnvironmentVariableW(L"TEMP", Temp->Path().c_str());
        SetProxyPort(Server->Port());
    }

    static void TearDownTestSuite() {
        if (!Temp) {
            return;
        }
        SetProxyPort(0);
        ::SetEnvironmentVariableW(L"TMP", SavedTmp.empty() ? nullptr : SavedTmp.c_str());
        ::SetEnvironmentVariableW(L"TEMP", SavedTemp.empty() ? nullptr : SavedTemp.c_str());
        Temp.reset();
    }

    void SetUp() override {
        if (!Temp) {
            GTEST_SKIP() << "no update server: run through ctest, or start tests/win/update_server.py start "
                            "<bin>/update_server.port";
        }
        ::DeleteFileW(Copy().c_str());
        Window = std::make_unique<TLabelWindow>();
        ASSERT_NE(Window->Label(), nullptr) << "cannot create the label (no display?)";
        SetUpdateLabel(Window->Label());
    }

    void TearDown() override {
        SetUpdateLabel(nullptr);
        Window.reset();
    }

    static std::wstring Environment(const wchar_t* name) {
        wchar_t buffer[4096];
        const DWORD n = ::GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
        return n > 0 && n < std::size(buffer) ? std::wstring(buffer, n) : std::wstring();
    }

    static std::wstring Copy() { return Temp->File(L"brisklet.ini"); }

    // What the server answers from now on; also clears its log.
    static void Serve(int status, const std::string& body, double delaySeconds = 0, bool keepLog = false,
                      double stallSeconds = 0) {
        Server->Serve(status, body, delaySeconds, keepLog, stallSeconds);
    }

    // What the server answers from now on, held until Release (also clears
    // its log unless keepLog).
    static void Hold(int status, const std::string& body,
                     TUpdateServer::THold where = TUpdateServer::THold::Answer, bool keepLog = false) {
        Server->Hold(status, body, where, keepLog);
    }
    static void Release() { Server->Release(); }

    static std::vector<TLogEntry> Log() { return Server->Log(); }

    // Waits until every check of this process has ended, then handles the
    // reports they queued: their outcome is in, however slow the machine.
    static void AllChecksEnded() {
        ASSERT_TRUE(PumpUntil([] { return RunningChecks.Count() == 0; }, 30000)) << "a check did not end";
        PumpUntil([] { return true; }, 0);
    }

    static bool AllAnswered(size_t count) {
        const std::vector<TLogEntry> log = Log();
        if (log.size() != count) {
            return false;
        }
        for (const TLogEntry& entry : log) {
            if (!entry.Done) {
                return false;
            }
        }
        return true;
    }

    static bool IsFinal(const std::wstring& text) { return !text.empty() && text != Waiting; }

    // Starts one check as the options window does and waits for its outcome.
    std::wstring Check(TLabelWindow& window) {
        ::SetWindowTextW(window.Label(), L"");
        StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
        PumpUntil([&] { return IsFinal(window.Text()); }, 15000);
        return window.Text();
    }
    std::wstring Check() { return Check(*Window); }

    // Runs a check that finds a newer version with this page, so that a
    // later "unchanged" means something.
    void SetPageThroughCheck(const std::string& page) {
        Serve(200, Ini("major=2\r\npage=" + page + "\r\n"));
        ASSERT_EQ(Check(), Available(L"2.0.0"));
        ASSERT_EQ(FromWide(W(UpdatePageURL())), std::u16string(page.begin(), page.end()));
    }

    static std::u16string Page() { return UpdatePageURL(); }

    std::vector<std::wstring> LeftOvers() const {
        std::vector<std::wstring> names = FileNames(Temp->Path());
        std::vector<std::wstring> others;
        for (const std::wstring& name : names) {
            if (name != L"brisklet.ini") {
                others.push_back(name);
            }
        }
        return others;
    }

    static std::unique_ptr<TUpdateServer> Server;
    static std::unique_ptr<TTempFolder> Temp;
    static std::wstring SavedTmp;
    static std::wstring SavedTemp;
    std::unique_ptr<TLabelWindow> Window;
};

std::unique_ptr<TUpdateServer> UpdateCheck::Server;
std::unique_ptr<TTempFolder> UpdateCheck::Temp;
std::wstring UpdateCheck::SavedTmp;
std::wstring UpdateCheck::SavedTemp;

TEST_F(UpdateCheck, NewerVersionIsReportedWithItsPageAfterTheWaitingText) {
    const std::string body = Ini("major=0\r\nminor=3\r\nrelease=7\r\npage=http://www.orvane.example/brisklet/0.3.7\r\n");
    Hold(200, body);
    StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
    EXPECT_TRUE(PumpUntil([&] { return Window->Text() == Waiting; }, 5000)) << Utf8(Window->Text());
    Release();
    ASSERT_TRUE(PumpUntil([&] { return IsFinal(Window->Text()); }, 30000));

    EXPECT_EQ(Window->Text(), L"Update available. Installed version: 0.3.6 latest available version: 0.3.7 .");
    EXPECT_EQ(Page(), u"http://www.orvane.example/brisklet/0.3.7");
    const std::vector<TLogEntry> log = Log();
    ASSERT_EQ(log.size(), 1u);
    const std::string suffix = "/update/brisklet.ini";
    EXPECT_TRUE(log[0].Path.size() >= suffix.size() &&
                log[0].Path.compare(log[0].Path.size() - suffix.size(), suffix.size(), suffix) == 0)
        << log[0].Path;
    EXPECT_NE(log[0].Path.find("www.orvane.example"), std::string::npos) << log[0].Path;
    EXPECT_EQ(log[0].Agent, "orvane software");
    EXPECT_EQ(ReadBytes(Copy()), body);
    EXPECT_TRUE(LeftOvers().empty());
}

TEST_F(UpdateCheck, NewerVersionsAreFoundByMajorMinorAndRelease) {
    struct TCase {
        std::string Lines;
        std::wstring Latest;
        std::u16string Page;
    };
    const TCase cases[] = {
        {"major=0\r\nminor=4\r\nrelease=0\r\npage=http://www.orvane.example/a\r\n", L"0.4.0", u"http://www.orvane.example/a"},
        {"major=1\r\nminor=0\r\nrelease=0\r\npage=https://www.orvane.example/b\r\n", L"1.0.0", u"https://www.orvane.example/b"},
        // No release: 0; no page: the home page.
        {"major=0\r\nminor=0x10\r\n", L"0.16.0", u"http://www.orvane.example"},
        // Keys and section in any letter case; a hexadecimal release.
        {"MAJOR=0\r\nMinor=3\r\nRELEASE=0X1f\r\nPage=HTTP://WWW.ORVANE.EXAMPLE/C\r\n", L"0.3.31", u"HTTP://WWW.ORVANE.EXAMPLE/C"},
        {"major=1\r\nminor=abc\r\nrelease=abc\r\n", L"1.0.0", u"http://www.orvane.example"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Lines);
        Serve(200, Ini(c.Lines));
        EXPECT_EQ(Check(), Available(c.Latest));
        EXPECT_EQ(Page(), c.Page);
    }
    Serve(200, "[UPDATE]\r\nmajor=0\r\nminor=3\r\nrelease=8\r\n");
    EXPECT_EQ(Check(), Available(L"0.3.8"));
}

TEST_F(UpdateCheck, EqualOlderOrUnreadableVersionsLeaveThePage) {
    SetPageThroughCheck("http://www.orvane.example/kept");
    const std::string bodies[] = {
        Ini("major=0\r\nminor=3\r\nrelease=6\r\npage=http://www.orvane.example/equal\r\n"),
        Ini("major=0\r\nminor=3\r\nrelease=5\r\n"),
        Ini("major=0\r\nminor=2\r\nrelease=9\r\n"),
        Ini("major=abc\r\nminor=abc\r\nrelease=abc\r\n"),
        Ini("major=-1\r\nminor=99\r\nrelease=99\r\n"),
        Ini(""),                       // no keys
        "major=9\r\nminor=9\r\n",      // no section
        "",                            // empty answer
    };
    for (const std::string& body : bodies) {
        SCOPED_TRACE(body);
        Serve(200, body);
        EXPECT_EQ(Check(), NoUpdates);
        EXPECT_EQ(Page(), u"http://www.orvane.example/kept");
        EXPECT_EQ(ReadBytes(Copy()), body);  // a good answer is saved, whatever it holds
    }
}

TEST_F(UpdateCheck, ErrorAnswersAndOversizedBodiesAreConnectionFailures) {
    SetPageThroughCheck("http://www.orvane.example/before");
    // Bodies that would read as a newer version were they saved.
    const std::string html = "<html><body>Not found\r\n[update]\r\nmajor=9\r\n</body></html>\r\n";
    std::string huge = Ini("major=9\r\n");
    huge.resize(1024 * 1024, ';');
    struct TCase {
        int Status;
        std::string Body;
    };
    const TCase failures[] = {{404, html}, {500, html}, {204, ""}, {200, huge}};
    for (const TCase& c : failures) {
        SCOPED_TRACE(c.Status);
        SCOPED_TRACE(c.Body.size());
        ::DeleteFileW(Copy().c_str());
        Serve(c.Status, c.Body);
        EXPECT_EQ(Check(), CannotConnect);
        EXPECT_EQ(::GetFileAttributesW(Copy().c_str()), INVALID_FILE_ATTRIBUTES) << "nothing is written";
        EXPECT_TRUE(LeftOvers().empty());
        EXPECT_EQ(Page(), u"http://www.orvane.example/before");
    }
    // Exactly the limit is still a version file.
    std::string limit = Ini("major=9\r\n;");
    limit.resize(64 * 1024, ';');
    Serve(200, limit);
    EXPECT_EQ(Check(), Available(L"9.0.0"));
    EXPECT_EQ(ReadBytes(Copy()).size(), 64u * 1024u);
}

TEST_F(UpdateCheck, RefusedConnectionWritesNothingAndTheNextCheckWorks) {
    ASSERT_NE(Server->ClosedPort(), 0);
    SetPageThroughCheck("http://www.orvane.example/before-refused");
    ::DeleteFileW(Copy().c_str());
    SetProxyPort(Server->ClosedPort());
    const std::wstring refused = Check();
    SetProxyPort(Server->Port());
    EXPECT_EQ(refused, CannotConnect);
    EXPECT_EQ(::GetFileAttributesW(Copy().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Page(), u"http://www.orvane.example/before-refused");

    Serve(200, Ini("major=0\r\nminor=3\r\nrelease=6\r\n"));
    EXPECT_EQ(Check(), NoUpdates);
}

TEST_F(UpdateCheck, OnlyWebAddressesBecomeThePage) {
    const std::string hostile[] = {
        "C:\\Windows\\System32\\calc.exe",
        "file:///C:/Windows/System32/calc.exe",
        "\\\\server\\share\\setup.exe",
        "calc.exe",
        "http://www.orvane.example/a b",
        "javascript:alert(1)",
    };
    for (const std::string& page : hostile) {
        SCOPED_TRACE(page);
        SetPageThroughCheck("http://www.orvane.example/previous");
        Serve(200, Ini("major=0\r\nminor=4\r\npage=" + page + "\r\n"));
        EXPECT_EQ(Check(), Available(L"0.4.0"));  // the version is still reported
        EXPECT_EQ(Page(), u"http://www.orvane.example");
    }
}

TEST_F(UpdateCheck, ReportsFollowTheLanguage) {
    TTempFolder plugin(L"update-lang");
    ::CreateDirectoryW((plugin.Path() + L"Languages").c_str(), nullptr);
    plugin.Write(L"Languages\\Testish.ini",
                 Utf16Le(L"[Dict]\r\n"
                         L"Getting information about new version. Please wait=Warte\r\n"
                         L"Update available. Installed version:=Neu da, installiert:\r\n"
                         L"latest available version:=neueste:\r\n"
                         L"Cannot connect to site. Check your internet connection.=Keine Verbindung\r\n"));
    const std::u16string savedModule = ModuleFileName();
    SetModuleFileName(FromWide((plugin.Path() + L"Brisklet.dll").c_str()));
    SetCurrentLanguage(u"Testish");

    Hold(200, Ini("major=0\r\nminor=3\r\nrelease=7\r\n"));
    StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
    const bool sawWaiting = PumpUntil([&] { return Window->Text() == L"Warte..."; }, 5000);
    Release();
    PumpUntil([&] { return Window->Text().rfind(L"Neu", 0) == 0; }, 30000);
    const std::wstring newer = Window->Text();
    Serve(404, "gone");
    ::SetWindowTextW(Window->Label(), L"");
    StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
    PumpUntil([&] { return Window->Text() == L"Keine Verbindung"; }, 10000);
    const std::wstring failed = Window->Text();

    SetCurrentLanguage(u"English");
    SetModuleFileName(savedModule);
    EXPECT_TRUE(sawWaiting);
    EXPECT_EQ(newer, L"Neu da, installiert: 0.3.6 neueste: 0.3.7 .");
    EXPECT_EQ(failed, L"Keine Verbindung");
}

TEST_F(UpdateCheck, ALockedCopyEndsTheCheckWithoutAReport) {
    SetPageThroughCheck("http://www.orvane.example/unlocked");
    const std::string old = ReadBytes(Copy());
    {
        const TUniqueFile lock(::CreateFileW(Copy().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock);
        Serve(200, Ini("major=3\r\npage=http://www.orvane.example/locked\r\n"));
        StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
        ASSERT_TRUE(PumpUntil([] { return AllAnswered(1); }, 10000));
        // Past the check's retries while the copy is held: under emulation
        // they can take longer than any fixed wait.
        ASSERT_TRUE(PumpUntil([] { return RunningChecks.Count() == 0; }, 15000));
    }
    EXPECT_EQ(Window->Text(), Waiting);  // the waiting text stays
    EXPECT_EQ(ReadBytes(Copy()), old);
    EXPECT_TRUE(LeftOvers().empty());
    EXPECT_EQ(Page(), u"http://www.orvane.example/unlocked");
}

TEST_F(UpdateCheck, AClearedLabelGetsNothingMoreButThePageIsKept) {
    SetPageThroughCheck("http://www.orvane.example/old");
    Hold(200, Ini("major=0\r\nminor=5\r\npage=http://www.orvane.example/cleared\r\n"));
    StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
    ASSERT_TRUE(PumpUntil([&] { return Window->Text() == Waiting; }, 5000));
    SetUpdateLabel(nullptr);  // the window closes: it clears the label first
    Release();
    ASSERT_TRUE(PumpUntil([] { return AllAnswered(1); }, 30000));
    AllChecksEnded();
    EXPECT_EQ(Window->Text(), Waiting);
    EXPECT_EQ(Page(), u"http://www.orvane.example/cleared");
}

TEST_F(UpdateCheck, AReplacedLabelGetsNothingMore) {
    Hold(200, Ini("major=0\r\nminor=6\r\n"));
    StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
    ASSERT_TRUE(PumpUntil([&] { return Window->Text() == Waiting; }, 5000));
    ASSERT_TRUE(Server->WaitForRequests(1));
    // The window is shown again before the first check ends.
    TLabelWindow second;
    SetUpdateLabel(second.Label());
    Serve(200, Ini("major=0\r\nminor=6\r\n"), 0, true);
    const std::wstring secondText = Check(second);
    Release();
    ASSERT_TRUE(PumpUntil([] { return AllAnswered(2); }, 30000));
    AllChecksEnded();
    EXPECT_EQ(secondText, Available(L"0.6.0"));
    EXPECT_EQ(second.Text(), Available(L"0.6.0"));
    EXPECT_EQ(Window->Text(), Waiting);
}

TEST_F(UpdateCheck, ALateReportOfAnEarlierCheckChangesNothing) {
    // The window is closed and shown again on the same label while the
    // first check waits for a slow answer; the second check ends first.
    Hold(200, Ini("major=0\r\nminor=11\r\npage=http://www.orvane.example/first\r\n"));
    StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
    ASSERT_TRUE(Server->WaitForRequests(1));
    Serve(200, Ini("major=0\r\nminor=12\r\npage=http://www.orvane.example/second\r\n"), 0, true);
    EXPECT_EQ(Check(), Available(L"0.12.0"));
    Release();
    ASSERT_TRUE(PumpUntil([] { return AllAnswered(2); }, 30000));
    AllChecksEnded();
    EXPECT_EQ(Window->Text(), Available(L"0.12.0"));
    EXPECT_EQ(Page(), u"http://www.orvane.example/second");
}

TEST_F(UpdateCheck, AWindowDestroyedDuringASlowAnswerIsLeftAlone) {
    Hold(200, Ini("major=0\r\nminor=7\r\n"));
    StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
    ASSERT_TRUE(PumpUntil([&] { return Window->Text() == Waiting; }, 5000));
    const HWND label = Window->Label();
    Window->Destroy();  // without clearing the label first
    ASSERT_FALSE(::IsWindow(label));
    Release();
    ASSERT_TRUE(PumpUntil([] { return AllAnswered(1); }, 30000));
    AllChecksEnded();
    EXPECT_EQ(Page(), u"http://www.orvane.example");

    // The next showing works as before.
    TLabelWindow next;
    SetUpdateLabel(next.Label());
    Serve(200, Ini("major=0\r\nminor=3\r\nrelease=9\r\n"));
    EXPECT_EQ(Check(next), Available(L"0.3.9"));
}

TEST_F(UpdateCheck, TenChecksBackToBackEndConsistently) {
    const std::string body = Ini("major=0\r\nminor=3\r\nrelease=10\r\npage=http://www.orvane.example/ten\r\n");
    // All ten wait at the server, then are answered at once.
    Hold(200, body);
    for (int i = 0; i < 10; ++i) {
        StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
    }
    ASSERT_TRUE(Server->WaitForRequests(10)) << Log().size() << " of 10 checks reached the server";
    Release();
    ASSERT_TRUE(PumpUntil([&] { return IsFinal(Window->Text()) && AllAnswered(10); }, 30000))
        << Log().size() << " answered; label: " << Utf8(Window->Text());
    AllChecksEnded();  // the last copies are put in place and read
    EXPECT_EQ(Window->Text(), Available(L"0.3.10"));
    EXPECT_EQ(Page(), u"http://www.orvane.example/ten");
    EXPECT_EQ(ReadBytes(Copy()), body);
    EXPECT_TRUE(LeftOvers().empty());
}

// A disk that fills up while the copy is written: half the bytes go out,
// then the write fails.
std::atomic<int> FailedWrites{0};

BOOL WINAPI WriteHalfThenFail(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    ++FailedWrites;
    ::WriteFile(file, data, size / 2, written, overlapped);
    ::SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

TEST_F(UpdateCheck, AFailedWriteLeavesTheCopyAndNoTemporaryFile) {
    SetPageThroughCheck("http://www.orvane.example/written");
    const std::string old = ReadBytes(Copy());
    FailedWrites = 0;
    const TWriteFileCall saved = WriteTemporaryCopy.exchange(&WriteHalfThenFail);
    Serve(200, Ini("major=5\r\npage=http://www.orvane.example/unwritten\r\n"));
    StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
    const bool wrote = PumpUntil([] { return FailedWrites > 0; }, 10000);
    AllChecksEnded();
    WriteTemporaryCopy = saved;
    ASSERT_TRUE(wrote) << "the check never wrote";
    EXPECT_EQ(Window->Text(), Waiting);  // the waiting text stays
    EXPECT_EQ(ReadBytes(Copy()), old);
    const std::vector<std::wstring> left = LeftOvers();
    EXPECT_TRUE(left.empty()) << Utf8(left.front()) << " stayed in the temporary folder";
    EXPECT_EQ(Page(), u"http://www.orvane.example/written");
}

LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_NCCREATE ? FALSE : ::DefWindowProcW(window, message, wParam, lParam);
}

// A showing whose check cannot start gives its place back at once: the
// running checks are otherwise emptied only when the module goes.
TEST_F(UpdateCheck, AShowingWhoseCheckCannotStartKeepsNoSlot) {
    // The report window goes, so the next check makes it again; and a class
    // of its name, this module's, whose windows refuse to be made.
    ShutDownUpdateChecks();
    const HINSTANCE module = ::GetModuleHandleW(nullptr);
    ::UnregisterClassW(L"BriskletMessageWindow", module);
    WNDCLASSEXW refusing{};
    refusing.cbSize = sizeof(refusing);
    refusing.lpfnWndProc = &RefuseCreation;
    refusing.hInstance = module;
    refusing.lpszClassName = L"BriskletMessageWindow";
    ASSERT_NE(::RegisterClassExW(&refusing), 0);
    const size_t before = RunningChecks.Count();
    for (int showing = 0; showing < 5; ++showing) {
        StartUpdateCheck(u"brisklet.ini", 0, 3, 6);
    }
    const size_t after = RunningChecks.Count();
    ::UnregisterClassW(L"BriskletMessageWindow", module);
    EXPECT_EQ(after, before) << "slots kept by checks that never started";

    // With its own class again, the next showing checks as before.
    SetUpdateLabel(Window->Label());  // the shutdown cleared it
    Serve(200, Ini("major=0\r\nminor=3\r\nrelease=11\r\n"));
    EXPECT_EQ(Check(), Available(L"0.3.11"));
    EXPECT_TRUE(PumpUntil([] { return RunningChecks.Count() == 0; }, 5000)) << RunningChecks.Count();
}

// The library holding the update check, loaded as the host loads the
// plug-in; its exports stand for the plug-in's start of a check and its
// release.
class TProbe {
public:
    TProbe() : FPath(ProgramFolder() + L"update_probe.dll"), FModule(::LoadLibraryW(FPath.c_str())) {}
    ~TProbe() { Free(); }
    TProbe(const TProbe&) = delete;
    TProbe& operator=(const TProbe&) = delete;

    bool Loaded() const { return ::GetModuleHandleW(FPath.c_str()) != nullptr; }
    HMODULE Module() const noexcept { return FModule; }
    void Start(HWND label) { Call<void (*)(HWND)>("ProbeStartUpdateCheck")(label); }
    void Release() { Call<void (*)()>("ProbeRelease")(); }
    // Counts from the first call on.
    unsigned long BodyBytesRead() { return Call<unsigned long (*)()>("ProbeCountBodyBytes")(); }
    void Free() {
        if (FModule) {
            ::FreeLibrary(std::exchange(FModule, nullptr));
        }
    }

private:
    template <class F>
    F Call(const char* name) {
        const auto function = reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(FModule, name)));
        if (!function) {
            throw std::runtime_error(std::string("update_probe.dll lacks ") + name);
        }
        return function;
    }

    std::wstring FPath;
    HMODULE FModule;
};

// The host may unload the plug-in while a check runs. It releases the
// plug-in first, which cancels the check where the platform can and drops
// its reports: the module goes when the check's thread has left it, and the
// answer that arrives meanwhile never reaches the label.
TEST_F(UpdateCheck, UnloadingWhileACheckRunsWaitsForTheThread) {
    Hold(200, Ini("major=0\r\nminor=8\r\n"));
    TProbe probe;
    ASSERT_NE(probe.Module(), nullptr);
    probe.Start(Window->Label());
    EXPECT_TRUE(PumpUntil([&] { return Window->Text() == Waiting; }, 5000));
    ASSERT_TRUE(Server->WaitForRequests(1));
    probe.Release();
    probe.Free();
    // Where closing the handles interrupts the wait, the module goes now;
    // elsewhere it stays until the answer comes.
    const bool stayed = probe.Loaded();
    const ULONGLONG released = ::GetTickCount64();
    Release();
    EXPECT_TRUE(PumpUntil([&] { return !probe.Loaded(); }, 30000)) << "the module is let go when the check ends";
    std::printf("the module %s the answer was let go, and went %llu ms after\n", stayed ? "stayed until" : "went before",
                ::GetTickCount64() - released);
    ASSERT_TRUE(PumpUntil([] { return AllAnswered(1); }, 30000));
    PumpUntil([] { return true; }, 0);
    EXPECT_EQ(Window->Text(), Waiting);
}

// The host lets go while the body is on its way. The cancelled read is not
// the end of the data: what came so far must not replace the copy after
// the plug-in is gone.
TEST_F(UpdateCheck, ACheckCancelledWhileTheBodyArrivesWritesNothing) {
    SetPageThroughCheck("http://www.orvane.example/whole");
    if (HasFatalFailure()) {
        return;
    }
    const std::string whole = ReadBytes(Copy());
    std::string body = Ini("major=0\r\nminor=3\r\nrelease=12\r\n;");
    body.resize(3000, ';');
    body += "\r\n";
    Hold(200, body, TUpdateServer::THold::Body);
    TProbe probe;
    ASSERT_NE(probe.Module(), nullptr);
    ASSERT_EQ(probe.BodyBytesRead(), 0u);
    probe.Start(Window->Label());
    // Part of the body has reached the check (a read returns when its
    // buffer is full): the cancel meets a body in the middle.
    ASSERT_TRUE(PumpUntil([&] { return probe.BodyBytesRead() > 0; }, 30000)) << "no byte of the body reached the check";
    const unsigned long part = probe.BodyBytesRead();
    std::printf("the check held %lu bytes of %zu when it was cancelled\n", part, body.size());
    EXPECT_LT(part, body.size());
    probe.Release();
    probe.Free();
    Release();
    EXPECT_TRUE(PumpUntil([&] { return !probe.Loaded(); }, 30000)) << "the module is let go when the check ends";
    ASSERT_TRUE(PumpUntil([] { return AllAnswered(1); }, 30000));
    PumpUntil([] { return true; }, 0);
    const std::string now = ReadBytes(Copy());
    EXPECT_TRUE(now == whole) << "the cancelled check wrote " << now.size() << " bytes of " << body.size();
    EXPECT_TRUE(LeftOvers().empty());
    EXPECT_EQ(Window->Text(), Waiting);
}

// A host that frees the library without releasing the plug-in first: the
// check's thread is the last to let go, and its module's report window goes
// with it, whatever the last report did meanwhile.
TEST_F(UpdateCheck, FreeingWithoutAReleaseLeavesNoWindowOfTheModule) {
    Hold(200, Ini("major=0\r\nminor=9\r\n"));
    TProbe probe;
    ASSERT_NE(probe.Module(), nullptr);
    const HMODULE module = probe.Module();
    probe.Start(Window->Label());
    ASSERT_TRUE(Server->WaitForRequests(1));
    probe.Free();
    EXPECT_TRUE(probe.Loaded()) << "the running check holds the module";
    Release();
    EXPECT_TRUE(PumpUntil([&] { return !probe.Loaded(); }, 30000)) << "the module is let go when the check ends";
    const auto windowsLeft = [&] {
        size_t left = 0;
        for (HWND window = nullptr; (window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) != nullptr;) {
            left += reinterpret_cast<HMODULE>(::GetClassLongPtrW(window, GCLP_HMODULE)) == module ? 1 : 0;
        }
        return left;
    };
    // The window goes on its close request, which this thread handles.
    PumpUntil([&] { return windowsLeft() == 0; }, 30000);
    EXPECT_EQ(windowsLeft(), 0u);
    const std::wstring text = Window->Text();
    EXPECT_TRUE(text == Waiting || text == Available(L"0.9.0")) << Utf8(text);
    // The next check in this process works as before.
    Serve(200, Ini("major=0\r\nminor=3\r\nrelease=8\r\n"));
    EXPECT_EQ(Check(), Available(L"0.3.8"));
}

}  // namespace
