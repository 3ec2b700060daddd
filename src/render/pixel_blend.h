// The one blend primitive of the render passes and the mix, and the mix-to-weight rule.
#ifndef ORV_RENDER_PIXEL_BLEND_H
#define ORV_RENDER_PIXEL_BLEND_H

#include <cstdint>

#include "host/ae_interface.h"

namespace orv {

// (a x w + b x (256 - w)) >> 8 for a weight w in 0..256: w = 256 gives a, w = 0 gives b.
inline uint8_t BlendByte(uint8_t a, uint8_t b, int32_t w) {
    return static_cast<uint8_t>((a * w + b * (256 - w)) >> 8);
}

// Each byte of `destination` becomes BlendByte(a, b, w): red, green and blue first, then alpha.
inline void BlendPixel(PF_Pixel &destination, const PF_Pixel &a, const PF_Pixel &b, int32_t w) {
    destination.red = BlendByte(a.red, b.red, w);
    destination.green = BlendByte(a.green, b.green, w);
    destination.blue = BlendByte(a.blue, b.blue, w);
    destination.alpha = BlendByte(a.alpha, b.alpha, w);
}

// "Mix with Original" (percent) as a weight of the source: mix x 2.56, the single-precision mix and
// constant multiplied in double, truncated toward zero. 100 gives 255 (never 256), 50 gives 127.
// Not held to the slider's 0..100: the weighted pass scales weights by 256 - weight, whatever it is.
int32_t MixWeight(float mix);

}  // namespace orv

#endif
