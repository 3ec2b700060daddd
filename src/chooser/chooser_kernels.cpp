#include "chooser/chooser_kernels.h"

namespace orv {

namespace {

bool Below(int32_t v, int32_t limit) { return v > -limit && v < limit; }

bool FiniteBelow(float v, float limit) { return v > -limit && v < limit; }  // false for NaN

}  // namespace

bool ChooserKernelsApply(const ChooserState &c) {
    constexpr int32_t kFieldLimit = 1 << 24;
    constexpr int32_t kBlendLimit = 1 << 14;
    return c.blend >= 0 && c.blend < kBlendLimit && Below(c.start, kFieldLimit) && Below(c.end, kFieldLimit) &&
           FiniteBelow(c.settings.centerX, 16777216.0f) && FiniteBelow(c.settings.centerY, 16777216.0f) &&
           FiniteBelow(c.stretchFactor, 2.0f);
}

ChooserKernels ChooserKernelsFor(SimdLevel level) {
    ChooserKernels k = PlainChooserKernels();
    switch (level) {
        case SimdLevel::kScalar: break;
        case SimdLevel::kSse2: OverrideWithSse2(k); break;
        case SimdLevel::kAvx2: OverrideWithAvx2(k); break;
        case SimdLevel::kAvx512: OverrideWithAvx512(k); break;
    }
    return k;
}

// Where no vector level is compiled, none replaces an entry.
#if !defined(__x86_64__) && !defined(__i386__)
void OverrideWithSse2(ChooserKernels &) {}
void OverrideWithAvx2(ChooserKernels &) {}
void OverrideWithAvx512(ChooserKernels &) {}
#endif

}  // namespace orv
