// What every input path shares: the frame size the effect can take, and the per-frame work a
// command does (render or mask) as one function from an input frame to an output frame.
#ifndef ORVANE_CLI_FRAME_H
#define ORVANE_CLI_FRAME_H

#include <cstdint>
#include <functional>
#include <string>

#include "aehost.h"

namespace orvcli {

// The effect's image sides are 16-bit signed (the native module walks rows of any length).
constexpr int32_t kMaxFrameWidth = 32767;
constexpr int32_t kMaxFrameHeight = 32767;

// False with a message naming `what` when the size is empty or beyond the limits above.
bool CheckFrameSize(int64_t width, int64_t height, const std::string &what, std::string *error);

// How a command ended.
struct Outcome {
    int status = 0;        // 0 ok; 1 the effect reported an error; 2 bad usage, input or output
    std::string message;   // what to print on stderr (without the "orvane: " prefix)

    static Outcome Ok() { return Outcome{}; }
    static Outcome Fail(int status, const std::string &message) { return Outcome{status, message}; }
    bool ok() const { return status == 0; }
};

// The work done on each frame: reads `in`, fills `out` (which it may resize).
using FrameFunction = std::function<Outcome(const aehost::Image &in, aehost::Image &out)>;

}  // namespace orvcli

#endif
