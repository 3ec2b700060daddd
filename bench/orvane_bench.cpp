// Benchmarks of the effect: whole renders through the module's `main` (as a host drives it) and each
// pass on its own (through the core library), at every vector level this CPU runs, with memcpy of
// the same frame as the yardstick and OpenCV's cv::LUT as the peer. Every figure is reported as a
// ratio to memcpy of the same frame timed within the same benchmark (counter x_memcpy, thread CPU
// time; medians in the closing table when repetitions are asked for).
//
//   orvane_bench [google-benchmark flags] [--frames=1080p,1080p-noise,2160p,2160p-noise]
//                [--levels=scalar,sse2,avx2,avx512]
#include <benchmark/benchmark.h>

#include <dlfcn.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "aehost.h"
#include "bench_frames.h"
#include "chooser/pixel_chooser.h"
#include "effect/render_settings.h"
#include "render/channel_pass.h"
#include "render/lookup_processor.h"
#include "support/simd_level.h"
#include "support/world_image.h"

#ifdef ORV_BENCH_OPENCV
#include <opencv2/core.hpp>
#endif

namespace {

using aehost::Host;
using aehost::Image;
using orv::SimdLevel;

// ---- frames ---------------------------------------------------------------------------------------

struct FrameSpec {
    std::string name;
    int32_t width, height;
    bool photo;
};

const Image &FrameFor(const FrameSpec &frameSpec) {
    static std::map<std::string, std::unique_ptr<Image>> frames;
    auto &slot = frames[frameSpec.name];
    if (!slot) {
        std::string error;
        Image image = frameSpec.photo ? orvbench::PhotoFrame(frameSpec.width, frameSpec.height, &error)
                                 : orvbench::NoiseFrame(frameSpec.width, frameSpec.height, 20240611u);
        if (image.pixels.empty()) {
            std::fprintf(stderr, "cannot make frame %s: %s\n", frameSpec.name.c_str(), error.c_str());
            std::exit(2);
        }
        slot = std::make_unique<Image>(std::move(image));
    }
    return *slot;
}

size_t FrameBytes(const Image &image) { return static_cast<size_t>(image.rowbytes) * image.height; }

void SetBytes(benchmark::State &state, const Image &image) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(FrameBytes(image)));
}

// This thread's CPU time in seconds: the machine may be shared, and one thread does all the work.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The median CPU time of a memcpy of the frame into `scratch` (11 copies after 2 unmeasured).
double MemcpySeconds(const Image &in, Image &scratch) {
    std::vector<double> times;
    for (int i = 0; i < 13; ++i) {
        const double t0 = ThreadSeconds();
        std::memcpy(scratch.pixels.data(), in.pixels.data(), FrameBytes(in));
        benchmark::ClobberMemory();
        if (i >= 2) times.push_back(ThreadSeconds() - t0);
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

// Runs the benchmark loop over `step` and reports x_memcpy: its CPU time per iteration over that of
// a memcpy of the same frame, measured just before and just after the loop (so that both see the
// same machine, whatever else it is doing).
template <typename Step>
void TimedAgainstMemcpy(benchmark::State &state, const Image &in, Step step) {
    Image scratch = Image::Make(in.width, in.height);
    step();  // first touch of every buffer, unmeasured
    const double before = MemcpySeconds(in, scratch);
    double spent = 0;
    for (auto _ : state) {
        const double t0 = ThreadSeconds();
        step();
        benchmark::ClobberMemory();
        spent += ThreadSeconds() - t0;
    }
    const double after = MemcpySeconds(in, scratch);
    const double reference = 0.5 * (before + after);
    if (state.iterations() > 0 && reference > 0)
        state.counters["x_memcpy"] = spent / static_cast<double>(state.iterations()) / reference;
    SetBytes(state, in);
}

// ---- the yardstick and the peer -------------------------------------------------------------------

void Memcpy(benchmark::State &state, const FrameSpec &frameSpec) {
    const Image &in = FrameFor(frameSpec);
    Image out = Image::Make(in.width, in.height);
    TimedAgainstMemcpy(state, in, [&] { std::memcpy(out.pixels.data(), in.pixels.data(), FrameBytes(in)); });
}

// The table the renders use (Brightness 20, Contrast 30), built by the effect's own code.
std::vector<uint8_t> BenchTable() {
    orv::WorldImage none;
    orv::LookupProcessor processor(none, none, 0.0f, nullptr, 0);
    processor.BuildBrightnessContrastTable(20.0f, 30.0f);
    return std::vector<uint8_t>(processor.Table(), processor.Table() + 256);
}

#ifdef ORV_BENCH_OPENCV
// cv::LUT on one thread with a four-channel table: identity on byte 0 (alpha), the effect's table on
// red, green and blue.
void OpenCvLut(benchmark::State &state, const FrameSpec &frameSpec) {
    cv::setNumThreads(1);
    const Image &in = FrameFor(frameSpec);
    Image out = Image::Make(in.width, in.height);
    const std::vector<uint8_t> table = BenchTable();
    cv::Mat lut(1, 256, CV_8UC4);
    for (int j = 0; j < 256; ++j) lut.at<cv::Vec4b>(0, j) = cv::Vec4b(uint8_t(j), table[j], table[j], table[j]);
    cv::Mat src(in.height, in.width, CV_8UC4, const_cast<uint8_t *>(in.pixels.data()), in.rowbytes);
    cv::Mat dst(out.height, out.width, CV_8UC4, out.pixels.data(), out.rowbytes);
    TimedAgainstMemcpy(state, in, [&] { cv::LUT(src, lut, dst); });
}
#endif

// ---- whole renders through main ------------------------------------------------------------------

aehost::Module &LoadModule(const char *path) {
    static std::map<std::string, std::unique_ptr<aehost::Module>> modules;
    auto &slot = modules[path];
    if (!slot) {
        slot = std::make_unique<aehost::Module>();
        std::string error;
        if (!slot->Load(path, &error)) {
            std::fprintf(stderr, "cannot load %s: %s\n", path, error.c_str());
            std::exit(2);
        }
    }
    return *slot;
}

struct RenderCase {
    std::string name;
    int32_t choose = 1;  // "Choose Pixels by", 1-based
    bool soft = false;
    double mix = 0;
    int32_t channels = 1;  // 1-based
};

// Settings that choose part of a photograph in every mode, with ramps when soft.
void Apply(Host &host, const RenderCase &c) {
    host.ResetValues();
    host.SetSlider("Brightness", 20);
    host.SetSlider("Contrast", 30);
    host.SetSlider("Mix with Original", c.mix);
    host.SetPopup("Channels", c.channels);
    host.SetPopup("Choose Pixels by", c.choose);
    const int32_t mode = c.choose - 1;
    if (mode == orv::kChooseHue || mode == orv::kChooseAngle) {
        host.SetAngle("Angle Start", 120);  // shown angles: 30..200 degrees as read
        host.SetAngle("Angle End", 290);
        host.SetSlider("Blend", c.soft ? 10 : 0);
    } else if (mode == orv::kChooseRgbDiff) {
        host.SetColor("Color", PF_Pixel{255, 200, 120, 60});
        host.SetSlider("Range Start", 5);
        host.SetSlider("Range End", 40);
        host.SetSlider("Blend", c.soft ? 10 : 0);
    } else if (mode == orv::kChoosePoint || mode == orv::kChooseRectangle) {
        host.SetSlider("Range Start", 10);
        host.SetSlider("Range End", 40);
        host.SetSlider("Blend", c.soft ? 5 : 0);
        host.SetSlider("Stretch", mode == orv::kChoosePoint ? 30 : -30);
    } else if (mode == orv::kChooseEdge) {
        host.SetSlider("Range Start", 0);
        host.SetSlider("Range End", 10);
        host.SetSlider("Blend", c.soft ? 5 : 0);
    } else {
        host.SetSlider("Range Start", 15);
        host.SetSlider("Range End", 60);
        host.SetSlider("Blend", c.soft ? 10 : 0);
    }
}

std::vector<RenderCase> RenderCases() {
    std::vector<RenderCase> cases;
    cases.push_back({"all_hard", 1, false, 0, 1});
    cases.push_back({"mix50", 1, false, 50, 1});
    cases.push_back({"channels_red", 1, false, 0, 2});
    cases.push_back({"channels_difference", 1, false, 0, 8});
    const char *modes[] = {"luma", "red", "green", "blue", "alpha", "saturation", "hue", "lightness", "rgbdiff",
                           "point", "rectangle", "edge", "angle"};
    for (int32_t m = 0; m < 13; ++m) {
        cases.push_back({std::string(modes[m]) + "_hard", m + 2, false, 0, 1});
        cases.push_back({std::string(modes[m]) + "_soft", m + 2, true, 0, 1});
    }
    return cases;
}

using SetLevelProc = int (*)(int);

// Sets the host up with the case's values; the step renders `in` into `out` once, noting a failure.
auto Renderer(Host &host, const RenderCase &c, const Image &in, Image *out, bool *failed) {
    host.GlobalSetup();
    host.ParamsSetup();
    Apply(host, c);
    *out = Image::Make(in.width, in.height);
    return [&host, &in, out, failed] {
        host.ClearCalls();
        *failed = *failed || host.Render(in, *out) != 0;
    };
}

void WholeRender(benchmark::State &state, const FrameSpec &frameSpec, const RenderCase &c, int level) {
    // A forced level needs the test build of the module (it exports the setter); -1 = the shipped one.
    aehost::Module *module = nullptr;
    (void)level;  // without the test build only the shipped module's own level can be measured
#ifdef ORV_FAULT_MODULE_PATH
    if (level >= 0) {
        module = &LoadModule(ORV_FAULT_MODULE_PATH);
        auto set = reinterpret_cast<SetLevelProc>(module->Symbol("OrvTestSetSimdLevel"));
        if (!set || set(level) != level) {
            state.SkipWithError("level not available");
            return;
        }
    }
#endif
    if (!module) module = &LoadModule(ORV_MODULE_PATH);
    Host host(module->Entry());
    const Image &in = FrameFor(frameSpec);
    Image out;
    bool failed = false;
    auto render = Renderer(host, c, in, &out, &failed);
    TimedAgainstMemcpy(state, in, render);
    if (failed) state.SkipWithError("render failed");
}

// Frames per second through the shipped module's main, one host per thread, all threads rendering at
// once (threaded rendering). Module and frame are made before the threads start.
void ThreadedRender(benchmark::State &state, const FrameSpec &frameSpec, const RenderCase &c) {
    Host host(LoadModule(ORV_MODULE_PATH).Entry());
    const Image &in = FrameFor(frameSpec);
    Image out;
    bool failed = false;
    auto render = Renderer(host, c, in, &out, &failed);
    for (auto _ : state) render();
    state.SetItemsProcessed(state.iterations());  // items = frames: items_per_second is frames per second
    if (failed) state.SkipWithError("render failed");
}

#ifdef ORV_FREI0R_PATH
// The frei0r plug-in's f0r_update on the frame (Brightness 20, hard "All"), its two pixel-order
// conversions included, as ffmpeg or MLT calls it.
void Frei0rUpdate(benchmark::State &state, const FrameSpec &frameSpec) {
    void *plugin = dlopen(ORV_FREI0R_PATH, RTLD_NOW | RTLD_LOCAL);
    auto construct = reinterpret_cast<void *(*)(unsigned, unsigned)>(plugin ? dlsym(plugin, "f0r_construct") : nullptr);
    auto set = reinterpret_cast<void (*)(void *, void *, int)>(plugin ? dlsym(plugin, "f0r_set_param_value") : nullptr);
    auto update = reinterpret_cast<void (*)(void *, double, const uint32_t *, uint32_t *)>(
        plugin ? dlsym(plugin, "f0r_update") : nullptr);
    auto destruct = reinterpret_cast<void (*)(void *)>(plugin ? dlsym(plugin, "f0r_destruct") : nullptr);
    const Image &in = FrameFor(frameSpec);
    void *instance = construct && set && update && destruct ? construct(in.width, in.height) : nullptr;
    if (!instance) {
        state.SkipWithError("cannot load the frei0r plug-in");
        return;
    }
    double brightness = 0.6;  // 0..1 over -100..100
    set(instance, &brightness, 0);
    std::vector<uint32_t> rgba(static_cast<size_t>(in.width) * in.height), out(rgba.size());
    for (int32_t y = 0; y < in.height; ++y) std::memcpy(&rgba[size_t(y) * in.width], in.Row(y), size_t(in.width) * 4);
    TimedAgainstMemcpy(state, in, [&] { update(instance, 0.0, rgba.data(), out.data()); });
    destruct(instance);
}
#endif

// ---- passes on their own, through the core library -------------------------------------------------

struct Views {
    orv::WorldImage source, destination;
    Views(const Image &in, Image &out) {
        source.Attach(static_cast<int16_t>(in.width), static_cast<int16_t>(in.height), in.rowbytes,
                      const_cast<uint8_t *>(in.pixels.data()));
        destination.Attach(static_cast<int16_t>(out.width), static_cast<int16_t>(out.height), out.rowbytes,
                           out.pixels.data());
    }
};

orv::ChooserSettings SettingsFor(const RenderCase &c, int32_t width, int32_t height) {
    orv::ChooserInputs inputs{};
    inputs.mode = c.choose - 1;
    inputs.xFraction = 0.5f;
    inputs.yFraction = 0.5f;
    inputs.color = PF_Pixel{255, 200, 120, 60};
    inputs.stretch = 0;
    const int32_t mode = c.choose - 1;
    if (mode == orv::kChooseHue || mode == orv::kChooseAngle) {
        inputs.angleStart = 30, inputs.angleEnd = 200, inputs.blend = c.soft ? 0.1f : 0.0f;
    } else if (mode == orv::kChooseRgbDiff) {
        inputs.rangeStart = 0.05f, inputs.rangeEnd = 0.4f, inputs.blend = c.soft ? 0.1f : 0.0f;
    } else if (mode == orv::kChoosePoint || mode == orv::kChooseRectangle) {
        inputs.rangeStart = 0.1f, inputs.rangeEnd = 0.4f, inputs.blend = c.soft ? 0.05f : 0.0f;
        inputs.stretch = mode == orv::kChoosePoint ? 30.0f : -30.0f;
    } else if (mode == orv::kChooseEdge) {
        inputs.rangeStart = 0, inputs.rangeEnd = 0.1f, inputs.blend = c.soft ? 0.05f : 0.0f;
    } else {
        inputs.rangeStart = 0.15f, inputs.rangeEnd = 0.6f, inputs.blend = c.soft ? 0.1f : 0.0f;
    }
    return orv::MakeChooserSettings(inputs, width, height);
}

enum class Pass { kLookupAll, kWeightedMix50, kChooserMask, kChooserWeights, kChannelRed, kChannelDifference };

void OnePass(benchmark::State &state, const FrameSpec &frameSpec, Pass pass, const RenderCase &c, int level) {
    if (static_cast<int>(orv::SetSimdLevel(static_cast<SimdLevel>(level))) != level) {
        state.SkipWithError("level not available");
        return;
    }
    const Image &in = FrameFor(frameSpec);
    Image out = Image::Make(in.width, in.height);
    Views views(in, out);
    const orv::ChooserSettings settings = SettingsFor(c, in.width, in.height);
    orv::PixelChooser chooser(0, settings, &views.source);
    const float mix = pass == Pass::kWeightedMix50 ? 50.0f : 0.0f;
    orv::LookupProcessor processor(views.source, views.destination, mix, &chooser, 0);
    processor.BuildBrightnessContrastTable(20.0f, 30.0f);
    processor.RunMasked(false);  // a realistic destination for the channel pass
    orv::ChannelPass channels(views.source, views.destination,
                              pass == Pass::kChannelRed ? orv::kChannelsRed : orv::kChannelsDifference);
    TimedAgainstMemcpy(state, in, [&] {
        switch (pass) {
            case Pass::kLookupAll: processor.RunMasked(false); break;
            case Pass::kWeightedMix50: processor.RunWeighted(); break;
            case Pass::kChooserMask:
            case Pass::kChooserWeights:
                for (int32_t y = 0; y < in.height; ++y) {
                    const PF_Pixel *row = reinterpret_cast<const PF_Pixel *>(in.Row(y));
                    const bool geometric = chooser.IsGeometric();
                    if (pass == Pass::kChooserMask)
                        geometric ? chooser.MaskRow(y) : chooser.MaskPixels(row);
                    else
                        geometric ? chooser.WeightRow(y) : chooser.WeightPixels(row);
                    benchmark::DoNotOptimize(chooser.Weights());
                    benchmark::DoNotOptimize(chooser.Mask());
                }
                break;
            case Pass::kChannelRed:
            case Pass::kChannelDifference: channels.Run(); break;
        }
    });
}

// ---- the closing table -------------------------------------------------------------------------------

// Prints, after the usual output, each benchmark's x_memcpy (the median over repetitions when
// there are repetitions).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            const auto ratio = run.counters.find("x_memcpy");
            if (ratio == run.counters.end()) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type != Run::RT_Aggregate && !repeated))
                ratios[run.run_name.str()] = ratio->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        if (ratios.empty()) return;
        std::ostream &out = GetOutputStream();
        char line[128];
        std::snprintf(line, sizeof line, "\n%-56s %10s\n", repeated ? "benchmark (median of repetitions)" : "benchmark",
                      "x memcpy");
        out << line;
        for (const auto &[name, ratio] : ratios) {
            std::snprintf(line, sizeof line, "%-56s %10.2f\n", name.c_str(), ratio);
            out << line;
        }
        out.flush();
    }

    bool repeated = false;

private:
    std::map<std::string, double> ratios;
};

std::vector<std::string> Split(const std::string &text) {
    std::vector<std::string> parts;
    std::stringstream s(text);
    for (std::string part; std::getline(s, part, ',');)
        if (!part.empty()) parts.push_back(part);
    return parts;
}

// Takes --frames= and --levels= out of the arguments.
std::string TakeOption(int &argc, char **argv, const char *prefix, const std::string &fallback) {
    std::string value = fallback;
    int kept = 0;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix, std::strlen(prefix)) == 0)
            value = argv[i] + std::strlen(prefix);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return value;
}

bool Repeated(int argc, char **argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--benchmark_repetitions=", 24) == 0 && std::atoi(argv[i] + 24) > 1) return true;
    return false;
}

}  // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> frameNames = Split(TakeOption(argc, argv, "--frames=", "1080p,2160p"));
    const std::vector<std::string> levelNames = Split(TakeOption(argc, argv, "--levels=", "scalar,sse2,avx2,avx512"));
    const bool repeated = Repeated(argc, argv);
    benchmark::Initialize(&argc, argv);

    const SimdLevel cpu = orv::CpuSimdLevel();
    std::vector<int> levels;
    for (const std::string &name : levelNames) {
        SimdLevel level;
        if (!orv::ParseSimdLevel(name.c_str(), &level)) {
            std::fprintf(stderr, "unknown level %s\n", name.c_str());
            return 2;
        }
        if (static_cast<int>(level) > static_cast<int>(cpu)) {
            std::fprintf(stderr, "level %s: not supported by this CPU, left out\n", name.c_str());
            continue;
        }
        levels.push_back(static_cast<int>(level));
    }
    std::printf("CPU level: %s\n", orv::SimdLevelName(cpu));

    const std::vector<RenderCase> cases = RenderCases();
    for (const std::string &frameName : frameNames) {
        FrameSpec frameSpec{frameName, 1920, 1080, true};
        if (frameName.rfind("2160p", 0) == 0) frameSpec.width = 3840, frameSpec.height = 2160;
        if (frameName.find("-noise") != std::string::npos) frameSpec.photo = false;
        const std::string f = frameName + "/";
        benchmark::RegisterBenchmark((f + "memcpy").c_str(), Memcpy, frameSpec)->Unit(benchmark::kMillisecond);
#ifdef ORV_BENCH_OPENCV
        benchmark::RegisterBenchmark((f + "cv_lut").c_str(), OpenCvLut, frameSpec)->Unit(benchmark::kMillisecond);
#endif
        for (int level : levels) {
            const std::string l = std::string("/") + orv::SimdLevelName(static_cast<SimdLevel>(level));
            for (const RenderCase &c : cases)
                benchmark::RegisterBenchmark((f + "render/" + c.name + l).c_str(), WholeRender, frameSpec, c, level)
                    ->Unit(benchmark::kMillisecond);
            const RenderCase all{"all", 1, false, 0, 1};
            benchmark::RegisterBenchmark((f + "pass/lookup_all" + l).c_str(), OnePass, frameSpec, Pass::kLookupAll, all,
                                         level)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((f + "pass/weighted_mix50" + l).c_str(), OnePass, frameSpec, Pass::kWeightedMix50,
                                         all, level)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((f + "pass/channel_red" + l).c_str(), OnePass, frameSpec, Pass::kChannelRed, all,
                                         level)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((f + "pass/channel_difference" + l).c_str(), OnePass, frameSpec,
                                         Pass::kChannelDifference, all, level)
                ->Unit(benchmark::kMillisecond);
            for (const RenderCase &c : cases) {
                if (c.choose == 1) continue;
                const std::string base = c.name.substr(0, c.name.rfind('_'));
                benchmark::RegisterBenchmark((f + "pass/chooser_" + base + (c.soft ? "_weights" : "_mask") + l).c_str(),
                                             OnePass, frameSpec, c.soft ? Pass::kChooserWeights : Pass::kChooserMask, c,
                                             level)
                    ->Unit(benchmark::kMillisecond);
            }
        }
#ifdef ORV_FREI0R_PATH
        benchmark::RegisterBenchmark((f + "frei0r/update_all").c_str(), Frei0rUpdate, frameSpec)->Unit(benchmark::kMillisecond);
#endif
        LoadModule(ORV_MODULE_PATH), FrameFor(frameSpec);
        for (const RenderCase &c : {cases[0], cases[cases.size() - 1]})
            benchmark::RegisterBenchmark((f + "threads/" + c.name).c_str(), ThreadedRender, frameSpec, c)
                ->Threads(1)
                ->Threads(2)
                ->UseRealTime()
                ->Unit(benchmark::kMillisecond);
        // The shipped module at the level it picks for itself.
        benchmark::RegisterBenchmark((f + "render/all_hard/shipped").c_str(), WholeRender, frameSpec, cases[0], -1)
            ->Unit(benchmark::kMillisecond);
    }

    RatioReporter reporter;
    reporter.repeated = repeated;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
