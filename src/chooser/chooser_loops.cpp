// The chooser's plain row loops, the first entries of every level's table. Each picks its case
// (mode, range kind, squeeze) once per row and then runs the one row loop, FillRow, with the
// per-pixel value and test passed in as function objects, so no loop is written twice and no inner
// loop tests the mode.
#include <cmath>

#include "chooser/chooser_kernels.h"
#include "chooser/measures.h"
#include "numeric/arctan_table.h"

namespace orv {
namespace {

template <typename Out, typename PerPixel>
void FillRow(Out *out, int32_t count, PerPixel perPixel) {
    for (int32_t x = 0; x < count; ++x) out[x] = static_cast<Out>(perPixel(x));
}

template <typename Value, typename Rule>
auto Apply(Value value, Rule rule) {
    return [value, rule](int32_t x) { return rule(value(x)); };
}

// ---- per-pixel values ----------------------------------------------------------------------------

struct LumaSum {
    int32_t operator()(const PF_Pixel &p) const { return Luma256(p); }
};
struct LumaByte {
    int32_t operator()(const PF_Pixel &p) const { return Luma(p); }
};
template <uint8_t PF_Pixel::*Field>
struct ByteOf {
    int32_t operator()(const PF_Pixel &p) const { return p.*Field; }
};
using RedOf = ByteOf<&PF_Pixel::red>;
using GreenOf = ByteOf<&PF_Pixel::green>;
using BlueOf = ByteOf<&PF_Pixel::blue>;
using AlphaOf = ByteOf<&PF_Pixel::alpha>;
struct SaturationOf {
    int32_t operator()(const PF_Pixel &p) const { return Saturation(p); }
};
struct HueOf {
    int32_t operator()(const PF_Pixel &p) const { return Hue(p); }
};
struct LightnessOf {
    int32_t operator()(const PF_Pixel &p) const { return Lightness(p); }
};
struct DistanceFrom {
    PF_Pixel color;
    int32_t operator()(const PF_Pixel &p) const { return ColorDistance(color, p); }
};

template <typename Measure>
struct FromRow {
    const PF_Pixel *row;
    Measure measure;
    int32_t operator()(int32_t x) const { return measure(row[x]); }
};
template <typename Measure>
FromRow<Measure> Pixels(const PF_Pixel *row, Measure measure) {
    return FromRow<Measure>{row, measure};
}

// The squeezed horizontal offset: the exact product truncated toward zero, back to float.
inline float Squeeze(float offset, float factor) {
    return static_cast<float>(TruncToInt32(static_cast<double>(offset) * factor));
}

template <bool SqueezeX>
struct RectangleDistance {
    float centerX, dy, factor;
    float operator()(int32_t x) const {
        float dx = FAbs(static_cast<float>(x) - centerX);
        if (SqueezeX) dx = Squeeze(dx, factor);
        return FMax(dx, dy);
    }
};

// The squared distance: both squares (exact in double) summed in double, stored as a float. Hard
// Point compares it with the squared bounds (no root); soft Point takes its root in double.
template <bool SqueezeX, bool Root>
struct PointDistance {
    float centerX;
    double dySquared;
    float factor;
    float operator()(int32_t x) const {
        float dx = static_cast<float>(x) - centerX;
        if (SqueezeX) dx = Squeeze(dx, factor);
        const float s = static_cast<float>(static_cast<double>(dx) * dx + dySquared);
        return Root ? static_cast<float>(std::sqrt(static_cast<double>(s))) : s;
    }
};

// The last column is at distance 1 (width - x), the first at 0.
struct EdgeDistance {
    int32_t width;
    float dy;
    float operator()(int32_t x) const { return FMin(static_cast<float>(IMin(x, SubWrap(width, x))), dy); }
};

struct AngleOf {
    float centerX;
    int32_t dy;
    int32_t operator()(int32_t x) const {
        return TruncToInt32(AngleDegrees(dy, TruncToInt32(static_cast<float>(x) - centerX)));
    }
};

// ---- selection and weight rules ---------------------------------------------------------------------

// The range at a value's scale: integers for measured values, floats for distances (every
// comparison of a distance is made against the integer field converted to float).
template <typename T>
struct Range {
    T start, end, mid, startPlus, startMinus, endPlus, endMinus;
};

template <typename T>
Range<T> RangeAs(const Range<int32_t> &r) {
    return Range<T>{static_cast<T>(r.start),     static_cast<T>(r.end),        static_cast<T>(r.mid),
                    static_cast<T>(r.startPlus), static_cast<T>(r.startMinus), static_cast<T>(r.endPlus),
                    static_cast<T>(r.endMinus)};
}

// Ramps see integers: a distance is truncated toward zero first.
inline int32_t RampArgument(int32_t v) { return v; }
inline int32_t RampArgument(float d) { return TruncToInt32(d); }

template <typename T>
struct AboveEnd {
    T end;
    bool operator()(T v) const { return v > end; }
};
template <typename T>
struct UpToEnd {
    T end;
    bool operator()(T v) const { return v <= end; }
};
template <typename T>
struct Inside {
    T start, end;
    bool operator()(T v) const { return start <= v && v <= end; }
};
template <typename T>
struct Outside {
    T start, end;
    bool operator()(T v) const { return v < start || v > end; }
};

template <typename T>
struct WeightAboveEnd {
    Range<T> at;
    Range<int32_t> ramp;
    int32_t operator()(T v) const {
        if (v > at.endPlus) return 256;
        if (v > at.end) return RampUp(ramp.end, RampArgument(v), ramp.endPlus);
        return 0;
    }
};
template <typename T>
struct WeightUpToEnd {
    Range<T> at;
    Range<int32_t> ramp;
    int32_t operator()(T v) const {
        if (v <= at.endMinus) return 256;
        if (v <= at.end) return RampDown(ramp.endMinus, RampArgument(v), ramp.end);
        return 0;
    }
};
// When 2 x blend exceeds the span the ramps meet at mid; from mid up the upper one applies.
template <typename T>
struct WeightInside {
    Range<T> at;
    Range<int32_t> ramp;
    int32_t operator()(T v) const {
        if (v < at.start || v > at.end) return 0;
        if (at.startPlus <= v && v <= at.endMinus) return 256;
        if (v >= at.mid) return RampDown(ramp.endMinus, RampArgument(v), ramp.end);
        return RampUp(ramp.start, RampArgument(v), ramp.startPlus);
    }
};
template <typename T>
struct WeightOutside {
    Range<T> at;
    Range<int32_t> ramp;
    int32_t operator()(T v) const {
        if (at.start <= v && v <= at.end) return 0;
        if (at.startMinus < v && v < at.endPlus) {
            if (v >= at.mid) return RampUp(ramp.end, RampArgument(v), ramp.endPlus);
            return RampDown(ramp.startMinus, RampArgument(v), ramp.start);
        }
        return 256;
    }
};

// Angles on the circle, as offsets w = WrapDegrees(v - start) in 0..360.
struct AngleRange {
    int32_t start, span, blend, midOffset, endPlusOffset, endMinusOffset;
    int32_t Offset(int32_t v) const { return WrapDegrees(SubWrap(v, start)); }
};

// The end angle itself is not chosen by the hard tests.
struct InAngleRange {
    AngleRange r;
    bool operator()(int32_t v) const { return r.Offset(v) < r.span; }
};
struct OutAngleRange {
    AngleRange r;
    bool operator()(int32_t v) const { return !(r.Offset(v) < r.span); }
};
struct WeightHueInside {
    AngleRange r;
    int32_t operator()(int32_t v) const {
        const int32_t w = r.Offset(v);
        if (w > r.span) return 0;
        if (r.blend <= w && w <= r.endMinusOffset) return 256;
        if (w >= r.midOffset) return RampDown(r.endMinusOffset, w, r.span);
        return RampUp(0, w, r.blend);
    }
};
// Reverse on: the weight rises from 0 over `blend` degrees past the end and, mirroring that, falls
// to 0 over the `blend` degrees before the start, so neither bound of the range is a hard edge.
// Where the two ramps overlap the upper one wins.
struct WeightHueOutside {
    AngleRange r;
    int32_t operator()(int32_t v) const {
        const int32_t w = r.Offset(v);
        if (w <= r.span) return 0;
        if (w < r.endPlusOffset) return RampUp(r.span, w, r.endPlusOffset);
        const int32_t lowerRampStart = SubWrap(360, r.blend);
        if (w > lowerRampStart) return RampDown(lowerRampStart, w, 360);
        return 256;
    }
};

// ---- per-row dispatch -----------------------------------------------------------------------------

template <typename T, typename Value>
void MaskByKind(uint8_t *mask, int32_t count, int32_t kind, T start, T end, Value value) {
    switch (kind) {
        case kAboveEnd: FillRow(mask, count, Apply(value, AboveEnd<T>{end})); break;
        case kUpToEnd: FillRow(mask, count, Apply(value, UpToEnd<T>{end})); break;
        case kInside: FillRow(mask, count, Apply(value, Inside<T>{start, end})); break;
        case kOutside: FillRow(mask, count, Apply(value, Outside<T>{start, end})); break;
    }
}

template <typename T, typename Value>
void WeighByKind(int32_t *weights, int32_t count, int32_t kind, const Range<int32_t> &range, Value value) {
    const Range<T> at = RangeAs<T>(range);
    switch (kind) {
        case kAboveEnd: FillRow(weights, count, Apply(value, WeightAboveEnd<T>{at, range})); break;
        case kUpToEnd: FillRow(weights, count, Apply(value, WeightUpToEnd<T>{at, range})); break;
        case kInside: FillRow(weights, count, Apply(value, WeightInside<T>{at, range})); break;
        case kOutside: FillRow(weights, count, Apply(value, WeightOutside<T>{at, range})); break;
    }
}

// Hue and Angle always have kind Inside or Outside.
template <typename Value>
void MaskByAngle(uint8_t *mask, int32_t count, int32_t kind, const AngleRange &range, Value value) {
    if (kind == kOutside)
        FillRow(mask, count, Apply(value, OutAngleRange{range}));
    else
        FillRow(mask, count, Apply(value, InAngleRange{range}));
}

template <typename Value>
void WeighByAngle(int32_t *weights, int32_t count, int32_t kind, const AngleRange &range, Value value) {
    if (kind == kOutside)
        FillRow(weights, count, Apply(value, WeightHueOutside{range}));
    else
        FillRow(weights, count, Apply(value, WeightHueInside{range}));
}

Range<int32_t> RangeOf(const ChooserState &c) {
    return Range<int32_t>{c.start, c.end, c.mid, c.startPlus, c.startMinus, c.endPlus, c.endMinus};
}

AngleRange AnglesOf(const ChooserState &c) {
    return AngleRange{c.start, c.span, c.blend, c.midOffset, c.endPlusOffset, c.endMinusOffset};
}

// Rectangle, Point and Edge: computes the row's vertical term once and calls use(distance), where
// distance(x) is the value compared with the range (hard Point: the squared distance).
template <bool Root, typename Use>
void WithDistances(const ChooserState &g, int32_t y, Use use) {
    const float centerX = g.settings.centerX, centerY = g.settings.centerY, factor = g.stretchFactor;
    switch (g.settings.mode) {
        case kChooseRectangle: {
            float dy = FAbs(static_cast<float>(y) - centerY);
            if (g.doubleY) dy = dy * 2.0f;
            if (g.squeezeY) dy = dy * factor;
            if (g.squeezeX)
                use(RectangleDistance<true>{centerX, dy, factor});
            else
                use(RectangleDistance<false>{centerX, dy, factor});
            break;
        }
        case kChoosePoint: {
            float dy = static_cast<float>(y) - centerY;
            if (g.doubleY) dy = dy * 2.0f;
            if (g.squeezeY) dy = dy * factor;
            const double dySquared = static_cast<double>(dy) * dy;
            if (g.squeezeX)
                use(PointDistance<true, Root>{centerX, dySquared, factor});
            else
                use(PointDistance<false, Root>{centerX, dySquared, factor});
            break;
        }
        case kChooseEdge: {
            float dy = static_cast<float>(IMin(y, SubWrap(g.height, y)));
            if (g.doubleY) dy = dy * 2.0f;
            use(EdgeDistance{g.width, dy});
            break;
        }
        default: break;
    }
}

AngleOf AnglesOfRow(const ChooserState &g, int32_t y) {
    float dy = static_cast<float>(y) - g.settings.centerY;
    if (g.doubleY) dy = dy * 2.0f;
    return AngleOf{g.settings.centerX, TruncToInt32(dy)};
}

void MaskPixels(const ChooserState &c, const PF_Pixel *row, uint8_t *mask, int32_t count) {
    const AngleRange angles = AnglesOf(c);
    const auto Mask = [&](int32_t low, int32_t high, auto values) { MaskByKind(mask, count, c.kind, low, high, values); };
    switch (c.settings.mode) {
        case kChooseLuma: Mask(c.start256, c.end256, Pixels(row, LumaSum{})); break;
        case kChooseRed: Mask(c.start, c.end, Pixels(row, RedOf{})); break;
        case kChooseGreen: Mask(c.start, c.end, Pixels(row, GreenOf{})); break;
        case kChooseBlue: Mask(c.start, c.end, Pixels(row, BlueOf{})); break;
        case kChooseAlpha: Mask(c.start, c.end, Pixels(row, AlphaOf{})); break;
        case kChooseSaturation: Mask(c.start, c.end, Pixels(row, SaturationOf{})); break;
        case kChooseHue: MaskByAngle(mask, count, c.kind, angles, Pixels(row, HueOf{})); break;
        case kChooseLightness: Mask(c.start, c.end, Pixels(row, LightnessOf{})); break;
        case kChooseRgbDiff: Mask(c.start, c.end, Pixels(row, DistanceFrom{c.settings.color})); break;
        default: break;
    }
}

// Luma and the channel bytes are already 0..255 (their low 8 bits); Saturation, Lightness and the
// colour distance (up to 595) are compared whole.
void WeightPixels(const ChooserState &c, const PF_Pixel *row, int32_t *weights, int32_t count) {
    const Range<int32_t> range = RangeOf(c);
    const AngleRange angles = AnglesOf(c);
    const auto Weigh = [&](auto values) { WeighByKind<int32_t>(weights, count, c.kind, range, values); };
    switch (c.settings.mode) {
        case kChooseLuma: Weigh(Pixels(row, LumaByte{})); break;
        case kChooseRed: Weigh(Pixels(row, RedOf{})); break;
        case kChooseGreen: Weigh(Pixels(row, GreenOf{})); break;
        case kChooseBlue: Weigh(Pixels(row, BlueOf{})); break;
        case kChooseAlpha: Weigh(Pixels(row, AlphaOf{})); break;
        case kChooseSaturation: Weigh(Pixels(row, SaturationOf{})); break;
        case kChooseHue: WeighByAngle(weights, count, c.kind, angles, Pixels(row, HueOf{})); break;
        case kChooseLightness: Weigh(Pixels(row, LightnessOf{})); break;
        case kChooseRgbDiff: Weigh(Pixels(row, DistanceFrom{c.settings.color})); break;
        default: break;
    }
}

void MaskRow(const ChooserState &c, int32_t y, uint8_t *mask, int32_t count) {
    if (c.settings.mode == kChooseAngle) {
        MaskByAngle(mask, count, c.kind, AnglesOf(c), AnglesOfRow(c, y));
        return;
    }
    // Hard Point compares squares, the others distances; always as floats.
    const bool point = c.settings.mode == kChoosePoint;
    const float low = static_cast<float>(point ? c.startSq : c.start);
    const float high = static_cast<float>(point ? c.endSq : c.end);
    WithDistances<false>(c, y, [&](auto distance) { MaskByKind(mask, count, c.kind, low, high, distance); });
}

void WeightRow(const ChooserState &c, int32_t y, int32_t *weights, int32_t count) {
    if (c.settings.mode == kChooseAngle) {
        WeighByAngle(weights, count, c.kind, AnglesOf(c), AnglesOfRow(c, y));
        return;
    }
    const Range<int32_t> range = RangeOf(c);
    WithDistances<true>(c, y, [&](auto distance) { WeighByKind<float>(weights, count, c.kind, range, distance); });
}

template <typename Measure>
void MeasureRow(const PF_Pixel *row, int32_t *values, int32_t count, Measure measure) {
    FillRow(values, count, Pixels(row, measure));
}

void Measure(int32_t mode, PF_Pixel color, const PF_Pixel *row, int32_t *values, int32_t count) {
    switch (mode) {
        case kChooseLuma: MeasureRow(row, values, count, LumaSum{}); break;
        case kChooseRed: MeasureRow(row, values, count, RedOf{}); break;
        case kChooseGreen: MeasureRow(row, values, count, GreenOf{}); break;
        case kChooseBlue: MeasureRow(row, values, count, BlueOf{}); break;
        case kChooseAlpha: MeasureRow(row, values, count, AlphaOf{}); break;
        case kChooseSaturation: MeasureRow(row, values, count, SaturationOf{}); break;
        case kChooseHue: MeasureRow(row, values, count, HueOf{}); break;
        case kChooseLightness: MeasureRow(row, values, count, LightnessOf{}); break;
        case kChooseRgbDiff: MeasureRow(row, values, count, DistanceFrom{color}); break;
        default: break;
    }
}

}  // namespace

ChooserKernels PlainChooserKernels() { return ChooserKernels{MaskPixels, WeightPixels, MaskRow, WeightRow, Measure}; }

}  // namespace orv
