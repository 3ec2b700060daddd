// The arctangent table: its samples, the 16.16 interpolation and TableAtan2 against std::atan2.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "numeric/arctan_table.h"

using orv::FunctionTable;

namespace {

static_assert(FunctionTable().built == 0, "a table starts unbuilt, without code run at load");

TEST(ArcTan, SamplesAreAtanInSixteenDotSixteen) {
    FunctionTable table;
    EXPECT_EQ(table.built, 0);
    orv::BuildArcTan(table);
    const struct {
        int index;
        int32_t sample;
    } cases[] = {{0, 0}, {1, 163}, {100, 16054}, {200, 30385}, {300, 42172}, {399, 51389}, {400, 51471}};
    for (const auto &c : cases) EXPECT_EQ(table.samples[c.index], c.sample) << "sample " << c.index;
    EXPECT_EQ(table.step, 0.0025f);
    EXPECT_EQ(table.scale, 400.0f);
    EXPECT_EQ(table.offset, 0.0f);
    EXPECT_EQ(table.built, 1);
    // Every sample is atan truncated to 1/65536 (allowing for the single-precision steps), rising.
    for (int i = 0; i <= 400; ++i) {
        const double exact = std::atan(i / 400.0) * 65536.0;
        EXPECT_LE(table.samples[i], exact + 0.01) << i;
        EXPECT_GT(table.samples[i], exact - 1.01) << i;
        if (i > 0) {
            EXPECT_GT(table.samples[i], table.samples[i - 1]) << i;
        }
    }
}

TEST(ArcTan, BuildingTwiceChangesNothingAndABuiltTableIsLeftAlone) {
    FunctionTable once;
    orv::BuildArcTan(once);
    FunctionTable twice = once;
    orv::BuildArcTan(twice);
    EXPECT_EQ(std::memcmp(once.samples, twice.samples, sizeof once.samples), 0);
    EXPECT_EQ(twice.step, once.step);
    EXPECT_EQ(twice.scale, once.scale);
    EXPECT_EQ(twice.offset, once.offset);
    EXPECT_EQ(twice.built, 1);
    // A full second build over a filled table writes the same values.
    FunctionTable again = once;
    again.built = 0;
    orv::BuildArcTan(again);
    EXPECT_EQ(std::memcmp(once.samples, again.samples, sizeof once.samples), 0);
    EXPECT_EQ(again.step, once.step);
    EXPECT_EQ(again.scale, once.scale);
    EXPECT_EQ(again.built, 1);

    FunctionTable marked;
    marked.built = 1;
    marked.samples[7] = 12345;
    marked.scale = 3.0f;
    orv::BuildArcTan(marked);
    EXPECT_EQ(marked.samples[7], 12345);
    EXPECT_EQ(marked.scale, 3.0f);
}

// A hand-made table (scale 1, so the argument is the fractional index) shows the interpolation rule:
// 256 steps between samples, the fraction's lower 8 bits dropped, an arithmetic shift, the offset.
TEST(ArcTan, InterpolationUsesTheUpperEightFractionBits) {
    FunctionTable t;
    for (int i = 0; i <= 400; ++i) t.samples[i] = 0;
    t.samples[2] = 1000;
    t.samples[3] = 3001;
    t.samples[5] = -1000;
    t.samples[6] = -1001;
    t.samples[400] = 77;
    t.step = 1.0f;
    t.scale = 1.0f;
    t.offset = 0.0f;
    t.built = 1;
    const struct {
        float x;
        float offset;
        int32_t fixed;  // expected result x 65536
    } cases[] = {
        {2.0f, 0.0f, 1000},
        {2.5f, 0.0f, 2000},                      // (1000 x 128 + 3001 x 128) >> 8 = 2000.5 -> 2000
        {2.0f + 255.0f / 65536, 0.0f, 1000},     // fraction below 1/256: dropped
        {2.0f + 256.0f / 65536, 0.0f, 1007},     // weight 1: (1000 x 255 + 3001) >> 8
        {2.0f + 65535.0f / 65536, 0.0f, 2993},   // weight 255: (1000 + 3001 x 255) >> 8
        {5.5f, 0.0f, -1001},                     // -1000.5 shifted arithmetically rounds down
        {1.5f, 1.0f, 2000},                      // the offset is added before scaling
        {400.0f, 0.0f, 77},                      // the last sample, no neighbour read
    };
    for (const auto &c : cases) {
        t.offset = c.offset;
        EXPECT_EQ(orv::LookupInterpolated(t, c.x), static_cast<float>(c.fixed) / 65536.0f) << "x " << c.x;
    }
}

class TableAtan2Test : public ::testing::Test {
protected:
    void SetUp() override { orv::BuildArcTan(orv::ArcTanTable); }
};

TEST_F(TableAtan2Test, QuadrantsAxesAndDiagonals) {
    const struct {
        float y, x, angle;
    } cases[] = {
        {0.0f, 1.0f, 0.0f},          {1.0f, 0.0f, 1.5707964f},     {0.0f, -1.0f, 3.1415927f},
        {1.0f, 1.0f, 0.78538513f},   {-1.0f, -1.0f, -2.3562076f},  {3.0f, 4.0f, 0.64349365f},
        {0.0f, 0.0f, 0.0f},          {-0.0f, -1.0f, 3.1415927f},   {-1.0f, 0.0f, -1.5707964f},
        {7.0f, 7.0f, 0.78538513f},   {-2.0f, 2.0f, -0.78538513f},  {2.0f, -2.0f, 2.3562076f},
    };
    for (const auto &c : cases) {
        const float r = orv::TableAtan2(c.y, c.x);
        EXPECT_EQ(r, c.angle) << "(" << c.y << ", " << c.x << ")";
        EXPECT_EQ(std::signbit(r), std::signbit(c.angle)) << "(" << c.y << ", " << c.x << ")";
    }
    EXPECT_EQ(orv::TableAtan2(1.0f, 1.0f), 51471.0f / 65536.0f);
}

TEST_F(TableAtan2Test, WithinFiveHundredThousandthsOfAtan2) {
    std::mt19937 rng(4242);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-20, 20);
    std::uniform_int_distribution<int> coordinate(-40000, 40000);
    double worst = 0.0;
    for (int i = 0; i < 400000; ++i) {
        float y, x;
        switch (i % 4) {
            case 0: y = unit(rng); x = unit(rng); break;
            case 1: y = std::ldexp(unit(rng), exponent(rng)); x = std::ldexp(unit(rng), exponent(rng)); break;
            case 2: y = static_cast<float>(coordinate(rng)); x = static_cast<float>(coordinate(rng)); break;
            default: y = unit(rng); x = y * (1.0f + unit(rng) * 0.001f); break;  // near the diagonal
        }
        const double error = std::fabs(orv::TableAtan2(y, x) - std::atan2(static_cast<double>(y), x));
        ASSERT_LT(error, 0.00005) << "(" << y << ", " << x << ")";
        if (error > worst) worst = error;
    }
    RecordProperty("worst_error", std::to_string(worst));
}

}  // namespace
