// The chooser's row loops for AVX-512 (F, BW, VL): 16 pixels or columns per register.
#include "chooser/chooser_kernels.h"

#if defined(__x86_64__) || defined(__i386__)

// gcc 12's AVX-512 intrinsics start some results from a deliberately undefined register, which its
// own -Wuninitialized and -Wmaybe-uninitialized then report inside the header.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#define ORV_CHOOSER_TARGET "avx512f,avx512bw,avx512vl,avx512vbmi"
#include "chooser/chooser_simd.h"

ORV_TARGET_BEGIN(ORV_CHOOSER_TARGET)

namespace orv {
namespace {

struct Avx512Lane {
    using I = __m512i;
    using F = __m512;
    using M = __mmask16;
    static constexpr int32_t kLanes = 16;
    static I Load(const void *p) { return _mm512_loadu_si512(p); }
    static void StoreInts(int32_t *p, I v) { _mm512_storeu_si512(p, v); }
    static void StoreMask(uint8_t *p, M m) {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p), _mm_maskz_mov_epi8(m, _mm_set1_epi8(1)));
    }
    static I Splat(int32_t v) { return _mm512_set1_epi32(v); }
    static F SplatF(float v) { return _mm512_set1_ps(v); }
    static I Iota() { return _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15); }

    static I Add(I a, I b) { return _mm512_add_epi32(a, b); }
    static I Sub(I a, I b) { return _mm512_sub_epi32(a, b); }
    static I And(I a, I b) { return _mm512_and_si512(a, b); }
    static I MulLo(I a, I b) { return _mm512_mullo_epi32(a, b); }
    static I Madd(I a, I b) { return _mm512_madd_epi16(a, b); }
    template <int n>
    static I Srl(I a) { return _mm512_srli_epi32(a, n); }
    template <int n>
    static I Sra(I a) { return _mm512_srai_epi32(a, n); }
    template <int n>
    static I Shl(I a) { return _mm512_slli_epi32(a, n); }
    static I Min(I a, I b) { return _mm512_min_epi32(a, b); }
    static I Max(I a, I b) { return _mm512_max_epi32(a, b); }
    static I Abs(I a) { return _mm512_abs_epi32(a); }

    static M Gt(I a, I b) { return _mm512_cmpgt_epi32_mask(a, b); }
    static M Eq(I a, I b) { return _mm512_cmpeq_epi32_mask(a, b); }
    static M GtF(F a, F b) { return _mm512_cmp_ps_mask(a, b, _CMP_GT_OQ); }
    static M GeF(F a, F b) { return _mm512_cmp_ps_mask(a, b, _CMP_GE_OQ); }
    static M MAnd(M a, M b) { return static_cast<M>(a & b); }
    static M MOr(M a, M b) { return static_cast<M>(a | b); }
    static M MNot(M a) { return static_cast<M>(~a); }
    static I Select(M m, I a, I b) { return _mm512_mask_blend_epi32(m, b, a); }
    static F SelectF(M m, F a, F b) { return _mm512_mask_blend_ps(m, b, a); }

    static F ToFloat(I a) { return _mm512_cvtepi32_ps(a); }
    static I Trunc(F a) { return _mm512_cvttps_epi32(a); }
    static F AddF(F a, F b) { return _mm512_add_ps(a, b); }
    static F SubF(F a, F b) { return _mm512_sub_ps(a, b); }
    static F MulF(F a, F b) { return _mm512_mul_ps(a, b); }
    static F DivF(F a, F b) { return _mm512_div_ps(a, b); }
    static F SqrtF(F a) { return _mm512_sqrt_ps(a); }
    static F AbsF(F a) { return _mm512_castsi512_ps(_mm512_and_si512(_mm512_castps_si512(a), Splat(0x7FFFFFFF))); }
    static F MinF(F a, F b) { return _mm512_min_ps(a, b); }  // b when a >= b, as FMin
    static F MaxF(F a, F b) { return _mm512_max_ps(a, b); }  // b when a <= b, as FMax

    // trunc(v x c) with the product exact in double.
    static I TruncTimes(F v, float c) {
        const __m512d factor = _mm512_set1_pd(c);
        const __m512d low = _mm512_mul_pd(_mm512_cvtps_pd(_mm512_castps512_ps256(v)), factor);
        const __m256 upper = _mm256_castsi256_ps(_mm512_extracti64x4_epi64(_mm512_castps_si512(v), 1));
        const __m512d high = _mm512_mul_pd(_mm512_cvtps_pd(upper), factor);
        return _mm512_inserti64x4(_mm512_castsi256_si512(_mm512_cvttpd_epi32(low)), _mm512_cvttpd_epi32(high), 1);
    }
    // dx^2 + dy^2 summed in double (dx^2 exact there), rounded to float.
    static F SquaredSum(F dx, double dySquared) {
        const __m512d dy2 = _mm512_set1_pd(dySquared);
        const __m512d low = _mm512_cvtps_pd(_mm512_castps512_ps256(dx));
        const __m256 upper = _mm256_castsi256_ps(_mm512_extracti64x4_epi64(_mm512_castps_si512(dx), 1));
        const __m512d high = _mm512_cvtps_pd(upper);
        const __m256 lowSum = _mm512_cvtpd_ps(_mm512_add_pd(_mm512_mul_pd(low, low), dy2));
        const __m256 highSum = _mm512_cvtpd_ps(_mm512_add_pd(_mm512_mul_pd(high, high), dy2));
        return _mm512_castsi512_ps(_mm512_inserti64x4(_mm512_castsi256_si512(_mm256_castps_si256(lowSum)),
                                                      _mm256_castps_si256(highSum), 1));
    }

    // 16-bit entries, 64 to a register pair, looked up with vpermi2w on the low six bits of each
    // index and a tree of blends on the higher ones.
    template <int32_t Entries>
    struct Table {
        static constexpr int32_t kPairs = Entries / 64;
        __m512i words[2 * kPairs];
        explicit Table(const uint16_t *values) {
            for (int32_t k = 0; k < 2 * kPairs; ++k) words[k] = _mm512_loadu_si512(values + 32 * k);
        }
        // Each 32-bit lane holds an index below Entries; its high 16 bits (zero) read entry 0 and
        // are cleared at the end.
        I Lookup(I index) const {
            __m512i level[kPairs];
            for (int32_t p = 0; p < kPairs; ++p)
                level[p] = _mm512_permutex2var_epi16(words[2 * p], index, words[2 * p + 1]);
            for (int32_t bit = 64, n = kPairs; n > 1; bit *= 2, n /= 2) {
                const __mmask32 upper = _mm512_test_epi16_mask(index, _mm512_set1_epi16(static_cast<int16_t>(bit)));
                for (int32_t p = 0; p < n / 2; ++p)
                    level[p] = _mm512_mask_blend_epi16(upper, level[2 * p], level[2 * p + 1]);
            }
            return _mm512_and_si512(level[0], Splat(0xFFFF));
        }
    };
};

}  // namespace

void OverrideWithAvx512(ChooserKernels &k) { SimdChooser<Avx512Lane>::Override(k); }

}  // namespace orv

ORV_TARGET_END()

#endif
