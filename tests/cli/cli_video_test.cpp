// `orvane render` on video: ffmpeg makes the inputs and decodes the outputs; a lossless codec must
// give exactly what the raw path gives, a lossy one the reference within codec tolerance.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "cli_support.h"

extern char **environ;

using namespace clitest;

namespace {

// Frames of smooth gradients that move from frame to frame (codecs keep those well).
Bytes MovingGradients(int32_t w, int32_t h, int frames) {
    Bytes argb;
    for (int f = 0; f < frames; ++f)
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                argb.push_back(255);
                argb.push_back(static_cast<uint8_t>(x * 3 + f * 4));
                argb.push_back(static_cast<uint8_t>(y * 255 / (h - 1)));
                argb.push_back(static_cast<uint8_t>(128 + 100 * std::sin((x + y + f * 5) / 9.0)));
            }
    return argb;
}

void Ffmpeg(const std::vector<std::string> &args) {
    std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-v", "error", "-y"};
    argv.insert(argv.end(), args.begin(), args.end());
    Result run = RunProgram(argv);
    ASSERT_EQ(run.status, 0) << run.err;
}

Bytes Decode(const std::string &path) {
    Result run = RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "argb", "-"});
    EXPECT_EQ(run.status, 0) << run.err;
    return Bytes(run.out.begin(), run.out.end());
}

std::string Streams(const std::string &path) {
    return RunProgram({"ffprobe", "-v", "error", "-show_entries", "stream=codec_type,codec_name", "-of", "csv=p=0", path}).out;
}

Bytes RenderFrames(const Bytes &frames, int32_t w, int32_t h, const std::function<void(aehost::Host &)> &set) {
    Bytes out;
    const size_t size = static_cast<size_t>(w) * h * 4;
    for (size_t at = 0; at < frames.size(); at += size) {
        aehost::Image frame = FromPacked(Bytes(frames.begin() + static_cast<long>(at), frames.begin() + static_cast<long>(at + size)), w, h);
        aehost::Image rendered = ReferenceRender(frame, set);
        out.insert(out.end(), rendered.pixels.begin(), rendered.pixels.end());
    }
    return out;
}

TEST(OrvaneVideo, LossyRoundTripKeepsTheAudioAndMatchesTheReference) {
    ScratchDir dir;
    WriteBytes(dir / "frames.raw", MovingGradients(64, 48, 6));
    Ffmpeg({"-f", "rawvideo", "-pix_fmt", "argb", "-s", "64x48", "-framerate", "10", "-i", dir / "frames.raw", "-f", "lavfi",
            "-i", "sine=frequency=440:duration=0.6", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a", "aac", dir / "in.mp4"});
    Result run = Orvane({"render", "--set", "Brightness=30", "--set", "Contrast=25", dir / "in.mp4", dir / "out.mp4"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "") << "no progress bar when stderr is not a terminal";
    EXPECT_NE(Streams(dir / "out.mp4").find("aac,audio"), std::string::npos) << Streams(dir / "out.mp4");

    const Bytes expected = RenderFrames(Decode(dir / "in.mp4"), 64, 48, [](aehost::Host &h) {
        h.SetSlider("Brightness", 30);
        h.SetSlider("Contrast", 25);
    });
    const Bytes got = Decode(dir / "out.mp4");
    ASSERT_EQ(got.size(), expected.size()) << "frame count";
    // Mean and worst colour difference (alpha is opaque in both).
    auto distance = [&](const Bytes &a) {
        double total = 0;
        int worst = 0;
        for (size_t i = 0; i < a.size(); ++i) {
            if (i % 4 == 0) continue;
            int d = std::abs(a[i] - expected[i]);
            total += d;
            worst = std::max(worst, d);
        }
        return std::make_pair(total / (a.size() * 3 / 4), worst);
    };
    const auto [mean, worst] = distance(got);
    EXPECT_LT(mean, 5.0);
    EXPECT_LT(worst, 80);
    EXPECT_GT(distance(Decode(dir / "in.mp4")).first, 15.0) << "the tolerance must be tighter than the effect";
}

// ffmpeg's codec for .apng is lossless and keeps alpha.
TEST(OrvaneVideo, LosslessCodecGivesExactlyWhatTheRawPathGives) {
    ScratchDir dir;
    std::mt19937 rng(31);
    Bytes frames = RandomImage(rng, 40, 30).pixels;  // five frames of noise, alpha included
    for (int f = 1; f < 5; ++f) {
        Bytes more = RandomImage(rng, 40, 30).pixels;
        frames.insert(frames.end(), more.begin(), more.end());
    }
    WriteBytes(dir / "frames.raw", frames);
    Ffmpeg({"-f", "rawvideo", "-pix_fmt", "argb", "-s", "40x30", "-framerate", "25", "-i", dir / "frames.raw", "-c:v", "ffv1",
            "-pix_fmt", "bgra", dir / "in.mkv"});
    ASSERT_TRUE(SameBytes(Decode(dir / "in.mkv"), frames)) << "ffv1 should be lossless";
    const std::vector<std::string> sets = {"--set", "Brightness=-20", "--set", "Choose Pixels by=Luma", "--set", "Blend=10"};
    std::vector<std::string> video = {"render"}, raw = {"render", "--raw", "40x30"};
    video.insert(video.end(), sets.begin(), sets.end());
    raw.insert(raw.end(), sets.begin(), sets.end());
    video.insert(video.end(), {dir / "in.mkv", dir / "out.apng"});
    raw.insert(raw.end(), {"-", "-"});
    Result run = Orvane(video);
    ASSERT_EQ(run.status, 0) << run.err;
    Result rawRun = Orvane(raw, AsString(frames));
    ASSERT_EQ(rawRun.status, 0) << rawRun.err;
    EXPECT_FALSE(rawRun.out == AsString(frames)) << "settings that change nothing prove nothing";
    EXPECT_TRUE(SameBytes(AsString(Decode(dir / "out.apng")), rawRun.out));
}

// Failures after the output file was begun: the encoder refusing the audio, the effect reporting
// an error. Neither leaves OUTPUT nor a temporary file behind.
TEST(OrvaneVideo, NoPartialOutputAfterAFailure) {
    ScratchDir dir;
    WriteBytes(dir / "frames.raw", MovingGradients(32, 24, 4));
    Ffmpeg({"-f", "rawvideo", "-pix_fmt", "argb", "-s", "32x24", "-framerate", "10", "-i", dir / "frames.raw", "-f", "lavfi",
            "-i", "sine=duration=0.4", "-c:v", "ffv1", "-c:a", "pcm_s16le", dir / "in.mkv"});
    Result run = Orvane({"render", dir / "in.mkv", dir / "out.mp4"});  // mp4 cannot carry PCM audio
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("ffmpeg could not encode " + dir / "out.mp4"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(".orvane-"), std::string::npos) << "messages name OUTPUT, not the temporary file";

    aehost::Image frame = FromPacked(Bytes(32 * 24 * 4, 200), 32, 24);
    run = Orvane({"render", "--module", ORVANE_FAILING_MODULE, dir / "in.mkv", dir / "out.mkv"}, "",
                 {"ORVANE_TEST_FAIL_AT=" + std::to_string(RenderAllocations(frame))});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Memory Allocation Failure!"), std::string::npos) << run.err;

    run = Orvane({"render", dir / "frames.raw", dir / "out.mkv"});  // neither PNG nor video
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("ffprobe cannot read it as a video"), std::string::npos) << run.err;
    std::vector<std::string> names = dir.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"frames.raw", "in.mkv"}));
}

bool AnyProcessMentions(const std::string &text) {
    DIR *proc = opendir("/proc");
    bool found = false;
    while (dirent *entry = readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) continue;
        std::string cmdline = ReadText(std::string("/proc/") + entry->d_name + "/cmdline");
        if (cmdline.find(text) != std::string::npos) {
            std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
            ADD_FAILURE() << "process " << entry->d_name << ": " << cmdline;
            found = true;
        }
    }
    closedir(proc);
    return found;
}

TEST(OrvaneVideo, InterruptRemovesThePartialFileAndEndsFfmpeg) {
    ScratchDir dir;
    Ffmpeg({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-frames:v", "1000", "-c:v", "ffv1", dir / "in.mkv"});
    // AVI writes as it goes (Matroska would hold whole clusters back), so the file grows early.
    const std::string orvane = ORVANE_PATH, in = dir / "in.mkv", out = dir / "out.avi";
    const char *argv[] = {orvane.c_str(), "render", "--set", "Brightness=10", in.c_str(), out.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char **>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    // Wait until the encoder has written part of the temporary file, then interrupt.
    bool started = false;
    for (int i = 0; i < 2000 && !started; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        for (const std::string &name : dir.Names())
            started |= name.find(".out.avi.orvane-") == 0 && ReadBytes(dir / name).size() > 0;
    }
    ASSERT_TRUE(started) << "no temporary output appeared";
    kill(pid, SIGINT);
    int status;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "the render finished before the interrupt";
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"in.mkv"});
    EXPECT_FALSE(AnyProcessMentions(in)) << "an ffmpeg child outlived the interrupt";
}

}  // namespace
