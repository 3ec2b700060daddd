// What the render works with, made from the parameters as their getters read them
// (BrightnessContrastEffect::ReadSettings). Pure.
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

// A byte value of a popup index as the render uses it: the low 8 bits, zero-extended.
int32_t LowByte(int32_t index);

// Everything the render reads from the parameters.
struct RenderSettings {
    float brightness;  // -100..100
    float contrast;
    float mix;         // "Mix with Original", 0..100
    int32_t channels;  // "Channels", 0-based index reduced to its low 8 bits
    ChooserSettings chooser;
};

}  // namespace orv

#endif
