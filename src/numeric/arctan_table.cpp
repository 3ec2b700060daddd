#include "numeric/arctan_table.h"

#include <cmath>
#include <mutex>

namespace orv {

FunctionTable ArcTanTable;

namespace {

void Fill(FunctionTable &table) {
    for (int32_t i = 0; i <= FunctionTable::kIntervals; ++i) {
        float x = static_cast<float>(i) / static_cast<float>(FunctionTable::kIntervals);
        if (x > 1.0f) x = 1.0f;
        const float a = static_cast<float>(std::atan(static_cast<double>(x)));
        table.samples[i] = TruncToInt32(static_cast<double>(a) * 65536.0);
    }
    table.step = 1.0f / static_cast<float>(FunctionTable::kIntervals);
    table.scale = 1.0f / table.step;
    table.offset = 0.0f;
    // Last, so that a table marked built is complete.
    table.built = 1;
}

}  // namespace

void BuildArcTan(FunctionTable &table) {
    if (&table == &ArcTanTable) {
        // Render threads may ask at the same moment: exactly one fills it, and none returns before
        // it is complete.
        static std::once_flag once;
        std::call_once(once, [] { Fill(ArcTanTable); });
    } else if (!table.built) {
        Fill(table);
    }
}

float LookupInterpolated(const FunctionTable &table, float x) {
    const float u = (x + table.offset) * table.scale;
    const int32_t f = TruncToInt32(static_cast<double>(u) * 65536.0);
    uint32_t index = static_cast<uint32_t>(f) >> 16;
    // Bits 8 to 15 (the fraction's upper 8 bits), taken from the unsigned word: the same bits as an
    // arithmetic shift, without shifting a negative number.
    int32_t weight = static_cast<int32_t>((static_cast<uint32_t>(f) >> 8) & 0xFFu);
    // Arguments outside the interval are the caller's error; they read the last sample rather than
    // beyond the table.
    if (index >= static_cast<uint32_t>(FunctionTable::kIntervals)) {
        index = FunctionTable::kIntervals;
        weight = 0;
    }
    int32_t r = table.samples[index];
    // Weight 0 reads no neighbour, so the end of the interval stays inside the table.
    if (weight != 0) r = (table.samples[index] * (256 - weight) + table.samples[index + 1] * weight) >> 8;
    return static_cast<float>(r) / 65536.0f;
}

float TableAtan2(float y, float x) {
    const bool yNegative = !(y >= 0.0f);
    const bool xNegative = !(x >= 0.0f);
    const float ay = std::fabs(y);
    const float ax = std::fabs(x);
    float r;
    if (ay > ax)
        r = 1.5707964f - LookupInterpolated(ArcTanTable, ax / ay);
    else if (ax > 0.0f)
        r = LookupInterpolated(ArcTanTable, ay / ax);
    else
        r = 0.0f;
    if (xNegative) r = 3.1415927f - r;
    if (yNegative) r = -r;
    return r;
}

}  // namespace orv
