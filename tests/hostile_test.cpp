// Unusual host records through the module's `main`: layers without pixels, empty and extreme sizes,
// padded, odd, overlapping and negative row strides, values at and beyond their registered ranges,
// popups outside their lists, odd downsample ratios, fewer parameters than registered and missing
// records or callbacks. Every layer lies inside guard bands (poisoned under AddressSanitizer, checked
// for writes otherwise), so any access outside the host's own buffer fails the test; each case also
// has its expected picture. Layers and values run at every vector level of the row loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "reference/render_reference.h"
#include "support/test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define ORV_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORV_TEST_ASAN 1
#endif
#endif
#ifdef ORV_TEST_ASAN
#include <sanitizer/asan_interface.h>
#endif

using aehost::Host;
using aehost::Image;
using orvref::HostValues;

namespace {

constexpr size_t kGuard = 4096;
constexpr uint8_t kCanary = 0xCD;
constexpr uint8_t kUnwritten = 0x5A;

// A host layer as a host describes it (any width, height and row length, rows going down or up in
// memory), inside a block whose guard bands the module must never touch.
class GuardedLayer {
public:
    GuardedLayer(int64_t width, int64_t height, int64_t rowbytes) : width(width), height(height), rowbytes(rowbytes) {
        int64_t low = 0, high = 0;
        if (width > 0 && height > 0) {
            const int64_t last = (height - 1) * rowbytes;
            low = last < 0 ? last : 0;
            high = (last > 0 ? last : 0) + width * 4;
        }
        span = static_cast<size_t>(high - low);
        storage.assign(kGuard + ((span + 7) & ~size_t{7}) + kGuard, kCanary);
        start = storage.data() + kGuard;
        data = start - low;
        std::fill(start, start + span, kUnwritten);
        Poison(true);
    }
    ~GuardedLayer() { Poison(false); }
    GuardedLayer(const GuardedLayer &) = delete;
    GuardedLayer &operator=(const GuardedLayer &) = delete;

    PF_LayerDef World(bool withPixels = true) {
        PF_LayerDef world;
        std::memset(&world, 0, sizeof world);
        world.data = withPixels ? reinterpret_cast<PF_Pixel *>(data) : nullptr;
        world.rowbytes = static_cast<A_long>(rowbytes);
        world.width = static_cast<A_long>(width);
        world.height = static_cast<A_long>(height);
        return world;
    }
    uint8_t *Pixel(int64_t x, int64_t y) { return data + y * rowbytes + 4 * x; }

    void FillRandom(std::mt19937 &rng) {
        for (int64_t y = 0; y < height; ++y)
            for (int64_t x = 0; x < width * 4; ++x) data[y * rowbytes + x] = static_cast<uint8_t>(rng());
    }
    // The pixels as an unpadded image (for the reference).
    Image Packed() {
        Image image = Image::Make(static_cast<int32_t>(width), static_cast<int32_t>(height));
        for (int64_t y = 0; y < height; ++y) std::memcpy(image.Row(static_cast<int32_t>(y)), Pixel(0, y), width * 4);
        return image;
    }
    std::vector<uint8_t> Span() const { return std::vector<uint8_t>(start, start + span); }

    // No byte of either guard band changed.
    testing::AssertionResult GuardsIntact() {
        Poison(false);
        size_t bad = storage.size();
        for (size_t i = 0; i < storage.size() && bad == storage.size(); ++i) {
            const bool guard = i < kGuard || i >= kGuard + span;
            if (guard && storage[i] != kCanary) bad = i;
        }
        Poison(true);
        if (bad == storage.size()) return testing::AssertionSuccess();
        return testing::AssertionFailure() << "byte " << static_cast<long long>(bad) - static_cast<long long>(kGuard)
                                           << " relative to the buffer was written";
    }
    // Bytes of the host's buffer that belong to no pixel (row padding) are never written.
    testing::AssertionResult PaddingIntact() {
        if (width <= 0 || height <= 0 || (rowbytes >= 0 && rowbytes < width * 4) || (rowbytes < 0 && -rowbytes < width * 4))
            return testing::AssertionSuccess();  // no padding, or rows that overlap
        std::vector<bool> pixel(span, false);
        for (int64_t y = 0; y < height; ++y)
            for (int64_t x = 0; x < width * 4; ++x) pixel[static_cast<size_t>(Pixel(0, y) - start + x)] = true;
        for (size_t i = 0; i < span; ++i)
            if (!pixel[i] && start[i] != kUnwritten) return testing::AssertionFailure() << "padding byte " << i << " written";
        return testing::AssertionSuccess();
    }

    const int64_t width, height, rowbytes;

private:
    void Poison(bool on) {
#ifdef ORV_TEST_ASAN
        if (on) {
            ASAN_POISON_MEMORY_REGION(storage.data(), kGuard);
            ASAN_POISON_MEMORY_REGION(start + span, storage.size() - kGuard - span);
        } else {
            ASAN_UNPOISON_MEMORY_REGION(storage.data(), storage.size());
        }
#else
        (void)on;
#endif
    }

    std::vector<uint8_t> storage;
    size_t span = 0;
    uint8_t *start = nullptr;
    uint8_t *data = nullptr;
};

void Apply(Host &host, const HostValues &v) { orvtest::ApplyHostValues(host, v); }

struct Result {
    PF_Err status;
    bool messageShown;
};

// One PF_Cmd_RENDER with raw layer records; in_data reports a layer of layerWidth x layerHeight.
Result RenderRaw(Host &host, PF_LayerDef *input, PF_LayerDef *output, int32_t layerWidth, int32_t layerHeight) {
    PF_LayerDef &slot0 = host.ParamArray()[0]->u.ld;
    if (input)
        slot0 = *input;
    else
        std::memset(&slot0, 0, sizeof slot0);
    host.InData().width = layerWidth;
    host.InData().height = layerHeight;
    host.OutData().out_flags = 0;
    std::memset(host.OutData().return_msg, 0, sizeof host.OutData().return_msg);
    const PF_Err status = host.Call(PF_Cmd_RENDER, output);
    std::memset(&slot0, 0, sizeof slot0);
    return {status, (host.OutData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0};
}

// Every vector level of the row loops this CPU runs (scalar, SSE2, AVX2, AVX-512), set in the test
// build of the module, which renders exactly as the shipped one. The CPU's best is left in force.
std::vector<int> SimdLevels() {
    auto set = reinterpret_cast<int (*)(int)>(orvtest::FaultModule().Symbol("OrvTestSetSimdLevel"));
    std::vector<int> levels;
    if (!set) return levels;
    for (int level = 0; level < 4; ++level)
        if (set(level) == level) levels.push_back(level);
    set(3);
    return levels;
}

void SetSimdLevel(int level) {
    reinterpret_cast<int (*)(int)>(orvtest::FaultModule().Symbol("OrvTestSetSimdLevel"))(level);
}

// ---- layer records ------------------------------------------------------------------------------

struct LayerShape {
    int64_t width, height, rowbytes;
    bool pixels;
};

struct LayerCase {
    const char *what;
    LayerShape in, out;
    // The output corner the module renders (the reference's pixels); the rest of the output is
    // transparent black. Sides as the module reads them.
    int64_t renderedColumns, renderedRows;
    bool firstRowOnly;  // output rows share memory: only row 0 is checked
};

int64_t Packed4(int64_t w) { return w * 4; }

const LayerCase kLayerCases[] = {
    {"input without pixels", {8, 5, 32, false}, {8, 5, 32, true}, 0, 0, false},
    {"output without pixels", {8, 5, 32, true}, {8, 5, 32, false}, 0, 0, false},
    {"neither with pixels", {8, 5, 32, false}, {8, 5, 32, false}, 0, 0, false},
    {"0x0 with pixels", {0, 0, 0, true}, {0, 0, 0, true}, 0, 0, false},
    {"0 wide", {0, 5, 0, true}, {0, 5, 0, true}, 0, 0, false},
    {"0 high", {8, 0, 32, true}, {8, 0, 32, true}, 0, 0, false},
    {"1x1", {1, 1, 4, true}, {1, 1, 4, true}, 1, 1, false},
    {"rows padded by 12", {9, 6, Packed4(9) + 12, true}, {9, 6, Packed4(9) + 12, true}, 9, 6, false},
    {"row lengths not multiples of 4", {7, 5, Packed4(7) + 1, true}, {7, 5, Packed4(7) + 3, true}, 7, 5, false},
    {"differently padded input and output", {10, 4, Packed4(10) + 64, true}, {10, 4, Packed4(10), true}, 10, 4, false},
    {"output larger than input", {5, 4, 20, true}, {9, 6, 36, true}, 5, 4, false},
    {"output smaller than input", {9, 6, 36, true}, {5, 8, 20, true}, 5, 6, false},
    // Each row is processed in turn on the same memory (the channel pass too): inside the buffer,
    // with no picture to expect.
    {"rows sharing memory (row length 0)", {6, 4, 0, true}, {6, 4, 0, true}, -1, -1, true},
    {"input rows going up in memory", {8, 5, -32, true}, {8, 5, 32, true}, 0, 0, false},
    {"output rows going up in memory", {8, 5, 32, true}, {8, 5, -32, true}, 0, 0, false},
    {"one row going up in memory", {8, 1, -32, true}, {8, 1, -40, true}, 8, 1, false},
    {"rows going up by a multiple of 16384 bytes", {8, 3, -16384, true}, {8, 3, -16384, true}, 8, 1, false},
    {"rows of 16384 bytes (stride 0)", {4096, 3, 16384, true}, {4096, 3, 16384, true}, 4096, 1, false},
    {"rows of 16388 bytes (stride 4)", {4097, 3, 16388, true}, {4097, 3, 16388, true}, -1, -1, false},
    {"32767 wide, 1 high", {32767, 1, Packed4(32767), true}, {32767, 1, Packed4(32767), true}, 32767, 1, false},
    {"1 wide, 32767 high", {1, 32767, 4, true}, {1, 32767, 4, true}, 1, 32767, false},
    {"32768 wide (a side read as negative)", {32768, 1, Packed4(32768), true}, {32768, 1, Packed4(32768), true}, 0, 0, false},
    {"65537 wide (read as 1)", {65537, 1, Packed4(65537), true}, {65537, 1, Packed4(65537), true}, 1, 1, false},
    {"negative width", {-8, 5, 32, true}, {8, 5, 32, true}, 0, 0, false},
    {"negative height", {8, 5, 32, true}, {8, -5, 32, true}, 0, 0, false},
};

// Settings that take the weighted pass (soft Luma), the hard pass with the channel pass
// ("Difference"), and the mix on alpha; all measured, so every output pixel depends on its own
// source pixel only and a corner of the picture is the corner of the reference.
std::vector<HostValues> LayerSettings() {
    HostValues soft;
    soft.choosePixels = 2, soft.rangeEnd = 60, soft.blend = 10, soft.brightness = 35, soft.contrast = 20;
    HostValues hard;
    hard.choosePixels = 3, hard.rangeStart = 10, hard.rangeEnd = 70, hard.contrast = 60, hard.channels = 8;
    HostValues mixed;
    mixed.mix = 40, mixed.channels = 9, mixed.brightness = -30;
    // The centre at the origin: half of a 65537-pixel frame is beyond 16.16.
    for (HostValues *v : {&soft, &hard, &mixed}) v->centerSet = true;
    return {soft, hard, mixed};
}

TEST(Hostile, LayerRecordsStayInsideTheirBuffers) {
    const std::vector<int> levels = SimdLevels();
    ASSERT_FALSE(levels.empty());
    auto host = orvtest::ReadyHost(orvtest::FaultModule());
    std::mt19937 rng(606);
    for (int level : levels) {
        SetSimdLevel(level);
        int run = 0;
        for (const LayerCase &c : kLayerCases)
            for (const HostValues &v : LayerSettings()) {
                SCOPED_TRACE(std::string(c.what) + ", setting " + std::to_string(run++ % 3) + ", vector level " +
                             std::to_string(level));
                GuardedLayer in(c.in.width, c.in.height, c.in.rowbytes);
                GuardedLayer out(c.out.width, c.out.height, c.out.rowbytes);
                in.FillRandom(rng);
                const std::vector<uint8_t> inBefore = in.Span();
                Apply(*host, v);
                PF_LayerDef inWorld = in.World(c.in.pixels), outWorld = out.World(c.out.pixels);
                const int32_t layerWidth = static_cast<int32_t>(c.in.width), layerHeight = static_cast<int32_t>(c.in.height);
                const Result result = RenderRaw(*host, &inWorld, &outWorld, layerWidth, layerHeight);
                EXPECT_EQ(result.status, 0);
                EXPECT_FALSE(result.messageShown);
                EXPECT_TRUE(in.GuardsIntact()) << "input";
                EXPECT_TRUE(out.GuardsIntact()) << "output";
                EXPECT_TRUE(in.Span() == inBefore) << "the input was written";
                EXPECT_TRUE(out.PaddingIntact());
                if (!c.out.pixels || c.out.width <= 0 || c.out.height <= 0 || c.renderedColumns < 0) continue;

                // The rendered corner is the reference's; every other output pixel was cleared.
                std::vector<uint8_t> expected;
                if (c.renderedColumns > 0 && c.renderedRows > 0) expected = orvref::Render(in.Packed(), v);
                const int64_t rows = c.firstRowOnly ? 1 : c.out.height;
                int64_t wrong = 0, firstX = -1, firstY = -1;
                for (int64_t y = 0; y < rows; ++y)
                    for (int64_t x = 0; x < c.out.width; ++x) {
                        const bool rendered = x < c.renderedColumns && y < c.renderedRows;
                        const uint8_t zero[4] = {0, 0, 0, 0};
                        const uint8_t *want = rendered ? &expected[static_cast<size_t>((y * c.in.width + x) * 4)] : zero;
                        if (std::memcmp(out.Pixel(x, y), want, 4) != 0 && wrong++ == 0) firstX = x, firstY = y;
                    }
                EXPECT_EQ(wrong, 0) << "first wrong pixel (" << firstX << ", " << firstY << ")";
            }
    }
    SetSimdLevel(3);
}

// ---- parameter values ---------------------------------------------------------------------------

PF_ParamDef &Def(Host &host, const char *name) {
    PF_ParamDef *def = host.Find(name);
    if (!def) throw std::runtime_error(std::string("no parameter ") + name);
    return *def;
}
void Fixed(Host &host, const char *name, PF_Fixed value) { Def(host, name).u.fd.value = value; }
void Angle(Host &host, const char *name, PF_Fixed value) { Def(host, name).u.ad.value = value; }
void Popup(Host &host, const char *name, int32_t value) { Def(host, name).u.pd.value = value; }
constexpr PF_Fixed Fix(double x) { return static_cast<PF_Fixed>(x * 65536.0); }

Image RenderWith(Host &host, const Image &in, const std::function<void(Host &)> &set, PF_Err *status,
                 bool *message) {
    host.ResetValues();
    set(host);
    Image out = Image::Make(in.width, in.height);
    host.OutData().out_flags = 0;
    *status = host.Render(in, out);
    *message = (host.OutData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0;
    return out;
}

struct ValueCase {
    const char *what;
    std::function<void(Host &)> set;
    // What the picture must be: the render of another setting (`same`), the source (`source`), or
    // the table of Brightness and Contrast as read applied to the colour bytes (`table`).
    std::function<void(Host &)> same;
    bool source;
    double tableBrightness, tableContrast;
    bool table;
};

// Settings used by the cases.
void Red(Host &h, double start, double end) {
    h.SetPopup("Choose Pixels by", 3);
    h.SetSlider("Range Start", start);
    h.SetSlider("Range End", end);
    h.SetSlider("Contrast", 50);
}
void Hue(Host &h) {
    h.SetPopup("Choose Pixels by", 8);
    h.SetSlider("Brightness", 30);
}
void Geometric(Host &h, int32_t choice) {
    h.SetPopup("Choose Pixels by", choice);
    h.SetSlider("Brightness", -40);
    h.SetSlider("Blend", 5);
}

std::vector<ValueCase> ValueCases() {
    auto none = std::function<void(Host &)>();
    auto set = [](auto f) { return std::function<void(Host &)>(f); };
    auto same = [&](const char *what, std::function<void(Host &)> a, std::function<void(Host &)> b) {
        return ValueCase{what, a, b, false, 0, 0, false};
    };
    auto source = [&](const char *what, std::function<void(Host &)> a) { return ValueCase{what, a, none, true, 0, 0, false}; };
    auto table = [&](const char *what, double b, double c) {
        return ValueCase{what, [b, c](Host &h) {
                             Fixed(h, "Brightness", aehost::ToFixed(b));
                             Fixed(h, "Contrast", aehost::ToFixed(c));
                         },
                         none, false, b, c, true};
    };
    auto only = [&](const char *what, std::function<void(Host &)> a) { return ValueCase{what, a, none, false, 0, 0, false}; };
    const double top = INT32_MAX / 65536.0, bottom = INT32_MIN / 65536.0;
    std::vector<ValueCase> cases = {
        // Brightness and Contrast beyond +-100: the table's formula as it stands, clamped per byte.
        table("Brightness 1000", 1000, 0), table("Brightness -1000", -1000, 0), table("Brightness max", top, 0),
        table("Brightness min", bottom, 0), table("Contrast 1000", 0, 1000), table("Contrast -1000", 0, -1000),
        table("Contrast max", 20, top), table("Contrast min", -20, bottom), table("Contrast 100.5", 0, 100.5),
        only("Brightness 101: gain 202 / 0", set([](Host &h) { h.SetSlider("Brightness", 101); })),
        // "Mix with Original": at or above 100 + 1/2.56 the weight is 0 (the source); at or below 0
        // nothing blends (the hard pass, as at 0).
        source("Mix 1000", set([](Host &h) { h.SetSlider("Contrast", 70), Fixed(h, "Mix with Original", Fix(1000)); })),
        source("Mix max", set([](Host &h) { h.SetSlider("Contrast", 70), Fixed(h, "Mix with Original", INT32_MAX); })),
        same("Mix -1000", set([](Host &h) { h.SetSlider("Contrast", 70), Fixed(h, "Mix with Original", Fix(-1000)); }),
             set([](Host &h) { h.SetSlider("Contrast", 70); })),
        same("Mix min", set([](Host &h) { h.SetSlider("Contrast", 70), Fixed(h, "Mix with Original", INT32_MIN); }),
             set([](Host &h) { h.SetSlider("Contrast", 70); })),
        // Ranges beyond 0..100 %: a byte is at most 255, so an end beyond 85 % chooses every byte.
        same("Range End 1000 %", set([](Host &h) { Red(h, 0, 0), Fixed(h, "Range End", Fix(1000)); }),
             set([](Host &h) { Red(h, 0, 100); })),
        same("Range End max", set([](Host &h) { Red(h, 0, 0), Fixed(h, "Range End", INT32_MAX); }),
             set([](Host &h) { Red(h, 0, 100); })),
        source("Range End -1000 %", set([](Host &h) { Red(h, 0, 0), Fixed(h, "Range End", Fix(-1000)); })),
        same("Range Start -1000 %", set([](Host &h) { Red(h, 0, 50), Fixed(h, "Range Start", Fix(-1000)); }),
             set([](Host &h) { Red(h, 0, 50); })),
        same("Range Start min", set([](Host &h) { Red(h, 0, 50), Fixed(h, "Range Start", INT32_MIN); }),
             set([](Host &h) { Red(h, 0, 50); })),
        source("Range Start 1000 % above End", set([](Host &h) { Red(h, 0, 50), Fixed(h, "Range Start", Fix(1000)); })),
        same("Range Start 1000 % above End, reversed",
             set([](Host &h) { Red(h, 0, 50), Fixed(h, "Range Start", Fix(1000)), h.SetCheckbox("Reverse Range", true); }),
             set([](Host &h) { Red(h, 0, 100); })),
        // A negative Blend is no blend.
        same("Blend -1000 %", set([](Host &h) { Red(h, 10, 50), Fixed(h, "Blend", Fix(-1000)); }),
             set([](Host &h) { Red(h, 10, 50); })),
        same("Blend min", set([](Host &h) { Red(h, 10, 50), Fixed(h, "Blend", INT32_MIN); }),
             set([](Host &h) { Red(h, 10, 50); })),
        only("Blend 1000 %", set([](Host &h) { Red(h, 10, 50), Fixed(h, "Blend", Fix(1000)); })),
        only("Blend max", set([](Host &h) { Red(h, 10, 50), Fixed(h, "Blend", INT32_MAX); })),
        // Stretch matters to the geometric modes only.
        same("Stretch max, measured mode", set([](Host &h) { Red(h, 10, 50), Fixed(h, "Stretch", INT32_MAX); }),
             set([](Host &h) { Red(h, 10, 50); })),
        // Angles: a span above 360 degrees chooses every hue.
        same("Angle span min..max", set([](Host &h) { Hue(h), Angle(h, "Angle Start", INT32_MIN), Angle(h, "Angle End", INT32_MAX); }),
             set([](Host &h) { h.SetSlider("Brightness", 30); })),
        same("Angle span 36000 degrees",
             set([](Host &h) { Hue(h), h.SetAngle("Angle Start", 90), h.SetAngle("Angle End", 36090); }),
             set([](Host &h) { h.SetSlider("Brightness", 30); })),
        source("Angle Start above End", set([](Host &h) { Hue(h), h.SetAngle("Angle Start", 30000), h.SetAngle("Angle End", -30000); })),
        // Popups outside their lists: the index (value - 1) is reduced to its low 8 bits; an index
        // that names no choice adjusts colour with no restriction ("Channels") or chooses nothing.
        same("Channels 0", set([](Host &h) { h.SetSlider("Brightness", 50), Popup(h, "Channels", 0); }),
             set([](Host &h) { h.SetSlider("Brightness", 50); })),
        same("Channels -5", set([](Host &h) { h.SetSlider("Brightness", 50), Popup(h, "Channels", -5); }),
             set([](Host &h) { h.SetSlider("Brightness", 50); })),
        same("Channels 10 (past the last)", set([](Host &h) { h.SetSlider("Brightness", 50), Popup(h, "Channels", 10); }),
             set([](Host &h) { h.SetSlider("Brightness", 50); })),
        same("Channels 265 (index 264, low byte 8)", set([](Host &h) { h.SetSlider("Brightness", 50), Popup(h, "Channels", 265); }),
             set([](Host &h) { h.SetSlider("Brightness", 50), h.SetPopup("Channels", 9); })),
        same("Channels min", set([](Host &h) { h.SetSlider("Brightness", 50), Popup(h, "Channels", INT32_MIN); }),
             set([](Host &h) { h.SetSlider("Brightness", 50); })),
        source("Choose Pixels by 0", set([](Host &h) { h.SetSlider("Brightness", 50), Popup(h, "Choose Pixels by", 0); })),
        source("Choose Pixels by -5", set([](Host &h) { h.SetSlider("Brightness", 50), Popup(h, "Choose Pixels by", -5); })),
        source("Choose Pixels by 15 (past the last)",
               set([](Host &h) { h.SetSlider("Brightness", 50), Popup(h, "Choose Pixels by", 15); })),
        source("Choose Pixels by min, with a mix",
               set([](Host &h) { h.SetSlider("Brightness", 50), h.SetSlider("Mix with Original", 30), Popup(h, "Choose Pixels by", INT32_MIN); })),
        same("Choose Pixels by 257 (index 256, low byte 0)",
             set([](Host &h) { h.SetSlider("Brightness", 50), Popup(h, "Choose Pixels by", 257); }),
             set([](Host &h) { h.SetSlider("Brightness", 50); })),
        // Any non-zero checkbox value is on.
        same("Reverse Range -1", set([](Host &h) { Red(h, 10, 50), Def(h, "Reverse Range").u.bd.value = -1; }),
             set([](Host &h) { Red(h, 10, 50), h.SetCheckbox("Reverse Range", true); })),
        // The centre far outside the frame: no pixel is within 100 % of the width of it.
        source("Center at max, Point", set([](Host &h) {
                   Geometric(h, 11), h.SetSlider("Range End", 100), h.SetSlider("Blend", 0);
                   h.SetPoint("Center", 1e12, 1e12);  // INT32_MAX both
               })),
        same("Center at min, Point reversed",
             set([](Host &h) {
                 Geometric(h, 11), h.SetSlider("Range End", 100), h.SetSlider("Blend", 0), h.SetCheckbox("Reverse Range", true);
                 h.SetPoint("Center", -1e12, -1e12);  // INT32_MIN both
             }),
             set([](Host &h) { h.SetSlider("Brightness", -40); })),
    };
    // Geometric modes with extreme centres, ranges, blends and stretches: no expected picture
    // beyond the invariants (alpha kept, the same picture twice).
    const PF_Fixed extremes[] = {INT32_MIN, Fix(-1000), Fix(1000), INT32_MAX};
    for (int32_t choice : {11, 12, 13, 14})
        for (PF_Fixed e : extremes)
            cases.push_back(only("geometric extremes", set([choice, e](Host &h) {
                                     Geometric(h, choice);
                                     Fixed(h, "Stretch", e), Fixed(h, "Range Start", e / 3), Fixed(h, "Range End", e);
                                     const double shown = e / 65536.0;
                                     Fixed(h, "Blend", e / 2), Angle(h, "Angle Start", e);
                                     h.SetAngle("Angle End", -shown), h.SetPoint("Center", shown, -shown / 7);
                                 })));
    return cases;
}

// Each case at the plain level against its expected picture, and at every vector level equal to it.
TEST(Hostile, ParameterValuesAtAndBeyondTheirRanges) {
    const std::vector<int> levels = SimdLevels();
    ASSERT_FALSE(levels.empty());
    auto host = orvtest::ReadyHost(orvtest::FaultModule());
    std::mt19937 rng(707);
    const Image in = orvtest::RandomImage(rng, 37, 11, 8);
    for (const ValueCase &c : ValueCases()) {
        SCOPED_TRACE(c.what);
        PF_Err status;
        bool message;
        SetSimdLevel(0);
        const Image out = RenderWith(*host, in, c.set, &status, &message);
        for (int level : levels) {
            SetSimdLevel(level);
            const Image vector = RenderWith(*host, in, c.set, &status, &message);
            EXPECT_EQ(vector.Packed(), out.Packed()) << "vector level " << level << " differs from the plain loops";
        }
        SetSimdLevel(0);
        EXPECT_EQ(status, 0);
        EXPECT_FALSE(message);
        const Image again = RenderWith(*host, in, c.set, &status, &message);
        EXPECT_EQ(out.Packed(), again.Packed()) << "the same values gave another picture";
        const bool alphaChannel = ((static_cast<uint32_t>(Def(*host, "Channels").u.pd.value) - 1u) & 0xFFu) == 8;
        for (int32_t y = 0; y < in.height && !alphaChannel; ++y)
            for (int32_t x = 0; x < in.width; ++x) ASSERT_EQ(out.Pixel(x, y)[0], in.Pixel(x, y)[0]) << "alpha changed";
        if (c.same) {
            const Image expected = RenderWith(*host, in, c.same, &status, &message);
            EXPECT_EQ(out.Packed(), expected.Packed());
        }
        if (c.source) {
            EXPECT_EQ(out.Packed(), in.Packed());
        }
        if (c.table) {
            const auto table = orvref::Table(orvref::SliderReading(c.tableBrightness), orvref::SliderReading(c.tableContrast));
            for (int32_t y = 0; y < in.height; ++y)
                for (int32_t x = 0; x < in.width; ++x)
                    for (int i = 1; i < 4; ++i) ASSERT_EQ(out.Pixel(x, y)[i], table[in.Pixel(x, y)[i]]) << x << "," << y;
        }
    }
    SetSimdLevel(3);
}

// Brightness exactly 101 divides by zero: the gain is infinite, so byte 0 (0 x infinity, not a
// number) stores 0 and every other byte 255.
TEST(Hostile, BrightnessAtTheGainPoleGivesZeroAndFull) {
    auto host = orvtest::ReadyHost(orvtest::ShippedModule());
    Image in = Image::Make(256, 1);
    for (int x = 0; x < 256; ++x) in.Pixel(x, 0)[0] = in.Pixel(x, 0)[1] = in.Pixel(x, 0)[2] = in.Pixel(x, 0)[3] = static_cast<uint8_t>(x);
    PF_Err status;
    bool message;
    const Image out = RenderWith(*host, in, [](Host &h) { h.SetSlider("Brightness", 101); }, &status, &message);
    for (int x = 0; x < 256; ++x)
        for (int i = 1; i < 4; ++i) ASSERT_EQ(out.Pixel(x, 0)[i], x == 0 ? 0 : 255) << x;
}

// ---- downsample ratios ----------------------------------------------------------------------------

TEST(Hostile, DownsampleRatiosOfEveryKind) {
    auto host = orvtest::ReadyHost(orvtest::ShippedModule());
    std::mt19937 rng(808);
    const Image in = orvtest::RandomImage(rng, 13, 9, 4);
    const PF_RationalScale ratios[] = {{0, 1}, {1, 0}, {0, 0}, {INT32_MAX, 1}, {1, UINT32_MAX},
                                       {-1, 1}, {INT32_MIN, 1}, {-3, 7}, {INT32_MAX, UINT32_MAX}};
    for (int32_t choice = 1; choice <= 14; ++choice) {
        HostValues v;
        v.choosePixels = choice, v.brightness = 45, v.contrast = -20, v.rangeStart = 10, v.rangeEnd = 40, v.blend = 5;
        v.centerSet = true, v.centerX = 5, v.centerY = 3;
        for (const PF_RationalScale &ratio : ratios) {
            SCOPED_TRACE("choice " + std::to_string(choice) + ", ratio " + std::to_string(ratio.num) + "/" +
                         std::to_string(ratio.den));
            Apply(*host, v);
            host->SetDownsample(ratio, ratio);
            GuardedLayer src(in.width, in.height, in.rowbytes), dst(in.width, in.height, in.width * 4);
            for (int32_t y = 0; y < in.height; ++y) std::memcpy(src.Pixel(0, y), in.Row(y), in.width * 4);
            PF_LayerDef a = src.World(), b = dst.World();
            const Result result = RenderRaw(*host, &a, &b, in.width, in.height);
            host->SetDownsample(1, 1);
            EXPECT_EQ(result.status, 0);
            EXPECT_FALSE(result.messageShown);
            EXPECT_TRUE(src.GuardsIntact() && dst.GuardsIntact());
            // A zero denominator counts as 1; "All" does not depend on the frame size at all.
            if (ratio.den == 0 || choice == 1) {
                const std::vector<uint8_t> expected = orvref::Render(in, v);
                EXPECT_TRUE(dst.Packed().Packed() == expected);
            }
        }
    }
}

// ---- fewer parameters than registered ------------------------------------------------------------

// Calls main with the host's records as they stand but in_data num_params = count.
Result RenderWithParamCount(Host &host, aehost::Module &module, const Image &input, Image &output, A_long count) {
    Image &source = const_cast<Image &>(input);
    host.ParamArray()[0]->u.ld = source.World();
    PF_LayerDef out = output.World();
    host.InData().width = input.width;
    host.InData().height = input.height;
    host.InData().num_params = count;
    host.OutData().out_flags = 0;
    const PF_Err status =
        module.Entry()(PF_Cmd_RENDER, &host.InData(), &host.OutData(), host.ParamArray().data(), &out, nullptr);
    std::memset(&host.ParamArray()[0]->u.ld, 0, sizeof(PF_LayerDef));
    return {status, (host.OutData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0};
}

// The value a parameter reads when its slot is missing, as a host would send it: zeros, but an
// angle of 90 degrees (angles read back less 90).
void AbsentValue(PF_ParamDef &def) {
    switch (def.param_type) {
        case PF_Param_FIX_SLIDER: def.u.fd.value = 0; break;
        case PF_Param_ANGLE: def.u.ad.value = 90 * 65536; break;
        case PF_Param_POPUP: def.u.pd.value = 0; break;
        case PF_Param_CHECKBOX: def.u.bd.value = 0; break;
        case PF_Param_COLOR: def.u.cd.value = PF_Pixel{0, 0, 0, 0}; break;
        case PF_Param_POINT: def.u.td.x_value = def.u.td.y_value = 0; break;
        default: break;
    }
}

// A slot at or beyond in_data num_params is never read: the render is the one the host would get
// by sending the absent values in those slots; with no slot at all the input layer is absent too.
TEST(Hostile, FewerParametersThanRegisteredReadAsZero) {
    aehost::Module &module = orvtest::ShippedModule();
    auto host = orvtest::ReadyHost(module);
    std::mt19937 rng(909);
    for (A_long count = 0; count < 15; ++count)
        for (int32_t choice : {1, 2, 9, 11, 14}) {
            SCOPED_TRACE("num_params " + std::to_string(count) + ", choice " + std::to_string(choice));
            const Image in = orvtest::RandomImage(rng, 11, 7, 4);
            HostValues v;
            v.brightness = 40, v.contrast = 25, v.channels = 1 + static_cast<int32_t>(rng() % 9), v.mix = 20;
            v.choosePixels = choice, v.rangeStart = 5, v.rangeEnd = 60, v.blend = 8, v.stretch = 30;
            v.angleStart = 60, v.angleEnd = 250, v.color = PF_Pixel{255, 200, 10, 90};
            Apply(*host, v);
            host->PlaceDefaultPoints(in.width, in.height);
            Image out = Image::Make(in.width, in.height);
            std::fill(out.pixels.begin(), out.pixels.end(), kUnwritten);
            const Result result = RenderWithParamCount(*host, module, in, out, count);
            EXPECT_EQ(result.status, 0);
            EXPECT_FALSE(result.messageShown);

            Image expected = Image::Make(in.width, in.height);
            if (count >= 1) {
                Apply(*host, v);
                host->PlaceDefaultPoints(in.width, in.height);
                for (size_t slot = static_cast<size_t>(count); slot < 15; ++slot) AbsentValue(*host->ParamArray()[slot]);
                ASSERT_EQ(RenderWithParamCount(*host, module, in, expected, 15).status, 0);
            }
            EXPECT_EQ(out.Packed(), expected.Packed());
        }
}

// ---- missing records and callbacks ------------------------------------------------------------------

// Each command with one record or callback missing: main returns 0 and nothing outside the
// records is touched. What each leaves behind is checked where it is defined.
TEST(Hostile, MissingRecordsAndCallbacks) {
    aehost::Module &module = orvtest::ShippedModule();
    const PF_Cmd commands[] = {PF_Cmd_ABOUT, PF_Cmd_GLOBAL_SETUP, PF_Cmd_GLOBAL_SETDOWN, PF_Cmd_PARAMS_SETUP,
                               PF_Cmd_RENDER, PF_Cmd_SEQUENCE_SETUP, PF_Cmd_FRAME_SETUP};
    enum Missing { kInData, kOutData, kParams, kOutput, kUtils, kFill, kSprintf, kStrcpy, kAddParam, kCount };
    const char *names[] = {"in_data", "out_data", "params", "output", "utils", "fill", "sprintf", "strcpy", "add_param"};
    std::mt19937 rng(1010);
    for (PF_Cmd command : commands)
        for (int missing = 0; missing < kCount; ++missing) {
            SCOPED_TRACE(std::string("command ") + std::to_string(command) + " without " + names[missing]);
            auto host = orvtest::ReadyHost(module);
            host->SetSlider("Brightness", 60);
            Image in = orvtest::RandomImage(rng, 6, 4);
            Image out = Image::Make(6, 4);
            std::fill(out.pixels.begin(), out.pixels.end(), kUnwritten);
            host->PlaceDefaultPoints(6, 4);
            host->ParamArray()[0]->u.ld = in.World();
            host->InData().width = 6, host->InData().height = 4;
            PF_UtilCallbacks utils = *host->InData().utils;
            if (missing == kFill) utils.fill = nullptr;
            if (missing == kSprintf) utils.ansi.sprintf = nullptr;
            if (missing == kStrcpy) utils.ansi.strcpy = nullptr;
            host->InData().utils = missing == kUtils ? nullptr : &utils;
            if (missing == kAddParam) host->InData().inter.add_param = nullptr;
            std::memset(&host->OutData(), 0, sizeof(PF_OutData));
            PF_LayerDef outWorld = out.World();
            const PF_Err status = module.Entry()(command, missing == kInData ? nullptr : &host->InData(),
                                                 missing == kOutData ? nullptr : &host->OutData(),
                                                 missing == kParams ? nullptr : host->ParamArray().data(),
                                                 missing == kOutput ? nullptr : &outWorld, nullptr);
            EXPECT_EQ(status, 0);
            const PF_OutData &o = host->OutData();
            const bool untouched = std::all_of(out.pixels.begin(), out.pixels.end(), [](uint8_t b) { return b == kUnwritten; });
            const bool cleared = std::all_of(out.pixels.begin(), out.pixels.end(), [](uint8_t b) { return b == 0; });
            switch (command) {
                case PF_Cmd_ABOUT:
                    // Without a way to format the text the about box stays empty.
                    if (missing == kInData || missing == kOutData || missing == kUtils || missing == kSprintf)
                        EXPECT_EQ(o.return_msg[0], 0);
                    else
                        EXPECT_STREQ(o.return_msg, "Orvane FX Brightness-Contrast, v3.0\r\r");
                    break;
                case PF_Cmd_GLOBAL_SETUP:
                    EXPECT_EQ(o.my_version, missing == kOutData || missing == kInData ? 0u : 1574400u);
                    break;
                case PF_Cmd_PARAMS_SETUP:
                    // Registration needs add_param and strcpy; without either none is made, and the
                    // count still says 15 (as when add_param fails).
                    if (missing == kOutData) break;
                    EXPECT_EQ(o.num_params, missing == kInData ? 0 : 15);
                    break;
                case PF_Cmd_RENDER:
                    if (missing == kInData || missing == kOutput || missing == kUtils || missing == kFill)
                        EXPECT_TRUE(untouched) << "nothing is drawn without the records to clear the output";
                    else if (missing == kParams)
                        EXPECT_TRUE(cleared) << "no input layer: the output stays cleared";
                    else
                        EXPECT_FALSE(untouched || cleared) << "rendered";
                    break;
                default:
                    EXPECT_TRUE(untouched);
                    break;
            }
            std::memset(&host->ParamArray()[0]->u.ld, 0, sizeof(PF_LayerDef));
        }
}

}  // namespace
