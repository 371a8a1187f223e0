// --to-utf8: rewrites an old list file in an 8-bit code page as UTF-8 with
// a byte-order mark, so it reads the same on every Windows. Portable: no
// Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/reference_decoder.h"
#include "tools/brisklet_check/files.h"

// A letter the code page has no character for.
struct TUndecodable {
    size_t Line = 0;    // from 1, counting line ends as the plug-in does
    size_t Column = 0;  // from 1, in letters of the decoded line
    int Byte = -1;      // the byte, when the code page has one byte a letter
};

struct TUtf8Conversion {
    TListEncoding Encoding = TListEncoding::Ansi;  // as the plug-in reads the file
    std::string Bytes;                              // the new file; empty unless Encoding is Ansi
    std::vector<TUndecodable> Undecodable;
};

// Decodes a list file as the plug-in does (ansi: the 8-bit code page,
// nullptr for Windows-1252) and writes the same text as UTF-8 with a mark:
// every character, line end and NUL stays where it was, so the loader cuts
// the same entries from it.
TUtf8Conversion ConvertToUtf8(const uint8_t* data, size_t size, TAnsiToUtf16 ansi);

// "--to-utf8 FILE... [--codepage N] [--force]" (args without the command's
// own flag). Exit statuses as the checker's: 0 every file is now UTF-8 or
// UTF-16, 1 a file was left as it was for letters it could not decode,
// 2 a file could not be read or written, or wrong arguments.
int RunToUtf8(const std::vector<std::string>& files, TAnsiToUtf16 ansi, const std::string& ansiName, bool force,
              TFileOps& ops, std::string& out, std::string& err);
