// The loader's word-at-a-time steps: eight bytes, or four UTF-16 code
// units, looked at in one 64-bit integer. Every build has them; on x86 the
// sixteen-byte steps (core/list_kernels_x86.h) take the long runs first.
// Inline, as the loader's hot loops are made of them. Portable: no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

inline constexpr uint64_t Ones8 = 0x0101010101010101ull;
inline constexpr uint64_t High8 = 0x8080808080808080ull;
inline constexpr uint64_t Ones16 = 0x0001000100010001ull;
inline constexpr uint64_t High16 = 0x8000800080008000ull;

inline uint64_t LoadWord(const uint8_t* p) noexcept {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline uint64_t SwapUnitBytes(uint64_t x) noexcept {
    return ((x >> 8) & 0x00FF00FF00FF00FFull) | ((x & 0x00FF00FF00FF00FFull) << 8);
}

inline char16_t SwapUnit(char16_t c) noexcept { return static_cast<char16_t>((c >> 8) | (c << 8)); }

// Nonzero when a byte of x is not plain ASCII text: below 0x0E (NUL and the
// line ends), 0x7C to 0x7F ("|" and three neighbours) or 0x80 and up. Zero
// means none is; a nonzero result may also flag plain bytes above a hit.
inline uint64_t SpecialBytes(uint64_t x) noexcept {
    return ((x - 0x0E * Ones8) | (x + 0x04 * Ones8) | x) & High8;
}

// The same for four code units: below 0x0E or 0x7C to 0x7F.
inline uint64_t SpecialUnits(uint64_t x) noexcept {
    const uint64_t bar = x ^ (0x7C * Ones16);
    return (((x - 0x0E * Ones16) & ~x) | ((bar - 0x04 * Ones16) & ~bar)) & High16;
}

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
inline constexpr bool LittleHost = false;
#else
inline constexpr bool LittleHost = true;
#endif

// The first byte that SpecialBytes flags. Flags past a real hit come from
// borrows and carries moving up, so the lowest flag is a real one.
inline size_t FirstFlaggedByte(uint64_t flags) noexcept {
#if defined(__GNUC__)
    return static_cast<size_t>(LittleHost ? __builtin_ctzll(flags) : __builtin_clzll(flags)) / 8;
#else
    for (size_t k = 0; k < 8; ++k) {
        if (flags & (uint64_t(0x80) << (LittleHost ? 8 * k : 56 - 8 * k))) {
            return k;
        }
    }
    return 8;
#endif
}

// Stores the eight bytes of x, in memory order, as eight code units.
inline void StoreWidened(char16_t* dst, uint64_t x) noexcept {
    if (LittleHost) {
        auto spread = [](uint64_t v) {
            v = (v | (v << 16)) & 0x0000FFFF0000FFFFull;
            return (v | (v << 8)) & 0x00FF00FF00FF00FFull;
        };
        const uint64_t lo = spread(x & 0xFFFFFFFFull);
        const uint64_t hi = spread(x >> 32);
        std::memcpy(dst, &lo, 8);
        std::memcpy(dst + 4, &hi, 8);
    } else {
        uint8_t bytes[8];
        std::memcpy(bytes, &x, 8);
        for (size_t k = 0; k < 8; ++k) {
            dst[k] = bytes[k];
        }
    }
}

// True when x holds four well-formed two-byte sequences: lead bytes C2..DF
// at the even bytes, continuation bytes at the odd ones.
inline bool IsFourPairs(uint64_t x) noexcept {
    // Each 16-bit lane holds one sequence; where its lead byte sits in the
    // lane depends on the host's byte order.
    const int leadShift = LittleHost ? 0 : 8;
    const int nextShift = 8 - leadShift;
    const uint64_t pattern = (0x00E0 * Ones16) << leadShift | (0x00C0 * Ones16) << nextShift;
    const uint64_t shape = (0x00C0 * Ones16) << leadShift | (0x0080 * Ones16) << nextShift;
    // C0 and C1 would be overlong: a lead needs one of its bits 1 to 4.
    const uint64_t leadBits = x & ((0x001E * Ones16) << leadShift);
    const uint64_t someBit = (leadBits + ((0x007F * Ones16) << leadShift)) & ((0x0080 * Ones16) << leadShift);
    return (x & pattern) == shape && someBit == ((0x0080 * Ones16) << leadShift);
}

// Stores the four characters of a word that IsFourPairs accepts.
inline void StoreFourPairs(char16_t* dst, uint64_t x) noexcept {
    if (LittleHost) {
        const uint64_t units = ((x & (0x001F * Ones16)) << 6) | ((x >> 8) & (0x003F * Ones16));
        std::memcpy(dst, &units, 8);
    } else {
        uint8_t bytes[8];
        std::memcpy(bytes, &x, 8);
        for (size_t k = 0; k < 4; ++k) {
            dst[k] = static_cast<char16_t>(((bytes[2 * k] & 0x1Fu) << 6) | (bytes[2 * k + 1] & 0x3Fu));
        }
    }
}

// Adds up eight byte lanes of at most 255 each.
inline size_t SumByteLanes(uint64_t lanes) noexcept {
    uint64_t s = (lanes & 0x00FF00FF00FF00FFull) + ((lanes >> 8) & 0x00FF00FF00FF00FFull);
    s = (s & 0x0000FFFF0000FFFFull) + ((s >> 16) & 0x0000FFFF0000FFFFull);
    return static_cast<size_t>((s & 0xFFFFFFFFull) + (s >> 32));
}
