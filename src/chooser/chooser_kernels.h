// The vector row loops of the pixel chooser, one set per SIMD level: the same measures, selection
// tests and weight ramps as the plain loops of chooser_loops.cpp, many pixels per instruction, with
// the same results bit for bit. A loop declines (returns false) where its arithmetic would not be
// exact, and the plain loop runs instead: see ChooserKernelsApply.
#ifndef ORV_CHOOSER_CHOOSER_KERNELS_H
#define ORV_CHOOSER_CHOOSER_KERNELS_H

#include <cstdint>

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

// What the row loops read of a chooser, as the chooser derived it.
struct ChooserRow {
    int32_t mode, kind;
    int32_t start, end, mid, startPlus, startMinus, endPlus, endMinus;
    int32_t start256, end256, startSq, endSq;
    int32_t blend, span, midOffset, endPlusOffset, endMinusOffset;
    PF_Pixel color;
    float centerX, centerY, stretchFactor;
    bool doubleY, squeezeX, squeezeY;
    int32_t width, height;
    ChooserTables *tables;  // the chooser's, formed as needed
};

// True when the vector loops compute exactly what the plain ones do for this chooser: the range
// and blend are small enough that no 32-bit value wraps and each ramp's quotient can be formed in
// single precision (0 <= blend < 2^14, |start|, |end| < 2^24), and the centre is finite and within
// 2^24 pixels. Every setting the parameters allow qualifies.
bool ChooserKernelsApply(const ChooserRow &row);

struct ChooserKernels {
    // As PixelChooser::MaskPixels, WeightPixels, MaskRow, WeightRow; false when declined (nothing
    // written).
    bool (*maskPixels)(const ChooserRow &c, const PF_Pixel *row, uint8_t *mask, int32_t count);
    bool (*weightPixels)(const ChooserRow &c, const PF_Pixel *row, int32_t *weights, int32_t count);
    bool (*maskRow)(const ChooserRow &c, int32_t y, uint8_t *mask, int32_t count);
    bool (*weightRow)(const ChooserRow &c, int32_t y, int32_t *weights, int32_t count);
    // The value a measured mode's hard test compares, per pixel (Luma256 for Luma; the colour
    // distance from `color` for RGB Diff): for tests over every colour.
    void (*measure)(int32_t mode, PF_Pixel color, const PF_Pixel *row, int32_t *values, int32_t count);
};

// The loops of a level; null for the scalar level.
const ChooserKernels *ChooserKernelsFor(SimdLevel level);

extern const ChooserKernels *const kChooserKernelsSse2;
extern const ChooserKernels *const kChooserKernelsAvx2;
extern const ChooserKernels *const kChooserKernelsAvx512;

}  // namespace orv

#endif
