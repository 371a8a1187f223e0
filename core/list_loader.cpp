#include "core/list_loader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "core/list_kernels_word.h"
#include "core/list_kernels_x86.h"

// A list file can be a whole joke book, and it is read on the host's
// user-interface thread. So the bytes are decoded and cut in one pass, straight
// into the list's final buffer, looking at eight bytes (or four UTF-16 code
// units) at a time while they are plain text; the buffer is sized from a quick
// count first, so a load holds the file, the text and the offsets, not a
// second copy of the text.

namespace {

#if BRISKLET_X86_BLOCKS
bool BlockSteps = true;  // see UseBlockSteps
#endif

struct TByteCounts {
    size_t TextEnd = 0;  // the first NUL, or the size
    size_t Units = 0;    // UTF-16 units of the bytes before it, read as valid UTF-8
    bool HighBytes = false;
};

// Sizes the text before decoding it: each byte but a continuation byte
// starts one code unit, a four-byte sequence two.
TByteCounts MeasureBytes(const uint8_t* data, size_t size) noexcept {
    size_t continuation = 0;
    size_t fourByte = 0;
    uint64_t continuationLanes = 0;
    uint64_t fourByteLanes = 0;
    unsigned pending = 0;
    bool high = false;
    size_t i = 0;
#if BRISKLET_X86_BLOCKS
    if (LoaderPath() != TLoaderPath::Words) {
        i = MeasureBlocks(data, size, continuation, fourByte, high);
    }
#endif
    for (; i + 8 <= size; i += 8) {
        const uint64_t x = LoadWord(data + i);
        if ((((x - Ones8) | x) & High8) == 0) {
            continue;  // ASCII without a NUL
        }
        if (((x - Ones8) & ~x & High8) != 0) {
            break;  // a NUL: the byte loop below finds it
        }
        high = true;
        continuationLanes += (x & ~(x << 1) & High8) >> 7;
        fourByteLanes += (x & (x << 1) & (x << 2) & (x << 3) & High8) >> 7;
        if (++pending == 255) {
            continuation += SumByteLanes(continuationLanes);
            fourByte += SumByteLanes(fourByteLanes);
            continuationLanes = fourByteLanes = 0;
            pending = 0;
        }
    }
    continuation += SumByteLanes(continuationLanes);
    fourByte += SumByteLanes(fourByteLanes);
    for (; i < size && data[i] != 0; ++i) {
        const uint8_t b = data[i];
        if (b >= 0x80) {
            high = true;
            continuation += (b & 0xC0u) == 0x80u;
            fourByte += b >= 0xF0;
        }
    }
    TByteCounts counts;
    counts.TextEnd = i;
    counts.Units = i - continuation + fourByte;
    counts.HighBytes = high;
    return counts;
}

bool LittleEndianHost() noexcept {
    const uint16_t probe = 1;
    uint8_t first;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

// CutBytes stores a word of ASCII whole even when only its first bytes
// belong to the text so far, so the buffer has room for eight units more.
constexpr size_t WordSlack = 8;

// The converter is handed pieces of this size, cut where it starts afresh.
constexpr size_t AnsiChunk = 64 * 1024;

}  // namespace

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

void TListBuilder::Grow(size_t more) {
    if (FCap - FLen >= more) {
        return;
    }
    if (FLen == 0) {
        FBuf.reset();  // nothing to keep: no copy, and no two blocks at once
        FCap = 0;
    }
    size_t want = FLen + more;
    if (FCap > 0) {
        want = std::max(want, FCap + FCap / 2);
    }
    TTextList::Reallocate(FBuf, want);
    FCap = want;
}

template <bool Strict>
bool TListBuilder::CutBytes(const uint8_t* p, size_t n) {
    bool roomForAll = false;
    size_t j = 0;
#if BRISKLET_X86_BLOCKS
    const bool blocks = LoaderPath() == TLoaderPath::Ssse3;
#endif
    while (j < n) {
#if BRISKLET_X86_BLOCKS
        if (blocks && j + 17 <= n) {
            j += CutBlocks(p, j, n);
        }
#endif
        // The hot loop keeps the buffer and length in locals: stores through
        // the buffer would otherwise make the compiler reload both.
        char16_t* const out = FBuf.get();
        size_t used = FLen;
        while (j < n) {
            if (j + 8 <= n) {
                const uint64_t x = LoadWord(p + j);
                const uint64_t special = SpecialBytes(x);
                StoreWidened(out + used, x);
                if (special == 0) {  // eight plain ASCII bytes
                    used += 8;
                    j += 8;
                    continue;
                }
                if (const size_t plain = FirstFlaggedByte(special)) {
                    used += plain;  // plain ASCII up to the first other byte
                    j += plain;
                    continue;
                }
                if (IsFourPairs(x)) {  // a run of Cyrillic, Greek, ...
                    StoreFourPairs(out + used, x);
                    used += 4;
                    j += 8;
                    continue;
                }
            }
            // One character of plain ASCII or a two-byte sequence, decoded
            // without branching on which.
            const uint32_t b0 = p[j];
            const uint32_t b1 = j + 1 < n ? p[j + 1] : 0u;
            const uint32_t one = static_cast<uint8_t>(b0 - 0x0E) < 0x7C - 0x0E;
            const uint32_t two = (static_cast<uint8_t>(b0 - 0xC2) < 0xE0 - 0xC2) & ((b1 & 0xC0u) == 0x80u);
            if ((one | two) == 0) {
                break;
            }
            const uint32_t pair = ((b0 & 0x1Fu) << 6) | (b1 & 0x3Fu);
            out[used++] = static_cast<char16_t>(b0 ^ ((b0 ^ pair) & (0u - two)));
            j += 1 + two;
        }
        FLen = used;
        if (j >= n) {
            break;
        }
        // One step of anything else: line ends, "|", NUL, longer sequences,
        // malformed ones.
        const uint8_t b = p[j];
        if (b < 0x80) {
            if (b == u'|') {
                Bar();
                ++j;
            } else if (b == u'\n') {
                EndEntry();
                ++j;
            } else if (b == u'\r') {
                EndEntry();
                j += (j + 1 < n && p[j + 1] == u'\n') ? 2 : 1;
            } else if (b == 0) {
                return true;
            } else {
                Put(b);
                ++j;
            }
            continue;
        }
        char32_t cp;
        const size_t len = Utf8SequenceLength(p + j, n - j, cp);
        if (len != 0) {
            if (cp < 0x10000) {
                Put(cp);
            } else {
                cp -= 0x10000;
                Put(0xD800 + (cp >> 10));
                Put(0xDC00 + (cp & 0x3FF));
            }
            j += len;
            continue;
        }
        if (Strict) {
            return false;
        }
        // A stray continuation byte gives a unit the count did not expect;
        // no byte gives more than one from here on.
        if (!roomForAll) {
            Grow(n - j + 8);
            roomForAll = true;
        }
        Put(ReplacementCharacter);
        j += MalformedLength(p + j, n - j);
    }
    return true;
}

template <bool Swap>
bool TListBuilder::CutUnits(const uint8_t* src, size_t units) {
    auto unitAt = [src](size_t k) noexcept {
        char16_t c;
        std::memcpy(&c, src + 2 * k, 2);
        return Swap ? SwapUnit(c) : c;
    };
    Grow(units);
    size_t i = 0;
    if (FAfterCr && units > 0 && unitAt(0) == u'\n') {
        i = 1;
    }
    FAfterCr = false;
    while (i < units) {
        size_t j = i;
        for (; j + 4 <= units; j += 4) {
            uint64_t x = LoadWord(src + 2 * j);
            if (Swap) {
                x = SwapUnitBytes(x);
            }
            if (SpecialUnits(x) != 0) {
                break;
            }
        }
        if (j > i) {
            if (Swap) {
                char16_t* dst = FBuf.get() + FLen;
                for (size_t k = i; k < j; ++k) {
                    *dst++ = unitAt(k);
                }
            } else {
                std::memcpy(FBuf.get() + FLen, src + 2 * i, (j - i) * 2);
            }
            FLen += j - i;
        }
        const size_t stop = std::min(j + 4, units);
        while (j < stop) {
            const char16_t c = unitAt(j);
            ++j;
            if (c == u'|') {
                Bar();
            } else if (c == u'\n') {
                EndEntry();
            } else if (c == u'\r') {
                EndEntry();
                if (j < units) {
                    j += unitAt(j) == u'\n';
                } else {
                    FAfterCr = true;
                }
            } else if (c == 0) {
                return true;
            } else {
                Put(c);
            }
        }
        i = j;
    }
    return false;
}

void TListBuilder::Finish(TTextList& list, bool keepRoom) {
    // Text after the last line end forms the last entry.
    if (FLen > FEntryStart) {
        EndEntry();
    }
    if (FLen == 0) {
        FBuf.reset();
        FCap = 0;
    } else if (FCap - FLen > (keepRoom ? 2 * FEnds.size() + 2 * WordSlack : 0)) {
        // The room of the dropped line ends stays for the next load (two
        // units an entry at most); anything more goes back. Shrinking a
        // block stays in place, so that is no second copy of the text.
        if (void* shrunk = std::realloc(FBuf.get(), FLen * sizeof(char16_t))) {
            FBuf.release();
            FBuf.reset(static_cast<char16_t*>(shrunk));
            FCap = FLen;
        }
    }
    FEnds.shrink_to_fit();
    list.Clear();
    list.FText = std::move(FBuf);
    list.FTextSize = FLen;
    list.FTextCapacity = FCap;
    list.FEnds = std::move(FEnds);
    FCap = 0;
    std::vector<uint64_t> keyed = std::move(FKeyed);
    Reset();
    list.BuildIndexFrom(keyed);
}

namespace {

// Code page text goes to the converter in pieces, so that the whole file is
// never held twice as UTF-16. A piece ends after a byte below 0x30: in the
// double-byte code pages that byte is a character of its own (lead and
// trail bytes are 0x40 and up), so the converter is in its initial state
// after it and the pieces convert as the whole would.
void CutAnsi(const uint8_t* data, size_t size, TAnsiToUtf16 convert, TListBuilder& builder) {
    builder.Reserve(size);
    std::u16string piece;
    size_t pos = 0;
    while (pos < size) {
        size_t end = size;
        if (size - pos > AnsiChunk) {
            end = pos + AnsiChunk;
            size_t cut = end;
            while (cut > pos && data[cut - 1] >= 0x30) {
                --cut;
            }
            if (cut == pos) {
                while (end < size && data[end - 1] >= 0x30) {
                    ++end;
                }
            } else {
                end = cut;
            }
        }
        piece.clear();
        convert(reinterpret_cast<const char*>(data + pos), end - pos, piece);
        if (builder.CutUnits<false>(reinterpret_cast<const uint8_t*>(piece.data()), piece.size())) {
            return;  // a NUL ends the text
        }
        pos = end;
    }
}

}  // namespace

void UseBlockSteps(bool on) noexcept {
#if BRISKLET_X86_BLOCKS
    BlockSteps = on;
#else
    (void)on;
#endif
}

TLoaderPath LoaderPath() noexcept {
#if BRISKLET_X86_BLOCKS
    if (BlockSteps && HasSsse3()) {
        return TLoaderPath::Ssse3;
    }
    if (BlockSteps && HasSse2()) {
        return TLoaderPath::Sse2;
    }
#endif
    return TLoaderPath::Words;
}

void LoadListBytes(const uint8_t* data, size_t size, const TAnsiCodePage& ansi, TTextList& list,
                   TListEncoding* detected) {
    TListBuilder builder;
    builder.TakeBuffer(list);
    TListEncoding encoding = ByteOrderMarkOf(data, size);
    switch (encoding) {
    case TListEncoding::Utf16Le:
    case TListEncoding::Utf16Be: {
        const size_t units = (size - 2) / 2;  // an odd last byte is ignored
        const bool swap = (encoding == TListEncoding::Utf16Be) == LittleEndianHost();
        builder.Reserve(units);
        if (swap) {
            builder.CutUnits<true>(data + 2, units);
        } else {
            builder.CutUnits<false>(data + 2, units);
        }
        break;
    }
    case TListEncoding::Utf8Bom: {
        const TByteCounts counts = MeasureBytes(data + 3, size - 3);
        builder.Reserve(counts.Units + WordSlack);
        builder.CutBytes<false>(data + 3, counts.TextEnd);
        break;
    }
    default: {
        // No mark: UTF-8 when the whole file is valid UTF-8 with a multi-byte
        // sequence, the code page otherwise. The bytes before a NUL are
        // decoded; those after it still count for the choice.
        const TByteCounts counts = MeasureBytes(data, size);
        const uint8_t* tail = data + counts.TextEnd;
        const size_t tailSize = size - counts.TextEnd;
        bool tailMultiByte = false;
        if (!counts.HighBytes) {
            const bool utf8 = tailSize > 0 && IsValidUtf8(tail, tailSize, tailMultiByte) && tailMultiByte;
            encoding = utf8 ? TListEncoding::Utf8 : TListEncoding::Ansi;
            if (utf8 || ansi.AsciiSame || !ansi.Convert) {
                builder.Reserve(counts.Units + WordSlack);
                builder.CutBytes<true>(data, counts.TextEnd);
            } else {
                CutAnsi(data, size, ansi.Convert, builder);
            }
            break;
        }
        builder.Reserve(counts.Units + WordSlack);
        if (builder.CutBytes<true>(data, counts.TextEnd) && IsValidUtf8(tail, tailSize, tailMultiByte)) {
            encoding = TListEncoding::Utf8;
            break;
        }
        builder.Reset();
        encoding = TListEncoding::Ansi;
        CutAnsi(data, size, ansi.Convert ? ansi.Convert : Cp1252ToUtf16, builder);
        break;
    }
    }
    if (detected) {
        *detected = encoding;
    }
    builder.Finish(list, true);
}

void LoadListBytes(const uint8_t* data, size_t size, TAnsiToUtf16 ansi, TTextList& list,
                   TListEncoding* detected) {
    TAnsiCodePage codePage;
    codePage.Convert = ansi;
    codePage.AsciiSame = !ansi || ansi == &Cp1252ToUtf16;
    LoadListBytes(data, size, codePage, list, detected);
}

void LoadListText(std::u16string text, TTextList& list) {
    list.Clear();
    const size_t nul = text.find(u'\0');
    if (nul != std::u16string::npos) {
        text.resize(nul);
    }
    if (text.size() > std::numeric_limits<uint32_t>::max()) {
        throw std::length_error("text list too large");
    }
    TListBuilder builder;
    builder.CutUnits<false>(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    std::u16string().swap(text);
    builder.Finish(list);
}
