// The chooser's per-pixel measures over every colour at every level against the independent
// reference (the exact chooser rows pin its roundings by hand), the ramps and wraps as tables, and the
// arctangent table behind Angle.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "chooser/chooser_kernels.h"
#include "chooser/measures.h"
#include "numeric/arctan_table.h"
#include "reference/chooser_reference.h"
#include "support/test_support.h"

namespace {

// Every colour (alpha varying with it) at every level; Saturation also as the exact integer
// quotient delta x 255 / divisor, which the single-precision steps never move.
int32_t ExactSaturation(const PF_Pixel &p) {
    const int mx = orvref::RefMax3(p), mn = orvref::RefMin3(p), sum = mx + mn;
    const int exact = mx == mn ? 0 : (mx - mn) * 255 / (sum <= 255 ? sum : 510 - sum);
    return exact == orvref::RefSaturation(p) ? exact : -1;
}

TEST(Measures, EveryColourAtEveryLevel) {
    using Measure = int32_t (*)(const PF_Pixel &);
    const struct { int32_t mode; Measure ref; } measures[] = {
        {orv::kChooseLuma, orvref::RefLuma256}, {orv::kChooseSaturation, ExactSaturation}, {orv::kChooseHue, orvref::RefHue},
        {orv::kChooseLightness, orvref::RefLightness}, {orv::kChooseAlpha, [](const PF_Pixel &p) { return int32_t{p.alpha}; }},
        {orv::kChooseRgbDiff, [](const PF_Pixel &p) { return orvref::RefColorDistance({9, 200, 17, 140}, p); }},
    };
    std::vector<PF_Pixel> row(256);
    std::vector<int32_t> got(256);
    for (orv::SimdLevel level : orvtest::Levels()) {
        const orv::ChooserKernels k = orv::ChooserKernelsFor(level);
        for (int r = 0; r < 256; ++r)
            for (int g = 0; g < 256; ++g) {
                for (int b = 0; b < 256; ++b) row[size_t(b)] = PF_Pixel{uint8_t(r ^ g ^ b), uint8_t(r), uint8_t(g), uint8_t(b)};
                for (const auto &m : measures) {
                    k.measure(m.mode, PF_Pixel{9, 200, 17, 140}, row.data(), got.data(), 256);
                    for (int b = 0; b < 256; ++b)
                        ASSERT_EQ(got[size_t(b)], m.ref(row[size_t(b)]))
                            << orv::SimdLevelName(level) << " mode " << m.mode << " RGB " << r << "," << g << "," << b;
                }
            }
    }
}

// A hand-made table (scale 1: the argument is the fractional index) shows the interpolation rule:
// 256 steps between samples, the fraction's lower 8 bits dropped, an arithmetic shift, the offset.
TEST(ArcTan, InterpolationUsesTheUpperEightFractionBits) {
    orv::FunctionTable t;
    for (int32_t &s : t.samples) s = 0;
    t.samples[2] = 1000, t.samples[3] = 3001, t.samples[5] = -1000, t.samples[6] = -1001, t.samples[400] = 77;
    t.step = t.scale = 1.0f, t.built = 1;
    const struct { float x, offset; int32_t fixed; } cases[] = {
        {2.0f, 0, 1000}, {2.5f, 0, 2000},        // 2000.5 -> 2000
        {2.0f + 255.0f / 65536, 0, 1000},        // fraction below 1/256: dropped
        {2.0f + 256.0f / 65536, 0, 1007},        // weight 1: (1000 x 255 + 3001) >> 8
        {2.0f + 65535.0f / 65536, 0, 2993},      // weight 255
        {5.5f, 0, -1001},                        // -1000.5 shifted arithmetically rounds down
        {1.5f, 1.0f, 2000},                      // the offset is added before scaling
        {400.0f, 0, 77},                         // the last sample, no neighbour read
    };
    for (const auto &c : cases) {
        t.offset = c.offset;
        EXPECT_EQ(orv::LookupInterpolated(t, c.x), float(c.fixed) / 65536.0f) << "x " << c.x;
    }
}

TEST(ArcTan, TableAtan2QuadrantsAndTolerance) {
    orv::BuildArcTan(orv::ArcTanTable);
    const struct { float y, x, angle; } cases[] = {{0, 1, 0},        {1, 0, 1.5707964f},          {0, -1, 3.1415927f}, {-0.0f, -1, 3.1415927f},
                 {-1, 0, -1.5707964f}, {-1, -1, -2.3562076f},   {3, 4, 0.64349365f}, {2, -2, 2.3562076f},
                 {0, 0, 0},        {7, 7, 51471.0f / 65536.0f}, {-2, 2, -0.78538513f}};
    for (const auto &c : cases) {
        const float r = orv::TableAtan2(c.y, c.x);
        EXPECT_TRUE(r == c.angle && std::signbit(r) == std::signbit(c.angle)) << c.y << ", " << c.x << ": " << r;
    }
    // In degrees, 0..360: the table's diagonal (51471 / 65536 x 57.295776) is below 45.
    EXPECT_EQ(orv::AngleDegrees(-5, 0), 270.0f);
    EXPECT_EQ(orv::AngleDegrees(1, 1), 44.9992523f);
    std::mt19937 rng(4242);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (int i = 0; i < 200000; ++i) {
        float y = unit(rng), x = unit(rng);
        if (i % 4 == 1) y = std::ldexp(y, int(rng() % 41) - 20), x = std::ldexp(x, int(rng() % 41) - 20);
        if (i % 4 == 2) y = float(int(rng() % 80001) - 40000), x = float(int(rng() % 80001) - 40000);
        if (i % 4 == 3) x = y * (1.0f + unit(rng) * 0.001f);  // near the diagonal
        ASSERT_LT(std::fabs(orv::TableAtan2(y, x) - std::atan2(double(y), x)), 0.00005) << y << ", " << x;
    }
}

}  // namespace
