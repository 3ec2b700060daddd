// What a video keeps on its way through orvane besides its pictures and audio: timecode, field
// order, bit depth, subtitle and data streams, and each frame's time. ffprobe tells them; the
// decoding and encoding ffmpeg get the arguments that carry them, and what cannot be carried is
// said in a warning.
#ifndef ORVANE_CLI_VIDEO_STREAMS_H
#define ORVANE_CLI_VIDEO_STREAMS_H

#include <string>
#include <vector>

#include "output_file.h"
#include "sequence.h"
#include "video.h"

namespace orvcli {

// The 8-bit pixel format of the same layout as `format` ("yuv420p" for "yuv420p10le"), or "" when
// `format` has no more than 8 bits a channel (or is not known here).
std::string EightBitFormat(const std::string &format);

// A setpts expression of the frame number N giving times[N] (N past the end continues the last
// spacing): piecewise linear over runs of equal spacing, as a balanced tree of if() so that its
// depth grows with the logarithm of the number of runs.
std::string TimesExpression(const std::vector<long long> &times);

class StreamPlan {
public:
    // Reads what `info`'s probe says of INPUT's streams, and probes its video stream's frame times.
    bool Probe(const std::string &input, const VideoInfo &info, std::string *error);
    // Settles what goes to OUTPUT for the frames in `range` at `rate` (num/den); `temp` is OUTPUT's
    // temporary file ("" when OUTPUT is a frame pattern), on which the container is tried with
    // each subtitle and data stream. What is lost goes to `warnings`.
    bool Prepare(const std::string &input, const std::string &output, const std::string &temp, const FrameRange &range,
                 const std::string &rate, std::string *error);

    std::vector<std::string> warnings;  // whole sentences, each naming its file

    const std::string &EightBit() const { return eightBit; }
    // The decoder's frame timing: a constant rate, or every frame as it is.
    std::vector<std::string> DecoderArgs(const std::string &rate) const;
    // The encoder's output options (after its -map of the pictures; INPUT is its input 1).
    std::vector<std::string> EncoderArgs() const;
    // The encoder's video filters: `filters` after those that set fields and frame times.
    std::vector<std::string> FilterArgs(const std::vector<std::string> &filters);

private:
    std::string timecode, fieldOrder, pixelFormat, eightBit, timeBase;
    std::string timing;               // settb and setpts giving each frame its time; "" for a constant rate
    std::vector<std::string> extras;  // "index codec_type codec_name" of subtitle and data streams
    std::vector<int> copied;          // the indexes of those OUTPUT takes
    std::vector<long long> times;     // each frame's time in timeBase; empty for a constant rate
    OutputFile script;                // the encoder's filters when they carry frame times
};

}  // namespace orvcli

#endif
