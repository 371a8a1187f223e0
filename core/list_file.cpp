#include "core/list_file.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <memory>

#include "base/files_win.h"
#include "base/win_handles.h"
#include "core/list_loader.h"

namespace {

// Far beyond any joke book, and well inside a 32-bit process once decoded.
constexpr uint64_t MaxListFileBytes = 512ull * 1024 * 1024;

}  // namespace

void AnsiToUtf16(const char* bytes, size_t count, std::u16string& out) {
    size_t done = 0;
    while (done < count) {
        // MultiByteToWideChar counts in int; convert in slices that fit.
        // A slice never ends inside a character: the ANSI code page of a
        // Western or Cyrillic system is single-byte, and for double-byte
        // ones the slice is cut before a lead byte.
        size_t slice = count - done;
        if (slice > (1u << 28)) {
            slice = 1u << 28;
            while (slice > 1 && ::IsDBCSLeadByte(static_cast<BYTE>(bytes[done + slice - 1]))) {
                --slice;
            }
        }
        const int in = static_cast<int>(slice);
        const int needed = ::MultiByteToWideChar(CP_ACP, 0, bytes + done, in, nullptr, 0);
        if (needed <= 0) {
            return;
        }
        const size_t base = out.size();
        out.resize(base + static_cast<size_t>(needed));
        ::MultiByteToWideChar(CP_ACP, 0, bytes + done, in, reinterpret_cast<wchar_t*>(&out[base]), needed);
        done += slice;
    }
}

namespace {

// The file's bytes without zero-filling a buffer the read overwrites anyway.
struct TFileBytes {
    std::unique_ptr<uint8_t[]> Data;
    size_t Size = 0;
};

bool ReadFileBytes(const std::wstring& path, TFileBytes& out) {
    out = TFileBytes();
    TUniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                   nullptr));
    if (!file) {
        return false;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > MaxListFileBytes) {
        return false;
    }
    const size_t total = static_cast<size_t>(size.QuadPart);
    out.Data.reset(new uint8_t[total == 0 ? 1 : total]);
    size_t done = 0;
    while (done < total) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(total - done, 1u << 24));
        DWORD got = 0;
        if (!::ReadFile(file.get(), out.Data.get() + done, want, &got, nullptr)) {
            out = TFileBytes();
            return false;
        }
        if (got == 0) {
            break;  // the file shrank while we read it
        }
        done += got;
    }
    out.Size = done;
    return true;
}

// Every code page Windows uses for ANSI keeps the bytes 0x01 to 0x7F as they
// are when no lead byte comes before them (in the double-byte ones a byte
// below 0x80 is a trail byte only after a lead byte of 0x81 or more). Checked
// here rather than assumed: it costs a microsecond per load.
bool AnsiKeepsAscii() noexcept {
    char bytes[127];
    wchar_t wide[127];
    for (int i = 0; i < 127; ++i) {
        bytes[i] = static_cast<char>(i + 1);
    }
    if (::MultiByteToWideChar(CP_ACP, 0, bytes, 127, wide, 127) != 127) {
        return false;
    }
    for (int i = 0; i < 127; ++i) {
        if (wide[i] != static_cast<wchar_t>(i + 1)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    TFileBytes file;
    if (!ReadFileBytes(path, file)) {
        return false;
    }
    bytes.assign(file.Data.get(), file.Data.get() + file.Size);
    return true;
}

void LoadListPath(const std::wstring& path, TTextList& list) noexcept {
    try {
        list.Clear();
        if (!IsExistingFile(path)) {
            return;
        }
        TFileBytes file;
        if (!ReadFileBytes(path, file)) {
            return;
        }
        TAnsiCodePage codePage;
        codePage.Convert = &AnsiToUtf16;
        codePage.AsciiSame = AnsiKeepsAscii();
        LoadListBytes(file.Data.get(), file.Size, codePage, list);
    } catch (...) {
        // Out of memory or any other failure: the list stays usable, empty.
        list.Clear();
    }
}
