// The pixel chooser: decides, row by row, which pixels the adjustment reaches (a mask) and how
// strongly (weights 0..256, 256 = fully adjusted). One per render; it owns one row of each buffer.
#ifndef ORV_CHOOSER_PIXEL_CHOOSER_H
#define ORV_CHOOSER_PIXEL_CHOOSER_H

#include <cstdint>

#include "chooser/chooser_kernels.h"
#include "chooser/chooser_settings.h"
#include "host/ae_interface.h"

namespace orv {

class WorldImage;

class PixelChooser {
public:
    // Derives every comparison value once. A failed buffer allocation makes Failed() true (the
    // caller reports it). Angle mode builds the process-wide arctangent table first.
    PixelChooser(uint8_t chooserOption, ChooserSettings settings, const WorldImage *source);
    ~PixelChooser();
    PixelChooser(const PixelChooser &) = delete;
    PixelChooser &operator=(const PixelChooser &) = delete;

    bool Failed() const { return valid == 0; }
    bool IsAll() const { return chooseAll != 0; }
    bool IsMeasured() const { return measured != 0; }
    bool IsGeometric() const { return geometric != 0; }
    bool IsSoft() const { return soft != 0; }
    uint8_t ChooserOption() const { return chooserOption; }
    const uint8_t *Mask() const { return mask; }
    const int32_t *Weights() const { return weights; }

    // Row operations: each writes all `width` entries of its buffer, choosing its case from the mode
    // and range kind once per row. Called for a mode outside their class they leave the buffer as is.
    // The row loops of the SIMD level in force run them (the same results at every level).
    void MaskPixels(const PF_Pixel *row);  // measured modes, hard: mask from the source row
    void MaskRow(int32_t y);               // geometric modes, hard: mask for row y
    void WeightPixels(const PF_Pixel *row);  // measured modes, soft
    void WeightRow(int32_t y);               // geometric modes, soft
    void FillWeights();                      // 256 throughout
    void ScaleWeights(int32_t k);            // w = (w * k) >> 8, arithmetic shift

    // Derived state, readable for tests and tools.
    int32_t Mode() const { return state.settings.mode; }
    int32_t Kind() const { return state.kind; }
    int32_t Width() const { return state.width; }
    int32_t Height() const { return state.height; }

private:
    // The entries passed to the row loops: none for a frame whose width reads negative.
    int32_t Count() const { return state.width > 0 ? state.width : 0; }

    ChooserState state;
    uint8_t chooserOption;
    uint8_t *mask;
    int32_t *weights;
    uint8_t valid;
    uint8_t chooseAll;
    uint8_t measured;
    uint8_t soft;
    uint8_t geometric;
};

}  // namespace orv

#endif
