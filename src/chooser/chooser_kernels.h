// The pixel chooser's state and its row loops, as one table per SIMD level. The plain loops
// (chooser_loops.cpp) are every table's first entries; a vector level replaces the entries it runs
// faster, with the same results bit for bit. A vector entry whose arithmetic would not be exact for
// a chooser (see ChooserKernelsApply) runs the plain entry itself, so callers never branch.
#ifndef ORV_CHOOSER_CHOOSER_KERNELS_H
#define ORV_CHOOSER_CHOOSER_KERNELS_H

#include <cstdint>

#include "chooser/chooser_settings.h"
#include "host/ae_interface.h"
#include "support/simd_level.h"

namespace orv {

// Tables the vector loops form from a chooser's settings alone, on first use, and keep in the
// chooser for its later rows: the rule's output for every value 0..511 (masks as 0/1, weights),
// each with its runs of equal outputs numbered, and the arctangent samples. 16-bit entries, two of
// padding at the end.
struct ChooserTables {
    static constexpr int32_t kEntries = 512;
    enum : uint8_t { kMasks = 1, kWeights = 2, kSamples = 4 };
    uint16_t masks[kEntries + 2], maskRuns[kEntries + 2];
    uint16_t weights[kEntries + 2], weightRuns[kEntries + 2];
    uint16_t samples[kEntries + 2];
    uint8_t have;  // which of the above are formed
};

// A chooser: the settings it was given and what it derives from them once (PixelChooser's
// constructor). The range fields are 32-bit integers that wrap as registers do.
struct ChooserState {
    ChooserSettings settings;
    int32_t kind;  // RangeKind
    int32_t start, end, mid, startPlus, startMinus, endPlus, endMinus;  // mid = (start + end) / 2, +- blend
    int32_t start256, end256, startSq, endSq;                           // hard Luma and hard Point bounds
    int32_t blend, span, midOffset, endPlusOffset, endMinusOffset;      // offsets from start, for angles
    float stretchFactor;                                                // 1 / (1 + 0.033 |stretch|)
    bool doubleY, squeezeX, squeezeY;  // the chooser option doubles vertical distances
    int32_t width, height;
    mutable ChooserTables tables;  // a cache of the vector loops, not part of the settings
};

// True when the vector loops compute exactly what the plain ones do for this chooser: the range
// and blend are small enough that no 32-bit value wraps and each ramp's quotient can be formed in
// single precision (0 <= blend < 2^14, |start|, |end| < 2^24), and the centre is finite and within
// 2^24 pixels. Every setting the parameters allow qualifies.
bool ChooserKernelsApply(const ChooserState &c);

struct ChooserKernels {
    // As PixelChooser::MaskPixels, WeightPixels, MaskRow, WeightRow, for `count` entries.
    void (*maskPixels)(const ChooserState &c, const PF_Pixel *row, uint8_t *mask, int32_t count);
    void (*weightPixels)(const ChooserState &c, const PF_Pixel *row, int32_t *weights, int32_t count);
    void (*maskRow)(const ChooserState &c, int32_t y, uint8_t *mask, int32_t count);
    void (*weightRow)(const ChooserState &c, int32_t y, int32_t *weights, int32_t count);
    // The value a measured mode's hard test compares, per pixel (Luma256 for Luma; the colour
    // distance from `color` for RGB Diff): for tests over every colour.
    void (*measure)(int32_t mode, PF_Pixel color, const PF_Pixel *row, int32_t *values, int32_t count);
};

// The plain loops: a complete table.
ChooserKernels PlainChooserKernels();

// Each replaces the entries its level runs faster (nothing where the level is compiled out).
void OverrideWithSse2(ChooserKernels &k);
void OverrideWithAvx2(ChooserKernels &k);
void OverrideWithAvx512(ChooserKernels &k);

// The plain table with the level's entries in place.
ChooserKernels ChooserKernelsFor(SimdLevel level);

}  // namespace orv

#endif
