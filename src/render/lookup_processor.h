// The brightness-contrast table applied to the source under the pixel chooser's selection: a hard
// (masked) pass, or a weighted pass that blends the adjusted row with the source row.
#ifndef ORV_RENDER_LOOKUP_PROCESSOR_H
#define ORV_RENDER_LOOKUP_PROCESSOR_H

#include <cstdint>

#include "host/ae_interface.h"
#include "render/lookup_kernels.h"

namespace orv {

class PixelChooser;
class WorldImage;

class LookupProcessor {
public:
    // Allocates the temporary row of TransformRow and BlendRow (width pixels, alpha 255 and colour 0).
    // On failure Ok() is false (the caller reports it) and nothing else may then be run. Takes the
    // row kernels of the SIMD level in force.
    LookupProcessor(WorldImage &source, WorldImage &destination, float mix, PixelChooser *chooser,
                    uint8_t alphaOnly);
    ~LookupProcessor();
    LookupProcessor(const LookupProcessor &) = delete;
    LookupProcessor &operator=(const LookupProcessor &) = delete;

    bool Ok() const { return ok != 0; }
    const uint8_t *Table() const { return table; }

    // Rebuilds the table from "Brightness" and "Contrast".
    void BuildBrightnessContrastTable(float brightness, float contrast);

    // Colour bytes through the table, alpha kept.
    void LookupColor(const PF_Pixel &source, PF_Pixel &destination) const {
        destination.alpha = source.alpha;
        destination.red = table[source.red];
        destination.green = table[source.green];
        destination.blue = table[source.blue];
    }
    // Alpha through the table; the colour bytes are the source's, so an alpha-only adjustment never
    // disturbs colour (the same rule in the hard and the weighted pass).
    void LookupAlpha(const PF_Pixel &source, PF_Pixel &destination) const {
        destination.alpha = table[source.alpha];
        destination.red = source.red;
        destination.green = source.green;
        destination.blue = source.blue;
    }

    // Takes the "Channels" choices "Red" .. "Difference" into the passes below (the table on the
    // named colour bytes only; the difference formed as each row is written), so that no channel
    // pass has to follow. The other choices change nothing.
    void FoldChannels(int32_t channels);

    // Hard pass, top row first: chosen pixels get the lookup (colour, or alpha when `alphaVariant`),
    // the others the source pixel whole.
    void RunMasked(bool alphaVariant);
    // Weighted pass: per row the chooser's weights, scaled down by the mix, blend the adjusted pixel
    // with the source pixel (BlendPixel; 256 and above take the adjusted pixel, 0 and below the source).
    void RunWeighted();

    // The weighted pass's two steps through the temporary row, for callers that want the adjusted
    // row on its own (the passes above do both in one walk of the row and never fill it).
    // Temporary pixel x = lookup of source pixel x, for every x of the row.
    void TransformRow(const PF_Pixel *sourceRow);
    // Destination pixel x = temporary pixel x blended with source pixel x by weight x: 256 and above
    // take the temporary pixel, 0 and below the source pixel. Null weights choose nothing.
    void BlendRow(const PF_Pixel *sourceRow, PF_Pixel *destinationRow, const int32_t *weights);

private:
    // Columns and rows both images have (equal in every host render).
    int32_t Columns() const;
    int32_t Rows() const;
    // What the passes hand the kernels: the colour plan, or the alpha lane alone.
    LookupPlan Plan(bool alphaVariant) const;

    uint8_t alphaOnly;
    uint8_t ok;
    PF_Pixel *temporary;
    WorldImage *source;
    WorldImage *destination;
    float mix;
    PixelChooser *chooser;
    int32_t width;
    int32_t height;
    uint8_t table[256];
    LookupKernels kernels;
    LookupPlan colourPlan;  // red, green, blue through `table` unless FoldChannels narrowed it
};

}  // namespace orv

#endif
