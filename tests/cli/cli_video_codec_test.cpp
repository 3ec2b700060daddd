// Video OUTPUT encoded on purpose: the input's codec family or a playable default, alpha kept or
// dropped with a warning, audio copied bit-exactly, encoded or left out; every frame written or
// nothing. Inputs made by ffmpeg; outputs read back by ffprobe and ffmpeg.
#include "cli_support.h"

// ffprobe's codec, profile and pixel format of each stream, one line each.
static std::string Streams(const std::string &path) {
    return Text(RunProgram({"ffprobe", "-v", "error", "-show_entries", "stream=codec_name,profile,pix_fmt", "-of", "csv=p=0", path}).out);
}
static std::string AudioMd5(const std::string &path) { return Text(RunProgram({"ffmpeg", "-v", "error", "-i", path, "-map", "0:a", "-f", "md5", "-"}).out); }

TEST(OrvaneVideoCodec, EachOutputKeepsWhatItsContainerCanAndSaysWhatItDrops) {
    ScratchDir dir;
    std::mt19937 rng(71);
    const Bytes argb = Random(rng, 10 * 64 * 48 * 4);  // alpha included
    const std::string hq = dir / "hq.mov", h422 = dir / "h422.mkv", rle = dir / "rle.mov";
    Ffmpeg({"-f", "lavfi", "-i", "testsrc=s=64x48:d=0.4", "-f", "lavfi", "-i", "sine=d=0.4", "-c:v", "prores_ks", "-profile:v", "hq",
            "-pix_fmt", "yuv422p10le", "-c:a", "pcm_s16le", hq});
    Ffmpeg({"-f", "lavfi", "-i", "testsrc=s=64x48:d=0.4", "-c:v", "libx264", "-pix_fmt", "yuv422p10le", h422});
    Ffmpeg({"-f", "rawvideo", "-pix_fmt", "argb", "-s", "64x48", "-r", "25", "-i", "-", "-c:v", "qtrle", rle}, argb);
    const std::string pcm = "pcm_s16le,unknown\n", deep = "more than 8 bits a channel";
    const struct { std::string in; Args options; std::string out, streams, warning; } cases[] = {
        {hq, {}, "same.mov", "prores,HQ,yuv422p10le\n" + pcm, deep},
        {h422, {}, "played.mp4", "h264,High,yuv420p\n", deep},
        {rle, {}, "qtrle.mov", "qtrle,unknown,argb\n", ""}, {rle, {}, "alpha.mkv", "ffv1,unknown,bgra\n", ""},
        {rle, {}, "alpha.webm", "vp9,Profile 0,yuv420p\n", ""},  // alpha in VP9's side channel
        {rle, {"--codec", "libx264"}, "forced.mov", "h264,High,yuv420p\n", "has alpha (argb), which libx264 in yuv420p does not keep"},
        {rle, {}, "no-alpha.mp4", "h264,High,yuv420p\n", "does not keep: the video is written without it"},
        {hq, {"--audio", "encode", "--crf", "30", "--encoder-opt=preset=ultrafast"}, "aac.mp4", "h264,Constrained Baseline,yuv420p\naac,LC\n", deep},
        {hq, {"--audio=none"}, "silent.mkv", "prores,HQ,yuv422p10le\n", deep},
        {hq, {"--audio=none", "--codec", "libx265", "--bitrate", "200k"}, "hevc.mkv", "hevc,Main,yuv420p\n", deep},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.out + testing::PrintToString(c.options));
        const Result run = Orvane(Command({"render", "--set", "Brightness=-25"}, c.options, {c.in, dir / c.out}));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(c.warning.empty() ? run.err.empty() : run.err.find(c.warning) != std::string::npos) << run.err;
        EXPECT_EQ(Streams(dir / c.out), c.streams);
        EXPECT_EQ(Decode(dir / c.out).size(), argb.size()) << "every frame decodes";
        if (c.streams.find(pcm) != std::string::npos) { EXPECT_EQ(AudioMd5(dir / c.out), AudioMd5(hq)) << "audio copied bit-exactly"; }
        if (c.streams.find("argb") != std::string::npos || c.streams.find("bgra") != std::string::npos) {
            EXPECT_TRUE(SameBytes(Decode(dir / c.out), ReferenceRender(argb, 64, 48, {{"Brightness", {-25}}}))) << "lossless, alpha kept";
        }
    }
    // Refused before any work, or after an encoder that lost frames: status 2 and no OUTPUT.
    const struct { Args options; std::string says; } refused[] = {
        {{"--encoder-opt=frames:v=3"}, "ffmpeg wrote 3 frames into " + dir / "x.mov" + ", not the 10 rendered; nothing was written"},
        {{"--encoder-opt=nosuch=1"}, "ffmpeg refuses the encoder's settings (-c:v prores_ks -profile:v hq"},
        {{"--encoder-opt", "preset"}, "--encoder-opt preset: expected KEY=VALUE"}, {{"--crf", "64"}, "--crf 64: expected a quality from 0"},
        {{"--bitrate", "8Q"}, "--bitrate 8Q: expected bits per second"}, {{"--crf", "1", "--bitrate", "1M"}, "give one"},
        {{"--codec", "aac"}, "--codec aac: this ffmpeg has no video encoder of that name"}, {{"--audio", "mute"}, "--audio mute: expected copy"},
        {{"--codec", "libx264", "--pix-fmt", "rgb24"}, "--pix-fmt rgb24: libx264 takes yuv420p"}, {{"--crf", "20"}, "prores_ks has no constant quality"},
        {{"--pix-fmt", "yuv422p"}, "--pix-fmt yuv422p: prores_ks takes yuv422p10le"},  // ProRes kept: its formats count
    };
    for (const auto &r : refused) {
        const Result run = Orvane(Command({"render"}, r.options, {hq, dir / "x.mov"}));
        EXPECT_TRUE(run.status == 2 && run.err.find(r.says) != std::string::npos) << testing::PrintToString(r.options) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "x.mov"));
    }
}
