// The chooser's plain row loops, the first entries of every level's table: the rules of
// chooser_rules.h one pixel at a time. Each entry picks its case (mode, range kind, squeeze) once per
// row and then runs one of two loops, over the pixels of a source row or the columns of a row.
#include <cmath>

#include "chooser/chooser_kernels.h"
#include "chooser/chooser_rules.h"
#include "chooser/measures.h"
#include "numeric/arctan_table.h"

namespace orv {
namespace {

// One pixel: the plain loops' lane (see chooser_rules.h), whose arithmetic is defined for every
// setting: 32-bit values wrap, conversions clamp, a zero blend divides to 0.
struct PlainLane {
    using I = int32_t;
    using F = float;
    using M = bool;
    static I Splat(int32_t v) { return v; }
    static F SplatF(float v) { return v; }
    static I As(I, int32_t v) { return v; }
    static F As(F, int32_t v) { return static_cast<float>(v); }
    static I Add(I a, I b) { return AddWrap(a, b); }
    static I Sub(I a, I b) { return SubWrap(a, b); }
    static I Min(I a, I b) { return IMin(a, b); }
    template <class T>
    static M Gt(T a, T b) { return a > b; }
    template <class T>
    static M Ge(T a, T b) { return a >= b; }
    template <class T>
    static M Lt(T a, T b) { return a < b; }
    template <class T>
    static M Le(T a, T b) { return a <= b; }
    static M Eq(I a, I b) { return a == b; }
    static M MAnd(M a, M b) { return a && b; }
    static M MOr(M a, M b) { return a || b; }
    static M MNot(M a) { return !a; }
    static I Select(M m, I a, I b) { return m ? a : b; }
    static F SelectF(M m, F a, F b) { return m ? a : b; }
    static F ToFloat(I a) { return static_cast<float>(a); }
    static F SubF(F a, F b) { return a - b; }
    static I Trunc(F a) { return TruncToInt32(a); }
    static I RampArgument(I v) { return v; }
    static I RampArgument(F d) { return TruncToInt32(d); }
    static F AbsF(F a) { return FAbs(a); }
    static F MinF(F a, F b) { return FMin(a, b); }
    static F MaxF(F a, F b) { return FMax(a, b); }
    static I TruncTimes(F v, float c) { return TruncToInt32(static_cast<double>(v) * c); }
    static F SquaredSum(F dx, double dySquared) { return static_cast<float>(static_cast<double>(dx) * dx + dySquared); }
    static F SqrtF(F s) { return static_cast<float>(std::sqrt(static_cast<double>(s))); }
    struct Ramp {
        int32_t blend;
        explicit Ramp(int32_t blend_) : blend(blend_) {}
        I operator()(I n) const { return DivWrap(MulWrap(n, 256), blend); }
    };
    static I CircleOffset(I v, I start, I) { return WrapDegrees(SubWrap(v, start)); }
};

// ---- per-pixel values

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

// The direction of column x from the centre, whole degrees.
struct AngleOf {
    float centerX;
    int32_t dy;
    int32_t operator()(int32_t x) const {
        return TruncToInt32(AngleDegrees(dy, TruncToInt32(static_cast<float>(x) - centerX)));
    }
};

// ---- walks

// The pixels of a source row.
struct PixelWalk {
    using Lane = PlainLane;
    const PF_Pixel *row;
    int32_t count;
    template <class Value, class Rule>
    void Mask(uint8_t *mask, Value value, Rule rule) const {
        for (int32_t x = 0; x < count; ++x) mask[x] = rule(value(row[x])) ? 1 : 0;
    }
    template <class Value, class Rule>
    void Weigh(int32_t *weights, Value value, Rule rule) const {
        for (int32_t x = 0; x < count; ++x) weights[x] = rule(value(row[x]));
    }
};

// The column numbers of a row.
struct ColumnWalk {
    using Lane = PlainLane;
    int32_t count;
    template <class Value, class Rule>
    void Mask(uint8_t *mask, Value value, Rule rule) const {
        for (int32_t x = 0; x < count; ++x) mask[x] = rule(value(x)) ? 1 : 0;
    }
    template <class Value, class Rule>
    void Weigh(int32_t *weights, Value value, Rule rule) const {
        for (int32_t x = 0; x < count; ++x) weights[x] = rule(value(x));
    }
};

// ---- entries

void MaskPixels(const ChooserState &c, const PF_Pixel *row, uint8_t *mask, int32_t count) {
    const PixelWalk walk{row, count};
    const auto Mask = [&](int32_t low, int32_t high, auto values) {
        MaskByKind(walk, mask, c.kind, low, high, values);
    };
    switch (c.settings.mode) {
        case kChooseLuma: Mask(c.start256, c.end256, LumaSum{}); break;
        case kChooseRed: Mask(c.start, c.end, RedOf{}); break;
        case kChooseGreen: Mask(c.start, c.end, GreenOf{}); break;
        case kChooseBlue: Mask(c.start, c.end, BlueOf{}); break;
        case kChooseAlpha: Mask(c.start, c.end, AlphaOf{}); break;
        case kChooseSaturation: Mask(c.start, c.end, SaturationOf{}); break;
        case kChooseHue: MaskByAngle(walk, mask, c, HueOf{}); break;
        case kChooseLightness: Mask(c.start, c.end, LightnessOf{}); break;
        case kChooseRgbDiff: Mask(c.start, c.end, DistanceFrom{c.settings.color}); break;
        default: break;
    }
}

// Luma and the channel bytes are already 0..255 (their low 8 bits); Saturation, Lightness and the
// colour distance (up to 595) are compared whole.
void WeightPixels(const ChooserState &c, const PF_Pixel *row, int32_t *weights, int32_t count) {
    const PixelWalk walk{row, count};
    const auto Weigh = [&](auto values) { WeighByKind<int32_t>(walk, weights, c, values); };
    switch (c.settings.mode) {
        case kChooseLuma: Weigh(LumaByte{}); break;
        case kChooseRed: Weigh(RedOf{}); break;
        case kChooseGreen: Weigh(GreenOf{}); break;
        case kChooseBlue: Weigh(BlueOf{}); break;
        case kChooseAlpha: Weigh(AlphaOf{}); break;
        case kChooseSaturation: Weigh(SaturationOf{}); break;
        case kChooseHue: WeighByAngle(walk, weights, c, HueOf{}); break;
        case kChooseLightness: Weigh(LightnessOf{}); break;
        case kChooseRgbDiff: Weigh(DistanceFrom{c.settings.color}); break;
        default: break;
    }
}

void MaskRow(const ChooserState &c, int32_t y, uint8_t *mask, int32_t count) {
    if (c.settings.mode == kChooseAngle)
        MaskByAngle(ColumnWalk{count}, mask, c, AngleOf{c.settings.centerX, AngleRowOffset<PlainLane>(c, y)});
    else
        WithDistances<PlainLane, false>(c, y, MaskDistances<ColumnWalk>{ColumnWalk{count}, c, mask});
}

void WeightRow(const ChooserState &c, int32_t y, int32_t *weights, int32_t count) {
    if (c.settings.mode == kChooseAngle)
        WeighByAngle(ColumnWalk{count}, weights, c, AngleOf{c.settings.centerX, AngleRowOffset<PlainLane>(c, y)});
    else
        WithDistances<PlainLane, true>(c, y, WeighDistances<ColumnWalk>{ColumnWalk{count}, c, weights});
}

// The measure as a rule of its own: the value itself.
struct Same {
    int32_t operator()(int32_t v) const { return v; }
};

void Measure(int32_t mode, PF_Pixel color, const PF_Pixel *row, int32_t *values, int32_t count) {
    const PixelWalk walk{row, count};
    switch (mode) {
        case kChooseLuma: walk.Weigh(values, LumaSum{}, Same{}); break;
        case kChooseRed: walk.Weigh(values, RedOf{}, Same{}); break;
        case kChooseGreen: walk.Weigh(values, GreenOf{}, Same{}); break;
        case kChooseBlue: walk.Weigh(values, BlueOf{}, Same{}); break;
        case kChooseAlpha: walk.Weigh(values, AlphaOf{}, Same{}); break;
        case kChooseSaturation: walk.Weigh(values, SaturationOf{}, Same{}); break;
        case kChooseHue: walk.Weigh(values, HueOf{}, Same{}); break;
        case kChooseLightness: walk.Weigh(values, LightnessOf{}, Same{}); break;
        case kChooseRgbDiff: walk.Weigh(values, DistanceFrom{color}, Same{}); break;
        default: break;
    }
}

}  // namespace

ChooserKernels PlainChooserKernels() { return ChooserKernels{MaskPixels, WeightPixels, MaskRow, WeightRow, Measure}; }

}  // namespace orv
