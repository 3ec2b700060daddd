// `orvane render` end to end on raw frames and PNGs: every result is compared with the module
// rendered directly through aehost, with the host values set here.
#include <gtest/gtest.h>

#include <png.h>
#include <unistd.h>

#include "cli_support.h"

using namespace clitest;
using aehost::Host;
using aehost::Image;

namespace {

using Setter = std::function<void(Host &)>;

Setter Slider(const char *name, double value) {
    return [=](Host &h) { h.Find(name)->u.fd.value = Fix(value); };
}
Setter Popup(const char *name, int32_t choice) {
    return [=](Host &h) { h.Find(name)->u.pd.value = choice; };
}
Setter All(std::vector<Setter> setters) {
    return [=](Host &h) {
        for (const Setter &s : setters) s(h);
    };
}

std::vector<std::string> SetArgs(const std::vector<std::string> &sets) {
    std::vector<std::string> args;
    for (const std::string &s : sets) args.insert(args.end(), {"--set", s});
    return args;
}

Result RenderRaw(const ScratchDir &dir, const Image &in, const std::vector<std::string> &options) {
    WriteBytes(dir / "in.raw", in.pixels);
    std::vector<std::string> args = {"render", "--raw", std::to_string(in.width) + "x" + std::to_string(in.height)};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), {dir / "in.raw", dir / "out.raw"});
    return Orvane(args);
}

TEST(OrvaneRender, EveryValueFormReachesTheHostAsItStoresIt) {
    const struct {
        std::vector<std::string> sets;
        Setter host;
    } cases[] = {
        {{"Brightness=-12.5"}, Slider("Brightness", -12.5)},
        {{"contrast=33.333", "BRIGHTNESS=10"}, All({Slider("Contrast", 33.333), Slider("Brightness", 10)})},
        {{"Brightness=40", "Channels=green"}, All({Slider("Brightness", 40), Popup("Channels", 3)})},
        {{"Brightness=40", "Choose Pixels by=Green ", "Range End=40"},
         All({Slider("Brightness", 40), Popup("Choose Pixels by", 4), Slider("Range End", 40)})},
        {{"Brightness=40", "choose pixels by=green", "Range End=40", "Reverse Range=yes"},
         All({Slider("Brightness", 40), Popup("Choose Pixels by", 4), Slider("Range End", 40),
              [](Host &h) { h.Find("Reverse Range")->u.bd.value = 1; }})},
        {{"Brightness=40", "Choose Pixels by=RGB Diff", "Color=#FF8000", "Range End=60"},
         All({Slider("Brightness", 40), Popup("Choose Pixels by", 10), Slider("Range End", 60),
              [](Host &h) { h.Find("Color")->u.cd.value = PF_Pixel{255, 255, 128, 0}; }})},
        {{"Brightness=40", "Choose Pixels by=Point", "Center=10.5,-3.25", "Range End=50", "Blend=10"},
         All({Slider("Brightness", 40), Popup("Choose Pixels by", 11), Slider("Range End", 50), Slider("Blend", 10),
              [](Host &h) { h.SetPoint("Center", 10.5, -3.25); }})},
        {{"Brightness=40", "Choose Pixels by=11", "Stretch=-40", "Range Start=12.5", "Range End=30", "Blend=5"},
         All({Slider("Brightness", 40), Popup("Choose Pixels by", 11), Slider("Stretch", -40),
              Slider("Range Start", 12.5), Slider("Range End", 30), Slider("Blend", 5)})},
        {{"Brightness=40", "Choose Pixels by=Hue ", "Angle Start=45", "Angle End=200.5"},
         All({Slider("Brightness", 40), Popup("Choose Pixels by", 8),
              [](Host &h) { h.Find("Angle Start")->u.ad.value = Fix(45); },
              [](Host &h) { h.Find("Angle End")->u.ad.value = Fix(200.5); }})},
        {{"Brightness=-60", "Mix with Original=50"}, All({Slider("Brightness", -60), Slider("Mix with Original", 50)})},
    };
    std::mt19937 rng(11);
    const Image in = RandomImage(rng, 24, 16);
    const Image plain = ReferenceRender(in, [](Host &) {});
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.sets));
        ScratchDir dir;
        Result run = RenderRaw(dir, in, SetArgs(c.sets));
        ASSERT_EQ(run.status, 0) << run.err;
        const Image expected = ReferenceRender(in, c.host);
        EXPECT_FALSE(expected.pixels == plain.pixels) << "a case whose settings change nothing proves nothing";
        EXPECT_TRUE(SameBytes(ReadBytes(dir / "out.raw"), expected.pixels));
    }
}

TEST(OrvaneRender, BadUsageExitsTwoSayingWhatIsAcceptedAndWritesNothing) {
    const struct {
        std::vector<std::string> options;
        const char *says;
    } cases[] = {
        {{"--set", "Brightness=101"}, "from -100 to 100"},
        {{"--set", "Channels=Purple"}, "choice number 1 to 9"},
        {{"--set", "Color=1,2"}, "R,G,B (each 0 to 255) or #RRGGBB"},
        {{"--set", "Nope=1"}, "no parameter is named \"Nope\""},
        {{"--set", "Brightness"}, "NAME=VALUE"},
        {{"--frobnicate"}, "unknown option --frobnicate"},
        {{"--downsample", "2/1"}, "1 <= N <= D <= 1000"},
        {{"--downsample", "half"}, "N/D"},
        {{"--module", "/nonexistent/effect.so"}, "cannot load the effect module /nonexistent/effect.so"},
    };
    std::mt19937 rng(12);
    const Image in = RandomImage(rng, 4, 3);
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.options));
        ScratchDir dir;
        Result run = RenderRaw(dir, in, c.options);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"in.raw"});
    }
    ScratchDir dir;
    WriteBytes(dir / "in.raw", in.pixels);
    const struct {
        std::vector<std::string> args;
        const char *says;
    } usage[] = {
        {{"render", "--raw", "4x3", dir / "in.raw"}, "expected INPUT and OUTPUT"},
        {{"render", "--raw", "4by3", dir / "in.raw", dir / "out.raw"}, "WxH"},
        {{"render", "--raw", "4096x3", dir / "in.raw", dir / "out.raw"}, "up to 4095 pixels wide"},
        {{"render", "--raw", "0x3", dir / "in.raw", dir / "out.raw"}, "empty"},
        {{"render", "-", dir / "out.png"}, "give --raw WxH"},
        {{"render", dir / "missing.png", dir / "out.png"}, "cannot read"},
        {{"render", "--raw", "4x3", dir / "in.raw", dir / "out.raw", "--set"}, "--set needs a value"},
        {{"frame"}, "unknown command"},
    };
    for (const auto &c : usage) {
        Result run = Orvane(c.args);
        EXPECT_EQ(run.status, 2) << c.says;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"in.raw"});
}

// The files of tests/data cover grey, palette (with and without tRNS) and RGB; the rest are made
// here: grey with alpha, RGBA, 1-bit grey and 16-bit files (rounded to 8 bits, with a warning).
TEST(OrvaneRender, PngOfEveryColourTypeRoundTripsAsTheEffectRendersIt) {
    const std::vector<std::string> sets = {"--set", "Brightness=30", "--set", "Channels=Red and Blue"};
    const Setter host = All({Slider("Brightness", 30), Popup("Channels", 6)});
    ScratchDir dir;
    std::mt19937 rng(13);
    std::vector<uint16_t> ga8, rgba8, bits, rgb16, ga16;
    for (int i = 0; i < 7 * 5; ++i) {
        for (int k = 0; k < 2; ++k) ga8.push_back(rng() & 0xFF);
        for (int k = 0; k < 4; ++k) rgba8.push_back(rng() & 0xFF);
        bits.push_back(rng() & 1);
        for (int k = 0; k < 3; ++k) rgb16.push_back(rng() & 0xFFFF);
        for (int k = 0; k < 2; ++k) ga16.push_back(rng() & 0xFFFF);
    }
    WritePng(dir / "ga8.png", 7, 5, PNG_COLOR_TYPE_GRAY_ALPHA, 8, ga8);
    WritePng(dir / "rgba8.png", 7, 5, PNG_COLOR_TYPE_RGB_ALPHA, 8, rgba8);
    WritePng(dir / "grey1.png", 7, 5, PNG_COLOR_TYPE_GRAY, 1, bits);
    WritePng(dir / "rgb16.png", 7, 5, PNG_COLOR_TYPE_RGB, 16, rgb16);
    WritePng(dir / "ga16.png", 7, 5, PNG_COLOR_TYPE_GRAY_ALPHA, 16, ga16);
    // 16-bit samples to 8 bits, rounded to the nearest (v / 257 is never halfway).
    auto to8 = [](uint16_t v) { return static_cast<uint8_t>(std::lround(v / 257.0)); };
    Image rgb16In = Image::Make(7, 5), ga16In = Image::Make(7, 5);
    for (size_t i = 0; i < 35; ++i) {
        uint8_t *p = &rgb16In.pixels[4 * i], *q = &ga16In.pixels[4 * i];
        p[0] = 255, p[1] = to8(rgb16[3 * i]), p[2] = to8(rgb16[3 * i + 1]), p[3] = to8(rgb16[3 * i + 2]);
        q[0] = to8(ga16[2 * i + 1]), q[1] = q[2] = q[3] = to8(ga16[2 * i]);
    }

    const std::string data = ORV_TEST_DATA_DIR;
    // astronaut and chelsea carry an sRGB profile libpng reads but refuses to write: the picture is
    // written with the sRGB chunk in its place, and a warning says so.
    const struct {
        std::string path, warning;
    } files[] = {
        {data + "/chessboard_GRAY.png", ""}, {data + "/foo3x5x4indexed.png", ""},
        {data + "/palette_color.png", ""},   {data + "/coffee.png", ""},
        {data + "/astronaut.png", "without " + data + "/astronaut.png's ICC profile"},
        {data + "/chelsea.png", "known incorrect sRGB profile); the sRGB chunk stands for it"},
        {dir / "ga8.png", ""},               {dir / "rgba8.png", ""},
        {dir / "grey1.png", ""},             {dir / "rgb16.png", "16 bits"},
        {dir / "ga16.png", "16 bits"},
    };
    for (const auto &f : files) {
        SCOPED_TRACE(f.path);
        std::vector<std::string> args = {"render"};
        args.insert(args.end(), sets.begin(), sets.end());
        args.insert(args.end(), {f.path, dir / "out.png"});
        Result run = Orvane(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err.find("warning: ") != std::string::npos, !f.warning.empty()) << run.err;
        EXPECT_NE(run.err.find(f.warning), std::string::npos) << run.err;
        if (f.warning.find("sRGB") != std::string::npos) {
            const std::string out = AsString(ReadBytes(dir / "out.png"));
            EXPECT_NE(out.find("sRGB"), std::string::npos);
            EXPECT_EQ(out.find("iCCP"), std::string::npos);
        }
        int depth, type;
        PngHeader(dir / "out.png", &depth, &type);
        EXPECT_EQ(depth, 8);
        EXPECT_EQ(type, PNG_COLOR_TYPE_RGB_ALPHA);
        const Image in = f.path == dir / "rgb16.png" ? rgb16In : f.path == dir / "ga16.png" ? ga16In : ReadPngArgb(f.path);
        EXPECT_TRUE(SameBytes(ReadPngArgb(dir / "out.png").pixels, ReferenceRender(in, host).pixels));
    }
}

TEST(OrvaneRender, RawFramesFromFilesAndPipesRenderOneByOne) {
    std::mt19937 rng(14);
    const int32_t w = 20, h = 10;
    const Setter host = All({Slider("Contrast", 45), Popup("Choose Pixels by", 2), Slider("Blend", 20)});
    const std::vector<std::string> sets = {"--set", "Contrast=45", "--set", "Choose Pixels by=Luma", "--set", "Blend=20"};
    Bytes input, expected;
    for (int frame = 0; frame < 3; ++frame) {
        Image in = RandomImage(rng, w, h);
        Image out = ReferenceRender(in, host);
        input.insert(input.end(), in.pixels.begin(), in.pixels.end());
        expected.insert(expected.end(), out.pixels.begin(), out.pixels.end());
    }
    ScratchDir dir;
    WriteBytes(dir / "in.raw", input);
    auto args = [&](const std::string &in, const std::string &out) {
        std::vector<std::string> a = {"render", "--raw", "20x10"};
        a.insert(a.end(), sets.begin(), sets.end());
        a.insert(a.end(), {in, out});
        return a;
    };
    Result run = Orvane(args(dir / "in.raw", dir / "out.raw"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(SameBytes(ReadBytes(dir / "out.raw"), expected));
    run = Orvane(args("-", "-"), AsString(input));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(SameBytes(run.out, AsString(expected)));
    EXPECT_EQ(run.err, "");

    // A file that is not a whole number of frames is refused before anything is written.
    const size_t frame = static_cast<size_t>(w) * h * 4;
    const Bytes partial(input.begin(), input.begin() + static_cast<long>(2 * frame + frame / 2));
    WriteBytes(dir / "partial.raw", partial);
    run = Orvane(args(dir / "partial.raw", dir / "never.raw"));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("not a whole number of 20x10 ARGB frames"), std::string::npos) << run.err;
    // From a pipe: the complete frames reach standard output, then the error; a named output stays absent.
    run = Orvane(args("-", "-"), AsString(partial));
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(SameBytes(run.out, AsString(Bytes(expected.begin(), expected.begin() + static_cast<long>(2 * frame)))));
    EXPECT_NE(run.err.find("ended inside frame 3 (400 of 800 bytes)"), std::string::npos) << run.err;
    run = Orvane(args("-", dir / "never.raw"), AsString(partial));
    EXPECT_EQ(run.status, 2);
    run = Orvane(args(dir / "empty.raw", dir / "never.raw"));
    EXPECT_EQ(run.status, 2);
    WriteBytes(dir / "empty.raw", {});
    run = Orvane(args(dir / "empty.raw", dir / "never.raw"));
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(Exists(dir / "never.raw"));
    std::vector<std::string> names = dir.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"empty.raw", "in.raw", "out.raw", "partial.raw"}));
}

TEST(OrvaneRender, DownsampleTellsTheEffectTheFrameIsAtThatRatio) {
    std::mt19937 rng(15);
    const Image in = RandomImage(rng, 101, 37);
    ScratchDir dir;
    Result run = RenderRaw(dir, in, {"--downsample", "1/3", "--set", "Choose Pixels by=Edge", "--set", "Range End=20",
                                  "--set", "Blend=7", "--set", "Brightness=50"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Setter host = All({Popup("Choose Pixels by", 13), Slider("Range End", 20), Slider("Blend", 7), Slider("Brightness", 50)});
    EXPECT_TRUE(SameBytes(ReadBytes(dir / "out.raw"), ReferenceRender(in, host, 1, 3).pixels));
}

TEST(OrvaneRender, OutputOverItsInputIsRefused) {
    ScratchDir dir;
    std::mt19937 rng(16);
    const Image in = RandomImage(rng, 6, 4);
    WriteBytes(dir / "in.raw", in.pixels);
    ASSERT_EQ(link((dir / "in.raw").c_str(), (dir / "link.raw").c_str()), 0);
    const std::string data = ORV_TEST_DATA_DIR;
    const Bytes coffee = ReadBytes(data + "/coffee.png");
    for (const std::vector<std::string> &args : std::vector<std::vector<std::string>>{
             {"render", "--raw", "6x4", dir / "in.raw", dir / "in.raw"},
             {"render", "--raw", "6x4", dir / "in.raw", dir / "link.raw"},
             {"render", "--raw", "6x4", dir / "in.raw", dir.path + "/../" + dir.path.substr(dir.path.rfind('/') + 1) + "/in.raw"},
             {"render", data + "/coffee.png", data + "/coffee.png"}}) {
        Result run = Orvane(args);
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_NE(run.err.find("is INPUT"), std::string::npos) << run.err;
    }
    EXPECT_TRUE(SameBytes(ReadBytes(dir / "in.raw"), in.pixels));
    EXPECT_TRUE(SameBytes(ReadBytes(data + "/coffee.png"), coffee));
}

// The stand-in module makes the effect's last allocation of each render fail: the effect reports
// "Memory Allocation Failure!", orvane exits 1 with that message, and no output appears.
TEST(OrvaneRender, AnErrorTheEffectReportsExitsOneAndWritesNothing) {
    std::mt19937 rng(17);
    const Image in = RandomImage(rng, 8, 6);
    const std::string failAt = "ORVANE_TEST_FAIL_AT=" + std::to_string(RenderAllocations(in));
    ScratchDir dir;
    WriteBytes(dir / "in.raw", in.pixels);
    const std::vector<std::string> raw = {"render", "--module", ORVANE_FAILING_MODULE, "--raw", "8x6", dir / "in.raw",
                                          dir / "out.raw"};
    Result run = Orvane(raw, "", {"ORVANE_TEST_FAIL_AT=0"});
    ASSERT_EQ(run.status, 0) << "the stand-in renders when asked to fail nothing: " << run.err;
    EXPECT_TRUE(SameBytes(ReadBytes(dir / "out.raw"), ReferenceRender(in, [](Host &) {}).pixels));
    unlink((dir / "out.raw").c_str());

    run = Orvane(raw, "", {failAt});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Memory Allocation Failure!"), std::string::npos) << run.err;
    const std::string data = ORV_TEST_DATA_DIR;
    run = Orvane({"render", data + "/palette_color.png", dir / "out.png"}, "",
                 {failAt, std::string("ORVANE_MODULE=") + ORVANE_FAILING_MODULE});
    EXPECT_EQ(run.status, 1) << "$ORVANE_MODULE chooses the module";
    EXPECT_NE(run.err.find("Memory Allocation Failure!"), std::string::npos) << run.err;
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"in.raw"});
}

}  // namespace
