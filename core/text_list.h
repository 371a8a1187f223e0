// The compact list that holds the entries of "list.txt" and "statuses.txt",
// and its index by first field. The loader (core/list_loader.h) fills it.
// Portable: no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Where the entries with a given first field stand: positions in list order.
// Either a slice of the index's position array or, for a field that only
// one entry has, that one position held inline.
struct TIconRun {
    const uint32_t* Positions = nullptr;
    uint32_t Count = 0;
    uint32_t Single = 0;

    uint32_t operator[](size_t i) const noexcept { return Positions ? Positions[i] : Single; }
};

// An ordered list of wide entries kept in one contiguous buffer with one
// offset per entry. Duplicates and empty entries are kept in file order.
//
// Lists filled by the loader also carry an index from the text before an
// entry's first "|" to the entries that have it, so the rotation finds an
// icon's entries without walking the list. Add drops the index until
// BuildIndex is called again.
class TTextList {
public:
    TTextList() noexcept = default;
    TTextList(const TTextList& other);
    TTextList& operator=(const TTextList& other);
    TTextList(TTextList&& other) noexcept;
    TTextList& operator=(TTextList&& other) noexcept;
    ~TTextList() = default;

    size_t Count() const noexcept { return FEnds.size(); }
    bool Empty() const noexcept { return FEnds.empty(); }
    std::u16string_view operator[](size_t index) const noexcept;

    void Clear() noexcept;
    void Add(std::u16string_view entry);

    bool Indexed() const noexcept { return FIndexed; }
    void BuildIndex();
    // The entries whose text up to their first "|" is exactly field, that is
    // the entries that begin with field + "|", for a field without "|".
    // Needs Indexed().
    TIconRun FindIconRun(std::u16string_view field) const noexcept;

    // Bytes held (text, offsets and index), for the memory budget of large lists.
    size_t MemoryUsed() const noexcept;
    size_t IndexMemoryUsed() const noexcept;

private:
    struct TFree {
        void operator()(char16_t* p) const noexcept;
    };
    // The loader writes the text, the ends and the index's keys in place.
    friend class TListBuilder;

    // The index's hash of a first field; the loader hashes each field as it
    // cuts it. Inline, as that is once an entry.
    static uint32_t HashField(const char16_t* p, size_t n) noexcept {
        uint32_t h = 2166136261u;
        for (size_t i = 0; i < n; ++i) {
            h = (h ^ p[i]) * 16777619u;
        }
        h ^= h >> 16;
        h *= 0x85EBCA6Bu;
        h ^= h >> 13;
        h *= 0xC2B2AE35u;
        h ^= h >> 16;
        return h;
    }
    // Moves text to a block of units code units, keeping what fits; throws
    // std::bad_alloc, text untouched, when there is none.
    static void Reallocate(std::unique_ptr<char16_t, TFree>& text, size_t units);
    void BuildIndexFrom(std::vector<uint64_t>& keyed);
    bool FirstFieldIs(uint32_t entry, std::u16string_view field) const noexcept;

    std::unique_ptr<char16_t, TFree> FText;  // entries back to back, no line ends
    size_t FTextSize = 0;
    size_t FTextCapacity = 0;
    std::vector<uint32_t> FEnds;  // end of entry i in FText; entry 0 starts at 0

    // The index: a hash table of first fields (linear probing) whose slots
    // hold either an entry position with the top bit set (a field only one
    // entry has) or a group number; group g's positions are
    // FGroupPositions[FGroupStarts[g] .. FGroupStarts[g + 1]).
    bool FIndexed = false;
    std::vector<uint32_t> FSlots;
    std::vector<uint32_t> FGroupStarts;
    std::vector<uint32_t> FGroupPositions;
};
