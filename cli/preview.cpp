// `orvane preview`: a local web page to tune the parameters by eye. A small HTTP server on 127.0.0.1
// serves four fixed routes, each behind a random token: the page, the parameter list (as the module
// registered it, in JSON), a rendered frame and the write of the rendered still. Values from the page
// go through the --set parser; frames render through the loaded module as `orvane render` renders.
#include <httplib.h>

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>

#include "commands.h"
#include "image_io.h"
#include "mask.h"
#include "output_file.h"
#include "preview_page.h"
#include "process.h"
#include "sequence.h"
#include "video.h"

namespace orvcli {

namespace {

constexpr size_t kMaxBody = 64 * 1024;  // a few hundred NAME=VALUE lines at most

std::string Quote(const std::string &text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string RandomToken() {
    std::random_device device;  // /dev/urandom on Linux
    std::string token;
    for (int i = 0; i < 4; ++i) {
        char part[16];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(device()));
        token += part;
    }
    return token;
}

// A picture for the page: JPEG for display, or lossless PNG at full size.
bool Encode(const aehost::Image &image, bool png, std::string *type, std::vector<uint8_t> *file, std::string *error) {
    *type = png ? "image/png" : "image/jpeg";
    if (png) return EncodePngRgba(image, nullptr, file, error);
    const size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    std::vector<uint8_t> rgb(count * 3);
    for (size_t i = 0; i < count; ++i)
        for (int k = 0; k < 3; ++k) rgb[3 * i + k] = image.pixels[4 * i + 1 + k];
    OIIO::Filesystem::IOVecOutput memory(*file);
    auto out = OIIO::ImageOutput::create("preview.jpg", &memory);
    OIIO::ImageSpec header(image.width, image.height, 3, OIIO::TypeDesc::UINT8);
    header.attribute("Compression", "jpeg:85");
    if (out && out->open("preview.jpg", header) && out->write_image(OIIO::TypeDesc::UINT8, rgb.data()) && out->close()) return true;
    *error = "cannot encode the preview: " + (out ? out->geterror() : OIIO::geterror());
    return false;
}

class Preview {
public:
    Preview(const Options &options, EffectRunner &runner) : options(options), runner(runner), input(options.positional[0]) {}

    // What the input is and which frames it has; false with a message.
    bool Open(std::string *error);
    void Serve(httplib::Server &server);

private:
    bool Source(long long frame, Still **still, std::string *error);
    std::string ParamsJson();
    // The NAME=VALUE lines of a request, parsed and applied over the defaults; false with the message.
    bool ApplySets(const std::string &body, std::string *error);
    void Render(const httplib::Request &request, httplib::Response &response);
    void Write(const httplib::Request &request, httplib::Response &response);

    const Options &options;
    EffectRunner &runner;
    const std::string input;
    std::string pattern, output;          // the input's frame pattern, if any; the still "write" makes
    std::vector<long long> frames{0};     // the frame numbers the page offers
    VideoInfo video;                      // for a video input (width 0 otherwise)
    std::map<long long, Still> cache;     // decoded frames
    std::mutex lock;                      // the effect, the values it holds and the cache
    std::atomic<long long> latest{0};     // the newest render request's generation
};

bool Preview::Open(std::string *error) {
    pattern = FramePattern(input);
    const std::string stem = input.substr(0, input.size() - Extension(input).size());
    if (!pattern.empty()) {
        std::vector<int> found;
        std::vector<std::string> names;
        OIIO::Filesystem::scan_for_matching_filenames(pattern.find('/') == std::string::npos ? "./" + pattern : pattern, found, names);
        frames.clear();
        for (size_t i = 0; i < found.size(); ++i)
            if (found[i] >= 0) frames.push_back(found[i]);
        std::sort(frames.begin(), frames.end());
        if (frames.empty()) return *error = "no frame of " + input + " exists (no file such as " + FrameName(pattern, 1001) + ")", false;
        output = stem + ".orvane.png";
    } else if (IsStillInput(input)) {
        output = stem + ".orvane.png";
    } else {
        if (!ProbeVideo(input, &video, error) || !CheckFrameSize(video.width, video.height, input, error)) return false;
        for (long long n = 1; n < video.frames; ++n) frames.push_back(n);
        output = stem + ".######.orvane.png";
    }
    Still *first;
    return Source(frames[0], &first, error);
}

bool Preview::Source(long long frame, Still **still, std::string *error) {
    auto found = cache.find(frame);
    if (found != cache.end()) return *still = &found->second, true;
    Still loaded;
    if (video.width == 0 && !ReadStill(pattern.empty() ? input : FrameName(pattern, frame), &loaded, error)) return false;
    if (video.width > 0) {
        // Decoded as `orvane render` decodes a video; the frame found by time, from its middle.
        long long num = std::stoll(video.rate), den = std::stoll(video.rate.substr(video.rate.find('/') + 1));
        std::string bytes;
        char at[32];
        std::snprintf(at, sizeof at, "%.6f", std::max(0.0, (static_cast<double>(frame) - 0.5) * den / num));
        if (!RunCapture({"ffmpeg", "-nostdin", "-v", "error", "-ss", at, "-i", "file:" + input, "-map", "0:v:0", "-r", video.rate,
                         "-sws_flags", kStillScaleFlags, "-frames:v", "1", "-f", "rawvideo",
                         "-pix_fmt", "argb", "-"}, &bytes, error))
            return false;
        loaded.image = aehost::Image::Make(video.width, video.height);
        if (bytes.size() != loaded.image.pixels.size()) return *error = "ffmpeg gave no frame " + std::to_string(frame), false;
        std::copy(bytes.begin(), bytes.end(), loaded.image.pixels.begin());
    }
    if (cache.size() >= 8) cache.clear();
    *still = &(cache[frame] = std::move(loaded));
    return true;
}

std::string Preview::ParamsJson() {
    const Still &first = cache.begin()->second;
    aehost::Host &host = runner.Host();
    host.PlaceDefaultPoints(first.image.width, first.image.height);
    std::string json = "{\"input\":" + Quote(input) + ",\"output\":" + Quote(output) + ",\"module\":" + Quote(options.module) +
                       ",\"framed\":" + (video.width > 0 || !pattern.empty() ? "true" : "false") + ",\"frames\":[";
    for (size_t i = 0; i < frames.size(); ++i) json += (i ? "," : "") + std::to_string(frames[i]);
    json += "],\"params\":[";
    for (const ParamInfo &param : runner.Params()) {
        const std::string name = ShownName(param);
        const PF_ParamDef &def = *host.Find(name);
        bool given = std::any_of(options.sets.begin(), options.sets.end(), [&](const std::string &set) {
            Assignment a;
            std::string ignored;
            return ParseSet(set, runner.Params(), &a, &ignored) && a.slot == param.slot;
        });
        std::string value, extra;
        switch (param.type) {
            case PF_Param_FIX_SLIDER:
                value = FormatFixed(def.u.fd.value);
                extra = ",\"min\":" + FormatFixed(param.min) + ",\"max\":" + FormatFixed(param.max) +
                        ",\"precision\":" + std::to_string(def.u.fd.precision);
                break;
            case PF_Param_ANGLE: value = FormatFixed(def.u.ad.value); break;
            case PF_Param_POPUP:
                value = std::to_string(def.u.pd.value);
                for (size_t i = 0; i < param.choices.size(); ++i) extra += (i ? "," : ",\"choices\":[") + Quote(param.choices[i]);
                extra += "]";
                break;
            case PF_Param_CHECKBOX: value = def.u.bd.value ? "on" : "off"; break;
            case PF_Param_COLOR: value = Hex(def.u.cd.value); break;
            case PF_Param_POINT: value = FormatFixed(def.u.td.x_value) + "," + FormatFixed(def.u.td.y_value); break;
            default: continue;
        }
        json += std::string(json.back() == '[' ? "" : ",") + "{\"name\":" + Quote(name) + ",\"type\":" + Quote(TypeName(param.type)) +
                ",\"value\":" + Quote(value) + ",\"given\":" + (given ? "true" : "false") + extra + "}";
    }
    return json + "]}";
}

bool Preview::ApplySets(const std::string &body, std::string *error) {
    std::vector<std::string> sets;
    for (size_t start = 0, end; start < body.size(); start = end + 1) {
        end = std::min(body.find('\n', start), body.size());
        if (end > start) sets.push_back(body.substr(start, end - start));
    }
    std::vector<Assignment> values;
    if (!ParseSets(sets, runner.Params(), &values, error)) return false;
    runner.Host().ResetValues();
    runner.Apply(values);
    return true;
}

// The frame a request names ("frame", one of the offered numbers); null with a 400 answer otherwise.
long long FrameOf(const httplib::Request &request, const std::vector<long long> &frames, bool *ok) {
    std::string text = request.get_param_value("frame");
    long long frame = text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos ? -1 : std::stoll(text);
    *ok = std::find(frames.begin(), frames.end(), frame) != frames.end();
    return frame;
}

void Refuse(httplib::Response &response, int status, const std::string &message) {
    response.status = status;
    response.set_content("orvane: " + message + "\n", "text/plain");
}

void Preview::Render(const httplib::Request &request, httplib::Response &response) {
    const std::string generation = request.get_param_value("gen"), view = request.get_param_value("view");
    long long gen = !generation.empty() && generation.size() < 16 && generation.find_first_not_of("0123456789") == std::string::npos
                        ? std::stoll(generation) : -1;  // -1: a request outside the page's sequence
    for (long long seen = latest.load(); gen > seen && !latest.compare_exchange_weak(seen, gen);) {
    }
    bool ok;
    long long frame = FrameOf(request, frames, &ok);
    if (!ok || (view != "result" && view != "original" && view != "selection"))
        return Refuse(response, 400, "expected frame= one of the input's frames and view=result, original or selection");
    std::lock_guard<std::mutex> hold(lock);
    if (gen >= 0 && gen < latest.load()) return void(response.status = 204);  // a newer request follows: only it is rendered
    std::string error, type;
    Still *still;
    if (!ApplySets(request.body, &error) || !Source(frame, &still, &error)) return Refuse(response, 400, error);
    aehost::Image shown;
    Outcome outcome = view == "original" ? Outcome::Ok()
                      : view == "result" ? runner.Render(still->image, shown)
                                         : RenderMask(runner.Host(), still->image, shown);
    if (!outcome.ok()) return Refuse(response, 500, outcome.message);
    std::vector<uint8_t> file;
    if (!Encode(view == "original" ? still->image : shown, request.has_param("png"), &type, &file, &error))
        return Refuse(response, 500, error);
    response.set_content(std::string(file.begin(), file.end()), type.c_str());
}

void Preview::Write(const httplib::Request &request, httplib::Response &response) {
    bool ok;
    long long frame = FrameOf(request, frames, &ok);
    if (!ok) return Refuse(response, 400, "expected frame= one of the input's frames");
    std::lock_guard<std::mutex> hold(lock);
    std::string error, target = pattern.empty() && video.width == 0 ? output : FrameName(FramePattern(output), frame);
    Still *still;
    if (!ApplySets(request.body, &error) || !Source(frame, &still, &error)) return Refuse(response, 400, error);
    if (SameFile(pattern.empty() ? input : FrameName(pattern, frame), target))
        return Refuse(response, 400, "OUTPUT " + target + " is INPUT; nothing was written");
    FrameJob job;
    job.frame = [&](const aehost::Image &in, aehost::Image &out) { return runner.Render(in, out); };
    Outcome outcome = RenderStill(input, *still, target, job);
    if (!outcome.ok()) return Refuse(response, outcome.status == 1 ? 500 : 400, outcome.message);
    response.set_content("wrote " + target + "\n", "text/plain");
}

void Preview::Serve(httplib::Server &server) {
    const std::string token = RandomToken();
    server.set_payload_max_length(kMaxBody);
    server.set_pre_routing_handler([token](const httplib::Request &request, httplib::Response &response) {
        if (request.get_param_value("token") == token) return httplib::Server::HandlerResponse::Unhandled;
        Refuse(response, 403, "this page needs the token orvane preview printed");
        return httplib::Server::HandlerResponse::Handled;
    });
    server.Get("/", [](const httplib::Request &, httplib::Response &response) {
        response.set_content(std::string(kPreviewPage) + "<script>\n" + kPreviewScript + "</script>\n", "text/html");
    });
    server.Get("/params", [this](const httplib::Request &, httplib::Response &response) {
        std::lock_guard<std::mutex> hold(lock);
        response.set_content(ParamsJson(), "application/json");
    });
    server.Post("/render", [this](const httplib::Request &request, httplib::Response &response) { Render(request, response); });
    server.Post("/write", [this](const httplib::Request &request, httplib::Response &response) { Write(request, response); });
    int port = options.port.empty() ? 0 : std::stoi(options.port);
    if (port == 0) port = server.bind_to_any_port("127.0.0.1");
    else if (!server.bind_to_port("127.0.0.1", port)) port = -1;
    if (port < 0) return void(std::fprintf(stderr, "orvane: cannot listen on 127.0.0.1:%s\n", options.port.c_str()));
    std::printf("http://127.0.0.1:%d/?token=%s\n", port, token.c_str());
    std::fflush(stdout);
    server.listen_after_bind();
}

}  // namespace

std::string CheckPreview(const std::string &, Options &options) {
    if (options.positional.size() != 1) return "preview: expected one INPUT; see orvane preview --help";
    const std::string &port = options.port;
    if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos || (!port.empty() && std::stoi(port) > 65535))
        return "--port " + port + ": expected a port number from 0 to 65535 (0: any free port)";
    return "";
}

int RunPreview(const Options &options, EffectRunner &runner) {
    Preview preview(options, runner);
    std::string error;
    if (!preview.Open(&error)) return Fail(2, error);
    httplib::Server server;
    preview.Serve(server);
    return 2;  // the server ends on Ctrl-C (exit status 130); here only when it could not listen
}

}  // namespace orvcli
