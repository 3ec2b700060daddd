// Whole renders through the built module's `main`, as a host drives it, against the plain reference
// of tests/reference/render_reference.h; hand-worked pixels; allocation failures at every point.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <vector>

#include "effect/render_settings.h"
#include "reference/render_reference.h"
#include "support/test_support.h"

using aehost::Host;
using aehost::Image;
using orvref::HostValues;

namespace {

void Apply(Host &host, const HostValues &v) { orvtest::ApplyHostValues(host, v); }

std::string Describe(const HostValues &v) {
    std::ostringstream s;
    s << "B " << v.brightness << " C " << v.contrast << " channels " << v.channels << " mix " << v.mix << " choose "
      << v.choosePixels << " range " << v.rangeStart << ".." << v.rangeEnd << " angles " << v.angleStart << ".."
      << v.angleEnd << " reverse " << v.reverse << " blend " << v.blend << " stretch " << v.stretch;
    if (v.centerSet) s << " center " << v.centerX << "," << v.centerY;
    return s.str();
}

Image FromPacked(const std::vector<uint8_t> &packed, int32_t width, int32_t height) {
    Image image = Image::Make(width, height);
    image.pixels = packed;
    return image;
}

// Renders `in` with `v` and compares with the reference; on a mismatch both pictures are saved.
testing::AssertionResult RendersAsReference(Host &host, const Image &in, const HostValues &v, const std::string &name,
                                            int32_t frameWidth = 0, int32_t frameHeight = 0) {
    Apply(host, v);
    Image out;
    if (PF_Err err = host.Render(in, out)) return testing::AssertionFailure() << "main returned " << err;
    const std::vector<uint8_t> expected = orvref::Render(in, v, frameWidth, frameHeight);
    const std::vector<uint8_t> got = out.Packed();
    if (got == expected) return testing::AssertionSuccess();
    size_t at = 0;
    while (at < got.size() && got[at] == expected[at]) ++at;
    orvtest::SaveForInspection(out, name + "_got");
    orvtest::SaveForInspection(FromPacked(expected, in.width, in.height), name + "_expected");
    const size_t pixel = at / 4;
    return testing::AssertionFailure() << name << ": " << Describe(v) << "\n  size " << in.width << "x" << in.height
                                       << ", first difference at pixel (" << pixel % in.width << ","
                                       << pixel / in.width << ") byte " << at % 4 << ": got " << int(got[at])
                                       << " expected " << int(expected[at]);
}

double Uniform(std::mt19937 &rng, double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(rng);
}
// Two decimals, as a person types a value.
double Typed(std::mt19937 &rng, double low, double high) { return std::round(Uniform(rng, low, high) * 100) / 100; }

bool IsGeometric(int32_t choose) { return choose >= 11 && choose <= 13; }
bool IsCircular(int32_t choose) { return choose == 8 || choose == 14; }

// Random chooser values for one "Choose Pixels by" choice (1-based) and one range shape.
HostValues RandomChooser(std::mt19937 &rng, int32_t choose, bool startZero, bool reverse, bool soft, int stretchSign,
                         int32_t width, int32_t height) {
    HostValues v;
    v.choosePixels = choose;
    v.reverse = reverse;
    v.color = PF_Pixel{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                       static_cast<uint8_t>(rng())};
    if (IsCircular(choose)) {
        v.angleStart = startZero ? 90 : Typed(rng, -270, 450);  // shown 90 reads as 0
        v.angleEnd = v.angleStart + Typed(rng, -40, 300);
        v.blend = soft ? Typed(rng, 1, 30) : 0;
    } else if (IsGeometric(choose)) {
        v.rangeStart = startZero ? 0 : Typed(rng, 1, 40);
        v.rangeEnd = Typed(rng, v.rangeStart, 100);
        // At least two pixels of blend, whatever the frame width.
        v.blend = soft ? Typed(rng, 200.0 / width, 50) : 0;
        v.centerSet = true;
        v.centerX = Typed(rng, -0.2 * width, 1.2 * width);
        v.centerY = Typed(rng, -0.2 * height, 1.2 * height);
        v.stretch = stretchSign * Typed(rng, 1, 100);
    } else {
        v.rangeStart = startZero ? 0 : Typed(rng, 0.5, 60);
        v.rangeEnd = Typed(rng, v.rangeStart, 90);
        v.blend = soft ? Typed(rng, 1, 30) : 0;
    }
    return v;
}

// Every chooser choice x range kind x soft/hard x Reverse (x Stretch sign for the geometric choices),
// each with a channel choice and a mix taken in turn, on odd-sized images with padded rows.
TEST(Render, MatchesReferenceOnRandomImagesAndSettings) {
    auto host = orvtest::ReadyHost(orvtest::ShippedModule());
    std::mt19937 rng(424242);
    const double mixes[] = {0, 0.2, 50, 100, -1 /* random */, 0};
    int run = 0;
    for (int repeat = 0; repeat < 2; ++repeat)
        for (int32_t choose = 1; choose <= 14; ++choose)
            for (int shape = 0; shape < 8; ++shape)
                for (int stretchSign = -1; stretchSign <= 1; ++stretchSign) {
                    if (!IsGeometric(choose) && stretchSign != 0) continue;
                    const int32_t width = std::uniform_int_distribution<int32_t>(1, 37)(rng) | 1;
                    const int32_t height = std::uniform_int_distribution<int32_t>(1, 23)(rng);
                    const Image in = orvtest::RandomImage(rng, width, height, static_cast<int32_t>(rng() % 14));
                    HostValues v = RandomChooser(rng, choose, shape & 1, shape & 2, shape & 4, stretchSign, width, height);
                    v.brightness = run % 7 == 0 ? 0 : Typed(rng, -100, 100);
                    v.contrast = run % 11 == 0 ? 100 : Typed(rng, -100, 100);
                    v.channels = 1 + run % 9;
                    const double mix = mixes[run % 6];
                    v.mix = mix < 0 ? Typed(rng, 0, 100) : mix;
                    ASSERT_TRUE(RendersAsReference(*host, in, v, "render_" + std::to_string(run)));
                    ++run;
                }
    EXPECT_EQ(run, 2 * (11 * 8 + 3 * 8 * 3));
}

// Brightness 0 and contrast 0: the picture comes back unchanged for every channel choice but
// "Difference", which gives colour 0 and keeps alpha.
TEST(Render, IdentityTableLeavesThePictureUnchanged) {
    auto host = orvtest::ReadyHost(orvtest::ShippedModule());
    std::mt19937 rng(99);
    for (int run = 0; run < 120; ++run) {
        const int32_t width = 3 + static_cast<int32_t>(rng() % 30), height = 1 + static_cast<int32_t>(rng() % 20);
        const Image in = orvtest::RandomImage(rng, width, height, static_cast<int32_t>(rng() % 9));
        const int32_t choose = 1 + run % 14;
        HostValues v = RandomChooser(rng, choose, rng() & 1, rng() & 1, rng() & 1, static_cast<int>(rng() % 3) - 1,
                                     width, height);
        v.channels = 1 + run % 9;
        v.mix = run % 3 == 0 ? 0 : Typed(rng, 0, 100);
        Apply(*host, v);
        Image out;
        ASSERT_EQ(host->Render(in, out), 0);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const uint8_t *s = in.Pixel(x, y), *d = out.Pixel(x, y);
                const bool difference = v.channels == 8;
                ASSERT_EQ(d[0], s[0]) << Describe(v);
                for (int i = 1; i < 4; ++i) ASSERT_EQ(d[i], difference ? 0 : s[i]) << Describe(v) << " byte " << i;
            }
    }
}

// Pixels worked out by hand from the stated rules (tables: B 0 C 100 is the threshold at 128;
// B -100 C 0 maps 0..100 to 0 and the rest to 1; B 100 C -100 maps everything to 255).
TEST(Render, HandWorkedPixels) {
    struct Case {
        const char *what;
        HostValues v;
        std::vector<PF_Pixel> in, out;  // alpha, red, green, blue
    };
    auto values = [](double b, double c, double mix, int32_t channels) {
        HostValues v;
        v.brightness = b, v.contrast = c, v.mix = mix, v.channels = channels;
        return v;
    };
    HostValues redUpTo75 = values(0, 100, 0, 1);
    redUpTo75.choosePixels = 3;  // "Red", Range End 25 % = byte 75
    // "Luma" up to 75: the hard pass compares 77r + 150g + 29b = 19277 with 75 x 256 (not chosen);
    // the weighted pass that any mix above 0 selects sees Luma 75 (chosen, weight 256).
    HostValues lumaHard = values(0, 100, 0, 1), lumaWeighted = values(0, 100, 0.2, 1);
    lumaHard.choosePixels = lumaWeighted.choosePixels = 2;
    const Case cases[] = {
        {"threshold", values(0, 100, 0, 1), {{10, 127, 128, 0}}, {{10, 0, 255, 0}}},
        {"mix 0.2 gives mix weight 0: weights unscaled", values(0, 100, 0.2, 1), {{10, 127, 128, 0}}, {{10, 0, 255, 0}}},
        // mix 100: weight (256 x 1) >> 8 = 1; (1 x 1 + 255 x 255) >> 8 = 254, (1 + 101 x 255) >> 8 = 100
        {"mix 100, darkening", values(-100, 0, 100, 1), {{255, 255, 0, 101}}, {{255, 254, 0, 100}}},
        // (255 + 0) >> 8 = 0; (255 + 128 x 255) >> 8 = 128
        {"mix 100, brightening", values(100, -100, 100, 1), {{0, 0, 255, 128}}, {{0, 0, 255, 128}}},
        // mix 50: weight 129; (100 x 127) >> 8 = 49, (255 x 129 + 200 x 127) >> 8 = 227, (255 x 129 + 128 x 127) >> 8 = 191
        {"mix 50", values(0, 100, 50, 1), {{200, 100, 200, 128}}, {{200, 49, 227, 191}}},
        {"mix 50, Red only", values(0, 100, 50, 2), {{200, 100, 200, 128}}, {{200, 49, 200, 128}}},
        {"Green and Blue restores red", values(0, 100, 0, 7), {{9, 100, 100, 200}}, {{9, 100, 0, 255}}},
        {"Difference", values(0, 100, 0, 8), {{10, 100, 200, 128}}, {{10, 100, 55, 127}}},
        {"Alpha, hard: colour kept", values(0, 100, 0, 9), {{100, 7, 200, 130}, {128, 1, 2, 3}},
         {{0, 7, 200, 130}, {255, 1, 2, 3}}},
        // alpha (0 x 129 + 100 x 127) >> 8 = 49; colour blends with itself
        {"Alpha, mix 50", values(0, 100, 50, 9), {{100, 7, 200, 130}}, {{49, 7, 200, 130}}},
        {"Luma, hard", lumaHard, {{255, 76, 75, 75}}, {{255, 76, 75, 75}}},
        {"Luma, mix 0.2 takes the weighted pass", lumaWeighted, {{255, 76, 75, 75}}, {{255, 0, 0, 0}}},
        {"Red up to 75 chosen, 76 not", redUpTo75, {{255, 75, 200, 0}, {255, 76, 200, 0}},
         {{255, 0, 255, 0}, {255, 76, 200, 0}}},
    };
    auto host = orvtest::ReadyHost(orvtest::ShippedModule());
    for (const Case &c : cases) {
        const int32_t n = static_cast<int32_t>(c.in.size());
        Image in = Image::Make(n, 1);
        for (int32_t x = 0; x < n; ++x) std::memcpy(in.Pixel(x, 0), &c.in[x], 4);
        Apply(*host, c.v);
        Image out;
        ASSERT_EQ(host->Render(in, out), 0);
        for (int32_t x = 0; x < n; ++x) {
            const uint8_t *d = out.Pixel(x, 0);
            const PF_Pixel &e = c.out[x];
            EXPECT_EQ((std::vector<int>{d[0], d[1], d[2], d[3]}), (std::vector<int>{e.alpha, e.red, e.green, e.blue}))
                << c.what << ", pixel " << x;
        }
    }
}

// At half resolution the geometric ranges scale with the rendered frame width, not the layer's.
TEST(Render, DownsampledRenderScalesGeometricRangesByFrameWidth) {
    auto host = orvtest::ReadyHost(orvtest::ShippedModule());
    host->SetDownsample(1, 2);
    std::mt19937 rng(5);
    int discriminating = 0;
    for (int run = 0; run < 36; ++run) {
        const int32_t choose = 11 + run % 3;
        const int32_t width = 17 + 2 * static_cast<int32_t>(rng() % 10), height = 9 + static_cast<int32_t>(rng() % 12);
        const Image in = orvtest::RandomImage(rng, width, height, 4 * (run % 2));
        HostValues v = RandomChooser(rng, choose, run % 4 < 2, run % 2, run % 5 < 3, run % 3 - 1, width, height);
        v.contrast = 100;
        v.channels = 1 + run % 9;
        ASSERT_TRUE(RendersAsReference(*host, in, v, "downsampled_" + std::to_string(run)));
        // The layer-width scaling would have given another picture for most settings.
        discriminating += orvref::Render(in, v, 2 * width, 2 * height) != orvref::Render(in, v);
    }
    EXPECT_GT(discriminating, 18);
}

// The settings the render hands to the chooser, from the same readings as the reference's.
TEST(Render, ChooserSettingsScaleRangeAndBlendByMode) {
    std::mt19937 rng(17);
    for (int32_t choose = 1; choose <= 14; ++choose)
        for (int run = 0; run < 20; ++run) {
            const int32_t width = 1 + static_cast<int32_t>(rng() % 4000), height = 1 + static_cast<int32_t>(rng() % 3000);
            const HostValues v = RandomChooser(rng, choose, run & 1, run & 2, run & 4, run % 3 - 1, width, height);
            orv::ChooserInputs inputs{};
            inputs.mode = choose - 1;
            inputs.xFraction = static_cast<float>(orvref::HostFixed(v.centerSet ? v.centerX : 0.5 * width) / 65536.0L / width);
            inputs.yFraction = static_cast<float>(orvref::HostFixed(v.centerSet ? v.centerY : 0.5 * height) / 65536.0L / height);
            inputs.color = v.color;
            inputs.rangeStart = orvref::PercentReading(v.rangeStart);
            inputs.rangeEnd = orvref::PercentReading(v.rangeEnd);
            inputs.angleStart = orvref::AngleReading(v.angleStart);
            inputs.angleEnd = orvref::AngleReading(v.angleEnd);
            inputs.reverse = v.reverse;
            inputs.blend = orvref::PercentReading(v.blend);
            inputs.stretch = orvref::SliderReading(v.stretch);
            const orv::ChooserSettings got = orv::MakeChooserSettings(inputs, width, height);
            const orv::ChooserSettings expected = orvref::RefSettings(v, width, height);
            ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << Describe(v) << " frame " << width << "x" << height;
        }
}

// ---- allocation failures through main ----------------------------------------------------------

using FailAllocation = void (*)(long);
using AllocationCount = long (*)();

struct FaultHooks {
    FailAllocation fail;
    AllocationCount count;
};

FaultHooks Hooks() {
    aehost::Module &module = orvtest::FaultModule();
    return {reinterpret_cast<FailAllocation>(module.Symbol("OrvTestFailAllocation")),
            reinterpret_cast<AllocationCount>(module.Symbol("OrvTestAllocationCount"))};
}

int MemoryMessages(const Host &host) {
    int n = 0;
    for (const aehost::CallRecord &call : host.Calls())
        n += call.name == "sprintf" && call.text == "Memory Allocation Failure!";
    return n;
}

// Failing each allocation of a render in turn (one allocation fails, later ones succeed): main
// returns 0 and the picture is either the full render or, when something was reported, transparent
// black. The message comes at most once. The render's own buffers (the chooser's mask and weights,
// then the processor's row) are its last three allocations; each of them, and each parameter object,
// stops the render with the message. A failed image descriptor leaves an empty image and no message.
TEST(Render, EveryFailedAllocationLeavesTheOutputClearedAndReportsOnce) {
    const FaultHooks hooks = Hooks();
    ASSERT_TRUE(hooks.fail && hooks.count);
    std::mt19937 rng(3);
    HostValues soft = RandomChooser(rng, 11, false, false, true, 1, 15, 9);  // Point, soft
    soft.brightness = 30, soft.channels = 2;
    HostValues hard;  // Luma, hard, no mix
    hard.choosePixels = 2, hard.contrast = 40;
    HostValues mixed;  // All with a mix, Alpha
    mixed.mix = 30, mixed.channels = 9, mixed.brightness = -20;
    for (const HostValues &v : {soft, hard, mixed}) {
        const Image in = orvtest::RandomImage(rng, 15, 9);
        auto host = orvtest::ReadyHost(orvtest::FaultModule());
        Apply(*host, v);
        Image out;
        hooks.fail(0);
        ASSERT_EQ(host->Render(in, out), 0);
        const long allocations = hooks.count();
        const std::vector<uint8_t> rendered = out.Packed();
        ASSERT_EQ(rendered, orvref::Render(in, v)) << Describe(v);  // the fault build renders alike
        const std::vector<uint8_t> cleared(rendered.size(), 0);

        int reported = 0;
        for (long n = 1; n <= allocations; ++n) {
            SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(allocations) + ": " + Describe(v));
            host->ClearCalls();
            host->OutData().out_flags = 0;
            std::memset(host->OutData().return_msg, 0, sizeof host->OutData().return_msg);
            Image failed = Image::Make(in.width, in.height);
            std::fill(failed.pixels.begin(), failed.pixels.end(), uint8_t{0xA5});
            hooks.fail(n);
            EXPECT_EQ(host->Render(in, failed), 0);
            hooks.fail(0);
            const int messages = MemoryMessages(*host);
            const bool flagged = (host->OutData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0;
            EXPECT_LE(messages, 1);
            EXPECT_EQ(flagged, messages == 1);
            if (messages == 1) {
                ++reported;
                EXPECT_STREQ(host->OutData().return_msg, "Memory Allocation Failure!");
                EXPECT_EQ(failed.Packed(), cleared);
            } else {
                EXPECT_TRUE(failed.Packed() == cleared || failed.Packed() == rendered);
            }
            if (n > allocations - 3) {
                EXPECT_EQ(messages, 1) << "a buffer of the render";
            }
        }
        EXPECT_GE(reported, 14 + 3);  // parameters 1-14 and the three buffers
    }
}

TEST(Render, EveryFailedAllocationOfParameterSetUpStillReturnsZero) {
    const FaultHooks hooks = Hooks();
    ASSERT_TRUE(hooks.fail && hooks.count);
    Host counting(orvtest::FaultModule().Entry());
    hooks.fail(0);
    ASSERT_EQ(counting.Call(PF_Cmd_PARAMS_SETUP), 0);
    const long allocations = hooks.count();
    ASSERT_GE(allocations, 15);
    for (long n = 1; n <= allocations; ++n) {
        Host host(orvtest::FaultModule().Entry());
        hooks.fail(n);
        EXPECT_EQ(host.Call(PF_Cmd_PARAMS_SETUP), 0) << n;
        hooks.fail(0);
        int adds = 0;
        for (const aehost::CallRecord &call : host.Calls()) adds += call.name == "add_param";
        if (n == 1) {  // the slot array
            EXPECT_EQ(host.OutData().num_params, 1);
            EXPECT_EQ(adds, 0);
        } else {
            EXPECT_EQ(host.OutData().num_params, 15) << n;
            EXPECT_GE(adds, 13) << n;
        }
    }
}

}  // namespace
