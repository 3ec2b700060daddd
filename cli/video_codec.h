// How a video OUTPUT is encoded: which ffmpeg encoder, pixel format and settings, and what happens to
// INPUT's alpha and audio. The choice is made on purpose, before any frame is decoded, from what
// ffprobe says about INPUT, OUTPUT's container and what the user asked for; what cannot work is
// refused then, with the words that say what would.
#ifndef ORVANE_CLI_VIDEO_CODEC_H
#define ORVANE_CLI_VIDEO_CODEC_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvcli {

// The encoding options of `orvane render`, as given.
struct EncodeOptions {
    std::string codec;    // --codec: ffmpeg's encoder; "" chooses
    std::string crf;      // --crf N
    std::string bitrate;  // --bitrate RATE (ffmpeg's form: 8M, 2500k)
    std::string pixFmt;   // --pix-fmt
    std::string audio;    // --audio copy|encode|none; "" is copy
    std::vector<std::string> encoderOpts;  // --encoder-opt key=value, in order
};

// The message for the first malformed option, or "": checked before the module is loaded.
std::string CheckEncodeOptions(const EncodeOptions &options);

struct VideoInfo;

// INPUT as ffprobe sees it: the video stream's codec, profile, pixel format and bit rate, and the
// codec of each audio stream.
struct SourceFacts {
    std::string codec, profile, pixelFormat, bitRate;
    std::vector<std::string> audio;
};
SourceFacts SourceFactsOf(const VideoInfo &info);

// What ffmpeg says of one encoder (`ffmpeg -h encoder=NAME`): whether it exists as a video
// encoder, the pixel formats it takes (empty when it names none) and whether it has a -crf option.
struct EncoderFacts {
    bool video = false;
    std::vector<std::string> pixelFormats;
    bool crf = false;
};
using EncoderLookup = std::function<EncoderFacts(const std::string &name)>;
EncoderFacts AskFfmpeg(const std::string &encoder);

// The encoder's arguments for ffmpeg, the audio's (used for a whole video, not a segment) and
// the warnings to print.
struct EncodePlan {
    std::string encoder;  // "" leaves it to ffmpeg
    std::vector<std::string> videoArgs, audioArgs, warnings;
};

// Chooses for OUTPUT with the `extension` (".mov", any case). By default INPUT's codec family is kept
// when its encoder exists and the container takes it (ProRes with its profile), else the
// container's own encoder; H.264 and HEVC get 4:2:0 8-bit. With alpha (`alpha` false for a grey
// mask), an encoder and pixel format that keep it. False with the message for what cannot work.
bool PlanEncode(const SourceFacts &source, const std::string &extension, const EncodeOptions &options, bool alpha,
                const EncoderLookup &lookup, EncodePlan *plan, std::string *error);

// One blank frame of width x height through the plan's encoder, so that options ffmpeg refuses are
// refused before any work; false with ffmpeg's words.
bool TryEncoder(const EncodePlan &plan, int32_t width, int32_t height, std::string *error);

// The video packets ffprobe counts in the file at `path`, or -1 with the reason in `error`.
long long CountVideoPackets(const std::string &path, std::string *error);

}  // namespace orvcli

#endif
