// --from-fortune: fortune files (entries between lines that hold only "%")
// made into a list.txt, each fortune one entry with its lines joined by
// "/nl". Portable: no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/reference_decoder.h"
#include "tools/brisklet_check/files.h"

enum class TLeftOutReason { Empty, Control, Marker };

struct TLeftOut {
    std::string File;
    size_t Line = 0;  // the fortune's first line, or for an empty one the line after the "%" before it
    TLeftOutReason Reason = TLeftOutReason::Empty;
};

struct TFortuneImport {
    std::vector<std::u16string> Entries;  // in file order, ready for list.txt
    std::vector<TLeftOut> LeftOut;

    size_t Count(TLeftOutReason reason) const noexcept;
};

// Adds the fortunes of one file to import. The bytes are decoded as a list
// file is (ansi: the code page for files without a mark that are not UTF-8;
// nullptr for Windows-1252). Text before the first "%" line and after the
// last one is a fortune too, but no empty one is reported there.
void ImportFortunes(const std::string& file, const uint8_t* data, size_t size, TAnsiToUtf16 ansi,
                    TFortuneImport& import);

// A list.txt: UTF-8 with a byte-order mark, one entry a line, CR LF.
std::string ListFileBytes(const std::vector<std::u16string>& entries);

// "12 entries written; 3 left out: 1 empty, 2 with a control character, 0 holding /nl"
std::string FortuneSummary(const TFortuneImport& import);

// "--from-fortune FILE... [-o OUT] [--force]": the list goes to OUT, or to
// out when OUT is empty; what was left out and the summary go to out with
// OUT, to err without. An existing OUT is replaced only with force. Exit
// statuses as the checker's: 0 written, 2 a file could not be read or
// written.
int RunFromFortune(const std::vector<std::string>& files, const std::string& output, bool force,
                   TAnsiToUtf16 ansi, TFileOps& ops, std::string& out, std::string& err);
