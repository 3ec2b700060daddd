// The effect object: one per call of the entry point, on its stack. It holds the layer size of the
// call, owns the parameter objects, and answers the host's commands.
#ifndef ORV_EFFECT_EFFECT_H
#define ORV_EFFECT_EFFECT_H

#include <cstdint>

#include "host/ae_interface.h"

namespace orv {

class Param;
class WorldImage;

// Status of EnsureParams when the slot array cannot be had.
constexpr int32_t kNoParamSlots = 515;
// Status of SetParam without a slot array or with an index out of range.
constexpr int32_t kSlotRefused = 1;

class Effect {
public:
    // Reads the host context: during render-time commands the size is the layer scaled by the
    // downsample ratio, otherwise the unscaled layer size.
    Effect();
    virtual ~Effect();
    Effect(const Effect &) = delete;
    Effect &operator=(const Effect &) = delete;

    // 2 for high quality (in_data quality non-zero), else 1.
    virtual int16_t GetQualityFactor();
    // Formats the about line into a 256-character buffer.
    virtual int32_t GetAboutText(char *buffer) = 0;
    virtual uint32_t GetVersion() = 0;
    virtual int32_t GetOutFlags() = 0;
    // The second out-flags word global set-up adds (threaded rendering, where the module honours it).
    virtual int32_t GetOutFlags2() { return 0; }
    virtual int16_t GetParamCount() = 0;
    // Makes the parameter objects into their slots; the status of the last SetParam.
    virtual int32_t CreateParams() = 0;
    // Default: the host copies the input layer to the output.
    virtual int32_t Render(WorldImage &source, WorldImage &destination);

    // Calls the handler of the recorded command; commands without one are ignored.
    void Dispatch();
    int32_t DoAbout();
    int32_t DoGlobalSetup();
    int32_t DoGlobalSetdown();
    int32_t DoParamsSetup();
    int32_t DoRender();

    // Builds the slot array and the parameter objects once; kNoParamSlots when the array cannot be had.
    int32_t EnsureParams();
    // The object in the slot, or null (no array, index out of range, or an object that failed to allocate).
    Param *GetParam(int16_t index);
    int32_t SetParam(int16_t index, Param *param);

    int32_t Width() const { return width; }
    int32_t Height() const { return height; }

private:
    int32_t width;
    int32_t height;
    Param **slots;
    int16_t slotCount;
};

}  // namespace orv

#endif
