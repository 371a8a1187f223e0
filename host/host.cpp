// brisklet-host: a console stand-in for the Vostek messenger. It loads a
// plug-in DLL, keeps an extended status and a plug-in store, and plays the
// messenger's messages from its arguments or from standard input.
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/host_service.h"

namespace {

const char Usage[] =
    "usage: brisklet-host [--dll PATH] [--store FILE] [COMMAND ...]\n"
    "Without commands, they are read from standard input, one per line.\n"
    "Commands:\n"
    "  start | stop | resume | finish     messages 2, 3, 4, 5\n"
    "  options                            message 6 (the options window)\n"
    "  language NAME                      message 28\n"
    "  status ICON TITLE TEXT             the user sets a status (message 12)\n"
    "  wait SECONDS                       run the message loop (timer ticks)\n"
    "  set KEY VALUE                      change the store: interval, unit, mode, selection\n"
    "  show                               print the current status and store\n"
    "  quit                               release the plug-in and exit\n"
    "Quote arguments with blanks: status 5 \"Busy\" \"Back soon\".\n";

void Out(const std::string& text) {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

// Line breaks and other controls shown visibly, so one change is one line.
std::string Visible(const std::wstring& text) {
    std::wstring out;
    for (const wchar_t c : text) {
        if (c == L'\r') {
            out += L"\\r";
        } else if (c == L'\n') {
            out += L"\\n";
        } else if (c < 32) {
            wchar_t buf[8];
            swprintf(buf, 8, L"\\x%02x", static_cast<unsigned>(c));
            out += buf;
        } else {
            out.push_back(c);
        }
    }
    return Utf8(out);
}

std::string Now() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    char buf[32];
    snprintf(buf, sizeof buf, "%02u:%02u:%02u.%03u", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return buf;
}

// Store file: one "key=value" per line; the selection escapes "\" and controls.
std::wstring Escape(const std::wstring& s) {
    std::wstring out;
    for (const wchar_t c : s) {
        if (c == L'\\') {
            out += L"\\\\";
        } else if (c < 32) {
            wchar_t buf[8];
            swprintf(buf, 8, L"\\x%04x", static_cast<unsigned>(c));
            out += buf;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::wstring Unescape(const std::wstring& s) {
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'\\' && i + 1 < s.size() && s[i + 1] == L'\\') {
            out.push_back(L'\\');
            ++i;
        } else if (s[i] == L'\\' && i + 5 < s.size() && s[i + 1] == L'x') {
            out.push_back(static_cast<wchar_t>(std::wcstoul(s.substr(i + 2, 4).c_str(), nullptr, 16)));
            i += 5;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

void SaveStore(const std::wstring& path, THostService& host) {
    if (path.empty()) {
        return;
    }
    const TPluginStore& s = host.Store;
    std::string text = "Initialized=" + std::to_string(s.Initialized) + "\nFlag0=" + std::to_string(s.Flag0) +
                       "\nFlag2=" + std::to_string(s.Flag2) + "\nFreqValue=" + std::to_string(s.FreqValue) +
                       "\nFreqUnit=" + std::to_string(s.FreqUnit) + "\nWorkMode=" + std::to_string(s.WorkMode) +
                       "\nStatusSelection=" + Utf8(Escape(host.Selection())) + "\n";
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f) {
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    }
}

void LoadStore(const std::wstring& path, THostService& host) {
    FILE* f = path.empty() ? nullptr : _wfopen(path.c_str(), L"rb");
    if (!f) {
        return;  // a fresh store, as a new messenger profile has
    }
    char line[4096];
    while (fgets(line, sizeof line, f)) {
        std::string l(line);
        while (!l.empty() && (l.back() == '\n' || l.back() == '\r')) {
            l.pop_back();
        }
        const size_t eq = l.find('=');
        if (eq == std::string::npos) {
            continue;
        }
        const std::string key = l.substr(0, eq);
        const std::string value = l.substr(eq + 1);
        const long n = std::strtol(value.c_str(), nullptr, 10);
        TPluginStore& s = host.Store;
        if (key == "Initialized") s.Initialized = static_cast<uint8_t>(n);
        else if (key == "Flag0") s.Flag0 = static_cast<uint8_t>(n);
        else if (key == "Flag2") s.Flag2 = static_cast<uint8_t>(n);
        else if (key == "FreqValue") s.FreqValue = static_cast<int32_t>(n);
        else if (key == "FreqUnit") s.FreqUnit = static_cast<int32_t>(n);
        else if (key == "WorkMode") s.WorkMode = static_cast<int32_t>(n);
        else if (key == "StatusSelection") host.SetSelection(Unescape(FromUtf8(value)));
    }
    fclose(f);
}

// Splits a command line into words; double quotes group blanks.
std::vector<std::wstring> Words(const std::wstring& line) {
    std::vector<std::wstring> words;
    std::wstring word;
    bool quoted = false, any = false;
    for (const wchar_t c : line) {
        if (c == L'"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n')) {
            if (any) {
                words.push_back(word);
            }
            word.clear();
            any = false;
        } else {
            word.push_back(c);
            any = true;
        }
    }
    if (any) {
        words.push_back(word);
    }
    return words;
}

size_t Arity(const std::wstring& command) {
    if (command == L"language" || command == L"wait") return 1;
    if (command == L"set") return 2;
    if (command == L"status") return 3;
    return 0;
}

class THost {
public:
    bool Open(const std::wstring& dll, const std::wstring& store) {
        FStorePath = store;
        LoadStore(FStorePath, FService);
        FService.OnChange = [this] {
            Out(Now() + "  icon " + std::to_string(FService.Icon) + "  Status \"" + Visible(FService.Status) +
                "\"  xStatus \"" + Visible(FService.XStatus) + "\"\n");
        };
        if (!FLoader.Load(dll, FService)) {
            Out("error: " + Utf8(FLoader.Error) + "\n");
            return false;
        }
        return true;
    }

    void Close() {
        FLoader.ReleasePlugin();
        SaveStore(FStorePath, FService);
    }

    // Runs one command; false with a message when it is wrong.
    bool Run(const std::vector<std::wstring>& words, bool& quit) {
        const std::wstring& c = words[0];
        if (words.size() != 1 + Arity(c)) {
            Out("error: '" + Utf8(c) + "' takes " + std::to_string(Arity(c)) + " argument(s)\n");
            return false;
        }
        if (c == L"start") FLoader.Send(HM_START);
        else if (c == L"stop") FLoader.Send(HM_STOP);
        else if (c == L"resume") FLoader.Send(HM_RESUME);
        else if (c == L"finish") FLoader.Send(HM_FINISH);
        else if (c == L"options") FLoader.Send(HM_SHOW_OPTIONS);
        else if (c == L"language") {
            Out(Now() + "  language " + Utf8(words[1]) + "\n");
            FLoader.SendLanguage(words[1]);
        } else if (c == L"status") {
            wchar_t* end = nullptr;
            const long icon = std::wcstol(words[1].c_str(), &end, 10);
            if (!end || *end != 0) {
                Out("error: status wants an icon number, not '" + Utf8(words[1]) + "'\n");
                return false;
            }
            FService.Icon = static_cast<int32_t>(icon);
            FService.Status = words[2];
            FService.XStatus = words[3];
            FService.OnChange();
            FLoader.SendStatus(FService.Icon, FService.Status, FService.XStatus);
        } else if (c == L"wait") {
            const double seconds = std::wcstod(words[1].c_str(), nullptr);
            if (!(seconds >= 0 && seconds <= 86400)) {
                Out("error: wait wants seconds from 0 to 86400\n");
                return false;
            }
            PumpMessagesFor(static_cast<DWORD>(seconds * 1000));
        } else if (c == L"set") {
            if (!SetStore(words[1], words[2])) {
                return false;
            }
        } else if (c == L"show") {
            FService.OnChange();
            Out("store: interval " + std::to_string(FService.Store.FreqValue) + " unit " +
                std::to_string(FService.Store.FreqUnit) + " mode " + std::to_string(FService.Store.WorkMode) +
                " selection \"" + Utf8(FService.Selection()) + "\"\n");
        } else if (c == L"quit") {
            quit = true;
        } else {
            Out("error: unknown command '" + Utf8(c) + "'\n" + Usage);
            return false;
        }
        SaveStore(FStorePath, FService);
        return true;
    }

private:
    bool SetStore(const std::wstring& key, const std::wstring& value) {
        TPluginStore& s = FService.Store;
        if (key == L"selection") {
            FService.SetSelection(value);
        } else {
            wchar_t* end = nullptr;
            const long n = std::wcstol(value.c_str(), &end, 10);
            if (!end || *end != 0) {
                Out("error: set " + Utf8(key) + " wants a number\n");
                return false;
            }
            if (key == L"interval") s.FreqValue = static_cast<int32_t>(n);
            else if (key == L"unit") s.FreqUnit = static_cast<int32_t>(n);
            else if (key == L"mode") s.WorkMode = static_cast<int32_t>(n);
            else {
                Out("error: set knows interval, unit, mode and selection, not '" + Utf8(key) + "'\n");
                return false;
            }
        }
        // The messenger's own settings page would leave the store initialised.
        s.Initialized = 1;
        return true;
    }

    THostService FService;
    TPluginLoader FLoader;
    std::wstring FStorePath;
};

// Standard input, read on its own thread so the message loop keeps running.
struct TInputQueue {
    std::mutex Lock;
    std::deque<std::wstring> Lines;
    bool Ended = false;
    HANDLE Ready = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring dll = L"Brisklet.dll";
    std::wstring store;
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        if ((a == L"--dll" || a == L"--store") && i + 1 < argc) {
            (a == L"--dll" ? dll : store) = argv[++i];
        } else if (a == L"--help" || a == L"-h") {
            Out(Usage);
            return 0;
        } else {
            args.push_back(a);
        }
    }

    THost host;
    if (!host.Open(dll, store)) {
        return 1;
    }
    Out(Now() + "  loaded " + Utf8(dll) + "\n");

    bool quit = false;
    if (!args.empty()) {
        for (size_t i = 0; i < args.size() && !quit;) {
            const size_t n = 1 + Arity(args[i]);
            std::vector<std::wstring> words(args.begin() + static_cast<std::ptrdiff_t>(i),
                                            args.begin() + static_cast<std::ptrdiff_t>(std::min(args.size(), i + n)));
            if (!host.Run(words, quit)) {
                host.Close();
                return 2;
            }
            i += n;
        }
        host.Close();
        return 0;
    }

    TInputQueue input;
    std::thread reader([&input] {
        char line[8192];
        while (fgets(line, sizeof line, stdin)) {
            std::lock_guard<std::mutex> guard(input.Lock);
            input.Lines.push_back(FromUtf8(line));
            ::SetEvent(input.Ready);
        }
        std::lock_guard<std::mutex> guard(input.Lock);
        input.Ended = true;
        ::SetEvent(input.Ready);
    });
    reader.detach();

    while (!quit) {
        const DWORD r = ::MsgWaitForMultipleObjects(1, &input.Ready, FALSE, INFINITE, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0 + 1) {
            PumpMessagesFor(0);
            continue;
        }
        for (;;) {
            std::wstring line;
            {
                std::lock_guard<std::mutex> guard(input.Lock);
                if (input.Lines.empty()) {
                    quit = quit || input.Ended;
                    break;
                }
                line = input.Lines.front();
                input.Lines.pop_front();
            }
            const std::vector<std::wstring> words = Words(line);
            if (!words.empty() && words[0][0] != L'#') {
                host.Run(words, quit);
            }
            if (quit) {
                break;
            }
        }
    }
    host.Close();
    // The reader may still block in fgets; ending the process ends it.
    ::ExitProcess(0);
}
