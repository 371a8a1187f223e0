// The index of a list held to a plain scan, shared by the fuzz targets that
// load lists.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_list.h"
#include "fuzz/fuzz_check.h"

namespace fuzz {

// entry begins with field and "|".
inline bool HasPrefix(std::u16string_view entry, std::u16string_view field) {
    return entry.size() > field.size() && entry.substr(0, field.size()) == field && entry[field.size()] == u'|';
}

// The index finds exactly the entries that begin with a field and "|", in
// list order, for every first field in the list and a few that aren't.
inline void CheckIndex(const TTextList& lines) {
    FUZZ_CHECK(lines.Indexed());
    std::vector<std::u16string> fields{u"", u"0", u"5", u"x"};
    for (size_t i = 0; i < lines.Count(); ++i) {
        const std::u16string_view entry = lines[i];
        const size_t bar = entry.find(u'|');
        if (bar != std::u16string_view::npos) {
            fields.emplace_back(entry.substr(0, bar));
        }
    }
    for (const auto& field : fields) {
        const TIconRun run = lines.FindIconRun(field);
        std::vector<uint32_t> expected;
        for (size_t i = 0; i < lines.Count(); ++i) {
            if (HasPrefix(lines[i], field)) {
                expected.push_back(static_cast<uint32_t>(i));
            }
        }
        FUZZ_CHECK(run.Count == expected.size());
        for (uint32_t k = 0; k < run.Count; ++k) {
            FUZZ_CHECK(run[k] == expected[k]);
        }
    }
}

}  // namespace fuzz
