// Translation of the window's and the update check's English texts from the
// dictionary file of the messenger's language: "Languages\<language>.ini"
// next to the plug-in, section "Dict". The file is read anew for every text,
// so a change of language or of the file shows at the next lookup.
#pragma once

#include <string>
#include <string_view>

#include "lang/translatable_form.h"

// The lookup. source is an English text; the result is its translation, or
// the text itself (key form) where there is none. Never fails. Safe on any
// thread: the language is copied under the lock that guards it.
std::u16string TranslateWide(std::u16string_view source) noexcept;

// The same for ANSI callers: in and out through the system's ANSI code page,
// so characters that the code page lacks become the platform's substitutes.
// Captions shown through the wide window functions use TranslateWide.
std::string Translate(std::string_view source) noexcept;

// Translates the window's caption and its components' texts in place, in
// UTF-16 end to end (see TranslateFormWith).
void TranslateForm(TTranslatableForm& form) noexcept;
