#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "lang/lang_key.h"
#include "lang/translatable_form.h"

namespace {

// A dictionary of one language as the profile functions answer it: the
// entry, or the key itself as the default. Records what it was asked.
struct TFakeDictionary {
    std::u16string Language = u"Russian";
    std::map<std::u16string, std::u16string> Entries;
    std::vector<std::pair<std::u16string, std::u16string>> Asked;

    TDictionaryLookup Lookup() {
        return [this](const std::u16string& language, const std::u16string& key) {
            Asked.emplace_back(language, key);
            if (language != Language) {
                return key;
            }
            const auto found = Entries.find(key);
            return found == Entries.end() ? key : found->second;
        };
    }
    std::u16string Translate(std::u16string_view source, std::u16string_view language = u"Russian") {
        return TranslateText(source, language, Lookup());
    }
};

const TDictionaryLookup NeverAsked = [](const std::u16string&, const std::u16string&) -> std::u16string {
    ADD_FAILURE() << "the dictionary was read";
    return u"read";
};

TEST(KeyForm, TrimsEveryCharacterOfCode32OrLessAtBothEnds) {
    EXPECT_EQ(KeyFormOf(u" Version ").Key, u"Version");
    EXPECT_EQ(KeyFormOf(std::u16string(u"\0\t\r\n\x1F Save \x01\x0B\x0C\x20", 14)).Key, u"Save");
    // Inside the text nothing is touched.
    EXPECT_EQ(KeyFormOf(u"  Deselect \t all\n").Key, u"Deselect \t all");
    // Code 33 and the no-break space are not blanks.
    EXPECT_EQ(KeyFormOf(u"!Save!").Key, u"!Save!");
    EXPECT_EQ(KeyFormOf(u"\u00A0Save\u00A0").Key, u"\u00A0Save\u00A0");
    EXPECT_EQ(KeyFormOf(u"Save").HadDots, false);
    EXPECT_EQ(TrimBlanks(u" \t\r\n"), u"");
}

TEST(KeyForm, TrailingDotsAreCutOnceAndTheRestTrimmedAgain) {
    const TTextKey save = KeyFormOf(u"Save ...");
    EXPECT_EQ(save.Key, u"Save");
    EXPECT_TRUE(save.HadDots);
    EXPECT_EQ(KeyFormOf(u"\tGetting information about new version. Please wait...\r\n").Key,
              u"Getting information about new version. Please wait");
    // Only one "..." goes; blanks between two runs of dots stay.
    EXPECT_EQ(KeyFormOf(u"Wait ... ...").Key, u"Wait ...");
    EXPECT_EQ(KeyFormOf(u"Wait....").Key, u"Wait.");
    // Dots followed by blanks are still trailing dots.
    EXPECT_EQ(KeyFormOf(u"Wait... \r\n").Key, u"Wait");
    // Two dots, or dots split by a blank, are not "...".
    EXPECT_FALSE(KeyFormOf(u"Wait..").HadDots);
    EXPECT_FALSE(KeyFormOf(u"Wait.. .").HadDots);
    // Dots in front are kept.
    EXPECT_EQ(KeyFormOf(u"...and more").Key, u"...and more");
    const TTextKey lone = KeyFormOf(u" ... ");
    EXPECT_EQ(lone.Key, u"");
    EXPECT_TRUE(lone.HadDots);
}

TEST(BreakMarker, LowerCaseSlashNBecomesLfThenCr) {
    EXPECT_EQ(ReplaceBreakMarkers(u"A/nB"), u"A\n\rB");
    EXPECT_EQ(ReplaceBreakMarkers(u"/n/n"), u"\n\r\n\r");
    EXPECT_EQ(ReplaceBreakMarkers(u"//n"), u"/\n\r");
    // "/nl" of the status texts means nothing here: "/n" goes, "l" stays.
    EXPECT_EQ(ReplaceBreakMarkers(u"a/nlb"), u"a\n\rlb");
    EXPECT_EQ(ReplaceBreakMarkers(u"A/NB"), u"A/NB");
    EXPECT_EQ(ReplaceBreakMarkers(u"n/ and a slash at the end/"), u"n/ and a slash at the end/");
    EXPECT_EQ(ReplaceBreakMarkers(u""), u"");
}

TEST(LanguageName, PlainFileNamesOnly) {
    for (const std::u16string_view name :
         {u"Russian", u"German", u"english", u"", u"Portugu\u00EAs", u"\u0420\u0443\u0441\u0441\u043A\u0438\u0439",
          u"Chinese (Simplified)", u"..", u"Console", u"COM10", u"LPTX", u"nul-ish", u"Auxiliary"}) {
        EXPECT_TRUE(IsPlainLanguageName(name)) << std::string(name.begin(), name.end());
    }
    for (const std::u16string_view name :
         {u"..\\Secret", u"../Secret", u"Sub/Russian", u"Sub\\Russian", u"C:Russian", u"Russian:stream", u"\\\\?\\C:\\x",
          u"Rus*", u"Rus?", u"R\"u", u"R<u", u"R>u", u"R|u", u"Rus\tsian", u"Rus\u001Fsian"}) {
        EXPECT_FALSE(IsPlainLanguageName(name)) << std::string(name.begin(), name.end());
    }
    EXPECT_FALSE(IsPlainLanguageName(std::u16string(u"Russian\0x", 9)));
    // Device names, whatever case, extension or trailing blanks follow.
    for (const std::u16string_view name :
         {u"CON", u"con", u"Nul", u"PRN", u"aux", u"COM1", u"com9", u"LPT0", u"lpt\u00B9", u"CON.x", u"NUL .y", u"CONIN$", u"conout$"}) {
        EXPECT_FALSE(IsPlainLanguageName(name)) << std::string(name.begin(), name.end());
    }
}

TEST(TranslateText, EnglishIsTheTextItselfWithMarkersReplaced) {
    EXPECT_EQ(TranslateText(u"A/nB", u"English", NeverAsked), u"A\n\rB");
    EXPECT_EQ(TranslateText(u"  Version \t", u"English", NeverAsked), u"  Version \t");
    EXPECT_EQ(TranslateText(u"Save ...", u"English", NeverAsked), u"Save ...");
    EXPECT_EQ(TranslateText(u" \r\n", u"English", NeverAsked), u" \r\n");
    EXPECT_EQ(TranslateText(u"", u"English", NeverAsked), u"");
}

TEST(TranslateText, OnlyExactlyEnglishTurnsTranslationOff) {
    TFakeDictionary dict;
    for (const std::u16string_view language : {u"english", u"ENGLISH", u"English ", u" English", u""}) {
        dict.Asked.clear();
        EXPECT_EQ(dict.Translate(u" Version ", language), u"Version");
        ASSERT_EQ(dict.Asked.size(), 1u);
        EXPECT_EQ(dict.Asked[0].first, language);
        EXPECT_EQ(dict.Asked[0].second, u"Version");
    }
}

TEST(TranslateText, FoundEntries) {
    TFakeDictionary dict;
    dict.Entries = {{u"Save", u"\u0421\u043E\u0445\u0440\u0430\u043D\u0438\u0442\u044C"},
                    {u"Version", u" padded value "},
                    {u"Two lines", u"One/nTwo"},
                    {u"Getting information about new version. Please wait", u"Wait"}};
    EXPECT_EQ(dict.Translate(u"Save"), u"\u0421\u043E\u0445\u0440\u0430\u043D\u0438\u0442\u044C");
    EXPECT_EQ(dict.Translate(u"Save ..."), u"\u0421\u043E\u0445\u0440\u0430\u043D\u0438\u0442\u044C...");
    EXPECT_EQ(dict.Asked.back().second, u"Save");
    EXPECT_EQ(dict.Translate(u"Getting information about new version. Please wait..."), u"Wait...");
    // The value comes back as the dictionary gives it.
    EXPECT_EQ(dict.Translate(u" Version "), u" padded value ");
    EXPECT_EQ(dict.Translate(u"Two lines"), u"One\n\rTwo");
}

TEST(TranslateText, NoEntryGivesTheKeyForm) {
    TFakeDictionary dict;
    EXPECT_EQ(dict.Translate(u" Version "), u"Version");
    EXPECT_EQ(dict.Translate(u"Save ..."), u"Save...");
    EXPECT_EQ(dict.Translate(u"\tA/nB\r\n"), u"A\n\rB");
    EXPECT_EQ(dict.Translate(u"A/NB"), u"A/NB");
    // A lone "..." has the empty key, which no file can hold.
    dict.Asked.clear();
    EXPECT_EQ(dict.Translate(u" ... "), u"...");
    EXPECT_TRUE(dict.Asked.empty());
    // Nor can a key holding U+0000: it would be cut there.
    dict.Entries = {{u"Save", u"wrong"}};
    EXPECT_EQ(dict.Translate(std::u16string(u"Save\0more", 9)), std::u16string(u"Save\0more", 9));
    EXPECT_TRUE(dict.Asked.empty());
}

TEST(TranslateText, EmptyValuesGiveTheSourceAsPassedIn) {
    TFakeDictionary dict;
    dict.Entries = {{u"Cancel", u""}, {u"Blank", u" \t "}, {u"Save", u""}, {u"Marked/n", u""}};
    EXPECT_EQ(dict.Translate(u" Cancel "), u" Cancel ");
    EXPECT_EQ(dict.Translate(u"Blank"), u"Blank");
    EXPECT_EQ(dict.Translate(u" Marked/n "), u" Marked\n\r ");
    // The dots come back even to an empty value.
    EXPECT_EQ(dict.Translate(u"Save ..."), u"...");
}

TEST(TranslateText, EmptyOrBlankSourceGivesAnEmptyText) {
    EXPECT_EQ(TranslateText(u"", u"Russian", NeverAsked), u"");
    EXPECT_EQ(TranslateText(std::u16string(u" \t\r\n\0\x1F", 6), u"Russian", NeverAsked), u"");
}

TEST(TranslateText, ErrorsGiveTheSourceWithMarkersReplaced) {
    const TDictionaryLookup failing = [](const std::u16string&, const std::u16string&) -> std::u16string {
        throw std::runtime_error("cannot read");
    };
    EXPECT_EQ(TranslateText(u" Save .../n", u"Russian", failing), u" Save ...\n\r");
    EXPECT_EQ(TranslateText(u"Version", u"Russian", failing), u"Version");
}

TEST(TranslateText, NamesThatAreNotPlainHaveNoDictionary) {
    for (const std::u16string_view language : {u"..\\Russian", u"../Russian", u"C:Russian", u"CON", u"a\\b"}) {
        EXPECT_EQ(TranslateText(u" Save ...", language, NeverAsked), u"Save...");
        EXPECT_EQ(TranslateText(u" Version ", language, NeverAsked), u"Version");
    }
}

// A window of components with texts, counting every write.
class TFakeForm final : public TTranslatableForm {
public:
    struct TComponent {
        TKind Kind;
        std::u16string Text;
        std::vector<std::u16string> Items;
        bool Throws = false;
    };

    std::u16string FormCaption;
    std::vector<TComponent> Components;
    int Writes = 0;

    std::u16string Caption() const override { return FormCaption; }
    void SetCaption(const std::u16string& text) override {
        FormCaption = text;
        ++Writes;
    }
    size_t ComponentCount() const override { return Components.size(); }
    TKind ComponentKind(size_t index) const override { return Components.at(index).Kind; }
    std::u16string ComponentText(size_t index) const override {
        const TComponent& c = Components.at(index);
        if (c.Throws) {
            throw std::runtime_error("gone");
        }
        if (c.Kind == TKind::Empty || c.Kind == TKind::NotControl) {
            ADD_FAILURE() << "text of component " << index << " read";
        }
        return c.Text;
    }
    void SetComponentText(size_t index, const std::u16string& text) override {
        Components.at(index).Text = text;
        ++Writes;
    }
    size_t ItemCount(size_t index) const override { return Components.at(index).Items.size(); }
    std::u16string ItemText(size_t index, size_t item) const override { return Components.at(index).Items.at(item); }
    void SetItemText(size_t index, size_t item, const std::u16string& text) override {
        Components.at(index).Items.at(item) = text;
        ++Writes;
    }
};

using K = TTranslatableForm::TKind;

// "A" translates to "B", "B" to "C": a second pass shows as "C".
TTextTranslator Chain(std::vector<std::u16string>* seen = nullptr) {
    return [seen](std::u16string_view text) {
        if (seen) {
            seen->emplace_back(text);
        }
        if (text == u"A") {
            return std::u16string(u"B");
        }
        if (text == u"B") {
            return std::u16string(u"C");
        }
        return std::u16string(text);
    };
}

TEST(TranslateForm, FiveKindsAreTranslatedTwiceOtherControlsOnce) {
    TFakeForm form;
    form.FormCaption = u"A";
    for (const K kind : {K::PushButton, K::RadioButton, K::CheckBox, K::GroupBox, K::Label, K::OtherControl}) {
        form.Components.push_back({kind, u"A", {}});
    }
    TranslateFormWith(form, Chain());
    EXPECT_EQ(form.FormCaption, u"B");
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(form.Components[i].Text, u"C") << "component " << i;
    }
    EXPECT_EQ(form.Components[5].Text, u"B");
}

TEST(TranslateForm, RadioGroupCaptionOnceAndItsItemsOnce) {
    TFakeForm form;
    form.Components.push_back({K::RadioGroup, u"A", {u"A", u"B", u"x"}});
    TranslateFormWith(form, Chain());
    EXPECT_EQ(form.Components[0].Text, u"B");
    EXPECT_EQ(form.Components[0].Items, (std::vector<std::u16string>{u"B", u"C", u"x"}));
}

TEST(TranslateForm, NonControlsAndEmptyEntriesAreLeftAlone) {
    TFakeForm form;
    form.Components.push_back({K::NotControl, u"A", {u"A"}});
    form.Components.push_back({K::Empty, u"A", {}});
    form.Components.push_back({K::Label, u"A", {}});
    TranslateFormWith(form, Chain());
    EXPECT_EQ(form.Components[0].Text, u"A");
    EXPECT_EQ(form.Components[0].Items[0], u"A");
    EXPECT_EQ(form.Components[1].Text, u"A");
    EXPECT_EQ(form.Components[2].Text, u"C");
}

TEST(TranslateForm, WritesBackOnlyWhatChanged) {
    TFakeForm form;
    form.FormCaption = u"x";
    form.Components.push_back({K::PushButton, u"y", {}});
    form.Components.push_back({K::RadioGroup, u"z", {u"p", u"q"}});
    TranslateFormWith(form, Chain());
    EXPECT_EQ(form.Writes, 0);
    // "B" becomes "C" in the first pass; the second pass leaves "C" alone.
    form.Components = {{K::PushButton, u"B", {}}};
    TranslateFormWith(form, Chain());
    EXPECT_EQ(form.Components[0].Text, u"C");
    EXPECT_EQ(form.Writes, 1);
}

TEST(TranslateForm, TextsAreTranslatedInComponentOrder) {
    TFakeForm form;
    form.FormCaption = u"caption";
    form.Components.push_back({K::OtherControl, u"page", {}});
    form.Components.push_back({K::PushButton, u"button", {}});
    form.Components.push_back({K::RadioGroup, u"group", {u"one", u"two"}});
    std::vector<std::u16string> seen;
    TranslateFormWith(form, Chain(&seen));
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"caption", u"page", u"button", u"button", u"one", u"two", u"group"}));
}

TEST(TranslateForm, AThrowingComponentIsSkipped) {
    TFakeForm form;
    form.Components.push_back({K::Label, u"A", {}});
    form.Components.push_back({K::PushButton, u"A", {}, true});
    form.Components.push_back({K::OtherControl, u"A", {}});
    form.Components.push_back({K::PushButton, u"fails", {}});
    form.Components.push_back({K::GroupBox, u"A", {}});
    const TTextTranslator translate = [](std::u16string_view text) {
        if (text == u"fails") {
            throw std::runtime_error("no translation");
        }
        return Chain()(text);
    };
    TranslateFormWith(form, translate);
    EXPECT_EQ(form.Components[0].Text, u"C");
    EXPECT_EQ(form.Components[1].Text, u"A");
    EXPECT_EQ(form.Components[2].Text, u"B");
    EXPECT_EQ(form.Components[3].Text, u"fails");
    EXPECT_EQ(form.Components[4].Text, u"C");
}

TEST(TranslateForm, WithTheLookupAKeyingTranslationIsTranslatedAgain) {
    // A dictionary whose translation of "Version" is the key "Update".
    TFakeDictionary dict;
    dict.Entries = {{u"Version", u"Update"}, {u"Update", u"\u041E\u0431\u043D\u043E\u0432\u043B\u0435\u043D\u0438\u0435"}};
    TFakeForm form;
    form.FormCaption = u"Version";
    form.Components.push_back({K::Label, u"Version", {}});
    form.Components.push_back({K::OtherControl, u" Version ", {}});
    TranslateFormWith(form, [&](std::u16string_view text) { return dict.Translate(text); });
    EXPECT_EQ(form.FormCaption, u"Update");
    EXPECT_EQ(form.Components[0].Text, u"\u041E\u0431\u043D\u043E\u0432\u043B\u0435\u043D\u0438\u0435");
    EXPECT_EQ(form.Components[1].Text, u"Update");
}

}  // namespace
