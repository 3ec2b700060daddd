// The frei0r plug-in loaded as hosts load it, against the After Effects module driven by aehost with
// the same values: seeded random settings on four threads at once, and the Kdenlive description
// against the plug-in's parameters and the module's registered ranges.
#include <dlfcn.h>
extern "C" {
#include <frei0r.h>
}

#include <fstream>
#include <map>
#include <regex>
#include <thread>

#include "support/test_support.h"

namespace {

template <class F>
F Plugin(const char *name) {
    static void *handle = dlopen(ORV_FREI0R_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    return reinterpret_cast<F>(handle ? dlsym(handle, name) : nullptr);
}
#define F0R(name) Plugin<decltype(&name)>(#name)

// The frei0r value of a host value: the inverse of the documented mapping.
double Unit(double v, double min, double max) { return (v - min) / (max - min); }

void RenderOnThread(int thread, std::vector<std::string> *failures) {
    std::mt19937 rng(4242 + thread);
    const int32_t w = 97, h = 61;
    f0r_instance_t plugin = F0R(f0r_construct)(w, h);
    auto set = [&](double d, int i) { F0R(f0r_set_param_value)(plugin, &d, i); };
    auto host = orvtest::ReadyHost(orvtest::ShippedModule());
    for (int run = 0; run < 28; ++run) {
        orvref::HostValues v = orvtest::RandomValues(rng, run, 1 + run % 14, run / 14 + 2 * thread, w, h);
        if (v.angleStart < 0 || v.angleStart > 360 || v.angleEnd < 0 || v.angleEnd > 360) v.angleEnd = v.angleStart = 200;
        v.color.alpha = 255;
        const double unit[] = {Unit(v.brightness, -100, 100), Unit(v.contrast, -100, 100), 0, v.mix / 100, 0, 0, 0,
                               v.rangeStart / 125, v.rangeEnd / 125, v.angleStart / 360, v.angleEnd / 360,
                               v.reverse ? 1.0 : 0.0, v.blend / 50, Unit(v.stretch, -100, 100)};
        for (int i : {0, 1, 3, 7, 8, 9, 10, 11, 12, 13}) set(unit[i], i);
        std::string channels = std::to_string(v.channels), choose = std::to_string(v.choosePixels);
        const char *texts[] = {channels.c_str(), choose.c_str()};
        F0R(f0r_set_param_value)(plugin, &texts[0], 2);
        F0R(f0r_set_param_value)(plugin, &texts[1], 4);
        f0r_param_color_t color{v.color.red / 255.0f, v.color.green / 255.0f, v.color.blue / 255.0f};
        F0R(f0r_set_param_value)(plugin, &color, 6);
        f0r_param_position_t center{v.centerSet ? v.centerX / w : 0.5, v.centerSet ? v.centerY / h : 0.5};
        F0R(f0r_set_param_value)(plugin, &center, 5);

        aehost::Image argb = orvtest::RandomImage(rng, w, h), expected;
        std::vector<uint8_t> rgba(argb.pixels.size()), got(rgba.size());
        for (size_t p = 0; p < rgba.size(); p += 4)
            for (int c = 0; c < 4; ++c) rgba[p + c] = argb.pixels[p + (c + 1) % 4];
        ApplyHostValues(*host, v);
        host->Render(argb, expected);
        F0R(f0r_update)(plugin, run, reinterpret_cast<uint32_t *>(rgba.data()), reinterpret_cast<uint32_t *>(got.data()));
        for (size_t p = 0; p < rgba.size(); p += 4)
            for (int c = 0; c < 4; ++c) rgba[p + (c + 1) % 4] = got[p + c];
        if (rgba != expected.pixels) failures->push_back(orvtest::Describe(v));
    }
    F0R(f0r_destruct)(plugin);
}

TEST(Frei0r, FourInstancesAtOnceMatchTheModule) {
    ASSERT_NE(F0R(f0r_construct), nullptr) << dlerror();
    std::vector<std::string> failures[4];
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back(RenderOnThread, t, &failures[t]);
    for (std::thread &t : threads) t.join();
    for (auto &list : failures)
        for (auto &f : list) ADD_FAILURE() << f;
}

TEST(Frei0r, KdenliveDescriptionAgreesWithThePlugin) {
    std::ifstream file(ORV_KDENLIVE_XML);
    const std::string xml((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    auto host = orvtest::ReadyHost(orvtest::ShippedModule());
    f0r_instance_t plugin = F0R(f0r_construct)(64, 48);
    const std::regex tag("<parameter ([^>]*)>"), attr("(\\w+)=\"([^\"]*)\""), list("<paramlistdisplay>([^<]*)<");
    auto it = std::sregex_iterator(xml.begin(), xml.end(), tag);
    for (int i = 0; i < 14; ++i) {
        f0r_param_info_t info;
        F0R(f0r_get_param_info)(&info, i);
        if (info.type == F0R_PARAM_POSITION) continue;  // MLT passes no positions
        ASSERT_NE(it, std::sregex_iterator()) << info.name;
        std::map<std::string, std::string> a;
        const std::string attrs = (*it)[1], rest = (it++)->suffix().str();
        for (auto m = std::sregex_iterator(attrs.begin(), attrs.end(), attr); m != std::sregex_iterator(); ++m) a[(*m)[1]] = (*m)[2];
        SCOPED_TRACE(info.name);
        EXPECT_EQ(a["name"], info.name);
        const PF_ParamDef *def = host->Find(info.name);
        union { double d[2]; const char *text; f0r_param_color_t color; } got{};
        F0R(f0r_get_param_value)(plugin, &got, i);
        const double *d = got.d;
        if (info.type == F0R_PARAM_DOUBLE) {
            EXPECT_EQ(a["type"], "constant");
            const double factor = std::stod(a["factor"]), offset = std::stod(a["offset"]);
            EXPECT_DOUBLE_EQ(d[0] * factor + offset, std::stod(a["default"]));
            const bool angle = def->param_type == PF_Param_ANGLE;
            EXPECT_EQ(std::stod(a["min"]), offset);
            EXPECT_EQ(std::stod(a["max"]), factor + offset);
            EXPECT_EQ(offset, angle ? 0 : def->u.fd.valid_min / 65536.0);
            EXPECT_EQ(factor + offset, angle ? 360 : def->u.fd.valid_max / 65536.0);
        } else if (info.type == F0R_PARAM_STRING) {
            std::smatch shown;
            ASSERT_TRUE(std::regex_search(rest, shown, list));
            std::string names = def->u.pd.u.namesptr;
            names = std::regex_replace(names, std::regex(" *\\|"), ",");
            EXPECT_EQ(shown[1], names);
            std::stringstream items(names);
            for (int k = std::stoi(a["default"]); k > 0; --k) std::getline(items, names, ',');
            EXPECT_EQ(got.text, names);
        } else if (info.type == F0R_PARAM_COLOR) {
            const f0r_param_color_t *c = &got.color;
            char hex[8];
            std::snprintf(hex, sizeof hex, "#%02x%02x%02x", int(c->r * 255), int(c->g * 255), int(c->b * 255));
            EXPECT_EQ(a["default"], hex);
        } else {
            EXPECT_EQ(a["type"], "bool");
            EXPECT_EQ(std::stod(a["default"]), d[0]);
        }
    }
    EXPECT_EQ(it, std::sregex_iterator()) << "more parameters than the plug-in has";
    F0R(f0r_destruct)(plugin);
}

}  // namespace
