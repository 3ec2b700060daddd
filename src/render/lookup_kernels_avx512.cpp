// Lookup-pass kernels for AVX-512 (F, BW, VL, VBMI): 16 pixels per register, the 256-byte table in
// four registers looked up with two vpermi2b, tails through masked loads and stores.
#include "render/lookup_kernels_level.h"

#if ORV_LOOKUP_KERNELS_X86

// gcc 12's AVX-512 intrinsics start some results from a deliberately undefined register, which its
// own -Wuninitialized and -Wmaybe-uninitialized then report inside the header.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

ORV_TARGET_BEGIN("avx512f,avx512bw,avx512vl,avx512vbmi")

namespace orv {
namespace {

struct Table {
    __m512i t0, t1, t2, t3;
};

Table LoadTable(const uint8_t *table) {
    return Table{_mm512_loadu_si512(table), _mm512_loadu_si512(table + 64), _mm512_loadu_si512(table + 128),
                 _mm512_loadu_si512(table + 192)};
}

// Byte i of the result = table[byte i of idx]: bits 0-6 index 128 bytes, bit 7 picks the half.
inline __m512i Lookup(const Table &t, __m512i idx) {
    const __m512i low = _mm512_permutex2var_epi8(t.t0, idx, t.t1);
    const __m512i high = _mm512_permutex2var_epi8(t.t2, idx, t.t3);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(idx), low, high);
}

// One bit per byte of 16 pixels, from a pattern of four bytes.
inline __mmask64 LaneMask(const uint8_t lanes[4]) {
    uint64_t pattern = 0;
    for (int i = 0; i < 4; ++i)
        if (lanes[i]) pattern |= uint64_t{1} << i;
    return static_cast<__mmask64>(pattern * 0x1111111111111111ull);
}

constexpr __mmask64 kColour = static_cast<__mmask64>(0xEEEEEEEEEEEEEEEEull);

struct Plan {
    Table table;
    __mmask64 lanes;
    bool difference;
};

Plan MakePlan(const LookupPlan &plan) { return Plan{LoadTable(plan.table), LaneMask(plan.lanes), plan.difference}; }

inline __m512i Adjusted(const Plan &p, __m512i source) {
    return _mm512_mask_blend_epi8(p.lanes, source, Lookup(p.table, source));
}

inline __m512i Finish(const Plan &p, __m512i source, __m512i result) {
    if (!p.difference) return result;
    const __m512i distance = _mm512_or_si512(_mm512_subs_epu8(source, result), _mm512_subs_epu8(result, source));
    return _mm512_mask_blend_epi8(kColour, result, distance);
}

// Per byte (a w + b (256 - w)) >> 8 = (b 256 + (a - b) w) >> 8 for weights w in 0..256 given in
// both 16-bit halves of each pixel. The true sum lies in 0..65280, so 16-bit wrapping arithmetic
// gives it exactly; even bytes are worked in the low half of each 16-bit lane (the result is the
// sum's high byte, shifted down), odd bytes in the high half (the result is the sum's high byte).
inline __m512i BlendBytes(__m512i a, __m512i b, __m512i w) {
    const __m512i low = _mm512_set1_epi16(0x00FF), high = _mm512_set1_epi16(static_cast<int16_t>(0xFF00));
    const __m512i evenDifference = _mm512_sub_epi16(_mm512_and_si512(a, low), _mm512_and_si512(b, low));
    const __m512i oddDifference = _mm512_sub_epi16(_mm512_srli_epi16(a, 8), _mm512_srli_epi16(b, 8));
    const __m512i even = _mm512_add_epi16(_mm512_slli_epi16(b, 8), _mm512_mullo_epi16(evenDifference, w));
    const __m512i odd = _mm512_add_epi16(_mm512_and_si512(b, high), _mm512_mullo_epi16(oddDifference, w));
    return _mm512_or_si512(_mm512_srli_epi16(even, 8), _mm512_and_si512(odd, high));
}

// Pixels [x, x + 16) or the `count - x` left, as a mask of 32-bit lanes.
inline __mmask16 PixelsLeft(int32_t x, int32_t count) {
    const int32_t left = count - x;
    return left >= 16 ? static_cast<__mmask16>(0xFFFF) : static_cast<__mmask16>((1u << left) - 1u);
}

// The mask bytes of 16 pixels: a plain load for a full register, a masked one at the row's end.
template <bool Full>
inline __m128i MaskBytes(const uint8_t *mask, __mmask16 live) {
    return Full ? _mm_loadu_si128(reinterpret_cast<const __m128i *>(mask)) : _mm_maskz_loadu_epi8(live, mask);
}

template <RowChosen Chosen, bool Full>
inline __m512i Select(const Plan &p, __m512i s, const uint8_t *mask, __mmask16 live) {
    if (Chosen == RowChosen::kEvery) return Adjusted(p, s);
    if (Chosen == RowChosen::kNone) return s;
    const __m128i m = MaskBytes<Full>(mask, live);
    return _mm512_mask_blend_epi32(_mm_test_epi8_mask(m, m), s, Adjusted(p, s));
}

// Full registers with plain loads and stores (masked stores are slower on some CPUs), then the
// row's last pixels through masks.
template <RowChosen Chosen>
void MaskedRow(const Plan &p, const PF_Pixel *source, PF_Pixel *destination, const uint8_t *mask, int32_t count) {
    int32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        const __m512i s = _mm512_loadu_si512(source + x);
        // Without a mask row (every pixel or none chosen) no address is formed from it.
        const __m512i r = Select<Chosen, true>(p, s, Chosen == RowChosen::kByMask ? mask + x : nullptr,
                                               static_cast<__mmask16>(0xFFFF));
        _mm512_storeu_si512(destination + x, Finish(p, s, r));
    }
    if (x < count) {
        const __mmask16 live = PixelsLeft(x, count);
        const __m512i s = _mm512_maskz_loadu_epi32(live, source + x);
        const __m512i r = Select<Chosen, false>(p, s, Chosen == RowChosen::kByMask ? mask + x : nullptr, live);
        _mm512_mask_storeu_epi32(destination + x, live, Finish(p, s, r));
    }
}

// Weights to 0..256, in both 16-bit halves of each pixel's 32 bits.
template <bool Scaled>
inline __m512i PairedWeights(__m512i w, __m512i factor) {
    if (Scaled) w = _mm512_srai_epi32(_mm512_mullo_epi32(w, factor), 8);
    w = _mm512_min_epi32(_mm512_max_epi32(w, _mm512_setzero_si512()), _mm512_set1_epi32(256));
    return _mm512_or_si512(w, _mm512_slli_epi32(w, 16));
}

template <bool Scaled>
void WeightedRow(const Plan &p, const PF_Pixel *source, PF_Pixel *destination, const int32_t *weights,
                 int32_t k, int32_t count) {
    const __m512i factor = _mm512_set1_epi32(k);
    int32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        const __m512i s = _mm512_loadu_si512(source + x);
        const __m512i w = PairedWeights<Scaled>(_mm512_loadu_si512(weights + x), factor);
        _mm512_storeu_si512(destination + x, Finish(p, s, BlendBytes(Adjusted(p, s), s, w)));
    }
    if (x < count) {
        const __mmask16 live = PixelsLeft(x, count);
        const __m512i s = _mm512_maskz_loadu_epi32(live, source + x);
        const __m512i w = PairedWeights<Scaled>(_mm512_maskz_loadu_epi32(live, weights + x), factor);
        _mm512_mask_storeu_epi32(destination + x, live, Finish(p, s, BlendBytes(Adjusted(p, s), s, w)));
    }
}

void UniformRow(const Plan &p, const PF_Pixel *source, PF_Pixel *destination, int32_t weight, int32_t count) {
    const __m512i w = _mm512_set1_epi32(weight | weight << 16);
    int32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        const __m512i s = _mm512_loadu_si512(source + x);
        _mm512_storeu_si512(destination + x, Finish(p, s, BlendBytes(Adjusted(p, s), s, w)));
    }
    if (x < count) {
        const __mmask16 live = PixelsLeft(x, count);
        const __m512i s = _mm512_maskz_loadu_epi32(live, source + x);
        _mm512_mask_storeu_epi32(destination + x, live, Finish(p, s, BlendBytes(Adjusted(p, s), s, w)));
    }
}

ORV_LOOKUP_ENTRIES

}  // namespace
}  // namespace orv

ORV_TARGET_END

void orv::OverrideWithAvx512(LookupKernels &kernels) { SetEntries(kernels); }

#endif
