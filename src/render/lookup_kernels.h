// The row loops of the lookup pass, as a table: the plain C++ loops fill every entry, and each SIMD
// level replaces the entries it runs faster with loops that compute exactly the same bytes. The pass
// is fused: look-up, selection or blend, and the "Channels" restriction in one walk of the row.
#ifndef ORV_RENDER_LOOKUP_KERNELS_H
#define ORV_RENDER_LOOKUP_KERNELS_H

#include <cstdint>

#include "host/ae_interface.h"
#include "support/simd_level.h"

namespace orv {

// How one row's pixels are adjusted: the bytes marked in `lanes` (memory order alpha, red, green,
// blue; 0xFF = marked) go through the table, the others keep the source byte. With `difference`,
// the colour bytes of the result then become |source - result| (alpha is kept).
//   "RGB": lanes red, green, blue. "Alpha": lane alpha. "Red" .. "Green and Blue": the named colour
//   lanes, which equals the lookup of all three followed by putting the others back from the source
//   (a blend of a byte with itself returns the byte). "Difference": red, green, blue + difference.
struct LookupPlan {
    const uint8_t *table;  // 256 entries
    uint8_t lanes[4];
    bool difference;
};

// What the pixel chooser says about one row: every pixel, the pixels its mask marks, or none (a mode
// that belongs to no class of the chooser selects nothing rather than reading an unwritten buffer).
enum class RowChosen : int32_t { kEvery, kByMask, kNone };

struct LookupKernels {
    // Destination pixel x = the adjusted source pixel x when chosen (mask byte x non-zero under
    // kByMask), else the source pixel; then the difference when the plan asks for it.
    void (*masked)(const LookupPlan &plan, const PF_Pixel *source, PF_Pixel *destination, RowChosen chosen,
                   const uint8_t *mask, int32_t count);
    // Destination byte = (adjusted x w + source x (256 - w)) >> 8 with w = weights[x], first scaled to
    // (w x k) >> 8 (32-bit product, arithmetic shift) when `scaled`, then held to 0..256 (which is
    // what taking the adjusted pixel whole at 256 and above, the source at 0 and below, amounts to).
    // Null weights: every pixel has the weight `uniform`, 0..256 (not scaled; 0 chooses nothing). Then the
    // difference when the plan asks for it.
    void (*weighted)(const LookupPlan &plan, const PF_Pixel *source, PF_Pixel *destination, const int32_t *weights,
                     int32_t uniform, bool scaled, int32_t k, int32_t count);
};

// The plain loops: a complete table, and the reference every level is held to.
LookupKernels PlainLookupKernels();

// The plain table with the entries of `level` and of the levels below it replaced; always complete.
LookupKernels LookupKernelsFor(SimdLevel level);

// Per level (lookup_kernels_<level>.cpp, x86 only): replace the entries the level accelerates.
void OverrideWithSse2(LookupKernels &kernels);
void OverrideWithAvx2(LookupKernels &kernels);
void OverrideWithAvx512(LookupKernels &kernels);

}  // namespace orv

#endif
