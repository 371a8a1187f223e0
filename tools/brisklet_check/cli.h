// The command line of brisklet-check: arguments in, report text out.
// Portable; the platform's main only converts arguments and prints.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/brisklet_check/check.h"
#include "tools/brisklet_check/files.h"

struct TCheckedFile {
    std::string Path;  // as given or joined to the folder, UTF-8
    bool Found = false;
    TCheckReport Report;
};

struct TCheckSetup {
    TAnsiToUtf16 Ansi = nullptr;  // nullptr: Windows-1252
    // How files without a mark are read, for the human report.
    std::string AnsiDescription = "ANSI: read here as Windows-1252; the plug-in uses the system's code page";
    std::string AnsiName = "Windows-1252";  // the same, for --to-utf8's messages
    TFileOps* Files = nullptr;              // nullptr: the system's files
    uint32_t ClockSeed = 0;                 // --preview's draws without --seed, from a clock as the plug-in's
};

// Exit statuses: nothing wrong, some entry never works as written, or a
// file that can't be read or arguments that make no sense.
enum : int { CheckClean = 0, CheckProblems = 1, CheckFailed = 2 };

std::string FormatText(const std::vector<TCheckedFile>& files, const TCheckSetup& setup);
std::string FormatJson(const std::vector<TCheckedFile>& files);

// args without the program name; paths in UTF-8. outIsFile, when given, is
// set when out holds a file's bytes, which the caller writes unchanged.
int RunCheck(const std::vector<std::string>& args, const TCheckSetup& setup, std::string& out, std::string& err,
             bool* outIsFile = nullptr);
