// From the parameter values the host holds to what the render works with: the one reading of the
// effect's parameters, used by its render and by tools that must choose exactly what a render
// chooses. Pure.
#ifndef ORV_EFFECT_RENDER_SETTINGS_H
#define ORV_EFFECT_RENDER_SETTINGS_H

#include <cstdint>

#include "chooser/chooser_settings.h"
#include "host/ae_interface.h"

namespace orv {

// The chooser's parameters in the units the chooser's settings are made from.
struct ChooserInputs {
    int32_t mode;        // "Choose Pixels by", 0-based index reduced to its low 8 bits
    float xFraction;     // "Center" as fractions of the scaled layer width and height
    float yFraction;
    PF_Pixel color;      // "Color"
    float rangeStart;    // "Range Start", "Range End": 0..1.25
    float rangeEnd;
    float angleStart;    // "Angle Start", "Angle End": degrees
    float angleEnd;
    bool reverse;        // "Reverse Range"
    float blend;         // "Blend": 0..0.5
    float stretch;       // "Stretch": -100..100, passed on unscaled
};

// Centre in pixels (fraction x frame size, the product rounded to single precision), and range and
// blend by mode:
//   measured modes but Hue: range and blend x 300;
//   Hue, Angle: the angles as read, blend x 180;
//   Point, Rectangle, Edge: range and blend x frame width (whatever the direction measured);
//   All, and any index outside the list: range 0, blend as read.
// Products are of single-precision values and constants, rounded once to single precision.
ChooserSettings MakeChooserSettings(const ChooserInputs &inputs, int32_t frameWidth, int32_t frameHeight);

// Everything the render reads from the parameters.
struct RenderSettings {
    float brightness;  // -100..100
    float contrast;
    float mix;         // "Mix with Original", 0..100
    int32_t channels;  // "Channels", 0-based index reduced to its low 8 bits
    ChooserSettings chooser;
};

// Reads the effect's parameters from the host's records, `params[slot]` (slot 0 the input layer),
// for a frame of width x height (the layer scaled by the downsample ratio). A slot at or beyond
// `count`, or without a record, reads as 0 (off, black, popup index 255). As read:
//   sliders: the 16.16 value as a float x 2^-16; those shown in percent ("Range Start", "Range End",
//     "Blend") are divided by their display scale first, as integers (the remainder is lost);
//   angles: value / 65536 minus the registration offset in double precision, rounded to float;
//   popups: the 1-based value minus 1, low 8 bits;
//   "Center": each coordinate / 65536 / the frame side in double precision, rounded to float (0 for
//     an empty side), then placed by MakeChooserSettings.
RenderSettings ReadRenderSettings(const PF_ParamDef *const *params, int32_t count, int32_t width, int32_t height);

}  // namespace orv

#endif
