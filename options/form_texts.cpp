#include "options/form_texts.h"

#include <algorithm>

#include "base/wide.h"
#include "lang/LanguageSupport.h"
#include "options/layout_form.h"

std::u16string WindowText(HWND window) {
    if (!window) {
        return std::u16string();
    }
    const int length = ::GetWindowTextLengthW(window);
    std::wstring buffer(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    const int got = ::GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return FromWide(buffer.data(), static_cast<size_t>(std::max(got, 0)));
}

// The window as TranslateForm sees it: the caption, then the layout's rows in
// order, with the radio groups' items.
class TFormTexts final : public TTranslatableForm {
public:
    explicit TFormTexts(TLayoutForm& form) : F(form) {}

    std::u16string Caption() const override { return WindowText(F.Handle()); }
    void SetCaption(const std::u16string& text) override { ::SetWindowTextW(F.Handle(), W(text)); }
    size_t ComponentCount() const override { return F.FLayout.Rows.size(); }
    TKind ComponentKind(size_t index) const override {
        return TLayoutForm::KindOf(F.FLayout.Rows[index].Kind).Translation;
    }
    std::u16string ComponentText(size_t index) const override { return F.ControlText(index); }
    void SetComponentText(size_t index, const std::u16string& text) override { F.SetControlText(index, text); }
    size_t ItemCount(size_t index) const override { return F.FRadioItems[index].size(); }
    std::u16string ItemText(size_t index, size_t item) const override {
        return WindowText(F.FRadioItems[index].at(item));
    }
    void SetItemText(size_t index, size_t item, const std::u16string& text) override {
        ::SetWindowTextW(F.FRadioItems[index].at(item), W(text));
    }

private:
    TLayoutForm& F;
};

std::u16string TLayoutForm::ControlText(size_t row) const { return WindowText(FControls[row]); }

void TLayoutForm::SetControlText(size_t row, const std::u16string& text) {
    const HWND control = FControls[row];
    if (!control) {
        return;
    }
    ::SetWindowTextW(control, W(text));
    if (const TRowAction changed = KindOf(FLayout.Rows[row].Kind).TextChanged) {
        (this->*changed)(row);
    }
}

void TLayoutForm::Translate() {
    TFormTexts texts(*this);
    TranslateForm(texts);
}

