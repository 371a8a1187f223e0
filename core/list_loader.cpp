#include "core/list_loader.h"

#include <cstring>
#include <limits>
#include <stdexcept>

#include "core/list_builder.h"
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

// The converter is handed pieces of this size, cut where it starts afresh.
constexpr size_t AnsiChunk = 64 * 1024;


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
