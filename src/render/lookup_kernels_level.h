// What every lookup_kernels_<level>.cpp shares: the x86 guard and the region compiled for the
// level's instructions. Such a file includes its intrinsics headers, opens the region, defines its
// inner loops as file-local functions, closes the region, and then defines OverrideWith<Level> in
// plain code; so nothing shared with other files (no inline function of a header, no exported
// function) is ever compiled with those instructions.
#ifndef ORV_RENDER_LOOKUP_KERNELS_LEVEL_H
#define ORV_RENDER_LOOKUP_KERNELS_LEVEL_H

#include "render/lookup_kernels.h"

#if defined(__x86_64__) || defined(__i386__)
#define ORV_LOOKUP_KERNELS_X86 1
#else
#define ORV_LOOKUP_KERNELS_X86 0
#endif

#define ORV_PRAGMA(text) _Pragma(#text)
// clang takes the target as a function attribute over the same region.
#if defined(__clang__)
#define ORV_TARGET_BEGIN(isa) ORV_PRAGMA(clang attribute push(__attribute__((target(isa))), apply_to = function))
#define ORV_TARGET_END ORV_PRAGMA(clang attribute pop)
#else
#define ORV_TARGET_BEGIN(isa) ORV_PRAGMA(GCC push_options) ORV_PRAGMA(GCC target(isa))
#define ORV_TARGET_END ORV_PRAGMA(GCC pop_options)
#endif

// The two entries of a level whose row loops are MaskedRow<RowChosen>, WeightedRow<bool Scaled> and
// UniformRow over the Plan that MakePlan builds from a LookupPlan: each entry chooses its loop once
// per row. Expanded inside the level's target region and anonymous namespace, with SetEntries, which
// puts both into a table. (A row of uniform weight 0 or 256 is a masked row: nothing blends.)
#define ORV_LOOKUP_ENTRIES                                                                                    \
    void Masked(const LookupPlan &plan, const PF_Pixel *source, PF_Pixel *destination, RowChosen chosen,    \
                const uint8_t *mask, int32_t count) {                                                        \
        const Plan p = MakePlan(plan);                                                                       \
        if (chosen == RowChosen::kEvery)                                                                     \
            MaskedRow<RowChosen::kEvery>(p, source, destination, mask, count);                               \
        else if (chosen == RowChosen::kByMask)                                                               \
            MaskedRow<RowChosen::kByMask>(p, source, destination, mask, count);                              \
        else                                                                                                 \
            MaskedRow<RowChosen::kNone>(p, source, destination, mask, count);                                \
    }                                                                                                        \
    void Weighted(const LookupPlan &plan, const PF_Pixel *source, PF_Pixel *destination, const int32_t *weights, \
                  int32_t uniform, bool scaled, int32_t k, int32_t count) {                                  \
        const Plan p = MakePlan(plan);                                                                       \
        if (weights && scaled)                                                                               \
            WeightedRow<true>(p, source, destination, weights, k, count);                                    \
        else if (weights)                                                                                    \
            WeightedRow<false>(p, source, destination, weights, k, count);                                   \
        else if (uniform <= 0)                                                                               \
            MaskedRow<RowChosen::kNone>(p, source, destination, nullptr, count);                             \
        else if (uniform >= 256)                                                                             \
            MaskedRow<RowChosen::kEvery>(p, source, destination, nullptr, count);                            \
        else                                                                                                 \
            UniformRow(p, source, destination, uniform, count);                                              \
    }                                                                                                        \
    void SetEntries(LookupKernels &kernels) {                                                                \
        kernels.masked = Masked;                                                                             \
        kernels.weighted = Weighted;                                                                         \
    }

#endif
