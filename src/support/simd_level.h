// Which vector instructions the row loops use. The scalar loops are the reference; every other
// level computes exactly the same bytes, only faster. The level is chosen once per process from the
// CPU (cpuid), may be forced lower with ORVANE_SIMD for diagnosis, and never exceeds what the CPU runs.
#ifndef ORV_SUPPORT_SIMD_LEVEL_H
#define ORV_SUPPORT_SIMD_LEVEL_H

#include <cstdint>

namespace orv {

enum class SimdLevel : int32_t {
    kScalar = 0,  // plain C++ loops, no intrinsics
    kSse2 = 1,    // every x86-64 CPU; the floor of the 32-bit module
    kAvx2 = 2,    // AVX2
    kAvx512 = 3   // AVX-512 F, BW, VL and VBMI
};
constexpr int32_t kSimdLevelCount = 4;

// The best level this CPU and its operating system support.
SimdLevel CpuSimdLevel();

// The level the render uses: the CPU's best, or the one ORVANE_SIMD names (scalar, sse2, avx2,
// avx512; read once, on first use), capped at the CPU's best. An unknown name is ignored.
SimdLevel ActiveSimdLevel();

// Forces the level for the rest of the process (tests and benchmarks), capped at the CPU's best;
// returns the level now in force.
SimdLevel SetSimdLevel(SimdLevel level);

// "scalar", "sse2", "avx2", "avx512".
const char *SimdLevelName(SimdLevel level);

// Reads a level name (case-insensitive); false when it names none.
bool ParseSimdLevel(const char *text, SimdLevel *level);

}  // namespace orv

#endif
