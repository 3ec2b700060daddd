#include "support/simd_level.h"

#include <atomic>
#include <cstdlib>

namespace orv {

namespace {

// The module's one cached dispatch decision: -1 until first use, then a SimdLevel. Atomic so that
// a host calling from more than one thread over the process's life reads a whole value.
std::atomic<int32_t> g_level{-1};

SimdLevel Detect() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    // The builtins also check that the operating system saves the wider registers.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi"))
        return SimdLevel::kAvx512;
    if (__builtin_cpu_supports("avx2")) return SimdLevel::kAvx2;
    if (__builtin_cpu_supports("sse2")) return SimdLevel::kSse2;
#endif
    return SimdLevel::kScalar;
}

SimdLevel Capped(SimdLevel wanted) {
    const SimdLevel cpu = CpuSimdLevel();
    return static_cast<int32_t>(wanted) < static_cast<int32_t>(cpu) ? wanted : cpu;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const char *text, const char *name) {
    for (; *text && *name; ++text, ++name)
        if (Lower(*text) != *name) return false;
    return *text == 0 && *name == 0;
}

}  // namespace

SimdLevel CpuSimdLevel() {
    // Detection has no side effects and gives the same answer every time: no need to cache it.
    return Detect();
}

SimdLevel ActiveSimdLevel() {
    int32_t level = g_level.load(std::memory_order_relaxed);
    if (level < 0) {
        SimdLevel chosen = CpuSimdLevel();
        SimdLevel forced;
        if (ParseSimdLevel(std::getenv("ORVANE_SIMD"), &forced)) chosen = Capped(forced);
        level = static_cast<int32_t>(chosen);
        g_level.store(level, std::memory_order_relaxed);
    }
    return static_cast<SimdLevel>(level);
}

SimdLevel SetSimdLevel(SimdLevel level) {
    const SimdLevel capped = Capped(level);
    g_level.store(static_cast<int32_t>(capped), std::memory_order_relaxed);
    return capped;
}

const char *SimdLevelName(SimdLevel level) {
    switch (level) {
        case SimdLevel::kScalar: return "scalar";
        case SimdLevel::kSse2: return "sse2";
        case SimdLevel::kAvx2: return "avx2";
        case SimdLevel::kAvx512: return "avx512";
    }
    return "scalar";
}

bool ParseSimdLevel(const char *text, SimdLevel *level) {
    if (!text) return false;
    for (int32_t i = 0; i < kSimdLevelCount; ++i) {
        const SimdLevel candidate = static_cast<SimdLevel>(i);
        if (SameName(text, SimdLevelName(candidate))) {
            *level = candidate;
            return true;
        }
    }
    return false;
}

}  // namespace orv
