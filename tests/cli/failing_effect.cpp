// A stand-in module: forwards to the allocation-failure build, which fails allocation N of each render and every
// later one when $ORVANE_TEST_FAIL_FROM is N > 0, so the effect reports the failure itself as it would for real.
#include <dlfcn.h>

#include <cstdlib>

#include "host/ae_interface.h"

extern "C" __attribute__((visibility("default"))) PF_Err Forward(PF_Cmd cmd, PF_InData *in, PF_OutData *out, PF_ParamDef *params[],
                                                                PF_LayerDef *output, void *extra) __asm__("main");
PF_Err Forward(PF_Cmd cmd, PF_InData *in, PF_OutData *out, PF_ParamDef *params[], PF_LayerDef *output, void *extra) {
    static void *module = dlopen(ORV_FAULT_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!module) return PF_Err_INTERNAL_STRUCT_DAMAGED;
    const char *from = std::getenv("ORVANE_TEST_FAIL_FROM");
    if (cmd == PF_Cmd_RENDER) reinterpret_cast<void (*)(long)>(dlsym(module, "OrvTestFailAllocationsFrom"))(from ? std::atol(from) : 0);
    return reinterpret_cast<PF_FilterProc>(dlsym(module, "main"))(cmd, in, out, params, output, extra);
}
