// Stills and image sequences: one still rendered into another (any format into any), and frame
// patterns (name.####.ext with one # per digit, name.@@@@.ext, name.%04d.ext) rendered frame by
// frame, each output frame written whole or not at all under its input frame's number.
#ifndef ORVANE_CLI_SEQUENCE_H
#define ORVANE_CLI_SEQUENCE_H

#include <mutex>
#include <string>

#include "frame.h"
#include "image_io.h"
#include "video_codec.h"

namespace orvcli {

// A frame range as --frames gives it: first-last inclusive, every step-th frame ("1001-1100",
// "0-99x4", or one frame "42").
struct FrameRange {
    bool given = false;
    long long first = 0, last = 0, step = 1;
    bool Holds(long long n) const { return !given || (n >= first && n <= last && (n - first) % step == 0); }
    long long Count() const { return (last - first) / step + 1; }
};
bool ParseFrameRange(const std::string &text, FrameRange *range, std::string *error);

// The printf form of a frame pattern ("shot.%04d.png" for shot.####.png), or "" for a plain name.
std::string FramePattern(const std::string &name);
// The name of frame n of a printf-form pattern.
std::string FrameName(const std::string &pattern, long long n);

// How a run treats each frame: the effect's work, whether the output is the mask (grey), whether
// frames already written are kept (--skip-existing), whether the warnings were given, the encoder,
// and the lock the effect is rendered under.
struct FrameJob {
    FrameFunction frame;
    bool grey = false;
    bool skipExisting = false;
    bool warned = false;  // a sequence says its conversion warning once, for the first frame
    EncodeOptions encode;  // how a video output is encoded
    std::mutex *effect = nullptr;  // held around the effect when frames are rendered on several threads
};

// Renders one still read from `input` into `output` (warnings name `input`).
Outcome RenderStill(const std::string &input, const Still &still, const std::string &output, FrameJob &job);

// One still INPUT into one still OUTPUT (formats from the names).
Outcome RunStill(const std::string &input, const std::string &output, FrameJob &job);

// Every frame of the pattern INPUT in `range` (without one: the frames on disk, which must leave no
// gap) into the pattern OUTPUT. Every input frame is checked before anything is written.
Outcome RunStillSequence(const std::string &input, const std::string &output, const FrameRange &range, FrameJob &job);

}  // namespace orvcli

#endif
