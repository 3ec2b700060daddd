// The orvane commands as one table. Every command goes through one prologue: its options parsed,
// --help answered, its own checks made, the module loaded and the --set values applied; then its
// body runs. Exit status: 0 success, 1 the effect reported an error, 2 bad usage, bad input or an
// output that could not be written (with a message on stderr, and no output left behind).
#ifndef ORVANE_CLI_COMMANDS_H
#define ORVANE_CLI_COMMANDS_H

#include <string>
#include <vector>

#include "effect_runner.h"
#include "video_codec.h"

namespace orvcli {

using Args = std::vector<std::string>;

// The options of one command line, as given ("--name VALUE" or "--name=VALUE").
struct Options {
    bool help = false;
    std::string module;
    std::string raw;
    std::vector<std::string> sets;
    std::string downsample;
    std::string frames;         // --frames A-B[xS]
    bool skipExisting = false;  // --skip-existing
    EncodeOptions encode;       // --codec, --crf, --bitrate, --pix-fmt, --encoder-opt, --audio
    std::string port;           // --port
    int32_t downsampleNum = 1;  // --downsample, once a command's check has read it
    uint32_t downsampleDen = 1;
    std::vector<std::string> positional;
};

struct Command {
    const char *name;
    const char *synopsis;              // its line in the tool's usage, after "orvane "
    const char *help;                  // --help text: a printf format given the --set and --module texts
    std::vector<std::string> options;  // taken besides --help and --module: "raw", "set", "downsample", ...
    // Checks made before the module is loaded; the message of the first failure, or empty.
    std::string (*check)(const std::string &name, Options &options);
    // The body, with the module loaded and the --set values applied; the exit status.
    int (*run)(const Options &options, EffectRunner &runner);
};

// The commands in the order the usage lists them.
const std::vector<Command> &Commands();

// The command whose name is args[0] with the rest of args; usage errors for an unknown command.
int RunTool(const Args &args);

// What the bodies share: a message on stderr and a status; an outcome as an exit status; --set
// texts parsed against the module's parameters; a whole file written in one go; ASCII lower case.
int Fail(int status, const std::string &message);
int Finish(const Outcome &outcome);
bool ParseSets(const std::vector<std::string> &sets, const std::vector<ParamInfo> &params,
               std::vector<Assignment> *values, std::string *error);
Outcome WriteWhole(const std::string &path, const std::vector<uint8_t> &bytes);
std::string Lower(std::string s);
// A parameter type as `orvane params` names it ("slider", "popup" ...); a colour as #RRGGBB.
std::string TypeName(PF_ParamType type);
std::string Hex(PF_Pixel c);

// `orvane demo` (demo.cpp): at most one name, a PNG; the contact sheet.
std::string CheckDemo(const std::string &name, Options &options);
int RunDemo(const Options &options, EffectRunner &runner);

// `orvane preview` (preview.cpp): one INPUT and --port; the server, until Ctrl-C.
std::string CheckPreview(const std::string &name, Options &options);
int RunPreview(const Options &options, EffectRunner &runner);

}  // namespace orvcli

#endif
