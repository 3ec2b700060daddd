// orvane's --set parser on any text, against the parameters the module registers. What it accepts
// is a value the host can store for that parameter (sliders within their valid range, popups within
// their choices, colours opaque); what it refuses comes with a message. A 16.16 value written the
// way orvane prints values is accepted back within the rounding of its four decimals.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "aehost.h"
#include "fuzz_input.h"
#include "set_parser.h"

extern "C" PF_Err EffectEntry(PF_Cmd cmd, PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
                              PF_LayerDef *output, void *extra);

namespace {

void Fail(const char *what, const std::string &detail = "") {
    std::fprintf(stderr, "set_parser_fuzzer: %s %s\n", what, detail.c_str());
    std::abort();
}

const std::vector<orvcli::ParamInfo> &Params() {
    static const std::vector<orvcli::ParamInfo> params = [] {
        aehost::Host host(&EffectEntry);
        host.GlobalSetup();
        return orvcli::DescribeParams(host.ParamsSetup());
    }();
    return params;
}

void CheckAccepted(const orvcli::Assignment &a, const std::string &text) {
    const std::vector<orvcli::ParamInfo> &params = Params();
    if (a.slot < 1 || a.slot > static_cast<int>(params.size())) Fail("slot out of range:", text);
    const orvcli::ParamInfo &p = params[static_cast<size_t>(a.slot) - 1];
    if (p.type != a.type) Fail("type of another parameter:", text);
    if (a.type == PF_Param_FIX_SLIDER && (a.fixed < p.min || a.fixed > p.max)) Fail("slider value outside its range:", text);
    if (a.type == PF_Param_POPUP && (a.choice < 1 || a.choice > static_cast<int32_t>(p.choices.size())))
        Fail("choice outside the list:", text);
    if (a.type == PF_Param_COLOR && a.color.alpha != 255) Fail("colour not opaque:", text);
    if (a.type == PF_Param_LAYER) Fail("the input layer was set:", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::vector<orvcli::ParamInfo> &params = Params();
    const std::string text(reinterpret_cast<const char *>(data), size);
    orvcli::Assignment a;
    std::string error;
    if (orvcli::ParseSet(text, params, &a, &error))
        CheckAccepted(a, text);
    else if (error.empty())
        Fail("refused without a message:", text);

    // The first four bytes as a 16.16 value, printed and read back by every parameter that takes
    // decimals and holds it: sliders within their range, angles from -32768 to 32767 degrees.
    orvfuzz::FuzzInput in(data, size);
    const PF_Fixed value = in.Take<int32_t>();
    const std::string shown = orvcli::FormatFixed(value);
    for (const orvcli::ParamInfo &p : params) {
        const bool angle = p.type == PF_Param_ANGLE && value <= 32767 * 65536;
        if (!angle && !(p.type == PF_Param_FIX_SLIDER && value >= p.min && value <= p.max)) continue;
        const std::string typed = orvcli::ShownName(p) + "=" + shown;
        if (!orvcli::ParseSet(typed, params, &a, &error)) Fail("refused a value orvane printed:", typed + " (" + error + ")");
        const int64_t difference = static_cast<int64_t>(a.fixed) - value;
        if (difference < -4 || difference > 4) Fail("a printed value reads back as another:", typed);
    }
    return 0;
}
