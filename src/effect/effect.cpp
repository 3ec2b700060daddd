#include "effect/effect.h"

#include "host/host_context.h"
#include "params/param.h"
#include "support/handles.h"
#include "support/memory.h"
#include "support/world_image.h"

namespace orv {

Effect::Effect() : width(0), height(0), slots(nullptr), slotCount(0) {
    const HostContext &h = Host();
    if (!h.in_data) return;
    switch (h.command) {
        case PF_Cmd_SEQUENCE_SETUP:
        case PF_Cmd_SEQUENCE_RESETUP:
        case PF_Cmd_FRAME_SETUP:
        case PF_Cmd_RENDER:
            width = ScaleByRatio(h.in_data->width, h.in_data->downsample_x);
            height = ScaleByRatio(h.in_data->height, h.in_data->downsample_y);
            break;
        default:
            width = h.in_data->width;
            height = h.in_data->height;
            break;
    }
}

Effect::~Effect() {
    if (!slots) return;
    for (int16_t i = 0; i < slotCount; ++i) Destroy(slots[i]);
    Release(slots);
}

int16_t Effect::GetQualityFactor() {
    return Host().in_data && Host().in_data->quality != PF_Quality_LO ? 2 : 1;
}

int32_t Effect::Render(WorldImage &, WorldImage &) {
    const HostContext &h = Host();
    if (h.in_data && h.in_data->utils && h.in_data->utils->copy && h.params && h.params[0])
        (void)h.in_data->utils->copy(h.in_data->effect_ref, &h.params[0]->u.ld, h.output, nullptr, nullptr);
    return 0;
}

void Effect::Dispatch() {
    // Without in_data no callback and no record of the host can be reached: nothing to do.
    if (!Host().in_data) return;
    switch (Host().command) {
        case PF_Cmd_ABOUT: (void)DoAbout(); break;
        case PF_Cmd_GLOBAL_SETUP: (void)DoGlobalSetup(); break;
        case PF_Cmd_GLOBAL_SETDOWN: (void)DoGlobalSetdown(); break;
        case PF_Cmd_PARAMS_SETUP: (void)DoParamsSetup(); break;
        case PF_Cmd_RENDER: (void)DoRender(); break;
        default: break;
    }
}

int32_t Effect::DoAbout() {
    const HostContext &h = Host();
    // The text is formatted by the host's sprintf: without it (or a place to put it) there is none.
    if (!h.out_data || !h.in_data || !h.in_data->utils || !h.in_data->utils->ansi.sprintf) return 0;
    char buffer[256] = {0};
    int32_t status = GetAboutText(buffer);
    if (status == 0) h.in_data->utils->ansi.sprintf(h.out_data->return_msg, "%s\r", buffer);
    return status;
}

int32_t Effect::DoGlobalSetup() {
    PF_OutData *out = Host().out_data;
    if (!out) return 0;
    out->my_version = GetVersion();
    out->out_flags |= GetOutFlags() | PF_OutFlag_KEEP_RESOURCE_OPEN;
    out->out_flags2 |= GetOutFlags2();
    return 0;
}

int32_t Effect::DoGlobalSetdown() {
    PF_OutData *out = Host().out_data;
    if (out && out->global_data) {
        // The effect never stores global data; a handle found here is released as ours.
        Handle handle = reinterpret_cast<Handle>(out->global_data);
        DisposeHandle(handle);
        handle = nullptr;
    }
    return 0;
}

int32_t Effect::DoParamsSetup() {
    int32_t status = EnsureParams();
    PF_OutData *out = Host().out_data;
    if (status == 0) {
        const int16_t n = GetParamCount();
        for (int16_t i = 0; i < n && status == 0; ++i) {
            Param *param = GetParam(i);
            // A parameter object that could not be made registers nothing.
            if (param) status = param->AddParam();
        }
        if (out) out->num_params = n;
    } else if (out) {
        out->num_params = 1;
    }
    return status;
}

int32_t Effect::DoRender() {
    const HostContext &h = Host();
    // The output cannot be cleared without fill: nothing is drawn rather than a partial frame.
    if (!h.in_data || !h.in_data->utils || !h.in_data->utils->fill || !h.output) return 0;
    const PF_Pixel transparent = {0, 0, 0, 0};
    PF_Err fillStatus = h.in_data->utils->fill(h.in_data->effect_ref, &transparent, nullptr, h.output);
    if (fillStatus != 0) return fillStatus;
    OrvWorld destination(h.output, 0);
    // Slot 0 is read only when the host's array has it, like every other slot.
    const bool hasInput = h.params && h.in_data->num_params >= 1 && h.params[0];
    OrvWorld source(hasInput ? &h.params[0]->u.ld : nullptr, 0);
    (void)EnsureParams();
    return Render(source.Image(), destination.Image());
}

int32_t Effect::EnsureParams() {
    if (!slots) {
        slotCount = GetParamCount();
        slots = static_cast<Param **>(Allocate(sizeof(Param *) * static_cast<size_t>(slotCount)));
        if (slots)
            for (int16_t i = 0; i < slotCount; ++i) slots[i] = nullptr;
        (void)CreateParams();
    }
    return slots ? 0 : kNoParamSlots;
}

Param *Effect::GetParam(int16_t index) {
    if (!slots) (void)EnsureParams();
    if (!slots || index < 0 || index >= GetParamCount()) return nullptr;
    return slots[index];
}

int32_t Effect::SetParam(int16_t index, Param *param) {
    if (!slots || index < 0 || index >= GetParamCount()) return kSlotRefused;
    slots[index] = param;
    return 0;
}

}  // namespace orv
