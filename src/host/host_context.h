// The current call of the entry point, recorded for every other part of the module, and the error
// reporting that hands messages back to the host.
#ifndef ORV_HOST_HOST_CONTEXT_H
#define ORV_HOST_HOST_CONTEXT_H

#include <cstdint>

#include "host/ae_interface.h"

namespace orv {

struct HostContext {
    PF_Cmd command;
    PF_InData *in_data;
    PF_OutData *out_data;
    PF_ParamDef **params;
    PF_LayerDef *output;
    void *extra;
    int32_t scaledWidth;   // in_data width x downsample_x, truncated
    int32_t scaledHeight;  // in_data height x downsample_y, truncated
    int16_t callError;     // message code of the first error of this call; 0 = none
};

// The record of the current call on this thread; overwritten by the thread's next call of the entry
// point. A host rendering on several threads gives each call its own.
HostContext &Host();

// Records the call and computes the scaled layer size; clears the call error.
void SetHostContext(PF_Cmd command, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef **params,
                    PF_LayerDef *output, void *extra);

// size x (num / den), the ratio formed first in extended precision with the denominator unsigned,
// then truncated toward zero. A zero denominator counts as full size; results beyond 32 bits clamp.
int32_t ScaleByRatio(int32_t size, PF_RationalScale ratio);

// Puts message 42000 + code of the module's string table into out_data return_msg, sets the
// display-error out flag and records the code.
void ReportError(int16_t code);
void SetCallError(int16_t code);  // keeps the first code of the call
int16_t GetCallError();

}  // namespace orv

#endif
