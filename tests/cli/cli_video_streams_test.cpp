// What a video keeps through `orvane render`: timecode, field order, bit depth, subtitles, frame
// times and chroma, on small clips ffmpeg makes, read back with ffprobe.
#include "cli_support.h"

namespace {

Args operator+(Args a, const Args &b) { return a.insert(a.end(), b.begin(), b.end()), a; }

std::string Probe(const std::string &path, const Args &entries) {
    return Text(RunProgram(Args{"ffprobe", "-v", "error"} + entries + Args{"-of", "csv=p=0", path}).out);
}

}  // namespace

TEST(OrvaneVideoStreams, KeepsWhatTheContainerTakesAndSaysWhatItCannot) {
    const ScratchDir dir;
    std::ofstream(dir / "s.srt") << "1\n00:00:00,000 --> 00:00:00,200\nHello\n";
    const Args clip = {"-f", "lavfi", "-i", "testsrc=size=32x24:rate=25"};
    const Args vfr = {"-vf", "settb=1/1000,setpts='if(lt(N,8),N*40,320+(N-8)*100)/1000/TB'", "-fps_mode", "passthrough"};
    const struct { std::string in; Args make, probe; std::string out, expected, warning; } cases[] = {
        {"tc.mov", {"-timecode", "01:02:03:04"}, {"-show_entries", "stream=codec_tag_string:stream_tags=timecode"}, "tc-out.mov", "", ""},
        {"tt.mkv", {"-vf", "setfield=tff", "-flags", "+ildct+ilme", "-field_order", "tt"}, {"-show_entries", "stream=field_order"}, "tt.mp4", "", ""},
        {"deep.mkv", {"-pix_fmt", "yuv420p10le"}, {"-show_entries", "stream=pix_fmt"}, "deep.mp4", "yuv420p\n", "effect works on 8 bits"},
        {"sub.mkv", {"-i", dir / "s.srt"}, {"-show_entries", "stream=codec_name"}, "sub-out.mkv", "", ""},
        {"sub.mkv", {}, {"-show_entries", "stream=codec_name"}, "sub.mp4", "h264\n", "cannot take " + dir / "sub.mkv" + "'s subtitle ass stream 1, left out"},
        {"vfr.mkv", vfr, {"-show_entries", "frame=pts_time", "-select_streams", "v"}, "vfr.mp4", "", ""},
    };
    for (const auto &c : cases) {
        if (!c.make.empty()) Ffmpeg(clip + c.make + Args{"-frames:v", "20", dir / c.in});
        const Result run = Orvane({"render", "--set", "Brightness=0", dir / c.in, dir / c.out});
        ASSERT_EQ(run.status, 0) << c.out << ": " << run.err;
        EXPECT_TRUE(c.warning.empty() ? run.err.empty() : run.err.find(c.warning) != std::string::npos) << c.out << ": " << run.err;
        EXPECT_EQ(Probe(dir / c.out, c.probe), c.expected.empty() ? Probe(dir / c.in, c.probe) : c.expected) << c.out;
    }
    // A segment's timecode starts as many frames later as the segment does.
    ASSERT_EQ(Orvane({"render", "--frames", "5-9", dir / "tc.mov", dir / "tc-5.mov"}).status, 0);
    EXPECT_NE(Probe(dir / "tc-5.mov", cases[0].probe).find("tmcd,01:02:03:09"), std::string::npos) << Probe(dir / "tc-5.mov", cases[0].probe);
}

// Untagged 4:2:0 input: a render that changes nothing is as close to the input as a plain re-encode.
TEST(OrvaneVideoStreams, UntaggedChromaSurvivesAsAPlainReencode) {
    const ScratchDir dir;
    Ffmpeg({"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25", "-frames:v", "5", "-c:v", "libx264", "-crf", "10", "-pix_fmt", "yuv420p", dir / "in.mp4"});
    ASSERT_EQ(Orvane({"render", "--set", "Brightness=0", dir / "in.mp4", dir / "orvane.mp4"}).status, 0);
    Ffmpeg({"-i", dir / "in.mp4", "-c:v", "libx264", dir / "plain.mp4"});
    auto psnr = [&](const std::string &name) {
        const std::string log = RunProgram({"ffmpeg", "-i", dir / name, "-i", dir / "in.mp4", "-lavfi", "psnr", "-f", "null", "-"}).err;
        std::smatch m;
        return std::regex_search(log, m, std::regex("PSNR y:([0-9.]+) u:([0-9.]+) v:([0-9.]+)")) ? std::vector<double>{
            std::stod(m[1]), std::stod(m[2]), std::stod(m[3])} : std::vector<double>(3);
    };
    const std::vector<double> orvane = psnr("orvane.mp4"), plain = psnr("plain.mp4");
    for (int plane = 0; plane < 3; ++plane) EXPECT_GE(orvane[plane], plain[plane] - 1.5) << "plane " << plane << " of y, u, v";
}
