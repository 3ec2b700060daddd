// `orvane render` and `orvane mask` on raw frames, PNGs and video (made and decoded by ffmpeg), each
// render compared with the module rendered straight through aehost with the host values set here.
#include <png.h>

#include <cmath>

#include "cli_support.h"

TEST(OrvaneRender, EveryValueFormReachesTheHostAsItStoresIt) {
    const struct { Args sets; Values host; uint32_t den = 1; } cases[] = {
        {{"--set=contrast=33.333", "BRIGHTNESS=90", "brightness=-12.5", "Channels=green", "Mix with Original=50"},
         {{"Contrast", {33.333}}, {"Brightness", {-12.5}}, {"Channels", {3}}, {"Mix with Original", {50}}}},
        {{"choose pixels by=Green ", "Range End=40", "Reverse Range=yes"}, {{"Choose Pixels by", {4}}, {"Range End", {40}}, {"Reverse Range", {1}}}},
        {{"Choose Pixels by=RGB Diff", "Color=#FF8000", "Range End=60"}, {{"Choose Pixels by", {10}}, {"Color", {255, 128, 0}}, {"Range End", {60}}}},
        {{"Choose Pixels by=11", "Center=10.5,-3.25", "Range Start=12.5", "Range End=50", "Blend=10", "Stretch=-40"},
         {{"Choose Pixels by", {11}}, {"Center", {10.5, -3.25}}, {"Range Start", {12.5}}, {"Range End", {50}}, {"Blend", {10}}, {"Stretch", {-40}}}},
        {{"Choose Pixels by=Hue ", "Angle Start=45", "Angle End=200.5"}, {{"Choose Pixels by", {8}}, {"Angle Start", {45}}, {"Angle End", {200.5}}}},
        {{"--downsample", "1/3", "Choose Pixels by=Edge", "Blend=7"}, {{"Choose Pixels by", {13}}, {"Blend", {7}}}, 3},
    };
    std::mt19937 rng(11);
    const Bytes in = Random(rng, 2 * 25 * 16 * 4);  // two frames through a pipe
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.sets));
        const Result run = Orvane(Command({"render", "--raw", "25x16", "--set", "Brightness=40"}, c.sets, {"-", "-"}), in);
        Values host = c.host;
        host.insert(host.begin(), {"Brightness", {40}});  // first, so that every chooser has something to adjust
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(ReferenceRender(in, 25, 16, host, c.den), ReferenceRender(in, 25, 16, {}, c.den)) << "a case that changes nothing";
        EXPECT_TRUE(SameBytes(run.out, ReferenceRender(in, 25, 16, host, c.den)));
    }
    const Bytes wide = Random(rng, 32767 * 2 * 4);  // the widest frame the effect takes
    const Result w = Orvane({"render", "--raw", "32767x2", "--set", "Brightness=40", "--set", "Choose Pixels by=Edge", "-", "-"}, wide);
    EXPECT_TRUE(w.status == 0 && SameBytes(w.out, ReferenceRender(wide, 32767, 2, {{"Brightness", {40}}, {"Choose Pixels by", {13}}})));
    // A pipe that ends inside a frame: the complete frames reach standard output, then the error.
    const Bytes first(in.begin(), in.begin() + 1600);
    const Result run = Orvane({"render", "--raw", "25x16", "--set", "Brightness=9", "-", "-"}, Cat(first, {1, 2, 3}));
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(SameBytes(run.out, ReferenceRender(first, 25, 16, {{"Brightness", {9}}})));
    EXPECT_NE(run.err.find("standard input ended inside frame 2 (3 of 1600 bytes); the 1 complete frames before it were "
                           "written to standard output"), std::string::npos) << run.err;
}

// tests/data holds grey, palette (with and without tRNS) and RGB files with sRGB, ICC and pHYs chunks;
// ffmpeg makes grey with alpha, RGBA, 1-bit grey and 16-bit files with gAMA and cHRM chunks.
TEST(OrvaneRender, PngOfEveryColourTypeRoundTripsAsTheEffectRendersIt) {
    ScratchDir dir;
    std::mt19937 rng(13);
    std::map<std::string, Bytes> made;  // the ARGB orvane should read from each
    const struct { std::string format; int channels, depth; } kinds[] = {
        {"ya8", 2, 8}, {"rgba", 4, 8}, {"monob", 1, 1}, {"rgb48be", 3, 16}, {"ya16be", 2, 16}};
    for (const auto &[format, channels, depth] : kinds) {
        const Bytes raw = Random(rng, static_cast<size_t>(depth == 1 ? 5 : 35 * channels * depth / 8));
        auto sample = [&, channels = channels, depth = depth](size_t i, int k) -> uint8_t {  // pixel i, channel k, 8 bits
            const size_t at = i * channels + k;
            if (depth == 1) return raw[i / 7] >> (7 - i % 7) & 1 ? 255 : 0;  // rows of 7 pixels, a byte each
            return depth == 8 ? raw[at] : std::lround((raw[2 * at] << 8 | raw[2 * at + 1]) / 257.0);  // never halfway
        };
        Bytes &argb = made[dir / (format + ".png")];
        for (size_t i = 0, rgb = channels > 2; i < 35; ++i)
            argb.insert(argb.end(), {channels % 2 ? uint8_t(255) : sample(i, channels - 1), sample(i, 0), sample(i, rgb), sample(i, 2 * rgb)});
        Ffmpeg({"-f", "rawvideo", "-pix_fmt", format, "-s", "7x5", "-i", "-", "-vf", "setparams=color_primaries=bt709:color_trc=bt470m",
                dir / (format + ".png")}, raw);
    }
    const std::string data = ORV_TEST_DATA_DIR;
    // astronaut and chelsea carry an sRGB profile libpng reads but refuses to write: the picture is
    // written with the sRGB chunk in its place, and a warning says so.
    const struct { std::string path, warning; } files[] = {
        {data + "/chessboard_GRAY.png", ""}, {data + "/foo3x5x4indexed.png", ""}, {data + "/palette_color.png", ""},
        {data + "/coffee.png", ""}, {data + "/astronaut.png", "without " + data + "/astronaut.png's ICC profile"},
        {data + "/chelsea.png", "known incorrect sRGB profile); the sRGB chunk stands for it"},
        {dir / "ya8.png", ""}, {dir / "rgba.png", ""}, {dir / "monob.png", ""},
        {dir / "rgb48be.png", "has 16 bits per channel"}, {dir / "ya16be.png", "has 16 bits per channel"},
    };
    for (const auto &f : files) {
        SCOPED_TRACE(f.path);
        const Result run = Orvane({"render", "--set", "Brightness=30", "--set", "Channels=Red and Blue", f.path, dir / "out.png"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(f.warning.empty() ? run.err.empty() : run.err.find(f.warning) != std::string::npos) << run.err;
        std::map<std::string, Bytes> in = PngChunks(f.path), out = PngChunks(dir / "out.png");
        EXPECT_EQ(out["IHDR"][8] << 8 | out["IHDR"][9], 8 << 8 | PNG_COLOR_TYPE_RGB_ALPHA) << "8-bit RGBA";
        EXPECT_TRUE(!out.count("iCCP") && out["sRGB"].size() == (in.count("sRGB") || in.count("iCCP") ? 1u : 0u)) << "sRGB stands for the profile";
        for (const char *kept : {"pHYs", "gAMA", "cHRM", "sRGB"})
            if (in.count(kept)) { EXPECT_EQ(out[kept], in[kept]) << kept; }
        const int32_t w = in["IHDR"][2] << 8 | in["IHDR"][3], h = in["IHDR"][6] << 8 | in["IHDR"][7];  // under 65536
        const Values host = {{"Brightness", {30}}, {"Channels", {6}}};
        EXPECT_TRUE(SameBytes(Decode(dir / "out.png"), ReferenceRender(made.count(f.path) ? made[f.path] : Decode(f.path), w, h, host)));
    }
}

// Where the mask is 0 the render leaves the input as it is, where it is 255 the render equals the
// fully adjusted picture, and in between each byte lies between those two.
TEST(OrvaneMask, AgreesWithWhatRenderChooses) {
    const std::vector<Args> choosers = {
        {"Choose Pixels by=Luma", "Range Start=20", "Range End=60", "Blend=15"}, {"Choose Pixels by=Edge", "Range End=10", "Blend=8"},
        {"Choose Pixels by=Green", "Range End=50", "Reverse Range=on", "Blend=5"}, {"Choose Pixels by=Rectangle", "Stretch=-30"},
        {"Choose Pixels by=Saturation", "Range Start=30", "Range End=90"}, {"Choose Pixels by=Hue", "Angle Start=45", "Blend=20"},
        {"Choose Pixels by=RGB Diff", "Color=#20C040", "Range End=45", "Blend=10"}, {"Choose Pixels by=Alpha", "Range End=50", "Reverse Range=on"},
        {"Choose Pixels by=Point", "Center=13.5,20.25", "Range End=30", "Blend=10", "Stretch=50"},
        {"Choose Pixels by=Angle", "Center=30,10", "Angle Start=0", "Angle End=120", "Blend=12"}};
    std::mt19937 rng(21);
    Bytes in = Random(rng, 48 * 32 * 4);
    for (size_t i = 0, x = 0, y = 0; i < 48 * 32; ++i, x = i % 48, y = i / 48)  // smooth gradients in half the blocks, for ranges
        if ((x / 8 + y / 8) % 2 == 0) in[4 * i + 1] = uint8_t(x * 5), in[4 * i + 2] = uint8_t(y * 8), in[4 * i + 3] = uint8_t(x + y);
    auto run = [&](const std::string &command, const Args &sets) {  // the mask ignores Brightness and Contrast
        const Result r = Orvane(Command({command, "--raw", "48x32", "--set", "Brightness=45", "--set", "Contrast=30"}, sets, {"-", "-"}), in);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out;
    };
    const Bytes full = run("render", {});
    for (const Args &chooser : choosers) {
        SCOPED_TRACE(testing::PrintToString(chooser));
        const Bytes rendered = run("render", chooser), mask = run("mask", chooser);
        ASSERT_EQ(mask.size(), in.size());
        int none = 0, fully = 0;
        for (size_t i = 0; i < mask.size(); i += 4) {
            const uint8_t m = mask[i + 1];
            ASSERT_TRUE(mask[i] == 255 && mask[i + 2] == m && mask[i + 3] == m) << "pixel " << i / 4;
            for (size_t k = i; k < i + 4; ++k) {
                const uint8_t a = m == 255 ? full[k] : in[k], b = m == 0 ? in[k] : full[k];
                ASSERT_TRUE(std::min(a, b) <= rendered[k] && rendered[k] <= std::max(a, b)) << "pixel " << i / 4 << ", mask " << int(m);
            }
            none += m == 0, fully += m == 255;
        }
        EXPECT_TRUE(none > 0 && fully > 0) << "the chooser should leave some pixels alone and choose some fully";
    }
    // From a PNG, the same mask as an 8-bit grey picture.
    ScratchDir dir;
    Ffmpeg({"-f", "rawvideo", "-pix_fmt", "argb", "-s", "48x32", "-i", "-", dir / "in.png"}, in);
    ASSERT_EQ(Orvane(Command({"mask"}, choosers[0], {dir / "in.png", dir / "mask.png"})).status, 0);
    EXPECT_EQ(PngChunks(dir / "mask.png")["IHDR"][9], PNG_COLOR_TYPE_GRAY);
    EXPECT_TRUE(SameBytes(Decode(dir / "mask.png"), run("mask", choosers[0])));
}

TEST(OrvaneVideo, InterruptRemovesThePartialFileAndEndsFfmpeg) {
    ScratchDir dir;
    Ffmpeg({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-frames:v", "1000", "-c:v", "ffv1", dir / "in.mkv"});
    // AVI writes as it goes (Matroska would hold whole clusters back), so the file grows early.
    const Args args = {"render", "--set", "Brightness=10", dir / "in.mkv", dir / "out.avi"};
    EXPECT_EQ(InterruptWhileWriting(args, -1, dir, ".out.avi.orvane-", 1, SIGINT), 128 + SIGINT);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"in.mkv"});
    for (const auto &process : std::filesystem::directory_iterator("/proc"))
        EXPECT_EQ(Text(ReadBytes(process.path() / "cmdline")).find(dir / "in.mkv"), std::string::npos)
            << process.path() << ": an ffmpeg child outlived the interrupt";
}
