// The effect as a frei0r filter (frei0r API 1.2, Debian's frei0r-plugins-dev header): a sibling host
// adapter. Each frei0r instance is an After Effects host of its own (aehost::Host) driving the
// module's entry point in-process, exactly as `orvane render` drives the loaded module: frei0r values
// become the 16.16, 1-based and pixel values that host stores, and every frame goes through
// PF_Cmd_RENDER. Pixels are rotated from frei0r's R G B A to the effect's A R G B and back.
//
// A frame costs the two rotations and the render itself: the input is rotated into the instance's
// source layer, the effect renders straight into the host's output frame, which is then rotated in
// place. The records that stay the same from frame to frame (the layer size, the points left at their
// defaults, the input layer) are set once, when the instance is made.
//
// Instances share nothing mutable: the module keeps its per-call state per thread, and an instance
// serialises its own calls (MLT may update one instance from several slice threads).
extern "C" {  // the header declares C functions without saying so
#include <frei0r.h>
}

#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "aehost.h"
#include "frei0r_params.h"
#include "pixel_order.h"
#include "resources/plugin_info.h"

extern "C" PF_Err EffectEntry(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                              PF_LayerDef *output, void *extra);

namespace orvfrei0r {
namespace {

class Instance {
public:
    Instance(unsigned width, unsigned height);
    bool Valid() const { return valid; }
    void Set(const void *value, int index);
    void Get(void *value, int index);
    void Update(const uint32_t *in, uint32_t *out);

private:
    PF_ParamDef &Def(int index) { return *host.Find(kParams[index].name); }

    std::mutex busy;
    aehost::Host host{&EffectEntry};
    int32_t width, height;
    bool valid = true;
    // The values as frei0r last gave them (or the defaults), for get_param_value.
    double number[kParamCount] = {};
    f0r_param_color_t color{};
    f0r_param_position_t center{};
    std::string text[kParamCount];
    std::vector<std::string> choices[kParamCount];
    aehost::Image source;
};

Instance::Instance(unsigned width_, unsigned height_)
    : width(static_cast<int32_t>(width_)), height(static_cast<int32_t>(height_)) {
    host.GlobalSetup();
    host.ParamsSetup();
    for (int i = 0; i < kParamCount && valid; ++i) {
        PF_ParamDef *def = host.Find(kParams[i].name);
        valid = def != nullptr;
        if (!valid) break;
        switch (kParams[i].kind) {
            case Kind::kSlider: {
                const PF_FixedSliderDef &s = def->u.fd;
                number[i] = static_cast<double>(s.dephault - s.valid_min) / (s.valid_max - s.valid_min);
                break;
            }
            case Kind::kAngle: number[i] = def->u.ad.dephault / 65536.0 / 360.0; break;
            case Kind::kPopup:
                choices[i] = SplitChoices(def->u.pd.u.namesptr);
                text[i] = choices[i][static_cast<size_t>(def->u.pd.value) - 1];
                break;
            case Kind::kCheckbox: number[i] = def->u.bd.dephault ? 1.0 : 0.0; break;
            case Kind::kColor:
                color = {def->u.cd.dephault.red / 255.0f, def->u.cd.dephault.green / 255.0f,
                         def->u.cd.dephault.blue / 255.0f};
                break;
            case Kind::kPoint:  // registered in percent of the layer
                center = {def->u.td.x_dephault / 65536.0 / 100.0, def->u.td.y_dephault / 65536.0 / 100.0};
                break;
        }
    }
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    valid = valid && width > 0 && height > 0 && n <= SIZE_MAX / 4;
    if (!valid) return;
    source = aehost::Image::Make(width, height);
    host.PrepareRender(source);
    host.ParamArray()[0]->u.ld = source.World();
}

void Instance::Set(const void *value, int index) {
    std::lock_guard<std::mutex> lock(busy);
    const char *name = kParams[index].name;
    switch (kParams[index].kind) {
        case Kind::kSlider: {
            number[index] = *static_cast<const double *>(value);
            const PF_FixedSliderDef &s = Def(index).u.fd;
            host.SetSlider(name, SliderValue(number[index], s.valid_min / 65536.0, s.valid_max / 65536.0));
            break;
        }
        case Kind::kAngle:
            number[index] = *static_cast<const double *>(value);
            host.SetAngle(name, AngleDegrees(number[index]));
            break;
        case Kind::kPopup: {
            const char *wanted = *static_cast<const char *const *>(value);
            if (int32_t choice = ParseChoice(wanted, choices[index])) {
                text[index] = wanted;
                host.SetPopup(name, choice);
            }
            break;
        }
        case Kind::kCheckbox:
            number[index] = *static_cast<const double *>(value);
            host.SetCheckbox(name, number[index] >= 0.5);
            break;
        case Kind::kColor:
            color = *static_cast<const f0r_param_color_t *>(value);
            host.SetColor(name, PF_Pixel{255, ColorByte(color.r), ColorByte(color.g), ColorByte(color.b)});
            break;
        case Kind::kPoint:
            center = *static_cast<const f0r_param_position_t *>(value);
            host.SetPoint(name, SixDecimals(center.x * width), SixDecimals(center.y * height));
            break;
    }
}

void Instance::Get(void *value, int index) {
    std::lock_guard<std::mutex> lock(busy);
    switch (kParams[index].kind) {
        case Kind::kPopup: *static_cast<const char **>(value) = text[index].c_str(); break;
        case Kind::kColor: *static_cast<f0r_param_color_t *>(value) = color; break;
        case Kind::kPoint: *static_cast<f0r_param_position_t *>(value) = center; break;
        default: *static_cast<double *>(value) = number[index]; break;
    }
}

void Instance::Update(const uint32_t *in, uint32_t *out) {
    std::lock_guard<std::mutex> lock(busy);
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    // Read before `out` is written: a host may pass one buffer as both.
    RgbaToArgb(in, reinterpret_cast<uint32_t *>(source.pixels.data()), n);
    PF_LayerDef output = source.World();
    output.data = reinterpret_cast<PF_Pixel *>(out);
    host.Call(PF_Cmd_RENDER, &output);  // the effect clears the output first, as in any host
    host.ClearCalls();
    ArgbToRgba(out, out, n);
}

bool InRange(int index) { return index >= 0 && index < kParamCount; }

}  // namespace
}  // namespace orvfrei0r

using orvfrei0r::Instance;

extern "C" {

int f0r_init(void) { return 1; }

void f0r_deinit(void) {}

void f0r_get_plugin_info(f0r_plugin_info_t *info) {
    info->name = ORV_EFFECT_NAME;
    info->author = "Orvane FX";
    info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
    info->color_model = F0R_COLOR_MODEL_RGBA8888;
    info->frei0r_version = FREI0R_MAJOR_VERSION;
    info->major_version = ORV_VERSION_MAJOR;
    info->minor_version = ORV_VERSION_MINOR;
    info->num_params = orvfrei0r::kParamCount;
    info->explanation = "Brightness and contrast through one lookup table, limited to chosen channels and to "
                        "the pixels a chooser selects, mixed with the original";
}

void f0r_get_param_info(f0r_param_info_t *info, int index) {
    if (!orvfrei0r::InRange(index)) return;
    const orvfrei0r::ParamRow &row = orvfrei0r::kParams[index];
    info->name = row.name;
    info->type = orvfrei0r::Frei0rType(row.kind);
    info->explanation = row.explanation;
}

f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
    Instance *instance = new (std::nothrow) Instance(width, height);
    if (instance && !instance->Valid()) {
        delete instance;
        instance = nullptr;
    }
    return instance;
}

void f0r_destruct(f0r_instance_t instance) { delete static_cast<Instance *>(instance); }

void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
    if (instance && param && orvfrei0r::InRange(index)) static_cast<Instance *>(instance)->Set(param, index);
}

void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int index) {
    if (instance && param && orvfrei0r::InRange(index)) static_cast<Instance *>(instance)->Get(param, index);
}

void f0r_update(f0r_instance_t instance, double, const uint32_t *inframe, uint32_t *outframe) {
    if (instance && inframe && outframe) static_cast<Instance *>(instance)->Update(inframe, outframe);
}

}  // extern "C"
