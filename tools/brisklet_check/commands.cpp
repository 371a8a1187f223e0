#include "tools/brisklet_check/commands.h"

#include <algorithm>
#include <charconv>

#include "core/icons.h"
#include "core/settings.h"
#include "tools/brisklet_check/code_pages.h"
#include "tools/brisklet_check/fortune.h"
#include "tools/brisklet_check/preview.h"
#include "tools/brisklet_check/to_utf8.h"

namespace {

const char* const Commands[] = {"--from-fortune", "--preview", "--to-utf8"};

template <class T>
bool ParseNumber(const std::string& text, T& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// "5,12": the pictures ticked, as the options window would write them.
bool ParseSelection(const std::string& text, std::u16string& selection) {
    TTicks ticks{};
    size_t start = 0;
    while (!text.empty() && start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        int32_t icon = 0;
        if (!ParseNumber(text.substr(start, comma - start), icon) || icon < FirstTickableIcon ||
            icon > LastTickableIcon) {
            return false;
        }
        ticks[static_cast<size_t>(icon)] = true;
        start = comma + 1;
    }
    selection = SelectionFromTicks(ticks);
    return true;
}

bool ParseMode(const std::string& text, int32_t& mode) {
    if (text == "xstatus") {
        mode = WorkModeXStatus;
    } else if (text == "full") {
        mode = WorkModeFull;
    } else if (text == "icon") {
        mode = WorkModeIcon;
    } else {
        return false;
    }
    return true;
}


int Fail(std::string& err, const std::string& message) {
    err += "brisklet-check: " + message + "\n       (brisklet-check --help lists the commands)\n";
    return CheckFailed;
}

}  // namespace

bool HasCommand(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        for (const char* command : Commands) {
            if (a == command) {
                return true;
            }
        }
    }
    return false;
}

int RunCommand(const std::vector<std::string>& args, const TCheckSetup& setup, std::string& out, std::string& err,
               bool& outIsFile) {
    outIsFile = false;
    std::string command;
    std::vector<std::string> paths;
    std::string output;
    bool force = false;
    TAnsiToUtf16 ansi = setup.Ansi;
    std::string ansiName = setup.AnsiName;
    TPreviewRequest preview;
    preview.Setup.StatusSelection = SelectionFromTicks([] {
        TTicks all;
        all.fill(true);
        return all;
    }());
    bool seeded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        const std::string value = hasValue ? args[i + 1] : std::string();
        if (a == "--from-fortune" || a == "--preview" || a == "--to-utf8") {
            if (!command.empty()) {
                return Fail(err, command + " and " + a + " cannot be given together");
            }
            command = a;
            if (a == "--preview") {
                uint64_t runs = 0;
                const bool digits =
                    hasValue && !value.empty() && value.find_first_not_of("0123456789") == std::string::npos;
                // Digits too many for 64 bits are a count too, only a large one.
                const bool fits = digits && ParseNumber(value, runs);
                if (!digits || (fits && runs == 0)) {
                    return Fail(err, "--preview needs the number of runs, 1 or more");
                }
                if (!fits || runs > PreviewMaxRuns) {
                    return Fail(err,
                                "--preview shows at most " + std::to_string(PreviewMaxRuns) + " runs, not " + value);
                }
                preview.Runs = static_cast<uint32_t>(runs);
                ++i;
            }
        } else if (a == "-o" && hasValue) {
            output = args[++i];
        } else if (a == "--force") {
            force = true;
        } else if (a == "--codepage" && hasValue) {
            uint32_t codePage = 0;
            ansi = ParseNumber(value, codePage) ? CodePageConverter(codePage) : nullptr;
            if (!ansi) {
                return Fail(err, "code page '" + value + "' is not one brisklet-check knows: " + SupportedCodePages);
            }
            ansiName = "code page " + value;
            ++i;
        } else if (a == "--mode" && hasValue) {
            if (!ParseMode(value, preview.Setup.WorkMode)) {
                return Fail(err, "--mode is xstatus, full or icon, not '" + value + "'");
            }
            ++i;
        } else if (a == "--selection" && hasValue) {
            if (!ParseSelection(value, preview.Setup.StatusSelection)) {
                return Fail(err, "--selection takes picture numbers from " + std::to_string(FirstTickableIcon) +
                                     " to " + std::to_string(LastTickableIcon) + " with commas between, not '" +
                                     value + "'");
            }
            ++i;
        } else if (a == "--icon" && hasValue) {
            if (!ParseNumber(value, preview.Setup.Icon)) {
                return Fail(err, "--icon takes a picture number, not '" + value + "'");
            }
            preview.IconGiven = true;
            ++i;
        } else if (a == "--seed" && hasValue) {
            if (!ParseNumber(value, preview.Seed)) {
                return Fail(err, "--seed takes a number from 0 to 4294967295, not '" + value + "'");
            }
            seeded = true;
            ++i;
        } else if (a.size() > 1 && a[0] == '-') {
            return Fail(err, "'" + a + "' is unknown here or lacks its value");
        } else {
            paths.push_back(a);
        }
    }

    // An option of another command is a mistake, not something to ignore.
    for (const std::string& a : args) {
        const bool forPreview = a == "--mode" || a == "--selection" || a == "--icon" || a == "--seed";
        const bool forFiles = a == "--codepage" || a == "--force";
        if ((forPreview && command != "--preview") || (forFiles && command == "--preview") ||
            (a == "-o" && command != "--from-fortune")) {
            return Fail(err, a + " does not go with " + command);
        }
    }

    TFileOps systemFiles;
    TFileOps& ops = setup.Files ? *setup.Files : systemFiles;
    if (command == "--from-fortune") {
        outIsFile = output.empty();
        return RunFromFortune(paths, output, force, ansi, ops, out, err);
    }
    if (command == "--to-utf8") {
        if (paths.empty()) {
            return Fail(err, "--to-utf8 needs at least one list file");
        }
        return RunToUtf8(paths, ansi, ansiName, force, ops, out, err);
    }
    if (paths.size() > 1) {
        return Fail(err, "--preview takes one folder");
    }
    if (!paths.empty()) {
        preview.Folder = paths[0];
    }
    if (ops.Probe(preview.Folder) != TPathKind::Folder) {
        return Fail(err, preview.Folder + " is not a folder");
    }
    if (!seeded) {
        preview.Seed = setup.ClockSeed;
    }
    return RunPreview(preview, ansi, ops, out, err);
}
