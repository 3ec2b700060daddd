// Whole renders through the module's `main`, as hosts drive it, against reference/render_reference.h.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "host/host_context.h"
#include "reference/render_reference.h"
#include "support/test_support.h"

using aehost::Host;
using aehost::Image;
using orvref::HostValues;

namespace {

testing::AssertionResult RendersAsReference(Host &host, const Image &in, const HostValues &v, const std::string &name,
                                            int32_t frameWidth = 0, int32_t frameHeight = 0) {
    orvtest::ApplyHostValues(host, v);
    Image out;
    if (PF_Err err = host.Render(in, out)) return testing::AssertionFailure() << "main returned " << err;
    return orvtest::SamePicture(out.Packed(), orvref::Render(in, v, frameWidth, frameHeight), in.width, name)
           << "\n  " << orvtest::Describe(v) << ", " << in.width << "x" << in.height;
}

// Every chooser choice x range shape at every level, a channel choice and a mix in turn, on frames of
// every width 1..67 with padded rows (and some wider), every third with a value far out of range;
// rendered by 8 threads at once, each host with its own records, as a host with threaded rendering does.
TEST(Render, EveryLevelMatchesTheReferenceOnEightThreads) {
    for (orv::SimdLevel level : orvtest::Levels()) {
        constexpr int kThreads = 8;
        orvtest::ForcedLevel forced(level);
        std::vector<std::unique_ptr<Host>> hosts;  // set up on this thread, as hosts do
        for (int t = 0; t < kThreads; ++t) hosts.push_back(orvtest::ReadyHost(orvtest::FaultModule()));
        std::atomic<int> failures{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                for (int run = t; run < 14 * 8 * 6 && failures == 0; run += kThreads) {
                    std::mt19937 rng(424242 + run);
                    const bool wide = run % 37 == 0;
                    const int32_t width = wide ? 190 + run % 67 : 1 + run % 67, height = 1 + int32_t(rng() % (wide ? 13 : 9));
                    const Image in = orvtest::RandomImage(rng, width, height, int32_t(rng() % 3) * 4 + int32_t(rng() % 2));
                    const HostValues v = orvtest::RandomValues(rng, run, 1 + run % 14, (run / 14) % 8, width, height, run % 3 == 2);
                    const auto same = RendersAsReference(*hosts[t], in, v, std::string(orv::SimdLevelName(level)) + "_" + std::to_string(run));
                    if (!same) ADD_FAILURE() << same.message(), ++failures;
                }
            });
        for (std::thread &t : threads) t.join();
        ASSERT_EQ(failures, 0);
    }
}

// Pixels worked out by hand from the stated rules (tables: B 0 C 100 is the threshold at 128;
// B -100 C 0 maps 0..100 to 0 and the rest to 1; B 100 C -100 maps everything to 255).
TEST(Render, HandWorkedPixels) {
    auto values = [](double b, double c, double mix, int32_t channels, int32_t choose = 1) {
        return HostValues{b, c, mix, channels, choose};
    };
    const struct {
        const char *what;
        HostValues v;
        std::vector<PF_Pixel> in, out;  // alpha, red, green, blue
    } cases[] = {
        {"threshold", values(0, 100, 0, 1), {{10, 127, 128, 0}}, {{10, 0, 255, 0}}},
        // mix 100: weight (256 x 1) >> 8 = 1; (1 x 1 + 255 x 255) >> 8 = 254, (1 + 101 x 255) >> 8 = 100
        {"mix 100, darkening", values(-100, 0, 100, 1), {{255, 255, 0, 101}}, {{255, 254, 0, 100}}},
        // mix 50: weight 129; (100 x 127) >> 8 = 49, (255 x 129 + 200 x 127) >> 8 = 227
        {"mix 50", values(0, 100, 50, 1), {{200, 100, 200, 128}}, {{200, 49, 227, 191}}},
        {"Difference: colour 0 where nothing changed", values(0, 100, 0, 8), {{10, 100, 200, 128}, {7, 0, 255, 255}},
         {{10, 100, 55, 127}, {7, 0, 0, 0}}},
        {"Alpha, hard: colour kept", values(0, 100, 0, 9), {{100, 7, 200, 130}, {128, 1, 2, 3}},
         {{0, 7, 200, 130}, {255, 1, 2, 3}}},
        // Luma up to 25 % (75): the hard pass compares 77r + 150g + 29b = 19277 with 75 x 256 (76, 75, 75
        // not chosen); the weighted pass that any mix above 0 selects sees Luma 75 (chosen).
        {"Luma, mix 0.2 takes the weighted pass", values(0, 100, 0.2, 1, 2), {{255, 76, 75, 75}}, {{255, 0, 0, 0}}},
        {"Red up to 75 chosen, 76 not", values(0, 100, 0, 1, 3), {{255, 75, 200, 0}, {255, 76, 200, 0}},
         {{255, 0, 255, 0}, {255, 76, 200, 0}}},
        // Brightness 101 divides by zero: byte 0 (0 x infinity) stores 0, every other byte 255.
        {"Brightness 101, the gain pole", values(101, 0, 0, 1), {{0, 0, 1, 255}}, {{0, 0, 255, 255}}}, };
    auto host = orvtest::ReadyHost(orvtest::ShippedModule());
    for (const auto &c : cases) {
        Image in = Image::Make(int32_t(c.in.size()), 1);
        std::memcpy(in.pixels.data(), c.in.data(), in.pixels.size());
        orvtest::ApplyHostValues(*host, c.v);
        Image out;
        host->Render(in, out);
        EXPECT_EQ(std::memcmp(out.pixels.data(), c.out.data(), out.pixels.size()), 0) << c.what;
    }
}

// The frame is the layer x the ratio, truncated in extended precision (not under valgrind's doubles).
TEST(Readings, ScaledLayerSize) {
    for (auto [size, num, den, scaled] : {std::array<int32_t, 4>{21, 5, 7, 14}, {-9, 1, 2, -4}, {7, 1, 0, 7}, {2000000000, 3, 1, INT32_MAX}})
        EXPECT_EQ(orv::ScaleByRatio(size, PF_RationalScale{num, uint32_t(den)}), scaled) << size << " x " << num << "/" << den;
}

// At half resolution the geometric ranges scale with the rendered frame width, not the layer's.
TEST(Render, DownsampledRenderScalesGeometricRangesByFrameWidth) {
    auto host = orvtest::ReadyHost(orvtest::ShippedModule());
    host->SetDownsample(1, 2);
    std::mt19937 rng(5);
    for (int run = 0; run < 36; ++run) {
        const int32_t width = 17 + 2 * int32_t(rng() % 10), height = 9 + int32_t(rng() % 12);
        const Image in = orvtest::RandomImage(rng, width, height, 4 * (run % 2));
        const HostValues v = orvtest::RandomValues(rng, run, 11 + run % 4, run % 8, width, height);
        ASSERT_TRUE(RendersAsReference(*host, in, v, "downsampled_" + std::to_string(run)));
    }
}

}  // namespace
