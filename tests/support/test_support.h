// Shared test helpers: the built modules loaded once, hosts ready to render, every vector level the
// CPU runs, seeded random images and settings, the test build's fault hooks.
#ifndef ORV_TESTS_TEST_SUPPORT_H
#define ORV_TESTS_TEST_SUPPORT_H

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "aehost.h"
#include "reference/render_reference.h"
#include "support/random_values.h"
#include "support/simd_level.h"

namespace orvtest {

// The shipped module and the test build (fault hooks, level setter), each loaded once per run.
aehost::Module &ShippedModule();
aehost::Module &FaultModule();

// A host that has run global set-up and parameter set-up on the module.
std::unique_ptr<aehost::Host> ReadyHost(aehost::Module &module);

using orvref::ApplyHostValues;

// Every level this CPU runs, scalar first.
std::vector<orv::SimdLevel> Levels();
// Forces a level in this process and in the test build of the module until destroyed.
class ForcedLevel {
public:
    explicit ForcedLevel(orv::SimdLevel level);
    ~ForcedLevel();
};

// The test build's hooks: allocation N failing alone or from N on (0: none), the allocation count
// since the last arming, the blocks alive, and a handle made the module's way.
struct FaultHooks {
    void (*fail)(long);
    void (*failFrom)(long);
    long (*count)();
    long (*live)();
    void *(*newHandle)(int32_t);
};
const FaultHooks &Hooks();

// How often the module reported its memory message during the host's recorded calls.
int MemoryMessages(const aehost::Host &host);

// Seeded random bytes (all four channels), with optional row padding in bytes.
aehost::Image RandomImage(std::mt19937 &rng, int32_t width, int32_t height, int32_t padding = 0);

std::string Describe(const orvref::HostValues &v);

// Success, or where the first byte differs.
testing::AssertionResult SamePicture(const std::vector<uint8_t> &got, const std::vector<uint8_t> &expected,
                                     int32_t width, const std::string &name);

}  // namespace orvtest

#endif
