// Video through two ffmpeg child processes: one decodes INPUT to ARGB rawvideo on a pipe, orvane
// works on each frame, and the other encodes the frames from a pipe into OUTPUT (container from
// OUTPUT's extension, encoder as video_codec.h chooses), with INPUT's audio. One frame in memory at
// a time; no frame ever touches the disk. OUTPUT is kept only when it holds every rendered frame.
#ifndef ORVANE_CLI_VIDEO_H
#define ORVANE_CLI_VIDEO_H

#include <map>
#include <string>

#include "frame.h"
#include "sequence.h"

namespace orvcli {

struct VideoInfo {
    int32_t width = 0, height = 0;  // as decoded: after the rotation ffmpeg applies
    std::string rate;               // frames per second as num/den
    long long frames = -1;          // -1 when unknown
    std::string pixelFormat;        // of the input, offered to the encoder
    std::string aspect;             // sample aspect ratio num:den, empty for square pixels
    std::string colorSpace, colorRange, colorPrimaries, colorTransfer;  // "" when unknown
    int stream = 0;                                  // the video stream's index among all streams
    std::map<std::string, std::string> probe;        // every stream as ffprobe tells it (flat keys)
    // What the probe says of stream `index`'s `key` ("" when it says nothing).
    std::string Of(int index, const std::string &key) const;
};

// ffmpeg's scaling flags for a frame of a video decoded into a still.
extern const char kStillScaleFlags[];

// Reads ffprobe's "flat" output (key=value lines, string values quoted) into a map.
std::map<std::string, std::string> ParseFlat(const std::string &text);
// The first video stream's facts from ffprobe's flat output of every stream; false when it has none.
bool VideoInfoFromProbe(const std::map<std::string, std::string> &probe, VideoInfo *info, std::string *error);

bool ProbeVideo(const std::string &path, VideoInfo *info, std::string *error);

// Renders the frames of the video INPUT in `range` (every frame without one; counted from 0 as
// ffmpeg counts them) into the video OUTPUT, or into the stills a frame pattern OUTPUT names, each
// numbered as its input frame. A progress bar goes to stderr when it is a terminal. On any failure
// a video OUTPUT is left untouched; stills already written are whole.
Outcome RunVideo(const std::string &input, const std::string &output, const FrameRange &range, FrameJob &job);

}  // namespace orvcli

#endif
