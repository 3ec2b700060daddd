// Four instances of the plug-in rendering their own seeded frames and settings (every mode over the four)
// on four threads at once give what each gives alone. Usage: instances_test PLUGIN.so (exits: how many differ)
#include <dlfcn.h>
#include <frei0r.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

static void *plugin;
#define F0R(name) reinterpret_cast<decltype(&name)>(dlsym(plugin, #name))

// Seven 97 x 61 frames, every parameter set anew before each; none when no instance is made.
static std::vector<uint32_t> Render(int seed) {
    std::mt19937 rng(seed);
    f0r_instance_t instance = F0R(f0r_construct)(97, 61);
    std::vector<uint32_t> in(97 * 61), out;
    for (int frame = 0; instance && frame < 7; ++frame) {
        double unit[14];
        for (double &d : unit) d = rng() % 1001 / 1000.0;
        const std::string texts[] = {std::to_string(1 + rng() % 9), std::to_string(1 + (seed * 7 + frame) % 14)};
        const char *choices[] = {texts[0].c_str(), texts[1].c_str()};
        f0r_param_position_t center{unit[4], unit[5]};
        f0r_param_color_t color{float(unit[2]), float(unit[6]), float(unit[8])};
        void *values[] = {&unit[0], &unit[1], &choices[0], &unit[3], &choices[1], &center, &color};
        for (int i = 0; i < 14; ++i) F0R(f0r_set_param_value)(instance, i < 7 ? values[i] : &unit[i], i);
        for (uint32_t &pixel : in) pixel = rng();
        out.resize(out.size() + in.size());
        F0R(f0r_update)(instance, frame, in.data(), &out[out.size() - in.size()]);
    }
    F0R(f0r_destruct)(instance);
    return out;
}

int main(int, char **argv) {
    if (!(plugin = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL))) return 9;
    std::vector<uint32_t> together[4];
    std::thread threads[4];
    for (int t = 0; t < 4; ++t) threads[t] = std::thread([t, &together] { together[t] = Render(t); });
    for (std::thread &thread : threads) thread.join();
    int differing = 0;  // each against the same instance rendering alone, once all threads are done
    for (int t = 0; t < 4; ++t) differing += together[t].empty() || Render(t) != together[t];
    return differing;
}
