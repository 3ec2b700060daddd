// The frei0r plug-in loaded as hosts load it, against the After Effects module driven by aehost with
// the same values: seeded random settings on four threads at once.
#include <dlfcn.h>
extern "C" {
#include <frei0r.h>
}

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
    ASSERT_TRUE(F0R(f0r_construct) && orvtest::ShippedModule().Entry()) << dlerror();  // loaded before the threads
    std::vector<std::string> failures[4];
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back(RenderOnThread, t, &failures[t]);
    for (std::thread &t : threads) t.join();
    for (auto &list : failures) EXPECT_EQ(list, std::vector<std::string>());
}

}  // namespace
