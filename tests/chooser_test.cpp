// The pixel chooser's row operations against the plain per-pixel reference, on seeded random
// images and settings, and its edge cases as exact tables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
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

}  // namespace
