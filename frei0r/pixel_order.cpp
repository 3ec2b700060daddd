#include "pixel_order.h"

#include "support/simd_level.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ORV_FREI0R_AVX2 1
#else
#define ORV_FREI0R_AVX2 0
#endif

namespace orvfrei0r {
namespace {

// dst[i] = src[i] rotated left by `bits`.
template <int bits>
void RotateWords(const uint32_t *src, uint32_t *dst, size_t count) {
    for (size_t i = 0; i < count; ++i) dst[i] = (src[i] << bits) | (src[i] >> (32 - bits));
}

#if ORV_FREI0R_AVX2
// The same by vpshufb: byte k of a word takes its byte (k - bits / 8) mod 4.
template <int bits>
__attribute__((target("avx2"))) void RotateWordsAvx2(const uint32_t *src, uint32_t *dst, size_t count) {
    static_assert(bits == 8 || bits == 24, "whole bytes");
    constexpr int32_t w = bits == 8 ? 0x02010003 : 0x00030201, step = 0x04040404;  // the first word's bytes
    const __m256i order = _mm256_setr_epi32(w, w + step, w + 2 * step, w + 3 * step, w, w + step, w + 2 * step,
                                            w + 3 * step);
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + i), _mm256_shuffle_epi8(words, order));
    }
    RotateWords<bits>(src + i, dst + i, count - i);
}
#endif

template <int bits>
void Rotate(const uint32_t *src, uint32_t *dst, size_t count) {
#if ORV_FREI0R_AVX2
    if (orv::ActiveSimdLevel() >= orv::SimdLevel::kAvx2) return RotateWordsAvx2<bits>(src, dst, count);
#endif
    RotateWords<bits>(src, dst, count);
}

}  // namespace

void RgbaToArgb(const uint32_t *src, uint32_t *dst, size_t count) { Rotate<8>(src, dst, count); }
void ArgbToRgba(const uint32_t *src, uint32_t *dst, size_t count) { Rotate<24>(src, dst, count); }

}  // namespace orvfrei0r
