// Every vector level this CPU runs computes exactly the bytes of the scalar level: the lookup-pass
// and channel-pass row kernels against a plain restatement written here, on random rows of every
// width from 1 to 67 (every tail length of every vector width), and whole renders through `main` at
// each level against the same render at the scalar level, over random frames and settings of every
// mode, range kind, soft or hard, Reverse, Stretch, channel choice and mix. Levels the CPU lacks are
// skipped with a message.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "chooser/chooser_kernels.h"
#include "chooser/measures.h"
#include "chooser/pixel_chooser.h"
#include "render/lookup_kernels.h"
#include "support/simd_level.h"
#include "support/test_support.h"
#include "support/world_image.h"

using aehost::Host;
using aehost::Image;
using orv::SimdLevel;

namespace {

std::vector<SimdLevel> VectorLevels() {
    std::vector<SimdLevel> levels;
    const SimdLevel cpu = orv::CpuSimdLevel();
    for (int32_t i = 1; i < orv::kSimdLevelCount; ++i) {
        const SimdLevel level = static_cast<SimdLevel>(i);
        if (static_cast<int32_t>(level) <= static_cast<int32_t>(cpu))
            levels.push_back(level);
        else
            std::printf("[ SKIPPED  ] level %s: not supported by this CPU\n", orv::SimdLevelName(level));
    }
    return levels;
}

// ---- row kernels against a plain restatement ----------------------------------------------------------

int32_t Floor256(int64_t v) { return static_cast<int32_t>(v >= 0 ? v / 256 : -((-v + 255) / 256)); }

int32_t Wrapped(int64_t v) {
    const uint32_t low = static_cast<uint32_t>(v);
    return low >= 0x80000000u ? static_cast<int32_t>(static_cast<int64_t>(low) - 4294967296LL)
                              : static_cast<int32_t>(low);
}

struct RowCase {
    std::vector<uint8_t> table;
    uint8_t lanes[4];
    bool difference;
};

void PlainAdjust(const RowCase &c, const uint8_t *s, uint8_t *out) {
    for (int i = 0; i < 4; ++i) out[i] = c.lanes[i] ? c.table[s[i]] : s[i];
}

void PlainDifference(const uint8_t *s, uint8_t *out) {
    for (int i = 1; i < 4; ++i) out[i] = static_cast<uint8_t>(std::abs(int(s[i]) - int(out[i])));
}

std::vector<uint8_t> PlainMasked(const RowCase &c, const std::vector<uint8_t> &source, orv::RowChosen chosen,
                                 const std::vector<uint8_t> &mask) {
    std::vector<uint8_t> out(source.size());
    for (size_t x = 0; x * 4 < source.size(); ++x) {
        const uint8_t *s = &source[4 * x];
        uint8_t *d = &out[4 * x];
        const bool take = chosen == orv::RowChosen::kEvery || (chosen == orv::RowChosen::kByMask && mask[x] != 0);
        if (take)
            PlainAdjust(c, s, d);
        else
            std::memcpy(d, s, 4);
        if (c.difference) PlainDifference(s, d);
    }
    return out;
}

std::vector<uint8_t> PlainWeighted(const RowCase &c, const std::vector<uint8_t> &source,
                                   const std::vector<int32_t> *weights, int32_t uniform, bool scaled, int32_t k) {
    std::vector<uint8_t> out(source.size());
    for (size_t x = 0; x * 4 < source.size(); ++x) {
        const uint8_t *s = &source[4 * x];
        uint8_t *d = &out[4 * x];
        uint8_t adjusted[4];
        PlainAdjust(c, s, adjusted);
        int32_t w = weights ? (*weights)[x] : uniform;
        if (weights && scaled) w = Floor256(Wrapped(int64_t{w} * k));
        for (int i = 0; i < 4; ++i) {
            if (w >= 256)
                d[i] = adjusted[i];
            else if (w <= 0)
                d[i] = s[i];
            else
                d[i] = static_cast<uint8_t>((adjusted[i] * w + s[i] * (256 - w)) / 256);
        }
        if (c.difference) PlainDifference(s, d);
    }
    return out;
}

RowCase RandomRowCase(std::mt19937 &rng) {
    RowCase c;
    c.table.resize(256);
    for (uint8_t &e : c.table) e = static_cast<uint8_t>(rng());
    const uint32_t pattern = rng() % 16;
    for (int i = 0; i < 4; ++i) c.lanes[i] = (pattern >> i) & 1 ? 0xFF : 0;
    c.difference = rng() % 3 == 0;
    return c;
}

std::vector<uint8_t> RandomBytes(std::mt19937 &rng, size_t n) {
    std::vector<uint8_t> bytes(n);
    for (uint8_t &b : bytes) b = static_cast<uint8_t>(rng());
    return bytes;
}

// Weights mostly in 0..256 with the ends common, some outside, some huge (the scaled product wraps).
std::vector<int32_t> RandomWeights(std::mt19937 &rng, size_t n) {
    std::vector<int32_t> w(n);
    for (int32_t &v : w) {
        switch (rng() % 8) {
            case 0: v = 0; break;
            case 1: v = 256; break;
            case 2: v = static_cast<int32_t>(rng() % 600) - 200; break;
            case 3: v = static_cast<int32_t>(rng()); break;
            default: v = static_cast<int32_t>(rng() % 257); break;
        }
    }
    return w;
}

std::string Where(size_t at) {
    std::ostringstream s;
    s << "pixel " << at / 4 << " byte " << at % 4;
    return s.str();
}

size_t FirstDifference(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b) {
    size_t i = 0;
    while (i < a.size() && a[i] == b[i]) ++i;
    return i;
}

TEST(Simd, LookupRowKernelsMatchPlainRows) {
    std::mt19937 rng(7001);
    for (SimdLevel level : VectorLevels()) {
        const orv::LookupKernels *k = orv::LookupKernelsFor(level);
        ASSERT_NE(k, nullptr) << orv::SimdLevelName(level);
        for (int round = 0; round < 12; ++round)
            for (int32_t n = 1; n <= 67; ++n) {
                const RowCase c = RandomRowCase(rng);
                const orv::LookupPlan plan{c.table.data(), {c.lanes[0], c.lanes[1], c.lanes[2], c.lanes[3]},
                                           c.difference};
                const std::vector<uint8_t> source = RandomBytes(rng, 4 * n);
                std::vector<uint8_t> mask = RandomBytes(rng, n);
                for (uint8_t &m : mask) m = (m % 3 == 0) ? 0 : m;
                const std::string what = std::string(orv::SimdLevelName(level)) + " width " + std::to_string(n);
                const auto *s = reinterpret_cast<const PF_Pixel *>(source.data());

                for (orv::RowChosen chosen : {orv::RowChosen::kEvery, orv::RowChosen::kByMask, orv::RowChosen::kNone}) {
                    std::vector<uint8_t> got(4 * n + 8, 0xA5);  // bytes past the row must stay
                    k->masked(plan, s, reinterpret_cast<PF_Pixel *>(got.data()), chosen, mask.data(), n);
                    const std::vector<uint8_t> expected = PlainMasked(c, source, chosen, mask);
                    for (int i = 0; i < 8; ++i) ASSERT_EQ(got[4 * n + i], 0xA5) << what << " wrote past the row";
                    got.resize(4 * n);
                    ASSERT_EQ(got, expected) << what << " masked " << int(chosen) << " at "
                                             << Where(FirstDifference(got, expected));
                }

                const std::vector<int32_t> weights = RandomWeights(rng, n);
                const int32_t factor = rng() % 4 == 0 ? 0 : static_cast<int32_t>(rng() % 257);
                const int32_t uniforms[] = {0, 256, static_cast<int32_t>(rng() % 257),
                                            static_cast<int32_t>(rng() % 600) - 200};
                for (int scaled = 0; scaled < 2; ++scaled)
                    for (int kind = 0; kind < 5; ++kind) {
                        // kind 0: the weights; 1..4: none, every pixel at a uniform weight.
                        const int32_t uniform = kind == 0 ? 0 : uniforms[kind - 1];
                        const std::vector<int32_t> *given = kind == 0 ? &weights : nullptr;
                        std::vector<uint8_t> got(4 * n + 8, 0x5A);
                        k->weighted(plan, s, reinterpret_cast<PF_Pixel *>(got.data()), given ? given->data() : nullptr,
                                    uniform, scaled != 0, factor, n);
                        for (int i = 0; i < 8; ++i) ASSERT_EQ(got[4 * n + i], 0x5A) << what << " wrote past the row";
                        got.resize(4 * n);
                        const std::vector<uint8_t> expected =
                            PlainWeighted(c, source, given, uniform, scaled != 0, factor);
                        ASSERT_EQ(got, expected) << what << " weighted scaled " << scaled << " k " << factor
                                                 << " uniform " << (given ? -1 : uniform) << " at "
                                                 << Where(FirstDifference(got, expected));
                    }

                // Channel pass rows: restore some bytes, or the difference (alpha kept).
                std::vector<uint8_t> destination = RandomBytes(rng, 4 * n);
                std::vector<uint8_t> restored = destination, expected = destination;
                uint8_t keep[4] = {0, 0, 0, 0};
                for (int i = 1; i < 4; ++i) keep[i] = rng() & 1 ? 0xFF : 0;
                k->restore(s, reinterpret_cast<PF_Pixel *>(restored.data()), keep, n);
                for (int32_t x = 0; x < n; ++x)
                    for (int i = 0; i < 4; ++i)
                        if (keep[i]) expected[4 * x + i] = source[4 * x + i];
                ASSERT_EQ(restored, expected) << what << " restore";
                std::vector<uint8_t> differed = destination;
                k->difference(s, reinterpret_cast<PF_Pixel *>(differed.data()), n);
                expected = destination;
                for (int32_t x = 0; x < n; ++x) PlainDifference(&source[4 * x], &expected[4 * x]);
                ASSERT_EQ(differed, expected) << what << " difference";
            }
    }
}

// ---- chooser row operations and measures ---------------------------------------------------------------

// Forces the in-process level for a test's duration.
class CoreLevel {
public:
    CoreLevel() : before(orv::ActiveSimdLevel()) {}
    ~CoreLevel() { orv::SetSimdLevel(before); }

private:
    SimdLevel before;
};

// Every colour (alpha varying with it): the vector measures against the plain ones of measures.h.
TEST(Simd, MeasuresOfEveryColourMatchThePlainMeasures) {
    const std::vector<SimdLevel> levels = VectorLevels();
    const PF_Pixel colours[] = {{0, 0, 0, 0}, {255, 255, 255, 255}, {9, 200, 17, 140}};
    std::vector<PF_Pixel> row(256);
    std::vector<int32_t> got(256);
    long mismatches = 0;
    for (int r = 0; r < 256 && mismatches == 0; ++r)
        for (int g = 0; g < 256 && mismatches == 0; ++g) {
            for (int b = 0; b < 256; ++b)
                row[b] = PF_Pixel{static_cast<uint8_t>(r ^ g ^ b), static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                  static_cast<uint8_t>(b)};
            for (SimdLevel level : levels) {
                const orv::ChooserKernels *k = orv::ChooserKernelsFor(level);
                const auto check = [&](int32_t mode, PF_Pixel color, int32_t (*plain)(const PF_Pixel &, PF_Pixel)) {
                    k->measure(mode, color, row.data(), got.data(), 256);
                    for (int b = 0; b < 256; ++b)
                        if (got[b] != plain(row[b], color)) {
                            ADD_FAILURE() << orv::SimdLevelName(level) << " mode " << mode << " colour " << r << ","
                                          << g << "," << b << ": " << got[b] << " expected " << plain(row[b], color);
                            ++mismatches;
                            return;
                        }
                };
                check(orv::kChooseLuma, PF_Pixel{}, [](const PF_Pixel &p, PF_Pixel) { return orv::Luma256(p); });
                check(orv::kChooseSaturation, PF_Pixel{},
                      [](const PF_Pixel &p, PF_Pixel) { return orv::Saturation(p); });
                check(orv::kChooseHue, PF_Pixel{}, [](const PF_Pixel &p, PF_Pixel) { return orv::Hue(p); });
                check(orv::kChooseLightness, PF_Pixel{}, [](const PF_Pixel &p, PF_Pixel) { return orv::Lightness(p); });
                check(orv::kChooseAlpha, PF_Pixel{}, [](const PF_Pixel &p, PF_Pixel) { return int32_t{p.alpha}; });
                for (const PF_Pixel &c : colours)
                    check(orv::kChooseRgbDiff, c,
                          [](const PF_Pixel &p, PF_Pixel c2) { return orv::ColorDistance(c2, p); });
                if (mismatches) return;
            }
        }
}

struct Frame {
    orv::WorldImage image;
    Frame(int32_t width, int32_t height) {
        image.Attach(static_cast<int16_t>(width), static_cast<int16_t>(height), 0, nullptr);
    }
};

float Jitter(std::mt19937 &rng, float low, float high) {
    const float v = std::uniform_real_distribution<float>(low, high)(rng);
    return rng() % 3 == 0 ? std::floor(v) : v;
}

// Chooser settings of every mode and range shape, in the units the render gives the chooser, with
// some beyond what the parameters allow (the vector loops decline those; the results still agree).
orv::ChooserSettings RandomChooserSettings(std::mt19937 &rng, int32_t mode, int shape, int32_t width, int32_t height) {
    orv::ChooserSettings s{};
    s.mode = mode;
    const bool circle = mode == orv::kChooseHue || mode == orv::kChooseAngle;
    const bool geometric = mode >= orv::kChoosePoint;
    const float top = circle ? 400.0f : geometric ? 1.25f * width : (mode == orv::kChooseRgbDiff ? 600.0f : 300.0f);
    s.rangeStart = shape & 1 ? 0.0f : Jitter(rng, circle ? -400.0f : 0.0f, top);
    s.rangeEnd = Jitter(rng, circle ? -200.0f : 0.0f, circle ? 760.0f : top);
    if (rng() % 4 == 0 && !circle) s.rangeEnd = s.rangeStart + Jitter(rng, 0.0f, top / 4);
    s.reverse = (shape & 2) ? 1 : 0;
    switch ((shape >> 2) % 5) {
        case 0: s.blend = 0; break;
        case 1: s.blend = Jitter(rng, 0.01f, 0.99f); break;
        case 2: s.blend = Jitter(rng, 1.0f, circle ? 90.0f : top / 6 + 1.0f); break;
        case 3: s.blend = std::fabs(s.rangeEnd - s.rangeStart) / 2 + Jitter(rng, 1.0f, 60.0f); break;
        case 4: s.blend = rng() % 2 ? 20000.0f : 3.0e9f; break;  // beyond the vector loops' limits
    }
    if (rng() % 16 == 0) s.rangeStart = -3.0e7f;
    const float stretches[] = {0.0f, 100.0f, -100.0f, 37.5f, -12.25f};
    s.stretch = stretches[rng() % 5];
    s.centerX = Jitter(rng, -0.3f * width, 1.3f * width);
    s.centerY = Jitter(rng, -0.3f * height, 1.3f * height);
    s.color = PF_Pixel{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                       static_cast<uint8_t>(rng())};
    return s;
}

// Rows of 1 to 67 pixels (every tail of every vector width), and for the geometric modes rows of up
// to 1500 columns, where runs of blocks with one output are formed once.
TEST(Simd, ChooserRowOperationsMatchTheScalarLevel) {
    CoreLevel restore;
    const std::vector<SimdLevel> levels = VectorLevels();
    std::mt19937 rng(4242);
    int rows = 0;
    for (int32_t mode = 0; mode <= 14; ++mode)
        for (int shape = 0; shape < 20; ++shape)
            for (int repeat = 0; repeat < 8; ++repeat) {
                const bool wide = mode >= orv::kChoosePoint && mode <= orv::kChooseAngle && repeat >= 5;
                const int32_t width = static_cast<int32_t>(wide ? 200 + rng() % 1300 : 1 + rng() % 67);
                const int32_t height = static_cast<int32_t>(wide ? 1 + rng() % 900 : 1 + rng() % 7);
                const orv::ChooserSettings s = RandomChooserSettings(rng, mode, shape, width, height);
                const uint8_t option = rng() % 4 == 0 ? 1 : 0;
                Frame frame(width, height);
                std::vector<PF_Pixel> pixels(static_cast<size_t>(width));
                for (int32_t y = 0; y < height; y += wide ? 1 + static_cast<int32_t>(rng() % 97) : 1) {
                    for (PF_Pixel &p : pixels) {
                        p = PF_Pixel{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                                     static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())};
                        if (rng() % 6 == 0) p.green = p.red;
                        if (rng() % 8 == 0) p.blue = p.red = p.green;
                    }
                    // The same row at every level: the scalar level first.
                    std::vector<uint8_t> expectedMask;
                    std::vector<int32_t> expectedWeights;
                    for (size_t at = 0; at <= levels.size(); ++at) {
                        const SimdLevel level = at == 0 ? SimdLevel::kScalar : levels[at - 1];
                        orv::SetSimdLevel(level);
                        orv::PixelChooser chooser(option, s, &frame.image);
                        ASSERT_FALSE(chooser.Failed());
                        if (chooser.IsMeasured()) {
                            chooser.MaskPixels(pixels.data());
                            chooser.WeightPixels(pixels.data());
                        } else {
                            chooser.MaskRow(y);
                            chooser.WeightRow(y);
                        }
                        const std::vector<uint8_t> mask(chooser.Mask(), chooser.Mask() + width);
                        const std::vector<int32_t> weights(chooser.Weights(), chooser.Weights() + width);
                        if (at == 0) {
                            expectedMask = mask;
                            expectedWeights = weights;
                            continue;
                        }
                        std::ostringstream what;
                        what << orv::SimdLevelName(level) << " mode " << mode << " start " << s.rangeStart << " end "
                             << s.rangeEnd << " blend " << s.blend << " reverse " << int(s.reverse) << " stretch "
                             << s.stretch << " centre " << s.centerX << "," << s.centerY << " option " << int(option)
                             << " size " << width << "x" << height << " row " << y;
                        ASSERT_EQ(mask, expectedMask) << what.str();
                        ASSERT_EQ(weights, expectedWeights) << what.str();
                    }
                    ++rows;
                }
            }
    EXPECT_GT(rows, 15 * 20 * 8);
}

// ---- whole renders through main, each level against the scalar level ---------------------------------

using SetLevel = int (*)(int);

// Forces the test module's level for the test's duration, then gives it back the level it picks for
// itself (the same rule as this process's core library).
class ModuleLevel {
public:
    ModuleLevel() : set(reinterpret_cast<SetLevel>(orvtest::FaultModule().Symbol("OrvTestSetSimdLevel"))) {}
    ~ModuleLevel() {
        if (set) set(static_cast<int>(orv::ActiveSimdLevel()));
    }
    bool Force(SimdLevel level) { return set && set(static_cast<int>(level)) == static_cast<int>(level); }
    bool Available() const { return set != nullptr; }

private:
    SetLevel set;
};

struct Settings {
    double brightness, contrast, mix;
    int32_t channels, choose;
    double rangeStart, rangeEnd, angleStart, angleEnd, blend, stretch, centerX, centerY;
    bool reverse;
    PF_Pixel color;
};

std::string Describe(const Settings &v, int32_t width, int32_t height) {
    std::ostringstream s;
    s << width << "x" << height << " B " << v.brightness << " C " << v.contrast << " mix " << v.mix << " channels "
      << v.channels << " choose " << v.choose << " range " << v.rangeStart << ".." << v.rangeEnd << " angles "
      << v.angleStart << ".." << v.angleEnd << " blend " << v.blend << " reverse " << v.reverse << " stretch "
      << v.stretch << " center " << v.centerX << "," << v.centerY;
    return s.str();
}

double Typed(std::mt19937 &rng, double low, double high) {
    return std::round(std::uniform_real_distribution<double>(low, high)(rng) * 100) / 100;
}

// Choose Pixels by (1-based) and range shape from the case number; the rest at random.
Settings RandomSettings(std::mt19937 &rng, int run, int32_t width, int32_t height) {
    Settings v{};
    v.choose = 1 + run % 14;
    const int shape = (run / 14) % 8;  // start zero, reverse, soft
    v.reverse = shape & 2;
    const bool soft = shape & 4;
    v.brightness = run % 13 == 0 ? 0 : Typed(rng, -100, 100);
    v.contrast = run % 17 == 0 ? 100 : Typed(rng, -100, 100);
    v.channels = 1 + (run / 3) % 9;
    const double mixes[] = {0, 0, 0.2, 50, 100, -1};
    v.mix = mixes[run % 6] < 0 ? Typed(rng, 0, 100) : mixes[run % 6];
    v.color = PF_Pixel{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                       static_cast<uint8_t>(rng())};
    v.rangeStart = shape & 1 ? 0 : Typed(rng, 0, 60);
    v.rangeEnd = Typed(rng, v.rangeStart, 125);
    v.angleStart = Typed(rng, -400, 500);
    v.angleEnd = v.angleStart + Typed(rng, -60, 400);
    v.blend = soft ? Typed(rng, 0.5, 50) : 0;
    v.stretch = (run / 112) % 3 == 0 ? 0 : Typed(rng, -100, 100);
    v.centerX = Typed(rng, -0.3 * width, 1.3 * width);
    v.centerY = Typed(rng, -0.3 * height, 1.3 * height);
    return v;
}

void Apply(Host &host, const Settings &v) {
    host.ResetValues();
    host.SetSlider("Brightness", v.brightness);
    host.SetSlider("Contrast", v.contrast);
    host.SetSlider("Mix with Original", v.mix);
    host.SetPopup("Channels", v.channels);
    host.SetPopup("Choose Pixels by", v.choose);
    host.SetColor("Color", v.color);
    host.SetSlider("Range Start", v.rangeStart);
    host.SetSlider("Range End", v.rangeEnd);
    host.SetAngle("Angle Start", v.angleStart);
    host.SetAngle("Angle End", v.angleEnd);
    host.SetCheckbox("Reverse Range", v.reverse);
    host.SetSlider("Blend", v.blend);
    host.SetSlider("Stretch", v.stretch);
    host.SetPoint("Center", v.centerX, v.centerY);
}

TEST(Simd, WholeRendersMatchTheScalarLevel) {
    ModuleLevel level;
    ASSERT_TRUE(level.Available()) << "the test module exports no level setter";
    auto host = orvtest::ReadyHost(orvtest::FaultModule());
    const std::vector<SimdLevel> levels = VectorLevels();
    std::mt19937 rng(8128);
    int compared = 0;
    for (int run = 0; run < 14 * 8 * 6; ++run) {
        const int32_t width = 1 + run % 67;
        const int32_t height = 1 + static_cast<int32_t>(rng() % 9);
        const Image in = orvtest::RandomImage(rng, width, height, static_cast<int32_t>(rng() % 3) * 4);
        const Settings v = RandomSettings(rng, run, width, height);
        Apply(*host, v);
        ASSERT_TRUE(level.Force(SimdLevel::kScalar));
        Image expected;
        ASSERT_EQ(host->Render(in, expected), 0);
        for (SimdLevel l : levels) {
            ASSERT_TRUE(level.Force(l));
            Image got;
            ASSERT_EQ(host->Render(in, got), 0);
            const std::vector<uint8_t> a = got.Packed(), b = expected.Packed();
            ASSERT_EQ(a, b) << orv::SimdLevelName(l) << " " << Describe(v, width, height) << " first difference at "
                            << Where(FirstDifference(a, b));
            ++compared;
        }
    }
    EXPECT_EQ(compared, 14 * 8 * 6 * static_cast<int>(levels.size()));
}

// Photograph-like frames (smooth ramps with every tail length) at a size where each level's full
// vectors and the row loop both matter.
TEST(Simd, LargerFramesMatchTheScalarLevel) {
    ModuleLevel level;
    ASSERT_TRUE(level.Available());
    auto host = orvtest::ReadyHost(orvtest::FaultModule());
    std::mt19937 rng(31337);
    for (int run = 0; run < 14 * 8; ++run) {
        const int32_t width = 190 + run % 67, height = 13;
        Image in = Image::Make(width, height);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                uint8_t *p = in.Pixel(x, y);
                p[0] = static_cast<uint8_t>(255 - x);
                p[1] = static_cast<uint8_t>(x + y * 7);
                p[2] = static_cast<uint8_t>((x * 3) ^ y);
                p[3] = static_cast<uint8_t>(rng() % 32 + y * 16);
            }
        const Settings v = RandomSettings(rng, run, width, height);
        Apply(*host, v);
        ASSERT_TRUE(level.Force(SimdLevel::kScalar));
        Image expected;
        ASSERT_EQ(host->Render(in, expected), 0);
        for (SimdLevel l : VectorLevels()) {
            ASSERT_TRUE(level.Force(l));
            Image got;
            ASSERT_EQ(host->Render(in, got), 0);
            const std::vector<uint8_t> a = got.Packed(), b = expected.Packed();
            ASSERT_EQ(a, b) << orv::SimdLevelName(l) << " " << Describe(v, width, height) << " first difference at "
                            << Where(FirstDifference(a, b));
        }
    }
}

TEST(Simd, LevelNamesAndCapping) {
    const std::pair<const char *, SimdLevel> names[] = {{"scalar", SimdLevel::kScalar},
                                                        {"SSE2", SimdLevel::kSse2},
                                                        {"avx2", SimdLevel::kAvx2},
                                                        {"Avx512", SimdLevel::kAvx512}};
    for (const auto &[name, expected] : names) {
        SimdLevel parsed = SimdLevel::kScalar;
        EXPECT_TRUE(orv::ParseSimdLevel(name, &parsed)) << name;
        EXPECT_EQ(parsed, expected) << name;
    }
    SimdLevel untouched = SimdLevel::kAvx2;
    for (const char *bad : {"", "avx", "avx5120", "sse"}) EXPECT_FALSE(orv::ParseSimdLevel(bad, &untouched)) << bad;
    EXPECT_FALSE(orv::ParseSimdLevel(nullptr, &untouched));
    EXPECT_EQ(untouched, SimdLevel::kAvx2);

    // A forced level never exceeds the CPU's.
    const SimdLevel before = orv::ActiveSimdLevel();
    EXPECT_EQ(orv::SetSimdLevel(SimdLevel::kAvx512), orv::CpuSimdLevel());
    EXPECT_EQ(orv::SetSimdLevel(SimdLevel::kScalar), SimdLevel::kScalar);
    EXPECT_EQ(orv::ActiveSimdLevel(), SimdLevel::kScalar);
    orv::SetSimdLevel(before);
}

}  // namespace
