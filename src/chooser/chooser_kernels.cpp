#include "chooser/chooser_kernels.h"

namespace orv {

namespace {

bool Below(int32_t v, int32_t limit) { return v > -limit && v < limit; }

bool FiniteBelow(float v, float limit) { return v > -limit && v < limit; }  // false for NaN

}  // namespace

bool ChooserKernelsApply(const ChooserRow &row) {
    constexpr int32_t kFieldLimit = 1 << 24;
    constexpr int32_t kBlendLimit = 1 << 14;
    return row.blend >= 0 && row.blend < kBlendLimit && Below(row.start, kFieldLimit) && Below(row.end, kFieldLimit) &&
           FiniteBelow(row.centerX, 16777216.0f) && FiniteBelow(row.centerY, 16777216.0f) &&
           FiniteBelow(row.stretchFactor, 2.0f);
}

const ChooserKernels *ChooserKernelsFor(SimdLevel level) {
    switch (level) {
        case SimdLevel::kScalar: return nullptr;
        case SimdLevel::kSse2: return kChooserKernelsSse2;
        case SimdLevel::kAvx2: return kChooserKernelsAvx2;
        case SimdLevel::kAvx512: return kChooserKernelsAvx512;
    }
    return nullptr;
}

}  // namespace orv
