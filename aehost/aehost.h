// aehost: a small, real host of the After Effects effect interface.
//
// It loads an effect module by path, finds its exported `main`, owns the records the host owns
// (in_data, out_data, the parameter array, the layers) and serves the callbacks an effect of this
// kind calls: add_param, fill, copy and the ANSI sprintf and strcpy. Parameter values are held as a
// host holds them: 16.16 fixed for sliders, angles and points, 1-based popup choices.
//
// Typical use:
//   aehost::Module module;  module.Load(path, &error);
//   aehost::Host host(module.Entry());
//   host.GlobalSetup();  host.ParamsSetup();
//   host.SetSlider("Brightness", 25.0);
//   aehost::Image out;  host.Render(in, out);
//
// Every callback call is recorded (Calls()) so tests can assert order and arguments, and faults can
// be injected: a failing fill or add_param, downsample ratios, quality.
#ifndef AEHOST_AEHOST_H
#define AEHOST_AEHOST_H

#include <cstdint>
#include <string>
#include <vector>

#include "host/ae_interface.h"

namespace aehost {

// A loaded effect module.
class Module {
public:
    Module() = default;
    ~Module();
    Module(const Module &) = delete;
    Module &operator=(const Module &) = delete;

    // Loads the module and finds `main`; false with a message on failure.
    bool Load(const std::string &path, std::string *error);
    PF_FilterProc Entry() const { return entry; }
    void *NativeHandle() const { return handle; }
    // Another exported function of the module, or null.
    void *Symbol(const char *name) const;

private:
    void *handle = nullptr;
    PF_FilterProc entry = nullptr;
};

// An 8-bit ARGB image owned by the host. Rows may be padded (rowbytes >= width * 4).
struct Image {
    int32_t width = 0;
    int32_t height = 0;
    int32_t rowbytes = 0;
    std::vector<uint8_t> pixels;

    static Image Make(int32_t width, int32_t height, int32_t rowbytes = 0);
    uint8_t *Row(int32_t y) { return pixels.data() + static_cast<size_t>(y) * rowbytes; }
    const uint8_t *Row(int32_t y) const { return pixels.data() + static_cast<size_t>(y) * rowbytes; }
    uint8_t *Pixel(int32_t x, int32_t y) { return Row(y) + 4 * x; }
    const uint8_t *Pixel(int32_t x, int32_t y) const { return Row(y) + 4 * x; }
    // The image as a layer record pointing at its pixels (null data when it has none).
    PF_LayerDef World();
    // Pixel bytes without row padding, row after row.
    std::vector<uint8_t> Packed() const;
};

// One callback the module made.
struct CallRecord {
    std::string name;            // "add_param", "fill", "copy", "sprintf", "strcpy"
    int32_t index = 0;           // add_param's index
    PF_ParamDef def{};           // add_param's definition as received
    PF_Pixel color{};            // fill's colour
    bool wholeImage = false;     // fill/copy without rectangles
    const void *world = nullptr; // fill's world, copy's source
    const void *world2 = nullptr;// copy's destination
    std::string text;            // sprintf's result, strcpy's source
};

class Host {
public:
    explicit Host(PF_FilterProc entry);
    Host(const Host &) = delete;
    Host &operator=(const Host &) = delete;

    // Calls the entry point with the host's records as they stand; returns main's result.
    PF_Err Call(PF_Cmd command, PF_LayerDef *output = nullptr);

    // PF_Cmd_ABOUT; the return_msg text.
    std::string About();
    PF_Err GlobalSetup();
    PF_Err GlobalSetdown();
    // PF_Cmd_PARAMS_SETUP; the definitions in registration order. Resets every value to its default.
    const std::vector<PF_ParamDef> &ParamsSetup();
    const std::vector<PF_ParamDef> &Registered() const { return registered; }

    // The host's current definition of a registered parameter, by its registered name
    // (case-insensitive; a checkbox also answers to its label), or null.
    PF_ParamDef *Find(const std::string &name);
    // Parameter slot (1-based registration order) of a name, or -1.
    int SlotOf(const std::string &name) const;

    // Values as a host stores them.
    bool SetSlider(const std::string &name, double value);        // fix(value)
    bool SetAngle(const std::string &name, double degrees);       // fix(degrees)
    bool SetPopup(const std::string &name, int32_t choice);       // 1-based
    bool SetCheckbox(const std::string &name, bool on);
    bool SetColor(const std::string &name, PF_Pixel color);
    bool SetPoint(const std::string &name, double x, double y);   // pixels of the rendered frame
    void ResetValues();                                           // every parameter to its default
    // Places every point not set explicitly at its registered percent of a frame of this size (what
    // Render does before each call; for tools that read the values without rendering).
    void PlaceDefaultPoints(int32_t width, int32_t height);

    // Renders `input` into `output` (made the input's size when empty) with PF_Cmd_RENDER. The
    // layer size the host reports is input / downsample ratio; points left at their defaults are
    // placed at their registered percent of the rendered frame. Returns main's result.
    PF_Err Render(const Image &input, Image &output);
    // The records as the render of `input` finds them (layer size, default points, parameter count),
    // without calling the module: for tools that read the values exactly as a render would.
    void PrepareRender(const Image &input);

    // Fault injection and host settings.
    void FailFill(PF_Err status) { fillStatus = status; }
    void FailAddParamAt(int call, PF_Err status) { failAddParamAt = call; addParamStatus = status; }
    void SetDownsample(int32_t num, uint32_t den) { downsampleX = downsampleY = PF_RationalScale{num, den}; }
    void SetDownsample(PF_RationalScale x, PF_RationalScale y) { downsampleX = x; downsampleY = y; }
    void SetQuality(PF_Quality q) { quality = q; }
    // Overrides the layer size reported in in_data (0 = derived from the input image).
    void SetLayerSize(int32_t width, int32_t height) { layerWidth = width; layerHeight = height; }

    PF_InData &InData() { return inData; }
    PF_OutData &OutData() { return outData; }
    const std::vector<CallRecord> &Calls() const { return calls; }
    void ClearCalls() { calls.clear(); }
    std::vector<PF_ParamDef *> &ParamArray() { return paramArray; }

private:
    static PF_Err AddParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDef *def);
    static PF_Err Fill(PF_ProgPtr ref, const PF_Pixel *color, const PF_Rect *rect, PF_EffectWorld *world);
    static PF_Err Copy(PF_ProgPtr ref, PF_EffectWorld *src, PF_EffectWorld *dst, PF_Rect *srcRect, PF_Rect *dstRect);
    static int Sprintf(A_char *dst, const A_char *format, ...);
    static A_char *Strcpy(A_char *dst, const A_char *src);
    // The host whose call is under way on this thread (sprintf/strcpy carry no effect_ref).
    static thread_local Host *current;

    void BuildParamArray();
    void FillInData();  // quality, downsample ratio and parameter count, before every call

    PF_FilterProc entry;
    PF_InData inData{};
    PF_OutData outData{};
    PF_UtilCallbacks utils{};
    PF_ParamDef inputLayer{};
    std::vector<PF_ParamDef> registered;  // as received
    std::vector<PF_ParamDef> values;      // current values, one per registered parameter
    std::vector<bool> pointSet;           // explicitly set points
    std::vector<PF_ParamDef *> paramArray;
    std::vector<CallRecord> calls;
    PF_Err fillStatus = 0;
    int failAddParamAt = -1;
    PF_Err addParamStatus = 0;
    int addParamCalls = 0;
    PF_RationalScale downsampleX{1, 1};
    PF_RationalScale downsampleY{1, 1};
    PF_Quality quality = PF_Quality_HI;
    int32_t layerWidth = 0;
    int32_t layerHeight = 0;
};

// fix(x): x x 65536 truncated toward zero, computed in double precision.
PF_Fixed ToFixed(double x);

}  // namespace aehost

#endif
