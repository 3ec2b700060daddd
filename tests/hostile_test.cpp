// Unusual host records through the module's `main`: layers without pixels, empty, extreme and wide
// sizes, padded, odd, overlapping and negative row strides, fewer parameters than registered. Layers
// lie inside guard bands (poisoned under AddressSanitizer, checked for writes otherwise); each case
// has its expected picture. Far values are the render tests'; missing records the entry fuzzer's.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "reference/render_reference.h"
#include "support/test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define ORV_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORV_ASAN 1
#endif
#endif
#ifdef ORV_ASAN
#include <sanitizer/asan_interface.h>
#define ORV_POISON(p, n, on) ((on) ? ASAN_POISON_MEMORY_REGION(p, n) : ASAN_UNPOISON_MEMORY_REGION(p, n))
#else
#define ORV_POISON(p, n, on) ((void)(p), (void)(n), (void)(on))
#endif

using aehost::Host;
using aehost::Image;
using orvref::HostValues;

namespace {

constexpr size_t kGuard = 4096;
constexpr uint8_t kCanary = 0xCD, kUnwritten = 0x5A;

// A host layer as a host may describe it (any sides, rows going down or up in memory), inside a
// block whose guard bands the module must never touch.
class GuardedLayer {
public:
    GuardedLayer(int64_t width, int64_t height, int64_t rowbytes) : width(width), height(height), rowbytes(rowbytes) {
        const int64_t last = width > 0 && height > 0 ? (height - 1) * rowbytes : 0;
        const int64_t low = std::min<int64_t>(last, 0), high = width > 0 && height > 0 ? std::max<int64_t>(last, 0) + width * 4 : 0;
        span = size_t(high - low);
        storage.assign(kGuard + span + kGuard, kCanary);
        std::fill(storage.begin() + kGuard, storage.begin() + long(kGuard + span), kUnwritten);
        data = storage.data() + kGuard - low;
        Poison(true);
    }
    ~GuardedLayer() { Poison(false); }

    PF_LayerDef World(bool withPixels = true) {
        PF_LayerDef world{};
        world.data = withPixels ? reinterpret_cast<PF_Pixel *>(data) : nullptr;
        world.rowbytes = A_long(rowbytes), world.width = A_long(width), world.height = A_long(height);
        return world;
    }
    uint8_t *Pixel(int64_t x, int64_t y) { return data + y * rowbytes + 4 * x; }
    Image Packed() {
        Image image = Image::Make(int32_t(width), int32_t(height));
        for (int64_t y = 0; y < height; ++y) std::memcpy(image.Row(int32_t(y)), Pixel(0, y), size_t(width) * 4);
        return image;
    }
    std::vector<uint8_t> Span() const { return {storage.begin() + kGuard, storage.begin() + long(kGuard + span)}; }
    // No guard byte changed, and no padding byte (belonging to no pixel) was written.
    testing::AssertionResult Intact() {
        Poison(false);
        std::vector<bool> pixel(storage.size(), false);
        const bool overlapping = rowbytes > -width * 4 && rowbytes < width * 4;
        for (int64_t y = 0; y < height && width > 0; ++y)
            std::fill_n(pixel.begin() + (Pixel(0, y) - storage.data()), width * 4, true);
        size_t bad = storage.size();
        for (size_t i = 0; i < storage.size() && bad == storage.size(); ++i) {
            const bool guard = i < kGuard || i >= kGuard + span;
            if (guard ? storage[i] != kCanary : !pixel[i] && !overlapping && storage[i] != kUnwritten) bad = i;
        }
        Poison(true);
        if (bad == storage.size()) return testing::AssertionSuccess();
        return testing::AssertionFailure() << "byte " << (long long)bad - (long long)kGuard << " of the buffer was written";
    }

    const int64_t width, height, rowbytes;

private:
    void Poison(bool on) {
        ORV_POISON(storage.data(), kGuard, on);
        ORV_POISON(storage.data() + kGuard + span, kGuard, on);
    }
    std::vector<uint8_t> storage;
    size_t span = 0;
    uint8_t *data = nullptr;
};

// One PF_Cmd_RENDER with raw layer records, a layer of the input's sides; true when a message shows.
bool RenderRaw(Host &host, PF_LayerDef *input, PF_LayerDef *output) {
    PF_LayerDef &slot0 = host.ParamArray()[0]->u.ld;
    slot0 = input ? *input : PF_LayerDef{};
    host.InData().width = slot0.width, host.InData().height = slot0.height;
    host.OutData().out_flags = 0;
    host.Call(PF_Cmd_RENDER, output);
    slot0 = PF_LayerDef{};
    return (host.OutData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0;
}

struct LayerShape { int64_t width, height, rowbytes; bool pixels; };

// The output corner the module renders (the reference's pixels, -1: no picture to expect, as when
// rows share memory); the rest of the output is transparent black.
const struct { const char *what; LayerShape in, out; int64_t renderedColumns, renderedRows; } kLayerCases[] = {
    {"input without pixels", {8, 5, 32, false}, {8, 5, 32, true}, 0, 0},
    {"output without pixels", {8, 5, 32, true}, {8, 5, 32, false}, 0, 0},
    {"0x0 with pixels", {0, 0, 0, true}, {0, 0, 0, true}, 0, 0}, {"0 wide", {0, 5, 0, true}, {0, 5, 0, true}, 0, 0},
    {"0 high", {8, 0, 32, true}, {8, 0, 32, true}, 0, 0},        {"1x1", {1, 1, 4, true}, {1, 1, 4, true}, 1, 1},
    {"rows padded by 12", {9, 6, 48, true}, {9, 6, 48, true}, 9, 6},
    {"row lengths not multiples of 4", {7, 5, 29, true}, {7, 5, 31, true}, 7, 5},
    {"differently padded input and output", {10, 4, 104, true}, {10, 4, 40, true}, 10, 4},
    {"output larger than input", {5, 4, 20, true}, {9, 6, 36, true}, 5, 4},
    {"output smaller than input", {9, 6, 36, true}, {5, 8, 20, true}, 5, 6},
    {"rows sharing memory (row length 0)", {6, 4, 0, true}, {6, 4, 0, true}, -1, -1},
    {"input rows going up in memory", {8, 5, -32, true}, {8, 5, 32, true}, 8, 5},
    {"output rows going up in memory", {8, 5, 32, true}, {8, 5, -36, true}, 8, 5},
    {"one row going up in memory", {8, 1, -32, true}, {8, 1, -40, true}, 8, 1},
    {"rows going up by 16384 bytes", {8, 3, -16384, true}, {8, 3, -16384, true}, 8, 3},
    {"4096 x 16, rows of 16384 bytes", {4096, 16, 16384, true}, {4096, 16, 16384, true}, 4096, 16},
    {"8192 x 8, padded input", {8192, 8, 32780, true}, {8192, 8, 32768, true}, 8192, 8},
    {"16384 x 4, padded output", {16384, 4, 65536, true}, {16384, 4, 65600, true}, 16384, 4},
    {"32767 wide, 1 high", {32767, 1, 131068, true}, {32767, 1, 131068, true}, 32767, 1},
    {"1 wide, 32767 high", {1, 32767, 4, true}, {1, 32767, 4, true}, 1, 32767},
    {"32768 wide (a side read as negative)", {32768, 1, 131072, true}, {32768, 1, 131072, true}, 0, 0},
    {"65537 wide (read as 1)", {65537, 1, 262148, true}, {65537, 1, 262148, true}, 1, 1},
    {"negative width", {-8, 5, 32, true}, {8, 5, 32, true}, 0, 0},
    {"negative height", {8, 5, 32, true}, {8, -5, 32, true}, 0, 0}, };

// Soft Luma, hard Red with "Difference", a mix on alpha: measured, so a corner of the picture is the
// reference's corner. The centre at the origin: half of a 65537-pixel frame is beyond 16.16.
TEST(Hostile, LayerRecordsStayInsideTheirBuffers) {
    HostValues soft, hard, mixed;
    soft.choosePixels = 2, soft.rangeEnd = 60, soft.blend = 10, soft.brightness = 35, soft.contrast = 20;
    hard.choosePixels = 3, hard.rangeStart = 10, hard.rangeEnd = 70, hard.contrast = 60, hard.channels = 8;
    mixed.mix = 40, mixed.channels = 9, mixed.brightness = -30;
    auto host = orvtest::ReadyHost(orvtest::FaultModule());
    std::mt19937 rng(606);
    for (orv::SimdLevel level : orvtest::Levels()) {
        orvtest::ForcedLevel forced(level);
        for (const auto &c : kLayerCases)
            for (HostValues v : {soft, hard, mixed}) {
                SCOPED_TRACE(std::string(c.what) + ", " + orvtest::Describe(v) + ", " + orv::SimdLevelName(level));
                v.centerSet = true;
                GuardedLayer in(c.in.width, c.in.height, c.in.rowbytes), out(c.out.width, c.out.height, c.out.rowbytes);
                for (int64_t y = 0; y < in.height; ++y)
                    for (int64_t x = 0; x < in.width * 4; ++x) in.Pixel(0, y)[x] = uint8_t(rng());
                const std::vector<uint8_t> before = in.Span();
                orvtest::ApplyHostValues(*host, v);
                PF_LayerDef inWorld = in.World(c.in.pixels), outWorld = out.World(c.out.pixels);
                EXPECT_FALSE(RenderRaw(*host, &inWorld, &outWorld));
                EXPECT_TRUE(in.Intact()) << "input";
                EXPECT_TRUE(out.Intact()) << "output";
                EXPECT_TRUE(in.Span() == before) << "the input was written";
                if (!c.out.pixels || c.out.width <= 0 || c.out.height <= 0 || c.renderedColumns < 0) continue;
                std::vector<uint8_t> expected;
                if (c.renderedColumns > 0) expected = orvref::Render(in.Packed(), v);
                int64_t wrong = 0;
                for (int64_t y = 0; y < c.out.height; ++y)
                    for (int64_t x = 0; x < c.out.width; ++x) {
                        const uint8_t zero[4] = {0, 0, 0, 0};
                        const bool rendered = x < c.renderedColumns && y < c.renderedRows;
                        wrong += std::memcmp(out.Pixel(x, y), rendered ? &expected[size_t((y * c.in.width + x) * 4)] : zero, 4) != 0;
                    }
                EXPECT_EQ(wrong, 0) << "wrong pixels";
            }
    }
}

// A slot at or beyond in_data num_params is never read: the render is the one the host would get
// by sending the absent values (zeros; an angle of 90, read back less 90) in those slots; with no
// slot at all the input layer is absent too.
TEST(Hostile, FewerParametersThanRegisteredReadAsAbsent) {
    auto host = orvtest::ReadyHost(orvtest::ShippedModule());
    std::mt19937 rng(909);
    const Image in = orvtest::RandomImage(rng, 11, 7);
    auto render = [&](const HostValues &v, A_long count, A_long absentFrom) {
        orvtest::ApplyHostValues(*host, v);
        host->PlaceDefaultPoints(in.width, in.height);
        for (A_long slot = absentFrom; slot < 15; ++slot) {
            PF_ParamDef &d = *host->ParamArray()[size_t(slot)];
            std::memset(&d.u, 0, sizeof d.u), d.u.ad.value = d.param_type == PF_Param_ANGLE ? 90 * 65536 : 0;
        }
        Image out = Image::Make(in.width, in.height);
        host->ParamArray()[0]->u.ld = const_cast<Image &>(in).World();
        PF_LayerDef world = out.World();
        host->InData().width = in.width, host->InData().height = in.height, host->InData().num_params = count;
        orvtest::ShippedModule().Entry()(PF_Cmd_RENDER, &host->InData(), &host->OutData(), host->ParamArray().data(), &world, nullptr);
        host->ParamArray()[0]->u.ld = PF_LayerDef{};
        return out.pixels;
    };
    for (A_long count = 0; count < 15; ++count)
        for (int32_t choice : {1, 2, 9, 11, 14}) {
            const HostValues v = orvtest::RandomValues(rng, count, choice, 6, in.width, in.height);
            const std::vector<uint8_t> expected = count == 0 ? std::vector<uint8_t>(in.pixels.size(), 0) : render(v, 15, count);
            EXPECT_EQ(render(v, count, 15), expected) << "num_params " << count << ", " << orvtest::Describe(v);
        }
}

}  // namespace
