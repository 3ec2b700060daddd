#include "video.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "output_file.h"
#include "process.h"
#include "progress.h"
#include "raw_io.h"
#include "sequence.h"
#include "video_codec.h"
#include "video_streams.h"

namespace orvcli {

namespace {

const char kNeedFfmpeg[] = " (orvane runs ffmpeg and ffprobe for video: Debian package ffmpeg)";

std::string Get(const std::map<std::string, std::string> &m, const std::string &key) {
    auto it = m.find(key);
    return it == m.end() ? "" : it->second;
}

// "num/den" with both positive, or false.
bool ParseRate(const std::string &text, long long *num, long long *den) {
    size_t slash = text.find('/');
    if (slash == std::string::npos) return false;
    char *end;
    *num = std::strtoll(text.c_str(), &end, 10);
    if (end != text.c_str() + slash) return false;
    *den = std::strtoll(text.c_str() + slash + 1, &end, 10);
    return *end == '\0' && *num > 0 && *den > 0;
}

std::string Known(const std::string &value) { return value == "unknown" || value == "N/A" ? "" : value; }

// The scale filter's name for a colour matrix ffprobe reports, or "" for one it has no name for.
std::string MatrixForScale(const std::string &space) {
    if (space == "bt709" || space == "fcc" || space == "smpte170m" || space == "smpte240m") return space;
    if (space == "bt470bg") return "bt470";
    if (space == "bt2020nc" || space == "bt2020c") return "bt2020";
    return "";
}

std::string ReplaceAll(std::string text, const std::string &from, const std::string &to) {
    if (from.empty()) return text;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

}  // namespace

std::string VideoInfo::Of(int index, const std::string &key) const {
    return Get(probe, "streams.stream." + std::to_string(index) + "." + key);
}

std::map<std::string, std::string> ParseFlat(const std::string &text) {
    std::map<std::string, std::string> values;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string value = line.substr(equals + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        values[line.substr(0, equals)] = value;
    }
    return values;
}

bool VideoInfoFromProbe(const std::map<std::string, std::string> &probe, VideoInfo *info, std::string *error) {
    info->probe = probe;
    for (info->stream = 0; !info->Of(info->stream, "codec_type").empty() && info->Of(info->stream, "codec_type") != "video";)
        ++info->stream;
    const std::string s = "streams.stream." + std::to_string(info->stream) + ".";
    long long width = std::atoll(Get(probe, s + "width").c_str());
    long long height = std::atoll(Get(probe, s + "height").c_str());
    if (width <= 0 || height <= 0) {
        *error = "has no video stream";
        return false;
    }
    // ffmpeg turns frames upright while decoding, so a quarter turn swaps the sides.
    std::string rotation = Get(probe, s + "side_data_list.side_data.0.rotation");
    if (rotation.empty()) rotation = Get(probe, s + "tags.rotate");
    long turn = std::labs(std::atol(rotation.c_str())) % 180;
    if (turn == 90) std::swap(width, height);
    info->width = static_cast<int32_t>(width);
    info->height = static_cast<int32_t>(height);

    long long num = 0, den = 1;
    if (ParseRate(Get(probe, s + "avg_frame_rate"), &num, &den) || ParseRate(Get(probe, s + "r_frame_rate"), &num, &den)) {
        info->rate = std::to_string(num) + "/" + std::to_string(den);
    } else {
        *error = "has no frame rate ffprobe can tell";
        return false;
    }
    std::string frames = Get(probe, s + "nb_frames");
    std::string duration = Known(Get(probe, s + "duration"));
    if (duration.empty()) duration = Known(Get(probe, "format.duration"));
    if (!Known(frames).empty() && std::atoll(frames.c_str()) > 0)
        info->frames = std::atoll(frames.c_str());
    else if (!duration.empty())
        info->frames = std::llround(std::atof(duration.c_str()) * static_cast<double>(num) / static_cast<double>(den));
    info->pixelFormat = Known(Get(probe, s + "pix_fmt"));
    std::string aspect = Known(Get(probe, s + "sample_aspect_ratio"));
    info->aspect = aspect == "1:1" || aspect == "0:1" ? "" : aspect;
    info->colorSpace = Known(Get(probe, s + "color_space"));
    info->colorRange = Known(Get(probe, s + "color_range"));
    info->colorPrimaries = Known(Get(probe, s + "color_primaries"));
    info->colorTransfer = Known(Get(probe, s + "color_transfer"));
    return true;
}

bool ProbeVideo(const std::string &path, VideoInfo *info, std::string *error) {
    std::string output, why;
    std::vector<std::string> argv = {
        "ffprobe", "-v", "error", "-show_entries",
        "stream=index,codec_type,codec_name,codec_tag_string,profile,bit_rate,width,height,pix_fmt,r_frame_rate,avg_frame_rate,"
        "nb_frames,duration,sample_aspect_ratio,field_order,time_base,color_space,color_range,color_primaries,color_transfer:"
        "stream_tags=rotate,timecode:stream_side_data=rotation:format=duration:format_tags=timecode",
        "-of", "flat", "file:" + path};
    if (!RunCapture(argv, &output, &why)) {
        *error = path + " is not a still picture, and ffprobe cannot read it as a video: " + why;
        if (why.find("cannot run") == 0) *error = why + kNeedFfmpeg;
        return false;
    }
    if (!VideoInfoFromProbe(ParseFlat(output), info, &why)) {
        *error = path + " is not a still picture, and as a video it " + why;
        return false;
    }
    return true;
}

// Accurate rounding and full chroma in the YUV <-> RGB conversions: without them every pass through
// orvane would darken a YUV video by about one step. Stills get smooth chroma; on the way back to a
// video, subsampled chroma is repeated and then averaged, which gives back what was there (a smooth
// filter both ways blurs it and overshoots into clipped RGB at saturated edges).
const char kStillScaleFlags[] = "bicubic+accurate_rnd+full_chroma_int";

namespace {

void Warn(const std::string &text) { std::fprintf(stderr, "orvane: warning: %s\n", text.c_str()); }

const char kDecodeFlags[] = "neighbor+accurate_rnd+full_chroma_int";
const char kEncodeFlags[] = "area+accurate_rnd+full_chroma_int";

std::vector<std::string> DecoderCommand(const std::string &input, const VideoInfo &info, const StreamPlan &plan, bool toVideo) {
    std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-hide_banner", "-v", "error", "-i", "file:" + input, "-map", "0:v:0"};
    for (const std::string &arg : plan.DecoderArgs(info.rate)) argv.push_back(arg);
    // The conversion to ARGB as a filter of its own, to give it threads (the automatic one has one).
    const std::string scale = std::string("scale=threads=0:flags=") + (toVideo ? kDecodeFlags : kStillScaleFlags);
    argv.insert(argv.end(), {"-vf", scale, "-f", "rawvideo", "-pix_fmt", "argb", "-"});
    return argv;
}

// A segment (`withAudio` false) carries no audio: its span would be cut at audio packets, not frames.
std::vector<std::string> EncoderCommand(const std::string &input, const std::string &temp, const VideoInfo &info,
                                        bool withAudio, const EncodePlan &encode, StreamPlan &streams) {
    std::vector<std::string> argv = {
        "ffmpeg", "-nostdin", "-hide_banner", "-v", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "argb", "-s", std::to_string(info.width) + "x" + std::to_string(info.height),
        "-framerate", info.rate, "-i", "-", "-i", "file:" + input, "-map", "0:v:0"};
    if (withAudio) argv.insert(argv.end(), encode.audioArgs.begin(), encode.audioArgs.end());
    std::vector<std::string> kept = streams.EncoderArgs();
    argv.insert(argv.end(), kept.begin(), kept.end());
    argv.insert(argv.end(), {"-map_metadata", "1", "-sws_flags", kEncodeFlags});
    argv.insert(argv.end(), encode.videoArgs.begin(), encode.videoArgs.end());
    std::vector<std::string> filters;
    std::string matrix = MatrixForScale(info.colorSpace);
    if (!matrix.empty()) {
        std::string range = info.colorRange == "pc" ? "pc" : "tv";
        filters.push_back("scale=out_color_matrix=" + matrix + ":out_range=" + range);
        argv.insert(argv.end(), {"-colorspace", info.colorSpace, "-color_range", range});
        if (!info.colorPrimaries.empty()) argv.insert(argv.end(), {"-color_primaries", info.colorPrimaries});
        if (!info.colorTransfer.empty()) argv.insert(argv.end(), {"-color_trc", info.colorTransfer});
    }
    if (!info.aspect.empty()) {
        std::string sar = info.aspect;
        sar[sar.find(':')] = '/';
        filters.push_back("setsar=" + sar);
    }
    std::vector<std::string> filterArgs = streams.FilterArgs(filters);
    argv.insert(argv.end(), filterArgs.begin(), filterArgs.end());
    argv.push_back("file:" + temp);
    return argv;
}

}  // namespace

Outcome RunVideo(const std::string &input, const std::string &output, const FrameRange &range, FrameJob &job) {
    std::string error;
    VideoInfo info;
    StreamPlan streams;
    if (!ProbeVideo(input, &info, &error)) return Outcome::Fail(2, error);
    if (!streams.Probe(input, info, &error)) return Outcome::Fail(2, "ffprobe cannot read the frame times of " + input + ": " + error);
    if (!streams.EightBit().empty()) info.pixelFormat = streams.EightBit();
    if (!CheckFrameSize(info.width, info.height, input, &error)) return Outcome::Fail(2, error);
    const std::string pattern = FramePattern(output);  // stills instead of a video when set
    SourceFacts facts;
    EncodePlan plan;
    if (pattern.empty()) {
        facts = SourceFactsOf(info);
        // The frames hold 8 bits a channel: a deeper input's layout is offered at 8 bits.
        if (!streams.EightBit().empty()) facts.pixelFormat = streams.EightBit();
        if (!PlanEncode(facts, Extension(output), job.encode, !job.grey, AskFfmpeg, &plan, &error)) return Outcome::Fail(2, error);
    }
    if (!job.encode.encoderOpts.empty() && !TryEncoder(plan, info.width, info.height, &error)) return Outcome::Fail(2, error);
    for (const std::string &warning : plan.warnings) Warn(input + " " + warning);

    OutputFile out;  // declared first: destroyed after the children are killed and reaped
    if (pattern.empty() && !out.Open(output, &error)) return Outcome::Fail(2, error);
    out.CloseFd();  // ffmpeg writes it by name
    auto named = [&](const std::string &text) { return ReplaceAll(text, out.TempPath(), output); };
    if (!streams.Prepare(input, output, pattern.empty() ? out.TempPath() : "", range, info.rate, &error)) return Outcome::Fail(2, error);
    for (const std::string &warning : streams.warnings) Warn(warning);

    ChildProcess decoder, encoder;
    if (!decoder.Start(DecoderCommand(input, info, streams, pattern.empty()), false, true, &error) ||
        (pattern.empty() && !encoder.Start(EncoderCommand(input, out.TempPath(), info, !range.given, plan, streams), true, false, &error)))
        return Outcome::Fail(2, error + kNeedFfmpeg);
    // Pipes of 1 MiB (what an unprivileged process may ask for by default) instead of 64 KiB: a
    // frame of megabytes crosses in fewer copies and wake-ups. A refusal only costs speed.
    for (int fd : {decoder.StdoutFd(), encoder.StdinFd()})
        if (fd >= 0) fcntl(fd, F_SETPIPE_SZ, 1 << 20);

    const size_t frameBytes = static_cast<size_t>(info.width) * static_cast<size_t>(info.height) * 4;
    Still source;
    source.image = aehost::Image::Make(info.width, info.height);
    aehost::Image result;
    Progress progress(range.given ? range.Count() : info.frames, isatty(STDERR_FILENO) != 0);
    long long frames = 0, decoded = 0;  // rendered; read from the decoder
    bool encoderGone = false, partial = false;
    for (;; ++decoded) {
        if (range.given && decoded > range.last) {
            decoder.Kill();  // the rest of the video is not asked for
            break;
        }
        long long got = ReadFull(decoder.StdoutFd(), source.image.pixels.data(), frameBytes);
        if (got <= 0) break;  // the end, or a decoder failure its status reports
        if (static_cast<size_t>(got) < frameBytes) {
            partial = true;
            break;
        }
        if (!range.Holds(decoded)) continue;
        const std::string still = pattern.empty() ? "" : FrameName(pattern, decoded);
        Outcome outcome = Outcome::Ok();
        if (!pattern.empty()) {
            if (!job.skipExisting || access(still.c_str(), F_OK) != 0) outcome = RenderStill(input, source, still, job);
        } else if ((outcome = job.frame(source.image, result)).ok() && !WriteFull(encoder.StdinFd(), result.pixels.data(), frameBytes)) {
            encoderGone = true;
            break;
        }
        if (!outcome.ok()) {
            progress.Abandon();
            return outcome;
        }
        progress.Update(++frames);
    }
    const bool stopped = range.given && decoded > range.last;
    if (encoderGone) decoder.Kill();
    decoder.CloseStdout();
    encoder.CloseStdin();
    int decodedStatus = decoder.Wait();
    if (pattern.empty()) progress.Finishing(frames);  // the encoder drains what it holds
    int encoded = pattern.empty() ? encoder.Wait() : 0;
    if ((decodedStatus != 0 || partial) && !encoderGone && !stopped) {
        progress.Abandon();
        std::string why = partial ? "it ended inside frame " + std::to_string(decoded + 1) : decoder.ErrorText();
        return Outcome::Fail(2, "ffmpeg could not decode " + input + ": " + why);
    }
    if (encoded != 0 || encoderGone) {
        progress.Abandon();
        std::string why = named(encoder.ErrorText());
        return Outcome::Fail(2, "ffmpeg could not encode " + output + ": " +
                                    (why.empty() ? "it exited with status " + std::to_string(encoded) : why));
    }
    if (frames == 0 || (range.given && decoded <= range.last)) {
        progress.Abandon();
        return Outcome::Fail(2, range.given ? input + " has " + std::to_string(decoded) + " frames (0-" + std::to_string(decoded - 1) +
                                                  "), fewer than --frames asks for; " + (pattern.empty() ? "nothing was written"
                                                  : "the frames within it were written")
                                            : input + " gave no frame to render");
    }
    const long long written = pattern.empty() ? CountVideoPackets(out.TempPath(), &error) : frames;
    if (written != frames) {  // the encoder or the muxer lost frames: a broken file is no result
        progress.Abandon();
        return Outcome::Fail(2, "ffmpeg wrote " + (written < 0 ? "a file ffprobe cannot count (" + named(error) + ")"
                                                               : std::to_string(written) + " frames") +
                                    " into " + output + ", not the " + std::to_string(frames) + " rendered; nothing was written");
    }
    progress.Finish(frames);
    if (pattern.empty() && !out.Commit(&error)) return Outcome::Fail(2, error);
    return Outcome::Ok();
}

}  // namespace orvcli
