// frei0r hands pixels as bytes red, green, blue, alpha; the effect works on alpha, red, green, blue.
// Read as little-endian 32-bit words, one order is the other rotated by 8 bits, so each conversion
// is a rotate per pixel that the compiler turns into vector shifts (SSE2 on every x86-64).
#ifndef ORV_FREI0R_PIXEL_ORDER_H
#define ORV_FREI0R_PIXEL_ORDER_H

#include <cstddef>
#include <cstdint>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the pixel rotates assume little-endian words");

namespace orvfrei0r {

// dst[i] = src[i] rotated left by `bits`; src and dst may be the same buffer.
template <int bits>
inline void RotatePixels(const uint32_t *src, uint32_t *dst, size_t count) {
    for (size_t i = 0; i < count; ++i) dst[i] = (src[i] << bits) | (src[i] >> (32 - bits));
}

// R G B A bytes -> A R G B bytes.
inline void RgbaToArgb(const uint32_t *src, uint32_t *dst, size_t count) { RotatePixels<8>(src, dst, count); }
// A R G B bytes -> R G B A bytes.
inline void ArgbToRgba(const uint32_t *src, uint32_t *dst, size_t count) { RotatePixels<24>(src, dst, count); }

}  // namespace orvfrei0r

#endif
