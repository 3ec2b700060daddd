// The pixel chooser's rules, written once over a lane type L: which values a range chooses (above
// the end, up to it, inside, outside; on the circle for Hue and Angle), the weight ramps, and the
// distances of the geometric modes. The plain loops (chooser_loops.cpp) use a lane of one pixel,
// the vector loops (chooser_simd.h) one of 4, 8 or 16 pixels. A lane's branches are
// selects: each rule computes every candidate and keeps one, in the same precision for every lane.
//
// A lane type provides:
//   I, F, M                      32-bit integers, floats, a choice (true or all ones) per pixel
//   Splat, SplatF, As(I or F, v) v in every pixel, as I, F, or the type of the first argument
//   Add, Sub, Min                32-bit, wrapping
//   Gt, Ge, Lt, Le (I or F), Eq  comparisons; MAnd, MOr, MNot combine choices
//   Select, SelectF              a where chosen, else b
//   ToFloat, Trunc               conversions (Trunc toward zero); RampArgument: I as is, F truncated
//   SubF, AbsF, MinF, MaxF       MinF(a, b) is b when a >= b, MaxF(a, b) b when a <= b (as FMin, FMax)
//   TruncTimes(v, c)             trunc(v x c), the product exact in double
//   SquaredSum(dx, dy2)          float(dx^2 + dy2), summed in double
//   SqrtF                        the square root rounded to float
//   Ramp(blend)(n)               (n x 256) / blend, truncated toward zero
//   CircleOffset(v, start, base) WrapDegrees(v - start), with base = start mod 360 in 0..359
//
// Everything here is a template over the lane: the vector files compile it inside their target
// region, for their instructions, after its includes.
#ifndef ORV_CHOOSER_CHOOSER_RULES_H
#define ORV_CHOOSER_CHOOSER_RULES_H

#include <cstdint>

#include "chooser/chooser_kernels.h"
#include "chooser/measures.h"

namespace orv {

// ---- selection and weights

// The range at a value's scale (T: L::I for measured values, L::F for distances, each compared with
// the integer field converted to float), and the integer fields the ramps use.
template <class L, class T>
struct Bounds {
    T start, end, mid, startPlus, startMinus, endPlus, endMinus;
    typename L::I iStart, iEnd;
    typename L::Ramp ramp;
    explicit Bounds(const ChooserState &c)
        : start(L::As(T{}, c.start)), end(L::As(T{}, c.end)), mid(L::As(T{}, c.mid)),
          startPlus(L::As(T{}, c.startPlus)), startMinus(L::As(T{}, c.startMinus)),
          endPlus(L::As(T{}, c.endPlus)), endMinus(L::As(T{}, c.endMinus)), iStart(L::Splat(c.start)),
          iEnd(L::Splat(c.end)), ramp(c.blend) {}
};

// What a rule's output depends on, for the vector loops' geometric row walk: every comparison the
// rule makes with the range, as bits (each is monotone in the value), and the ramp argument where
// the value ramps (0 elsewhere). Equal keys at two values of a monotone run mean equal outputs
// everywhere between them.
template <class L>
struct Key {
    typename L::I bits, argument;
};

template <class L>
typename L::I Bit(typename L::M m, int32_t bit) {
    return L::Select(m, L::Splat(bit), L::Splat(0));
}
template <class L>
Key<L> MakeKey(typename L::I bits) {
    return Key<L>{bits, L::Splat(0)};
}
template <class L, class T>
Key<L> MakeKey(typename L::I bits, typename L::M ramps, T v) {
    return Key<L>{bits, L::Select(ramps, L::RampArgument(v), L::Splat(0))};
}

template <class L, class T>
struct HardAboveEnd {
    T end;
    typename L::M operator()(T v) const { return L::Gt(v, end); }
    Key<L> KeyOf(T v) const { return MakeKey<L>(Bit<L>(L::Gt(v, end), 1)); }
};
template <class L, class T>
struct HardUpToEnd {
    T end;
    typename L::M operator()(T v) const { return L::Le(v, end); }
    Key<L> KeyOf(T v) const { return MakeKey<L>(Bit<L>(L::Le(v, end), 1)); }
};
template <class L, class T>
struct HardInside {
    T start, end;
    typename L::M operator()(T v) const { return L::MAnd(L::Ge(v, start), L::Le(v, end)); }
    Key<L> KeyOf(T v) const { return MakeKey<L>(L::Add(Bit<L>(L::Ge(v, start), 1), Bit<L>(L::Le(v, end), 2))); }
};
template <class L, class T>
struct HardOutside {
    T start, end;
    typename L::M operator()(T v) const { return L::MOr(L::Lt(v, start), L::Gt(v, end)); }
    Key<L> KeyOf(T v) const { return MakeKey<L>(L::Add(Bit<L>(L::Lt(v, start), 1), Bit<L>(L::Gt(v, end), 2))); }
};

// 256 above end + blend, rising from 0 over the blend above the end.
template <class L, class T>
struct SoftAboveEnd {
    Bounds<L, T> b;
    typename L::I operator()(T v) const {
        const typename L::I up = b.ramp(L::Sub(L::RampArgument(v), b.iEnd));
        return L::Select(L::Gt(v, b.endPlus), L::Splat(256), L::Select(L::Gt(v, b.end), up, L::Splat(0)));
    }
    Key<L> KeyOf(T v) const {
        const typename L::M full = L::Gt(v, b.endPlus), some = L::Gt(v, b.end);
        return MakeKey<L>(L::Add(Bit<L>(full, 1), Bit<L>(some, 2)), L::MAnd(L::MNot(full), some), v);
    }
};
// 256 up to end - blend, falling to 0 over the blend below the end.
template <class L, class T>
struct SoftUpToEnd {
    Bounds<L, T> b;
    typename L::I operator()(T v) const {
        const typename L::I down = b.ramp(L::Sub(b.iEnd, L::RampArgument(v)));
        return L::Select(L::Le(v, b.endMinus), L::Splat(256), L::Select(L::Le(v, b.end), down, L::Splat(0)));
    }
    Key<L> KeyOf(T v) const {
        const typename L::M full = L::Le(v, b.endMinus), some = L::Le(v, b.end);
        return MakeKey<L>(L::Add(Bit<L>(full, 1), Bit<L>(some, 2)), L::MAnd(L::MNot(full), some), v);
    }
};
// 0 outside start..end, 256 from start + blend to end - blend, ramps between. When 2 x blend exceeds
// the span the ramps meet at mid: from mid up the falling one applies, below it the rising one.
template <class L, class T>
struct SoftInside {
    Bounds<L, T> b;
    typename L::I operator()(T v) const {
        const typename L::I a = L::RampArgument(v);
        const typename L::I ramp = b.ramp(L::Select(L::Ge(v, b.mid), L::Sub(b.iEnd, a), L::Sub(a, b.iStart)));
        const typename L::M outside = L::MOr(L::Lt(v, b.start), L::Gt(v, b.end));
        const typename L::M full = L::MAnd(L::Ge(v, b.startPlus), L::Le(v, b.endMinus));
        return L::Select(outside, L::Splat(0), L::Select(full, L::Splat(256), ramp));
    }
    Key<L> KeyOf(T v) const {
        const typename L::M below = L::Lt(v, b.start), above = L::Gt(v, b.end), fromPlus = L::Ge(v, b.startPlus),
                            toMinus = L::Le(v, b.endMinus), upper = L::Ge(v, b.mid);
        const typename L::I bits =
            L::Add(L::Add(Bit<L>(below, 1), Bit<L>(above, 2)),
                   L::Add(L::Add(Bit<L>(fromPlus, 4), Bit<L>(toMinus, 8)), Bit<L>(upper, 16)));
        const typename L::M ramps = L::MNot(L::MOr(L::MOr(below, above), L::MAnd(fromPlus, toMinus)));
        return MakeKey<L>(bits, ramps, v);
    }
};
// 0 inside start..end; between start - blend and end + blend a ramp (from mid up the one above the
// end, below it the one under the start); 256 beyond.
template <class L, class T>
struct SoftOutside {
    Bounds<L, T> b;
    typename L::I operator()(T v) const {
        const typename L::I a = L::RampArgument(v);
        const typename L::I ramp = b.ramp(L::Select(L::Ge(v, b.mid), L::Sub(a, b.iEnd), L::Sub(b.iStart, a)));
        const typename L::M inside = L::MAnd(L::Ge(v, b.start), L::Le(v, b.end));
        const typename L::M near = L::MAnd(L::Gt(v, b.startMinus), L::Lt(v, b.endPlus));
        return L::Select(inside, L::Splat(0), L::Select(near, ramp, L::Splat(256)));
    }
    Key<L> KeyOf(T v) const {
        const typename L::M fromStart = L::Ge(v, b.start), toEnd = L::Le(v, b.end),
                            aboveMinus = L::Gt(v, b.startMinus), belowPlus = L::Lt(v, b.endPlus),
                            upper = L::Ge(v, b.mid);
        const typename L::I bits =
            L::Add(L::Add(Bit<L>(fromStart, 1), Bit<L>(toEnd, 2)),
                   L::Add(L::Add(Bit<L>(aboveMinus, 4), Bit<L>(belowPlus, 8)), Bit<L>(upper, 16)));
        const typename L::M ramps = L::MAnd(L::MNot(L::MAnd(fromStart, toEnd)), L::MAnd(aboveMinus, belowPlus));
        return MakeKey<L>(bits, ramps, v);
    }
};

// Angles on the circle, as offsets w = WrapDegrees(v - start) in 0..360.
template <class L>
struct Circle {
    typename L::I base, start, span, blend, midOffset, endPlusOffset, endMinusOffset, lowerRampStart;
    typename L::Ramp ramp;
    explicit Circle(const ChooserState &c)
        : base(L::Splat(((c.start % 360) + 360) % 360)), start(L::Splat(c.start)), span(L::Splat(c.span)),
          blend(L::Splat(c.blend)), midOffset(L::Splat(c.midOffset)), endPlusOffset(L::Splat(c.endPlusOffset)),
          endMinusOffset(L::Splat(c.endMinusOffset)), lowerRampStart(L::Splat(SubWrap(360, c.blend))),
          ramp(c.blend) {}
    typename L::I Offset(typename L::I v) const { return L::CircleOffset(v, start, base); }
};

// The end angle itself is not chosen by the hard tests.
template <class L>
struct HardInAngle {
    Circle<L> c;
    typename L::M operator()(typename L::I v) const { return L::Gt(c.span, c.Offset(v)); }
};
template <class L>
struct HardOutAngle {
    Circle<L> c;
    typename L::M operator()(typename L::I v) const { return L::MNot(L::Gt(c.span, c.Offset(v))); }
};
template <class L>
struct SoftInAngle {
    Circle<L> c;
    typename L::I operator()(typename L::I v) const {
        const typename L::I w = c.Offset(v);
        const typename L::I ramp = c.ramp(L::Select(L::Ge(w, c.midOffset), L::Sub(c.span, w), w));
        const typename L::M full = L::MAnd(L::Ge(w, c.blend), L::Le(w, c.endMinusOffset));
        return L::Select(L::Gt(w, c.span), L::Splat(0), L::Select(full, L::Splat(256), ramp));
    }
};
// Reverse on: the weight rises from 0 over `blend` degrees past the end and, mirroring that, falls
// to 0 over the `blend` degrees before the start, so neither bound of the range is a hard edge.
// Where the two ramps overlap the rising one wins.
template <class L>
struct SoftOutAngle {
    Circle<L> c;
    typename L::I operator()(typename L::I v) const {
        const typename L::I w = c.Offset(v);
        const typename L::M rising = L::Lt(w, c.endPlusOffset);
        const typename L::M falling = L::Gt(w, c.lowerRampStart);
        const typename L::I ramp = c.ramp(L::Select(rising, L::Sub(w, c.span), L::Sub(L::Splat(360), w)));
        return L::Select(L::Le(w, c.span), L::Splat(0), L::Select(L::MOr(rising, falling), ramp, L::Splat(256)));
    }
};

// ---- the rule of a chooser, over a walk

// A walk (Walk::Lane is its lane type) runs a rule over a row: walk.Mask(mask, value, rule) and
// walk.Weigh(weights, value, rule) store rule(value(...)) for every entry.

// The hard rule of the range kind, at the value's scale.
template <class Walk, class T, class Value>
void MaskByKind(const Walk &walk, uint8_t *mask, int32_t kind, T start, T end, Value value) {
    using L = typename Walk::Lane;
    switch (kind) {
        case kAboveEnd: walk.Mask(mask, value, HardAboveEnd<L, T>{end}); break;
        case kUpToEnd: walk.Mask(mask, value, HardUpToEnd<L, T>{end}); break;
        case kInside: walk.Mask(mask, value, HardInside<L, T>{start, end}); break;
        case kOutside: walk.Mask(mask, value, HardOutside<L, T>{start, end}); break;
        default: break;
    }
}

template <class T, class Walk, class Value>
void WeighByKind(const Walk &walk, int32_t *weights, const ChooserState &c, Value value) {
    using L = typename Walk::Lane;
    const Bounds<L, T> b(c);
    switch (c.kind) {
        case kAboveEnd: walk.Weigh(weights, value, SoftAboveEnd<L, T>{b}); break;
        case kUpToEnd: walk.Weigh(weights, value, SoftUpToEnd<L, T>{b}); break;
        case kInside: walk.Weigh(weights, value, SoftInside<L, T>{b}); break;
        case kOutside: walk.Weigh(weights, value, SoftOutside<L, T>{b}); break;
        default: break;
    }
}

// Hue and Angle: kind Inside or Outside, on the circle.
template <class Walk, class Value>
void MaskByAngle(const Walk &walk, uint8_t *mask, const ChooserState &c, Value value) {
    using L = typename Walk::Lane;
    if (c.kind == kOutside)
        walk.Mask(mask, value, HardOutAngle<L>{Circle<L>(c)});
    else
        walk.Mask(mask, value, HardInAngle<L>{Circle<L>(c)});
}

template <class Walk, class Value>
void WeighByAngle(const Walk &walk, int32_t *weights, const ChooserState &c, Value value) {
    using L = typename Walk::Lane;
    if (c.kind == kOutside)
        walk.Weigh(weights, value, SoftOutAngle<L>{Circle<L>(c)});
    else
        walk.Weigh(weights, value, SoftInAngle<L>{Circle<L>(c)});
}

// ---- geometric distances

// Each maps column numbers to the distance compared with the range; Sample (for the vector loops'
// row walk) also names the piece of the row the column lies in, where the distance is monotone.

// The squeezed horizontal offset: the exact product truncated toward zero, back to float.
template <class L>
typename L::F Squeeze(typename L::F offset, float factor) {
    return L::ToFloat(L::TruncTimes(offset, factor));
}

template <class L, bool SqueezeX>
struct RectangleDistance {
    typename L::F centerX, dy;
    float factor;
    typename L::F operator()(typename L::I x) const {
        typename L::F dx = L::AbsF(L::SubF(L::ToFloat(x), centerX));
        if (SqueezeX) dx = Squeeze<L>(dx, factor);
        return L::MaxF(dx, dy);
    }
    // Left of the centre the distance falls with x, right of it it rises.
    typename L::F Sample(typename L::I x, typename L::I *piece) const {
        *piece = Bit<L>(L::Ge(L::SubF(L::ToFloat(x), centerX), L::SplatF(0.0f)), 1);
        return (*this)(x);
    }
};

// The squared distance: both squares (exact in double) summed in double, stored as a float. Hard
// Point compares it with the squared bounds (no root); soft Point takes its root.
template <class L, bool SqueezeX, bool Root>
struct PointDistance {
    typename L::F centerX;
    double dySquared;
    float factor;
    typename L::F operator()(typename L::I x) const {
        typename L::F dx = L::SubF(L::ToFloat(x), centerX);
        if (SqueezeX) dx = Squeeze<L>(dx, factor);
        const typename L::F s = L::SquaredSum(dx, dySquared);
        return Root ? L::SqrtF(s) : s;
    }
    typename L::F Sample(typename L::I x, typename L::I *piece) const {
        *piece = Bit<L>(L::Ge(L::SubF(L::ToFloat(x), centerX), L::SplatF(0.0f)), 1);
        return (*this)(x);
    }
};

// The last column is at distance 1 (width - x), the first at 0.
template <class L>
struct EdgeDistance {
    typename L::I width;
    typename L::F dy;
    typename L::F operator()(typename L::I x) const { return L::MinF(L::ToFloat(L::Min(x, L::Sub(width, x))), dy); }
    // Rising while x < width - x, falling after.
    typename L::F Sample(typename L::I x, typename L::I *piece) const {
        *piece = Bit<L>(L::Gt(L::Sub(width, x), x), 1);
        return (*this)(x);
    }
};

// Rectangle, Point and Edge: computes the row's vertical term once and calls use(distance), where
// distance(x) is the value compared with the range (hard Point: the squared distance).
template <class L, bool Root, class Use>
void WithDistances(const ChooserState &c, int32_t y, const Use &use) {
    const float factor = c.stretchFactor;
    const typename L::F centerX = L::SplatF(c.settings.centerX);
    switch (c.settings.mode) {
        case kChooseRectangle: {
            float dy = FAbs(static_cast<float>(y) - c.settings.centerY);
            if (c.doubleY) dy = dy * 2.0f;
            if (c.squeezeY) dy = dy * factor;
            if (c.squeezeX)
                use(RectangleDistance<L, true>{centerX, L::SplatF(dy), factor});
            else
                use(RectangleDistance<L, false>{centerX, L::SplatF(dy), factor});
            break;
        }
        case kChoosePoint: {
            float dy = static_cast<float>(y) - c.settings.centerY;
            if (c.doubleY) dy = dy * 2.0f;
            if (c.squeezeY) dy = dy * factor;
            const double dySquared = static_cast<double>(dy) * dy;
            if (c.squeezeX)
                use(PointDistance<L, true, Root>{centerX, dySquared, factor});
            else
                use(PointDistance<L, false, Root>{centerX, dySquared, factor});
            break;
        }
        case kChooseEdge: {
            float dy = static_cast<float>(IMin(y, SubWrap(c.height, y)));
            if (c.doubleY) dy = dy * 2.0f;
            use(EdgeDistance<L>{L::Splat(c.width), L::SplatF(dy)});
            break;
        }
        default: break;
    }
}

// What MaskRow and WeightRow do with a distance once its vertical term is known. Hard Point compares
// squares, the others distances; always as floats.
template <class Walk>
struct MaskDistances {
    Walk walk;
    const ChooserState &c;
    uint8_t *mask;
    template <class Value>
    void operator()(Value value) const {
        using L = typename Walk::Lane;
        const bool point = c.settings.mode == kChoosePoint;
        MaskByKind(walk, mask, c.kind, L::SplatF(static_cast<float>(point ? c.startSq : c.start)),
                   L::SplatF(static_cast<float>(point ? c.endSq : c.end)), value);
    }
};
template <class Walk>
struct WeighDistances {
    Walk walk;
    const ChooserState &c;
    int32_t *weights;
    template <class Value>
    void operator()(Value value) const { WeighByKind<typename Walk::Lane::F>(walk, weights, c, value); }
};

// The vertical offset of row y from the centre as Angle takes it: doubled by the option, truncated.
// (A template, as everything here, so that each vector file compiles its own copy.)
template <class L>
int32_t AngleRowOffset(const ChooserState &c, int32_t y) {
    float dy = static_cast<float>(y) - c.settings.centerY;
    if (c.doubleY) dy = dy * 2.0f;
    return TruncToInt32(dy);
}

}  // namespace orv

#endif
