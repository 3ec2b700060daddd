// The brightness-contrast lookup table: 256 bytes, built once per render from the two parameter
// values and applied to every adjusted byte.
#ifndef ORV_RENDER_BRIGHTNESS_CONTRAST_TABLE_H
#define ORV_RENDER_BRIGHTNESS_CONTRAST_TABLE_H

#include <cstdint>

namespace orv {

// Entry j = (128 + (j - 128) x k) x g, stored with StoreClampedByte, where the gain
// g = (101 + B) / (101 - B) and the slope k = 100 / (100 - C) for C > 0, (C + 100) / 100 otherwise.
// Intermediates are double; g, k and every entry value are rounded to single precision where formed.
// A contrast whose bits are exactly those of 100.0f gives the hard threshold (0 below 128, 255 from
// 128 up) whatever the brightness. Filled in pairs from both ends towards the pivot.
void FillBrightnessContrastTable(float brightness, float contrast, uint8_t table[256]);

// t = value + 0.5, rounded to single precision; 0 when t <= 0 (or not a number), 255 when t >= 255,
// else t truncated toward zero: positive values round half up.
void StoreClampedByte(float value, uint8_t *destination);

}  // namespace orv

#endif
