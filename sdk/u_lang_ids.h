// Language names as the Vostek messenger sends them with HM_LANGUAGE.
// The plug-in carries no list of languages: any name selects the file
// "Languages\<name>.ini"; only the exact name below switches translation off.
#pragma once

inline constexpr wchar_t LanguageEnglish[] = L"English";
