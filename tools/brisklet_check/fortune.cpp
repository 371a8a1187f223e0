#include "tools/brisklet_check/fortune.h"

#include <algorithm>
#include <string_view>

#include "base/utf.h"
#include "tools/brisklet_check/check.h"

namespace {

bool IsBlank(char16_t c) noexcept { return c == u' ' || c == u'\t'; }

// C0 and C1 controls but TAB: the messenger shows them as boxes or drops
// them, and fortune files use backspaces for overstriking.
bool IsControl(char16_t c) noexcept {
    return (c < 0x20 && c != u'\t') || (c >= 0x7F && c <= 0x9F);
}

const char* ReasonText(TLeftOutReason reason) noexcept {
    switch (reason) {
    case TLeftOutReason::Empty: return "empty";
    case TLeftOutReason::Control: return "holds a control character";
    case TLeftOutReason::Marker: return "holds \"/nl\", which would break the line there";
    }
    return "?";
}

class TFortuneCutter {
public:
    TFortuneCutter(const std::string& file, TFortuneImport& import) : FFile(file), FImport(import) {}

    void Line(size_t number, std::u16string_view line) {
        while (!line.empty() && IsBlank(line.back())) {
            line.remove_suffix(1);
        }
        if (line == u"%") {
            Finish(false);
            FSeparatorSeen = true;
            FStart = number + 1;
            return;
        }
        if (FLines.empty() && line.empty()) {
            return;  // empty lines at a fortune's start
        }
        if (FLines.empty()) {
            FStart = number;
        }
        FLines.push_back(line);
    }

    // last: the text after the last "%" line, or the whole file without one.
    void Finish(bool last) {
        while (!FLines.empty() && FLines.back().empty()) {
            FLines.pop_back();
        }
        if (FLines.empty()) {
            // Around the first and the last "%" there is nothing to leave out.
            if (FSeparatorSeen && !last) {
                FImport.LeftOut.push_back(TLeftOut{FFile, FStart, TLeftOutReason::Empty});
            }
            return;
        }
        std::u16string entry;
        bool control = false;
        bool marker = false;
        for (size_t i = 0; i < FLines.size(); ++i) {
            control = control || std::any_of(FLines[i].begin(), FLines[i].end(), IsControl);
            marker = marker || FindMarkerAnyCase(FLines[i]) != std::u16string_view::npos;
            if (i > 0) {
                entry += u"/nl";
            }
            entry += FLines[i];
        }
        FLines.clear();
        if (control || marker) {
            FImport.LeftOut.push_back(
                TLeftOut{FFile, FStart, control ? TLeftOutReason::Control : TLeftOutReason::Marker});
            return;
        }
        FImport.Entries.push_back(std::move(entry));
    }

private:
    const std::string& FFile;
    TFortuneImport& FImport;
    std::vector<std::u16string_view> FLines;
    size_t FStart = 1;
    bool FSeparatorSeen = false;
};

}  // namespace

size_t TFortuneImport::Count(TLeftOutReason reason) const noexcept {
    return static_cast<size_t>(
        std::count_if(LeftOut.begin(), LeftOut.end(), [reason](const TLeftOut& l) { return l.Reason == reason; }));
}

void ImportFortunes(const std::string& file, const uint8_t* data, size_t size, TAnsiToUtf16 ansi,
                    TFortuneImport& import) {
    // Decoded whole, not cut as a list is: a NUL must leave out its fortune,
    // not end the file.
    const std::u16string text = DecodeListText(data, size, ansi);
    TFortuneCutter cutter(file, import);
    size_t number = 1;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) {
            end = text.size();
        }
        cutter.Line(number++, std::u16string_view(text).substr(start, end - start));
        // Lines end as the plug-in's lists do: at CR LF, at LF and at CR.
        const bool pair = end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n';
        start = end + (pair ? 2 : 1);
    }
    cutter.Finish(true);
}

std::string ListFileBytes(const std::vector<std::u16string>& entries) {
    std::string bytes = "\xEF\xBB\xBF";
    for (const std::u16string& entry : entries) {
        bytes += Utf16ToUtf8(entry);
        bytes += "\r\n";
    }
    return bytes;
}

std::string FortuneSummary(const TFortuneImport& import) {
    return std::to_string(import.Entries.size()) + (import.Entries.size() == 1 ? " entry" : " entries") +
           " written; " + std::to_string(import.LeftOut.size()) + " left out: " +
           std::to_string(import.Count(TLeftOutReason::Empty)) + " empty, " +
           std::to_string(import.Count(TLeftOutReason::Control)) + " with a control character, " +
           std::to_string(import.Count(TLeftOutReason::Marker)) + " holding /nl\n";
}

int RunFromFortune(const std::vector<std::string>& files, const std::string& output, bool force,
                   TAnsiToUtf16 ansi, TFileOps& ops, std::string& out, std::string& err) {
    std::string& report = output.empty() ? err : out;
    if (files.empty()) {
        err += "brisklet-check: --from-fortune needs at least one fortune file\n";
        return 2;
    }
    if (!output.empty() && !force && ops.Probe(output) != TPathKind::Missing) {
        err += "brisklet-check: " + output + " is there already; give another name, or --force to replace it\n";
        return 2;
    }
    TFortuneImport import;
    std::vector<uint8_t> bytes;
    for (const std::string& file : files) {
        if (ops.Probe(file) != TPathKind::File || !ops.Read(file, bytes)) {
            err += "brisklet-check: cannot read " + file + "\n";
            return 2;
        }
        ImportFortunes(file, bytes.data(), bytes.size(), ansi, import);
    }
    for (const TLeftOut& left : import.LeftOut) {
        report += left.File + ":" + std::to_string(left.Line) + ": left out: " + ReasonText(left.Reason) + "\n";
    }
    const std::string list = ListFileBytes(import.Entries);
    if (output.empty()) {
        out += list;
    } else {
        std::string why;
        if (!WriteWhole(ops, output, list, why)) {
            err += "brisklet-check: " + why + "\n";
            return 2;
        }
    }
    report += FortuneSummary(import);
    return 0;
}
