#include "commands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "effect_runner.h"
#include "mask.h"
#include "output_file.h"
#include "png_io.h"
#include "resources/plugin_info.h"
#include "sequence.h"
#include "raw_io.h"
#include "set_parser.h"
#include "video.h"

namespace orvcli {

namespace {

const char kUsageHead[] =
    "orvane: runs the Orvane FX Brightness-Contrast effect on pictures, image sequences, raw frames and video.\n"
    "\n"
    "usage:\n";
const char kUsageTail[] =
    "\n"
    "Every command takes --help, and --module PATH to load another effect module. orvane --version (-V)\n"
    "prints orvane's version and the effect module's name and version.\n"
    "Exit status: 0 success; 1 the effect reported an error; 2 bad usage, bad input, or an output that\n"
    "could not be written.\n";

const char kSetHelp[] =
    "  --set NAME=VALUE   sets a parameter; repeatable, the last one for a name wins. NAME as\n"
    "                     `orvane params` lists it, in any case. VALUE in the units the host shows:\n"
    "                       sliders        a decimal within the range       Brightness=-12.5\n"
    "                       angles         degrees                          \"Angle Start=120\"\n"
    "                       popups         choice number from 1, or text    Channels=3  \"Choose Pixels by=luma\"\n"
    "                       Reverse Range  on/off true/false yes/no 1/0     \"Reverse Range=on\"\n"
    "                       Color          R,G,B or #RRGGBB                 Color=255,128,0  Color=#ff8000\n"
    "                       Center         X,Y in pixels of the input       Center=100.5,-20\n"
    "                     Parameters not set keep their defaults; Center's is the middle of the frame.\n";

const char kModuleHelp[] =
    "  --module PATH      the effect module to load; by default $ORVANE_MODULE, else\n"
    "                     OrvaneBrightnessContrast.so next to orvane, else ../lib/orvane/ from orvane's\n"
    "                     folder (an installed orvane), else the one orvane was built with\n"
    "  --help             this text\n";

const char kRenderHelp[] =
    "usage: orvane render [--raw WxH] [--set NAME=VALUE]... [--downsample N/D] [--frames A-B[xS]]\n"
    "                     [--codec ENCODER] [--crf N | --bitrate RATE] [--pix-fmt FORMAT]\n"
    "                     [--encoder-opt KEY=VALUE]... [--audio copy|encode|none] [--skip-existing] INPUT OUTPUT\n"
    "\n"
    "Renders INPUT through the effect into OUTPUT.\n"
    "  a still INPUT      .png .jpg .tif .tga .bmp .webp .dpx, or .exr (read only); OUTPUT is a still\n"
    "                     in the format its extension names, 8 bits per channel with alpha where the\n"
    "                     format keeps it. Pictures without alpha get alpha 255 (PNG: or their tRNS);\n"
    "                     deeper samples are rounded to 8 bits (float clamped to 0..1 first) and\n"
    "                     associated alpha divided out, with a warning saying how. Alpha is straight.\n"
    "  a frame pattern    name.####.ext (one # per digit), name.@@@@.ext or name.%%04d.ext: a sequence\n"
    "                     of stills; OUTPUT is a pattern too, each frame numbered as its input frame\n"
    "                     and written whole. Without --frames, the frames on disk, which must leave no\n"
    "                     gap. A progress bar shows when stderr is a terminal.\n"
    "  --raw WxH          INPUT and OUTPUT are raw frames of W*H*4 bytes, every pixel alpha, red,\n"
    "                     green, blue (ffmpeg's argb), rows top first; a file or stream of several\n"
    "                     frames renders frame by frame. \"-\" is standard input or output.\n"
    "  any other INPUT    a video, decoded by ffmpeg; OUTPUT is encoded by ffmpeg in the container its\n"
    "                     extension names (.mp4, .mov, .mkv, .webm ...), in INPUT's codec when the\n"
    "                     container takes it, alpha and audio kept; or a frame pattern OUTPUT, stills\n"
    "                     numbered from 0 like the video's frames. OUTPUT is kept only when it holds\n"
    "                     every rendered frame. A progress bar shows when stderr is a terminal.\n"
    "\n"
    "options:\n"
    "%s"
    "  --frames A-B[xS]   frames A to B inclusive (every S-th), of a pattern by its frame numbers, of\n"
    "                     a video counted from 0 as ffmpeg counts; a video OUTPUT then has no audio\n"
    "  --codec ENCODER    ffmpeg's encoder for a video OUTPUT (ffv1, prores_ks ...; ffmpeg -encoders);\n"
    "                     by default INPUT's codec family, else the container's own (H.264 4:2:0 for\n"
    "                     .mp4 .mov .mkv, VP9 for .webm), or one that keeps INPUT's alpha\n"
    "  --crf N            constant quality, 0 (best) to 63, for encoders that have it (libx264 ...)\n"
    "  --bitrate RATE     bits per second instead, as ffmpeg writes them: 8M, 2500k\n"
    "  --pix-fmt FORMAT   the encoder's pixel format (yuv422p10le ...); by default 4:2:0 8-bit for\n"
    "                     H.264, HEVC and VP9, the family's own for ProRes and lossless codecs\n"
    "  --encoder-opt KEY=VALUE  an option for ffmpeg's encoder (preset=slow, g=1); repeatable\n"
    "  --audio MODE       copy (the default: INPUT's audio as it is), encode (the container's\n"
    "                     default codec) or none; a container that cannot hold the audio as it is\n"
    "                     is refused before any frame is rendered\n"
    "  --skip-existing    output frames of a pattern already on disk are kept, not rendered again\n"
    "  --downsample N/D   renders as After Effects does at reduced resolution: INPUT is the frame at\n"
    "                     N/D of the layer's size (1/2 = half resolution); 1 <= N <= D <= 1000\n"
    "%s"
    "\n"
    "OUTPUT appears only when everything succeeded, and may not be INPUT.\n";

const char kMaskHelp[] =
    "usage: orvane mask [--raw WxH] [--set NAME=VALUE]... [--frames A-B[xS]] [--skip-existing] INPUT OUTPUT\n"
    "\n"
    "Shows what the pixel chooser selects: \"Choose Pixels by\" with its Center, Color, Range Start,\n"
    "Range End, Angle Start, Angle End, Reverse Range, Blend and Stretch. Each pixel becomes grey:\n"
    "255 where the render adjusts it fully, 0 where it stays untouched, and soft selections in\n"
    "between (weights 0..256 scaled to 0..255, rounded). Brightness, Contrast, Channels and \"Mix with\n"
    "Original\" do not change the mask.\n"
    "  a still INPUT      OUTPUT is an 8-bit grey still (.png .tif ...); frame patterns as for render\n"
    "  --raw WxH          OUTPUT frames are W*H*4 bytes like INPUT's: alpha 255, red = green = blue =\n"
    "                     the mask; \"-\" is standard input or output\n"
    "  any other INPUT    a video; OUTPUT is the mask as a video, encoded by ffmpeg, or grey stills\n"
    "\n"
    "options:\n"
    "%s"
    "%s";

const char kParamsHelp[] =
    "usage: orvane params [--module PATH]\n"
    "\n"
    "Lists the parameters the effect module registered, as the host received them: number, name,\n"
    "type, range, default and choices. These names and values are what --set takes.\n";

const char kAboutHelp[] =
    "usage: orvane about [--module PATH]\n"
    "\n"
    "Prints the effect's about text (its answer to PF_Cmd_ABOUT).\n";

const char kDemoHelp[] =
    "usage: orvane demo [--module PATH] [OUTPUT.png]\n"
    "\n"
    "Renders a test picture made in code (a hue wheel, saturated and skin-like patches, grey ramps and\n"
    "a ramp of rising alpha) with eight typical settings and writes them side by side as one contact\n"
    "sheet, OUTPUT.png (default orvane-demo.png), printing the settings of each tile.\n";

const char kPreviewHelp[] =
    "usage: orvane preview [--set NAME=VALUE]... [--port N] INPUT\n"
    "\n"
    "Serves a page to tune the parameters by eye in a browser and prints its address,\n"
    "http://127.0.0.1:PORT/?token=..., for this machine alone (every request needs the token). The page\n"
    "has a control for each parameter the module registered (click the picture to place Center); shows\n"
    "the result as `orvane render` renders it, the original, the chooser's selection as `orvane mask`\n"
    "shows it, or result and original split; and the equivalent `orvane render` command line, ready to\n"
    "copy. Its Write button renders the still next to INPUT, NAME.orvane.png for INPUT NAME.png (a frame\n"
    "of a sequence or video: numbered as the frame), written whole. INPUT is a still, a frame pattern or\n"
    "a video; a frame slider picks the frame of the last two. Ctrl-C stops the server.\n"
    "\n"
    "options:\n"
    "%s"
    "  --port N           the port to listen on; 0 or none: a free port\n"
    "%s";

// Parses `args` accepting the options named in `accepted` ("raw", "set", "downsample", "frames",
// "skip-existing"; --help and --module always), as "--name VALUE" or "--name=VALUE", a flag
// (--skip-existing) alone. "-" alone and everything after "--" are positional.
bool ParseOptions(const std::string &command, const Args &args, const std::vector<std::string> &accepted,
                  Options *options, std::string *error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--") {
            options->positional.insert(options->positional.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            options->positional.push_back(arg);
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options->help = true;
            continue;
        }
        std::string name = arg.substr(2), value;
        size_t equals = name.find('=');
        bool inlineValue = arg.compare(0, 2, "--") == 0 && equals != std::string::npos;
        if (inlineValue) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        bool known = arg.compare(0, 2, "--") == 0 && (name == "module" || std::find(accepted.begin(), accepted.end(), name) != accepted.end());
        if (!known) {
            *error = command + ": unknown option " + arg + "; see orvane " + command + " --help";
            return false;
        }
        if (name == "skip-existing" && !inlineValue) {
            options->skipExisting = true;
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                *error = command + ": --" + name + " needs a value; see orvane " + command + " --help";
                return false;
            }
            value = args[++i];
        }
        if (name == "module") options->module = value;
        if (name == "raw") options->raw = value;
        if (name == "set") options->sets.push_back(value);
        if (name == "downsample") options->downsample = value;
        if (name == "frames") options->frames = value;
        if (name == "codec") options->encode.codec = value;
        if (name == "crf") options->encode.crf = value;
        if (name == "bitrate") options->encode.bitrate = value;
        if (name == "pix-fmt") options->encode.pixFmt = value;
        if (name == "encoder-opt") options->encode.encoderOpts.push_back(value);
        if (name == "audio") options->encode.audio = value;
        if (name == "port") options->port = value;
        if (name == "skip-existing") {
            *error = command + ": --skip-existing takes no value; see orvane " + command + " --help";
            return false;
        }
    }
    return true;
}

bool LoadEffect(const Options &options, EffectRunner *runner, std::string *error) {
    std::string tried;
    std::string path = FindModule(options.module, &tried);
    if (path.empty()) {
        *error = "cannot find the effect module (looked at " + tried + "); give its path with --module PATH or $ORVANE_MODULE";
        return false;
    }
    return runner->Load(path, error);
}

bool ParseDownsample(const std::string &text, int32_t *num, uint32_t *den, std::string *error) {
    size_t slash = text.find('/');
    auto number = [](const std::string &s, long *v) {
        if (s.empty() || s.size() > 4) return false;
        for (char c : s)
            if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        *v = std::strtol(s.c_str(), nullptr, 10);
        return true;
    };
    long n = 0, d = 0;
    if (slash == std::string::npos || !number(text.substr(0, slash), &n) || !number(text.substr(slash + 1), &d) ||
        n < 1 || d < n || d > 1000) {
        *error = "--downsample " + text + ": expected a ratio N/D with 1 <= N <= D <= 1000, for example --downsample 1/2";
        return false;
    }
    *num = static_cast<int32_t>(n);
    *den = static_cast<uint32_t>(d);
    return true;
}

}  // namespace

int Fail(int status, const std::string &message) {
    std::fprintf(stderr, "orvane: %s\n", message.c_str());
    return status;
}

int Finish(const Outcome &outcome) { return outcome.ok() ? 0 : Fail(outcome.status, outcome.message); }

bool ParseSets(const std::vector<std::string> &sets, const std::vector<ParamInfo> &params,
               std::vector<Assignment> *values, std::string *error) {
    for (const std::string &text : sets) {
        Assignment a;
        if (!ParseSet(text, params, &a, error)) return false;
        values->push_back(a);
    }
    return true;
}

std::string Lower(std::string s) {
    for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

Outcome WriteWhole(const std::string &path, const std::vector<uint8_t> &bytes) {
    OutputFile out;
    std::string error;
    if (!out.Open(path, &error)) return Outcome::Fail(2, error);
    if (!WriteFull(out.Fd(), bytes.data(), bytes.size()))
        return Outcome::Fail(2, "cannot write " + path + ": " + std::strerror(errno));
    if (!out.Commit(&error)) return Outcome::Fail(2, error);
    return Outcome::Ok();
}

namespace {

// What render and mask share: where the frames come from and go to.
Outcome RunFrames(const std::string &command, const Options &options, const FrameFunction &frame, bool maskOutput) {
    if (options.positional.size() != 2)
        return Outcome::Fail(2, command + ": expected INPUT and OUTPUT, got " + std::to_string(options.positional.size()) +
                                    (options.positional.size() == 1 ? " name" : " names") + "; see orvane " + command +
                                    " --help");
    const std::string &input = options.positional[0], &output = options.positional[1];
    if (SameFile(input, output))
        return Outcome::Fail(2, "OUTPUT " + output + " is INPUT; write the result to another file");
    FrameJob job{frame, maskOutput, options.skipExisting, false, options.encode};
    FrameRange range;
    std::string error;
    if (!options.frames.empty() && !ParseFrameRange(options.frames, &range, &error)) return Outcome::Fail(2, error);
    const std::string inPattern = FramePattern(input), outPattern = FramePattern(output);
    if (options.skipExisting && outPattern.empty())
        return Outcome::Fail(2, "--skip-existing keeps the frames of a frame pattern OUTPUT (name.####.png); " + output + " is none");
    if (!options.raw.empty()) {
        int32_t width, height;
        if (!ParseRawSize(options.raw, &width, &height, &error)) return Outcome::Fail(2, error);
        if (range.given) return Outcome::Fail(2, "--frames picks frames of a frame pattern or a video, not of --raw frames");
        for (const std::string &name : {input, output})  // raw bytes under a picture's name would mislead
            if (IsStillName(name, true))
                return Outcome::Fail(2, "--raw reads and writes raw ARGB frames, but " + name +
                                            " names a picture; use a name such as frames.argb, or leave out --raw");
        return RunRaw(input, output, width, height, frame);
    }
    if (input == "-" || output == "-")
        return Outcome::Fail(2, "\"-\" (standard input or output) carries raw frames only: give --raw WxH");
    const std::string stills = "(.png .jpg .jpeg .tif .tiff .tga .bmp .webp .dpx)";
    if (!outPattern.empty() && !IsStillName(outPattern, false))
        return Outcome::Fail(2, "the frames of OUTPUT " + output + " must be stills orvane writes " + stills);
    if (!inPattern.empty()) {
        if (outPattern.empty())
            return Outcome::Fail(2, "INPUT is a frame pattern, so OUTPUT must be one too (such as out.####.png), not " + output);
        return RunStillSequence(inPattern, outPattern, range, job);
    }
    struct stat info;
    if (stat(input.c_str(), &info) != 0) return Outcome::Fail(2, "cannot read " + input + ": " + std::strerror(errno));
    if (S_ISDIR(info.st_mode)) return Outcome::Fail(2, "cannot read " + input + ": it is a folder");
    const std::string extension = Lower(Extension(output));
    if (Lower(Extension(input)) == ".png" && !LooksLikePng(input))
        return Outcome::Fail(2, input + " is not a PNG file (its signature is missing)");
    if (IsStillInput(input)) {
        if (range.given || !outPattern.empty())
            return Outcome::Fail(2, "INPUT " + input + " is one still: --frames and a frame pattern OUTPUT need a pattern or a video");
        if (!IsStillName(output, false))
            return Outcome::Fail(2, "INPUT is a still, so OUTPUT must be a still too " + stills + ", not " + output);
        return RunStill(input, output, job);
    }
    if (extension.empty())
        return Outcome::Fail(2, "OUTPUT " + output + " needs an extension naming its container (.mp4, .mov, .mkv ...)");
    if (outPattern.empty() && IsStillName(output, true))
        return Outcome::Fail(2, "INPUT is a video, so OUTPUT must be a video (.mp4, .mov, .mkv ...) or a frame pattern "
                                "(such as out.####.png), not a still");
    return RunVideo(input, outPattern.empty() ? output : outPattern, range, job);
}

std::string CheckRender(const std::string &, Options &options) {
    std::string error;
    if (!options.downsample.empty())
        ParseDownsample(options.downsample, &options.downsampleNum, &options.downsampleDen, &error);
    return error.empty() ? CheckEncodeOptions(options.encode) : error;
}

int RunRender(const Options &options, EffectRunner &runner) {
    runner.SetDownsample(options.downsampleNum, options.downsampleDen);
    return Finish(RunFrames("render", options, [&](const aehost::Image &in, aehost::Image &out) {
        return runner.Render(in, out);
    }, false));
}

int RunMask(const Options &options, EffectRunner &runner) {
    return Finish(RunFrames("mask", options, [&](const aehost::Image &in, aehost::Image &out) {
        return RenderMask(runner.Host(), in, out);
    }, true));
}

}  // namespace

std::string TypeName(PF_ParamType type) {
    switch (type) {
        case PF_Param_FIX_SLIDER: return "slider";
        case PF_Param_ANGLE: return "angle";
        case PF_Param_POPUP: return "popup";
        case PF_Param_CHECKBOX: return "checkbox";
        case PF_Param_COLOR: return "color";
        case PF_Param_POINT: return "point";
        default: return "type " + std::to_string(type);
    }
}

std::string Hex(PF_Pixel c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", c.red, c.green, c.blue);
    return buffer;
}

namespace {

std::string NoNames(const std::string &name, Options &options) {
    return options.positional.empty() ? "" : name + ": takes no names; see orvane " + name + " --help";
}

int RunParams(const Options &, EffectRunner &runner) {
    const std::vector<PF_ParamDef> &defs = runner.Host().Registered();
    std::printf("%zu parameters registered (set them with --set NAME=VALUE):\n\n", defs.size());
    for (const ParamInfo &param : runner.Params()) {
        const PF_ParamDef &def = defs[static_cast<size_t>(param.slot) - 1];
        std::string name = param.name.empty() ? param.label + " (registered with an empty name; set by its label)" : param.name;
        std::printf("%2d  %s\n    %s", param.slot, name.c_str(), TypeName(param.type).c_str());
        switch (param.type) {
            case PF_Param_FIX_SLIDER:
                std::printf(", %s to %s, precision %d; default %s\n", FormatFixed(def.u.fd.valid_min).c_str(),
                            FormatFixed(def.u.fd.valid_max).c_str(), def.u.fd.precision, FormatFixed(def.u.fd.dephault).c_str());
                break;
            case PF_Param_ANGLE:
                std::printf(", degrees; default %s\n", FormatFixed(def.u.ad.dephault).c_str());
                break;
            case PF_Param_POPUP: {
                int shown = def.u.pd.dephault < 1 ? 1 : def.u.pd.dephault;
                std::printf(", %d choices; default %d", def.u.pd.num_choices, shown);
                if (def.u.pd.dephault < 1) std::printf(" (registered as %d: the host shows the first choice)", def.u.pd.dephault);
                std::printf("\n");
                for (size_t i = 0; i < param.choices.size(); ++i)
                    std::printf("      %2zu  \"%s\"\n", i + 1, param.choices[i].c_str());
                break;
            }
            case PF_Param_CHECKBOX:
                std::printf(", on/off; default %s\n", def.u.bd.dephault ? "on" : "off");
                break;
            case PF_Param_COLOR:
                std::printf(", R,G,B; default %d,%d,%d (%s), alpha %d\n", def.u.cd.dephault.red, def.u.cd.dephault.green,
                            def.u.cd.dephault.blue, Hex(def.u.cd.dephault).c_str(), def.u.cd.dephault.alpha);
                break;
            case PF_Param_POINT:
                std::printf(", X,Y in pixels%s; default %s%%, %s%% of the frame's width and height\n",
                            def.u.td.restrict_bounds ? " within the frame" : ", may lie outside the frame",
                            FormatFixed(def.u.td.x_dephault).c_str(), FormatFixed(def.u.td.y_dephault).c_str());
                break;
            default:
                std::printf("\n");
                break;
        }
    }
    return 0;
}

int RunAbout(const Options &, EffectRunner &runner) {
    std::string text = runner.About();
    for (char &c : text)
        if (c == '\r') c = '\n';  // the host's line breaks are carriage returns
    while (!text.empty() && text.back() == '\n') text.pop_back();
    std::printf("%s\n", text.c_str());
    return 0;
}

}  // namespace

const std::vector<Command> &Commands() {
    static const std::vector<Command> commands = {
        {"render", "render [--raw WxH] [--set NAME=VALUE]... [--downsample N/D] [--frames A-B[xS]] [--codec ENCODER] [--crf N | --bitrate RATE] [--pix-fmt FORMAT] [--encoder-opt KEY=VALUE]... [--audio copy|encode|none] [--skip-existing] INPUT OUTPUT",
         kRenderHelp, {"raw", "set", "downsample", "frames", "codec", "crf", "bitrate", "pix-fmt", "encoder-opt", "audio", "skip-existing"}, CheckRender, RunRender},
        {"mask", "mask   [--raw WxH] [--set NAME=VALUE]... [--frames A-B[xS]] [--skip-existing] INPUT OUTPUT", kMaskHelp,
         {"raw", "set", "frames", "skip-existing"}, nullptr, RunMask},
        {"params", "params", kParamsHelp, {}, NoNames, RunParams},
        {"about", "about", kAboutHelp, {}, NoNames, RunAbout},
        {"demo", "demo [OUTPUT.png]", kDemoHelp, {}, CheckDemo, RunDemo},
        {"preview", "preview [--set NAME=VALUE]... [--port N] INPUT", kPreviewHelp, {"set", "port"}, CheckPreview, RunPreview},
    };
    return commands;
}

namespace {

// The prologue every command shares, then its body.
int Run(const Command &command, const Args &args) {
    Options options;
    std::string error;
    if (!ParseOptions(command.name, args, command.options, &options, &error)) return Fail(2, error);
    if (options.help) {
        std::printf(command.help, kSetHelp, kModuleHelp);
        return 0;
    }
    if (command.check && !(error = command.check(command.name, options)).empty()) return Fail(2, error);
    EffectRunner runner;
    std::vector<Assignment> values;
    if (!LoadEffect(options, &runner, &error) || !ParseSets(options.sets, runner.Params(), &values, &error))
        return Fail(2, error);
    runner.Apply(values);
    return command.run(options, runner);
}

}  // namespace

int RunTool(const Args &args) {
    std::string usage = kUsageHead, names;
    const std::vector<Command> &commands = Commands();
    for (size_t i = 0; i < commands.size(); ++i) {
        usage += std::string("  orvane ") + commands[i].synopsis + "\n";
        names += (i == 0 ? "" : i + 1 == commands.size() ? " and " : ", ") + std::string(commands[i].name);
    }
    usage += kUsageTail;
    if (args.empty()) {
        std::fputs(usage.c_str(), stderr);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(usage.c_str(), stdout);
        return 0;
    }
    if (args[0] == "--version" || args[0] == "-V") {
        std::printf("orvane %d.%d.%d\n", ORV_VERSION_MAJOR, ORV_VERSION_MINOR, ORV_VERSION_BUGFIX);
        for (const Command &command : commands)  // then the module's own about line
            if (std::string(command.name) == "about") return Run(command, Args(args.begin() + 1, args.end()));
    }
    for (const Command &command : commands)
        if (args[0] == command.name) return Run(command, Args(args.begin() + 1, args.end()));
    std::fprintf(stderr, "orvane: unknown command \"%s\"; the commands are %s\n\n%s", args[0].c_str(), names.c_str(),
                 usage.c_str());
    return 2;
}

}  // namespace orvcli
