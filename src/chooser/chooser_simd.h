// The chooser's vector row loops, written once for every SIMD level as templates over the level's
// primitives S: kLanes 32-bit lanes (I integers, F floats, M a choice per lane) and the operations
// each level's file defines (chooser_kernels_<level>.cpp). The rules themselves are those of
// chooser_rules.h, here over VectorLane<S>.
//
// Every lane computes what the plain loop computes for its pixel, with the same operations in the
// same precision: integer arithmetic that cannot wrap for a chooser that ChooserKernelsApply
// accepts, single-precision operations where the plain loop uses them, double precision where it
// does. Each entry that cannot be exact for a chooser runs the plain entry instead.
//
// A level's file defines ORV_CHOOSER_TARGET (its instructions, as the target attribute names them)
// and includes this header: the templates below are compiled for those instructions, and the file
// opens the same region (ORV_TARGET_BEGIN) around its primitives.
#ifndef ORV_CHOOSER_CHOOSER_SIMD_H
#define ORV_CHOOSER_CHOOSER_SIMD_H

#include <cstdint>
#include <cstring>

#include "chooser/chooser_kernels.h"
#include "chooser/measures.h"
#include "numeric/arctan_table.h"

// A region of functions compiled for the instructions `isa` names ("avx2", ...); clang takes the
// target as a function attribute over the same region.
#define ORV_PRAGMA(...) _Pragma(#__VA_ARGS__)
#if defined(__clang__)
#define ORV_TARGET_BEGIN(isa) ORV_PRAGMA(clang attribute push(__attribute__((target(isa))), apply_to = function))
#define ORV_TARGET_END() ORV_PRAGMA(clang attribute pop)
#else
#define ORV_TARGET_BEGIN(isa) ORV_PRAGMA(GCC push_options) ORV_PRAGMA(GCC target(isa))
#define ORV_TARGET_END() ORV_PRAGMA(GCC pop_options)
#endif

ORV_TARGET_BEGIN(ORV_CHOOSER_TARGET)

#include "chooser/chooser_rules.h"

namespace orv {

// The lane type of chooser_rules.h for the primitives S.
template <class S>
struct VectorLane : S {
    using I = typename S::I;
    using F = typename S::F;
    using M = typename S::M;
    static I As(I, int32_t v) { return S::Splat(v); }
    static F As(F, int32_t v) { return S::SplatF(static_cast<float>(v)); }
    static M Gt(I a, I b) { return S::Gt(a, b); }
    static M Gt(F a, F b) { return S::GtF(a, b); }
    static M Ge(I a, I b) { return S::MNot(S::Gt(b, a)); }
    static M Ge(F a, F b) { return S::GeF(a, b); }
    static M Lt(I a, I b) { return Gt(b, a); }
    static M Lt(F a, F b) { return Gt(b, a); }
    static M Le(I a, I b) { return Ge(b, a); }
    static M Le(F a, F b) { return Ge(b, a); }
    static I RampArgument(I v) { return v; }
    static I RampArgument(F d) { return S::Trunc(d); }

    // (n x 256) / blend truncated toward zero. |n| x 256 is below 2^22 in every lane that keeps its
    // result, and the quotient formed in single precision is then within one of the truth; one
    // correction, made exactly in floats, fixes it.
    struct Ramp {
        F divisor, reciprocal;
        explicit Ramp(int32_t blend)
            : divisor(S::SplatF(static_cast<float>(blend))),
              reciprocal(S::SplatF(blend > 0 ? 1.0f / static_cast<float>(blend) : 0.0f)) {}
        I operator()(I n) const {
            const I magnitude = S::template Shl<8>(S::Abs(n));
            const F m = S::ToFloat(magnitude);
            I q = S::Trunc(S::MulF(m, reciprocal));
            const F rest = S::SubF(m, S::MulF(S::ToFloat(q), divisor));
            q = S::Select(S::GtF(S::SplatF(0.0f), rest), S::Sub(q, S::Splat(1)), q);
            q = S::Select(S::GeF(rest, divisor), S::Add(q, S::Splat(1)), q);
            return S::Select(S::Gt(S::Splat(0), n), S::Sub(S::Splat(0), q), q);
        }
    };

    // For v in 0..360: v - base brought into 0..359; a negative v - start that is a multiple of 360
    // gives 360, as WrapDegrees does.
    static I CircleOffset(I v, I start, I base) {
        I r = S::Sub(v, base);
        r = S::Select(S::Gt(S::Splat(0), r), S::Add(r, S::Splat(360)), r);
        r = S::Select(S::Gt(r, S::Splat(359)), S::Sub(r, S::Splat(360)), r);
        const M negativeMultiple = S::MAnd(S::Eq(r, S::Splat(0)), S::Gt(start, v));
        return S::Select(negativeMultiple, S::Splat(360), r);
    }
};

// The table entries of the level whose primitives are S (its Override).
template <class S>
struct SimdChooser {
    using L = VectorLane<S>;
    using I = typename S::I;
    using F = typename S::F;
    using M = typename S::M;
    static constexpr int32_t N = S::kLanes;

    // ---- per-pixel measures

    static I Red(I p) { return S::And(S::template Srl<8>(p), S::Splat(0xFF)); }
    static I Green(I p) { return S::And(S::template Srl<16>(p), S::Splat(0xFF)); }
    static I Blue(I p) { return S::template Srl<24>(p); }
    static I Alpha(I p) { return S::And(p, S::Splat(0xFF)); }

    // 77 R + 150 G + 29 B by 16-bit multiply-adds: the words (alpha, green) and (red, blue) of each pixel.
    static I LumaSum(I p) {
        const I evenBytes = S::And(p, S::Splat(0x00FF00FF));
        const I oddBytes = S::And(S::template Srl<8>(p), S::Splat(0x00FF00FF));
        return S::Add(S::Madd(evenBytes, S::Splat(150 << 16)), S::Madd(oddBytes, S::Splat(29 << 16 | 77)));
    }

    static I MaxRgb(I p) { return S::Max(Red(p), S::Max(Green(p), Blue(p))); }
    static I MinRgb(I p) { return S::Min(Red(p), S::Min(Green(p), Blue(p))); }

    static I LightnessOf(I p) { return S::template Srl<1>(S::Add(MaxRgb(p), MinRgb(p))); }

    // delta / divisor as one single-precision division, which rounds as the plain loop's double
    // division rounded to single precision does (a double holds more than twice a float's digits).
    // Then x 255 truncated: the plain loop takes the exact product; the product rounded to single
    // precision truncates to the same integer for every pair of maximum and minimum (the test over
    // every colour holds this), so one single-precision multiply serves.
    static I SaturationOf(I p) {
        const I mx = MaxRgb(p), mn = MinRgb(p);
        const I sum = S::Add(mx, mn);
        const I divisor = S::Select(S::Gt(sum, S::Splat(255)), S::Sub(S::Splat(510), sum), sum);
        const F s = S::DivF(S::ToFloat(S::Sub(mx, mn)), S::ToFloat(S::Max(divisor, S::Splat(1))));
        return S::Select(S::Eq(mx, mn), S::Splat(0), S::Trunc(S::MulF(s, S::SplatF(255.0f))));
    }

    // The sector position with its +2 or +4 folded into the numerator: (b - r + 2 delta) / delta is the
    // exact value the plain loop forms in double before rounding to single precision, and it lies too
    // far from any halfway point between floats for the double step to matter, so one single-precision
    // division rounds it the same. Then x 60 in single precision, truncated.
    static I HueOf(I p) {
        const I r = Red(p), g = Green(p), b = Blue(p);
        const I mx = S::Max(r, S::Max(g, b)), mn = S::Min(r, S::Min(g, b));
        const I delta = S::Sub(mx, mn);
        const I twice = S::Add(delta, delta);
        const I numerator = S::Select(S::Eq(r, mx), S::Sub(g, b),
                                      S::Select(S::Eq(g, mx), S::Add(S::Sub(b, r), twice),
                                                S::Add(S::Sub(r, g), S::Add(twice, twice))));
        const F h = S::DivF(S::ToFloat(numerator), S::ToFloat(S::Max(delta, S::Splat(1))));
        I v = S::Trunc(S::MulF(h, S::SplatF(60.0f)));
        v = S::Select(S::Gt(S::Splat(0), v), S::Add(v, S::Splat(360)), v);
        return S::Select(S::Eq(mx, mn), S::Splat(0), v);
    }

    // |C.R - R| + |C.G - G| + |C.B - B| / 3; x / 3 = (x 171) >> 9 for x in 0..255.
    static I DistanceOf(I p, I cr, I cg, I cb) {
        const I blue = S::template Srl<9>(S::Madd(S::Abs(S::Sub(cb, Blue(p))), S::Splat(171)));
        return S::Add(S::Add(S::Abs(S::Sub(cr, Red(p))), S::Abs(S::Sub(cg, Green(p)))), blue);
    }

    // ---- row walks

    // Full groups of N straight from the row; the last pixels through a zero-padded copy.
    template <typename Value, typename Rule>
    static void MaskPixelsWith(const PF_Pixel *row, uint8_t *mask, int32_t count, Value value, Rule rule) {
        int32_t x = 0;
        for (; x + N <= count; x += N) S::StoreMask(mask + x, rule(value(S::Load(row + x))));
        if (x < count) {
            const int32_t left = count - x;
            PF_Pixel in[N] = {};
            uint8_t out[N];
            std::memcpy(in, row + x, sizeof(PF_Pixel) * left);
            S::StoreMask(out, rule(value(S::Load(in))));
            std::memcpy(mask + x, out, left);
        }
    }

    template <typename Value, typename Rule>
    static void WeighPixelsWith(const PF_Pixel *row, int32_t *weights, int32_t count, Value value, Rule rule) {
        int32_t x = 0;
        for (; x + N <= count; x += N) S::StoreInts(weights + x, rule(value(S::Load(row + x))));
        if (x < count) {
            const int32_t left = count - x;
            PF_Pixel in[N] = {};
            int32_t out[N];
            std::memcpy(in, row + x, sizeof(PF_Pixel) * left);
            S::StoreInts(out, rule(value(S::Load(in))));
            std::memcpy(weights + x, out, sizeof(int32_t) * left);
        }
    }

    // Geometric rows: the value of columns from .. count - 1, N at a time.
    template <typename Value, typename Rule>
    static void MaskColumnsWith(uint8_t *mask, int32_t from, int32_t count, const Value &value, const Rule &rule) {
        const I lanes = S::Iota();
        int32_t x = from;
        for (; x + N <= count; x += N) S::StoreMask(mask + x, rule(value(S::Add(S::Splat(x), lanes))));
        if (x < count) {
            uint8_t out[N];
            S::StoreMask(out, rule(value(S::Add(S::Splat(x), lanes))));
            std::memcpy(mask + x, out, count - x);
        }
    }

    template <typename Value, typename Rule>
    static void WeighColumnsWith(int32_t *weights, int32_t from, int32_t count, const Value &value, const Rule &rule) {
        const I lanes = S::Iota();
        int32_t x = from;
        for (; x + N <= count; x += N) S::StoreInts(weights + x, rule(value(S::Add(S::Splat(x), lanes))));
        if (x < count) {
            int32_t out[N];
            S::StoreInts(out, rule(value(S::Add(S::Splat(x), lanes))));
            std::memcpy(weights + x, out, sizeof(int32_t) * (count - x));
        }
    }

    // Geometric rows in blocks of kBlock columns, N blocks at a time. Within one piece of a row (the
    // value's Sample names it: one number over one interval of columns) the value is monotone in x, and
    // the rule's output depends on the value only through its key, whose parts are monotone in the
    // value too. So a block whose first and last columns share piece and key has one output
    // throughout: it is formed once, at the first column. The other blocks are formed column by column.
    static constexpr int32_t kBlock = 4 * N;

    // Lane k: x + kBlock k.
    static I BlockStarts(int32_t x) {
        I starts = S::Iota();
        for (int32_t k = 1; k < kBlock; k *= 2) starts = S::Add(starts, starts);
        return S::Add(S::Splat(x), starts);
    }

    // Which of the N blocks from x have one output, and the output at each one's first column.
    template <typename Value, typename Rule>
    static auto UniformBlocks(const Value &value, const Rule &rule, int32_t x, M *uniform) {
        const I starts = BlockStarts(x), ends = S::Add(starts, S::Splat(kBlock - 1));
        I firstPiece, lastPiece;
        const auto first = value.Sample(starts, &firstPiece), last = value.Sample(ends, &lastPiece);
        const Key<L> a = rule.KeyOf(first), b = rule.KeyOf(last);
        *uniform = S::MAnd(S::Eq(firstPiece, lastPiece), S::MAnd(S::Eq(a.bits, b.bits), S::Eq(a.argument, b.argument)));
        return rule(first);
    }

    template <typename Value, typename Rule>
    static void MaskRunsWith(uint8_t *mask, int32_t count, const Value &value, const Rule &rule) {
        for (int32_t x = 0; x < count; x += N * kBlock) {
            M same;
            uint8_t uniform[N], first[N];
            S::StoreMask(first, UniformBlocks(value, rule, x, &same));
            S::StoreMask(uniform, same);
            for (int32_t k = 0; k < N; ++k) {
                const int32_t at = x + kBlock * k;
                if (at >= count) break;
                if (uniform[k] && at + kBlock <= count)
                    std::memset(mask + at, first[k], kBlock);
                else
                    MaskColumnsWith(mask, at, IMin(at + kBlock, count), value, rule);
            }
        }
    }

    template <typename Value, typename Rule>
    static void WeighRunsWith(int32_t *weights, int32_t count, const Value &value, const Rule &rule) {
        for (int32_t x = 0; x < count; x += N * kBlock) {
            M same;
            uint8_t uniform[N];
            int32_t first[N];
            S::StoreInts(first, UniformBlocks(value, rule, x, &same));
            S::StoreMask(uniform, same);
            for (int32_t k = 0; k < N; ++k) {
                const int32_t at = x + kBlock * k;
                if (at >= count) break;
                if (uniform[k] && at + kBlock <= count) {
                    const I w = S::Splat(first[k]);
                    for (int32_t i = 0; i < kBlock; i += N) S::StoreInts(weights + at + i, w);
                } else {
                    WeighColumnsWith(weights, at, IMin(at + kBlock, count), value, rule);
                }
            }
        }
    }

    // The values of the measured modes (the hard Luma test compares the unshifted sum, the soft one the
    // shifted value). Function objects, not lambdas: a lambda's generated helpers would not be compiled
    // for this file's instructions.
    struct LumaSumValue {
        I operator()(I p) const { return LumaSum(p); }
    };
    struct LumaValue {
        I operator()(I p) const { return S::template Srl<8>(LumaSum(p)); }
    };
    struct RedValue {
        I operator()(I p) const { return Red(p); }
    };
    struct GreenValue {
        I operator()(I p) const { return Green(p); }
    };
    struct BlueValue {
        I operator()(I p) const { return Blue(p); }
    };
    struct AlphaValue {
        I operator()(I p) const { return Alpha(p); }
    };
    struct SaturationValue {
        I operator()(I p) const { return SaturationOf(p); }
    };
    struct HueValue {
        I operator()(I p) const { return HueOf(p); }
    };
    struct LightnessValue {
        I operator()(I p) const { return LightnessOf(p); }
    };
    struct DistanceValue {
        I red, green, blue;
        explicit DistanceValue(PF_Pixel c) : red(S::Splat(c.red)), green(S::Splat(c.green)), blue(S::Splat(c.blue)) {}
        I operator()(I p) const { return DistanceOf(p, red, green, blue); }
    };
    struct SameValue {
        I operator()(I v) const { return v; }
    };

    // Row walkers: pixels of a source row, or the column numbers of row y.
    struct PixelWalk {
        using Lane = L;
        const PF_Pixel *row;
        int32_t count;
        template <typename Value, typename Rule>
        void Mask(uint8_t *mask, Value value, Rule rule) const { MaskPixelsWith(row, mask, count, value, rule); }
        template <typename Value, typename Rule>
        void Weigh(int32_t *weights, Value value, Rule rule) const {
            WeighPixelsWith(row, weights, count, value, rule);
        }
    };
    struct ColumnWalk {
        using Lane = L;
        int32_t count;
        template <typename Value, typename Rule>
        void Mask(uint8_t *mask, Value value, Rule rule) const { MaskRunsWith(mask, count, value, rule); }
        template <typename Value, typename Rule>
        void Weigh(int32_t *weights, Value value, Rule rule) const { WeighRunsWith(weights, count, value, rule); }
    };

    // The chooser's table of a rule's outputs for the values 0..511, and the numbers of the runs of
    // equal outputs in it: formed on first use, then kept (the rule is fixed for the chooser's life).
    template <bool Hard, typename Rule>
    static const uint16_t *RuleTable(const ChooserState &c, const Rule &rule, const uint16_t **runs = nullptr) {
        ChooserTables &t = c.tables;
        uint16_t *outputs = Hard ? t.masks : t.weights;
        uint16_t *numbers = Hard ? t.maskRuns : t.weightRuns;
        const uint8_t formed = Hard ? ChooserTables::kMasks : ChooserTables::kWeights;
        if (!(t.have & formed)) {
            int32_t all[ChooserTables::kEntries];
            for (int32_t v = 0; v < ChooserTables::kEntries; v += N) {
                const I values = S::Add(S::Splat(v), S::Iota());
                if constexpr (Hard)
                    S::StoreInts(all + v, Bit<L>(rule(values), 1));
                else
                    S::StoreInts(all + v, rule(values));
            }
            uint16_t run = 0;
            for (int32_t v = 0; v < ChooserTables::kEntries; ++v) {
                outputs[v] = static_cast<uint16_t>(all[v]);
                if (v > 0 && all[v] != all[v - 1]) ++run;
                numbers[v] = run;
            }
            outputs[ChooserTables::kEntries] = outputs[ChooserTables::kEntries + 1] = 0;
            numbers[ChooserTables::kEntries] = numbers[ChooserTables::kEntries + 1] = 0;
            t.have = static_cast<uint8_t>(t.have | formed);
        }
        if (runs) *runs = numbers;
        return outputs;
    }

    // A rule through the chooser's table of its outputs (Entries of them looked up, 256 or 512), with
    // the run numbers as the key for the geometric row walk.
    template <int32_t Entries, bool Hard>
    struct TableRule {
        typename S::template Table<Entries> outputs, runs;
        auto operator()(I v) const {
            if constexpr (Hard)
                return S::Gt(outputs.Lookup(v), S::Splat(0));
            else
                return outputs.Lookup(v);
        }
        Key<L> KeyOf(I v) const { return MakeKey<L>(runs.Lookup(v)); }
    };

    template <int32_t Entries, bool Hard, typename Rule>
    static TableRule<Entries, Hard> ByTable(const ChooserState &c, const Rule &rule) {
        const uint16_t *runs;
        const uint16_t *outputs = RuleTable<Hard>(c, rule, &runs);
        return TableRule<Entries, Hard>{typename S::template Table<Entries>(outputs),
                                        typename S::template Table<Entries>(runs)};
    }

    // Soft weights of a value that takes few values (0 .. Entries - 1): looked up in the chooser's
    // table of the rule's outputs.
    template <int32_t Entries>
    struct TablePixelWalk {
        using Lane = L;
        const ChooserState &c;
        const PF_Pixel *row;
        int32_t count;
        template <typename Value, typename Rule>
        void Weigh(int32_t *weights, Value value, Rule rule) const {
            WeighPixelsWith(row, weights, count, value, ByTable<Entries, false>(c, rule));
        }
    };

    static void MaskPixels(const ChooserState &c, const PF_Pixel *row, uint8_t *mask, int32_t count) {
        if (!ChooserKernelsApply(c)) return PlainChooserKernels().maskPixels(c, row, mask, count);
        const PixelWalk walk{row, count};
        const I start = S::Splat(c.start), end = S::Splat(c.end);
        switch (c.settings.mode) {
            case kChooseLuma:
                MaskByKind(walk, mask, c.kind, S::Splat(c.start256), S::Splat(c.end256), LumaSumValue{});
                break;
            case kChooseRed: MaskByKind(walk, mask, c.kind, start, end, RedValue{}); break;
            case kChooseGreen: MaskByKind(walk, mask, c.kind, start, end, GreenValue{}); break;
            case kChooseBlue: MaskByKind(walk, mask, c.kind, start, end, BlueValue{}); break;
            case kChooseAlpha: MaskByKind(walk, mask, c.kind, start, end, AlphaValue{}); break;
            case kChooseSaturation: MaskByKind(walk, mask, c.kind, start, end, SaturationValue{}); break;
            case kChooseHue: MaskByAngle(walk, mask, c, HueValue{}); break;
            case kChooseLightness: MaskByKind(walk, mask, c.kind, start, end, LightnessValue{}); break;
            case kChooseRgbDiff: MaskByKind(walk, mask, c.kind, start, end, DistanceValue(c.settings.color)); break;
            default: break;
        }
    }

    // RGB Diff (0..595) through the 512-entry table when every bound of the range lies below 511: every
    // test then answers for a value above 511 as for 511 itself, and no ramp reaches that far.
    static bool BelowTableEnd(const ChooserState &c) {
        const int32_t bounds[] = {c.start, c.end, c.mid, c.startPlus, c.startMinus, c.endPlus, c.endMinus};
        for (int32_t b : bounds)
            if (b >= 511) return false;
        return true;
    }

    template <typename Value>
    struct ClampedValue {
        Value value;
        I operator()(I p) const { return S::Min(value(p), S::Splat(511)); }
    };

    // Values 0..255 (and Hue's 0..359, RGB Diff's 0..595 mostly) are weighed through a table.
    static void WeightPixels(const ChooserState &c, const PF_Pixel *row, int32_t *weights, int32_t count) {
        if (!ChooserKernelsApply(c)) return PlainChooserKernels().weightPixels(c, row, weights, count);
        const TablePixelWalk<256> bytes{c, row, count};
        switch (c.settings.mode) {
            case kChooseLuma: WeighByKind<I>(bytes, weights, c, LumaValue{}); break;
            case kChooseRed: WeighByKind<I>(bytes, weights, c, RedValue{}); break;
            case kChooseGreen: WeighByKind<I>(bytes, weights, c, GreenValue{}); break;
            case kChooseBlue: WeighByKind<I>(bytes, weights, c, BlueValue{}); break;
            case kChooseAlpha: WeighByKind<I>(bytes, weights, c, AlphaValue{}); break;
            case kChooseSaturation: WeighByKind<I>(bytes, weights, c, SaturationValue{}); break;
            case kChooseHue: WeighByAngle(TablePixelWalk<512>{c, row, count}, weights, c, HueValue{}); break;
            case kChooseLightness: WeighByKind<I>(bytes, weights, c, LightnessValue{}); break;
            case kChooseRgbDiff:
                if (BelowTableEnd(c))
                    WeighByKind<I>(TablePixelWalk<512>{c, row, count}, weights, c,
                                   ClampedValue<DistanceValue>{DistanceValue(c.settings.color)});
                else
                    WeighByKind<I>(PixelWalk{row, count}, weights, c, DistanceValue(c.settings.color));
                break;
            default: break;
        }
    }

    // The arctangent samples (below 65536) as a table of the level, kept by the chooser.
    using Samples = typename S::template Table<512>;

    static Samples SamplesOf(const ChooserState &c) {
        ChooserTables &t = c.tables;
        if (!(t.have & ChooserTables::kSamples)) {
            for (int32_t i = 0; i < ChooserTables::kEntries + 2; ++i)
                t.samples[i] = static_cast<uint16_t>(i <= FunctionTable::kIntervals ? ArcTanTable.samples[i] : 0);
            t.have = static_cast<uint8_t>(t.have | ChooserTables::kSamples);
        }
        return Samples(t.samples);
    }

    // The table arctangent of TableAtan2, lane by lane: the ratio of the smaller to the larger
    // magnitude, its 16.16 fractional index, the interpolation in integers, then the quadrant. Also
    // tells which lanes looked up exactly 0 (`zero`).
    static F TableAtan2Of(const Samples &samples, F y, F x, M *zero = nullptr) {
        const F ay = S::AbsF(y), ax = S::AbsF(x);
        const M steep = S::GtF(ay, ax);
        const M flat = S::MAnd(S::MNot(steep), S::GtF(ax, S::SplatF(0.0f)));
        F ratio = S::DivF(S::SelectF(steep, ax, ay), S::SelectF(steep, ay, ax));
        ratio = S::SelectF(S::MOr(steep, flat), ratio, S::SplatF(0.0f));  // (0, 0) reads sample 0, unused
        const F u = S::MulF(S::AddF(ratio, S::SplatF(ArcTanTable.offset)), S::SplatF(ArcTanTable.scale));
        const I f = S::Trunc(S::MulF(u, S::SplatF(65536.0f)));
        const I index = S::Min(S::template Srl<16>(f), S::Splat(FunctionTable::kIntervals));
        const I weight = S::And(S::template Srl<8>(f), S::Splat(0xFF));
        const I next = S::Min(S::Add(index, S::Splat(1)), S::Splat(FunctionTable::kIntervals));
        const I low = samples.Lookup(index), high = samples.Lookup(next);
        const I mixed =
            S::template Sra<8>(S::Add(S::MulLo(low, S::Sub(S::Splat(256), weight)), S::MulLo(high, weight)));
        if (zero) *zero = S::Eq(mixed, S::Splat(0));
        // Division by 65536 is exact, and so is multiplication by its reciprocal.
        const F looked = S::MulF(S::ToFloat(mixed), S::SplatF(1.0f / 65536.0f));
        F r = S::SelectF(steep, S::SubF(S::SplatF(1.5707964f), looked), S::SelectF(flat, looked, S::SplatF(0.0f)));
        r = S::SelectF(S::MNot(S::GeF(x, S::SplatF(0.0f))), S::SubF(S::SplatF(3.1415927f), r), r);
        return S::SelectF(S::MNot(S::GeF(y, S::SplatF(0.0f))), S::SubF(S::SplatF(0.0f), r), r);
    }

    struct AngleValue {
        Samples samples;
        F centerX, dy;
        F Offset(I x) const { return S::ToFloat(S::Trunc(S::SubF(S::ToFloat(x), centerX))); }
        static I Degrees(F radians) {
            F degrees = S::MulF(radians, S::SplatF(57.295776f));
            degrees = S::SelectF(S::GtF(S::SplatF(0.0f), degrees), S::AddF(degrees, S::SplatF(360.0f)), degrees);
            return S::Trunc(degrees);
        }
        I operator()(I x) const { return Degrees(TableAtan2Of(samples, dy, Offset(x))); }
        // The angle is monotone in x while the offset keeps its sign, the branch of TableAtan2 (steep or
        // flat) stays, and the looked-up arctangent stays non-zero or zero (a zero below the centre
        // gives -0 radians, 0 degrees, where its neighbours give nearly 360).
        I Sample(I x, I *piece) const {
            const F dx = Offset(x);
            M zero;
            const I v = Degrees(TableAtan2Of(samples, dy, dx, &zero));
            *piece = S::Add(S::Add(Bit<L>(S::GeF(dx, S::SplatF(0.0f)), 1), Bit<L>(S::GtF(S::AbsF(dy), S::AbsF(dx)), 2)),
                            Bit<L>(zero, 4));
            return v;
        }
    };

    static AngleValue AnglesOf(const ChooserState &c, int32_t y) {
        return AngleValue{SamplesOf(c), S::SplatF(c.settings.centerX),
                          S::SplatF(static_cast<float>(AngleRowOffset<L>(c, y)))};
    }

    // Angle's rules through the chooser's tables of their outputs, the numbered runs as the key.
    struct AngleWalk {
        using Lane = L;
        const ChooserState &c;
        int32_t count;
        template <typename Value, typename Rule>
        void Mask(uint8_t *mask, Value value, Rule rule) const {
            MaskRunsWith(mask, count, value, ByTable<512, true>(c, rule));
        }
        template <typename Value, typename Rule>
        void Weigh(int32_t *weights, Value value, Rule rule) const {
            WeighRunsWith(weights, count, value, ByTable<512, false>(c, rule));
        }
    };

    static void MaskRow(const ChooserState &c, int32_t y, uint8_t *mask, int32_t count) {
        if (!ChooserKernelsApply(c)) return PlainChooserKernels().maskRow(c, y, mask, count);
        if (c.settings.mode == kChooseAngle)
            MaskByAngle(AngleWalk{c, count}, mask, c, AnglesOf(c, y));
        else
            WithDistances<L, false>(c, y, MaskDistances<ColumnWalk>{ColumnWalk{count}, c, mask});
    }

    static void WeightRow(const ChooserState &c, int32_t y, int32_t *weights, int32_t count) {
        if (!ChooserKernelsApply(c)) return PlainChooserKernels().weightRow(c, y, weights, count);
        if (c.settings.mode == kChooseAngle)
            WeighByAngle(AngleWalk{c, count}, weights, c, AnglesOf(c, y));
        else
            WithDistances<L, true>(c, y, WeighDistances<ColumnWalk>{ColumnWalk{count}, c, weights});
    }

    static void Measure(int32_t mode, PF_Pixel color, const PF_Pixel *row, int32_t *values, int32_t count) {
        switch (mode) {
            case kChooseLuma: WeighPixelsWith(row, values, count, LumaSumValue{}, SameValue{}); break;
            case kChooseRed: WeighPixelsWith(row, values, count, RedValue{}, SameValue{}); break;
            case kChooseGreen: WeighPixelsWith(row, values, count, GreenValue{}, SameValue{}); break;
            case kChooseBlue: WeighPixelsWith(row, values, count, BlueValue{}, SameValue{}); break;
            case kChooseAlpha: WeighPixelsWith(row, values, count, AlphaValue{}, SameValue{}); break;
            case kChooseSaturation: WeighPixelsWith(row, values, count, SaturationValue{}, SameValue{}); break;
            case kChooseHue: WeighPixelsWith(row, values, count, HueValue{}, SameValue{}); break;
            case kChooseLightness: WeighPixelsWith(row, values, count, LightnessValue{}, SameValue{}); break;
            case kChooseRgbDiff: WeighPixelsWith(row, values, count, DistanceValue(color), SameValue{}); break;
            default: break;
        }
    }

    // Every entry of the table is replaced.
    static void Override(ChooserKernels &k) {
        k = ChooserKernels{MaskPixels, WeightPixels, MaskRow, WeightRow, Measure};
    }
};

}  // namespace orv

ORV_TARGET_END()

#endif
