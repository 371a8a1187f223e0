// The dictionary lookup against real files through the profile functions.
// These tests call the translation directly (compiled into this program), with
// the module file name pointing into a temporary plug-in folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/wide.h"
#include "core/u_common.h"
#include "lang/LanguageSupport.h"
#include "tests/win/test_support.h"

namespace {

const std::u16string SaveRu = u"\u0421\u043E\u0445\u0440\u0430\u043D\u0438\u0442\u044C";  // 9 letters
const std::u16string SaveDe = u"Speichern";
const std::wstring RussianDict =
    L"[Dict]\r\n"
    L"Save=\u0421\u043E\u0445\u0440\u0430\u043D\u0438\u0442\u044C\r\n"
    L"Version=\u0412\u0435\u0440\u0441\u0438\u044F\r\n"
    L"Two lines=\u0420\u0430\u0437/n\u0414\u0432\u0430\r\n"
    L"Cancel=\r\n"
    L"Getting information about new version. Please wait =  \u0416\u0434\u0438\u0442\u0435  \r\n";

class LanguageFiles : public ::testing::Test {
protected:
    TTempFolder FFolder{L"lang"};

    void SetUp() override {
        ASSERT_TRUE(::CreateDirectoryW((FFolder.Path() + L"Languages").c_str(), nullptr));
        SetModuleFileName(Text(FFolder.File(L"Brisklet.dll")));
        SetCurrentLanguage(u"Russian");
    }
    void TearDown() override {
        SetCurrentLanguage(u"English");
        SetModuleFileName(u"");
    }

    static std::u16string Text(const std::wstring& text) { return FromWide(text.data(), text.size()); }
    void Dictionary(const std::wstring& language, const std::string& bytes) const {
        FFolder.Write(L"Languages\\" + language + L".ini", bytes);
    }
};

TEST_F(LanguageFiles, Utf16DictionaryKeepsEveryCharacter) {
    Dictionary(L"Russian", Utf16Le(RussianDict));
    EXPECT_EQ(TranslateWide(u"Save"), SaveRu);
    EXPECT_EQ(TranslateWide(u"Save ..."), SaveRu + u"...");
    // Keys match without regard to case, after trimming.
    EXPECT_EQ(TranslateWide(u" \tsAVE\r\n"), SaveRu);
    EXPECT_EQ(TranslateWide(u"Two lines"), u"\u0420\u0430\u0437\n\r\u0414\u0432\u0430");
    // The profile function takes the value without its surrounding blanks.
    EXPECT_EQ(TranslateWide(u"Getting information about new version. Please wait..."), u"\u0416\u0434\u0438\u0442\u0435...");
    // An empty value: the source as passed in.
    EXPECT_EQ(TranslateWide(u" Cancel "), u" Cancel ");
}

TEST_F(LanguageFiles, AnsiDictionaryAndAnsiCallers) {
    if (::GetACP() != 1252) {
        GTEST_SKIP() << "needs the Western ANSI code page, this system has " << ::GetACP();
    }
    Dictionary(L"German", "[Dict]\r\nCancel=Abbrechen\r\nSize=Gr\xF6\xDF" "e\r\nGr\xF6\xDF" "e=Size\r\n");
    SetCurrentLanguage(u"German");
    EXPECT_EQ(TranslateWide(u"Size"), u"Gr\u00F6\u00DFe");
    EXPECT_EQ(Translate("Size"), "Gr\xF6\xDF" "e");
    EXPECT_EQ(Translate("Gr\xF6\xDF" "e"), "Size");
    EXPECT_EQ(Translate(" Cancel ..."), "Abbrechen...");
    EXPECT_EQ(Translate("A/nB"), "A\n\rB");
}

TEST_F(LanguageFiles, AnsiCallersLoseWhatTheCodePageLacks) {
    if (::GetACP() != 1252) {
        GTEST_SKIP() << "needs the Western ANSI code page, this system has " << ::GetACP();
    }
    // Why captions go through TranslateWide: Cyrillic has no place in 1252.
    Dictionary(L"Russian", Utf16Le(RussianDict));
    EXPECT_EQ(Translate("Save"), std::string(9, '?'));
    EXPECT_EQ(TranslateWide(u"Save"), SaveRu);
}

TEST_F(LanguageFiles, MissingFolderFileSectionOrKeyGivesTheKeyForm) {
    // No file for the language.
    EXPECT_EQ(TranslateWide(u" Version "), u"Version");
    EXPECT_EQ(TranslateWide(u"Save ..."), u"Save...");
    EXPECT_EQ(TranslateWide(u"  ... "), u"...");
    EXPECT_EQ(TranslateWide(u" \t\r\n"), u"");
    // No section "Dict".
    Dictionary(L"Russian", Utf16Le(L"[Other]\r\nSave=wrong\r\n"));
    EXPECT_EQ(TranslateWide(u"Save ..."), u"Save...");
    // No entry.
    Dictionary(L"Russian", Utf16Le(L"[Dict]\r\nCancel=\u041E\u0442\u043C\u0435\u043D\u0430\r\n"));
    EXPECT_EQ(TranslateWide(u" Version "), u"Version");
    // No folder.
    FFolder.Remove(L"Languages\\Russian.ini");
    ASSERT_TRUE(::RemoveDirectoryW((FFolder.Path() + L"Languages").c_str()));
    EXPECT_EQ(TranslateWide(u"Save ..."), u"Save...");
    EXPECT_EQ(TranslateWide(u"A/nB "), u"A\n\rB");
}

TEST_F(LanguageFiles, NoModuleFileNameReadsNothing) {
    // Before the plug-in knows its file, a relative "Languages\" would be
    // looked up from the current folder.
    Dictionary(L"Russian", Utf16Le(RussianDict));
    wchar_t previous[MAX_PATH];
    ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(::SetCurrentDirectoryW(FFolder.Path().c_str()));
    SetModuleFileName(u"");
    const std::u16string result = TranslateWide(u"Save");
    ::SetCurrentDirectoryW(previous);
    EXPECT_EQ(result, u"Save");
}

TEST_F(LanguageFiles, OnlyExactlyEnglishTurnsTranslationOff) {
    // The file system ignores case: this is also "English.ini".
    Dictionary(L"english", Utf16Le(L"[Dict]\r\nSave=lower\r\n"));
    SetCurrentLanguage(u"English");
    EXPECT_EQ(TranslateWide(u"  Save /n"), u"  Save \n\r");
    SetCurrentLanguage(u"english");
    EXPECT_EQ(TranslateWide(u"  Save "), u"lower");
    FFolder.Remove(L"Languages\\english.ini");
    EXPECT_EQ(TranslateWide(u"  Save "), u"Save");
}

TEST_F(LanguageFiles, ChangesShowAtTheNextLookup) {
    Dictionary(L"Russian", Utf16Le(RussianDict));
    Dictionary(L"German", Utf16Le(L"[Dict]\r\nSave=Speichern\r\n"));
    EXPECT_EQ(TranslateWide(u"Save"), SaveRu);
    SetCurrentLanguage(u"German");
    EXPECT_EQ(TranslateWide(u"Save"), SaveDe);
    // Nothing is cached: a rewritten file is read again.
    Dictionary(L"German", Utf16Le(L"[Dict]\r\nSave=Sichern\r\n"));
    EXPECT_EQ(TranslateWide(u"Save"), u"Sichern");
    SetCurrentLanguage(u"Ukrainian");
    EXPECT_EQ(TranslateWide(u"Save"), u"Save");
}

TEST_F(LanguageFiles, LookupsOnAnotherThreadWhileTheLanguageChanges) {
    Dictionary(L"Russian", Utf16Le(RussianDict));
    Dictionary(L"German", Utf16Le(L"[Dict]\r\nSave=Speichern\r\n"));
    std::atomic<bool> stop{false};
    // Outcomes: Russian, German, no dictionary, English; then anything else.
    std::atomic<int> outcomes[5] = {};
    std::thread reader([&] {
        const std::u16string valid[4] = {SaveRu + u"...", SaveDe + u"...", u"Save...", u"Save ..."};
        while (!stop) {
            const std::u16string result = TranslateWide(u"Save ...");
            int kind = 0;
            while (kind < 4 && result != valid[kind]) {
                ++kind;
            }
            ++outcomes[kind];
        }
    });
    const std::u16string languages[] = {u"German", u"English", u"Ukrainian", u"Russian", u"..\\Russian",
                                        u"A much longer language name that does not fit a short string buffer"};
    int changes = 0;
    // One second, longer on a busy machine until both files were read; the
    // limit of a minute only guards against a hang.
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (elapsed > std::chrono::seconds(60) ||
            (elapsed > std::chrono::seconds(1) && outcomes[0] > 0 && outcomes[1] > 0)) {
            break;
        }
        SetCurrentLanguage(languages[changes % 6]);
        ++changes;
        std::this_thread::yield();
    }
    stop = true;
    reader.join();
    EXPECT_EQ(outcomes[4].load(), 0) << "unexpected results";
    // Both files were read while the name changed.
    EXPECT_GT(outcomes[0].load(), 0);
    EXPECT_GT(outcomes[1].load(), 0);
    std::printf("[          ] %d language changes; lookups: %d Russian, %d German, %d none, %d English\n", changes,
                outcomes[0].load(), outcomes[1].load(), outcomes[2].load(), outcomes[3].load());
}

TEST_F(LanguageFiles, NamesThatAreNotPlainReadNothing) {
    const std::string leak = Utf16Le(L"[Dict]\r\nSave=LEAK\r\n");
    FFolder.Write(L"Secret.ini", leak);
    ASSERT_TRUE(::CreateDirectoryW((FFolder.Path() + L"Languages\\Sub").c_str(), nullptr));
    Dictionary(L"Sub\\Russian", leak);
    Dictionary(L"Plain", leak);
    // The files are there to be read by a plain name.
    SetCurrentLanguage(u"Plain");
    ASSERT_EQ(TranslateWide(u"Save"), u"LEAK");
    const std::u16string absolute = Text(FFolder.File(L"Secret"));
    for (const std::u16string& name :
         {std::u16string(u"..\\Secret"), std::u16string(u"../Secret"), std::u16string(u"..\\Languages\\Plain"),
          std::u16string(u"Sub\\Russian"), std::u16string(u"Sub/Russian"), std::u16string(u"\\..\\..\\Secret"),
          u"\\\\?\\" + absolute, absolute, std::u16string(u"Plain\0x", 7), std::u16string(u"Plain:x"),
          std::u16string(u"CON"), std::u16string(u"nul"), std::u16string(u"COM1"), std::u16string(u"conin$")}) {
        SetCurrentLanguage(name);
        EXPECT_EQ(TranslateWide(u" Save ..."), u"Save...") << Utf8(ToWide(name));
    }
}

// A small pseudo-random stream, the same on every run.
std::string Noise(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (char& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<char>(seed >> 24);
    }
    return bytes;
}

TEST_F(LanguageFiles, LargeAndBinaryFiles) {
    std::wstring big = L"[Dict]\r\n";
    for (int i = 0; big.size() * 2 < 1024 * 1024; ++i) {
        big += L"Text number " + std::to_wstring(i) + L"=\u0422\u0435\u043A\u0441\u0442 " + std::to_wstring(i) + L"\r\n";
    }
    big += L"Save=\u041D\u0430\u0448\u043B\u0438\r\n";
    Dictionary(L"Russian", Utf16Le(big));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TranslateWide(u"Save"), u"\u041D\u0430\u0448\u043B\u0438");
    EXPECT_EQ(TranslateWide(u"Text number 777"), u"\u0422\u0435\u043A\u0441\u0442 777");
    EXPECT_EQ(TranslateWide(u"Version"), u"Version");
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    std::printf("[          ] three lookups in a %zu-byte dictionary: %lld ms\n", big.size() * 2 + 2,
                static_cast<long long>(ms.count()));

    // Bytes that are no text at all: no mark, a UTF-16 mark, an odd length.
    for (const std::string& bytes : {Noise(64 * 1024, 1), "\xFF\xFE" + Noise(64 * 1024 + 1, 2),
                                     std::string(4096, '\0'), "\xEF\xBB\xBF" + Noise(5000, 3)}) {
        Dictionary(L"Russian", bytes);
        EXPECT_EQ(TranslateWide(u" Version "), u"Version");
        EXPECT_EQ(TranslateWide(u"Save ..."), u"Save...");
    }
}

TEST_F(LanguageFiles, LongTextsAndValues) {
    // Longer than the 2048-character buffer: without an entry the text comes
    // back whole; a value is cut at 2047 characters.
    const std::u16string longText(3000, u'a');
    const std::u16string plain = TranslateWide(longText);
    EXPECT_TRUE(plain == longText) << plain.size() << " characters";
    const std::u16string dotted = TranslateWide(longText + u"...");
    EXPECT_TRUE(dotted == longText + u"...") << dotted.size() << " characters";
    Dictionary(L"Russian", Utf16Le(L"[Dict]\r\nSave=" + std::wstring(3000, L'b') + L"\r\n"));
    const std::u16string value = TranslateWide(u"Save");
    EXPECT_TRUE(value == std::u16string(2047, u'b')) << value.size() << " characters";
}

// A window of three texts, enough to see the form's texts stay UTF-16.
class TSmallForm final : public TTranslatableForm {
public:
    std::u16string FormCaption = u"Brisklet : Options";
    std::u16string Texts[3] = {u"Save", u"Version", u"Cancel"};
    TKind Kinds[3] = {TKind::PushButton, TKind::Label, TKind::OtherControl};

    std::u16string Caption() const override { return FormCaption; }
    void SetCaption(const std::u16string& text) override { FormCaption = text; }
    size_t ComponentCount() const override { return 3; }
    TKind ComponentKind(size_t index) const override { return Kinds[index]; }
    std::u16string ComponentText(size_t index) const override { return Texts[index]; }
    void SetComponentText(size_t index, const std::u16string& text) override { Texts[index] = text; }
    size_t ItemCount(size_t) const override { return 0; }
    std::u16string ItemText(size_t, size_t) const override { return std::u16string(); }
    void SetItemText(size_t, size_t, const std::u16string&) override {}
};

TEST_F(LanguageFiles, FormTranslationKeepsUtf16) {
    Dictionary(L"Russian", Utf16Le(RussianDict + L"Brisklet : Options=Brisklet : \u041D\u0430\u0441\u0442\u0440\u043E\u0439\u043A\u0438\r\n"));
    TSmallForm form;
    TranslateForm(form);
    EXPECT_EQ(form.FormCaption, u"Brisklet : \u041D\u0430\u0441\u0442\u0440\u043E\u0439\u043A\u0438");
    EXPECT_EQ(form.Texts[0], SaveRu);
    EXPECT_EQ(form.Texts[1], u"\u0412\u0435\u0440\u0441\u0438\u044F");
    EXPECT_EQ(form.Texts[2], u"Cancel");
}

}  // namespace
