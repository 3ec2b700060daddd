#include "effect_runner.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace orvcli {

namespace {

bool Exists(const std::string &path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string ExecutableFolder() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "";
    std::string path(buffer, static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

}  // namespace

std::string FindModule(const std::string &option, std::string *tried) {
    if (!option.empty()) return option;
    if (const char *env = std::getenv("ORVANE_MODULE"); env && *env) return env;
    std::string here = ExecutableFolder();
    std::string candidates[] = {here + "/OrvaneBrightnessContrast.so",
                                here + "/" ORVANE_INSTALLED_MODULE_DIR "/OrvaneBrightnessContrast.so", ORVANE_BUILT_MODULE};
    tried->clear();
    for (const std::string &candidate : candidates) {
        if (Exists(candidate)) return candidate;
        *tried += (tried->empty() ? "" : ", ") + candidate;
    }
    return "";
}

EffectRunner::~EffectRunner() {
    if (host) host->GlobalSetdown();
}

bool EffectRunner::Load(const std::string &path, std::string *error) {
    std::string why;
    if (!module.Load(path, &why)) {
        *error = "cannot load the effect module " + path + ": " + why;
        return false;
    }
    host = std::make_unique<aehost::Host>(module.Entry());
    host->GlobalSetup();
    host->ParamsSetup();
    params = DescribeParams(host->Registered());
    if (params.empty()) {
        *error = "the effect module " + path + " registered no parameters";
        return false;
    }
    return true;
}

void EffectRunner::Apply(const std::vector<Assignment> &values) {
    for (const Assignment &a : values) {
        const ParamInfo &param = params[static_cast<size_t>(a.slot) - 1];
        std::string name = ShownName(param);
        // fixed / 65536 is exact in double precision, so the host's trunc(x * 65536) gives it back.
        switch (a.type) {
            case PF_Param_FIX_SLIDER: host->SetSlider(name, a.fixed / 65536.0); break;
            case PF_Param_ANGLE: host->SetAngle(name, a.fixed / 65536.0); break;
            case PF_Param_POPUP: host->SetPopup(name, a.choice); break;
            case PF_Param_CHECKBOX: host->SetCheckbox(name, a.on); break;
            case PF_Param_COLOR: host->SetColor(name, a.color); break;
            case PF_Param_POINT: host->SetPoint(name, a.x / 65536.0, a.y / 65536.0); break;
            default: break;
        }
    }
}

Outcome EffectRunner::Render(const aehost::Image &input, aehost::Image &output) {
    if (output.width != input.width || output.height != input.height || output.rowbytes != input.width * 4)
        output = aehost::Image::Make(input.width, input.height);
    PF_OutData &out = host->OutData();
    out.out_flags &= ~PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    std::memset(out.return_msg, 0, sizeof out.return_msg);
    PF_Err status = host->Render(input, output);
    host->ClearCalls();  // the record of callbacks would otherwise grow with every frame
    if (out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) {
        std::string message(out.return_msg, strnlen(out.return_msg, sizeof out.return_msg));
        return Outcome::Fail(1, "the effect reported an error: " + (message.empty() ? "(no message)" : message));
    }
    if (status != 0) return Outcome::Fail(1, "the effect returned error " + std::to_string(status));
    return Outcome::Ok();
}

}  // namespace orvcli
