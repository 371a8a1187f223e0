// The loader's writer: puts the code units of a list file into the list's
// final buffer as the decoders find them, cuts the entries at line ends and
// notes the entries that have a "|" for the index. Portable: no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

#include "core/list_kernels_x86.h"
#include "core/text_list.h"

// CutBytes stores a word of ASCII whole even when only its first bytes
// belong to the text so far, so the buffer has room for eight units more.
constexpr size_t WordSlack = 8;

// Writes entries into a list's buffer as a decoder finds them, and notes the
// entries that have a "|" for the index.
class TListBuilder {
public:
    void Reserve(size_t units) { Grow(units); }

    // Bytes as UTF-8 (ASCII included). Strict stops at the first malformed
    // sequence and returns false; otherwise each becomes U+FFFD.
    template <bool Strict>
    bool CutBytes(const uint8_t* p, size_t n);

    // Code units, byte-swapped when Swap. Returns true at a NUL.
    template <bool Swap>
    bool CutUnits(const uint8_t* src, size_t units);

    // keepRoom: a file load keeps the room of the dropped line ends for
    // the next load of the file.
    void Finish(TTextList& list, bool keepRoom = false);
    // Takes over the list's text buffer and frees the rest: a reload of a
    // file writes into the pages its last load used.
    void TakeBuffer(TTextList& list) noexcept {
        FBuf = std::move(list.FText);
        FCap = list.FTextCapacity;
        list.Clear();
    }
    void Reset() {
        FLen = 0;
        FEntryStart = 0;
        FKeyDone = false;
        FAfterCr = false;
        FEnds.clear();
        FKeyed.clear();
    }

private:
    void Grow(size_t more);
#if BRISKLET_X86_BLOCKS
    size_t CutBlocks(const uint8_t* p, size_t from, size_t n) {
        // Ends past 32 bits are left to EndEntry to refuse.
        if (FLen + (n - from) > std::numeric_limits<uint32_t>::max()) {
            return 0;
        }
        const size_t entries = FEnds.size();
        const size_t taken = CutShortSequences(p, from, n, FBuf.get(), FLen, FEnds);
        if (FEnds.size() != entries) {
            FEntryStart = FEnds.back();
            FKeyDone = false;
        }
        return taken;
    }
#endif
    void Put(char32_t c) noexcept { FBuf.get()[FLen++] = static_cast<char16_t>(c); }
    void EndEntry() {
        if (FLen > std::numeric_limits<uint32_t>::max()) {
            throw std::length_error("text list too large");
        }
        FEnds.push_back(static_cast<uint32_t>(FLen));
        FEntryStart = FLen;
        FKeyDone = false;
    }
    void Bar() {
        if (!FKeyDone) {
            FKeyDone = true;
            const uint32_t hash = TTextList::HashField(FBuf.get() + FEntryStart, FLen - FEntryStart);
            FKeyed.push_back((static_cast<uint64_t>(hash) << 32) | static_cast<uint32_t>(FEnds.size()));
        }
        Put(u'|');
    }

    std::unique_ptr<char16_t, TTextList::TFree> FBuf;
    size_t FLen = 0;
    size_t FCap = 0;
    size_t FEntryStart = 0;
    bool FKeyDone = false;  // the current entry's first "|" is noted
    bool FAfterCr = false;  // the last piece of text ended in CR
    std::vector<uint32_t> FEnds;
    std::vector<uint64_t> FKeyed;  // hash of the first field << 32 | entry
};
