// The chooser's per-pixel functions: colour measures, ramps, angles and helpers, as exact tables,
// and Hue and Saturation over every colour against independent long-double computations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "chooser/measures.h"
#include "reference/chooser_reference.h"

namespace {

PF_Pixel Rgb(int r, int g, int b) {
    // Alpha 77 throughout: no measure looks at it.
    return PF_Pixel{77, static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
}

TEST(Measures, ColourTable) {
    const struct {
        int r, g, b;
        int32_t luma256, luma, lightness, saturation, hue;
    } cases[] = {
        {255, 0, 0, 19635, 76, 127, 255, 0},        // red
        {0, 255, 0, 38250, 149, 127, 255, 120},     // green
        {0, 0, 255, 7395, 28, 127, 255, 240},       // blue
        {255, 255, 0, 57885, 226, 127, 255, 60},    // yellow (red wins the tie)
        {0, 255, 255, 45645, 178, 127, 255, 180},   // cyan (green wins the tie)
        {255, 0, 255, 27030, 105, 127, 255, 300},   // magenta
        {255, 255, 255, 65280, 255, 255, 0, 0},     // white
        {0, 0, 0, 0, 0, 0, 0, 0},                   // black
        {128, 128, 128, 32768, 128, 128, 0, 0},     // grey
        {255, 0, 1, 19664, 76, 127, 255, 0},        // -0.235 degrees truncates to 0, not 359
        {255, 0, 5, 19780, 77, 127, 255, 359},      // -1.18 degrees
        {100, 50, 0, 15200, 59, 50, 255, 30},
        {200, 150, 100, 40800, 159, 150, 121, 30},  // above half lightness: 100 / 210
        {10, 20, 30, 4640, 18, 20, 127, 210},       // 0.5 x 255 = 127.5
        {199, 56, 56, 25347, 99, 127, 143, 0},      // sum 255: delta / sum
        {200, 56, 56, 25424, 99, 128, 144, 0},      // sum 256: delta / (510 - sum)
        // 2 - 2/3 held as a float is 1.33333337, x 60 = 80; rounding -2/3 first gives 79.
        {2, 3, 0, 604, 2, 1, 255, 80},
        // 3.8 as a float is 3.79999995; x 60 = 227.999997 rounds to 228 in single precision.
        {0, 1, 5, 295, 1, 2, 255, 228},
    };
    for (const auto &c : cases) {
        const PF_Pixel p = Rgb(c.r, c.g, c.b);
        SCOPED_TRACE(testing::Message() << "RGB " << c.r << "," << c.g << "," << c.b);
        EXPECT_EQ(orv::Luma256(p), c.luma256);
        EXPECT_EQ(orv::Luma(p), c.luma);
        EXPECT_EQ(orv::Lightness(p), c.lightness);
        EXPECT_EQ(orv::Saturation(p), c.saturation);
        EXPECT_EQ(orv::Hue(p), c.hue);
    }
}

// Every colour: Hue and Saturation as the reference computes them in long double with the stated
// roundings, and Saturation also as the exact integer quotient delta x 255 / divisor, which the
// single-precision steps happen never to move.
TEST(Measures, HueAndSaturationOfEveryColour) {
    long mismatches = 0;
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                const PF_Pixel p = Rgb(r, g, b);
                const int mx = std::max(r, std::max(g, b)), mn = std::min(r, std::min(g, b));
                const int sum = mx + mn;
                const int exactSaturation = mx == mn ? 0 : (mx - mn) * 255 / (sum <= 255 ? sum : 510 - sum);
                if (orv::Hue(p) != orvref::RefHue(p) || orv::Saturation(p) != orvref::RefSaturation(p) ||
                    orv::Saturation(p) != exactSaturation) {
                    if (++mismatches <= 5)
                        ADD_FAILURE() << "RGB " << r << "," << g << "," << b << ": hue " << orv::Hue(p) << " expected "
                                      << orvref::RefHue(p) << ", saturation " << orv::Saturation(p) << " expected "
                                      << exactSaturation;
                }
            }
    EXPECT_EQ(mismatches, 0);
}

// The two rounding steps of Hue matter: over all colours, rounding the sector position twice
// (quotient, then the +2 or +4) or leaving h x 60 unrounded would change thousands of hues.
TEST(Measures, HueRoundingStepsAreDistinguishedByManyColours) {
    long roundedTwice = 0, productUnrounded = 0;
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                const int mx = std::max(r, std::max(g, b)), mn = std::min(r, std::min(g, b));
                if (mx == mn) continue;
                const long double delta = mx - mn;
                long double quotient, offset;
                if (r == mx) {
                    quotient = (g - b) / delta;
                    offset = 0;
                } else if (g == mx) {
                    quotient = (b - r) / delta;
                    offset = 2;
                } else {
                    quotient = (r - g) / delta;
                    offset = 4;
                }
                const auto wrap = [](int32_t v) { return v < 0 ? v + 360 : v; };
                const float twice = static_cast<float>(static_cast<float>(quotient) + static_cast<float>(offset));
                const float once = static_cast<float>(quotient + offset);
                const int32_t hue = orv::Hue(Rgb(r, g, b));
                roundedTwice += hue != wrap(orvref::RefTrunc(static_cast<float>(static_cast<long double>(twice) * 60)));
                productUnrounded += hue != wrap(orvref::RefTrunc(static_cast<long double>(once) * 60));
            }
    EXPECT_GT(roundedTwice, 1000);
    EXPECT_GT(productUnrounded, 1000);
}

TEST(Measures, ColorDistanceDividesOnlyTheBlueTerm) {
    const struct {
        PF_Pixel color, pixel;
        int32_t distance;
    } cases[] = {
        {Rgb(0, 0, 0), Rgb(255, 255, 255), 595},
        {Rgb(255, 255, 255), Rgb(0, 0, 0), 595},
        {Rgb(10, 20, 30), Rgb(10, 20, 30), 0},
        {Rgb(10, 20, 30), Rgb(13, 15, 40), 3 + 5 + 3},
        {Rgb(0, 0, 0), Rgb(1, 1, 1), 2},
        {Rgb(0, 0, 2), Rgb(0, 0, 0), 0},
        {PF_Pixel{0, 5, 5, 5}, PF_Pixel{255, 5, 5, 5}, 0},  // alpha is not compared
    };
    for (const auto &c : cases)
        EXPECT_EQ(orv::ColorDistance(c.color, c.pixel), c.distance)
            << int(c.pixel.red) << "," << int(c.pixel.green) << "," << int(c.pixel.blue);
}

TEST(Measures, RampsAndWrap) {
    const struct {
        int32_t a, x, b, up, down;
    } ramps[] = {
        {10, 15, 20, 128, 128},
        {0, 1, 3, 85, 170},
        {5, 5, 9, 0, 256},
        {5, 9, 9, 256, 0},
        {-10, -7, -4, 128, 128},
        {0, -1, 3, -85, 341},                        // truncation toward zero, not floor
        {0, 8388608, 1, INT32_MIN, -2147483392},  // 2^23 x 256 wraps to -2^31
    };
    for (const auto &r : ramps) {
        EXPECT_EQ(orv::RampUp(r.a, r.x, r.b), r.up) << r.a << " " << r.x << " " << r.b;
        EXPECT_EQ(orv::RampDown(r.a, r.x, r.b), r.down) << r.a << " " << r.x << " " << r.b;
    }
    const struct {
        int32_t v, wrapped;
    } wraps[] = {{-360, 360}, {-1, 359}, {725, 5}, {0, 0}, {360, 0}, {359, 359}, {-720, 360}, {-361, 359},
                 {INT32_MAX, 127}, {INT32_MIN, 232}};
    for (const auto &w : wraps) EXPECT_EQ(orv::WrapDegrees(w.v), w.wrapped) << w.v;
}

class AngleDegreesTest : public ::testing::Test {
protected:
    void SetUp() override { orv::BuildArcTan(orv::ArcTanTable); }
};

TEST_F(AngleDegreesTest, DirectionsInDegrees) {
    const struct {
        int32_t dy, dx;
        float degrees;
    } cases[] = {
        {5, 0, 90.0f},   {0, -5, 180.0f},  {-5, 0, 270.0f}, {0, 0, 0.0f},  {0, 5, 0.0f},
        {1, 1, 44.9992523f},  // table value 51471 / 65536 x 57.295776: the diagonal is below 45
    };
    for (const auto &c : cases) EXPECT_EQ(orv::AngleDegrees(c.dy, c.dx), c.degrees) << c.dy << ", " << c.dx;
}

// The product is rounded to single precision before 360 is added: where that differs from one
// rounding of the whole sum, the function gives the twice-rounded value.
TEST_F(AngleDegreesTest, NegativeAnglesAddThreeSixtyToTheRoundedProduct) {
    int distinguishing = 0;
    for (int32_t dy = -60; dy < 0; ++dy)
        for (int32_t dx = -60; dx <= 60; ++dx) {
            const float radians = orv::TableAtan2(static_cast<float>(dy), static_cast<float>(dx));
            const long double product = static_cast<long double>(radians) * 57.295776f;
            const float stated = static_cast<float>(static_cast<long double>(static_cast<float>(product)) + 360);
            const float once = static_cast<float>(product + 360);
            ASSERT_EQ(orv::AngleDegrees(dy, dx), stated) << dy << ", " << dx;
            distinguishing += stated != once;
        }
    EXPECT_GT(distinguishing, 0);
}

TEST(Measures, MinMaxAbs) {
    EXPECT_EQ(orv::FAbs(-2.5f), 2.5f);
    EXPECT_EQ(orv::FAbs(3.0f), 3.0f);
    EXPECT_EQ(orv::FMin(1.0f, 2.0f), 1.0f);
    EXPECT_EQ(orv::FMax(1.0f, 2.0f), 2.0f);
    // Ties return the second argument: visible with zeros of both signs.
    EXPECT_TRUE(std::signbit(orv::FMax(0.0f, -0.0f)));
    EXPECT_FALSE(std::signbit(orv::FMax(-0.0f, 0.0f)));
    EXPECT_TRUE(std::signbit(orv::FMin(0.0f, -0.0f)));
    EXPECT_FALSE(std::signbit(orv::FMin(-0.0f, 0.0f)));
    EXPECT_EQ(orv::IMin(-3, 2), -3);
    EXPECT_EQ(orv::IMax(-3, 2), 2);
    EXPECT_EQ(orv::IAbs(-7), 7);
    EXPECT_EQ(orv::IAbs(7), 7);
    EXPECT_EQ(orv::IAbs(INT32_MIN), INT32_MIN);  // wraps as a 32-bit register does
}

TEST(Measures, TruncationClampsInsteadOfOverflowing) {
    const struct {
        double v;
        int32_t truncated;
    } cases[] = {{2.9, 2},
                 {-2.9, -2},
                 {2147483647.9, INT32_MAX},
                 {-2147483648.9, INT32_MIN},
                 {1e20, INT32_MAX},
                 {-1e20, INT32_MIN},
                 {std::numeric_limits<double>::infinity(), INT32_MAX},
                 {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto &c : cases) EXPECT_EQ(orv::TruncToInt32(c.v), c.truncated) << c.v;
}

}  // namespace
