// The weighted lookup pass for SSE2 (every x86-64 CPU and the floor of the 32-bit module). SSE2 has no
// byte shuffle, so the table is read per byte with the pixel as one 32-bit word; the blend and the
// difference run 4 pixels per register. The masked pass, table reads and copies only, is the plain one.
#include "render/lookup_kernels_level.h"

#if ORV_LOOKUP_KERNELS_X86

#include <emmintrin.h>

#include <cstring>

ORV_TARGET_BEGIN("sse2")

namespace orv {
namespace {

constexpr int32_t kStep = 4;

inline uint32_t Word(const uint8_t bytes[4]) {
    uint32_t w;
    std::memcpy(&w, bytes, 4);
    return w;
}

struct Plan {
    const uint8_t *table;
    uint32_t lanes;
    bool difference;
    __m128i colour;
};

Plan MakePlan(const LookupPlan &plan) {
    const uint8_t colour[4] = {0, 0xFF, 0xFF, 0xFF};
    return Plan{plan.table, Word(plan.lanes), plan.difference, _mm_set1_epi32(static_cast<int32_t>(Word(colour)))};
}

// The pixel's bytes through the table where `lanes` marks them (x86 is little-endian: byte 0 of the
// pixel is the low byte of the word).
inline uint32_t AdjustedWord(const Plan &p, uint32_t s) {
    const uint8_t *t = p.table;
    const uint32_t looked = uint32_t{t[s & 0xFF]} | uint32_t{t[(s >> 8) & 0xFF]} << 8 |
                            uint32_t{t[(s >> 16) & 0xFF]} << 16 | uint32_t{t[s >> 24]} << 24;
    return (s & ~p.lanes) | (looked & p.lanes);
}

inline __m128i Load(const void *p) { return _mm_loadu_si128(static_cast<const __m128i *>(p)); }
inline void Store(void *p, __m128i v) { _mm_storeu_si128(static_cast<__m128i *>(p), v); }

inline __m128i Select(__m128i where, __m128i a, __m128i b) {
    return _mm_or_si128(_mm_and_si128(where, a), _mm_andnot_si128(where, b));
}

inline __m128i Finish(const Plan &p, __m128i source, __m128i result) {
    if (!p.difference) return result;
    const __m128i distance = _mm_or_si128(_mm_subs_epu8(source, result), _mm_subs_epu8(result, source));
    return Select(p.colour, distance, result);
}

// Built in registers: four word stores read back as one vector would stall store forwarding.
inline __m128i AdjustedFour(const Plan &p, const PF_Pixel *source) {
    uint32_t words[kStep];
    std::memcpy(words, source, sizeof words);
    for (uint32_t &w : words) w = AdjustedWord(p, w);
    return _mm_set_epi32(static_cast<int32_t>(words[3]), static_cast<int32_t>(words[2]), static_cast<int32_t>(words[1]),
                         static_cast<int32_t>(words[0]));
}

// Per byte (a w + b (256 - w)) >> 8 = (b 256 + (a - b) w) >> 8 for weights w in 0..256 given in
// both 16-bit halves of each pixel. The true sum lies in 0..65280, so 16-bit wrapping arithmetic
// gives it exactly; even bytes are worked in the low half of each 16-bit lane (the result is the
// sum's high byte, shifted down), odd bytes in the high half (the result is the sum's high byte).
inline __m128i BlendBytes(__m128i a, __m128i b, __m128i w) {
    const __m128i low = _mm_set1_epi16(0x00FF), high = _mm_set1_epi16(static_cast<int16_t>(0xFF00));
    const __m128i evenDifference = _mm_sub_epi16(_mm_and_si128(a, low), _mm_and_si128(b, low));
    const __m128i oddDifference = _mm_sub_epi16(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8));
    const __m128i even = _mm_add_epi16(_mm_slli_epi16(b, 8), _mm_mullo_epi16(evenDifference, w));
    const __m128i odd = _mm_add_epi16(_mm_and_si128(b, high), _mm_mullo_epi16(oddDifference, w));
    return _mm_or_si128(_mm_srli_epi16(even, 8), _mm_and_si128(odd, high));
}

// The low 32 bits of each 32-bit product (SSE2 multiplies only the even lanes).
inline __m128i MulLow32(__m128i a, __m128i b) {
    const __m128i even = _mm_mul_epu32(a, b);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

// Weights to 0..256, in both 16-bit halves of each pixel's 32 bits.
inline __m128i PairedWeights(__m128i w, bool scaled, __m128i factor) {
    const __m128i full = _mm_set1_epi32(256);
    if (scaled) w = _mm_srai_epi32(MulLow32(w, factor), 8);
    w = _mm_andnot_si128(_mm_cmplt_epi32(w, _mm_setzero_si128()), w);
    w = Select(_mm_cmpgt_epi32(w, full), full, w);
    return _mm_or_si128(w, _mm_slli_epi32(w, 16));
}

inline void WeightedStep(const Plan &p, const PF_Pixel *source, PF_Pixel *destination, __m128i w) {
    const __m128i s = Load(source);
    Store(destination, Finish(p, s, BlendBytes(AdjustedFour(p, source), s, w)));
}

void Weighted(const LookupPlan &plan, const PF_Pixel *source, PF_Pixel *destination, const int32_t *weights,
              int32_t uniform, bool scaled, int32_t k, int32_t count) {
    const Plan p = MakePlan(plan);
    const __m128i factor = _mm_set1_epi32(k);
    const __m128i same = _mm_set1_epi32(uniform | uniform << 16);
    int32_t x = 0;
    for (; x + kStep <= count; x += kStep)
        WeightedStep(p, source + x, destination + x, weights ? PairedWeights(Load(weights + x), scaled, factor) : same);
    if (x < count) {
        const int32_t left = count - x;
        PF_Pixel s[kStep] = {}, d[kStep];
        int32_t w[kStep] = {};
        std::memcpy(s, source + x, sizeof(PF_Pixel) * left);
        if (weights) std::memcpy(w, weights + x, sizeof(int32_t) * left);
        WeightedStep(p, s, d, weights ? PairedWeights(Load(w), scaled, factor) : same);
        std::memcpy(destination + x, d, sizeof(PF_Pixel) * left);
    }
}

}  // namespace
}  // namespace orv

ORV_TARGET_END

void orv::OverrideWithSse2(LookupKernels &kernels) { kernels.weighted = Weighted; }

#endif
