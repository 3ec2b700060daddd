// Every allocation the module makes goes through here, so that a test build can make the Nth one
// fail and prove that every caller copes.
#ifndef ORV_SUPPORT_MEMORY_H
#define ORV_SUPPORT_MEMORY_H

#include <cstddef>
#include <new>
#include <utility>

namespace orv {

// malloc-like: null on failure (or when a test asked this allocation to fail).
void *Allocate(size_t bytes);
void Release(void *block);

// Makes a T with Allocate; null when the memory cannot be had. T's constructor must not throw.
template <typename T, typename... Args>
T *Create(Args &&...args) {
    void *block = Allocate(sizeof(T));
    return block ? new (block) T(std::forward<Args>(args)...) : nullptr;
}

// Destroys through the (virtual) destructor and releases the memory.
template <typename T>
void Destroy(T *object) {
    if (!object) return;
    object->~T();
    Release(object);
}

#ifdef ORV_FAULT_INJECTION
// Test builds only: the allocation numbered `failAt` (1-based, counted from this call) fails, and
// with `persist` every one after it as well (memory that stays short); 0 disables failures.
// `AllocationCount` tells how many were attempted since.
void SetAllocationFailure(long failAt, bool persist = false);
long AllocationCount();
// Blocks allocated and not yet released since the module was loaded: 0 between calls, or a leak.
long LiveAllocations();
#endif

}  // namespace orv

#endif
