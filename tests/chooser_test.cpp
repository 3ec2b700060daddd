// The pixel chooser's row operations against the plain per-pixel reference, on seeded random
// images and settings, and its edge cases as exact tables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "chooser/pixel_chooser.h"
#include "reference/chooser_reference.h"
#include "support/world_image.h"

using orv::ChooserSettings;
using orv::PixelChooser;

namespace {

// An image of the given size without pixels: all the chooser reads of its source.
struct Frame {
    orv::WorldImage image;
    Frame(int32_t width, int32_t height) {
        image.Attach(static_cast<int16_t>(width), static_cast<int16_t>(height), 0, nullptr);
    }
};

ChooserSettings Settings(int32_t mode, float start, float end, float blend, bool reverse = false,
                         float stretch = 0.0f, float centerX = 0.0f, float centerY = 0.0f,
                         PF_Pixel color = PF_Pixel{255, 0, 0, 0}) {
    ChooserSettings s{};
    s.centerY = centerY;
    s.centerX = centerX;
    s.mode = mode;
    s.rangeStart = start;
    s.rangeEnd = end;
    s.blend = blend;
    s.color = color;
    s.reverse = reverse ? 1 : 0;
    s.stretch = stretch;
    return s;
}

std::string Describe(const ChooserSettings &s, int32_t width, int32_t height, uint8_t option) {
    std::ostringstream out;
    out.precision(9);
    out << "mode " << s.mode << " start " << s.rangeStart << " end " << s.rangeEnd << " blend " << s.blend
        << " reverse " << int(s.reverse) << " stretch " << s.stretch << " center (" << s.centerX << ", "
        << s.centerY << ") color " << int(s.color.red) << "," << int(s.color.green) << "," << int(s.color.blue)
        << " size " << width << "x" << height << " option " << int(option);
    return out.str();
}

// Random colours with some greys, primaries and near-ties so every branch of the measures is met.
PF_Pixel RandomPixel(std::mt19937 &rng) {
    std::uniform_int_distribution<int> byte(0, 255);
    PF_Pixel p{static_cast<uint8_t>(byte(rng)), static_cast<uint8_t>(byte(rng)), static_cast<uint8_t>(byte(rng)),
               static_cast<uint8_t>(byte(rng))};
    switch (byte(rng) % 8) {
        case 0: p.green = p.blue = p.red; break;
        case 1: p.green = p.red; break;
        case 2: p.blue = p.green; break;
        default: break;
    }
    return p;
}

// A float with a random fraction, sometimes whole.
float Jitter(std::mt19937 &rng, float lo, float hi) {
    std::uniform_real_distribution<float> value(lo, hi);
    const float v = value(rng);
    return (rng() % 3 == 0) ? std::floor(v) : v;
}

struct Outcome {
    long pixels = 0;
    long partial = 0;  // weights strictly between 0 and 256
    long chosen = 0;
};

// Runs every row operation of the chooser's class over a random image and compares each entry with
// the reference, counting what was seen for coverage checks.
void CompareWithReference(const ChooserSettings &s, int32_t width, int32_t height, uint8_t option,
                          std::mt19937 &rng, Outcome &seen) {
    Frame frame(width, height);
    PixelChooser chooser(option, s, &frame.image);
    const orvref::RefChooser ref = orvref::MakeRefChooser(s, width, height, option);
    const std::string what = Describe(s, width, height, option);
    EXPECT_FALSE(chooser.Failed()) << what;
    if (chooser.Failed()) return;
    EXPECT_EQ(chooser.IsAll(), orvref::RefIsAll(ref)) << what;
    EXPECT_EQ(chooser.IsMeasured(), orvref::RefIsMeasured(ref)) << what;
    EXPECT_EQ(chooser.IsGeometric(), orvref::RefIsGeometric(ref)) << what;
    EXPECT_EQ(chooser.IsSoft(), orvref::RefIsSoft(ref)) << what;
    if (!chooser.IsAll()) {
        EXPECT_EQ(chooser.Kind(), orvref::RefKind(ref)) << what;
    }

    std::vector<PF_Pixel> row(static_cast<size_t>(width));
    for (int32_t y = 0; y < height; ++y) {
        for (PF_Pixel &p : row) p = RandomPixel(rng);
        if (chooser.IsAll()) {
            chooser.FillWeights();
        } else if (chooser.IsMeasured()) {
            chooser.MaskPixels(row.data());
            chooser.WeightPixels(row.data());
        } else {
            chooser.MaskRow(y);
            chooser.WeightRow(y);
        }
        for (int32_t x = 0; x < width; ++x) {
            const PF_Pixel &p = row[static_cast<size_t>(x)];
            const int32_t weight = orvref::RefWeight(ref, x, y, p);
            ASSERT_EQ(chooser.Weights()[x], weight)
                << what << " at x " << x << " y " << y << " pixel " << int(p.alpha) << "," << int(p.red) << ","
                << int(p.green) << "," << int(p.blue);
            if (!chooser.IsAll()) {
                const bool chosen = orvref::RefChosen(ref, x, y, p);
                ASSERT_EQ(chooser.Mask()[x], chosen ? 1 : 0)
                    << what << " at x " << x << " y " << y << " pixel " << int(p.alpha) << "," << int(p.red)
                    << "," << int(p.green) << "," << int(p.blue);
                seen.chosen += chosen;
            }
            ++seen.pixels;
            seen.partial += weight > 0 && weight < 256;
        }
    }
}

// Every mode x (start 0 or not) x Reverse x blend size x stretch x option, with random values.
TEST(Chooser, RowOperationsMatchReferenceOnRandomSettings) {
    std::mt19937 rng(20240611);
    std::vector<long> partialByMode(14, 0), chosenByMode(14, 0), pixelsByMode(14, 0);
    const float stretches[] = {0.0f, 100.0f, -100.0f, 37.5f, -12.25f};
    for (int32_t mode = 0; mode <= 13; ++mode)
        for (int startZero = 0; startZero < 2; ++startZero)
            for (int reverse = 0; reverse < 2; ++reverse)
                for (int blendSize = 0; blendSize < 4; ++blendSize)
                    for (float stretch : stretches)
                        for (uint8_t option = 0; option < 2; ++option)
                            for (int repeat = 0; repeat < 2; ++repeat) {
                                const int32_t width = 1 + 2 * static_cast<int32_t>(rng() % 34);  // odd, 1..67
                                const int32_t height = 1 + static_cast<int32_t>(rng() % 9);
                                const bool circle = mode == 7 || mode == 13;
                                const bool geometric = mode >= 10;
                                // Units: measured x300 (bytes up to ~300, RGB Diff up to 595), degrees,
                                // or pixels (up to 1.25 x width, centre anywhere near the frame).
                                const float top = circle ? 400.0f : geometric ? 1.25f * width : (mode == 9 ? 600.0f : 300.0f);
                                float start = startZero ? 0.0f : Jitter(rng, circle ? -400.0f : 0.0f, top);
                                if (!startZero && !circle && start < 1.0f) start = 1.0f;
                                float end = Jitter(rng, circle ? -200.0f : 0.0f, circle ? 760.0f : top);
                                if (rng() % 4 == 0 && !circle) end = start + Jitter(rng, 0.0f, top / 4);
                                const float span = std::fabs(end - start);
                                float blend = 0.0f;
                                switch (blendSize) {
                                    case 0: blend = 0.0f; break;
                                    case 1: blend = Jitter(rng, 0.01f, 0.99f); break;  // truncates to 0
                                    case 2: blend = Jitter(rng, 1.0f, circle ? 90.0f : top / 6 + 1.0f); break;
                                    case 3: blend = span / 2 + Jitter(rng, 1.0f, 60.0f); break;  // past mid
                                }
                                const float cx = Jitter(rng, -0.3f * width, 1.3f * width);
                                const float cy = Jitter(rng, -0.3f * height, 1.3f * height);
                                PF_Pixel color = RandomPixel(rng);
                                ChooserSettings s = Settings(mode, start, end, blend, reverse != 0, stretch, cx, cy, color);
                                Outcome o;
                                CompareWithReference(s, width, height, option, rng, o);
                                if (HasFatalFailure()) return;
                                partialByMode[mode] += o.partial;
                                chosenByMode[mode] += o.chosen;
                                pixelsByMode[mode] += o.pixels;
                            }
    // The random cases reach every mode's ramps and both sides of every selection.
    for (int32_t mode = 1; mode <= 13; ++mode) {
        EXPECT_GT(partialByMode[mode], 0) << "mode " << mode;
        EXPECT_GT(chosenByMode[mode], 0) << "mode " << mode;
        EXPECT_LT(chosenByMode[mode], pixelsByMode[mode]) << "mode " << mode;
    }
}


// ---- exact cases ---------------------------------------------------------------------------------

// The buffer of one row after the operation the render would call for the chooser's class.
std::vector<int> HardRow(PixelChooser &c, int32_t y, const std::vector<PF_Pixel> &pixels = {}) {
    if (c.IsMeasured())
        c.MaskPixels(pixels.data());
    else
        c.MaskRow(y);
    return std::vector<int>(c.Mask(), c.Mask() + c.Width());
}
std::vector<int> SoftRow(PixelChooser &c, int32_t y, const std::vector<PF_Pixel> &pixels = {}) {
    if (c.IsAll())
        c.FillWeights();
    else if (c.IsMeasured())
        c.WeightPixels(pixels.data());
    else
        c.WeightRow(y);
    return std::vector<int>(c.Weights(), c.Weights() + c.Width());
}

// A mask row from the inclusive column ranges that are chosen.
std::vector<int> Chosen(int32_t width, std::initializer_list<std::pair<int, int>> ranges) {
    std::vector<int> row(static_cast<size_t>(width), 0);
    for (const auto &r : ranges)
        for (int x = r.first; x <= r.second; ++x) row[static_cast<size_t>(x)] = 1;
    return row;
}

std::vector<PF_Pixel> Reds(std::initializer_list<int> values) {
    std::vector<PF_Pixel> row;
    for (int v : values) row.push_back(PF_Pixel{255, static_cast<uint8_t>(v), 0, 0});
    return row;
}

// A colour of the given hue, found with the reference's own hue.
PF_Pixel PixelWithHue(int32_t hue) {
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                const PF_Pixel p{255, static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)};
                if (orvref::RefHue(p) == hue) return p;
            }
    ADD_FAILURE() << "no colour of hue " << hue;
    return PF_Pixel{};
}

std::vector<PF_Pixel> Hues(std::initializer_list<int32_t> hues) {
    std::vector<PF_Pixel> row;
    for (int32_t h : hues) row.push_back(PixelWithHue(h));
    return row;
}

constexpr int32_t kLuma = 1, kRed = 2, kHue = 7, kRgbDiff = 9, kPoint = 10, kRectangle = 11, kEdge = 12,
                  kAngle = 13;

struct RowCase {
    const char *name;
    ChooserSettings settings;
    int32_t width, height;
    uint8_t option;
    int32_t y;
    std::vector<PF_Pixel> pixels;  // measured modes
    bool soft;                     // weights rather than mask
    std::vector<int> expected;
};

TEST(Chooser, ExactRows) {
    const PF_Pixel kBlack{255, 0, 0, 0};
    const float kPin = 1.0f / 256;  // horizontal centre of the single-precision Point case
    const std::vector<PF_Pixel> hueRow = {
        PF_Pixel{255, 255, 0, 0},  // 0
        PF_Pixel{255, 255, 251, 0},  // 59
        PF_Pixel{255, 255, 255, 0},  // 60
        PF_Pixel{255, 251, 0, 255},  // 299
        PF_Pixel{255, 255, 0, 255},  // 300
        PF_Pixel{255, 255, 0, 5},  // 359
        PF_Pixel{255, 0, 255, 0},  // 120
    };
    const RowCase cases[] = {
        // Edge: distance 0 on the first row and column, 1 on the last ones (height - y, width - x).
        {"edge first row", Settings(kEdge, 0, 0, 0), 5, 4, 0, 0, {}, false, {1, 1, 1, 1, 1}},
        {"edge middle row", Settings(kEdge, 0, 0, 0), 5, 4, 0, 1, {}, false, {1, 0, 0, 0, 0}},
        {"edge last row", Settings(kEdge, 0, 0, 0), 5, 4, 0, 3, {}, false, {1, 0, 0, 0, 0}},
        {"edge last row, end 1", Settings(kEdge, 0, 1, 0), 5, 4, 0, 3, {}, false, {1, 1, 1, 1, 1}},
        {"edge row 2, end 1", Settings(kEdge, 0, 1, 0), 5, 4, 0, 2, {}, false, {1, 1, 0, 0, 1}},
        {"edge row 1, end 1", Settings(kEdge, 0, 1, 0), 5, 4, 0, 1, {}, false, {1, 1, 1, 1, 1}},
        {"edge row 1, end 1, vertical doubled", Settings(kEdge, 0, 1, 0), 5, 4, 1, 1, {}, false, {1, 1, 0, 0, 1}},
        // Point about x 10.5: columns 10 and 11 are equally distant.
        {"point 10.5 hard", Settings(kPoint, 0, 3, 0, false, 0, 10.5f, 0), 22, 1, 0, 0, {}, false,
         Chosen(22, {{8, 13}})},
        {"point 10.5 soft", Settings(kPoint, 0, 3, 2, false, 0, 10.5f, 0), 22, 1, 0, 0, {}, true,
         {0, 0, 0, 0, 0, 0, 0, 0, 128, 256, 256, 256, 256, 128, 0, 0, 0, 0, 0, 0, 0, 0}},
        // The square of (33 - 1/256, 1 - 63/128) is 1089.0000763 exactly: 1089.00012 as a float, beyond
        // 33 squared. Squares summed in single precision would give 1089 and choose the pixel.
        {"point square rounded once", Settings(kPoint, 0, 33, 0, false, 0, kPin, 63.0f / 128), 40, 2, 0, 1, {},
         false, Chosen(40, {{0, 32}})},
        {"point vertical doubled", Settings(kPoint, 0, 4, 0), 6, 5, 1, 2, {}, false, Chosen(6, {{0, 0}})},
        {"point vertical single", Settings(kPoint, 0, 4, 0), 6, 5, 0, 2, {}, false, Chosen(6, {{0, 3}})},
        // Rectangle 10..20 reversed: the square ring is not chosen, inside and outside are.
        {"ring centre row", Settings(kRectangle, 10, 20, 0, true, 0, 25, 25), 51, 51, 0, 25, {}, false,
         Chosen(51, {{0, 4}, {16, 34}, {46, 50}})},
        {"ring row 16", Settings(kRectangle, 10, 20, 0, true, 0, 25, 25), 51, 51, 0, 16, {}, false,
         Chosen(51, {{0, 4}, {16, 34}, {46, 50}})},
        {"ring row 10", Settings(kRectangle, 10, 20, 0, true, 0, 25, 25), 51, 51, 0, 10, {}, false,
         Chosen(51, {{0, 4}, {46, 50}})},
        {"ring row 3", Settings(kRectangle, 10, 20, 0, true, 0, 25, 25), 51, 51, 0, 3, {}, false,
         Chosen(51, {{0, 50}})},
        // Stretch: 1 / 4.3 as a float is just above 10/43, so column 43 squeezes to 10 (and 53 x 1/2.65 to 20).
        {"rectangle stretch 100", Settings(kRectangle, 0, 9, 0, false, 100), 50, 1, 0, 0, {}, false,
         Chosen(50, {{0, 42}})},
        {"rectangle stretch 50", Settings(kRectangle, 0, 19, 0, false, 50), 60, 1, 0, 0, {}, false,
         Chosen(60, {{0, 52}})},
        // Stretch -100 scales the vertical offset without truncating it: 38 / 4.3 = 8.84 and
        // 39 / 4.3 = 9.07; 43 x float(1 / 4.3) = 10.0000003 is held as the float 10.
        {"rectangle stretch -100 row 38", Settings(kRectangle, 0, 9, 0, false, -100), 50, 50, 0, 38, {}, false,
         Chosen(50, {{0, 9}})},
        {"rectangle stretch -100 row 39", Settings(kRectangle, 0, 9, 0, false, -100), 50, 50, 0, 39, {}, false,
         Chosen(50, {})},
        {"rectangle stretch -100 row 43", Settings(kRectangle, 0, 10, 0, false, -100), 50, 50, 0, 43, {}, false,
         Chosen(50, {{0, 10}})},
        {"point stretch 100 row 0", Settings(kPoint, 0, 9, 0, false, 100), 50, 10, 0, 0, {}, false,
         Chosen(50, {{0, 42}})},
        {"point stretch 100 row 9", Settings(kPoint, 0, 9, 0, false, 100), 50, 10, 0, 9, {}, false,
         Chosen(50, {{0, 4}})},
        // Angle about (5, 3): right 0, below 90, left 180, above 270; the centre itself is at 0.
        {"angle 0", Settings(kAngle, 0, 1, 0, false, 0, 5, 3), 11, 7, 0, 3, {}, false, Chosen(11, {{5, 10}})},
        {"angle 0 below", Settings(kAngle, 0, 1, 0, false, 0, 5, 3), 11, 7, 0, 4, {}, false, Chosen(11, {})},
        {"angle 90", Settings(kAngle, 90, 91, 0, false, 0, 5, 3), 11, 7, 0, 4, {}, false, Chosen(11, {{5, 5}})},
        {"angle 180", Settings(kAngle, 180, 181, 0, false, 0, 5, 3), 11, 7, 0, 3, {}, false, Chosen(11, {{0, 4}})},
        {"angle 270", Settings(kAngle, 270, 271, 0, false, 0, 5, 3), 11, 7, 0, 2, {}, false, Chosen(11, {{5, 5}})},
        {"angle diagonal is 44", Settings(kAngle, 44, 45, 0, false, 0, 5, 3), 11, 7, 0, 5, {}, false,
         Chosen(11, {{7, 7}})},
        {"angle diagonal is not 45", Settings(kAngle, 45, 46, 0, false, 0, 5, 3), 11, 7, 0, 5, {}, false,
         Chosen(11, {})},
        // Hue on the circle: -60..60 wraps; 300..60 chooses nothing; the end hue is not chosen.
        {"hue -60..60", Settings(kHue, -60, 60, 0), 7, 1, 0, 0, hueRow, false, {1, 1, 0, 0, 1, 1, 0}},
        {"hue 300..60", Settings(kHue, 300, 60, 0), 7, 1, 0, 0, hueRow, false, {0, 0, 0, 0, 0, 0, 0}},
        {"hue 300..60 soft", Settings(kHue, 300, 60, 30), 7, 1, 0, 0, hueRow, true, {0, 0, 0, 0, 0, 0, 0}},
        {"hue 0..60", Settings(kHue, 0, 60, 0), 7, 1, 0, 0, hueRow, false, {1, 1, 0, 0, 0, 0, 0}},
        {"hue 0..60 reversed", Settings(kHue, 0, 60, 0, true), 7, 1, 0, 0, hueRow, false, {0, 0, 1, 1, 1, 1, 1}},
        // Reversed with blend: ramps past the end and, mirrored, before the start.
        {"hue 100..200 reversed soft", Settings(kHue, 100, 200, 30, true), 9, 1, 0, 0,
         Hues({150, 200, 215, 230, 85, 70, 99, 100, 330}), true, {0, 0, 128, 256, 128, 256, 8, 0, 256}},
        // Ramps that overlap (span + 2 blend > 360): the upper one wins up to end + blend.
        {"hue 0..300 reversed, ramps overlap", Settings(kHue, 0, 300, 40, true), 6, 1, 0, 0,
         Hues({300, 310, 330, 340, 350, 0}), true, {0, 64, 192, 128, 64, 0}},
        {"hue 100..200 reversed hard", Settings(kHue, 100, 200, 30, true), 9, 1, 0, 0,
         Hues({150, 200, 215, 230, 85, 70, 99, 100, 330}), false, {0, 1, 1, 1, 1, 1, 1, 0, 1}},
        // Hard Luma compares 77R + 150G + 29B with 256 x end: 25677 has Luma 100 but is above 25600.
        {"luma hard upper bound", Settings(kLuma, 0, 100.7f, 0), 3, 1, 0, 0,
         {PF_Pixel{0, 100, 100, 100}, PF_Pixel{0, 101, 100, 100}, PF_Pixel{0, 99, 99, 99}}, false, {1, 0, 1}},
        {"luma soft upper bound", Settings(kLuma, 0, 100.7f, 0), 3, 1, 0, 0,
         {PF_Pixel{0, 100, 100, 100}, PF_Pixel{0, 101, 100, 100}, PF_Pixel{0, 99, 99, 99}}, true, {256, 256, 256}},
        // RGB Diff beyond 255 is compared whole: 315 ramps, it is not folded to 59.
        {"rgb diff soft above 255", Settings(kRgbDiff, 0, 400, 100, false, 0, 0, 0, kBlack), 4, 1, 0, 0,
         {PF_Pixel{0, 255, 255, 255}, PF_Pixel{0, 255, 255, 0}, PF_Pixel{0, 200, 100, 0}, PF_Pixel{0, 255, 60, 0}},
         true, {0, 0, 256, 217}},
        {"rgb diff hard above 255", Settings(kRgbDiff, 0, 400, 0, false, 0, 0, 0, kBlack), 4, 1, 0, 0,
         {PF_Pixel{0, 255, 255, 255}, PF_Pixel{0, 255, 255, 0}, PF_Pixel{0, 200, 100, 0}, PF_Pixel{0, 255, 60, 0}},
         false, {0, 0, 1, 1}},
        // Inside with blend beyond half the span: the ramps meet at mid 110 and never reach 256.
        {"inside wide blend", Settings(kRed, 100, 120, 30), 8, 1, 0, 0, Reds({99, 100, 105, 109, 110, 115, 120, 121}),
         true, {0, 0, 42, 76, 85, 42, 0, 0}},
        {"above end", Settings(kRed, 0, 100, 20, true), 6, 1, 0, 0, Reds({50, 100, 101, 110, 120, 121}), true,
         {0, 0, 12, 128, 256, 256}},
        {"above end hard", Settings(kRed, 0, 100, 20, true), 6, 1, 0, 0, Reds({50, 100, 101, 110, 120, 121}), false,
         {0, 0, 1, 1, 1, 1}},
        {"up to end", Settings(kRed, 0, 20, 4), 5, 1, 0, 0, Reds({0, 3, 16, 18, 21}), true, {256, 256, 256, 128, 0}},
        {"start 1 inside", Settings(kRed, 1, 20, 4), 5, 1, 0, 0, Reds({0, 1, 3, 5, 20}), true, {0, 0, 128, 256, 0}},
        {"start 1 inside hard", Settings(kRed, 1, 20, 4), 5, 1, 0, 0, Reds({0, 1, 3, 5, 20}), false, {0, 1, 1, 1, 1}},
    };
    for (const RowCase &c : cases) {
        Frame frame(c.width, c.height);
        PixelChooser chooser(c.option, c.settings, &frame.image);
        ASSERT_FALSE(chooser.Failed()) << c.name;
        EXPECT_EQ(c.soft ? SoftRow(chooser, c.y, c.pixels) : HardRow(chooser, c.y, c.pixels), c.expected) << c.name;
    }
}

TEST(Chooser, RangeKindAndClassFlags) {
    const struct {
        ChooserSettings settings;
        bool all, measured, geometric, soft;
        int32_t kind;
    } cases[] = {
        {Settings(kRed, 0, 10, 0), false, true, false, false, orv::kUpToEnd},
        {Settings(kRed, 0, 10, 0, true), false, true, false, false, orv::kAboveEnd},
        {Settings(kRed, 0.9f, 10, 0), false, true, false, false, orv::kUpToEnd},  // start truncates to 0
        {Settings(kRed, 1, 10, 0), false, true, false, false, orv::kInside},
        {Settings(kRed, 1, 10, 0, true), false, true, false, false, orv::kOutside},
        {Settings(kHue, 0, 60, 0), false, true, false, false, orv::kInside},
        {Settings(kHue, 0, 60, 0, true), false, true, false, false, orv::kOutside},
        {Settings(kAngle, 0, 60, 0), false, false, true, false, orv::kInside},
        {Settings(kAngle, 0, 60, 0, true), false, false, true, false, orv::kOutside},
        {Settings(kRed, 0, 10, 0.99f), false, true, false, false, orv::kUpToEnd},  // blend truncates to 0
        {Settings(kRed, 0, 10, 1.0f), false, true, false, true, orv::kUpToEnd},
        {Settings(kEdge, 0, 10, 0.5f), false, false, true, false, orv::kUpToEnd},
        {Settings(kEdge, 0, 10, 3.0f), false, false, true, true, orv::kUpToEnd},
        {Settings(0, 0, 0, 100.0f), true, false, false, false, -1},  // All: never soft
    };
    Frame frame(4, 4);
    for (const auto &c : cases) {
        PixelChooser chooser(0, c.settings, &frame.image);
        const std::string what = Describe(c.settings, 4, 4, 0);
        EXPECT_EQ(chooser.IsAll(), c.all) << what;
        EXPECT_EQ(chooser.IsMeasured(), c.measured) << what;
        EXPECT_EQ(chooser.IsGeometric(), c.geometric) << what;
        EXPECT_EQ(chooser.IsSoft(), c.soft) << what;
        if (c.kind >= 0) {
            EXPECT_EQ(chooser.Kind(), c.kind) << what;
        }
    }
}

TEST(Chooser, FillAndScaleWeights) {
    Frame frame(5, 1);
    PixelChooser all(0, Settings(0, 0, 0, 40.0f), &frame.image);
    const struct {
        int32_t k, weight;
    } cases[] = {{128, 128}, {256, 256}, {0, 0}, {255, 255}, {1, 1}, {-1, -1}, {-255, -255}};
    for (const auto &c : cases) {
        all.FillWeights();
        all.ScaleWeights(c.k);
        EXPECT_EQ(std::vector<int>(all.Weights(), all.Weights() + 5), std::vector<int>(5, c.weight)) << c.k;
    }
    // Scaling twice: 256 -> 128 -> 64; partial weights shift arithmetically.
    all.FillWeights();
    all.ScaleWeights(128);
    all.ScaleWeights(128);
    EXPECT_EQ(all.Weights()[4], 64);

    Frame red(3, 1);
    PixelChooser soft(0, Settings(kRed, 0, 20, 4), &red.image);
    const std::vector<PF_Pixel> pixels = Reds({18, 0, 30});  // 128, 256, 0
    soft.WeightPixels(pixels.data());
    soft.ScaleWeights(129);
    EXPECT_EQ(std::vector<int>(soft.Weights(), soft.Weights() + 3), (std::vector<int>{64, 129, 0}));
}

// A row operation of another class leaves its buffer as it was; mode All fills 256 whatever Blend.
TEST(Chooser, OperationsOfAnotherClassLeaveTheBuffers) {
    Frame frame(6, 3);
    const std::vector<PF_Pixel> pixels(6, PF_Pixel{255, 200, 100, 50});

    PixelChooser all(0, Settings(0, 0, 0, 100.0f), &frame.image);
    EXPECT_FALSE(all.IsSoft());
    all.FillWeights();
    all.WeightPixels(pixels.data());
    all.WeightRow(1);
    all.MaskPixels(pixels.data());
    all.MaskRow(1);
    EXPECT_EQ(std::vector<int>(all.Weights(), all.Weights() + 6), std::vector<int>(6, 256));
    EXPECT_EQ(std::vector<int>(all.Mask(), all.Mask() + 6), std::vector<int>(6, 0));

    PixelChooser edge(0, Settings(kEdge, 0, 1, 1), &frame.image);
    const std::vector<int> mask = HardRow(edge, 1);
    const std::vector<int> weights = SoftRow(edge, 1);
    edge.MaskPixels(pixels.data());
    edge.WeightPixels(pixels.data());
    EXPECT_EQ(std::vector<int>(edge.Mask(), edge.Mask() + 6), mask);
    EXPECT_EQ(std::vector<int>(edge.Weights(), edge.Weights() + 6), weights);

    PixelChooser luma(0, Settings(kLuma, 0, 100, 10), &frame.image);
    const std::vector<int> lumaMask = HardRow(luma, 0, pixels);
    const std::vector<int> lumaWeights = SoftRow(luma, 0, pixels);
    luma.MaskRow(0);
    luma.WeightRow(0);
    EXPECT_EQ(std::vector<int>(luma.Mask(), luma.Mask() + 6), lumaMask);
    EXPECT_EQ(std::vector<int>(luma.Weights(), luma.Weights() + 6), lumaWeights);
}

// Modes beyond the list belong to no class and choose nothing.
TEST(Chooser, UnknownModesChooseNothing) {
    Frame frame(4, 2);
    const std::vector<PF_Pixel> pixels(4, PF_Pixel{255, 255, 255, 255});
    for (int32_t mode : {14, 255, -1}) {
        PixelChooser c(0, Settings(mode, 0, 100, 10), &frame.image);
        ASSERT_FALSE(c.Failed());
        EXPECT_FALSE(c.IsAll() || c.IsMeasured() || c.IsGeometric() || c.IsSoft()) << mode;
        c.MaskPixels(pixels.data());
        c.MaskRow(0);
        c.WeightPixels(pixels.data());
        c.WeightRow(0);
        EXPECT_EQ(std::vector<int>(c.Mask(), c.Mask() + 4), std::vector<int>(4, 0)) << mode;
        EXPECT_EQ(std::vector<int>(c.Weights(), c.Weights() + 4), std::vector<int>(4, 0)) << mode;
    }
}

// Stretch squeezes Point and Rectangle only: Edge and Angle rows are the same at every Stretch.
TEST(Chooser, EdgeAndAngleIgnoreStretch) {
    for (int32_t mode : {kEdge, kAngle})
        for (float stretch : {100.0f, -100.0f, 33.0f}) {
            Frame frame(23, 9);
            PixelChooser plain(0, Settings(mode, 3, 60, 4, false, 0, 7.5f, 4.25f), &frame.image);
            PixelChooser stretched(0, Settings(mode, 3, 60, 4, false, stretch, 7.5f, 4.25f), &frame.image);
            for (int32_t y = 0; y < 9; ++y) {
                EXPECT_EQ(HardRow(stretched, y), HardRow(plain, y)) << mode << " " << stretch << " row " << y;
                EXPECT_EQ(SoftRow(stretched, y), SoftRow(plain, y)) << mode << " " << stretch << " row " << y;
            }
        }
}

// The reference's squeeze factor (used by whole-render comparisons too): 1/4.3 at Stretch +-100.
TEST(Chooser, StretchFactorAtFullStretchIsOneOverFourPointThree) {
    EXPECT_EQ(orvref::RefStretchFactor(100.0f), static_cast<float>(1.0 / 4.3));
    EXPECT_EQ(orvref::RefStretchFactor(-100.0f), static_cast<float>(1.0 / 4.3));
    EXPECT_EQ(orvref::RefStretchFactor(50.0f), static_cast<float>(1.0 / (1.0 + 50.0 * 0.033f)));
}

// Unusual sizes: an empty frame, a side that reads negative as a 16-bit number, and no source at all
// give choosers with no columns that write nothing.
TEST(Chooser, FramesWithoutColumns) {
    const std::vector<PF_Pixel> pixels(1, PF_Pixel{255, 1, 2, 3});
    for (int32_t width : {0, -3, -32768}) {
        Frame frame(width, 2);
        for (int32_t mode : {0, kLuma, kPoint, kAngle}) {
            PixelChooser c(0, Settings(mode, 0, 10, 2), &frame.image);
            ASSERT_FALSE(c.Failed());
            EXPECT_EQ(c.Width(), width);
            c.MaskPixels(pixels.data());
            c.WeightPixels(pixels.data());
            c.MaskRow(0);
            c.WeightRow(0);
            c.FillWeights();
            c.ScaleWeights(7);
        }
    }
    PixelChooser none(0, Settings(kPoint, 0, 10, 2), nullptr);
    EXPECT_FALSE(none.Failed());
    EXPECT_EQ(none.Width(), 0);
    none.WeightRow(0);
}

}  // namespace
