// The pixel chooser at every vector level against the plain per-pixel reference, on seeded random
// settings (within and far beyond what the parameters allow) and rows of every tail length, and its
// edge cases as exact rows.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <random>
#include <sstream>
#include <utility>
#include <vector>

#include "chooser/pixel_chooser.h"
#include "reference/chooser_reference.h"
#include "support/test_support.h"
#include "support/world_image.h"

using orv::ChooserSettings;
using orv::PixelChooser;

namespace {

// An image of the given size without pixels: all the chooser reads of its source.
struct Frame {
    orv::WorldImage image;
    Frame(int32_t width, int32_t height) { image.Attach(int16_t(width), int16_t(height), 0, nullptr); }
};

// The row the render would ask for: the mask (hard) or the weights (soft) of row y.
std::vector<int> Row(PixelChooser &c, int32_t y, const PF_Pixel *pixels, bool soft) {
    if (c.IsAll()) c.FillWeights();
    if (c.IsMeasured()) soft ? c.WeightPixels(pixels) : c.MaskPixels(pixels);
    if (c.IsGeometric()) soft ? c.WeightRow(y) : c.MaskRow(y);
    return soft ? std::vector<int>(c.Weights(), c.Weights() + c.Width()) : std::vector<int>(c.Mask(), c.Mask() + c.Width());
}

float Jitter(std::mt19937 &rng, float low, float high) {
    const float v = std::uniform_real_distribution<float>(low, high)(rng);
    return rng() % 3 == 0 ? std::floor(v) : v;
}

// Settings in the chooser's units for a mode and a shape (bit 0 start 0, bit 1 reverse, bits 2+
// the blend: none, below 1, moderate, past mid, beyond the vector loops' limits).
ChooserSettings RandomSettings(std::mt19937 &rng, int32_t mode, int shape, int32_t width, int32_t height) {
    ChooserSettings s{};
    s.mode = mode;
    const bool circle = mode == orv::kChooseHue || mode == orv::kChooseAngle;
    const float top = circle ? 400.0f : mode >= orv::kChoosePoint ? 1.25f * width : mode == orv::kChooseRgbDiff ? 600.0f : 300.0f;
    s.rangeStart = shape & 1 ? 0.0f : Jitter(rng, circle ? -400.0f : 0.0f, top);
    s.rangeEnd = Jitter(rng, circle ? -200.0f : 0.0f, circle ? 760.0f : top);
    if (rng() % 4 == 0 && !circle) s.rangeEnd = s.rangeStart + Jitter(rng, 0.0f, top / 4);
    s.reverse = (shape & 2) ? 1 : 0;
    const float blends[] = {0.0f, Jitter(rng, 0.01f, 0.99f), Jitter(rng, 1.0f, circle ? 90.0f : top / 6 + 1.0f),
                            std::fabs(s.rangeEnd - s.rangeStart) / 2 + Jitter(rng, 1.0f, 60.0f),
                            rng() % 2 ? 20000.0f : 3.0e9f};
    s.blend = blends[(shape >> 2) % 5];
    if (rng() % 16 == 0) s.rangeStart = -3.0e7f;
    const float stretches[] = {0.0f, 100.0f, -100.0f, 37.5f, -12.25f};
    s.stretch = stretches[rng() % 5];
    s.centerX = Jitter(rng, -0.3f * width, 1.3f * width);
    s.centerY = Jitter(rng, -0.3f * height, 1.3f * height);
    s.color = PF_Pixel{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
    return s;
}

// Every mode (and some past the list) x shape, at every level: rows of 1 to 67 pixels (every tail of
// every vector width) and, for the geometric modes, rows up to 1500 columns where the vector loops
// form runs of blocks once. Greys and near-ties reach every branch of the measures.
TEST(Chooser, EveryLevelMatchesTheReference) {
    for (orv::SimdLevel level : orvtest::Levels()) {
        orvtest::ForcedLevel forced(level);
        std::mt19937 rng(4242);
        for (int32_t mode : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 255, -1})
            for (int shape = 0; shape < 20; ++shape)
                for (int repeat = 0; repeat < 6; ++repeat) {
                    const bool wide = mode >= orv::kChoosePoint && mode <= orv::kChooseAngle && repeat >= 4;
                    const int32_t width = int32_t(wide ? 200 + rng() % 1300 : 1 + rng() % 67);
                    const int32_t height = int32_t(wide ? 1 + rng() % 900 : 1 + rng() % 7);
                    const ChooserSettings s = RandomSettings(rng, mode, shape, width, height);
                    const uint8_t option = rng() % 4 == 0 ? 1 : 0;
                    Frame frame(width, height);
                    PixelChooser chooser(option, s, &frame.image);
                    const orvref::RefChooser ref = orvref::MakeRefChooser(s, width, height, option);
                    std::ostringstream what;  // the settings, as they are needed to reproduce a failure
                    what << orv::SimdLevelName(level) << " mode " << mode << " range " << s.rangeStart << ".." << s.rangeEnd
                         << " blend " << s.blend << " reverse " << int(s.reverse) << " stretch " << s.stretch << " centre "
                         << s.centerX << "," << s.centerY << " option " << int(option) << " size " << width << "x" << height;
                    ASSERT_FALSE(chooser.Failed());
                    ASSERT_EQ(chooser.IsSoft(), ref.soft) << what.str();
                    std::vector<PF_Pixel> row(static_cast<size_t>(width));
                    for (int32_t y = 0; y < height; y += wide ? 1 + int32_t(rng() % 97) : 1) {
                        for (PF_Pixel &p : row) {
                            p = PF_Pixel{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
                            if (rng() % 6 == 0) p.green = p.red;
                            if (rng() % 8 == 0) p.blue = p.red = p.green;
                        }
                        const std::vector<int> mask = Row(chooser, y, row.data(), false);
                        const std::vector<int> weights = Row(chooser, y, row.data(), true);
                        for (int32_t x = 0; x < width; ++x) {
                            const int w = orvref::RefWeight(ref, x, y, row[size_t(x)]);
                            const bool c = orvref::RefChosen(ref, x, y, row[size_t(x)]);
                            ASSERT_EQ(weights[size_t(x)], w) << what.str() << " at " << x << "," << y;
                            ASSERT_TRUE(ref.all || mask[size_t(x)] == c) << what.str() << " mask at " << x << "," << y;
                        }
                    }
                }
    }
}

ChooserSettings Settings(int32_t mode, float start, float end, float blend, bool reverse = false, float stretch = 0,
                         float centerX = 0, float centerY = 0) {
    ChooserSettings s{};
    s.mode = mode, s.rangeStart = start, s.rangeEnd = end, s.blend = blend, s.reverse = reverse;
    s.stretch = stretch, s.centerX = centerX, s.centerY = centerY, s.color = PF_Pixel{255, 0, 0, 0};
    return s;
}

// A mask row from the inclusive column ranges that are chosen.
std::vector<int> Chosen(int32_t width, std::initializer_list<std::pair<int, int>> ranges) {
    std::vector<int> row(size_t(width), 0);
    for (const auto &r : ranges)
        for (int x = r.first; x <= r.second; ++x) row[size_t(x)] = 1;
    return row;
}

// 32 entries, a and b in turn: long enough for every level's vector loop.
template <class T>
std::vector<T> Alternating(T a, T b) {
    std::vector<T> row;
    for (int i = 0; i < 16; ++i) row.insert(row.end(), {a, b});
    return row;
}

constexpr int32_t kHue = 7, kRgbDiff = 9, kPoint = 10, kRectangle = 11;

// Rows worked out by hand where a rule's boundary or rounding decides the byte.
TEST(Chooser, ExactRows) {
    const struct {
        const char *name;
        ChooserSettings settings;
        int32_t width, height, option, y;
        std::vector<PF_Pixel> pixels;
        bool soft;
        std::vector<int> expected;
    } cases[] = {
        // (33 - 1/256)^2 + (1 - 63/128)^2 = 1089.0000763 is 1089.00012 as a float, beyond 33 squared;
        // squares summed in single precision would give 1089 and choose the pixel.
        {"point square rounded once", Settings(kPoint, 0, 33, 0, false, 0, 1.0f / 256, 63.0f / 128), 40, 2, 0, 1, {},
         false, Chosen(40, {{0, 32}})},
        // 1 / 4.3 as a float is just above 10/43, so column 43 squeezes to 10; vertically the offset
        // is scaled, not truncated: 39 / 4.3 = 9.07 is not in.
        {"rectangle stretch 100", Settings(kRectangle, 0, 9, 0, false, 100), 50, 1, 0, 0, {}, false, Chosen(50, {{0, 42}})},
        {"rectangle stretch -100 row 39", Settings(kRectangle, 0, 9, 0, false, -100), 50, 50, 0, 39, {}, false, Chosen(50, {})},
        // Hue held in single precision twice: 2 - 2/3 is 1.33333337, x 60 = 80 (79 when rounded once);
        // 3.8f x 60 = 227.999997 rounds to 228.
        {"hue 80", Settings(kHue, 80, 81, 0), 2, 1, 0, 0, {{0, 2, 3, 0}, {0, 0, 1, 5}}, false, {1, 0}},
        {"hue 228", Settings(kHue, 228, 229, 0), 2, 1, 0, 0, {{0, 2, 3, 0}, {0, 0, 1, 5}}, false, {0, 1}},
        // Reversed with blend: ramps past the end and, mirrored, before the start; overlapping ramps
        // (span + 2 blend > 360): the upper one wins up to end + blend.
        {"hue 100..200 reversed soft", Settings(kHue, 100, 200, 30, true), 9, 1, 0, 0,
         {{255, 0, 2, 1}, {255, 0, 2, 3}, {255, 0, 5, 12}, {255, 0, 1, 6}, {255, 4, 7, 0}, {255, 5, 6, 0}, {255, 7, 20, 0},
          {255, 1, 3, 0}, {255, 2, 0, 1}},  // hues 150 200 215 230 85 70 99 100 330
         true, {0, 0, 128, 256, 128, 256, 8, 0, 256}},
        {"hue 0..300 reversed, ramps overlap", Settings(kHue, 0, 300, 40, true), 6, 1, 0, 0,
         {{255, 1, 0, 1}, {255, 6, 0, 5}, {255, 2, 0, 1}, {255, 3, 0, 1}, {255, 6, 0, 1}, {255, 0, 0, 0}}, true,
         {0, 64, 192, 128, 64, 0}},  // hues 300 310 330 340 350 0
        // A hue a whole turn below the start (w = 360) is outside a reversed range at full weight.
        {"hue reversed, no blend, w 360", Settings(kHue, 400, 450, 0, true), 3, 1, 0, 0,
         {{255, 3, 2, 0}, {255, 4, 3, 0}, {255, 1, 3, 0}} /* hues 40 45 100 */, true,
         {256, 0, 256}},
        // RGB Diff up to 511 (where the vector loops' table ends): white (595) is beyond, yellow (510) not.
        {"rgb diff up to 511", Settings(kRgbDiff, 0, 511, 0), 32, 1, 0, 0,
         Alternating(PF_Pixel{0, 255, 255, 255}, PF_Pixel{0, 255, 255, 0}), true, Alternating(0, 256)},
    };
    for (orv::SimdLevel level : orvtest::Levels()) {
        orvtest::ForcedLevel forced(level);
        for (const auto &c : cases) {
            Frame frame(c.width, c.height);
            PixelChooser chooser(uint8_t(c.option), c.settings, &frame.image);
            EXPECT_EQ(Row(chooser, c.y, c.pixels.data(), c.soft), c.expected) << c.name << ", " << orv::SimdLevelName(level);
        }
    }
}

}  // namespace
