#include "video_codec.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

#include "commands.h"
#include "process.h"
#include "video.h"

namespace orvcli {

namespace {

// What each container takes: the input codecs whose family is kept, its own encoder, the encoder
// and pixel format that keep alpha ("" for none), and the audio codecs copied into it ("*" any;
// "pcm_*" every PCM form).
struct Container {
    const char *extensions, *families, *encoder, *alphaEncoder, *alphaFormat, *audio;
};
const Container kContainers[] = {
    {".mp4 .m4v", "h264 hevc vp9", "libx264", "", "", "aac mp3 mp2 ac3 eac3 alac opus flac"},
    {".mov", "prores dnxhd h264 hevc qtrle png ffv1", "libx264", "prores_ks", "yuva444p10le", "aac mp3 mp2 ac3 eac3 alac pcm_*"},
    {".mkv", "prores dnxhd h264 hevc vp9 ffv1 png", "libx264", "ffv1", "bgra", "*"},
    {".webm", "vp9", "libvpx-vp9", "libvpx-vp9", "yuva420p", "opus vorbis"},
};

// The encoder of each codec family orvane keeps, and the pixel format it keeps alpha in when the
// input's own is not one it takes.
const struct { const char *codec, *encoder, *alphaFormat; } kFamilies[] = {
    {"prores", "prores_ks", "yuva444p10le"}, {"dnxhd", "dnxhd", ""}, {"h264", "libx264", ""}, {"hevc", "libx265", ""},
    {"vp9", "libvpx-vp9", "yuva420p"}, {"ffv1", "ffv1", "bgra"}, {"png", "png", "rgba"}, {"qtrle", "qtrle", "argb"},
};

// ffprobe's ProRes profile names and prores_ks's.
const std::map<std::string, std::string> kProresProfiles = {
    {"Proxy", "proxy"}, {"LT", "lt"}, {"Standard", "standard"}, {"HQ", "hq"}, {"4444", "4444"}, {"XQ", "4444xq"}};

std::vector<std::string> Words(const std::string &text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// `word` is in `list`, where "*" takes anything and "x_*" anything starting with "x_".
bool Has(const std::vector<std::string> &list, const std::string &word) {
    return std::any_of(list.begin(), list.end(), [&](const std::string &entry) {
        return entry == word || (!entry.empty() && entry.back() == '*' && word.compare(0, entry.size() - 1, entry, 0, entry.size() - 1) == 0);
    });
}

bool HasAlpha(const std::string &format) {
    for (const char *prefix : {"yuva", "gbrap", "ya", "rgba", "bgra", "argb", "abgr", "ayuv", "vuya"})
        if (format.rfind(prefix, 0) == 0) return true;
    return false;
}

bool Matches(const std::string &text, const char *allowed) {
    return !text.empty() && text.find_first_not_of(allowed) == std::string::npos;
}

const char kDigits[] = "0123456789";

std::string Join(const std::vector<std::string> &words) {
    std::string text;
    for (const std::string &word : words) text += (text.empty() ? "" : " ") + word;
    return text;
}

}  // namespace

std::string CheckEncodeOptions(const EncodeOptions &o) {
    const size_t point = o.crf.find('.');
    const std::string whole = o.crf.substr(0, point), part = point == std::string::npos ? "0" : o.crf.substr(point + 1);
    if (!o.crf.empty() && (!Matches(whole, kDigits) || !Matches(part, kDigits) || std::atof(o.crf.c_str()) > 63))
        return "--crf " + o.crf + ": expected a quality from 0 (best) to 63 (x264 and x265 stop at 51), such as --crf 18";
    std::string rate = o.bitrate;
    if (!rate.empty() && std::strchr("kKMG", rate.back())) rate.pop_back();
    if (!o.bitrate.empty() && (!Matches(rate, "0123456789.") || std::count(rate.begin(), rate.end(), '.') > 1 || std::atof(rate.c_str()) <= 0))
        return "--bitrate " + o.bitrate + ": expected bits per second as ffmpeg writes them, such as 8M or 2500k";
    if (!o.crf.empty() && !o.bitrate.empty()) return "--crf and --bitrate both set the quality; give one";
    if (!o.codec.empty() && !Matches(o.codec, "abcdefghijklmnopqrstuvwxyz0123456789_-"))
        return "--codec " + o.codec + ": expected ffmpeg's name of an encoder, such as libx264 or prores_ks (ffmpeg -encoders lists them)";
    if (!o.pixFmt.empty() && !Matches(o.pixFmt, "abcdefghijklmnopqrstuvwxyz0123456789_"))
        return "--pix-fmt " + o.pixFmt + ": expected ffmpeg's name of a pixel format, such as yuv420p (ffmpeg -pix_fmts lists them)";
    if (!o.audio.empty() && o.audio != "copy" && o.audio != "encode" && o.audio != "none")
        return "--audio " + o.audio + ": expected copy (the default: INPUT's audio as it is), encode or none";
    for (const std::string &opt : o.encoderOpts)
        if (opt.find('=') == std::string::npos || !Matches(opt.substr(0, opt.find('=')), "abcdefghijklmnopqrstuvwxyz0123456789_:-") || opt[0] == '-')
            return "--encoder-opt " + opt + ": expected KEY=VALUE with an option of ffmpeg's encoder as KEY, such as --encoder-opt preset=slow";
    return "";
}

SourceFacts SourceFactsOf(const VideoInfo &info) {
    SourceFacts facts{info.Of(info.stream, "codec_name"), info.Of(info.stream, "profile"), info.Of(info.stream, "pix_fmt"), info.Of(info.stream, "bit_rate"), {}};
    for (int i = 0; !info.Of(i, "codec_type").empty(); ++i)
        if (info.Of(i, "codec_type") == "audio") facts.audio.push_back(info.Of(i, "codec_name"));
    return facts;
}

EncoderFacts AskFfmpeg(const std::string &encoder) {
    std::string text, error;
    EncoderFacts facts;
    if (!RunCapture({"ffmpeg", "-hide_banner", "-h", "encoder=" + encoder}, &text, &error)) return facts;
    facts.video = text.find("Encoder " + encoder + " [") != std::string::npos && text.find("sample formats") == std::string::npos;
    const std::string label = "Supported pixel formats:";
    const size_t at = text.find(label);
    if (at != std::string::npos) facts.pixelFormats = Words(text.substr(at + label.size(), text.find('\n', at) - at - label.size()));
    facts.crf = text.find("\n  -crf ") != std::string::npos;
    return facts;
}

bool PlanEncode(const SourceFacts &source, const std::string &extension, const EncodeOptions &options, bool alpha,
                const EncoderLookup &lookup, EncodePlan *plan, std::string *error) {
    const Container *box = nullptr;
    for (const Container &c : kContainers)
        if (Has(Words(c.extensions), Lower(extension))) box = &c;
    alpha = alpha && HasAlpha(source.pixelFormat);
    std::string family, familyAlpha;
    for (const auto &f : kFamilies)
        if (source.codec == f.codec) family = f.encoder;
    std::string &encoder = plan->encoder;
    EncoderFacts facts;
    if (!(encoder = options.codec).empty() && !(facts = lookup(encoder)).video) {
        *error = "--codec " + encoder + ": this ffmpeg has no video encoder of that name (ffmpeg -encoders lists those it has, V first)";
        return false;
    }
    if (encoder.empty() && box) {
        if (!family.empty() && Has(Words(box->families), source.codec) && (facts = lookup(family)).video) encoder = family;
        else if (alpha && *box->alphaEncoder && (facts = lookup(box->alphaEncoder)).video) encoder = box->alphaEncoder;
        else if ((facts = lookup(box->encoder)).video) encoder = box->encoder;
    }
    for (const auto &f : kFamilies)
        if (encoder == f.encoder) familyAlpha = f.alphaFormat;
    const bool kept = !family.empty() && encoder == family;
    std::string format = options.pixFmt, profile;
    const std::vector<std::string> &formats = facts.pixelFormats;
    if (!format.empty() && !formats.empty() && !Has(formats, format)) {
        *error = "--pix-fmt " + format + ": " + encoder + " takes " + Join(formats);
        return false;
    }
    if (encoder == "prores_ks") {  // the input's profile; 4444 to keep alpha
        auto it = kProresProfiles.find(source.profile);
        profile = kept && it != kProresProfiles.end() ? it->second : alpha ? "4444" : "";
        const bool full = profile == "4444" || profile == "4444xq";
        if (format.empty()) format = alpha ? "yuva444p10le" : full ? "yuv444p10le" : "yuv422p10le";
    } else if (encoder == "libx264" || encoder == "libx265") {  // 4:2:0 8-bit: what players open
        if (format.empty()) format = "yuv420p";
    } else if (encoder == "libvpx-vp9") {
        if (format.empty()) format = alpha ? "yuva420p" : "yuv420p";
    } else if (format.empty()) {  // lossless and other encoders: the input's format when they take it
        format = source.pixelFormat;
        if (alpha && !formats.empty() && !Has(formats, format)) format = !familyAlpha.empty() ? familyAlpha : box ? box->alphaFormat : "";
        if (format.empty()) format = source.pixelFormat;
    }
    if (kept && encoder == "dnxhd" && source.profile.rfind("DNXHR ", 0) == 0)
        profile = "dnxhr_" + Lower(source.profile.substr(6));
    else if (kept && encoder == "dnxhd" && options.bitrate.empty() && !source.bitRate.empty())
        plan->videoArgs = {"-b:v", source.bitRate};  // DNxHD's profiles are bit rates
    if (!encoder.empty()) plan->videoArgs.insert(plan->videoArgs.begin(), {"-c:v", encoder});
    if (!profile.empty()) plan->videoArgs.insert(plan->videoArgs.end(), {"-profile:v", profile});
    if (!format.empty()) plan->videoArgs.insert(plan->videoArgs.end(), {"-pix_fmt", format});
    if (!options.crf.empty()) {
        if (!facts.crf) {
            *error = "--crf: " + (encoder.empty() ? "ffmpeg chooses the encoder for " + extension + "; name one that has a constant quality"
                                                  : encoder + " has no constant quality; give --bitrate, or name one that has it") +
                     " with --codec (libx264, libx265, libvpx-vp9)";
            return false;
        }
        plan->videoArgs.insert(plan->videoArgs.end(), {"-crf", options.crf});
        if (encoder == "libvpx-vp9") plan->videoArgs.insert(plan->videoArgs.end(), {"-b:v", "0"});  // constant quality, no cap
    }
    if (!options.bitrate.empty()) plan->videoArgs.insert(plan->videoArgs.end(), {"-b:v", options.bitrate});
    for (const std::string &opt : options.encoderOpts)
        plan->videoArgs.insert(plan->videoArgs.end(), {"-" + opt.substr(0, opt.find('=')), opt.substr(opt.find('=') + 1)});

    const bool listed = formats.empty() || Has(formats, format);
    if (alpha && !encoder.empty() && !(listed ? HasAlpha(format) : std::any_of(formats.begin(), formats.end(), HasAlpha)))
        plan->warnings.push_back("has alpha (" + source.pixelFormat + "), which " + encoder + " in " + format +
                                 " does not keep: the video is written without it (by default .mov, .mkv and .webm keep alpha)");

    if (options.audio == "none") return true;
    plan->audioArgs = {"-map", "1:a?"};
    if (options.audio == "encode") return true;  // the container's default audio encoder
    plan->audioArgs.insert(plan->audioArgs.end(), {"-c:a", "copy"});
    for (const std::string &codec : source.audio) {
        if (!box || Has(Words(box->audio), codec)) continue;
        std::string others;
        for (const Container &c : kContainers)
            if (&c != box && Has(Words(c.audio), codec)) others += (others.empty() ? "" : " or ") + Words(c.extensions)[0];
        *error = "OUTPUT's container (" + extension + ") cannot hold the input's " + codec + " audio as it is: give --audio encode (re-encoded for " +
                 extension + ") or --audio none, or write " + others;
        return false;
    }
    return true;
}

bool TryEncoder(const EncodePlan &plan, int32_t width, int32_t height, std::string *error) {
    std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-hide_banner", "-v", "error", "-f", "lavfi", "-i",
                                     "nullsrc=s=" + std::to_string(width) + "x" + std::to_string(height), "-frames:v", "1"};
    argv.insert(argv.end(), plan.videoArgs.begin(), plan.videoArgs.end());
    argv.insert(argv.end(), {"-f", "null", "-"});
    std::string output;
    if (RunCapture(argv, &output, error)) return true;
    *error = "ffmpeg refuses the encoder's settings (" + Join(plan.videoArgs) + "): " + *error;
    return false;
}

long long CountVideoPackets(const std::string &path, std::string *error) {
    std::string output;
    if (!RunCapture({"ffprobe", "-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries", "stream=nb_read_packets",
                     "-of", "csv=p=0", "file:" + path}, &output, error))
        return -1;
    if (!Matches(Words(output).empty() ? "" : Words(output)[0], kDigits)) {
        *error = "ffprobe counted no video packets";
        return -1;
    }
    return std::atoll(output.c_str());
}

}  // namespace orvcli
