// Whole renders through the module's `main`, as hosts drive it, against reference/render_reference.h.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "host/host_context.h"
#include "support/test_support.h"

using aehost::Image;

namespace {

// Every chooser choice x range shape at every level, a channel choice and a mix in turn, on frames of
// every width 1..67 with padded rows (some wider), every third with a value far out of range, every
// fourth at half resolution; by 8 threads at once, each host with its own records (threaded rendering).
TEST(Render, EveryLevelMatchesTheReferenceOnEightThreads) {
    for (orv::SimdLevel level : orvtest::Levels()) {
        orvtest::ForcedLevel forced(level);
        std::string name = orv::SimdLevelName(level);  // as ORVANE_SIMD may give it
        orv::SimdLevel parsed = orv::SimdLevel::kScalar;
        for (char &c : name) c = char(std::toupper(c));
        ASSERT_TRUE(orv::ParseSimdLevel(name.c_str(), &parsed) && parsed == level) << name;
        std::vector<std::unique_ptr<aehost::Host>> hosts;  // set up on this thread, as hosts do
        for (int t = 0; t < 8; ++t) hosts.push_back(orvtest::ReadyHost(orvtest::FaultModule()));
        std::atomic<int> failures{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 8; ++t)
            threads.emplace_back([&, t] {
                for (int run = t; run < 14 * 8 * 6 && failures == 0; run += 8) {
                    std::mt19937 rng(424242 + run);
                    const bool wide = run % 37 == 0;
                    const int32_t width = wide ? 190 + run % 67 : 1 + run % 67, height = 1 + int32_t(rng() % (wide ? 13 : 9));
                    const Image in = orvtest::RandomImage(rng, width, height, int32_t(rng() % 3) * 4 + int32_t(rng() % 2));
                    const auto v = orvtest::RandomValues(rng, run, 1 + run % 14, (run / 14) % 8, width, height, run % 3 == 2);
                    hosts[t]->SetDownsample(1, run % 4 == 3 ? 2 : 1);
                    orvtest::ApplyHostValues(*hosts[t], v);
                    Image out;
                    hosts[t]->Render(in, out);
                    if (out.Packed() != orvref::Render(in, v)) ADD_FAILURE() << orv::SimdLevelName(level) << ", run " << run << "\n  " << orvtest::Describe(v), ++failures;
                }
            });
        for (std::thread &t : threads) t.join();
        ASSERT_EQ(failures, 0);
    }
}

// Pixels (alpha, red, green, blue) worked out by hand where a rounding or a boundary decides the byte.
TEST(Render, HandWorkedPixels) {
    const struct { orvref::HostValues v; PF_Pixel in, out; } cases[] = {
        {{0, 100, 0, 1}, {10, 127, 128, 0}, {10, 0, 255, 0}},  // C 100: the threshold at 128
        // mix 100: weight (256 x 1) >> 8 = 1; (1 x 1 + 255 x 255) >> 8 = 254, (1 + 101 x 255) >> 8 = 100
        {{-100, 0, 100, 1}, {255, 255, 0, 101}, {255, 254, 0, 100}},  // B -100: 0..100 to 0, the rest to 1
        {{0, 100, 50, 1}, {200, 100, 200, 128}, {200, 49, 227, 191}},  // mix 50, weight 129: (100 x 127) >> 8 = 49
        // Luma up to 25 % (75): hard, 77r + 150g + 29b = 19277 > 75 x 256 (not chosen); any mix > 0 sees 75.
        {{0, 100, 0.2, 1, 2}, {255, 76, 75, 75}, {255, 0, 0, 0}},
        {{0, 100, 0, 1, 3}, {255, 75, 200, 0}, {255, 0, 255, 0}},  // Red up to 75: 75 chosen, 76 not
        {{0, 100, 0, 1, 3}, {255, 76, 200, 0}, {255, 76, 200, 0}},
        {{101, 0, 0, 1}, {0, 0, 1, 255}, {0, 0, 255, 255}}};  // B 101: 0 x infinity stores 0, other bytes 255
    auto host = orvtest::ReadyHost(orvtest::ShippedModule());
    for (const auto &c : cases) {
        Image in = Image::Make(1, 1), out;
        std::memcpy(in.pixels.data(), &c.in, 4);
        orvtest::ApplyHostValues(*host, c.v);
        host->Render(in, out);
        EXPECT_EQ(std::memcmp(out.pixels.data(), &c.out, 4), 0) << "case " << &c - cases;
    }
}

// The frame is the layer x the ratio, truncated in extended precision (not under valgrind's doubles).
TEST(Readings, ScaledLayerSize) {
    const int32_t rows[][4] = {{21, 5, 7, 14}, {-9, 1, 2, -4}, {7, 1, 0, 7}, {2000000000, 3, 1, INT32_MAX}};  // size, ratio, scaled
    for (const auto &r : rows)
        EXPECT_EQ(orv::ScaleByRatio(r[0], PF_RationalScale{r[1], uint32_t(r[2])}), r[3]) << r[0] << " x " << r[1] << "/" << r[2];
}

}  // namespace
