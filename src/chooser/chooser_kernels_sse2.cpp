// The chooser's row loops for SSE2: 4 pixels or columns per register. SSE2 lacks 32-bit minimum,
// maximum, absolute value, multiply, blend and gather; they are made from compares and masks.
#include "chooser/chooser_kernels.h"

#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

#include <cstring>

#define ORV_CHOOSER_TARGET "sse2"
#include "chooser/chooser_simd.h"

ORV_TARGET_BEGIN(ORV_CHOOSER_TARGET)

namespace orv {
namespace {

struct Sse2Lane {
    using I = __m128i;
    using F = __m128;
    using M = __m128i;  // all ones in a chosen lane
    static constexpr int32_t kLanes = 4;
    static I Load(const void *p) { return _mm_loadu_si128(static_cast<const __m128i *>(p)); }
    static void StoreInts(int32_t *p, I v) { _mm_storeu_si128(reinterpret_cast<__m128i *>(p), v); }
    static void StoreMask(uint8_t *p, M m) {
        const I ones = _mm_and_si128(m, _mm_set1_epi32(1));
        const I words = _mm_packs_epi32(ones, ones);
        const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
        std::memcpy(p, &bytes, 4);
    }
    static I Splat(int32_t v) { return _mm_set1_epi32(v); }
    static F SplatF(float v) { return _mm_set1_ps(v); }
    static I Iota() { return _mm_setr_epi32(0, 1, 2, 3); }

    static I Add(I a, I b) { return _mm_add_epi32(a, b); }
    static I Sub(I a, I b) { return _mm_sub_epi32(a, b); }
    static I And(I a, I b) { return _mm_and_si128(a, b); }
    // The low 32 bits of each product (SSE2 multiplies the even lanes only).
    static I MulLo(I a, I b) {
        const I even = _mm_mul_epu32(a, b);
        const I odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
        return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                                  _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
    }
    static I Madd(I a, I b) { return _mm_madd_epi16(a, b); }
    template <int n>
    static I Srl(I a) { return _mm_srli_epi32(a, n); }
    template <int n>
    static I Sra(I a) { return _mm_srai_epi32(a, n); }
    template <int n>
    static I Shl(I a) { return _mm_slli_epi32(a, n); }
    static I Select(M m, I a, I b) { return _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b)); }
    static I Min(I a, I b) { return Select(_mm_cmpgt_epi32(a, b), b, a); }
    static I Max(I a, I b) { return Select(_mm_cmpgt_epi32(a, b), a, b); }
    static I Abs(I a) {
        const I sign = _mm_srai_epi32(a, 31);
        return _mm_sub_epi32(_mm_xor_si128(a, sign), sign);
    }

    static M Gt(I a, I b) { return _mm_cmpgt_epi32(a, b); }
    static M Eq(I a, I b) { return _mm_cmpeq_epi32(a, b); }
    static M GtF(F a, F b) { return _mm_castps_si128(_mm_cmpgt_ps(a, b)); }
    static M GeF(F a, F b) { return _mm_castps_si128(_mm_cmpge_ps(a, b)); }
    static M MAnd(M a, M b) { return _mm_and_si128(a, b); }
    static M MOr(M a, M b) { return _mm_or_si128(a, b); }
    static M MNot(M a) { return _mm_xor_si128(a, _mm_set1_epi32(-1)); }
    static F SelectF(M m, F a, F b) { return _mm_castsi128_ps(Select(m, _mm_castps_si128(a), _mm_castps_si128(b))); }

    static F ToFloat(I a) { return _mm_cvtepi32_ps(a); }
    static I Trunc(F a) { return _mm_cvttps_epi32(a); }
    static F AddF(F a, F b) { return _mm_add_ps(a, b); }
    static F SubF(F a, F b) { return _mm_sub_ps(a, b); }
    static F MulF(F a, F b) { return _mm_mul_ps(a, b); }
    static F DivF(F a, F b) { return _mm_div_ps(a, b); }
    static F SqrtF(F a) { return _mm_sqrt_ps(a); }
    static F AbsF(F a) { return _mm_castsi128_ps(_mm_and_si128(_mm_castps_si128(a), Splat(0x7FFFFFFF))); }
    static F MinF(F a, F b) { return _mm_min_ps(a, b); }  // b when a >= b, as FMin
    static F MaxF(F a, F b) { return _mm_max_ps(a, b); }  // b when a <= b, as FMax

    // trunc(v x c) with the product exact in double.
    static I TruncTimes(F v, float c) {
        const __m128d factor = _mm_set1_pd(c);
        const I low = _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtps_pd(v), factor));
        const I high = _mm_cvttpd_epi32(_mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(v, v)), factor));
        return _mm_unpacklo_epi64(low, high);
    }
    // dx^2 + dy^2 summed in double (dx^2 exact there), rounded to float.
    static F SquaredSum(F dx, double dySquared) {
        const __m128d dy2 = _mm_set1_pd(dySquared);
        const __m128d low = _mm_cvtps_pd(dx), high = _mm_cvtps_pd(_mm_movehl_ps(dx, dx));
        return _mm_movelh_ps(_mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(low, low), dy2)),
                             _mm_cvtpd_ps(_mm_add_pd(_mm_mul_pd(high, high), dy2)));
    }

    // 16-bit entries, read by index.
    template <int32_t Entries>
    struct Table {
        const uint16_t *values;
        explicit Table(const uint16_t *values_) : values(values_) {}
        I Lookup(I index) const {
            int32_t at[4];
            std::memcpy(at, &index, sizeof at);
            return _mm_setr_epi32(values[at[0]], values[at[1]], values[at[2]], values[at[3]]);
        }
    };
};

}  // namespace

void OverrideWithSse2(ChooserKernels &k) { SimdChooser<Sse2Lane>::Override(k); }

}  // namespace orv

ORV_TARGET_END()

#endif
