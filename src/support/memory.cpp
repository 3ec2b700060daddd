#include "support/memory.h"

#include <atomic>
#include <cstdlib>

namespace orv {

#ifdef ORV_FAULT_INJECTION
namespace {
// Atomic, so that renders on several threads count every allocation.
std::atomic<long> g_attempts{0};
std::atomic<long> g_failAt{0};
std::atomic<bool> g_persist{false};
std::atomic<long> g_live{0};
}  // namespace

void SetAllocationFailure(long failAt, bool persist) {
    g_attempts = 0;
    g_failAt = failAt;
    g_persist = persist;
}

long AllocationCount() { return g_attempts; }
long LiveAllocations() { return g_live; }
#endif

void *Allocate(size_t bytes) {
#ifdef ORV_FAULT_INJECTION
    const long attempt = ++g_attempts;
    if (g_failAt > 0 && (attempt == g_failAt || (g_persist && attempt > g_failAt))) return nullptr;
    void *block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block) ++g_live;
    return block;
#else
    return std::malloc(bytes == 0 ? 1 : bytes);
#endif
}

void Release(void *block) {
#ifdef ORV_FAULT_INJECTION
    if (block) --g_live;
#endif
    std::free(block);
}

}  // namespace orv
