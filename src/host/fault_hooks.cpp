// Exported by the test build of the module only: lets tests make the Nth allocation fail while they
// drive the module through `main`.
#include "support/memory.h"

extern "C" __attribute__((visibility("default"))) void OrvTestFailAllocation(long failAt) {
    orv::SetAllocationFailure(failAt);
}

extern "C" __attribute__((visibility("default"))) long OrvTestAllocationCount() { return orv::AllocationCount(); }
