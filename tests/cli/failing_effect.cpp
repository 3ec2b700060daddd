// A stand-in effect module for the tests: forwards every call to the allocation-failure build of
// the module and, before each render, makes its allocation number $ORVANE_TEST_FAIL_AT fail, so
// that the effect itself reports "Memory Allocation Failure!" the way a real failure would.
#include <dlfcn.h>

#include <cstdlib>

#include "host/ae_interface.h"

extern "C" PF_Err ForwardingEntry(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                  PF_LayerDef *output, void *extra) __asm__("main")
    __attribute__((visibility("default")));

extern "C" PF_Err ForwardingEntry(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                                  PF_LayerDef *output, void *extra) {
    static void *module = dlopen(ORV_FAULT_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!module) return PF_Err_INTERNAL_STRUCT_DAMAGED;
    auto entry = reinterpret_cast<PF_FilterProc>(dlsym(module, "main"));
    auto fail = reinterpret_cast<void (*)(long)>(dlsym(module, "OrvTestFailAllocation"));
    if (cmd == PF_Cmd_RENDER) {
        const char *at = std::getenv("ORVANE_TEST_FAIL_AT");
        fail(at ? std::atol(at) : 0);
    }
    return entry(cmd, in_data, out_data, params, output, extra);
}
