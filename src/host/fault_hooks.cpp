// Exported by the test build of the module only: lets tests make the Nth allocation fail, and choose
// the vector level of the row loops, while they drive the module through `main`.
#include "support/memory.h"
#include "support/simd_level.h"

extern "C" __attribute__((visibility("default"))) void OrvTestFailAllocation(long failAt) {
    orv::SetAllocationFailure(failAt);
}

extern "C" __attribute__((visibility("default"))) long OrvTestAllocationCount() { return orv::AllocationCount(); }

// Level 0 (scalar) to 3 (AVX-512), capped at the CPU's best; returns the level now in force.
extern "C" __attribute__((visibility("default"))) int OrvTestSetSimdLevel(int level) {
    const int wanted = level < 0 ? 0 : level;
    return static_cast<int>(orv::SetSimdLevel(static_cast<orv::SimdLevel>(wanted)));
}
