// The pure per-pixel functions of the pixel chooser: colour measures, integer ramps, angles on the
// circle and small min/max/abs helpers. No state. R, G, B are a pixel's colour bytes, 0..255.
#ifndef ORV_CHOOSER_MEASURES_H
#define ORV_CHOOSER_MEASURES_H

#include <cstdint>

#include "host/ae_interface.h"
#include "numeric/arctan_table.h"

namespace orv {

// 32-bit two's complement arithmetic without undefined overflow: the chooser's integer fields and
// ramps wrap exactly as 32-bit registers do.
inline int32_t WrapInt32(uint32_t v) {
    return v < 0x80000000u ? static_cast<int32_t>(v) : -static_cast<int32_t>(~v) - 1;
}
inline int32_t AddWrap(int32_t a, int32_t b) {
    return WrapInt32(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t SubWrap(int32_t a, int32_t b) {
    return WrapInt32(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline int32_t MulWrap(int32_t a, int32_t b) {
    return WrapInt32(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// Truncating 32-bit division; a zero divisor gives 0 and INT32_MIN / -1 wraps (neither is reached
// by the chooser, whose divisors are a positive blend).
inline int32_t DivWrap(int32_t a, int32_t b) {
    if (b == 0) return 0;
    if (b == -1) return WrapInt32(0u - static_cast<uint32_t>(a));
    return a / b;
}

// Arithmetic right shift by 8 (floor division by 256) for negative values too.
inline int32_t ShiftRight8(int32_t v) { return v >= 0 ? v >> 8 : -((-(v + 1)) >> 8) - 1; }

inline float FAbs(float a) { return a < 0.0f ? -a : a; }
inline float FMin(float a, float b) { return a >= b ? b : a; }  // b when a >= b
inline float FMax(float a, float b) { return a <= b ? b : a; }  // b when a <= b
inline int32_t IMin(int32_t a, int32_t b) { return a < b ? a : b; }
inline int32_t IMax(int32_t a, int32_t b) { return a > b ? a : b; }
inline int32_t IAbs(int32_t a) { return a < 0 ? WrapInt32(0u - static_cast<uint32_t>(a)) : a; }

inline int32_t MaxRgb(const PF_Pixel &p) { return IMax(p.red, IMax(p.green, p.blue)); }
inline int32_t MinRgb(const PF_Pixel &p) { return IMin(p.red, IMin(p.green, p.blue)); }

// 77 R + 150 G + 29 B (the weights add up to 256): 0..65280.
inline int32_t Luma256(const PF_Pixel &p) { return 77 * p.red + 150 * p.green + 29 * p.blue; }

// Luma256 >> 8: 0..255.
inline int32_t Luma(const PF_Pixel &p) { return Luma256(p) >> 8; }

// (max + min) / 2 of R, G, B.
inline int32_t Lightness(const PF_Pixel &p) { return (MaxRgb(p) + MinRgb(p)) / 2; }

// delta / sum, or delta / (510 - sum) above half lightness, rounded to single precision; then x 255
// truncated toward zero (the product exact). Grey gives 0.
inline int32_t Saturation(const PF_Pixel &p) {
    const int32_t mx = MaxRgb(p), mn = MinRgb(p);
    if (mx == mn) return 0;
    const int32_t sum = mx + mn, delta = mx - mn;
    const double divisor = sum <= 255 ? sum : 510 - sum;  // lightness sum / 2 <= 127.5
    const float s = static_cast<float>(delta / divisor);
    return static_cast<int32_t>(static_cast<double>(s) * 255.0);
}

// Degrees 0..359, red 0, green 120, blue 240. The sector position (with its +2 or +4, in double) is
// rounded to single precision once, times 60 rounded to single precision again, then truncated
// toward zero; a negative result comes round by 360. Red wins ties with green or blue, green with
// blue. Grey gives 0.
inline int32_t Hue(const PF_Pixel &p) {
    const int32_t r = p.red, g = p.green, b = p.blue;
    const int32_t mx = MaxRgb(p), mn = MinRgb(p);
    if (mx == mn) return 0;
    const double delta = mx - mn;
    double position;
    if (r == mx)
        position = (g - b) / delta;
    else if (g == mx)
        position = (b - r) / delta + 2.0;
    else
        position = (r - g) / delta + 4.0;
    const float h = static_cast<float>(position);
    const float degrees = static_cast<float>(static_cast<double>(h) * 60.0);
    int32_t v = static_cast<int32_t>(degrees);
    if (v < 0) v += 360;
    return v;
}

// |C.R - R| + |C.G - G| + |C.B - B| / 3: only the blue term is divided. 0..595.
inline int32_t ColorDistance(const PF_Pixel &c, const PF_Pixel &p) {
    return IAbs(c.red - p.red) + IAbs(c.green - p.green) + IAbs(c.blue - p.blue) / 3;
}

// ((x - a) x 256) / (b - a): 0 at a, 256 at b. 32-bit arithmetic, quotient truncated; b != a.
inline int32_t RampUp(int32_t a, int32_t x, int32_t b) {
    return DivWrap(MulWrap(SubWrap(x, a), 256), SubWrap(b, a));
}

// ((b - x) x 256) / (b - a): 256 at a, 0 at b. 32-bit arithmetic, quotient truncated; b != a.
inline int32_t RampDown(int32_t a, int32_t x, int32_t b) {
    return DivWrap(MulWrap(SubWrap(b, x), 256), SubWrap(b, a));
}

// v mod 360 for v >= 0; 360 - (-v mod 360) below, so a negative multiple of 360 gives 360.
inline int32_t WrapDegrees(int32_t v) {
    if (v >= 0) return v % 360;
    return 360 - static_cast<int32_t>((0u - static_cast<uint32_t>(v)) % 360u);
}

// Direction of the offset (dy, dx) in degrees, 0 to below 360, from the table arctangent: the
// radians times 57.295776 rounded to single precision (so (5, 0) gives exactly 90), plus 360 when
// negative, rounded again. (0, 0) gives 0. The arctangent table must be built.
inline float AngleDegrees(int32_t dy, int32_t dx) {
    const float radians = TableAtan2(static_cast<float>(dy), static_cast<float>(dx));
    float degrees = radians * 57.295776f;
    if (degrees < 0.0f) degrees = degrees + 360.0f;
    return degrees;
}

}  // namespace orv

#endif
