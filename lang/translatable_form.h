// What the translation of a whole window needs of it, and the walk over its
// components. Portable: no window is needed, so the walk is testable alone.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// A window's caption and the components it owns, in the order of its
// component list. Texts are UTF-16 throughout, so a translation keeps every
// character on its way to the wide window functions.
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

using TTextTranslator = std::function<std::u16string(std::u16string_view)>;

// Translates the caption, then each component from index 0 up. Buttons,
// radio buttons, check boxes, group boxes and labels pass through translate
// twice, so a translation that is itself a key is translated once more; a
// radio group's items once and its own caption once; other controls once.
// A text is written back only when it changed. Whatever one component
// throws (the form or the translator) skips that component only.
void TranslateFormWith(TTranslatableForm& form, const TTextTranslator& translate) noexcept;
