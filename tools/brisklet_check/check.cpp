#include "tools/brisklet_check/check.h"

#include <algorithm>
#include <cctype>

#include "base/utf.h"
#include "core/icons.h"
#include "core/rotation.h"
#include "core/status_line.h"

namespace {

// "pictures 0 to 33": the ones the options window lets the user tick.
const std::string TickablePictures =
    "pictures " + std::to_string(FirstTickableIcon) + " to " + std::to_string(LastTickableIcon);

std::string Quoted(std::u16string_view text) {
    return "\"" + Utf16ToUtf8(text) + "\"";
}

std::string Picture(int32_t icon) {
    return std::to_string(icon) + " (" + IconName(icon) + ")";
}

bool IsBlank(char16_t c) noexcept { return c == u' ' || c == u'\t'; }

bool AllDigits(std::u16string_view text) noexcept {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

class TChecker {
public:
    explicit TChecker(TCheckReport& report) : FReport(report) {}

    void Add(size_t line, TSeverity severity, TIssueCode code, std::string message, std::u16string_view entry) {
        FReport.Issues.push_back(TCheckIssue{line, severity, code, std::move(message), Utf16ToUtf8(entry)});
    }

    // ExpandLineMarkers leaves every marker alone unless one is lower case.
    void CheckMarkers(size_t line, std::u16string_view text, std::u16string_view entry) {
        if (text.find(u"/nl") != std::u16string_view::npos) {
            return;
        }
        const size_t at = FindMarkerAnyCase(text);
        if (at != std::u16string_view::npos) {
            Add(line, TSeverity::Problem, TIssueCode::MarkerCase,
                Quoted(text.substr(at, 3)) +
                    " is shown as typed: markers become line breaks only when the text holds at least one "
                    "\"/nl\" in lower case",
                entry);
        }
    }

    void CheckListEntry(size_t line, std::u16string_view entry) {
        ++FReport.Usable;
        if (entry.empty()) {
            Add(line, TSeverity::Warning, TIssueCode::EmptyEntry,
                "empty line: when it is drawn, the xStatus text becomes empty", entry);
            return;
        }
        CheckMarkers(line, entry, entry);
    }

    void CheckStatusEntry(size_t line, std::u16string_view entry) {
        if (entry.empty()) {
            Add(line, TSeverity::Problem, TIssueCode::EmptyEntry,
                "empty line: it has no icon number, so it is never drawn", entry);
            return;
        }
        const size_t fields = CountFields(entry);
        // The plug-in's own parser decides; a text never holds CR, so the
        // sentinel survives only when the entry is refused.
        int32_t parsedIcon = 0;
        std::u16string title = u"\r";
        std::u16string text;
        ParseStatusLine(entry, parsedIcon, title, text);
        if (title == u"\r") {
            std::string message = "has " + std::to_string(fields) + (fields == 1 ? " field" : " fields") +
                                  "; an entry needs three: icon|title|text";
            if (fields > 3) {
                message += " (a text cannot hold \"|\")";
            } else if (entry.back() == u'|') {
                message += " (an empty text at the end does not count)";
            }
            Add(line, TSeverity::Problem, TIssueCode::FieldCount, std::move(message), entry);
            return;
        }
        const std::u16string_view iconField = entry.substr(0, entry.find(u'|'));
        if (!CheckIconField(line, iconField, entry)) {
            return;
        }
        ++FReport.Usable;
        ++FReport.PerIcon[parsedIcon];
        if (FindMarkerAnyCase(title) != std::u16string_view::npos) {
            Add(line, TSeverity::Problem, TIssueCode::MarkerInTitle,
                "\"/nl\" in the title is shown as typed: only the xStatus text (the third field) gets line breaks",
                entry);
        }
        CheckMarkers(line, text, entry);
    }

private:
    // For the message only (ParseStatusLine decides): "|" counts as a line
    // end, as in the parser, so an empty last field is no field.
    static size_t CountFields(std::u16string_view entry) {
        std::u16string joined;
        for (const char16_t c : entry) {
            if (c == u'|') {
                joined += u"\r\n";
            } else {
                joined.push_back(c);
            }
        }
        return CutLines(joined).size();
    }

    // The rotation takes an entry only when it starts with a tickable icon
    // exactly as integer formatting writes it, followed by "|".
    bool CheckIconField(size_t line, std::u16string_view field, std::u16string_view entry) {
        int32_t value = 0;
        if (ParseInt32(field, value) && DecimalText(value) == field) {
            if (value < FirstTickableIcon || value > LastTickableIcon) {
                Add(line, TSeverity::Problem, TIssueCode::IconOutOfRange,
                    "icon " + std::to_string(value) +
                        " cannot be ticked in the options window (" + TickablePictures + "), so the entry is never drawn",
                    entry);
                return false;
            }
            return HasIconPrefix(entry, DecimalText(value));
        }
        size_t first = 0;
        size_t last = field.size();
        while (first < last && IsBlank(field[first])) ++first;
        while (last > first && IsBlank(field[last - 1])) --last;
        const std::u16string_view trimmed = field.substr(first, last - first);
        const bool hasSign = !trimmed.empty() && (trimmed[0] == u'+' || trimmed[0] == u'-');
        const std::u16string_view digits = hasSign ? trimmed.substr(1) : trimmed;
        if (!AllDigits(digits)) {
            Add(line, TSeverity::Problem, TIssueCode::IconNotNumber,
                field.empty() ? std::string("the icon number is missing, so the entry is never drawn")
                              : "the icon " + Quoted(field) + " is not a number, so the entry is never drawn",
                entry);
            return false;
        }
        if (!ParseInt32(trimmed, value)) {
            Add(line, TSeverity::Problem, TIssueCode::IconOutOfRange,
                "icon " + Quoted(field) + " cannot be ticked in the options window (" + TickablePictures + ")", entry);
            return false;
        }
        TIssueCode code = TIssueCode::IconLeadingZeros;
        const char* what = "has leading zeros";
        if (trimmed.size() != field.size()) {
            code = TIssueCode::IconBlanks;
            what = "has blanks";
        } else if (hasSign) {
            code = TIssueCode::IconSign;
            what = "has a sign";
        }
        std::string message = "the icon " + Quoted(field) + " " + what;
        if (value >= FirstTickableIcon && value <= LastTickableIcon) {
            message += ": the plug-in draws only entries that start with \"" + std::to_string(value) +
                       "|\" for picture " + Picture(value);
        } else {
            message += " and is outside the " + TickablePictures;
        }
        Add(line, TSeverity::Problem, code, std::move(message), entry);
        return false;
    }

    TCheckReport& FReport;
};

}  // namespace

size_t FindMarkerAnyCase(std::u16string_view text) noexcept {
    for (size_t i = 0; i + 2 < text.size(); ++i) {
        if (text[i] == u'/' && (text[i + 1] == u'n' || text[i + 1] == u'N') &&
            (text[i + 2] == u'l' || text[i + 2] == u'L')) {
            return i;
        }
    }
    return std::u16string_view::npos;
}

size_t TCheckReport::Count(TSeverity severity) const noexcept {
    return static_cast<size_t>(
        std::count_if(Issues.begin(), Issues.end(), [severity](const TCheckIssue& i) { return i.Severity == severity; }));
}

const char* IssueCodeName(TIssueCode code) noexcept {
    switch (code) {
    case TIssueCode::EmptyEntry: return "empty-entry";
    case TIssueCode::FieldCount: return "field-count";
    case TIssueCode::IconNotNumber: return "icon-not-number";
    case TIssueCode::IconSign: return "icon-sign";
    case TIssueCode::IconLeadingZeros: return "icon-leading-zeros";
    case TIssueCode::IconBlanks: return "icon-blanks";
    case TIssueCode::IconOutOfRange: return "icon-out-of-range";
    case TIssueCode::MarkerCase: return "marker-case";
    case TIssueCode::MarkerInTitle: return "marker-in-title";
    case TIssueCode::TextAfterNul: return "text-after-nul";
    case TIssueCode::OddByte: return "odd-byte";
    case TIssueCode::AnsiLetters: return "ansi-letters";
    }
    return "?";
}

const char* SeverityName(TSeverity severity) noexcept {
    return severity == TSeverity::Problem ? "problem" : "warning";
}

const char* KindName(TListKind kind) noexcept {
    return kind == TListKind::List ? "list" : "statuses";
}

const char* EncodingKey(TListEncoding encoding) noexcept {
    switch (encoding) {
    case TListEncoding::Ansi: return "ansi";
    case TListEncoding::Utf8: return "utf-8";
    case TListEncoding::Utf8Bom: return "utf-8-bom";
    case TListEncoding::Utf16Le: return "utf-16le";
    case TListEncoding::Utf16Be: return "utf-16be";
    }
    return "?";
}

bool KindFromFileName(std::string_view path, TListKind& kind) noexcept {
    const size_t slash = path.find_last_of("/\\:");
    std::string name(slash == std::string_view::npos ? path : path.substr(slash + 1));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    if (name == "list.txt") {
        kind = TListKind::List;
        return true;
    }
    if (name == "statuses.txt") {
        kind = TListKind::Statuses;
        return true;
    }
    return false;
}

TCheckReport CheckListBytes(const uint8_t* data, size_t size, TListKind kind, TAnsiToUtf16 ansi) {
    TCheckReport report;
    report.Kind = kind;
    const std::u16string text = DecodeListText(data, size, ansi, &report.Encoding);
    TChecker checker(report);

    if ((report.Encoding == TListEncoding::Utf16Le || report.Encoding == TListEncoding::Utf16Be) && size % 2 == 1) {
        checker.Add(0, TSeverity::Warning, TIssueCode::OddByte,
                    "the file has an odd number of bytes for UTF-16: its last byte is ignored", u"");
    }
    if (report.Encoding == TListEncoding::Ansi &&
        std::any_of(data, data + size, [](uint8_t b) { return b >= 0x80; })) {
        checker.Add(0, TSeverity::Warning, TIssueCode::AnsiLetters,
                    "no byte-order mark and not UTF-8: letters beyond English are read in the system's code "
                    "page, so they depend on the Windows language settings; save the file as UTF-8",
                    u"");
    }

    // Each entry is one line of the file: every line end ends an entry and
    // none is dropped, so entry i stands on line i + 1.
    const std::vector<std::u16string_view> entries = CutLines(text);
    report.Entries = entries.size();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (kind == TListKind::List) {
            checker.CheckListEntry(i + 1, entries[i]);
        } else {
            checker.CheckStatusEntry(i + 1, entries[i]);
        }
    }

    const size_t nul = text.find(u'\0');
    if (nul != std::u16string::npos &&
        text.find_first_not_of(std::u16string_view(u"\0\r\n", 3), nul) != std::u16string::npos) {
        const size_t line = CutLines(text.substr(0, nul) + u"x").size();
        checker.Add(line, TSeverity::Warning, TIssueCode::TextAfterNul,
                    "a NUL character ends the text here: the rest of the file is ignored", u"");
    }
    return report;
}
