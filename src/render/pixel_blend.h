// The per-pixel rules of the render passes: the one blend primitive (also the mix's), the difference,
// and the mix-to-weight rule.
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

// The adjusted pixel `a` over the source pixel `b` by weight w: 256 and above take `a` whole, 0 and
// below `b` whole, weights between blend them (so the products are always of numbers 0..256).
inline PF_Pixel WeighPixel(const PF_Pixel &a, const PF_Pixel &b, int32_t w) {
    if (w >= 256) return a;
    if (w <= 0) return b;
    PF_Pixel blended;
    BlendPixel(blended, a, b, w);
    return blended;
}

// A weight held to 0..256, which takes the same pixels (256 and above whole, 0 and below none).
inline int32_t HeldWeight(int32_t w) { return w < 0 ? 0 : w > 256 ? 256 : w; }

// |source - destination|, the larger byte less the smaller.
inline uint8_t AbsoluteDifference(uint8_t source, uint8_t destination) {
    return source < destination ? static_cast<uint8_t>(destination - source)
                                : static_cast<uint8_t>(source - destination);
}

// The "Difference" choice: red, green and blue of `destination` become their distance from the
// source's; alpha is kept.
inline void DifferencePixel(const PF_Pixel &source, PF_Pixel &destination) {
    destination.red = AbsoluteDifference(source.red, destination.red);
    destination.green = AbsoluteDifference(source.green, destination.green);
    destination.blue = AbsoluteDifference(source.blue, destination.blue);
}

// "Mix with Original" (percent) as a weight of the source: mix x 2.56, the single-precision mix and
// constant multiplied in double, truncated toward zero. 100 gives 255 (never 256), 50 gives 127.
// Not held to the slider's 0..100: the weighted pass scales weights by 256 - weight, whatever it is.
int32_t MixWeight(float mix);

}  // namespace orv

#endif
