#include "support/memory.h"

#include <cstdlib>

namespace orv {

#ifdef ORV_FAULT_INJECTION
namespace {
long g_attempts = 0;
long g_failAt = 0;
}  // namespace

void SetAllocationFailure(long failAt) {
    g_attempts = 0;
    g_failAt = failAt;
}

long AllocationCount() { return g_attempts; }
#endif

void *Allocate(size_t bytes) {
#ifdef ORV_FAULT_INJECTION
    if (++g_attempts == g_failAt) return nullptr;
#endif
    return std::malloc(bytes == 0 ? 1 : bytes);
}

void Release(void *block) { std::free(block); }

}  // namespace orv
