#include "core/status_line.h"

#include <vector>

#include "base/text.h"
#include "core/reference_decoder.h"

std::u16string ExpandLineMarkers(std::u16string_view text) {
    if (text.find(u"/nl") == std::u16string_view::npos) {
        return std::u16string(text);
    }
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == u'/' && i + 2 < text.size() && (text[i + 1] == u'n' || text[i + 1] == u'N') &&
            (text[i + 2] == u'l' || text[i + 2] == u'L')) {
            out += u"\r\n";
            i += 3;
        } else {
            out.push_back(text[i]);
            ++i;
        }
    }
    return out;
}

void ParseStatusLine(std::u16string_view entry, int32_t& icon, std::u16string& status,
                     std::u16string& xstatus) {
    // Every "|" becomes a line end and the pieces follow the file's line rules,
    // so a trailing "|" adds no empty field and a NUL ends the entry.
    std::u16string joined;
    joined.reserve(entry.size() + 8);
    for (const char16_t c : entry) {
        if (c == u'|') {
            joined += u"\r\n";
        } else {
            joined.push_back(c);
        }
    }
    const std::vector<std::u16string_view> pieces = CutLines(joined);
    if (pieces.size() != 3) {
        return;
    }
    int32_t number = 0;
    icon = ParseInt32(pieces[0], number) ? number : 0;
    status.assign(pieces[1]);
    xstatus.assign(pieces[2]);
}
