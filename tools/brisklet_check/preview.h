// --preview: runs of the plug-in's rotation on a user's files, shown as
// the messenger would receive them. Portable: no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/random.h"
#include "core/rotation.h"
#include "core/text_list.h"
#include "core/reference_decoder.h"
#include "tools/brisklet_check/files.h"

struct TPreviewSetup {
    int32_t WorkMode = WorkModeXStatus;
    std::u16string StatusSelection;  // as the options window writes it
    int32_t Icon = 0;                // the picture the user has on now
};

// The user's current texts stand in as this mark, which no drawn text can
// be: entries hold no CR, and expanded markers are CR LF pairs. So a text
// that comes back as the mark is one the run left as it was.
inline constexpr char16_t KeptTextMark[] = u"\r";

// One run: nothing when the picture on now is not ticked.
std::optional<TExtendedStatus> PreviewRun(const TTextList& textLines, const TTextList& statusLines,
                                          const TPreviewSetup& setup, TRandomSource& random);

// One line for a run's result, without its number.
std::string PreviewLine(const std::optional<TExtendedStatus>& sent, int32_t icon);

// The picture a preview starts from when none is given: in Full and Icon
// mode the lowest ticked one that statuses.txt has entries for, else the
// lowest ticked one (0 when none is).
int32_t DefaultPreviewIcon(const TTextList& statusLines, const TPreviewSetup& setup);

// The most runs a preview shows: a person reads a preview, and its lines are
// built in memory before they are printed (11 to 16 MB at this count with
// the sample lists).
inline constexpr uint32_t PreviewMaxRuns = 100000;

struct TPreviewRequest {
    uint32_t Runs = 0;  // 1 to PreviewMaxRuns
    TPreviewSetup Setup;
    bool IconGiven = false;
    uint32_t Seed = 0;
    std::string Folder = ".";
};

// "--preview N ...": loads list.txt and statuses.txt from the folder as the
// plug-in does (a missing file is an empty list) and prints the runs, after
// a line that tells what was run, with the seed that repeats it. Exit
// statuses as the checker's: 0, or 2 when a file could not be read.
int RunPreview(TPreviewRequest request, TAnsiToUtf16 ansi, TFileOps& ops, std::string& out, std::string& err);
