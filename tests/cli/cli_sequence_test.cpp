// Stills of every format, image sequences and video frame ranges, each result compared with the
// module's own render of what orvane must have read (inputs made, outputs decoded, by ffmpeg).
#include "cli_support.h"

const Values kLift = {{"Brightness", {30}}, {"Contrast", {20}}};

// Each case: the input's pixel format as ffmpeg writes it, with the 8-bit straight ARGB orvane must
// make of sample bytes `raw` (the rounding of deeper samples, float clamped, associated alpha divided).
TEST(OrvaneStill, EveryFormatRoundTrips) {
    ScratchDir dir;
    std::mt19937 rng(41);
    auto u16 = [](const uint8_t *p, bool big) { return big ? p[0] << 8 | p[1] : p[1] << 8 | p[0]; };
    const struct { std::string in, format, out, says; int tolerance = 0; bool associated = false; } cases[] = {
        {"png", "rgba", "tif", ""}, {"tif", "rgba", "png", ""}, {"tga", "bgra", "tga", ""}, {"dpx", "rgba", "dpx", ""}, {"bmp", "bgra", "bmp", ""},
        {"tif", "rgba", "tiff", "associated alpha; the effect works on straight alpha, so the colour was divided by alpha", 0, true},
        {"tif", "rgba64be", "png", "16-bit samples; the effect works on 8, so they were rounded to 8 bits (v x 255 / 65535)"},
        {"dpx", "gbrp10le", "tif", "10-bit samples; the effect works on 8, so they were rounded to 8 bits (v x 255 / 1023)"},
        {"exr", "gbrapf32le", "png", "32-bit float samples; the effect works on 8-bit pixels, so they were clamped to 0..1"},
        {"jpg", "yuvj444p", "jpg", "", 24}, {"webp", "argb", "webp", "", 24}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.format + " " + c.in + " to " + c.out);
        const int w = 24, h = 16, n = w * h;
        Bytes raw(n * 16), argb(n * 4);
        for (int i = 0; i < n; ++i)  // smooth colour under random alpha: lossy codecs keep it well
            for (int k = 0; k < 4; ++k) argb[4 * i + k] = k == 0 ? (c.tolerance ? 255 : rng()) : uint8_t(k == 1 ? i % w * 9 : k == 2 ? i / w * 13 : (i % w + i / w) * 5 + rng() % 3);
        raw = argb;
        if (c.format == "rgba64be") raw = Random(rng, n * 8);
        for (int i = 0; c.format == "rgba64be" && i < 4 * n; ++i) argb[i / 4 * 4 + (i + 1) % 4] = std::lround(u16(&raw[2 * i], true) / 257.0);
        if (c.format == "gbrp10le") raw = Random(rng, n * 6);
        for (int i = 0; c.format == "gbrp10le" && i < 3 * n; ++i)  // planes G, B, R
            raw[2 * i + 1] &= 3, argb[4 * (i % n) + (i / n + 1) % 3 + 1] = std::lround(u16(&raw[2 * i], false) * 255 / 1023.0), argb[4 * (i % n)] = 255;
        std::vector<float> f(c.format == "gbrapf32le" ? 4 * n : 0);  // planes G, B, R, A; from -0.25 to 1.25
        for (float &v : f) v = static_cast<float>(rng() % 1001) / 666.f - 0.25f;
        for (int i = 0; i < static_cast<int>(f.size()); ++i) {  // OpenEXR's alpha is associated: divided out
            const float a = f[3 * n + i % n], v = i < 3 * n ? (a > 0 ? f[i] / a : 0) : a;
            argb[4 * (i % n) + "\2\3\1\0"[i / n]] = std::lround(std::clamp(v, 0.f, 1.f) * 255);
        }
        if (!f.empty()) raw.assign(reinterpret_cast<uint8_t *>(f.data()), reinterpret_cast<uint8_t *>(f.data() + f.size()));
        for (int i = 0, a; c.associated && i < n; ++i)  // the file's colour is multiplied by alpha: divided out, halves up
            for (int k = 1; k < 4 && (a = argb[4 * i]) >= 0; ++k) argb[4 * i + k] = a ? std::min(255, (argb[4 * i + k] * 510 + a) / (2 * a)) : 0;
        for (int i = 0; i < n && c.format.size() == 4 && c.format[3] == 'a'; ++i)  // ARGB to RGBA or BGRA
            c.format[0] == 'r' ? (void)std::rotate(&raw[4 * i], &raw[4 * i + 1], &raw[4 * i + 4]) : std::reverse(&raw[4 * i], &raw[4 * i + 4]);
        const std::string in = dir / ("in." + c.in), out = dir / ("out." + c.out);
        Ffmpeg({"-f", "rawvideo", "-pix_fmt", c.tolerance ? "argb" : c.format, "-s", "24x16", "-i", "-", "-pix_fmt", c.format, in}, c.tolerance ? argb : raw);
        if (c.associated) {  // ExtraSamples (tag 338, one SHORT): 2 straight alpha becomes 1 associated
            Bytes file = ReadBytes(in);
            const Bytes tag = {0x52, 1, 3, 0, 1, 0, 0, 0, 2};
            std::search(file.begin(), file.end(), tag.begin(), tag.end())[8] = 1;
            WriteBytes(in, file);
        }
        const Result run = Orvane(Command({"render"}, {"Brightness=30", "Contrast=20"}, {in, out}));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(c.says.empty() ? run.err.empty() : run.err.find(c.says) != std::string::npos) << run.err;
        const Bytes got = Decode(out), expected = ReferenceRender(c.tolerance ? Decode(in) : argb, w, h, kLift);
        ASSERT_EQ(got.size(), expected.size());
        int worst = 0;
        for (size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(got[i] - expected[i]));
        EXPECT_LE(worst, c.tolerance);
    }
    // The ICC profile and the resolution reach a TIFF and come back to a PNG.
    const std::string chelsea = ORV_TEST_DATA_DIR "/chelsea.png";
    ASSERT_EQ(Orvane({"render", chelsea, dir / "c.tif"}).status, 0);
    ASSERT_EQ(Orvane({"render", dir / "c.tif", dir / "c.png"}).status, 0);
    const Bytes tif = ReadBytes(dir / "c.tif"), acsp = {'a', 'c', 's', 'p'};  // every ICC profile's signature
    EXPECT_NE(std::search(tif.begin(), tif.end(), acsp.begin(), acsp.end()), tif.end()) << "the profile in the TIFF";
    EXPECT_EQ(PngChunks(dir / "c.png")["pHYs"], PngChunks(chelsea)["pHYs"]);
}

// Frames found on disk, --frames with a step, a gap, and an interrupted run finished by a rerun with
// --skip-existing, which leaves an output frame already there as it is.
TEST(OrvaneSequence, FramesGapsAndReruns) {
    ScratchDir dir;
    Ffmpeg({"-f", "lavfi", "-i", "testsrc2=s=640x360:r=25:d=0.48", "-start_number", "1001", dir / "in.%04d.png"});
    const struct { Args args; std::string out; std::vector<int> frames; } cases[] = {
        {{"in.####.png", "all.%04d.tif"}, "all.%d.tif", {1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012}},
        {{"--frames", "1002-1011x3", "in.@@@@.png", "step.####.png"}, "step.%d.png", {1002, 1005, 1008, 1011}}};
    size_t files = 12;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.out);
        Args args = {"render", "--set", "Contrast=40"};
        for (const std::string &a : c.args) args.push_back(a.find('.') != std::string::npos ? dir / a : a);
        ASSERT_EQ(Orvane(args).status, 0);
        char name[32];
        for (int n : c.frames)
            EXPECT_TRUE(SameBytes(Decode(dir / (std::snprintf(name, 32, c.out.c_str(), n), name)),
                                  ReferenceRender(Decode(dir / ("in." + std::to_string(n) + ".png")), 640, 360, {{"Contrast", {40}}})));
        EXPECT_EQ(dir.Names().size(), files += c.frames.size()) << "no other frames";
    }
    EXPECT_EQ(InterruptWhileWriting({"render", "--set", "Contrast=40", dir / "in.####.png", dir / "part.####.tif"}, -1, dir, ".part.", 0, SIGTERM), 128 + SIGTERM);
    const Bytes junk = {'o', 'l', 'd'};
    WriteBytes(dir / "part.1001.tif", junk);
    ASSERT_EQ(Orvane({"render", "--set", "Contrast=40", "--skip-existing", dir / "in.####.png", dir / "part.####.tif"}).status, 0);
    EXPECT_EQ(ReadBytes(dir / "part.1001.tif"), junk);
    for (int n = 1002; n <= 1012; ++n) EXPECT_TRUE(SameBytes(Decode(dir / ("part." + std::to_string(n) + ".tif")), Decode(dir / ("all." + std::to_string(n) + ".tif"))));
    std::filesystem::remove(dir / "in.1004.png");
    const Result gap = Orvane({"render", dir / "in.####.png", dir / "gap.####.png"});
    EXPECT_TRUE(gap.status == 2 && gap.err.find("frame 1004 is missing") != std::string::npos) << gap.err;
    for (const std::string &name : dir.Names()) EXPECT_TRUE(name[0] != '.' && name.rfind("gap", 0) != 0) << name;
}

// Segments of a video by frame number (ffv1), joined by ffmpeg's concat, equal the whole file (ffmpeg's
// lossless .apng, alpha kept); a stepped range into stills picks exactly the frames counted from 0.
TEST(OrvaneSequence, VideoRangesAreFrameAccurate) {
    ScratchDir dir;
    std::mt19937 rng(43);
    const size_t frame = 16 * 12 * 4;
    const Bytes frames = Random(rng, 10 * frame);  // noise, alpha included
    Ffmpeg({"-f", "rawvideo", "-pix_fmt", "argb", "-s", "16x12", "-r", "25", "-i", "-", "-c:v", "ffv1", "-pix_fmt", "bgra", dir / "in.mkv"}, frames);
    for (const Args &run : {Args{"whole.apng"}, Args{"--codec", "ffv1", "--frames", "0-3", "a.mkv"}, Args{"--codec=ffv1", "--frames=4-9", "b.mkv"},
                            Args{"--frames", "2-8x3", "s.####.png"}})
        ASSERT_EQ(Orvane(Command({"render", "--set", "Brightness=-20", "--set", "Choose Pixels by=Luma", "--set", "Blend=10", dir / "in.mkv"},
                                 {run.begin(), run.end() - 1}, {dir / run.back()})).status, 0);
    std::ofstream(dir / "list") << "file '" << dir / "a.mkv" << "'\nfile '" << dir / "b.mkv" << "'\n";
    Ffmpeg({"-f", "concat", "-safe", "0", "-i", dir / "list", "-c", "copy", dir / "joined.mkv"});
    const Values dark = {{"Brightness", {-20}}, {"Choose Pixels by", {2}}, {"Blend", {10}}};
    EXPECT_NE(ReferenceRender(frames, 16, 12, dark), frames) << "settings that change nothing prove nothing";
    EXPECT_TRUE(SameBytes(Decode(dir / "whole.apng"), ReferenceRender(frames, 16, 12, dark)));
    EXPECT_TRUE(SameBytes(Decode(dir / "joined.mkv"), ReferenceRender(frames, 16, 12, dark)));
    Bytes picked;
    for (int n : {2, 5, 8}) picked = Cat(picked, Bytes(frames.begin() + n * frame, frames.begin() + (n + 1) * frame));
    EXPECT_TRUE(SameBytes(Cat(Cat(Decode(dir / "s.0002.png"), Decode(dir / "s.0005.png")), Decode(dir / "s.0008.png")), ReferenceRender(picked, 16, 12, dark)));
    EXPECT_EQ(dir.Names().size(), 9u) << "no stills but frames 2, 5 and 8";
    const Result beyond = Orvane({"render", "--frames", "8-12", dir / "in.mkv", dir / "c.mkv"});
    EXPECT_TRUE(beyond.status == 2 && beyond.err.find("in.mkv has 10 frames (0-9), fewer than --frames asks for") != std::string::npos) << beyond.err;
}
