// The portable code keeps texts as UTF-16 in char16_t; Win32 takes the same
// code units as wchar_t.
#pragma once

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t is UTF-16 on Windows");

inline const wchar_t* W(const std::u16string& s) noexcept {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}
inline std::wstring ToWide(std::u16string_view s) {
    return std::wstring(reinterpret_cast<const wchar_t*>(s.data()), s.size());
}
inline std::u16string FromWide(const wchar_t* s, size_t count) {
    return std::u16string(reinterpret_cast<const char16_t*>(s), count);
}
// A zero-terminated text from the host; a null pointer gives an empty text.
inline std::u16string FromWide(const wchar_t* s) {
    return s ? FromWide(s, std::char_traits<wchar_t>::length(s)) : std::u16string();
}
