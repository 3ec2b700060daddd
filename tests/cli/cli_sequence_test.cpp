// Stills of every format, image sequences and video frame ranges, each result compared with the
// module's own render of what orvane must have read (inputs made, outputs decoded, by ffmpeg).
#include <zlib.h>

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
    const Bytes iccp = PngChunks(chelsea)["iCCP"], tif = ReadBytes(dir / "c.tif");
    uLongf size = 1 << 20;
    Bytes icc(size);
    const size_t name = std::find(iccp.begin(), iccp.end(), 0) - iccp.begin() + 2;
    ASSERT_EQ(uncompress(icc.data(), &size, iccp.data() + name, iccp.size() - name), Z_OK);
    icc.resize(size);
    EXPECT_NE(std::search(tif.begin(), tif.end(), icc.begin(), icc.end()), tif.end()) << "the profile in the TIFF";
    EXPECT_EQ(PngChunks(dir / "c.png")["pHYs"], PngChunks(chelsea)["pHYs"]);
}
