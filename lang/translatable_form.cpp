#include "lang/translatable_form.h"

namespace {

template <class Get, class Set>
void Retranslate(const TTextTranslator& translate, Get&& get, Set&& set) {
    const std::u16string old = get();
    const std::u16string fresh = translate(old);
    if (fresh != old) {
        set(fresh);
    }
}

bool TranslatedTwice(TTranslatableForm::TKind kind) {
    using K = TTranslatableForm::TKind;
    return kind == K::PushButton || kind == K::RadioButton || kind == K::CheckBox || kind == K::GroupBox ||
           kind == K::Label;
}

void TranslateComponent(TTranslatableForm& form, size_t index, const TTextTranslator& translate) {
    using K = TTranslatableForm::TKind;
    const K kind = form.ComponentKind(index);
    if (kind == K::Empty || kind == K::NotControl) {
        return;
    }
    const auto get = [&] { return form.ComponentText(index); };
    const auto set = [&](const std::u16string& text) { form.SetComponentText(index, text); };
    if (TranslatedTwice(kind)) {
        Retranslate(translate, get, set);
    }
    if (kind == K::RadioGroup) {
        const size_t items = form.ItemCount(index);
        for (size_t item = 0; item < items; ++item) {
            Retranslate(
                translate, [&] { return form.ItemText(index, item); },
                [&](const std::u16string& text) { form.SetItemText(index, item, text); });
        }
    }
    // Every control, the kinds above included.
    Retranslate(translate, get, set);
}

}  // namespace

void TranslateFormWith(TTranslatableForm& form, const TTextTranslator& translate) noexcept {
    try {
        Retranslate(
            translate, [&] { return form.Caption(); }, [&](const std::u16string& text) { form.SetCaption(text); });
    } catch (...) {
    }
    size_t count = 0;
    try {
        count = form.ComponentCount();
    } catch (...) {
        return;
    }
    for (size_t index = 0; index < count; ++index) {
        try {
            TranslateComponent(form, index, translate);
        } catch (...) {
        }
    }
}
