// The vector row loops of the lookup pass and of the channel pass, one set per SIMD level. Each
// computes exactly what the plain loops of LookupProcessor and ChannelPass compute; the lookup pass
// here is fused: look-up, selection or blend, and the channel restriction in one walk of the row.
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

// Which pixels of a row the masked kernel adjusts.
enum class RowChosen : int32_t { kEvery, kByMask, kNone };

struct LookupKernels {
    // Destination pixel x = the adjusted source pixel x when chosen (mask byte x non-zero under
    // kByMask), else the source pixel; then the difference when the plan asks for it.
    void (*masked)(const LookupPlan &plan, const PF_Pixel *source, PF_Pixel *destination, RowChosen chosen,
                   const uint8_t *mask, int32_t count);
    // Destination byte = (adjusted x w + source x (256 - w)) >> 8 with w = weights[x], first scaled to
    // (w x k) >> 8 (32-bit product, arithmetic shift) when `scaled`, then held to 0..256 (which is
    // what taking the adjusted pixel whole at 256 and above, the source at 0 and below, amounts to).
    // Null weights: every pixel has the weight `uniform` (not scaled; 0 chooses nothing). Then the
    // difference when the plan asks for it.
    void (*weighted)(const LookupPlan &plan, const PF_Pixel *source, PF_Pixel *destination, const int32_t *weights,
                     int32_t uniform, bool scaled, int32_t k, int32_t count);
    // Destination bytes marked in `keep` come back from the source.
    void (*restore)(const PF_Pixel *source, PF_Pixel *destination, const uint8_t keep[4], int32_t count);
    // Destination red, green, blue become |source - destination|; alpha stays.
    void (*difference)(const PF_Pixel *source, PF_Pixel *destination, int32_t count);
};

// The kernels of a level; null for the scalar level, whose plain loops are the reference.
const LookupKernels *LookupKernelsFor(SimdLevel level);

// Per level (defined in lookup_kernels_<level>.cpp; null where a level is compiled out).
extern const LookupKernels *const kLookupKernelsSse2;
extern const LookupKernels *const kLookupKernelsAvx2;
extern const LookupKernels *const kLookupKernelsAvx512;

}  // namespace orv

#endif
