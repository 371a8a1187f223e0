// "statuses.txt" entries through ParseStatusLine, and texts through
// ExpandLineMarkers. The input is one entry (see fuzz::TextOf).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/status_line.h"
#include "fuzz/fuzz_check.h"

namespace {

// The fields of an entry by the file's line rules, written out directly:
// "|", CR, LF and the pair CR LF each end a field, a NUL ends the entry, and
// an empty field after the last end does not count.
std::vector<std::u16string> ReferenceFields(std::u16string_view entry) {
    entry = entry.substr(0, entry.find(u'\0'));
    std::vector<std::u16string> fields;
    std::u16string field;
    for (size_t i = 0; i < entry.size(); ++i) {
        const char16_t c = entry[i];
        if (c == u'|' || c == u'\r' || c == u'\n') {
            fields.push_back(field);
            field.clear();
            if (c == u'\r' && i + 1 < entry.size() && entry[i + 1] == u'\n') {
                ++i;
            }
        } else {
            field.push_back(c);
        }
    }
    if (!field.empty()) {
        fields.push_back(field);
    }
    return fields;
}

// An optional sign and decimal digits within 32 bits, else 0.
int32_t ReferenceIcon(std::u16string_view field) {
    size_t i = 0;
    bool negative = false;
    if (!field.empty() && (field[0] == u'+' || field[0] == u'-')) {
        negative = field[0] == u'-';
        i = 1;
    }
    if (i == field.size()) {
        return 0;
    }
    for (size_t k = i; k < field.size(); ++k) {
        if (field[k] < u'0' || field[k] > u'9') {
            return 0;
        }
    }
    while (i + 1 < field.size() && field[i] == u'0') {
        ++i;
    }
    if (field.size() - i > 10) {
        return 0;
    }
    int64_t value = 0;
    for (; i < field.size(); ++i) {
        value = value * 10 + (field[i] - u'0');
    }
    value = negative ? -value : value;
    if (value < INT32_MIN || value > INT32_MAX) {
        return 0;
    }
    return static_cast<int32_t>(value);
}

size_t Count(std::u16string_view text, std::u16string_view what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::u16string_view::npos; at = text.find(what, at + 1)) {
        ++n;
    }
    return n;
}

void CheckExpansion(std::u16string_view text) {
    const std::u16string out = ExpandLineMarkers(text);
    if (!fuzz::HasLowerMarker(text)) {
        FUZZ_CHECK(out == text);
        return;
    }
    // Every marker, in any case, became one CR LF; none is left and none is
    // made, so a second expansion changes nothing.
    const size_t markers = fuzz::CountMarkersAnyCase(text);
    FUZZ_CHECK(!fuzz::HasLowerMarker(out));
    FUZZ_CHECK(fuzz::CountMarkersAnyCase(out) == 0);
    FUZZ_CHECK(out.size() == text.size() - markers);
    FUZZ_CHECK(Count(out, u"\r\n") == Count(text, u"\r\n") + markers);
    FUZZ_CHECK(ExpandLineMarkers(out) == out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string entry = fuzz::TextOf(std::string_view(reinterpret_cast<const char*>(data), size));

    const int32_t IconField = -777;
    const std::u16string StatusField = u"\x01status kept";
    const std::u16string XStatusField = u"\x01xstatus kept";
    int32_t icon = IconField;
    std::u16string status = StatusField;
    std::u16string xstatus = XStatusField;
    ParseStatusLine(entry, icon, status, xstatus);

    const std::vector<std::u16string> fields = ReferenceFields(entry);
    if (fields.size() != 3) {
        FUZZ_CHECK(icon == IconField);
        FUZZ_CHECK(status == StatusField);
        FUZZ_CHECK(xstatus == XStatusField);
    } else {
        FUZZ_CHECK(icon == ReferenceIcon(fields[0]));
        FUZZ_CHECK(status == fields[1]);
        FUZZ_CHECK(xstatus == fields[2]);
        for (const auto* out : {&status, &xstatus}) {
            FUZZ_CHECK(out->find_first_of(std::u16string(u"|\r\n\0", 4)) == std::u16string::npos);
        }
        CheckExpansion(xstatus);
    }
    CheckExpansion(entry);
    return 0;
}
