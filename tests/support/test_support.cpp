#include "support/test_support.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

namespace orvtest {

static aehost::Module &Load(aehost::Module &module, const char *path) {
    std::string error;
    if (!module.Entry() && !module.Load(path, &error)) throw std::runtime_error("cannot load module: " + error);
    return module;
}

aehost::Module &ShippedModule() {
    static aehost::Module module;
    return Load(module, ORV_MODULE_PATH);
}

aehost::Module &FaultModule() {
    static aehost::Module module;
    return Load(module, ORV_FAULT_MODULE_PATH);
}

std::unique_ptr<aehost::Host> ReadyHost(aehost::Module &module) {
    auto host = std::make_unique<aehost::Host>(module.Entry());
    host->GlobalSetup();
    host->ParamsSetup();
    host->ClearCalls();
    return host;
}

std::vector<orv::SimdLevel> Levels() {
    std::vector<orv::SimdLevel> levels;
    for (int32_t i = 0; i <= static_cast<int32_t>(orv::CpuSimdLevel()); ++i) levels.push_back(orv::SimdLevel(i));
    return levels;
}

static int SetModuleLevel(orv::SimdLevel level) {
    auto set = reinterpret_cast<int (*)(int)>(FaultModule().Symbol("OrvTestSetSimdLevel"));
    if (!set) throw std::runtime_error("the test module exports no level setter");
    return set(static_cast<int>(level));
}

ForcedLevel::ForcedLevel(orv::SimdLevel level) {
    if (orv::SetSimdLevel(level) != level || SetModuleLevel(level) != static_cast<int>(level))
        throw std::runtime_error(std::string("cannot force level ") + orv::SimdLevelName(level));
}

ForcedLevel::~ForcedLevel() {
    orv::SetSimdLevel(orv::CpuSimdLevel());
    SetModuleLevel(orv::CpuSimdLevel());
}

const FaultHooks &Hooks() {
    static const FaultHooks hooks = [] {
        aehost::Module &m = FaultModule();
        FaultHooks h{reinterpret_cast<void (*)(long)>(m.Symbol("OrvTestFailAllocation")),
                     reinterpret_cast<void (*)(long)>(m.Symbol("OrvTestFailAllocationsFrom")),
                     reinterpret_cast<long (*)()>(m.Symbol("OrvTestAllocationCount")),
                     reinterpret_cast<long (*)()>(m.Symbol("OrvTestLiveAllocations")),
                     reinterpret_cast<void *(*)(int32_t)>(m.Symbol("OrvTestNewHandle"))};
        if (!h.fail || !h.failFrom || !h.count || !h.live || !h.newHandle)
            throw std::runtime_error("the test module lacks its fault hooks");
        return h;
    }();
    return hooks;
}

int MemoryMessages(const aehost::Host &host) {
    int n = 0;
    for (const aehost::CallRecord &call : host.Calls())
        n += call.name == "sprintf" && call.text == "Memory Allocation Failure!";
    return n;
}

aehost::Image RandomImage(std::mt19937 &rng, int32_t width, int32_t height, int32_t padding) {
    aehost::Image image = aehost::Image::Make(width, height, width * 4 + padding);
    for (uint8_t &b : image.pixels) b = static_cast<uint8_t>(rng());
    return image;
}

static double Typed(std::mt19937 &rng, double low, double high) {
    return std::round(std::uniform_real_distribution<double>(low, high)(rng) * 100) / 100;
}

orvref::HostValues RandomValues(std::mt19937 &rng, int run, int32_t choose, int shape, int32_t width, int32_t height,
                                bool extreme) {
    orvref::HostValues v;
    v.choosePixels = choose;
    v.reverse = shape & 2;
    const bool zero = shape & 1, soft = shape & 4;
    v.brightness = run % 7 == 0 ? 0 : Typed(rng, -100, 100);
    v.contrast = run % 11 == 0 ? 100 : Typed(rng, -100, 100);
    v.channels = 1 + run % 9;
    const double mixes[] = {0, 0.2, 50, 100, -1, 0};
    v.mix = mixes[run % 6] < 0 ? Typed(rng, 0, 100) : mixes[run % 6];
    v.color = PF_Pixel{uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), uint8_t(rng())};
    if (choose == 8 || choose == 14) {  // Hue, Angle: degrees; shown 90 reads as 0
        v.angleStart = zero ? 90 : Typed(rng, -270, 450);
        v.angleEnd = v.angleStart + Typed(rng, -40, 300);
        v.blend = soft ? Typed(rng, 1, 30) : 0;
    } else if (choose >= 11) {  // in percent of the frame width: at least two pixels of blend
        v.rangeStart = zero ? 0 : Typed(rng, 1, 40);
        v.rangeEnd = Typed(rng, v.rangeStart, 100);
        v.blend = soft ? Typed(rng, 200.0 / width, 50) : 0;
    } else {
        v.rangeStart = zero ? 0 : Typed(rng, 0.5, 60);
        v.rangeEnd = Typed(rng, v.rangeStart, 90);
        v.blend = soft ? Typed(rng, 1, 30) : 0;
    }
    if (choose >= 11) {
        v.centerSet = run % 5 != 0;
        v.centerX = Typed(rng, -0.2 * width, 1.2 * width);
        v.centerY = Typed(rng, -0.2 * height, 1.2 * height);
        v.stretch = (run % 3 - 1) * Typed(rng, 1, 100);
    }
    if (extreme) {  // one value at the far ends of what a host can store, or a popup outside its list
        double orvref::HostValues::*const fields[] = {
            &orvref::HostValues::brightness, &orvref::HostValues::contrast, &orvref::HostValues::mix,
            &orvref::HostValues::rangeStart, &orvref::HostValues::rangeEnd, &orvref::HostValues::angleStart,
            &orvref::HostValues::angleEnd,   &orvref::HostValues::blend,    &orvref::HostValues::stretch,
            &orvref::HostValues::centerX,    &orvref::HostValues::centerY};
        const double far[] = {INT32_MAX / 65536.0, INT32_MIN / 65536.0, 1000, -1000, 100.5, 36090, 20000, 0.01};
        const int32_t popups[] = {0, -5, 10, 15, 257, 265, INT32_MIN, INT32_MAX};
        if (rng() % 6 == 0)
            (rng() % 2 ? v.channels : v.choosePixels) = popups[rng() % 8];
        else
            v.*fields[rng() % 11] = far[rng() % 8], v.centerSet = true;
    }
    return v;
}

std::string Describe(const orvref::HostValues &v) {
    std::ostringstream s;
    s << "B " << v.brightness << " C " << v.contrast << " channels " << v.channels << " mix " << v.mix << " choose "
      << v.choosePixels << " range " << v.rangeStart << ".." << v.rangeEnd << " angles " << v.angleStart << ".."
      << v.angleEnd << " reverse " << v.reverse << " blend " << v.blend << " stretch " << v.stretch;
    if (v.centerSet) s << " center " << v.centerX << "," << v.centerY;
    return s.str();
}

testing::AssertionResult SamePicture(const std::vector<uint8_t> &got, const std::vector<uint8_t> &expected,
                                     int32_t width, const std::string &name) {
    if (got == expected) return testing::AssertionSuccess();
    size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    const size_t pixel = at / 4, w = width > 0 ? static_cast<size_t>(width) : 1;
    testing::AssertionResult failure = testing::AssertionFailure();
    failure << name << ": " << got.size() << " bytes, expected " << expected.size() << "; first difference at pixel ("
            << pixel % w << "," << pixel / w << ") byte " << at % 4;
    if (at < got.size() && at < expected.size()) failure << ": " << int(got[at]) << " expected " << int(expected[at]);
    return failure;
}

}  // namespace orvtest
