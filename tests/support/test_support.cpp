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
