// Helpers for the orvane tests: running the built orvane (and ffmpeg) as child processes, scratch
// folders, files, PNGs read and written with libpng independently of orvane's own code, and a
// reference render straight through aehost.
#ifndef ORVANE_TESTS_CLI_SUPPORT_H
#define ORVANE_TESTS_CLI_SUPPORT_H

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "aehost.h"

namespace clitest {

using Bytes = std::vector<uint8_t>;

struct Result {
    int status = -1;  // exit status, or 128 + signal
    std::string out, err;
};

// Runs argv (argv[0] looked up in PATH) with `input` on stdin; extra environment entries NAME=VALUE.
Result RunProgram(const std::vector<std::string> &argv, const std::string &input = "",
               const std::vector<std::string> &environment = {});
// Runs the built orvane.
Result Orvane(const std::vector<std::string> &args, const std::string &input = "",
           const std::vector<std::string> &environment = {});

// A fresh folder under the test output folder, removed with everything in it at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::string operator/(const std::string &name) const { return path + "/" + name; }
    std::vector<std::string> Names() const;  // what the folder holds, hidden files included
    const std::string path;
};

bool Exists(const std::string &path);
std::string ReadText(const std::string &path);
Bytes ReadBytes(const std::string &path);
void WriteBytes(const std::string &path, const Bytes &bytes);
std::string AsString(const Bytes &bytes);

aehost::Image RandomImage(std::mt19937 &rng, int32_t width, int32_t height);
aehost::Image FromPacked(const Bytes &argb, int32_t width, int32_t height);

// PNG through libpng's simplified interface: any file read as ARGB or as grey, 8 bits.
aehost::Image ReadPngArgb(const std::string &path);
Bytes ReadPngGrey(const std::string &path, int32_t *width, int32_t *height);
// IHDR bit depth and colour type of a PNG file.
void PngHeader(const std::string &path, int *bitDepth, int *colorType);
// Writes a PNG with the given colour type (PNG_COLOR_TYPE_*) and 8 or 16 bits; `samples` holds
// the channels of that type, 16-bit samples as numbers (not bytes).
void WritePng(const std::string &path, int32_t width, int32_t height, int colorType, int bitDepth,
              const std::vector<uint16_t> &samples);

// The shipped module rendered directly through aehost: `set` stores values on a ready host.
aehost::Image ReferenceRender(const aehost::Image &input, const std::function<void(aehost::Host &)> &set,
                              int32_t downsampleNum = 1, uint32_t downsampleDen = 1);
// The number of allocations the fault-injection module makes in one render of `input`.
long RenderAllocations(const aehost::Image &input);

PF_Fixed Fix(double value);  // trunc(value x 65536)

// Equal byte strings, or a failure naming the sizes and the first difference (not the bytes).
testing::AssertionResult SameBytes(const std::string &a, const std::string &b);
testing::AssertionResult SameBytes(const Bytes &a, const Bytes &b);

}  // namespace clitest

#endif
