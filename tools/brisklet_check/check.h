// brisklet-check: finds the entries of a user's "list.txt" or "statuses.txt"
// that the plug-in will never apply, using the plug-in's own decoding,
// line cutting and parsing. Portable: no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/icons.h"
#include "core/reference_decoder.h"

enum class TListKind { List, Statuses };

// Problems make an entry, or a marker in it, never work as written; they set
// the exit status. Warnings are legal but likely not what the writer meant.
enum class TSeverity { Warning, Problem };

// Each code has a stable name for the --json output (IssueCodeName).
enum class TIssueCode {
    EmptyEntry,        // statuses.txt: problem; list.txt: warning
    FieldCount,        // not exactly icon|title|text
    IconNotNumber,     // the icon field is no number at all
    IconSign,          // "+5|..", "-0|..": the prefix "5|" never matches
    IconLeadingZeros,  // "05|.."
    IconBlanks,        // " 5|..", "5 |.."
    IconOutOfRange,    // outside the pictures that can be ticked
    MarkerCase,        // "/NL" or "/Nl" without one lower-case "/nl": shown literally
    MarkerInTitle,     // "/nl" in the Status text, which is never expanded
    TextAfterNul,      // a NUL ends the text; what follows is ignored
    OddByte,           // a UTF-16 file with an odd length loses its last byte
    AnsiLetters,       // no mark, not UTF-8, bytes past ASCII: depends on the system
};

struct TCheckIssue {
    size_t Line = 0;  // line of the file, from 1; 0 for the file as a whole
    TSeverity Severity = TSeverity::Problem;
    TIssueCode Code = TIssueCode::EmptyEntry;
    std::string Message;  // for people, UTF-8
    std::string Entry;    // the entry as decoded, UTF-8
};

struct TCheckReport {
    TListKind Kind = TListKind::List;
    TListEncoding Encoding = TListEncoding::Ansi;
    size_t Entries = 0;
    size_t Usable = 0;                  // entries the plug-in can apply
    std::map<int32_t, size_t> PerIcon;  // statuses.txt: usable entries per icon
    std::vector<TCheckIssue> Issues;    // in line order

    size_t Count(TSeverity severity) const noexcept;
};

const char* IssueCodeName(TIssueCode code) noexcept;
const char* SeverityName(TSeverity severity) noexcept;
const char* KindName(TListKind kind) noexcept;
// Stable lower-case name for --json: "ansi", "utf-8", "utf-8-bom", "utf-16le", "utf-16be".
const char* EncodingKey(TListEncoding encoding) noexcept;

// "list.txt" or "statuses.txt" in any letter case, with or without a folder.
bool KindFromFileName(std::string_view path, TListKind& kind) noexcept;

// Checks a whole file's bytes. ansi converts files without a byte-order mark
// (nullptr: Windows-1252, as the portable code does).
TCheckReport CheckListBytes(const uint8_t* data, size_t size, TListKind kind, TAnsiToUtf16 ansi = nullptr);

// Position of "/nl" in any letter case, or npos: ExpandLineMarkers turns
// every such marker into a line break once one lower-case "/nl" is there.
size_t FindMarkerAnyCase(std::u16string_view text) noexcept;
