// The module's entry point under random hosts: the row loops' vector level, then one to three
// commands (mostly renders) with records within their declared layouts but random contents (sizes,
// row lengths, downsample ratios, parameter values, missing records and callbacks) and small random
// images. Every layer owns exactly the bytes its record declares, so AddressSanitizer sees any
// access outside them. Checked beyond the sanitizers: main returns 0, the input layer is never
// written, nothing leaks.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_input.h"
#include "host/ae_interface.h"
#include "support/handles.h"
#include "support/simd_level.h"

extern "C" PF_Err EffectEntry(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                              PF_LayerDef *output, void *extra);

namespace {

using orvfuzz::FuzzInput;

void Fail(const char *what) {
    std::fprintf(stderr, "entry_fuzzer: %s\n", what);
    std::abort();
}

// A host layer: the record and exactly the bytes it declares (rows going down or up in memory).
struct Layer {
    std::vector<uint8_t> bytes;
    PF_LayerDef world;
};

constexpr int64_t kLargestBuffer = 1 << 22;

int32_t LayerSide(FuzzInput &in, bool wide) {
    if (!wide) return static_cast<int32_t>(in.Below(40));
    static const int32_t kSides[] = {0, 1, 4095, 4096, 4097, 32767, 32768, 65535, 65537, -1, -40000, INT32_MIN};
    return kSides[in.Below(sizeof kSides / sizeof kSides[0])];
}

void MakeLayer(FuzzInput &in, Layer *layer) {
    std::memset(&layer->world, 0, sizeof layer->world);
    const uint8_t shape = in.Take<uint8_t>();
    // One layer in sixteen has a side from the edges of what a record can say, with few rows.
    const bool wide = (shape & 0x0F) == 0x0F;
    int64_t width = LayerSide(in, wide && (shape & 0x10));
    int64_t height = wide && !(shape & 0x10) ? LayerSide(in, true) : static_cast<int64_t>(in.Below(wide ? 3 : 24));
    if (wide && (shape & 0x10)) height = in.Below(3);
    int64_t rowbytes = width * 4;
    switch (in.Below(8)) {
        case 0: case 1: case 2: break;                                       // packed
        case 3: rowbytes += in.Below(20); break;                             // padded, any length
        case 4: rowbytes = in.Below(static_cast<uint32_t>(width > 0 ? width * 4 + 1 : 1)); break;  // rows overlap
        case 5: rowbytes = -(rowbytes + in.Below(9)); break;                 // rows going up in memory
        case 6: rowbytes = 16384 * in.Between(-2, 2) + in.Between(-8, 8); break;
        default: rowbytes = in.Take<int32_t>(); break;                       // anything
    }
    layer->world.width = A_long(width), layer->world.height = A_long(height), layer->world.rowbytes = A_long(rowbytes);

    // The bytes the record declares: rows y = 0 .. height - 1 at data + y * rowbytes, each width * 4 long.
    const int64_t last = width > 0 && height > 0 ? (height - 1) * rowbytes : 0;
    const int64_t low = last < 0 ? last : 0, high = width > 0 && height > 0 ? (last > 0 ? last : 0) + width * 4 : 0;
    const bool pixels = (shape & 0xE0) != 0xE0;  // one in eight has none
    if (!pixels || high - low > kLargestBuffer) return;
    layer->bytes.resize(static_cast<size_t>(high - low) + (high == low ? 1 : 0));
    // Pixel bytes from the input while it lasts, then a cheap pattern.
    std::vector<uint8_t> given = in.Bytes(layer->bytes.size() < 4096 ? layer->bytes.size() : 4096);
    uint32_t state = 0x9E3779B9u ^ static_cast<uint32_t>(given.size());
    for (size_t i = 0; i < layer->bytes.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        layer->bytes[i] = i < given.size() ? given[i] : static_cast<uint8_t>(state >> 24);
    }
    layer->world.data = reinterpret_cast<PF_Pixel *>(layer->bytes.data() - low);
}

// ---- the host's callbacks ----------------------------------------------------------------------

PF_Err g_fillStatus = 0;
PF_Err g_addParamStatus = 0;

PF_Err Fill(PF_ProgPtr, const PF_Pixel *color, const PF_Rect *rect, PF_EffectWorld *world) {
    if (rect) Fail("fill with a rectangle");
    if (g_fillStatus != 0) return g_fillStatus;
    if (!world || !world->data) return 0;
    uint8_t *base = reinterpret_cast<uint8_t *>(world->data);
    for (int64_t y = 0; y < world->height; ++y)
        for (int64_t x = 0; x < world->width; ++x) std::memcpy(base + y * world->rowbytes + 4 * x, color, 4);
    return 0;
}

PF_Err Copy(PF_ProgPtr, PF_EffectWorld *, PF_EffectWorld *, PF_Rect *, PF_Rect *) { return 0; }
int Sprintf(A_char *dst, const A_char *format, ...) {
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(dst, 256, format, args);
    va_end(args);
    return n;
}

A_char *Strcpy(A_char *dst, const A_char *src) {
    if (std::strlen(src) >= 32) Fail("a parameter name longer than its field");
    return std::strcpy(dst, src);
}

PF_Err AddParam(PF_ProgPtr, PF_ParamIndex index, PF_ParamDef *def) {
    if (!def || index != PF_ParamIndex_APPEND) Fail("add_param without a definition or appending");
    return g_addParamStatus;
}

// ---- parameter values ----------------------------------------------------------------------------

const PF_ParamType kTypes[15] = {PF_Param_LAYER,  PF_Param_FIX_SLIDER, PF_Param_FIX_SLIDER, PF_Param_POPUP,
                                 PF_Param_FIX_SLIDER, PF_Param_POPUP, PF_Param_POINT,     PF_Param_COLOR,
                                 PF_Param_FIX_SLIDER, PF_Param_FIX_SLIDER, PF_Param_ANGLE, PF_Param_ANGLE,
                                 PF_Param_CHECKBOX,   PF_Param_FIX_SLIDER, PF_Param_FIX_SLIDER};

// A 16.16 value: mostly one a user could type (a few hundred either way), sometimes any 32 bits.
PF_Fixed Fixed(FuzzInput &in) {
    if (in.Below(4) == 0) return in.Take<int32_t>();
    return static_cast<PF_Fixed>(in.Between(-400 * 256, 400 * 256) * 256);
}

void SetValue(FuzzInput &in, PF_ParamDef &def) {
    switch (def.param_type) {
        case PF_Param_FIX_SLIDER: def.u.fd.value = Fixed(in); break;
        case PF_Param_ANGLE: def.u.ad.value = Fixed(in); break;
        case PF_Param_POPUP: def.u.pd.value = in.Below(8) == 0 ? in.Take<int32_t>() : in.Between(-1, 16); break;
        case PF_Param_CHECKBOX: def.u.bd.value = in.Below(4) == 0 ? in.Take<int32_t>() : in.Flag(); break;
        case PF_Param_COLOR: def.u.cd.value = in.Take<PF_Pixel>(); break;
        case PF_Param_POINT: def.u.td.x_value = in.Below(4) == 0 ? in.Take<int32_t>() : in.Between(-60, 100) * 65536;
            def.u.td.y_value = in.Below(4) == 0 ? in.Take<int32_t>() : in.Between(-60, 100) * 65536;
            break;
        default: break;
    }
}

PF_RationalScale Ratio(FuzzInput &in) {
    switch (in.Below(6)) {
        case 0: return PF_RationalScale{in.Take<int32_t>(), in.Take<uint32_t>()};
        case 1: return PF_RationalScale{1, static_cast<A_u_long>(in.Between(1, 4))};
        case 2: return PF_RationalScale{in.Between(-2, 3), static_cast<A_u_long>(in.Between(0, 3))};
        default: return PF_RationalScale{1, 1};
    }
}

PF_Cmd Command(FuzzInput &in) {
    const uint32_t pick = in.Below(32);
    if (pick < 20) return PF_Cmd_RENDER;
    if (pick < 30) return static_cast<PF_Cmd>(pick - 20);  // 0 .. 9: about, set-ups, set-down, others
    return pick == 30 ? static_cast<PF_Cmd>(in.Between(12, 17)) : in.Take<int32_t>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzInput in(data, size);
    // The row loops' vector level first (plain, SSE2, AVX2, AVX-512; capped at what the CPU runs).
    orv::SetSimdLevel(static_cast<orv::SimdLevel>(in.Below(4)));

    Layer input, output;
    MakeLayer(in, &input);
    MakeLayer(in, &output);

    PF_UtilCallbacks utils{};
    const uint8_t missing = in.Take<uint8_t>();
    const bool rare = (missing & 0xF0) == 0xF0;  // one input in sixteen leaves something out
    utils.fill = rare && (missing & 1) ? nullptr : &Fill;
    utils.copy = &Copy;
    utils.ansi.sprintf = rare && (missing & 2) ? nullptr : &Sprintf;
    utils.ansi.strcpy = rare && (missing & 4) ? nullptr : &Strcpy;
    g_fillStatus = in.Below(16) == 0 ? in.Between(1, 9) : 0;
    g_addParamStatus = in.Below(16) == 0 ? in.Between(1, 9) : 0;

    PF_InData inData{};
    inData.utils = rare && (missing & 8) ? nullptr : &utils;
    inData.inter.add_param = &AddParam;
    inData.effect_ref = reinterpret_cast<PF_ProgPtr>(&inData);
    inData.width = in.Below(4) == 0 ? in.Take<int32_t>() : input.world.width;
    inData.height = in.Below(4) == 0 ? in.Take<int32_t>() : input.world.height;
    inData.downsample_x = Ratio(in);
    inData.downsample_y = in.Flag() ? inData.downsample_x : Ratio(in);
    inData.quality = in.Below(3);
    inData.num_params = in.Below(8) == 0 ? static_cast<A_long>(in.Below(16)) : 15;

    PF_OutData outData{};
    outData.out_flags = in.Take<int32_t>();
    // The module releases global_data at set-down as its own handle: only one of its own is given.
    orv::Handle handle = in.Below(8) == 0 ? orv::NewHandle(static_cast<int32_t>(in.Below(64))) : nullptr;
    outData.global_data = reinterpret_cast<PF_Handle>(handle);

    std::vector<PF_ParamDef> defs(15);
    std::vector<PF_ParamDef *> params;
    for (size_t i = 0; i < defs.size(); ++i) {
        std::memset(&defs[i], 0, sizeof defs[i]);
        defs[i].param_type = kTypes[i];
        if (i == 0)
            defs[i].u.ld = input.world;
        else
            SetValue(in, defs[i]);
        params.push_back(&defs[i]);
    }
    params.push_back(nullptr);

    const std::vector<uint8_t> inputBefore = input.bytes;
    const int calls = 1 + static_cast<int>(in.Below(3));
    for (int call = 0; call < calls; ++call) {
        const PF_Cmd command = Command(in);
        const uint8_t absent = in.Take<uint8_t>();
        const bool drop = (absent & 0xF0) == 0xF0;
        const PF_Err status = EffectEntry(command, drop && (absent & 1) ? nullptr : &inData,
                                          drop && (absent & 2) ? nullptr : &outData,
                                          drop && (absent & 4) ? nullptr : params.data(),
                                          drop && (absent & 8) ? nullptr : &output.world, nullptr);
        if (status != 0) Fail("main returned non-zero");
        // Released by the module; the host forgets it.
        if (command == PF_Cmd_GLOBAL_SETDOWN && !(drop && (absent & 3))) handle = nullptr, outData.global_data = nullptr;
    }
    if (input.bytes != inputBefore) Fail("the input layer was written");
    orv::DisposeHandle(handle);
    return 0;
}
