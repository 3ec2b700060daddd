// frei0r hands pixels as bytes red, green, blue, alpha; the effect works on alpha, red, green, blue.
// Read as little-endian 32-bit words, one order is the other rotated by 8 bits. At AVX2 and above
// (the level the module runs at, src/support/simd_level.h) a rotation is one byte shuffle per 8
// pixels; below, a rotate per pixel that the compiler turns into SSE2 shifts.
#ifndef ORV_FREI0R_PIXEL_ORDER_H
#define ORV_FREI0R_PIXEL_ORDER_H

#include <cstddef>
#include <cstdint>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the pixel rotations assume little-endian words");

namespace orvfrei0r {

// R G B A bytes -> A R G B bytes. src and dst may be the same buffer.
void RgbaToArgb(const uint32_t *src, uint32_t *dst, size_t count);
// A R G B bytes -> R G B A bytes. src and dst may be the same buffer.
void ArgbToRgba(const uint32_t *src, uint32_t *dst, size_t count);

}  // namespace orvfrei0r

#endif
