// The brightness-contrast table: known entries, the clamp, and the whole table against a plain
// restatement of the formulas on many seeded random settings.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "reference/render_reference.h"
#include "render/brightness_contrast_table.h"

namespace {

std::array<uint8_t, 256> Build(float b, float c) {
    std::array<uint8_t, 256> table{};
    orv::FillBrightnessContrastTable(b, c, table.data());
    return table;
}

uint8_t Store(float v) {
    uint8_t byte = 77;
    return orv::StoreClampedByte(v, &byte), byte;
}

// Entries worked out by hand: {brightness, contrast, {first entry, last entry, value (-1: the entry itself)}...}.
TEST(LookupTable, KnownEntries) {
    const struct { float brightness, contrast; std::vector<std::array<int, 3>> spans; } cases[] = {
        {0, 0, {{0, 255, -1}}}, {-50, -100, {{0, 255, 43}}},  // round(128 x 51/151)
        {-80, 100, {{0, 127, 0}, {128, 255, 255}}},
        {0, 99, {{0, 126, 0}, {127, 127, 28}, {128, 128, 128}, {129, 129, 228}, {130, 255, 255}}},
        {0, 50, {{100, 100, 72}, {127, 127, 126}, {129, 129, 130}, {192, 255, 255}, {0, 64, 0}}},
        {50, 0, {{0, 0, 0}, {1, 1, 3}, {64, 64, 189}, {85, 85, 252}, {86, 255, 255}}},
        {100, 0, {{0, 0, 0}, {1, 1, 201}, {2, 255, 255}}}, };
    for (const auto &c : cases) {
        const auto table = Build(c.brightness, c.contrast);
        for (const auto &[from, to, value] : c.spans)
            for (int j = from; j <= to; ++j)
                EXPECT_EQ(table[j], value < 0 ? j : value) << "B=" << c.brightness << " C=" << c.contrast << " entry " << j;
    }
}

// t = value + 0.5 in single precision, clamped, truncated.
TEST(LookupTable, StoreClampedByte) {
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (auto [value, byte] : {std::pair{-inf, 0}, {nan, 0}, {std::nextafter(-0.5f, 0.0f), 0}, {0.49f, 0}, {0.5f, 1},
                               {std::nextafter(0.5f, 0.0f), 1},  // 1 - 2^-25 rounds to 1.0f before truncation
                               {127.5f, 128}, {254.49998f, 254}, {254.5f, 255}, {inf, 255}})
        EXPECT_EQ(Store(value), byte) << value;
}

TEST(LookupTable, MatchesFormulasOnRandomSettings) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<float> any(-100.0f, 100.0f);
    std::uniform_int_distribution<int> hundredths(-10000, 10000);
    std::vector<std::pair<float, float>> settings = {
        {0, std::nextafter(100.0f, 0.0f)}, {-100, std::nextafter(100.0f, 0.0f)}, {100, -100}, {-100, -100},
        {0, std::nextafter(0.0f, 1.0f)},   {0, -0.0f}};
    for (int i = 0; i < 3000; ++i) settings.push_back({any(rng), any(rng)});
    for (int i = 0; i < 3000; ++i)
        settings.push_back({orvref::SliderReading(hundredths(rng) / 100.0), orvref::SliderReading(hundredths(rng) / 100.0)});
    for (const auto &[b, c] : settings) ASSERT_EQ(Build(b, c), orvref::Table(b, c)) << "B=" << b << " C=" << c;
}

}  // namespace
