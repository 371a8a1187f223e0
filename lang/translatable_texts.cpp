#include "translatable_texts.h"

std::vector<std::u16string> TranslatableTexts() {
    std::vector<std::u16string> texts = OptionsWindowTexts();
    const std::vector<std::u16string> update = UpdateCheckTexts();
    texts.insert(texts.end(), update.begin(), update.end());
    return texts;
}
