// Lookup-pass kernels for AVX2: 8 pixels per register. The 256-byte table is sixteen 16-byte pieces;
// each byte is looked up in all sixteen with vpshufb on its low four bits, and a tree of byte blends
// on bits 4, 5, 6 and 7 keeps the right one. A row's last pixels go through the same code in a
// small buffer.
#include "render/lookup_kernels_level.h"

#if ORV_LOOKUP_KERNELS_X86

#include <immintrin.h>

#include <cstring>

ORV_TARGET_BEGIN("avx2")

namespace orv {
namespace {

constexpr int32_t kStep = 8;

struct Table {
    __m256i piece[16];  // entries 16k .. 16k + 15 in both 128-bit lanes
};

void LoadTable(const uint8_t *table, Table &t) {
    for (int k = 0; k < 16; ++k)
        t.piece[k] = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(table + 16 * k)));
}

inline __m256i Lookup(const Table &t, __m256i idx) {
    const __m256i low = _mm256_and_si256(idx, _mm256_set1_epi8(0x0F));
    // vpblendvb reads bit 7 of each byte: shifting 16-bit lanes left moves bit 4, 5, 6 of every byte
    // there without mixing bytes. The tree is walked depth first, so that few values are live at once.
    const __m256i bit4 = _mm256_slli_epi16(idx, 3), bit5 = _mm256_slli_epi16(idx, 2), bit6 = _mm256_slli_epi16(idx, 1);
    auto pair = [&](int k) {
        return _mm256_blendv_epi8(_mm256_shuffle_epi8(t.piece[k], low), _mm256_shuffle_epi8(t.piece[k + 1], low), bit4);
    };
    auto quad = [&](int k) { return _mm256_blendv_epi8(pair(k), pair(k + 2), bit5); };
    auto eight = [&](int k) { return _mm256_blendv_epi8(quad(k), quad(k + 4), bit6); };
    return _mm256_blendv_epi8(eight(0), eight(8), idx);
}

inline __m256i LaneVector(const uint8_t lanes[4]) {
    uint32_t pattern;
    std::memcpy(&pattern, lanes, 4);
    return _mm256_set1_epi32(static_cast<int32_t>(pattern));
}

struct Plan {
    Table table;
    __m256i lanes;
    __m256i colour;
    bool difference;
};

Plan MakePlan(const LookupPlan &plan) {
    Plan p;
    LoadTable(plan.table, p.table);
    p.lanes = LaneVector(plan.lanes);
    const uint8_t colour[4] = {0, 0xFF, 0xFF, 0xFF};
    p.colour = LaneVector(colour);
    p.difference = plan.difference;
    return p;
}

inline __m256i Adjusted(const Plan &p, __m256i source) {
    return _mm256_blendv_epi8(source, Lookup(p.table, source), p.lanes);
}

inline __m256i Finish(const Plan &p, __m256i source, __m256i result) {
    if (!p.difference) return result;
    const __m256i distance = _mm256_or_si256(_mm256_subs_epu8(source, result), _mm256_subs_epu8(result, source));
    return _mm256_blendv_epi8(result, distance, p.colour);
}

inline __m256i Load(const void *p) { return _mm256_loadu_si256(static_cast<const __m256i *>(p)); }
inline void Store(void *p, __m256i v) { _mm256_storeu_si256(static_cast<__m256i *>(p), v); }

// Eight pixels from a full stretch of the row.
template <RowChosen Chosen>
inline void MaskedStep(const Plan &p, const PF_Pixel *source, PF_Pixel *destination, const uint8_t *mask) {
    const __m256i s = Load(source);
    __m256i r = s;
    if (Chosen == RowChosen::kEvery) {
        r = Adjusted(p, s);
    } else if (Chosen == RowChosen::kByMask) {
        const __m128i m = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(mask));
        const __m128i unchosen = _mm_cmpeq_epi8(m, _mm_setzero_si128());
        r = _mm256_blendv_epi8(Adjusted(p, s), s, _mm256_cvtepi8_epi32(unchosen));
    }
    Store(destination, Finish(p, s, r));
}

template <RowChosen Chosen>
void MaskedRow(const Plan &p, const PF_Pixel *source, PF_Pixel *destination, const uint8_t *mask, int32_t count) {
    int32_t x = 0;
    for (; x + kStep <= count; x += kStep)
        MaskedStep<Chosen>(p, source + x, destination + x, Chosen == RowChosen::kByMask ? mask + x : nullptr);
    if (x < count) {
        const int32_t left = count - x;
        PF_Pixel s[kStep] = {}, d[kStep];
        uint8_t m[kStep] = {};
        std::memcpy(s, source + x, sizeof(PF_Pixel) * left);
        if (Chosen == RowChosen::kByMask) std::memcpy(m, mask + x, left);
        MaskedStep<Chosen>(p, s, d, m);
        std::memcpy(destination + x, d, sizeof(PF_Pixel) * left);
    }
}

// Per byte (a w + b (256 - w)) >> 8 = (b 256 + (a - b) w) >> 8 for weights w in 0..256 given in
// both 16-bit halves of each pixel. The true sum lies in 0..65280, so 16-bit wrapping arithmetic
// gives it exactly; even bytes are worked in the low half of each 16-bit lane (the result is the
// sum's high byte, shifted down), odd bytes in the high half (the result is the sum's high byte).
inline __m256i BlendBytes(__m256i a, __m256i b, __m256i w) {
    const __m256i low = _mm256_set1_epi16(0x00FF), high = _mm256_set1_epi16(static_cast<int16_t>(0xFF00));
    const __m256i evenDifference = _mm256_sub_epi16(_mm256_and_si256(a, low), _mm256_and_si256(b, low));
    const __m256i oddDifference = _mm256_sub_epi16(_mm256_srli_epi16(a, 8), _mm256_srli_epi16(b, 8));
    const __m256i even = _mm256_add_epi16(_mm256_slli_epi16(b, 8), _mm256_mullo_epi16(evenDifference, w));
    const __m256i odd = _mm256_add_epi16(_mm256_and_si256(b, high), _mm256_mullo_epi16(oddDifference, w));
    return _mm256_or_si256(_mm256_srli_epi16(even, 8), _mm256_and_si256(odd, high));
}

// Weights to 0..256, in both 16-bit halves of each pixel's 32 bits.
template <bool Scaled>
inline __m256i PairedWeights(__m256i w, __m256i factor) {
    if (Scaled) w = _mm256_srai_epi32(_mm256_mullo_epi32(w, factor), 8);
    w = _mm256_min_epi32(_mm256_max_epi32(w, _mm256_setzero_si256()), _mm256_set1_epi32(256));
    return _mm256_or_si256(w, _mm256_slli_epi32(w, 16));
}

template <bool Scaled>
inline void WeightedStep(const Plan &p, const PF_Pixel *source, PF_Pixel *destination, const int32_t *weights,
                         __m256i factor) {
    const __m256i s = Load(source);
    Store(destination, Finish(p, s, BlendBytes(Adjusted(p, s), s, PairedWeights<Scaled>(Load(weights), factor))));
}

template <bool Scaled>
void WeightedRow(const Plan &p, const PF_Pixel *source, PF_Pixel *destination, const int32_t *weights, int32_t k,
                 int32_t count) {
    const __m256i factor = _mm256_set1_epi32(k);
    int32_t x = 0;
    for (; x + kStep <= count; x += kStep) WeightedStep<Scaled>(p, source + x, destination + x, weights + x, factor);
    if (x < count) {
        const int32_t left = count - x;
        PF_Pixel s[kStep] = {}, d[kStep];
        int32_t w[kStep] = {};
        std::memcpy(s, source + x, sizeof(PF_Pixel) * left);
        std::memcpy(w, weights + x, sizeof(int32_t) * left);
        WeightedStep<Scaled>(p, s, d, w, factor);
        std::memcpy(destination + x, d, sizeof(PF_Pixel) * left);
    }
}

inline void UniformStep(const Plan &p, const PF_Pixel *source, PF_Pixel *destination, __m256i w) {
    const __m256i s = Load(source);
    Store(destination, Finish(p, s, BlendBytes(Adjusted(p, s), s, w)));
}

void UniformRow(const Plan &p, const PF_Pixel *source, PF_Pixel *destination, int32_t weight, int32_t count) {
    const __m256i w = _mm256_set1_epi32(weight | weight << 16);
    int32_t x = 0;
    for (; x + kStep <= count; x += kStep) UniformStep(p, source + x, destination + x, w);
    if (x < count) {
        const int32_t left = count - x;
        PF_Pixel s[kStep] = {}, d[kStep];
        std::memcpy(s, source + x, sizeof(PF_Pixel) * left);
        UniformStep(p, s, d, w);
        std::memcpy(destination + x, d, sizeof(PF_Pixel) * left);
    }
}

ORV_LOOKUP_ENTRIES

}  // namespace
}  // namespace orv

ORV_TARGET_END

void orv::OverrideWithAvx2(LookupKernels &kernels) { SetEntries(kernels); }

#endif
