#include "lang/LanguageSupport.h"

#include <windows.h>

#include <climits>

#include "base/text.h"
#include "base/wide.h"
#include "core/u_common.h"
#include "lang/lang_key.h"

namespace {

constexpr DWORD ValueBufferSize = 2048;

// One fresh read of the language's file per text; nothing is cached.
std::u16string LookUpDictionary(const std::u16string& language, const std::u16string& key) {
    const std::u16string folder = FolderOf(ModuleFileName());
    if (folder.empty()) {
        // Not loaded yet. A bare file name would send the profile functions
        // to the Windows folder.
        return key;
    }
    const std::u16string file = folder + u"Languages\\" + language + u".ini";
    wchar_t value[ValueBufferSize];
    const DWORD length = ::GetPrivateProfileStringW(L"Dict", W(key), W(key), value, ValueBufferSize, W(file));
    std::u16string result = FromWide(value, length < ValueBufferSize ? length : ValueBufferSize - 1);
    // The default is cut to the buffer too; a long text without an entry
    // comes back whole.
    if (key.size() >= ValueBufferSize && key.compare(0, result.size(), result) == 0 && result.size() + 1 == ValueBufferSize) {
        return key;
    }
    return result;
}

std::u16string AnsiToWide(std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) {
        return std::u16string();
    }
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::u16string();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
    return FromWide(wide.data(), wide.size());
}

std::string WideToAnsi(std::u16string_view text) {
    if (text.empty() || text.size() > INT_MAX) {
        return std::string();
    }
    const std::wstring wide = ToWide(text);
    const int size = static_cast<int>(wide.size());
    const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return std::string();
    }
    std::string ansi(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

}  // namespace

std::u16string TranslateWide(std::u16string_view source) noexcept {
    try {
        return TranslateText(source, CurrentLanguage(), LookUpDictionary);
    } catch (...) {
    }
    try {
        return ReplaceBreakMarkers(source);
    } catch (...) {
        return std::u16string();
    }
}

std::string Translate(std::string_view source) noexcept {
    try {
        return WideToAnsi(TranslateWide(AnsiToWide(source)));
    } catch (...) {
    }
    try {
        return std::string(source);
    } catch (...) {
        return std::string();
    }
}

void TranslateForm(TTranslatableForm& form) noexcept {
    TranslateFormWith(form, [](std::u16string_view text) { return TranslateWide(text); });
}
