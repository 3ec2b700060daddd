// `orvane mask` against `orvane render`: where the mask is 0 the render leaves the input as it is,
// where it is 255 the render equals the fully adjusted picture (chooser "All", no mix), and in
// between each byte lies between the two.
#include <gtest/gtest.h>

#include <png.h>

#include "cli_support.h"

using namespace clitest;

namespace {

// A picture with smooth regions (so ranges and blends have something to choose between) and
// random alpha.
aehost::Image TestPicture(std::mt19937 &rng, int32_t w, int32_t h) {
    aehost::Image image = RandomImage(rng, w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint8_t *p = image.Pixel(x, y);
            if ((x / 8 + y / 8) % 2) continue;  // keep noise in half the blocks
            p[1] = static_cast<uint8_t>(x * 255 / (w - 1));
            p[2] = static_cast<uint8_t>(y * 255 / (h - 1));
            p[3] = static_cast<uint8_t>((x + y) * 255 / (w + h - 2));
        }
    return image;
}

Bytes Rendered(const ScratchDir &dir, const std::string &command, const std::vector<std::string> &sets) {
    std::vector<std::string> args = {command, "--raw", "48x32"};
    for (const std::string &s : sets) args.insert(args.end(), {"--set", s});
    args.insert(args.end(), {dir / "in.raw", dir / "out.raw"});
    Result run = Orvane(args);
    EXPECT_EQ(run.status, 0) << run.err;
    return ReadBytes(dir / "out.raw");
}

TEST(OrvaneMask, AgreesWithWhatRenderChooses) {
    const std::vector<std::vector<std::string>> choosers = {
        {"Choose Pixels by=Luma", "Range End=40"},
        {"Choose Pixels by=Luma", "Range Start=20", "Range End=60", "Blend=15"},
        {"Choose Pixels by=Green", "Range End=50", "Reverse Range=on", "Blend=5"},
        {"Choose Pixels by=Saturation", "Range Start=30", "Range End=90"},
        {"Choose Pixels by=Hue", "Angle Start=45", "Angle End=200", "Blend=20"},
        {"Choose Pixels by=RGB Diff", "Color=#20C040", "Range End=45", "Blend=10"},
        {"Choose Pixels by=Alpha", "Range Start=10", "Range End=50", "Reverse Range=on"},
        {"Choose Pixels by=Point", "Center=13.5,20.25", "Range End=30", "Blend=10", "Stretch=50"},
        {"Choose Pixels by=Rectangle", "Range End=25", "Stretch=-30"},
        {"Choose Pixels by=Edge", "Range End=10", "Blend=8"},
        {"Choose Pixels by=Angle", "Center=30,10", "Angle Start=0", "Angle End=120", "Blend=12"},
    };
    const std::vector<std::string> adjust = {"Brightness=45", "Contrast=30"};
    std::mt19937 rng(21);
    ScratchDir dir;
    const aehost::Image in = TestPicture(rng, 48, 32);
    WriteBytes(dir / "in.raw", in.pixels);
    const Bytes full = Rendered(dir, "render", adjust);
    for (const std::vector<std::string> &chooser : choosers) {
        SCOPED_TRACE(testing::PrintToString(chooser));
        std::vector<std::string> sets = adjust;
        sets.insert(sets.end(), chooser.begin(), chooser.end());
        const Bytes rendered = Rendered(dir, "render", sets);
        const Bytes mask = Rendered(dir, "mask", chooser);
        ASSERT_EQ(mask.size(), in.pixels.size());
        int none = 0, fully = 0;
        for (size_t i = 0; i < mask.size(); i += 4) {
            const uint8_t m = mask[i + 1];
            ASSERT_EQ(mask[i], 255);
            ASSERT_TRUE(mask[i + 2] == m && mask[i + 3] == m);
            for (size_t k = i; k < i + 4; ++k) {
                if (m == 0) {
                    ASSERT_EQ(rendered[k], in.pixels[k]) << "pixel " << i / 4 << " is not chosen";
                }
                if (m == 255) {
                    ASSERT_EQ(rendered[k], full[k]) << "pixel " << i / 4 << " is fully chosen";
                }
                ASSERT_GE(rendered[k], std::min(in.pixels[k], full[k])) << "pixel " << i / 4;
                ASSERT_LE(rendered[k], std::max(in.pixels[k], full[k])) << "pixel " << i / 4;
            }
            none += m == 0;
            fully += m == 255;
        }
        EXPECT_GT(none, 0) << "the chooser should leave some pixels alone";
        EXPECT_GT(fully, 0) << "and choose some fully";
    }
}

TEST(OrvaneMask, PngMaskIsGreyAndEqualsTheRawOne) {
    ScratchDir dir;
    const std::string coffee = std::string(ORV_TEST_DATA_DIR) + "/coffee.png";
    const aehost::Image in = ReadPngArgb(coffee);
    WriteBytes(dir / "in.raw", in.pixels);
    const std::vector<std::string> sets = {"--set", "Choose Pixels by=Lightness", "--set", "Range End=35", "--set", "Blend=10"};
    std::vector<std::string> args = {"mask"};
    args.insert(args.end(), sets.begin(), sets.end());
    Result png = Orvane([&] { auto a = args; a.insert(a.end(), {coffee, dir / "mask.png"}); return a; }());
    ASSERT_EQ(png.status, 0) << png.err;
    Result raw = Orvane([&] {
        auto a = args;
        a.insert(a.end(), {"--raw", std::to_string(in.width) + "x" + std::to_string(in.height), "-", "-"});
        return a;
    }(), AsString(in.pixels));
    ASSERT_EQ(raw.status, 0) << raw.err;
    int depth, type, w, h;
    PngHeader(dir / "mask.png", &depth, &type);
    EXPECT_EQ(depth, 8);
    EXPECT_EQ(type, PNG_COLOR_TYPE_GRAY);
    const Bytes grey = ReadPngGrey(dir / "mask.png", &w, &h);
    ASSERT_EQ(w * h * 4, static_cast<int>(raw.out.size()));
    for (size_t i = 0; i < grey.size(); ++i) ASSERT_EQ(grey[i], static_cast<uint8_t>(raw.out[4 * i + 1])) << i;
}

}  // namespace
