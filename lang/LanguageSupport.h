// Translation of the window's and the update check's English texts from the
// dictionary file of the messenger's language.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The lookup. source is an English text; the result is its translation, or
// the text itself (key form) where there is none. Never fails.
std::u16string TranslateWide(std::u16string_view source);
// The same for ANSI callers: in and out through the system's ANSI code page.
std::string Translate(std::string_view source);

// What TranslateForm needs of a window: its caption and the components it
// owns, in the order of its component list. No window is needed to
// implement it, so the translation is testable on its own.
class TTranslatableForm {
public:
    enum class TKind {
        PushButton,
        RadioButton,
        CheckBox,
        GroupBox,
        Label,
        RadioGroup,
        OtherControl,  // tab pages, static texts, list boxes, track bars...
        NotControl,    // image lists and the like: left alone
        Empty,         // an empty entry of the component list
    };

    virtual std::u16string Caption() const = 0;
    virtual void SetCaption(const std::u16string& text) = 0;
    virtual size_t ComponentCount() const = 0;
    virtual TKind ComponentKind(size_t index) const = 0;
    virtual std::u16string ComponentText(size_t index) const = 0;
    virtual void SetComponentText(size_t index, const std::u16string& text) = 0;
    // Items of a radio group.
    virtual size_t ItemCount(size_t index) const = 0;
    virtual std::u16string ItemText(size_t index, size_t item) const = 0;
    virtual void SetItemText(size_t index, size_t item, const std::u16string& text) = 0;

protected:
    ~TTranslatableForm() = default;
};

void TranslateForm(TTranslatableForm& form);
