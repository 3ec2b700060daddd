#include "render/lookup_kernels.h"

#include "render/lookup_kernels_level.h"
#include "render/pixel_blend.h"

namespace orv {

namespace {

// The plan as one table per byte of a pixel: the lookup table where the plan marks the byte, the
// identity elsewhere, so that every byte takes one read and no test.
constexpr struct Identity {
    uint8_t entry[256];
    constexpr Identity() : entry() {
        for (int i = 0; i < 256; ++i) entry[i] = static_cast<uint8_t>(i);
    }
} kIdentity;

struct ByteTables {
    const uint8_t *byte[4];
    bool difference;
    explicit ByteTables(const LookupPlan &plan) : byte(), difference(plan.difference) {
        for (int i = 0; i < 4; ++i) byte[i] = plan.lanes[i] ? plan.table : kIdentity.entry;
    }
    PF_Pixel Adjusted(const PF_Pixel &s) const {
        return PF_Pixel{byte[0][s.alpha], byte[1][s.red], byte[2][s.green], byte[3][s.blue]};
    }
    PF_Pixel Finished(const PF_Pixel &s, PF_Pixel result) const {
        if (difference) DifferencePixel(s, result);
        return result;
    }
};

void Masked(const LookupPlan &plan, const PF_Pixel *source, PF_Pixel *destination, RowChosen chosen,
            const uint8_t *mask, int32_t count) {
    const ByteTables t(plan);
    for (int32_t x = 0; x < count; ++x) {
        const bool pick = chosen == RowChosen::kEvery || (chosen == RowChosen::kByMask && mask[x] != 0);
        destination[x] = t.Finished(source[x], pick ? t.Adjusted(source[x]) : source[x]);
    }
}

void Weighted(const LookupPlan &plan, const PF_Pixel *source, PF_Pixel *destination, const int32_t *weights,
              int32_t uniform, bool scaled, int32_t k, int32_t count) {
    const ByteTables t(plan);
    for (int32_t x = 0; x < count; ++x) {
        int32_t w = weights ? weights[x] : uniform;
        // The product wraps at 32 bits as the vector multiplies do (weights and k are 0..256: it never does).
        if (weights && scaled) w = static_cast<int32_t>(static_cast<uint32_t>(w) * static_cast<uint32_t>(k)) >> 8;
        destination[x] = t.Finished(source[x], WeighPixel(t.Adjusted(source[x]), source[x], w));
    }
}

}  // namespace

LookupKernels PlainLookupKernels() { return LookupKernels{Masked, Weighted}; }

LookupKernels LookupKernelsFor(SimdLevel level) {
    LookupKernels kernels = PlainLookupKernels();
#if ORV_LOOKUP_KERNELS_X86
    if (level >= SimdLevel::kSse2) OverrideWithSse2(kernels);
    if (level >= SimdLevel::kAvx2) OverrideWithAvx2(kernels);
    if (level >= SimdLevel::kAvx512) OverrideWithAvx512(kernels);
#else
    (void)level;
#endif
    return kernels;
}

}  // namespace orv
