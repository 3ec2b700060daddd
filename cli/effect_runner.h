// The effect as orvane drives it: the module loaded through aehost, set up the way After Effects
// sets it up (PF_Cmd_GLOBAL_SETUP, PF_Cmd_PARAMS_SETUP), values set as the host stores them, and
// PF_Cmd_RENDER once per frame with the effect's error report checked after each.
#ifndef ORVANE_CLI_EFFECT_RUNNER_H
#define ORVANE_CLI_EFFECT_RUNNER_H

#include <memory>
#include <string>
#include <vector>

#include "aehost.h"
#include "frame.h"
#include "set_parser.h"

namespace orvcli {

// The module to load: `option` (--module) when given, else $ORVANE_MODULE, else
// OrvaneBrightnessContrast.so next to the orvane executable, else in the installed layout's module
// folder relative to it (bin/../lib/orvane), else the module this orvane was built with. `tried`
// lists the places looked at, for the message when none exists.
std::string FindModule(const std::string &option, std::string *tried);

class EffectRunner {
public:
    EffectRunner() = default;
    ~EffectRunner();  // PF_Cmd_GLOBAL_SETDOWN, as a host sends before unloading
    EffectRunner(const EffectRunner &) = delete;
    EffectRunner &operator=(const EffectRunner &) = delete;

    // Loads the module and runs global and parameter set-up.
    bool Load(const std::string &path, std::string *error);

    const std::vector<ParamInfo> &Params() const { return params; }
    aehost::Host &Host() { return *host; }

    // Stores parsed values (each as the host stores it); unset parameters keep their defaults.
    void Apply(const std::vector<Assignment> &values);
    // The frame is taken as rendered at num/den of the layer size.
    void SetDownsample(int32_t num, uint32_t den) { host->SetDownsample(num, den); }

    // PF_Cmd_RENDER on one frame; status 1 with the effect's return_msg when it reported an error.
    Outcome Render(const aehost::Image &input, aehost::Image &output);

    std::string About() { return host->About(); }

private:
    aehost::Module module;
    std::unique_ptr<aehost::Host> host;
    std::vector<ParamInfo> params;
};

}  // namespace orvcli

#endif
