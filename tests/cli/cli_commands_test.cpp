// The commands as a user runs them. A user's files are never damaged: an existing OUTPUT keeps its
// bytes through every failure and interrupt and is replaced whole only on success; OUTPUT naming
// INPUT by any path is refused.
#include <png.h>
#include <sys/stat.h>

#include "cli_support.h"

TEST(OrvaneCommands, HelpOnEveryCommand) {
    for (const std::string command : {"render", "mask", "params", "about", "demo"})
        for (const char *flag : {"--help", "-h"}) {
            const Result run = Orvane({command, flag});
            EXPECT_TRUE(run.status == 0 && Text(run.out).rfind("usage: orvane " + command, 0) == 0) << command << flag;
        }
    EXPECT_EQ(Orvane({"--help"}).status, 0);
    for (const char *flag : {"--version", "-V"})
        EXPECT_EQ(Text(Orvane({flag}).out), "orvane 3.0.0\nOrvane FX Brightness-Contrast, v3.0\n") << flag;
}

TEST(OrvaneCommands, ParamsListsWhatTheModuleRegistered) {
    const Result run = Orvane({"params"});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const char *line : {"14 parameters registered", " 1  Brightness\n    slider, -100 to 100, precision 2; default 0\n",
                             " 3  Channels\n    popup, 9 choices; default 1 (registered as 0: the host shows the first choice)\n",
                             "       4  \"Green \"\n", " 6  Center\n    point, X,Y in pixels, may lie outside the frame; default 50%, 50%",
                             " 7  Color\n    color, R,G,B; default 0,0,0 (#000000), alpha 255\n", "10  Angle Start\n    angle, degrees; default 90\n",
                             "12  Reverse Range (registered with an empty name; set by its label)\n    checkbox, on/off; default off\n"})
        EXPECT_NE(Text(run.out).find(line), std::string::npos) << line << "\nin:\n" << Text(run.out);
}

TEST(OrvaneCommands, DemoWritesOneContactSheetAndPrintsEachTile) {
    ScratchDir dir;
    const Result run = Orvane({"demo", dir / "sheet.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    const Bytes ihdr = PngChunks(dir / "sheet.png")["IHDR"];  // width and height under 65536
    EXPECT_TRUE((ihdr[2] << 8 | ihdr[3]) >= 4 * 320 && (ihdr[6] << 8 | ihdr[7]) >= 2 * 240 && ihdr[9] == PNG_COLOR_TYPE_RGB_ALPHA);
    for (const char *tile : {"1  Defaults", "2  Brightness", "4  Soft Luma chooser", "8  Mix 50", "--set \"Choose Pixels by=Point\""})
        EXPECT_NE(Text(run.out).find(tile), std::string::npos) << tile << " in\n" << Text(run.out);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"sheet.png"});
}

const Bytes kOld = {'o', 'l', 'd'};

TEST(OrvaneFiles, EveryFailureSaysWhyAndLeavesTheFilesAsTheyWere) {
    ScratchDir dir;
    std::mt19937 rng(31);
    const Bytes frames = Random(rng, 2 * 8 * 6 * 4), partial(frames.begin(), frames.begin() + 100);
    const std::string raw = dir / "in.raw", out = dir / "out.raw", png = dir / "out.png", cut = dir / "cut.raw", video = dir / "pcm.mkv",
                      broken = dir / "broken.png", failing = ORVANE_FAILING_MODULE, coffee = ORV_TEST_DATA_DIR "/coffee.png";
    WriteBytes(raw, frames), WriteBytes(cut, partial), WriteBytes(dir / "empty.raw", {});
    WriteBytes(broken, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H'});
    std::filesystem::create_symlink(raw, dir / "symlink.raw"), std::filesystem::create_hard_link(raw, dir / "link.raw");
    Ffmpeg({"-f", "lavfi", "-i", "testsrc=s=32x24:d=0.4", "-f", "lavfi", "-i", "sine=d=0.4", "-c:v", "ffv1", "-c:a", "pcm_s16le", video});
    const std::vector<std::string> names = dir.Names();
    const Bytes picture = ReadBytes(coffee);
    const struct { int status; std::string says; Args args; Bytes input = {}; Args env = {}; } cases[] = {
        {1, "the effect reported an error: Memory Allocation Failure!",
         {"render", "--module", failing, "--raw", "8x6", "--set", "Brightness=30", raw, out}, {}, {"ORVANE_TEST_FAIL_FROM=1"}},
        {1, "Memory Allocation Failure!", {"render", "--set", "Brightness=30", coffee, png}, {},  // $ORVANE_MODULE chooses
         {"ORVANE_TEST_FAIL_FROM=1", "ORVANE_MODULE=" + failing}},
        {2, cut + " holds 100 bytes, which is not a whole number of 8x6 ARGB frames (192 bytes each)", {"render", "--raw", "8x6", cut, out}},
        {2, "standard input ended inside frame 2 (100 of 192 bytes); the 1 complete frames before it were rendered; nothing was written",
         {"render", "--raw", "8x6", "-", out}, Cat(Bytes(frames.begin(), frames.begin() + 192), partial)},
        {2, "empty.raw holds 0 bytes", {"mask", "--raw", "8x6", dir / "empty.raw", out}}, {2, "usage:", {}},
        {2, "standard input holds no frame", {"render", "--raw", "8x6", "-", out}}, {2, "unknown command", {"frame", raw, out}},
        {2, "cannot read " + broken + " as a PNG", {"render", broken, png}}, {2, "params: takes no names", {"params", "x"}},
        {2, "(.mp4) cannot hold the input's pcm_s16le audio as it is: give --audio encode", {"render", video, dir / "out.mp4"}},
        {2, raw + " is not a still picture, and ffprobe cannot read it as a video", {"render", raw, dir / "out.mkv"}},
        {2, "--set Nope=1: no parameter is named \"Nope\"", {"mask", "--raw", "8x6", "--set", "Nope=1", raw, out}},
        {2, "render: unknown option --frobnicate", {"render", "--frobnicate", raw, out}},
        {2, "expected a ratio N/D with 1 <= N <= D <= 1000", {"render", "--downsample", "2/1", "--raw", "8x6", raw, out}},
        {2, "cannot load the effect module /none.so", {"render", "--module", "/none.so", raw, out}},
        {2, "cannot load the effect module /none.so", {"about", "--module", "/none.so"}}, {2, "demo: takes at most one name", {"demo", png, png}},
        {2, "cannot load the effect module /none.so", {"params", "--module", "/none.so"}}, {2, "empty", {"mask", "--raw", "0x6", raw, out}},
        {2, "demo: OUTPUT is a PNG (a name ending in .png), not " + out, {"demo", out}},
        {2, "render: expected INPUT and OUTPUT, got 1 name;", {"render", "--raw", "8x6", raw}},
        {2, "but " + dir / "o.png" + " names a picture", {"render", "--raw", "8x6", raw, dir / "o.png"}},
        {2, "--raw 8by6: expected the frame size as WxH", {"render", "--raw", "8by6", raw, out}},
        {2, "up to 32767 pixels wide", {"render", "--raw", "32768x6", raw, out}}, {2, "carries raw frames only: give --raw WxH", {"render", "-", png}},
        {2, "render: --set needs a value", {"render", "--raw", "8x6", raw, out, "--set"}}, {2, "about: unknown option --raw", {"about", "--raw", "2x2"}},
        {2, "cannot read " + dir / "missing.png", {"render", dir / "missing.png", png}},
        {2, "INPUT is a video, so OUTPUT must be a video", {"render", raw, png}},  // what is not a PNG is taken for a video
        {2, "INPUT is a still, so OUTPUT must be a still too", {"render", coffee, out}}, {2, "OUTPUT " + coffee + " is INPUT", {"mask", coffee, coffee}},
        {2, "OUTPUT " + raw + " is INPUT", {"render", "--raw", "8x6", raw, raw}}, {2, "is INPUT", {"mask", "--raw", "8x6", raw, dir / "link.raw"}},
        {2, "OUTPUT " + raw + " is INPUT", {"render", "--raw", "8x6", dir / "symlink.raw", raw}},
        {2, "is INPUT", {"render", "--raw", "8x6", raw, dir / "symlink.raw"}}, {2, "is INPUT", {"mask", "--raw", "8x6", raw, dir.path + "//in.raw"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        WriteBytes(out, kOld), WriteBytes(png, kOld);
        const Result run = Orvane(c.args, c.input, c.env);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.err.find(c.says) != std::string::npos && run.err.find(".orvane-") == std::string::npos) << run.err;  // OUTPUT named
        EXPECT_TRUE(ReadBytes(out) == kOld && ReadBytes(png) == kOld && ReadBytes(raw) == frames && ReadBytes(coffee) == picture);
        std::filesystem::remove(out), std::filesystem::remove(png);
        EXPECT_EQ(dir.Names(), names) << "no temporary file is left";
    }
    // Success replaces it whole, each frame rendered in turn, with the permissions of a new file.
    WriteBytes(out, kOld), chmod(out.c_str(), 0600);
    const mode_t mask = umask(022);
    umask(mask);
    EXPECT_EQ(Orvane({"render", "--raw", "8x6", "--set", "Brightness=30", raw, out}).status, 0);
    EXPECT_TRUE(SameBytes(ReadBytes(out), ReferenceRender(frames, 8, 6, {{"Brightness", {30}}})));
    EXPECT_EQ(std::filesystem::status(out).permissions(), std::filesystem::perms(0666 & ~mask));
}

// An interrupt while frames are being written: the existing OUTPUT keeps its bytes, the temporary
// file is gone, orvane exits with 128 + the signal.
TEST(OrvaneFiles, AnInterruptedRawRenderLeavesTheOldOutput) {
    std::mt19937 rng(32);
    const Bytes frames = Random(rng, 2 * 16 * 16 * 4);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(testing::Message() << "signal " << sig);
        ScratchDir dir;
        WriteBytes(dir / "out.raw", kOld);
        int feed[2];  // the pipe stays open after the two frames
        ASSERT_EQ(pipe2(feed, O_CLOEXEC), 0);
        ASSERT_EQ(write(feed[1], frames.data(), frames.size()), static_cast<ssize_t>(frames.size()));
        const Args args = {"render", "--raw", "16x16", "-", dir / "out.raw"};
        EXPECT_EQ(InterruptWhileWriting(args, feed[0], dir, ".out.raw.orvane-", frames.size(), sig), 128 + sig);
        close(feed[0]), close(feed[1]);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.raw"});
        EXPECT_TRUE(SameBytes(ReadBytes(dir / "out.raw"), kOld));
    }
}
