#include "core/list_kernels_x86.h"

#if BRISKLET_X86_BLOCKS

#include <immintrin.h>

namespace {

// CutShortSequences gives each byte a code unit in its lane, and a shuffle
// from this table drops the lanes of continuation bytes.
struct TPackTable {
    uint8_t Shuffle[256][16];  // by the lanes to keep, as a bit mask
    uint8_t Count[256];
};

constexpr TPackTable MakePackTable() {
    TPackTable table{};
    for (unsigned keep = 0; keep < 256; ++keep) {
        unsigned k = 0;
        for (unsigned lane = 0; lane < 8; ++lane) {
            if (keep & (1u << lane)) {
                table.Shuffle[keep][2 * k] = static_cast<uint8_t>(2 * lane);
                table.Shuffle[keep][2 * k + 1] = static_cast<uint8_t>(2 * lane + 1);
                ++k;
            }
        }
        for (unsigned rest = 2 * k; rest < 16; ++rest) {
            table.Shuffle[keep][rest] = 0x80;
        }
        table.Count[keep] = static_cast<uint8_t>(k);
    }
    return table;
}

constexpr TPackTable PackTable = MakePackTable();

}  // namespace

// Asked each time rather than kept in a function-local static: the first
// guarded static in the DLL makes the runtime create two semaphores that
// outlive FreeLibrary. The answer is a read of a flag the runtime set.
bool HasSse2() noexcept {
    return __builtin_cpu_supports("sse2");
}

bool HasSsse3() noexcept {
    return __builtin_cpu_supports("ssse3");
}

// Counts in byte lanes, summed before they can overflow.
__attribute__((target("sse2"))) size_t MeasureBlocks(const uint8_t* data, size_t size, size_t& continuation,
                                                     size_t& fourByte, bool& high) noexcept {
    const __m128i zero = _mm_setzero_si128();
    __m128i contTotal = zero;
    __m128i fourTotal = zero;
    __m128i any = zero;
    size_t i = 0;
    while (i + 16 <= size) {
        __m128i contLanes = zero;
        __m128i fourLanes = zero;
        bool nul = false;
        for (int k = 0; k < 255 && i + 16 <= size; ++k, i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            if (_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)) != 0) {
                nul = true;
                break;
            }
            any = _mm_or_si128(any, v);
            // Signed compares: 80..BF are below -64, F0..FF above -17 and negative.
            contLanes = _mm_sub_epi8(contLanes, _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(0xC0))));
            fourLanes = _mm_sub_epi8(fourLanes, _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(0xEF))),
                                                              _mm_cmplt_epi8(v, zero)));
        }
        contTotal = _mm_add_epi64(contTotal, _mm_sad_epu8(contLanes, zero));
        fourTotal = _mm_add_epi64(fourTotal, _mm_sad_epu8(fourLanes, zero));
        if (nul) {
            break;
        }
    }
    uint64_t sums[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums), contTotal);
    continuation += static_cast<size_t>(sums[0] + sums[1]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums), fourTotal);
    fourByte += static_cast<size_t>(sums[0] + sums[1]);
    high = high || _mm_movemask_epi8(any) != 0;
    return i;
}

__attribute__((target("ssse3"))) size_t CutShortSequences(const uint8_t* p, size_t from, size_t n, char16_t* out,
                                                          size_t& used, std::vector<uint32_t>& ends) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low5 = _mm_set1_epi16(0x1F);
    const __m128i low6 = _mm_set1_epi16(0x3F);
    size_t j = from;
    size_t w = used;
    while (j + 17 <= n) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j));
        // Signed compares: bytes from 0x80 up are negative.
        const __m128i plain =
            _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(0x0D)), _mm_cmplt_epi8(v, _mm_set1_epi8(0x7C)));
        const unsigned plainBits = static_cast<unsigned>(_mm_movemask_epi8(plain));
        if (plainBits == 0xFFFFu) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + w), _mm_unpacklo_epi8(v, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + w + 8), _mm_unpackhi_epi8(v, zero));
            w += 16;
            j += 16;
            continue;
        }
        const __m128i cont = _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(0xC0)));
        const __m128i lead = _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(0xC1))),
                                           _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(0xE0))));
        const unsigned leads = static_cast<unsigned>(_mm_movemask_epi8(lead));
        const unsigned conts = static_cast<unsigned>(_mm_movemask_epi8(cont));
        // A continuation byte must follow a lead byte, and only there.
        const unsigned bad = (~(plainBits | leads | conts) & 0xFFFFu) | (conts ^ ((leads << 1) & 0xFFFFu));
        unsigned take = bad ? static_cast<unsigned>(__builtin_ctz(bad)) : 16u;
        if (take > 0 && ((leads >> (take - 1)) & 1u)) {
            --take;  // its continuation byte is not in this step
        }
        if (take > 0) {
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j + 1));
            const unsigned keep = ~conts & ((1u << take) - 1u);
            const __m128i leadLo = _mm_unpacklo_epi8(lead, lead);
            const __m128i leadHi = _mm_unpackhi_epi8(lead, lead);
            const __m128i byteLo = _mm_unpacklo_epi8(v, zero);
            const __m128i byteHi = _mm_unpackhi_epi8(v, zero);
            const __m128i pairLo = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(byteLo, low5), 6),
                                                _mm_and_si128(_mm_unpacklo_epi8(next, zero), low6));
            const __m128i pairHi = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(byteHi, low5), 6),
                                                _mm_and_si128(_mm_unpackhi_epi8(next, zero), low6));
            const __m128i unitLo = _mm_or_si128(_mm_and_si128(leadLo, pairLo), _mm_andnot_si128(leadLo, byteLo));
            const __m128i unitHi = _mm_or_si128(_mm_and_si128(leadHi, pairHi), _mm_andnot_si128(leadHi, byteHi));
            const unsigned keepLo = keep & 0xFFu;
            const unsigned keepHi = keep >> 8;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + w),
                             _mm_shuffle_epi8(unitLo, _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                                          PackTable.Shuffle[keepLo]))));
            w += PackTable.Count[keepLo];
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + w),
                             _mm_shuffle_epi8(unitHi, _mm_loadu_si128(reinterpret_cast<const __m128i*>(
                                                          PackTable.Shuffle[keepHi]))));
            w += PackTable.Count[keepHi];
            j += take;
        }
        if (bad == 0) {
            continue;
        }
        // Line ends are the one stop of every line: take them here.
        const uint8_t b = p[j];
        if (b == u'\n' || b == u'\r') {
            ends.push_back(static_cast<uint32_t>(w));
            j += (b == u'\r' && p[j + 1] == u'\n') ? 2 : 1;
            continue;
        }
        if (take == 0) {
            break;
        }
    }
    used = w;
    return j - from;
}

#endif
