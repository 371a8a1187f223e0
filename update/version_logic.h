// What the update check decides once the version file is read: the numbers,
// the comparison, the page to offer and the report text. Portable: no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The maker's web host. The version file's name is appended to the folder.
inline constexpr std::u16string_view UpdateFolderURL = u"http://www.orvane.example/update/";
inline constexpr std::u16string_view HomePageURL = u"http://www.orvane.example";
inline constexpr std::u16string_view UpdateAgentName = u"orvane software";

// A bigger answer is not a version file; it is refused rather than saved.
inline constexpr size_t MaxVersionFileSize = 64 * 1024;

// The report texts, in English; each is translated when it is shown, except
// TextCannotOpenTemp after a read error, which is shown as it stands.
inline constexpr std::u16string_view TextWaiting = u"Getting information about new version. Please wait...";
inline constexpr std::u16string_view TextCannotConnect = u"Cannot connect to site. Check your internet connection.";
inline constexpr std::u16string_view TextCannotOpenTemp = u"Cannot open folder for temporary files.";
inline constexpr std::u16string_view TextNoUpdates = u"No updates available. You have latest version.";
inline constexpr std::u16string_view TextUpdateAvailable = u"Update available. Installed version:";
inline constexpr std::u16string_view TextLatestVersion = u"latest available version:";

struct TVersion {
    int32_t Major = 0;
    int32_t Minor = 0;
    int32_t Release = 0;
};

// Major decides, then minor, then release; equal is not newer.
bool IsNewerVersion(const TVersion& remote, const TVersion& installed) noexcept;

// A number of the version file: decimal with an optional sign, or, when the
// text has at least three characters and begins "0x"/"0X", hexadecimal taken
// as a 32-bit pattern ("0xFFFFFFFF" is -1). Anything else, an empty text
// (missing key) and values that leave 32 bits give 0.
int32_t ParseVersionValue(std::u16string_view text) noexcept;

// Only a plain web address may reach the shell's "open": http:// or
// https:// in any letter case, something after it, and no blank or control
// character anywhere.
bool IsAcceptablePageURL(std::u16string_view value) noexcept;

// The page to offer: the version file's value when acceptable, otherwise
// (absent, empty or anything else) the home page.
std::u16string ChoosePageURL(std::u16string_view value);

std::u16string VersionFileURL(std::u16string_view fileName);

// The raw values of section "update"; an absent key reads as empty.
struct TVersionFileValues {
    std::u16string Major;
    std::u16string Minor;
    std::u16string Release;
    std::u16string Page;
};

struct TUpdateOutcome {
    bool Newer = false;
    TVersion Remote;
    std::u16string Page;  // meaningful only when Newer
};

TUpdateOutcome EvaluateVersionFile(const TVersionFileValues& values, const TVersion& installed);

// installedPart " " 0.3.6 " " latestPart " " 0.3.7 " ." with the parts
// already translated.
std::u16string ComposeUpdateAvailableText(std::u16string_view installedPart, const TVersion& installed,
                                          std::u16string_view latestPart, const TVersion& remote);

// The six English source texts above, for the dictionaries' check.
std::vector<std::u16string> UpdateCheckTexts();
