// The module's one export. It is named `main` in the module's symbol table (the host looks it up
// by that name) but is an ordinary function to the compiler, which treats a C++ `main` specially.
#include "effect/brightness_contrast_effect.h"
#include "host/ae_interface.h"
#include "host/host_context.h"

// A program that links the entry point next to its own `main` (the fuzzers) defines ORV_ENTRY_NAME
// empty and calls EffectEntry.
#if defined(ORV_ENTRY_NAME)
#elif defined(_WIN32)
// Exported as `main` by the module definition file (main=EffectEntry), undecorated on both arches.
#define ORV_ENTRY_NAME
#else
#define ORV_ENTRY_NAME __asm__("main") __attribute__((visibility("default")))
#endif

extern "C" PF_Err EffectEntry(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                              PF_LayerDef *output, void *extra) ORV_ENTRY_NAME;

extern "C" PF_Err EffectEntry(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                              PF_LayerDef *output, void *extra) {
    orv::SetHostContext(cmd, in_data, out_data, params, output, extra);
    // The effect object lives for this call: made, dispatched, destroyed. The entry point is where
    // the host glue meets the one effect this module hosts.
    orv::BrightnessContrastEffect effect;
    effect.Dispatch();
    return PF_Err_NONE;
}
