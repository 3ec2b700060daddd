// The arctangent behind the chooser's Angle mode: atan sampled once at 401 points of [0, 1] as
// 16.16 fixed point, answered afterwards by integer interpolation, and a four-quadrant TableAtan2
// built on it.
#ifndef ORV_NUMERIC_ARCTAN_TABLE_H
#define ORV_NUMERIC_ARCTAN_TABLE_H

#include <cstdint>

namespace orv {

// A function sampled over a short interval as 16.16 fixed point.
struct FunctionTable {
    static constexpr int32_t kIntervals = 400;

    // Only `built` is cleared; the rest is meaningless until a build. Constant-initialised, so a
    // static table is ready before any code of the module runs.
    constexpr FunctionTable() : samples(), step(0.0f), scale(0.0f), offset(0.0f), built(0) {}

    int32_t samples[kIntervals + 1];  // value x 65536, truncated toward zero
    float step;                       // distance of two sample points (1/400)
    float scale;                      // 1 / step: argument to fractional sample index
    float offset;                     // added to an argument before scaling
    uint8_t built;                    // set last, once everything else holds its value
};

// The module's one table: filled by the first BuildArcTan and never reset while the module is loaded.
extern FunctionTable ArcTanTable;

// Fills `table` with atan on [0, 1] unless it is already built: sample i = atan(i / 400) with the
// argument and the result rounded to single precision, times 65536 truncated. ArcTanTable is built
// exactly once however many threads ask at once; other tables belong to their caller's thread.
void BuildArcTan(FunctionTable &table);

// The tabulated function at x (inside the table's interval), interpolated linearly in 16.16 fixed
// point with only the upper 8 bits of the fraction: 256 steps between two samples.
float LookupInterpolated(const FunctionTable &table, float x);

// Angle of the point (x, y) in radians, -pi..pi, from the built ArcTanTable; within 0.00005 of the
// exact four-quadrant arctangent. A negative zero counts as non-negative; (0, 0) gives 0.
float TableAtan2(float y, float x);

// Float to signed 32-bit, truncated toward zero. Values beyond the 32-bit range clamp to it and NaN
// gives 0, so that no conversion of the chooser or the table is undefined.
inline int32_t TruncToInt32(double v) {
    if (v > -2147483649.0 && v < 2147483648.0) return static_cast<int32_t>(v);
    if (v != v) return 0;
    return v > 0.0 ? INT32_MAX : INT32_MIN;
}

}  // namespace orv

#endif
