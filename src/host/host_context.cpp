#include "host/host_context.h"

#include "resources/plugin_info.h"
#include "support/strings.h"

namespace orv {

HostContext &Host() {
    // One record per host thread: calls on other threads (threaded rendering) never see this one.
    thread_local HostContext context{};
    return context;
}

int32_t ScaleByRatio(int32_t size, PF_RationalScale ratio) {
    if (ratio.den == 0) return size;
    long double scaled =
        static_cast<long double>(size) * (static_cast<long double>(ratio.num) / static_cast<long double>(ratio.den));
    if (scaled >= 2147483647.0L) return INT32_MAX;
    if (scaled <= -2147483648.0L) return INT32_MIN;
    return static_cast<int32_t>(scaled);
}

void SetHostContext(PF_Cmd command, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef **params,
                    PF_LayerDef *output, void *extra) {
    HostContext &h = Host();
    h.command = command;
    h.in_data = in_data;
    h.out_data = out_data;
    h.params = params;
    h.output = output;
    h.extra = extra;
    h.scaledWidth = in_data ? ScaleByRatio(in_data->width, in_data->downsample_x) : 0;
    h.scaledHeight = in_data ? ScaleByRatio(in_data->height, in_data->downsample_y) : 0;
    h.callError = 0;
}

void ReportError(int16_t code) {
    unsigned char counted[256];
    char message[256];
    GetIndString(ORV_MESSAGE_LIST, code, counted, 255);
    CountedToC(counted, message, 255);
    HostContext &h = Host();
    if (h.out_data && h.in_data && h.in_data->utils && h.in_data->utils->ansi.sprintf) {
        // The message is the format: none of the module's messages holds a conversion.
        h.in_data->utils->ansi.sprintf(h.out_data->return_msg, message);
        h.out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    }
    SetCallError(code);
}

void SetCallError(int16_t code) {
    if (Host().callError == 0) Host().callError = code;
}

int16_t GetCallError() { return Host().callError; }

}  // namespace orv
