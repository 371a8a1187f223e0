#include "core/list_builder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/list_kernels_word.h"
#include "core/list_loader.h"

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

template bool TListBuilder::CutBytes<false>(const uint8_t* p, size_t n);
template bool TListBuilder::CutBytes<true>(const uint8_t* p, size_t n);
template bool TListBuilder::CutUnits<false>(const uint8_t* src, size_t units);
template bool TListBuilder::CutUnits<true>(const uint8_t* src, size_t units);
