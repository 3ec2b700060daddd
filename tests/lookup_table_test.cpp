// The brightness-contrast table: the byte store's rounding and clamp, and the whole table against a
// plain restatement of the formulas on many seeded random settings.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "reference/render_reference.h"
#include "render/brightness_contrast_table.h"

namespace {

// t = value + 0.5 in single precision, clamped, truncated.
TEST(LookupTable, StoreClampedByte) {
    const float inf = INFINITY, nan = NAN;
    for (auto [value, byte] : {std::pair{-inf, 0}, {nan, 0}, {std::nextafter(-0.5f, 0.0f), 0}, {0.49f, 0}, {0.5f, 1},
                               {std::nextafter(0.5f, 0.0f), 1},  // 1 - 2^-25 rounds to 1.0f before truncation
                               {127.5f, 128}, {254.49998f, 254}, {254.5f, 255}, {inf, 255}}) {
        uint8_t stored = 77;
        orv::StoreClampedByte(value, &stored);
        EXPECT_EQ(stored, byte) << value;
    }
}

TEST(LookupTable, MatchesFormulasOnRandomSettings) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<float> any(-100.0f, 100.0f);
    std::uniform_int_distribution<int> hundredths(-10000, 10000);
    std::vector<std::pair<float, float>> settings = {{0, std::nextafter(100.0f, 0.0f)}, {-100, std::nextafter(100.0f, 0.0f)},
                                                     {100, -100}, {-100, -100}, {0, std::nextafter(0.0f, 1.0f)}, {0, -0.0f}};
    for (int i = 0; i < 3000; ++i) settings.push_back({any(rng), any(rng)});
    for (int i = 0; i < 3000; ++i)
        settings.push_back({orvref::SliderReading(hundredths(rng) / 100.0), orvref::SliderReading(hundredths(rng) / 100.0)});
    for (const auto &[b, c] : settings) {
        std::array<uint8_t, 256> table{};
        orv::FillBrightnessContrastTable(b, c, table.data());
        ASSERT_EQ(table, orvref::Table(b, c)) << "B=" << b << " C=" << c;
    }
}

}  // namespace
