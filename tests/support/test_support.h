// Shared test helpers: the built modules loaded once, hosts ready to render, every vector level the
// CPU runs, the test build's fault hooks, seeded random images and settings.
#ifndef ORV_TESTS_TEST_SUPPORT_H
#define ORV_TESTS_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "aehost.h"
#include "reference/render_reference.h"
#include "support/random_values.h"
#include "support/simd_level.h"

namespace orvtest {

using orvref::ApplyHostValues;

inline aehost::Module &Loaded(aehost::Module &module, const char *path) {
    std::string error;
    if (!module.Entry() && !module.Load(path, &error)) throw std::runtime_error("cannot load module: " + error);
    return module;
}
// The shipped module, and the test build (fault hooks, level setter), each loaded once per run.
inline aehost::Module &ShippedModule() {
    static aehost::Module module;
    return Loaded(module, ORV_MODULE_PATH);
}
inline aehost::Module &FaultModule() {
    static aehost::Module module;
    return Loaded(module, ORV_FAULT_MODULE_PATH);
}

// A test build symbol; a missing one fails loudly rather than skipping a check.
template <class F>
F Hook(const char *name) {
    F f = reinterpret_cast<F>(FaultModule().Symbol(name));
    if (!f) throw std::runtime_error(std::string("the test module does not export ") + name);
    return f;
}

// A host that has run global set-up and parameter set-up on the module.
inline std::unique_ptr<aehost::Host> ReadyHost(aehost::Module &module) {
    auto host = std::make_unique<aehost::Host>(module.Entry());
    host->GlobalSetup();
    host->ParamsSetup();
    host->ClearCalls();
    return host;
}

// Every level this CPU runs, scalar first.
inline std::vector<orv::SimdLevel> Levels() {
    std::vector<orv::SimdLevel> levels;
    for (int32_t i = 0; i <= static_cast<int32_t>(orv::CpuSimdLevel()); ++i) levels.push_back(orv::SimdLevel(i));
    return levels;
}

// Forces a level in this process and in the test build of the module until destroyed.
struct ForcedLevel {
    explicit ForcedLevel(orv::SimdLevel level) {
        if (orv::SetSimdLevel(level) != level || Hook<int (*)(int)>("OrvTestSetSimdLevel")(int(level)) != int(level))
            throw std::runtime_error(std::string("cannot force level ") + orv::SimdLevelName(level));
    }
    ~ForcedLevel() { Hook<int (*)(int)>("OrvTestSetSimdLevel")(int(orv::SetSimdLevel(orv::CpuSimdLevel()))); }
};

// The test build's allocation hooks: allocation N failing alone or from N on (0: none), the count
// since the last arming, the blocks alive.
struct FaultHooks {
    void (*fail)(long) = Hook<void (*)(long)>("OrvTestFailAllocation");
    void (*failFrom)(long) = Hook<void (*)(long)>("OrvTestFailAllocationsFrom");
    long (*count)() = Hook<long (*)()>("OrvTestAllocationCount");
    long (*live)() = Hook<long (*)()>("OrvTestLiveAllocations");
};

// How often the module reported its memory message during the host's recorded calls.
inline long MemoryMessages(const aehost::Host &host) {
    return std::count_if(host.Calls().begin(), host.Calls().end(),
                         [](auto &c) { return c.name == "sprintf" && c.text == "Memory Allocation Failure!"; });
}

// Seeded random bytes (all four channels), with optional row padding in bytes.
inline aehost::Image RandomImage(std::mt19937 &rng, int32_t width, int32_t height, int32_t padding = 0) {
    aehost::Image image = aehost::Image::Make(width, height, width * 4 + padding);
    for (uint8_t &b : image.pixels) b = static_cast<uint8_t>(rng());
    return image;
}

inline std::string Describe(const orvref::HostValues &v) {
    std::ostringstream s;
    s << "B " << v.brightness << " C " << v.contrast << " channels " << v.channels << " mix " << v.mix << " choose "
      << v.choosePixels << " range " << v.rangeStart << ".." << v.rangeEnd << " angles " << v.angleStart << ".."
      << v.angleEnd << " reverse " << v.reverse << " blend " << v.blend << " stretch " << v.stretch;
    if (v.centerSet) s << " center " << v.centerX << "," << v.centerY;
    return s.str();
}

}  // namespace orvtest

#endif
