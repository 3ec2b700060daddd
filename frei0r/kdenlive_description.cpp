// Writes Kdenlive's description of the frei0r filter (frei0r/kdenlive/*.xml) from what the plug-in
// reports (names, types, defaults) and the ranges the module registers, so the shipped file cannot
// drift from either; the build checks the shipped copy against this output.
//   kdenlive_description PLUGIN.so > frei0r_orvane_brightness_contrast.xml
#include <dlfcn.h>
extern "C" {  // the header declares C functions without saying so
#include <frei0r.h>
}

#include <algorithm>
#include <cstdio>
#include <regex>
#include <string>

#include "aehost.h"

extern "C" PF_Err EffectEntry(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                              PF_LayerDef *output, void *extra);

int main(int argc, char **argv) {
    void *plugin = argc == 2 ? dlopen(argv[1], RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (!plugin) return std::fprintf(stderr, "usage: kdenlive_description PLUGIN.so (%s)\n", dlerror()), 2;
    auto info = reinterpret_cast<decltype(&f0r_get_param_info)>(dlsym(plugin, "f0r_get_param_info"));
    auto get = reinterpret_cast<decltype(&f0r_get_param_value)>(dlsym(plugin, "f0r_get_param_value"));
    f0r_instance_t instance = reinterpret_cast<decltype(&f0r_construct)>(dlsym(plugin, "f0r_construct"))(64, 48);
    aehost::Host host(&EffectEntry);
    host.GlobalSetup();
    host.ParamsSetup();
    std::printf("<!DOCTYPE kpartgui>\n<!-- Kdenlive's description of the frei0r filter: real units and ranges over the 0..1 values the\n"
                "     plug-in takes (shown = value x factor + offset). \"Center\" is left out: MLT passes no frei0r\n"
                "     positions, so Point, Rectangle and Angle use the middle of the frame. Written by\n"
                "     kdenlive_description from the plug-in; do not edit. -->\n"
                "<effect tag=\"frei0r.orvane_brightness_contrast\" id=\"frei0r.orvane_brightness_contrast\">\n"
                "    <name>Orvane FX Brightness-Contrast</name>\n"
                "    <description>Brightness and contrast, limited to chosen channels and to the pixels a chooser "
                "selects</description>\n    <author>Orvane FX</author>\n");
    f0r_plugin_info_t plugin_info{};
    reinterpret_cast<decltype(&f0r_get_plugin_info)>(dlsym(plugin, "f0r_get_plugin_info"))(&plugin_info);
    for (int i = 0; i < plugin_info.num_params; ++i) {
        f0r_param_info_t param{};
        info(&param, i);
        union { double d; const char *text; f0r_param_color_t color; } value{};
        get(instance, &value, i);
        const PF_ParamDef *def = host.Find(param.name);
        const char *name = param.name;
        if (param.type == F0R_PARAM_DOUBLE) {
            const bool angle = def->param_type == PF_Param_ANGLE;
            const double min = angle ? 0 : def->u.fd.valid_min / 65536.0, max = angle ? 360 : def->u.fd.valid_max / 65536.0;
            const char *suffix = angle ? " suffix=\"°\"" : min == 0 ? " suffix=\"%\"" : "";
            std::printf("    <parameter type=\"constant\" name=\"%s\" default=\"%g\" min=\"%g\" max=\"%g\" factor=\"%g\" "
                        "offset=\"%g\" decimals=\"2\"%s>\n", name, min + value.d * (max - min), min, max, max - min, min, suffix);
        } else if (param.type == F0R_PARAM_STRING) {
            const std::string shown = std::regex_replace(def->u.pd.u.namesptr, std::regex(" *\\|"), ",");
            const size_t choices = 1 + std::count(shown.begin(), shown.end(), ',');
            std::string numbers = "1";
            for (size_t n = 2; n <= choices; ++n) numbers += ";" + std::to_string(n);
            const long chosen = 1 + std::count(shown.begin(), shown.begin() + shown.find(value.text), ',');
            std::printf("    <parameter type=\"list\" name=\"%s\" default=\"%ld\" paramlist=\"%s\">\n"
                        "        <paramlistdisplay>%s</paramlistdisplay>\n", name, chosen, numbers.c_str(), shown.c_str());
        } else if (param.type == F0R_PARAM_COLOR) {
            std::printf("    <parameter type=\"color\" name=\"%s\" default=\"#%02x%02x%02x\">\n", name,
                        int(value.color.r * 255 + 0.5f), int(value.color.g * 255 + 0.5f), int(value.color.b * 255 + 0.5f));
        } else if (param.type == F0R_PARAM_BOOL) {
            std::printf("    <parameter type=\"bool\" name=\"%s\" default=\"%d\">\n", name, value.d >= 0.5);
        } else {
            continue;  // positions: MLT passes none
        }
        std::printf("        <name>%s</name>\n    </parameter>\n", name);
    }
    std::printf("</effect>\n");
    return 0;
}
