// The chooser's inputs as the render reads them from the parameters: nine 32-bit words, passed by
// value from the effect's render through the driver to the pixel chooser.
#ifndef ORV_CHOOSER_CHOOSER_SETTINGS_H
#define ORV_CHOOSER_CHOOSER_SETTINGS_H

#include <cstdint>

#include "host/ae_interface.h"

namespace orv {

// "Choose Pixels by", 0-based.
enum ChooserMode : int32_t {
    kChooseAll = 0,
    kChooseLuma,
    kChooseRed,
    kChooseGreen,
    kChooseBlue,
    kChooseAlpha,
    kChooseSaturation,
    kChooseHue,
    kChooseLightness,
    kChooseRgbDiff,
    kChoosePoint,
    kChooseRectangle,
    kChooseEdge,
    kChooseAngle
};

// How the range chooses.
enum RangeKind : int32_t {
    kAboveEnd = 0,  // start 0, reversed: above end
    kUpToEnd = 1,   // start 0: up to end
    kInside = 2,    // start..end (always for Hue and Angle unless reversed)
    kOutside = 3    // below start or above end
};

struct ChooserSettings {
    float centerY;     // "Center", pixels of the current frame; vertical first
    float centerX;
    int32_t mode;      // ChooserMode
    float rangeStart;  // scaled by mode: x300 (measured), degrees (Hue, Angle), x frame width (geometric)
    float rangeEnd;
    float blend;       // x300, x180 (Hue, Angle), x frame width
    PF_Pixel color;
    uint8_t reverse;   // the rest of its word carries nothing
    uint8_t pad[3];
    float stretch;     // unscaled, -100..100
};
static_assert(sizeof(ChooserSettings) == 36, "nine 32-bit words");

}  // namespace orv

#endif
