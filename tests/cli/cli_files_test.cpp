// A user's files are never damaged by orvane: an existing OUTPUT keeps its bytes through every kind
// of failure and through an interrupt (SIGINT, SIGTERM, SIGHUP) in the middle of writing, and is
// replaced whole only when the command succeeds; OUTPUT naming INPUT by any path (a symbolic link,
// "." and "//" in the path) is refused by render and mask alike.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "cli_support.h"

extern char **environ;

namespace {

using namespace clitest;

const Bytes kOldOutput = {'o', 'l', 'd', ' ', 'b', 'y', 't', 'e', 's'};

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Each failing command leaves the existing OUTPUT exactly as it was and no temporary file.
TEST(OrvaneFiles, AnExistingOutputSurvivesEveryFailure) {
    ScratchDir dir;
    std::mt19937 rng(31);
    const aehost::Image in = RandomImage(rng, 8, 6);
    WriteBytes(dir / "in.raw", in.pixels);
    Bytes partial(in.pixels.begin(), in.pixels.begin() + 100);
    WriteBytes(dir / "partial.raw", partial);
    WriteBytes(dir / "broken.png", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H'});
    const std::string failAt = "ORVANE_TEST_FAIL_AT=" + std::to_string(RenderAllocations(in));
    struct Case {
        const char *what;
        std::vector<std::string> args;
        std::string input;
        std::vector<std::string> environment;
        int status;
    };
    const std::string out = dir / "out.raw", outPng = dir / "out.png";
    const Case cases[] = {
        {"the effect reports an error", {"render", "--module", ORVANE_FAILING_MODULE, "--raw", "8x6", dir / "in.raw", out}, "", {failAt}, 1},
        {"a file that is not whole frames", {"render", "--raw", "8x6", dir / "partial.raw", out}, "", {}, 2},
        {"a pipe that ends inside a frame", {"render", "--raw", "8x6", "-", out}, AsString(in.pixels) + AsString(partial), {}, 2},
        {"a broken PNG", {"render", dir / "broken.png", outPng}, "", {}, 2},
        {"an unknown parameter", {"render", "--raw", "8x6", "--set", "Sharpness=3", dir / "in.raw", out}, "", {}, 2},
        {"mask of a file that is not whole frames", {"mask", "--raw", "8x6", dir / "partial.raw", out}, "", {}, 2},
    };
    for (const Case &c : cases) {
        WriteBytes(out, kOldOutput);
        WriteBytes(outPng, kOldOutput);
        const Result run = Orvane(c.args, c.input, c.environment);
        EXPECT_EQ(run.status, c.status) << c.what << ": " << run.err;
        EXPECT_TRUE(SameBytes(ReadBytes(out), kOldOutput)) << c.what;
        EXPECT_TRUE(SameBytes(ReadBytes(outPng), kOldOutput)) << c.what;
        EXPECT_EQ(Sorted(dir.Names()), Sorted({"in.raw", "partial.raw", "broken.png", "out.raw", "out.png"})) << c.what;
    }

    // Success replaces it whole, with the permissions of a new file.
    const mode_t mask = umask(022);
    umask(mask);
    chmod(out.c_str(), 0600);
    const Result run = Orvane({"render", "--raw", "8x6", "--set", "Brightness=30", dir / "in.raw", out});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(SameBytes(ReadBytes(out), ReferenceRender(in, [](aehost::Host &h) { h.SetSlider("Brightness", 30); }).pixels));
    struct stat info;
    ASSERT_EQ(stat(out.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
    EXPECT_EQ(Sorted(dir.Names()), Sorted({"in.raw", "partial.raw", "broken.png", "out.raw", "out.png"}));
}

// An interrupt while frames are being written: the existing OUTPUT keeps its bytes, the
// temporary file is gone, orvane exits with 128 + the signal.
TEST(OrvaneFiles, AnInterruptedRawRenderLeavesTheOldOutput) {
    std::mt19937 rng(32);
    const aehost::Image frame = RandomImage(rng, 16, 16);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE("signal " + std::to_string(sig));
        ScratchDir dir;
        const std::string out = dir / "out.raw";
        WriteBytes(out, kOldOutput);
        int feed[2];
        ASSERT_EQ(pipe(feed), 0);
        const std::string orvane = ORVANE_PATH;
        const char *argv[] = {orvane.c_str(), "render", "--raw", "16x16", "-", out.c_str(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, feed[0], 0);
        posix_spawn_file_actions_addclose(&actions, feed[0]);
        posix_spawn_file_actions_addclose(&actions, feed[1]);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid;
        ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char **>(argv), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(feed[0]);

        // Two whole frames, then wait until they are in the temporary file; the pipe stays open.
        for (int i = 0; i < 2; ++i)
            ASSERT_EQ(write(feed[1], frame.pixels.data(), frame.pixels.size()), static_cast<ssize_t>(frame.pixels.size()));
        bool written = false;
        for (int i = 0; i < 1000 && !written; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            for (const std::string &name : dir.Names())
                written |= name.find(".out.raw.orvane-") == 0 && ReadBytes(dir / name).size() == 2 * frame.pixels.size();
        }
        EXPECT_TRUE(written) << "the frames never reached a temporary file beside OUTPUT";
        kill(pid, sig);
        int status;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        close(feed[1]);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.raw"});
        EXPECT_TRUE(SameBytes(ReadBytes(out), kOldOutput));
    }
}

TEST(OrvaneFiles, OutputNamingTheInputByAnyPathIsRefused) {
    ScratchDir dir;
    std::mt19937 rng(33);
    const aehost::Image in = RandomImage(rng, 4, 4);
    WriteBytes(dir / "in.raw", in.pixels);
    ASSERT_EQ(symlink((dir / "in.raw").c_str(), (dir / "link.raw").c_str()), 0);
    for (const char *command : {"render", "mask"})
        for (const std::string &output : {dir / "link.raw", dir.path + "/./in.raw", dir.path + "//in.raw"}) {
            const Result run = Orvane({command, "--raw", "4x4", dir / "in.raw", output});
            EXPECT_EQ(run.status, 2) << command << " " << output;
            EXPECT_NE(run.err.find("is INPUT"), std::string::npos) << run.err;
        }
    // The link as INPUT and the file as OUTPUT likewise.
    const Result run = Orvane({"render", "--raw", "4x4", dir / "link.raw", dir / "in.raw"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(SameBytes(ReadBytes(dir / "in.raw"), in.pixels));
    EXPECT_EQ(Sorted(dir.Names()), Sorted({"in.raw", "link.raw"}));
}

}  // namespace
