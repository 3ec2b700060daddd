// Exported by the test build of the module only: lets tests make allocations fail while they
// drive the module through `main`, count the blocks still held, and make a handle the way the
// module does (for global set-down).
#include <cstdint>

#include "support/handles.h"
#include "support/memory.h"
#include "support/simd_level.h"

#define ORV_TEST_EXPORT extern "C" __attribute__((visibility("default")))

// The allocation numbered failAt (from now) fails; 0 disables failures.
ORV_TEST_EXPORT void OrvTestFailAllocation(long failAt) { orv::SetAllocationFailure(failAt); }

// The allocation numbered failAt and every later one fail.
ORV_TEST_EXPORT void OrvTestFailAllocationsFrom(long failAt) { orv::SetAllocationFailure(failAt, true); }

ORV_TEST_EXPORT long OrvTestAllocationCount() { return orv::AllocationCount(); }

ORV_TEST_EXPORT long OrvTestLiveAllocations() { return orv::LiveAllocations(); }

ORV_TEST_EXPORT void *OrvTestNewHandle(int32_t size) { return orv::NewHandle(size); }

// Forces the vector level of the row loops, 0 (scalar) to 3 (AVX-512), capped at the CPU's best, so
// that tests and benchmarks run every level through `main`; returns the level now in force.
ORV_TEST_EXPORT int OrvTestSetSimdLevel(int level) {
    return static_cast<int>(orv::SetSimdLevel(static_cast<orv::SimdLevel>(level < 0 ? 0 : level)));
}
