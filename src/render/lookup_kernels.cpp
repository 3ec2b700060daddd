#include "render/lookup_kernels.h"

namespace orv {

const LookupKernels *LookupKernelsFor(SimdLevel level) {
    switch (level) {
        case SimdLevel::kScalar: return nullptr;
        case SimdLevel::kSse2: return kLookupKernelsSse2;
        case SimdLevel::kAvx2: return kLookupKernelsAvx2;
        case SimdLevel::kAvx512: return kLookupKernelsAvx512;
    }
    return nullptr;
}

}  // namespace orv
