// Helpers for the orvane tests: orvane and ffmpeg run as child processes, scratch folders, pictures
// decoded by ffmpeg apart from orvane's code, and the module driven straight through aehost.
#ifndef ORVANE_TESTS_CLI_SUPPORT_H
#define ORVANE_TESTS_CLI_SUPPORT_H

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <regex>

#include <gtest/gtest.h>

#include "aehost.h"

using Bytes = std::vector<uint8_t>;
using Args = std::vector<std::string>;

inline Bytes ReadBytes(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
inline void WriteBytes(const std::string &path, const Bytes &bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), static_cast<long>(bytes.size()));
}
inline Bytes Cat(Bytes a, const Bytes &b) { return a.insert(a.end(), b.begin(), b.end()), a; }
inline std::string Text(const Bytes &bytes) { return std::string(bytes.begin(), bytes.end()); }
inline Bytes Random(std::mt19937 &rng, size_t size) {
    Bytes bytes(size);
    return std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<uint8_t>(rng()); }), bytes;
}

inline std::string Quoted(const Args &words) {
    std::string line;
    for (const std::string &word : words) line += " '" + std::regex_replace(word, std::regex("'"), "'\\''") + "'";
    return line;
}

// A fresh folder under the test output folder, removed with what it holds at the end.
struct ScratchDir {
    ScratchDir() { std::filesystem::create_directories(path); }
    ~ScratchDir() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string &name) const { return path + "/" + name; }
    std::vector<std::string> Names() const {  // sorted, hidden files included
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(path)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    inline static int made = 0;
    const std::string path = ORV_TEST_OUTPUT_DIR "/scratch-" + std::to_string(getpid()) + "-" + std::to_string(++made);
};

struct Result { int status; Bytes out; std::string err; };

// Runs argv[0] from PATH with the environment entries NAME=VALUE added and `input` through a pipe
// (orvane treats a pipe and a file apart).
inline Result RunProgram(const Args &argv, const Bytes &input = {}, const Args &env = {}) {
    static const ScratchDir io;  // removed at exit
    WriteBytes(io / "in", input);
    const int status = std::system(("cat " + io / "in" + " | env" + Quoted(env) + Quoted(argv) + " >" + io / "out" + " 2>" + io / "err").c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(io / "out"), Text(ReadBytes(io / "err"))};
}

inline Result Orvane(Args args, const Bytes &input = {}, const Args &env = {}) {
    return args.insert(args.begin(), ORVANE_PATH), RunProgram(args, input, env);
}

// head, then `sets` with a --set before each NAME=VALUE (options pass as they are), then tail.
inline Args Command(Args head, const Args &sets, const Args &tail) {
    for (const std::string &s : sets) {
        if (s[0] != '-' && s.find('=') != std::string::npos) head.push_back("--set");
        head.push_back(s);
    }
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// Runs ffmpeg quietly; the test fails when it fails.
inline void Ffmpeg(Args args, const Bytes &input = {}) {
    args.insert(args.begin(), {"ffmpeg", "-v", "error", "-y"});
    const Result run = RunProgram(args, input);
    ASSERT_EQ(run.status, 0) << run.err;
}

// Any picture or video as ffmpeg decodes it, 8-bit ARGB frames one after another.
inline Bytes Decode(const std::string &path) {
    const Result run = RunProgram({"ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "argb", "-"});
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

// Starts orvane (stdin from `in`; -1 keeps the test's), waits until a file in `dir` whose name starts
// with `temp` holds `size` bytes, sends `sig`; the exit status, or 1000 + the signal that ended it.
inline int InterruptWhileWriting(const Args &args, int in, const ScratchDir &dir, const std::string &temp, size_t size, int sig) {
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in, 0);
        execl("/bin/sh", "sh", "-c", ("exec" + Quoted({ORVANE_PATH}) + Quoted(args) + " >/dev/null 2>&1").c_str(), nullptr);
        _exit(127);
    }
    bool written = false;
    for (int i = 0; i < 2000 && !written; ++i, usleep(10000))
        for (const std::string &name : dir.Names()) written |= name.rfind(temp, 0) == 0 && ReadBytes(dir / name).size() >= size;
    EXPECT_TRUE(written) << "nothing reached a temporary file " << temp << "... beside OUTPUT";
    kill(pid, sig);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

// The data of each chunk of a PNG by type (the last of a type).
inline std::map<std::string, Bytes> PngChunks(const std::string &path) {
    const Bytes file = ReadBytes(path);
    std::map<std::string, Bytes> chunks;
    for (size_t at = 8, length; at + 8 <= file.size(); at += 12 + length) {
        const uint8_t *p = file.data() + at;
        length = std::min<size_t>(size_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3], file.size() - at - 8);
        chunks[std::string(p + 4, p + 8)].assign(p + 8, p + 8 + length);
    }
    return chunks;
}

// A host on the shipped module, after global and parameter set-up.
inline std::unique_ptr<aehost::Host> ReadyHost() {
    static aehost::Module module;
    std::string error;
    EXPECT_TRUE(module.Entry() || module.Load(ORV_MODULE_PATH, &error)) << error;
    auto host = std::make_unique<aehost::Host>(module.Entry());
    host->GlobalSetup();
    host->ParamsSetup();
    return host;
}

// Values as the host stores them, by registered name: one number for a slider, angle, popup
// (1-based) or checkbox, X,Y for the point, R,G,B for the colour.
struct Value { std::string name; std::vector<double> v; };
using Values = std::vector<Value>;

// The module's render of ARGB frames of width x height, one after another, at 1/den of the
// layer's size.
inline Bytes ReferenceRender(const Bytes &frames, int32_t width, int32_t height, const Values &values, uint32_t den = 1) {
    std::unique_ptr<aehost::Host> host = ReadyHost();
    for (const auto &[name, v] : values)
        EXPECT_TRUE(v.size() == 2   ? host->SetPoint(name, v[0], v[1])
                    : v.size() == 3 ? host->SetColor(name, PF_Pixel{255, uint8_t(v[0]), uint8_t(v[1]), uint8_t(v[2])})
                                    : host->SetSlider(name, v[0]) || host->SetAngle(name, v[0]) ||
                                          host->SetPopup(name, static_cast<int32_t>(v[0])) || host->SetCheckbox(name, v[0]))
            << "the module has no parameter " << name << " that takes that";
    host->SetDownsample(1, den);
    aehost::Image in = aehost::Image::Make(width, height), out;
    Bytes rendered;
    for (size_t at = 0; at < frames.size(); at += in.pixels.size()) {
        std::copy_n(frames.begin() + static_cast<long>(at), in.pixels.size(), in.pixels.begin());
        host->Render(in, out);
        rendered.insert(rendered.end(), out.pixels.begin(), out.pixels.end());
    }
    return rendered;
}

// Equal bytes, or a failure naming the sizes and the first difference.
inline testing::AssertionResult SameBytes(const Bytes &a, const Bytes &b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    if (a == b) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size() << ", first difference at byte " << i;
}

#endif
