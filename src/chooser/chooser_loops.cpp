// The chooser's row operations. Each picks its case (mode, range kind, squeeze) once per row and
// then runs the one row loop, FillRow, with the per-pixel value and test passed in as function
// objects, so no loop is written twice and no inner loop tests the mode.
#include <cmath>

#include "chooser/chooser_kernels.h"
#include "chooser/measures.h"
#include "chooser/pixel_chooser.h"
#include "numeric/arctan_table.h"
#include "support/simd_level.h"

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

// What the geometric modes need of the chooser.
struct Geometry {
    int32_t mode;
    float centerX, centerY, factor;
    bool doubleY, squeezeX, squeezeY;
    int32_t width, height;
};

// Rectangle, Point and Edge: computes the row's vertical term once and calls use(distance), where
// distance(x) is the value compared with the range (hard Point: the squared distance).
template <bool Root, typename Use>
void WithDistances(const Geometry &g, int32_t y, Use use) {
    switch (g.mode) {
        case kChooseRectangle: {
            float dy = FAbs(static_cast<float>(y) - g.centerY);
            if (g.doubleY) dy = dy * 2.0f;
            if (g.squeezeY) dy = dy * g.factor;
            if (g.squeezeX)
                use(RectangleDistance<true>{g.centerX, dy, g.factor});
            else
                use(RectangleDistance<false>{g.centerX, dy, g.factor});
            break;
        }
        case kChoosePoint: {
            float dy = static_cast<float>(y) - g.centerY;
            if (g.doubleY) dy = dy * 2.0f;
            if (g.squeezeY) dy = dy * g.factor;
            const double dySquared = static_cast<double>(dy) * dy;
            if (g.squeezeX)
                use(PointDistance<true, Root>{g.centerX, dySquared, g.factor});
            else
                use(PointDistance<false, Root>{g.centerX, dySquared, g.factor});
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

AngleOf AnglesOfRow(const Geometry &g, int32_t y) {
    float dy = static_cast<float>(y) - g.centerY;
    if (g.doubleY) dy = dy * 2.0f;
    return AngleOf{g.centerX, TruncToInt32(dy)};
}

// The vector row loops of the level in force, or null.
const ChooserKernels *Kernels() { return ChooserKernelsFor(ActiveSimdLevel()); }

}  // namespace

ChooserRow PixelChooser::RowState() const {
    ChooserRow r;
    r.mode = mode, r.kind = rangeKind;
    r.start = start, r.end = end, r.mid = mid;
    r.startPlus = startPlus, r.startMinus = startMinus, r.endPlus = endPlus, r.endMinus = endMinus;
    r.start256 = start256, r.end256 = end256, r.startSq = startSq, r.endSq = endSq;
    r.blend = blend, r.span = span, r.midOffset = midOffset;
    r.endPlusOffset = endPlusOffset, r.endMinusOffset = endMinusOffset;
    r.color = color;
    r.centerX = centerX, r.centerY = centerY, r.stretchFactor = stretchFactor;
    r.doubleY = chooserOption != 0, r.squeezeX = squeezeX != 0, r.squeezeY = squeezeY != 0;
    r.width = width, r.height = height;
    r.tables = &tables;
    return r;
}

void PixelChooser::MaskPixels(const PF_Pixel *row) {
    if (!valid || !measured || !row) return;
    const int32_t count = width > 0 ? width : 0;
    if (const ChooserKernels *k = Kernels())
        if (k->maskPixels(RowState(), row, mask, count)) return;
    const AngleRange angles{start, span, blend, midOffset, endPlusOffset, endMinusOffset};
    const auto Mask = [&](int32_t low, int32_t high, auto values) {
        MaskByKind(mask, count, rangeKind, low, high, values);
    };
    switch (mode) {
        case kChooseLuma: Mask(start256, end256, Pixels(row, LumaSum{})); break;
        case kChooseRed: Mask(start, end, Pixels(row, RedOf{})); break;
        case kChooseGreen: Mask(start, end, Pixels(row, GreenOf{})); break;
        case kChooseBlue: Mask(start, end, Pixels(row, BlueOf{})); break;
        case kChooseAlpha: Mask(start, end, Pixels(row, AlphaOf{})); break;
        case kChooseSaturation: Mask(start, end, Pixels(row, SaturationOf{})); break;
        case kChooseHue: MaskByAngle(mask, count, rangeKind, angles, Pixels(row, HueOf{})); break;
        case kChooseLightness: Mask(start, end, Pixels(row, LightnessOf{})); break;
        case kChooseRgbDiff: Mask(start, end, Pixels(row, DistanceFrom{color})); break;
        default: break;
    }
}

// Luma and the channel bytes are already 0..255 (their low 8 bits); Saturation, Lightness and the
// colour distance (up to 595) are compared whole.
void PixelChooser::WeightPixels(const PF_Pixel *row) {
    if (!valid || !measured || !row) return;
    const int32_t count = width > 0 ? width : 0;
    if (const ChooserKernels *k = Kernels())
        if (k->weightPixels(RowState(), row, weights, count)) return;
    const Range<int32_t> range{start, end, mid, startPlus, startMinus, endPlus, endMinus};
    const AngleRange angles{start, span, blend, midOffset, endPlusOffset, endMinusOffset};
    const auto Weigh = [&](auto values) { WeighByKind<int32_t>(weights, count, rangeKind, range, values); };
    switch (mode) {
        case kChooseLuma: Weigh(Pixels(row, LumaByte{})); break;
        case kChooseRed: Weigh(Pixels(row, RedOf{})); break;
        case kChooseGreen: Weigh(Pixels(row, GreenOf{})); break;
        case kChooseBlue: Weigh(Pixels(row, BlueOf{})); break;
        case kChooseAlpha: Weigh(Pixels(row, AlphaOf{})); break;
        case kChooseSaturation: Weigh(Pixels(row, SaturationOf{})); break;
        case kChooseHue: WeighByAngle(weights, count, rangeKind, angles, Pixels(row, HueOf{})); break;
        case kChooseLightness: Weigh(Pixels(row, LightnessOf{})); break;
        case kChooseRgbDiff: Weigh(Pixels(row, DistanceFrom{color})); break;
        default: break;
    }
}

void PixelChooser::MaskRow(int32_t y) {
    if (!valid || !geometric) return;
    const int32_t count = width > 0 ? width : 0;
    if (const ChooserKernels *k = Kernels())
        if (k->maskRow(RowState(), y, mask, count)) return;
    const AngleRange angles{start, span, blend, midOffset, endPlusOffset, endMinusOffset};
    const Geometry g{mode, centerX, centerY, stretchFactor, chooserOption != 0, squeezeX != 0, squeezeY != 0,
                     width, height};
    if (mode == kChooseAngle) {
        MaskByAngle(mask, count, rangeKind, angles, AnglesOfRow(g, y));
        return;
    }
    // Hard Point compares squares, the others distances; always as floats.
    const float low = static_cast<float>(mode == kChoosePoint ? startSq : start);
    const float high = static_cast<float>(mode == kChoosePoint ? endSq : end);
    WithDistances<false>(g, y, [&](auto distance) { MaskByKind(mask, count, rangeKind, low, high, distance); });
}

void PixelChooser::WeightRow(int32_t y) {
    if (!valid || !geometric) return;
    const int32_t count = width > 0 ? width : 0;
    if (const ChooserKernels *k = Kernels())
        if (k->weightRow(RowState(), y, weights, count)) return;
    const Range<int32_t> range{start, end, mid, startPlus, startMinus, endPlus, endMinus};
    const AngleRange angles{start, span, blend, midOffset, endPlusOffset, endMinusOffset};
    const Geometry g{mode, centerX, centerY, stretchFactor, chooserOption != 0, squeezeX != 0, squeezeY != 0,
                     width, height};
    if (mode == kChooseAngle) {
        WeighByAngle(weights, count, rangeKind, angles, AnglesOfRow(g, y));
        return;
    }
    WithDistances<true>(g, y, [&](auto distance) {
        WeighByKind<float>(weights, count, rangeKind, range, distance);
    });
}

void PixelChooser::FillWeights() {
    if (!valid) return;
    FillRow(weights, width > 0 ? width : 0, [](int32_t) { return 256; });
}

// (w x k) >> 8 with the product wrapped to 32 bits and the shift arithmetic, as a 32-bit register does.
void PixelChooser::ScaleWeights(int32_t k) {
    if (!valid) return;
    int32_t *w = weights;
    FillRow(w, width > 0 ? width : 0, [w, k](int32_t x) { return ShiftRight8(MulWrap(w[x], k)); });
}

}  // namespace orv
