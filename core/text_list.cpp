#include "core/text_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace {

constexpr uint32_t EmptySlot = 0xFFFFFFFFu;
constexpr uint32_t SingleEntry = 0x80000000u;

// A slot in 0..size-1 from the hash's high bits.
inline size_t SlotOf(uint32_t hash, size_t size) noexcept {
    return static_cast<size_t>((static_cast<uint64_t>(hash) * size) >> 32);
}

}  // namespace

void TTextList::TFree::operator()(char16_t* p) const noexcept {
    std::free(p);
}

void TTextList::Reallocate(std::unique_ptr<char16_t, TFree>& text, size_t units) {
    if (units > std::numeric_limits<size_t>::max() / sizeof(char16_t)) {
        throw std::bad_alloc();
    }
    void* moved = std::realloc(text.get(), units * sizeof(char16_t));
    if (!moved) {
        throw std::bad_alloc();
    }
    text.release();
    text.reset(static_cast<char16_t*>(moved));
}

TTextList::TTextList(const TTextList& other)
    : FEnds(other.FEnds),
      FIndexed(other.FIndexed),
      FSlots(other.FSlots),
      FGroupStarts(other.FGroupStarts),
      FGroupPositions(other.FGroupPositions) {
    if (other.FTextSize > 0) {
        FText.reset(static_cast<char16_t*>(std::malloc(other.FTextSize * sizeof(char16_t))));
        if (!FText) {
            throw std::bad_alloc();
        }
        std::memcpy(FText.get(), other.FText.get(), other.FTextSize * sizeof(char16_t));
        FTextSize = FTextCapacity = other.FTextSize;
    }
}

TTextList& TTextList::operator=(const TTextList& other) {
    if (this != &other) {
        TTextList copy(other);
        *this = std::move(copy);
    }
    return *this;
}

TTextList::TTextList(TTextList&& other) noexcept
    : FText(std::move(other.FText)),
      FTextSize(other.FTextSize),
      FTextCapacity(other.FTextCapacity),
      FEnds(std::move(other.FEnds)),
      FIndexed(other.FIndexed),
      FSlots(std::move(other.FSlots)),
      FGroupStarts(std::move(other.FGroupStarts)),
      FGroupPositions(std::move(other.FGroupPositions)) {
    other.Clear();
}

TTextList& TTextList::operator=(TTextList&& other) noexcept {
    if (this != &other) {
        FText = std::move(other.FText);
        FTextSize = other.FTextSize;
        FTextCapacity = other.FTextCapacity;
        FEnds = std::move(other.FEnds);
        FIndexed = other.FIndexed;
        FSlots = std::move(other.FSlots);
        FGroupStarts = std::move(other.FGroupStarts);
        FGroupPositions = std::move(other.FGroupPositions);
        other.Clear();
    }
    return *this;
}

std::u16string_view TTextList::operator[](size_t index) const noexcept {
    const size_t begin = index == 0 ? 0 : FEnds[index - 1];
    return std::u16string_view(FText.get() + begin, FEnds[index] - begin);
}

void TTextList::Clear() noexcept {
    // Give the memory back: a reload of a big file must not keep two copies.
    FText.reset();
    FTextSize = FTextCapacity = 0;
    std::vector<uint32_t>().swap(FEnds);
    FIndexed = false;
    std::vector<uint32_t>().swap(FSlots);
    std::vector<uint32_t>().swap(FGroupStarts);
    std::vector<uint32_t>().swap(FGroupPositions);
}

void TTextList::Add(std::u16string_view entry) {
    if (FTextSize + entry.size() > std::numeric_limits<uint32_t>::max()) {
        throw std::length_error("text list too large");
    }
    if (FTextCapacity - FTextSize < entry.size()) {
        const size_t want = std::max(FTextSize + entry.size(), FTextCapacity + FTextCapacity / 2 + 16);
        Reallocate(FText, want);
        FTextCapacity = want;
    }
    // The offset first: if it cannot be stored, the list is as it was.
    FEnds.push_back(static_cast<uint32_t>(FTextSize + entry.size()));
    if (!entry.empty()) {
        std::memcpy(FText.get() + FTextSize, entry.data(), entry.size() * sizeof(char16_t));
    }
    FTextSize += entry.size();
    if (FIndexed) {
        FIndexed = false;
        std::vector<uint32_t>().swap(FSlots);
        std::vector<uint32_t>().swap(FGroupStarts);
        std::vector<uint32_t>().swap(FGroupPositions);
    }
}

void TTextList::BuildIndex() {
    std::vector<uint64_t> keyed;
    for (size_t i = 0; i < Count(); ++i) {
        const std::u16string_view entry = (*this)[i];
        const size_t bar = entry.find(u'|');
        if (bar != std::u16string_view::npos) {
            const uint32_t hash = HashField(entry.data(), bar);
            keyed.push_back((static_cast<uint64_t>(hash) << 32) | static_cast<uint32_t>(i));
        }
    }
    BuildIndexFrom(keyed);
}

bool TTextList::FirstFieldIs(uint32_t entry, std::u16string_view field) const noexcept {
    const std::u16string_view text = (*this)[entry];
    return text.size() > field.size() && text[field.size()] == u'|' &&
           text.compare(0, field.size(), field) == 0;
}

void TTextList::BuildIndexFrom(std::vector<uint64_t>& keyed) {
    FIndexed = false;
    std::vector<uint32_t>().swap(FSlots);
    std::vector<uint32_t>().swap(FGroupStarts);
    std::vector<uint32_t>().swap(FGroupPositions);
    // Positions keep the top bit free for the slots' single entries.
    if (Count() >= SingleEntry) {
        return;
    }

    // Group the first fields in order of first appearance, in a scratch
    // table that grows with the number of different fields.
    struct TGroup {
        uint32_t Hash;
        uint32_t First;   // its first entry
        uint32_t Length;  // of the field
        uint32_t Count;
        uint32_t Cursor;
    };
    std::vector<TGroup> groups;
    std::vector<uint32_t> scratch(16, EmptySlot);
    auto place = [&scratch](uint32_t hash, uint32_t group) {
        size_t s = hash & (scratch.size() - 1);
        while (scratch[s] != EmptySlot) {
            s = (s + 1) & (scratch.size() - 1);
        }
        scratch[s] = group;
    };
    for (uint64_t& k : keyed) {
        const uint32_t entry = static_cast<uint32_t>(k);
        const uint32_t hash = static_cast<uint32_t>(k >> 32);
        const std::u16string_view text = (*this)[entry];
        const uint32_t length = static_cast<uint32_t>(text.find(u'|'));
        const std::u16string_view field = text.substr(0, length);
        size_t s = hash & (scratch.size() - 1);
        uint32_t g;
        for (;;) {
            g = scratch[s];
            if (g == EmptySlot) {
                g = static_cast<uint32_t>(groups.size());
                groups.push_back(TGroup{hash, entry, length, 0, 0});
                scratch[s] = g;
                if (groups.size() * 3 > scratch.size() * 2) {
                    std::vector<uint32_t>(scratch.size() * 2, EmptySlot).swap(scratch);
                    for (uint32_t h = 0; h < groups.size(); ++h) {
                        place(groups[h].Hash, h);
                    }
                }
                break;
            }
            const TGroup& group = groups[g];
            if (group.Hash == hash && group.Length == length && FirstFieldIs(group.First, field)) {
                break;
            }
            s = (s + 1) & (scratch.size() - 1);
        }
        ++groups[g].Count;
        k = (static_cast<uint64_t>(g) << 32) | entry;
    }
    std::vector<uint32_t>().swap(scratch);

    // Fields of several entries get a run of positions in list order; a field
    // of one entry keeps its position in its slot.
    size_t positions = 0;
    size_t runs = 0;
    for (const TGroup& group : groups) {
        if (group.Count > 1) {
            positions += group.Count;
            ++runs;
        }
    }
    FGroupStarts.reserve(runs + 1);
    uint32_t start = 0;
    for (TGroup& group : groups) {
        if (group.Count > 1) {
            FGroupStarts.push_back(start);
            group.Cursor = start;
            start += group.Count;
        }
    }
    FGroupStarts.push_back(start);
    FGroupPositions.resize(positions);
    for (const uint64_t k : keyed) {
        TGroup& group = groups[static_cast<size_t>(k >> 32)];
        if (group.Count > 1) {
            FGroupPositions[group.Cursor++] = static_cast<uint32_t>(k);
        }
    }

    // The lasting table: two thirds full at most.
    if (!groups.empty()) {
        FSlots.assign(groups.size() + groups.size() / 2 + 1, EmptySlot);
        uint32_t run = 0;
        for (const TGroup& group : groups) {
            const uint32_t value = group.Count > 1 ? run++ : (SingleEntry | group.First);
            size_t s = SlotOf(group.Hash, FSlots.size());
            while (FSlots[s] != EmptySlot) {
                s = s + 1 == FSlots.size() ? 0 : s + 1;
            }
            FSlots[s] = value;
        }
    }
    FIndexed = true;
}

TIconRun TTextList::FindIconRun(std::u16string_view field) const noexcept {
    TIconRun run;
    if (!FIndexed || FSlots.empty()) {
        return run;
    }
    size_t s = SlotOf(HashField(field.data(), field.size()), FSlots.size());
    for (;;) {
        const uint32_t value = FSlots[s];
        if (value == EmptySlot) {
            return run;
        }
        if (value & SingleEntry) {
            const uint32_t entry = value & ~SingleEntry;
            if (FirstFieldIs(entry, field)) {
                run.Count = 1;
                run.Single = entry;
                return run;
            }
        } else {
            const uint32_t start = FGroupStarts[value];
            if (FirstFieldIs(FGroupPositions[start], field)) {
                run.Positions = FGroupPositions.data() + start;
                run.Count = FGroupStarts[value + 1] - start;
                return run;
            }
        }
        s = s + 1 == FSlots.size() ? 0 : s + 1;
    }
}

size_t TTextList::IndexMemoryUsed() const noexcept {
    return (FSlots.capacity() + FGroupStarts.capacity() + FGroupPositions.capacity()) * sizeof(uint32_t);
}

size_t TTextList::MemoryUsed() const noexcept {
    return FTextCapacity * sizeof(char16_t) + FEnds.capacity() * sizeof(uint32_t) + IndexMemoryUsed();
}
