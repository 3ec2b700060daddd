// orvane's raw frame path on any bytes: the first line is the --raw size text, the rest the input
// file. A size it accepts must be one the effect takes; the file is rendered (here: copied) frame
// by frame to standard output exactly when it holds a whole, non-zero number of frames, and then
// the output is the input.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "mem_file.h"
#include "raw_io.h"

namespace {

void Fail(const char *what, const std::string &detail = "") {
    std::fprintf(stderr, "raw_fuzzer: %s %s\n", what, detail.c_str());
    std::abort();
}

// Runs RunRaw with standard output redirected into `out`.
orvcli::Outcome RunToFile(const std::string &input, int32_t width, int32_t height, const orvfuzz::MemFile &out) {
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    dup2(out.Fd(), STDOUT_FILENO);
    const auto copy = [](const aehost::Image &in, aehost::Image &result) { return result = in, orvcli::Outcome::Ok(); };
    const orvcli::Outcome outcome = orvcli::RunRaw(input, "-", width, height, copy);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    orvfuzz::FuzzInput in(data, size);
    const std::string text = in.Until('\n', 32);
    int32_t width = 0, height = 0;
    std::string error;
    if (!orvcli::ParseRawSize(text, &width, &height, &error)) {
        if (error.empty()) Fail("refused without a message");
        return 0;
    }
    if (!orvcli::CheckFrameSize(width, height, "frame", &error)) Fail("accepted", error);
    // Frames beyond 64 K pixels only cost allocation time here.
    if (static_cast<int64_t>(width) * height > 65536) return 0;

    const std::vector<uint8_t> contents = in.Rest();
    orvfuzz::MemFile input(contents), output;
    const orvcli::Outcome outcome = RunToFile(input.Path(), width, height, output);
    const size_t frameBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    const bool whole = !contents.empty() && contents.size() % frameBytes == 0;
    if (outcome.ok() != whole) Fail(whole ? "refused whole frames:" : "accepted a partial frame", outcome.message);
    if (!outcome.ok() && outcome.message.empty()) Fail("refused without a message");
    if (whole && output.Contents() != contents) Fail("the frames written are not the frames read");
    return 0;
}
