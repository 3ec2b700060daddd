#include "video_streams.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>

#include "commands.h"
#include "process.h"
#include "raw_io.h"
#include "video.h"

namespace orvcli {

namespace {

// "HH:MM:SS:FF" advanced by `frames` at `rate` (num/den); "" for a drop-frame timecode (";" or "."
// before the frames), whose count skips labels.
std::string AdvanceTimecode(const std::string &timecode, long long frames, const std::string &rate) {
    int h, m, s, f;
    char sep;
    if (frames == 0) return timecode;
    if (std::sscanf(timecode.c_str(), "%d:%d:%d%c%d", &h, &m, &s, &sep, &f) != 5 || sep != ':') return "";
    const long long fps = std::llround(std::atof(rate.c_str()) / std::max(1.0, std::atof(rate.c_str() + rate.find('/') + 1)));
    long long n = ((h * 60LL + m) * 60 + s) * fps + f + frames;
    char text[96];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld:%02lld", n / fps / 3600 % 24, n / fps / 60 % 60, n / fps % 60, n % fps);
    return text;
}

// The video stream's presentation times (packets as stored, none left out as discarded), sorted;
// empty when a packet has none.
std::vector<long long> PacketTimes(const std::string &input, std::string *error) {
    std::string text;
    std::vector<long long> times;
    if (!RunCapture({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "packet=pts,flags", "-of", "csv=p=0",
                     "file:" + input},
                    &text, error))
        return times;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        if (line.empty() || line.find('D', line.find(',')) != std::string::npos) continue;
        char *stop;
        times.push_back(std::strtoll(line.c_str(), &stop, 10));
        if (*stop != ',') return {};
    }
    std::sort(times.begin(), times.end());
    return times;
}

// True when every time is within half a tick of the line through the first and the last.
bool Constant(const std::vector<long long> &times) {
    if (times.size() < 3) return true;
    const double step = static_cast<double>(times.back() - times.front()) / static_cast<double>(times.size() - 1);
    for (size_t i = 0; i < times.size(); ++i)
        if (std::abs(static_cast<double>(times[i] - times.front()) - step * static_cast<double>(i)) > 0.5) return false;
    return true;
}

struct Run { size_t first; long long time, step; };

std::string Tree(const std::vector<Run> &runs, size_t lo, size_t hi) {
    if (hi - lo == 1)
        return std::to_string(runs[lo].time) + "+(N-" + std::to_string(runs[lo].first) + ")*" + std::to_string(runs[lo].step);
    const size_t mid = (lo + hi) / 2;
    return "if(lt(N," + std::to_string(runs[mid].first) + ")," + Tree(runs, lo, mid) + "," + Tree(runs, mid, hi) + ")";
}

}  // namespace

std::string EightBitFormat(const std::string &format) {
    static const std::regex planar("(yuva?4[0-4][0-4]p|gbra?p|gray)(9|10|12|14|16)");
    static const std::map<std::string, std::string> others = {
        {"rgb48", "rgb24"}, {"bgr48", "bgr24"}, {"rgba64", "rgba"}, {"bgra64", "bgra"}, {"ya16", "ya8"},
        {"p010", "nv12"}, {"p016", "nv12"}, {"p210", "nv16"}, {"p216", "nv16"}, {"p410", "nv24"}, {"p416", "nv24"},
        {"nv20", "nv16"}, {"y210", "yuyv422"}, {"x2rgb10", "rgb24"}, {"x2bgr10", "bgr24"}, {"xyz12", "rgb24"},
        {"ayuv64", "yuva444p"}, {"grayf32", "gray"}, {"gbrpf32", "gbrp"}, {"gbrapf32", "gbrap"}};
    std::string name = format;
    if (name.size() > 2 && (name.compare(name.size() - 2, 2, "le") == 0 || name.compare(name.size() - 2, 2, "be") == 0))
        name.resize(name.size() - 2);
    std::smatch match;
    if (std::regex_match(name, match, planar)) return match[1];
    auto other = others.find(name);
    return other == others.end() ? "" : other->second;
}

std::string TimesExpression(const std::vector<long long> &times) {
    std::vector<Run> runs;
    for (size_t i = 0, j; i < times.size(); i = j + 1) {
        const long long step = i + 1 < times.size() ? times[i + 1] - times[i] : i > 0 ? times[i] - times[i - 1] : 1;
        for (j = i + 1; j + 1 < times.size() && times[j + 1] - times[j] == step; ++j) {
        }
        j = std::min(j, times.size() - 1);
        runs.push_back({i, times[i], step});
    }
    return runs.empty() ? "N" : Tree(runs, 0, runs.size());
}

bool StreamPlan::Probe(const std::string &input, const VideoInfo &info, std::string *error) {
    const int video = info.stream;
    for (int i = 0; !info.Of(i, "codec_type").empty(); ++i) {
        const std::string type = info.Of(i, "codec_type");
        if ((type == "subtitle" || type == "data") && info.Of(i, "codec_tag_string") != "tmcd")  // tmcd: the timecode
            extras.push_back(info.Of(i, "index") + " " + type + " " + info.Of(i, "codec_name"));
    }
    // The video stream's timecode, else the file's or another stream's (a tmcd track).
    for (const auto &[key, value] : info.probe)
        if (key.size() > 9 && Lower(key.substr(key.size() - 9)) == ".timecode" &&
            (timecode.empty() || key.find("stream." + std::to_string(video) + ".") != std::string::npos))
            timecode = value;
    if (const std::string order = info.Of(video, "field_order"); order.size() == 2) fieldOrder = order;  // tt, bb, tb, bt
    pixelFormat = info.Of(video, "pix_fmt");
    eightBit = EightBitFormat(pixelFormat);
    timeBase = info.Of(video, "time_base");
    times = PacketTimes(input, error);
    if (Constant(times)) times.clear();
    return true;
}

bool StreamPlan::Prepare(const std::string &input, const std::string &output, const std::string &temp, const FrameRange &range,
                         const std::string &rate, std::string *error) {
    if (!eightBit.empty())
        warnings.push_back(input + " has more than 8 bits a channel (" + pixelFormat + "); the effect works on 8 bits" +
             (temp.empty() ? "" : ", so " + output + " holds 8-bit pictures, in an 8-bit format where its encoder has one"));
    if (temp.empty()) return true;
    if (range.given) {
        timecode = AdvanceTimecode(timecode, range.first, rate);
        extras.clear();  // a segment's span would be cut at their packets, not at frames
    }
    std::string left;
    for (const std::string &extra : extras) {
        const std::string index = extra.substr(0, extra.find(' '));
        std::string ignored;
        if (RunCapture({"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", "file:" + input, "-map", "0:" + index, "-c", "copy", "-t", "0",
                        "file:" + temp},
                       &ignored, &ignored))
            copied.push_back(std::atoi(index.c_str()));
        else
            left += (left.empty() ? "" : ", ") + extra.substr(index.size() + 1) + " stream " + index;
    }
    if (!left.empty()) warnings.push_back(output + "'s container cannot take " + input + "'s " + left + ", left out");
    if (times.empty()) return true;
    std::vector<long long> kept;
    for (size_t i = 0; i < times.size(); ++i)
        if (range.Holds(static_cast<long long>(i))) kept.push_back(times[i] - (range.given ? times[range.first] : 0));
    timing = "settb=" + timeBase + ",setpts='" + TimesExpression(kept) + "'";
    const char *dir = std::getenv("TMPDIR");
    return script.Open(std::string(dir && *dir ? dir : "/tmp") + "/orvane-frame-times.txt", error);
}

std::vector<std::string> StreamPlan::DecoderArgs(const std::string &rate) const {
    if (times.empty()) return {"-r", rate};  // A constant rate, the one the encoder is told.
    return {"-fps_mode", "passthrough"};
}

std::vector<std::string> StreamPlan::EncoderArgs() const {
    std::vector<std::string> args;
    for (int index : copied) args.insert(args.end(), {"-map", "1:" + std::to_string(index)});
    if (!copied.empty()) args.insert(args.end(), {"-c:s", "copy", "-c:d", "copy"});
    if (!timecode.empty()) args.insert(args.end(), {"-timecode", timecode});
    if (!fieldOrder.empty()) args.insert(args.end(), {"-field_order", fieldOrder, "-flags", "+ildct+ilme"});
    if (!times.empty()) args.insert(args.end(), {"-fps_mode", "passthrough", "-enc_time_base", timeBase});
    return args;
}

std::vector<std::string> StreamPlan::FilterArgs(const std::vector<std::string> &filters) {
    std::string chain = timing;
    if (!fieldOrder.empty()) chain += std::string(chain.empty() ? "" : ",") + (fieldOrder[0] == 't' ? "setfield=tff" : "setfield=bff");
    for (const std::string &f : filters) chain += (chain.empty() ? "" : ",") + f;
    if (chain.empty()) return {};
    if (timing.empty()) return {"-vf", chain};
    // From a file: the frame times make a chain of any length. Should the write fail, the encoder
    // says what it could not read.
    WriteFull(script.Fd(), reinterpret_cast<const uint8_t *>(chain.data()), chain.size());
    script.CloseFd();
    return {"-filter_script:v", script.TempPath()};
}

}  // namespace orvcli
