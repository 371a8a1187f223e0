#include "tools/brisklet_check/cli.h"

#include <algorithm>

#include "core/icons.h"
#include "core/version.h"
#include "tools/brisklet_check/commands.h"
#include "tools/brisklet_check/files.h"

namespace {

const char Usage[] =
    "usage: brisklet-check [--json] [--as list|statuses] [PATH ...]\n"
    "       brisklet-check --from-fortune FILE... [-o OUT] [--codepage N] [--force]\n"
    "       brisklet-check --preview N [--mode xstatus|full|icon] [--selection I,J,...]\n"
    "                      [--icon I] [--seed S] [FOLDER]\n"
    "       brisklet-check --to-utf8 FILE... [--codepage N] [--force]\n"
    "       brisklet-check --icons\n"
    "Checks the plug-in's text files and reports every entry that will never be\n"
    "applied, with its line number and why.\n"
    "  PATH            a folder (its list.txt and statuses.txt are checked) or a\n"
    "                  file named list.txt or statuses.txt; default: this folder\n"
    "  --as KIND       read every named file as list.txt or statuses.txt,\n"
    "                  whatever its name\n"
    "  --json          print the report as JSON (keys are listed in README.md)\n"
    "  --icons         list the picture numbers and their names, one a line\n"
    "  --from-fortune  make a list.txt of fortune files (entries between lines of\n"
    "                  only \"%\"), each fortune one entry, its lines joined by /nl;\n"
    "                  it goes to OUT (never over an existing file without --force)\n"
    "                  or to standard output; what is left out, and why, is listed\n"
    "  --preview N     show N runs (1 to 100000) of the rotation on the FOLDER's\n"
    "                  files (default: this folder) as your contacts would see\n"
    "                  them; --mode as in the options (default xstatus),\n"
    "                  --selection the pictures ticked (default all), --icon the\n"
    "                  picture you have on now, --seed repeats the same draws\n"
    "  --to-utf8       rewrite old list files as UTF-8 with a byte-order mark; the\n"
    "                  original is kept as FILE.bak; files that are UTF-8 or UTF-16\n"
    "                  already are left alone, and so is a file with bytes that\n"
    "                  can't be decoded, unless --force\n"
    "  --codepage N    read files without a mark that are not UTF-8 in code page N\n"
    "                  (866, 1251, 1252 or 20866 for KOI8-R) instead of the\n"
    "                  system's\n"
    "Exit status: 0 nothing wrong; 1 an entry is never applied or a marker never\n"
    "expands, or --to-utf8 left a file for bytes it could not decode; 2 a file\n"
    "could not be read or written, or the arguments are wrong.\n";

constexpr size_t ShownEntry = 72;  // characters of an entry quoted in the report

TCheckedFile CheckFile(const std::string& path, const std::vector<uint8_t>& bytes, TListKind kind,
                       const TCheckSetup& setup) {
    TCheckedFile file;
    file.Path = path;
    file.Found = true;
    file.Report = CheckListBytes(bytes.data(), bytes.size(), kind, setup.Ansi);
    return file;
}

// At most max code points of UTF-8 text, with "..." when cut.
std::string Shorten(const std::string& text, size_t max) {
    size_t points = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && points++ == max) {
            return text.substr(0, i) + "...";
        }
    }
    return text;
}

std::string Plural(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string EncodingText(TListEncoding encoding, const TCheckSetup& setup) {
    return encoding == TListEncoding::Ansi ? setup.AnsiDescription : EncodingName(encoding);
}

void JsonString(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[b >> 4];
            out += hex[b & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

}  // namespace

std::string FormatText(const std::vector<TCheckedFile>& files, const TCheckSetup& setup) {
    std::string out;
    size_t problems = 0;
    size_t warnings = 0;
    for (const TCheckedFile& file : files) {
        const TCheckReport& r = file.Report;
        const std::string fileName = r.Kind == TListKind::List ? "list.txt" : "statuses.txt";
        if (!file.Found) {
            out += file.Path + ": not found; the plug-in then has nothing to draw from " + fileName + "\n";
            ++warnings;
            continue;
        }
        out += file.Path + " (" + fileName + ", " + EncodingText(r.Encoding, setup) + "): " +
               Plural(r.Entries, "entry", "entries");
        out += r.Usable == r.Entries ? ", all can be drawn\n" : ", " + std::to_string(r.Usable) + " can be drawn\n";
        if (r.Kind == TListKind::Statuses) {
            std::string icons;
            for (const auto& [icon, count] : r.PerIcon) {
                icons += (icons.empty() ? "" : ", ") + std::to_string(icon) + " " + IconName(icon) + " " +
                         std::to_string(count);
            }
            out += "  entries per icon: " + (icons.empty() ? std::string("none") : icons) + "\n";
        }
        for (const TCheckIssue& issue : r.Issues) {
            out += "  ";
            if (issue.Line > 0) {
                out += "line " + std::to_string(issue.Line) + ": ";
            }
            out += std::string(SeverityName(issue.Severity)) + ": " + issue.Message + "\n";
            if (!issue.Entry.empty()) {
                out += "      " + Shorten(issue.Entry, ShownEntry) + "\n";
            }
        }
        problems += r.Count(TSeverity::Problem);
        warnings += r.Count(TSeverity::Warning);
    }
    out += Plural(problems, "problem", "problems") + ", " + Plural(warnings, "warning", "warnings") + " in " +
           Plural(files.size(), "file", "files") + ".\n";
    return out;
}

std::string FormatJson(const std::vector<TCheckedFile>& files) {
    std::string out = "{\n  \"files\": [";
    size_t problems = 0;
    size_t warnings = 0;
    for (size_t f = 0; f < files.size(); ++f) {
        const TCheckedFile& file = files[f];
        const TCheckReport& r = file.Report;
        // A missing file counts as one warning, as in the text form.
        const size_t fileProblems = r.Count(TSeverity::Problem);
        const size_t fileWarnings = file.Found ? r.Count(TSeverity::Warning) : 1;
        problems += fileProblems;
        warnings += fileWarnings;
        out += f == 0 ? "\n    {" : ",\n    {";
        out += "\"path\": ";
        JsonString(out, file.Path);
        out += ", \"kind\": \"" + std::string(KindName(r.Kind)) + "\"";
        out += ", \"found\": " + std::string(file.Found ? "true" : "false");
        out += ", \"encoding\": " + (file.Found ? "\"" + std::string(EncodingKey(r.Encoding)) + "\"" : "null");
        out += ", \"entries\": " + std::to_string(r.Entries) + ", \"usable\": " + std::to_string(r.Usable);
        out += ", \"problems\": " + std::to_string(fileProblems) + ", \"warnings\": " + std::to_string(fileWarnings);
        out += ",\n     \"icons\": {";
        bool first = true;
        for (const auto& [icon, count] : r.PerIcon) {
            out += (first ? "\"" : ", \"") + std::to_string(icon) + "\": " + std::to_string(count);
            first = false;
        }
        out += "},\n     \"issues\": [";
        for (size_t i = 0; i < r.Issues.size(); ++i) {
            const TCheckIssue& issue = r.Issues[i];
            out += i == 0 ? "\n      {" : ",\n      {";
            out += "\"line\": " + std::to_string(issue.Line) + ", \"severity\": \"" + SeverityName(issue.Severity) +
                   "\", \"code\": \"" + IssueCodeName(issue.Code) + "\", \"message\": ";
            JsonString(out, issue.Message);
            out += ", \"entry\": ";
            JsonString(out, issue.Entry);
            out += "}";
        }
        out += r.Issues.empty() ? "]}" : "\n     ]}";
    }
    out += files.empty() ? "],\n" : "\n  ],\n";
    out += "  \"problems\": " + std::to_string(problems) + ",\n  \"warnings\": " + std::to_string(warnings) + "\n}\n";
    return out;
}

int RunCheck(const std::vector<std::string>& args, const TCheckSetup& setup, std::string& out, std::string& err,
             bool* outIsFile) {
    bool isFile = false;
    if (outIsFile) {
        *outIsFile = false;
    }
    if (std::find(args.begin(), args.end(), "--help") != args.end() ||
        std::find(args.begin(), args.end(), "-h") != args.end()) {
        out += Usage;
        return CheckClean;
    }
    if (HasCommand(args)) {
        const int status = RunCommand(args, setup, out, err, isFile);
        if (outIsFile) {
            *outIsFile = isFile;
        }
        return status;
    }
    bool json = false;
    bool forced = false;
    TListKind forcedKind = TListKind::List;
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            json = true;
        } else if (a == "--as" && i + 1 < args.size() && (args[i + 1] == "list" || args[i + 1] == "statuses")) {
            forced = true;
            forcedKind = args[++i] == "list" ? TListKind::List : TListKind::Statuses;
        } else if (a == "--help" || a == "-h") {
            out += Usage;
            return CheckClean;
        } else if (a == "--icons") {
            for (int32_t icon = 0; icon < StatusPictureCount; ++icon) {
                out += std::to_string(icon) + " " + IconName(icon) + "\n";
            }
            return CheckClean;
        } else if (a == "--version") {
            out += "brisklet-check " + std::to_string(VersionMajor) + "." + std::to_string(VersionMinor) + "." +
                   std::to_string(VersionRelease) + "\n";
            return CheckClean;
        } else if (a.size() > 1 && a[0] == '-') {
            err += "brisklet-check: unknown option '" + a + "'\n" + Usage;
            return CheckFailed;
        } else {
            paths.push_back(a);
        }
    }
    if (paths.empty()) {
        paths.push_back(".");
    }

    std::vector<TCheckedFile> files;
    std::vector<uint8_t> bytes;
    for (const std::string& path : paths) {
        if (ProbePath(path) == TPathKind::Folder) {
            // A folder is checked as the plug-in sees it: a missing file
            // is an empty list, not an error.
            for (const TListKind kind : {TListKind::List, TListKind::Statuses}) {
                const std::string file = JoinPath(path, kind == TListKind::List ? "list.txt" : "statuses.txt");
                if (ProbePath(file) == TPathKind::Missing) {
                    TCheckedFile missing;
                    missing.Path = file;
                    missing.Report.Kind = kind;
                    files.push_back(std::move(missing));
                    continue;
                }
                if (!ReadFileBytes(file, bytes)) {
                    err += "brisklet-check: cannot read " + file + "\n";
                    return CheckFailed;
                }
                files.push_back(CheckFile(file, bytes, kind, setup));
            }
            continue;
        }
        TListKind kind = forcedKind;
        if (!forced && !KindFromFileName(path, kind)) {
            err += "brisklet-check: " + path +
                   ": the name tells neither list.txt nor statuses.txt; use --as list or --as statuses\n";
            return CheckFailed;
        }
        if (!ReadFileBytes(path, bytes)) {
            err += "brisklet-check: cannot read " + path + "\n";
            return CheckFailed;
        }
        files.push_back(CheckFile(path, bytes, kind, setup));
    }

    out += json ? FormatJson(files) : FormatText(files, setup);
    for (const TCheckedFile& file : files) {
        if (file.Report.Count(TSeverity::Problem) > 0) {
            return CheckProblems;
        }
    }
    return CheckClean;
}
