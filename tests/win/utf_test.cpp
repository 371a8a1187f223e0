// The one conversion against the system's, which the checker and the tests
// called before: arguments, paths and fixtures come out the same.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/utf.h"
#include "base/wide.h"

namespace {

std::string SystemUtf8(const std::u16string& text) {
    const std::wstring wide = ToWide(text);
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::u16string SystemUtf16(const std::string& bytes) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
    return FromWide(out.data(), out.size());
}

}  // namespace

TEST(Utf, AgreesWithTheSystemOnSurrogatesPairedOrNot) {
    const char16_t lead = 0xD83C, trail = 0xDF7A;
    const std::vector<std::u16string> texts = {
        u"C:\\Vostek\\\u0436\u20AC\\list.txt",
        u"\U0001F37A\U00010000\U0010FFFF",
        {lead, u'x'},
        {u'x', trail},
        {lead},
        {u'x', lead},
        {trail, lead},
        {lead, lead, trail},
    };
    for (const std::u16string& text : texts) {
        EXPECT_EQ(Utf16ToUtf8(text), SystemUtf8(text)) << SystemUtf8(text);
    }
}

TEST(Utf, ReadsWellFormedUtf8AsTheSystemDoes) {
    for (const std::u16string& text : {std::u16string(u"C:\\\u0436\u20AC\\statuses.txt"),
                                       std::u16string(u"\u007F\u0080\u07FF\u0800\uFFFF\U0001F37A\U0010FFFF")}) {
        const std::string bytes = Utf16ToUtf8(text);
        EXPECT_EQ(Utf8ToUtf16(bytes), SystemUtf16(bytes));
        EXPECT_EQ(Utf8ToUtf16(bytes), text);
    }
}
