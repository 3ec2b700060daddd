// A plain, slow restatement of the pixel chooser, one pixel at a time, for checking the fast row
// operations and whole renders. It shares no code with src/chooser; for the Angle mode it uses the
// module's TableAtan2, which is itself checked against std::atan2.
// RefChosen is the hard selection of pixel (x, y) (the mask); RefWeight its weight 0..256 whatever
// the soft flag says (a weighted pass with a mix uses it for a hard chooser too). Mode All chooses
// every pixel at 256; modes outside 0..13 choose nothing at 0.
#ifndef ORV_TESTS_REFERENCE_CHOOSER_REFERENCE_H
#define ORV_TESTS_REFERENCE_CHOOSER_REFERENCE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "chooser/chooser_settings.h"
#include "host/ae_interface.h"
#include "numeric/arctan_table.h"

namespace orvref {

// ---- integer and conversion rules -------------------------------------------------------------

// The low 32 bits of an exact result, read as signed: what 32-bit two's complement arithmetic gives.
inline int32_t Wrap32(int64_t v) {
    uint32_t low = static_cast<uint32_t>(static_cast<uint64_t>(v) & 0xFFFFFFFFu);
    return low >= 0x80000000u ? static_cast<int32_t>(static_cast<int64_t>(low) - 4294967296LL) : static_cast<int32_t>(low);
}

// Truncation toward zero; beyond the 32-bit range the limits, NaN 0.
inline int32_t RefTrunc(long double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483648.0L) return 2147483647;
    if (v <= -2147483649.0L) return -2147483647 - 1;
    return static_cast<int32_t>(std::trunc(v));
}

// ---- measures ---------------------------------------------------------------------------------

inline int32_t RefLuma256(const PF_Pixel &p) { return 77 * p.red + 150 * p.green + 29 * p.blue; }
inline int32_t RefLuma(const PF_Pixel &p) { return RefLuma256(p) / 256; }

inline int32_t RefMax3(const PF_Pixel &p) { return std::max({int32_t{p.red}, int32_t{p.green}, int32_t{p.blue}}); }
inline int32_t RefMin3(const PF_Pixel &p) { return std::min({int32_t{p.red}, int32_t{p.green}, int32_t{p.blue}}); }

inline int32_t RefLightness(const PF_Pixel &p) { return (RefMax3(p) + RefMin3(p)) / 2; }

// s = delta / sum (or delta / (510 - sum) above half lightness), held in a float; then s x 255
// truncated, the product not rounded.
inline int32_t RefSaturation(const PF_Pixel &p) {
    const int32_t mx = RefMax3(p), mn = RefMin3(p);
    if (mx == mn) return 0;
    const long double sum = mx + mn, delta = mx - mn;
    const long double lightness = sum / 2;
    const float s = static_cast<float>(lightness <= 127.5L ? delta / sum : delta / (510 - sum));
    return RefTrunc(static_cast<long double>(s) * 255);
}

// h (sector + offset within it) held in a float, then h x 60 held in a float, truncated; negative
// angles come round by 360.
inline int32_t RefHue(const PF_Pixel &p) {
    const int32_t r = p.red, g = p.green, b = p.blue;
    const int32_t mx = RefMax3(p), mn = RefMin3(p);
    if (mx == mn) return 0;
    const long double delta = mx - mn;
    const long double h = r == mx ? (g - b) / delta : g == mx ? (b - r) / delta + 2 : (r - g) / delta + 4;
    const int32_t v = RefTrunc(static_cast<float>(static_cast<long double>(static_cast<float>(h)) * 60));
    return v < 0 ? v + 360 : v;
}

inline int32_t RefColorDistance(const PF_Pixel &c, const PF_Pixel &p) {
    return std::abs(c.red - p.red) + std::abs(c.green - p.green) + std::abs(c.blue - p.blue) / 3;
}

// 0 at a, 256 at b (RefRampUp) or 256 at a, 0 at b (RefRampDown); 32-bit arithmetic, quotient
// truncated. b != a.
inline int32_t RefRampUp(int32_t a, int32_t x, int32_t b) {
    const int32_t num = Wrap32(static_cast<int64_t>(Wrap32(static_cast<int64_t>(x) - a)) * 256);
    const int32_t den = Wrap32(static_cast<int64_t>(b) - a);
    return Wrap32(static_cast<int64_t>(num) / den);
}
inline int32_t RefRampDown(int32_t a, int32_t x, int32_t b) {
    const int32_t num = Wrap32(static_cast<int64_t>(Wrap32(static_cast<int64_t>(b) - x)) * 256);
    const int32_t den = Wrap32(static_cast<int64_t>(b) - a);
    return Wrap32(static_cast<int64_t>(num) / den);
}

// 0..360: a negative multiple of 360 gives 360.
inline int32_t RefWrapDegrees(int32_t v) {
    return static_cast<int32_t>(v >= 0 ? int64_t{v} % 360 : 360 - (-int64_t{v}) % 360);
}

inline float RefAngleDegrees(int32_t dy, int32_t dx) {
    const float degrees = static_cast<float>(static_cast<long double>(orv::TableAtan2(float(dy), float(dx))) * 57.295776f);
    return degrees < 0 ? static_cast<float>(static_cast<long double>(degrees) + 360) : degrees;
}

// 1 / (1 + 0.033 |stretch|) in double, stored as a float.
inline float RefStretchFactor(float stretch) {
    return static_cast<float>(1.0 / (static_cast<double>(0.033f) * std::fabs(static_cast<double>(stretch)) + 1.0));
}

// ---- the chooser ------------------------------------------------------------------------------

struct RefChooser {
    orv::ChooserSettings settings;
    uint8_t chooserOption;
    int32_t mode;
    int32_t width, height;
    bool all, measured, geometric, soft, reverse;
    int32_t kind;  // 0 above end, 1 up to end, 2 inside, 3 outside
    bool squeezeX, squeezeY;
    float factor;
    int32_t start, end, blend;
};

inline RefChooser MakeRefChooser(const orv::ChooserSettings &settings, int32_t width, int32_t height,
                                 uint8_t chooserOption = 0) {
    RefChooser c{};
    c.settings = settings, c.chooserOption = chooserOption, c.mode = settings.mode, c.width = width, c.height = height;
    c.start = RefTrunc(settings.rangeStart), c.end = RefTrunc(settings.rangeEnd), c.blend = RefTrunc(settings.blend);
    c.reverse = settings.reverse != 0;
    c.all = c.mode == 0;
    c.measured = c.mode >= 1 && c.mode <= 9;
    c.geometric = c.mode >= 10 && c.mode <= 13;
    c.soft = (c.measured || c.geometric) && c.blend > 0;
    // Hue and Angle are inside/outside on the circle; elsewhere a zero start is up to / above the end.
    if (c.mode == 7 || c.mode == 13 || c.start != 0)
        c.kind = c.reverse ? 3 : 2;
    else
        c.kind = c.reverse ? 0 : 1;
    c.squeezeX = c.geometric && settings.stretch > 0, c.squeezeY = c.geometric && settings.stretch < 0;
    c.factor = RefStretchFactor(settings.stretch);
    if (c.mode == 13) orv::BuildArcTan(orv::ArcTanTable);
    return c;
}

// The range's integer fields, each wrapped to 32 bits as the chooser holds them.
struct RefBounds {
    int32_t start, end, mid, endPlus, endMinus, startPlus, startMinus;
};

inline RefBounds MakeBounds(const RefChooser &c) {
    const int64_t s = c.start, e = c.end;
    return {c.start, c.end, Wrap32(s + e) / 2, Wrap32(e + c.blend), Wrap32(e - c.blend), Wrap32(s + c.blend), Wrap32(s - c.blend)};
}

// The selection table for a value v against start and end (already at the value's scale). Values are
// carried as long double: measured integers exactly, float distances against float-converted bounds.
inline bool RefSelect(int32_t kind, long double v, long double start, long double end) {
    return kind == 0 ? v > end : kind == 1 ? v <= end : kind == 2 ? start <= v && v <= end : v < start || v > end;
}

// The four weight tables. `v` is the value as compared (an integer, or a float distance), `vi` the
// value the ramps see (the same integer, or the distance truncated); `toScale` turns a bound into
// the comparison's type (identity for integers, float for distances).
template <typename ToScale>
int32_t RefLinearWeight(int32_t kind, long double v, int32_t vi, const RefBounds &b, ToScale toScale) {
    const long double start = toScale(b.start), end = toScale(b.end), mid = toScale(b.mid);
    const long double endPlus = toScale(b.endPlus), endMinus = toScale(b.endMinus);
    const long double startPlus = toScale(b.startPlus), startMinus = toScale(b.startMinus);
    switch (kind) {
        case 0:  // above end
            if (v > endPlus) return 256;
            if (v > end) return RefRampUp(b.end, vi, b.endPlus);
            return 0;
        case 1:  // up to end
            if (v <= endMinus) return 256;
            if (v <= end) return RefRampDown(b.endMinus, vi, b.end);
            return 0;
        case 2:  // inside
            if (v < start || v > end) return 0;
            if (startPlus <= v && v <= endMinus) return 256;
            if (v >= mid) return RefRampDown(b.endMinus, vi, b.end);
            return RefRampUp(b.start, vi, b.startPlus);
        default:  // outside
            if (start <= v && v <= end) return 0;
            if (startMinus < v && v < endPlus) {
                if (v >= mid) return RefRampUp(b.end, vi, b.endPlus);
                return RefRampDown(b.startMinus, vi, b.start);
            }
            return 256;
    }
}

// Angles on the circle, measured from the start: w in 0..360.
inline bool RefAngleChosen(const RefChooser &c, int32_t angle) {
    const int32_t w = RefWrapDegrees(Wrap32(static_cast<int64_t>(angle) - c.start));
    const int32_t span = Wrap32(static_cast<int64_t>(c.end) - c.start);
    const bool inside = 0 <= w && w < span;
    return c.kind == 2 ? inside : !inside;
}

// Reverse on: the upper bound ramps up over `blend` degrees past the end, and the lower bound
// mirrors it, ramping down to 0 over the `blend` degrees before the start.
inline int32_t RefAngleWeight(const RefChooser &c, int32_t angle) {
    const int32_t w = RefWrapDegrees(Wrap32(static_cast<int64_t>(angle) - c.start));
    const RefBounds b = MakeBounds(c);
    const int32_t span = Wrap32(static_cast<int64_t>(c.end) - c.start);
    const int32_t midOffset = Wrap32(static_cast<int64_t>(b.mid) - c.start);
    const int32_t endPlusOffset = Wrap32(static_cast<int64_t>(b.endPlus) - c.start);
    const int32_t endMinusOffset = Wrap32(static_cast<int64_t>(b.endMinus) - c.start);
    const bool onRange = 0 <= w && w <= span;
    if (c.kind == 2) {
        if (!onRange) return 0;
        if (c.blend <= w && w <= endMinusOffset) return 256;
        if (w >= midOffset) return RefRampDown(endMinusOffset, w, span);
        return RefRampUp(0, w, c.blend);
    }
    if (onRange) return 0;
    if (w < endPlusOffset) return RefRampUp(span, w, endPlusOffset);
    const int32_t lowerRampStart = Wrap32(360 - static_cast<int64_t>(c.blend));
    if (w > lowerRampStart) return RefRampDown(lowerRampStart, w, 360);
    return 256;
}

// The measured modes' value: for hard Luma the unshifted sum (compared at 256 times the bounds).
inline int32_t RefMeasure(const RefChooser &c, const PF_Pixel &p, bool hard) {
    switch (c.mode) {
        case 1: return hard ? RefLuma256(p) : RefLuma(p);
        case 2: return p.red;  case 3: return p.green;  case 4: return p.blue;  case 5: return p.alpha;
        case 6: return RefSaturation(p);  case 7: return RefHue(p);  case 8: return RefLightness(p);
        default: return RefColorDistance(c.settings.color, p);
    }
}

// Geometric terms of pixel (x, y).
struct RefGeometry {
    float distance;  // Rectangle, Edge, soft Point: the distance; hard Point: its square
    int32_t angle;   // Angle
};

inline RefGeometry RefGeometric(const RefChooser &c, int32_t x, int32_t y, bool hard) {
    const orv::ChooserSettings &s = c.settings;
    RefGeometry g{0.0f, 0};
    if (c.mode == 12) {  // Edge: the first row and column are at 0, the last at 1
        float dy = static_cast<float>(y < c.height - y ? y : c.height - y);
        if (c.chooserOption) dy = dy * 2;
        const float dx = static_cast<float>(x < c.width - x ? x : c.width - x);
        g.distance = dx >= dy ? dy : dx;  // the second when they tie
        return g;
    }
    float dy = static_cast<float>(y) - s.centerY;
    float dx = static_cast<float>(x) - s.centerX;
    if (c.mode == 13) {
        g.angle = RefTrunc(RefAngleDegrees(RefTrunc(c.chooserOption ? dy * 2 : dy), RefTrunc(dx)));
        return g;
    }
    if (c.mode == 11) dy = std::fabs(dy), dx = std::fabs(dx);
    if (c.chooserOption) dy = dy * 2;
    if (c.squeezeY) dy = dy * c.factor;
    if (c.squeezeX) dx = static_cast<float>(RefTrunc(static_cast<long double>(dx) * c.factor));
    if (c.mode == 11) {
        g.distance = dx <= dy ? dy : dx;
        return g;
    }
    // Point: the square in double, stored as a float; soft takes its root in double.
    const double square = static_cast<double>(dx) * dx + static_cast<double>(dy) * dy;
    g.distance = static_cast<float>(square);
    if (!hard) g.distance = static_cast<float>(std::sqrt(static_cast<double>(g.distance)));
    return g;
}

inline long double AsFloat(int32_t v) { return static_cast<float>(v); }

inline bool RefChosen(const RefChooser &c, int32_t x, int32_t y, const PF_Pixel &p) {
    if (c.all) return true;
    if (c.measured) {
        const int32_t v = RefMeasure(c, p, true);
        if (c.mode == 7) return RefAngleChosen(c, v);
        if (c.mode == 1)
            return RefSelect(c.kind, v, Wrap32(static_cast<int64_t>(c.start) * 256),
                             Wrap32(static_cast<int64_t>(c.end) * 256));
        return RefSelect(c.kind, v, c.start, c.end);
    }
    if (c.geometric) {
        const RefGeometry g = RefGeometric(c, x, y, true);
        if (c.mode == 13) return RefAngleChosen(c, g.angle);
        if (c.mode == 10)
            return RefSelect(c.kind, g.distance, AsFloat(Wrap32(static_cast<int64_t>(c.start) * c.start)),
                             AsFloat(Wrap32(static_cast<int64_t>(c.end) * c.end)));
        return RefSelect(c.kind, g.distance, AsFloat(c.start), AsFloat(c.end));
    }
    return false;
}

inline int32_t RefWeight(const RefChooser &c, int32_t x, int32_t y, const PF_Pixel &p) {
    if (c.all) return 256;
    const RefBounds b = MakeBounds(c);
    if (c.measured) {
        int32_t v = RefMeasure(c, p, false);
        if (c.mode == 7) return RefAngleWeight(c, v);
        if (c.mode <= 5) v &= 0xFF;  // Luma and the bytes: low 8 bits (a no-op for 0..255)
        return RefLinearWeight(c.kind, v, v, b, [](int32_t bound) { return static_cast<long double>(bound); });
    }
    if (c.geometric) {
        const RefGeometry g = RefGeometric(c, x, y, false);
        if (c.mode == 13) return RefAngleWeight(c, g.angle);
        return RefLinearWeight(c.kind, g.distance, RefTrunc(g.distance), b, AsFloat);
    }
    return 0;
}

}  // namespace orvref

#endif
