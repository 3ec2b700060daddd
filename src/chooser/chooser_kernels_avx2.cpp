// The chooser's row loops for AVX2: 8 pixels or columns per register.
#include "chooser/chooser_kernels.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define ORV_CHOOSER_TARGET "avx2"
#include "chooser/chooser_simd.h"

ORV_TARGET_BEGIN(ORV_CHOOSER_TARGET)

namespace orv {
namespace {

struct Avx2Lane {
    using I = __m256i;
    using F = __m256;
    using M = __m256i;  // all ones in a chosen lane
    static constexpr int32_t kLanes = 8;
    static I Load(const void *p) { return _mm256_loadu_si256(static_cast<const __m256i *>(p)); }
    static void StoreInts(int32_t *p, I v) { _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), v); }
    static void StoreMask(uint8_t *p, M m) {
        const I ones = _mm256_and_si256(m, _mm256_set1_epi32(1));
        const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(ones), _mm256_extracti128_si256(ones, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(p), _mm_packus_epi16(words, words));
    }
    static I Splat(int32_t v) { return _mm256_set1_epi32(v); }
    static F SplatF(float v) { return _mm256_set1_ps(v); }
    static I Iota() { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }

    static I Add(I a, I b) { return _mm256_add_epi32(a, b); }
    static I Sub(I a, I b) { return _mm256_sub_epi32(a, b); }
    static I And(I a, I b) { return _mm256_and_si256(a, b); }
    static I MulLo(I a, I b) { return _mm256_mullo_epi32(a, b); }
    static I Madd(I a, I b) { return _mm256_madd_epi16(a, b); }
    template <int n>
    static I Srl(I a) { return _mm256_srli_epi32(a, n); }
    template <int n>
    static I Sra(I a) { return _mm256_srai_epi32(a, n); }
    template <int n>
    static I Shl(I a) { return _mm256_slli_epi32(a, n); }
    static I Min(I a, I b) { return _mm256_min_epi32(a, b); }
    static I Max(I a, I b) { return _mm256_max_epi32(a, b); }
    static I Abs(I a) { return _mm256_abs_epi32(a); }

    static M Gt(I a, I b) { return _mm256_cmpgt_epi32(a, b); }
    static M Eq(I a, I b) { return _mm256_cmpeq_epi32(a, b); }
    static M GtF(F a, F b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_GT_OQ)); }
    static M GeF(F a, F b) { return _mm256_castps_si256(_mm256_cmp_ps(a, b, _CMP_GE_OQ)); }
    static M MAnd(M a, M b) { return _mm256_and_si256(a, b); }
    static M MOr(M a, M b) { return _mm256_or_si256(a, b); }
    static M MNot(M a) { return _mm256_xor_si256(a, _mm256_set1_epi32(-1)); }
    static I Select(M m, I a, I b) { return _mm256_blendv_epi8(b, a, m); }
    static F SelectF(M m, F a, F b) { return _mm256_blendv_ps(b, a, _mm256_castsi256_ps(m)); }

    static F ToFloat(I a) { return _mm256_cvtepi32_ps(a); }
    static I Trunc(F a) { return _mm256_cvttps_epi32(a); }
    static F AddF(F a, F b) { return _mm256_add_ps(a, b); }
    static F SubF(F a, F b) { return _mm256_sub_ps(a, b); }
    static F MulF(F a, F b) { return _mm256_mul_ps(a, b); }
    static F DivF(F a, F b) { return _mm256_div_ps(a, b); }
    static F SqrtF(F a) { return _mm256_sqrt_ps(a); }
    static F AbsF(F a) { return _mm256_castsi256_ps(_mm256_and_si256(_mm256_castps_si256(a), Splat(0x7FFFFFFF))); }
    static F MinF(F a, F b) { return _mm256_min_ps(a, b); }  // b when a >= b, as FMin
    static F MaxF(F a, F b) { return _mm256_max_ps(a, b); }  // b when a <= b, as FMax

    // trunc(v x c) with the product exact in double.
    static I TruncTimes(F v, float c) {
        const __m256d factor = _mm256_set1_pd(c);
        const __m128i low = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(v)), factor));
        const __m128i high = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(v, 1)), factor));
        return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
    }
    // dx^2 + dy^2 summed in double (dx^2 exact there), rounded to float.
    static F SquaredSum(F dx, double dySquared) {
        const __m256d dy2 = _mm256_set1_pd(dySquared);
        const __m256d low = _mm256_cvtps_pd(_mm256_castps256_ps128(dx));
        const __m256d high = _mm256_cvtps_pd(_mm256_extractf128_ps(dx, 1));
        const __m128 lowSum = _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(low, low), dy2));
        const __m128 highSum = _mm256_cvtpd_ps(_mm256_add_pd(_mm256_mul_pd(high, high), dy2));
        return _mm256_insertf128_ps(_mm256_castps128_ps256(lowSum), highSum, 1);
    }

    // 16-bit entries read as 32-bit words at twice the index (the table has two entries of padding),
    // the upper half cleared.
    template <int32_t Entries>
    struct Table {
        const uint16_t *values;
        explicit Table(const uint16_t *values_) : values(values_) {}
        I Lookup(I index) const {
            const I words = _mm256_i32gather_epi32(reinterpret_cast<const int *>(values), index, 2);
            return _mm256_and_si256(words, _mm256_set1_epi32(0xFFFF));
        }
    };
};

}  // namespace

void OverrideWithAvx2(ChooserKernels &k) { SimdChooser<Avx2Lane>::Override(k); }

}  // namespace orv

ORV_TARGET_END()

#endif
