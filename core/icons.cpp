#include "core/icons.h"

#include <iterator>

namespace {

constexpr const char* IconNames[] = {
    "none",     "angry",    "bath",     "tired",   "party",    "beer",    "thinking", "eating",
    "TV",       "friends",  "coffee",   "music",   "business", "camera",  "fun",      "phone",
    "games",    "study",    "shopping", "sick",    "sleeping", "surfing", "internet", "work",
    "typing",   "picnic",   "cooking",  "walking", "love",     "driving", "reading",  "sport",
    "travel",   "rain",     "question",
};
static_assert(std::size(IconNames) == StatusPictureCount, "one name per picture");

}  // namespace

const char* IconName(int32_t icon) noexcept {
    return icon >= 0 && icon < StatusPictureCount ? IconNames[icon] : "?";
}
