// Load timings through the Win32 file reading and the system's code page
// conversion, for running under Wine (bench/wine_timing.sh builds and runs
// it). It prints figures and checks one claim the loader relies on: every
// code page Windows uses for ANSI keeps the bytes 0x01 to 0x7F as they are.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/list_file.h"
#include "core/list_loader.h"
#include "core/text_list.h"

namespace {

double Now() {
    LARGE_INTEGER count, frequency;
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::string Lines(size_t count, bool status, bool cyrillic, bool cp1252High) {
    std::string out = (cyrillic && !cp1252High) ? "\xEF\xBB\xBF" : "";
    for (size_t i = 0; i < count; ++i) {
        if (status) {
            out += std::to_string(i % 35) + "|";
        }
        out += cyrillic ? "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBD\xD1\x82\xD0\xB5\xD1\x80 " : "";
        out += cp1252High ? "caf\xE9 na\xEFve " : "";
        out += "the printer and the admin agree again on monday, line " + std::to_string(i) + "\r\n";
    }
    return out;
}

// Best and median of runs of f, in microseconds.
template <class F>
void Time(const char* what, size_t bytes, int runs, F f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        f();
        times.push_back((Now() - start) * 1e6);
    }
    std::sort(times.begin(), times.end());
    const double best = times.front();
    std::printf("%-52s best %10.1f us  median %10.1f us", what, best, times[times.size() / 2]);
    if (bytes > 1000000) {
        std::printf("  %7.0f MB/s", double(bytes) / 1048576.0 / (best / 1e6));
    }
    std::printf("\n");
}

}  // namespace

int main() {
    std::printf("ANSI code page %u\n", ::GetACP());
    // The claim behind skipping the converter for ASCII-only files.
    const UINT pages[] = {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 65001};
    for (const UINT page : pages) {
        char bytes[127];
        wchar_t wide[127];
        for (int i = 0; i < 127; ++i) {
            bytes[i] = char(i + 1);
        }
        const int n = ::MultiByteToWideChar(page, 0, bytes, 127, wide, 127);
        bool same = n == 127;
        for (int i = 0; same && i < 127; ++i) {
            same = wide[i] == wchar_t(i + 1);
        }
        std::printf("code page %5u keeps 0x01..0x7F: %s\n", page, same ? "yes" : "NO");
    }

    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"brisklet-timing\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring listPath = folder + L"list.txt";
    const std::wstring statusPath = folder + L"statuses.txt";

    // A start (message 2) reloads both files.
    WriteFile(listPath, Lines(200, false, true, false));
    WriteFile(statusPath, Lines(200, true, true, false));
    TTextList textLines;
    TTextList statusLines;
    Time("reload list.txt + statuses.txt, 200 lines each", 0, 200, [&] {
        LoadListPath(listPath, textLines);
        LoadListPath(statusPath, statusLines);
    });
    std::printf("  %zu + %zu entries, statuses indexed: %s\n", textLines.Count(), statusLines.Count(),
                statusLines.Indexed() ? "yes" : "no");

    struct TCase {
        const char* Name;
        bool Cyrillic;
        bool High;
    };
    const TCase cases[] = {
        {"100 MB UTF-8 with mark, file read + load", true, false},
        {"100 MB ASCII (ANSI), file read + load", false, false},
        {"100 MB Windows-1252 with accents (converter)", false, true},
    };
    for (const TCase& c : cases) {
        std::string bytes = Lines(1, false, c.Cyrillic, c.High);
        const std::string line = Lines(1, false, c.Cyrillic, c.High).substr(c.Cyrillic ? 3 : 0);
        while (bytes.size() < 100u * 1048576u) {
            bytes += line;
        }
        WriteFile(listPath, bytes);
        TTextList big;
        Time(c.Name, bytes.size(), 5, [&] { LoadListPath(listPath, big); });
        std::vector<uint8_t> read;
        Time("  of which reading the file (ReadWholeFile)", bytes.size(), 5, [&] { ReadWholeFile(listPath, read); });
        TAnsiCodePage codePage;
        codePage.Convert = &AnsiToUtf16;
        codePage.AsciiSame = true;
        Time("  of which decoding, cutting, indexing", bytes.size(), 5,
             [&] { LoadListBytes(read.data(), read.size(), codePage, big); });
        std::printf("  %zu entries, %.1f bytes an entry held\n", big.Count(), double(big.MemoryUsed()) / double(big.Count()));
    }
    ::DeleteFileW(listPath.c_str());
    ::DeleteFileW(statusPath.c_str());
    ::RemoveDirectoryW(folder.c_str());
    return 0;
}
