#include "aehost.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace aehost {

PF_Fixed ToFixed(double x) {
    double scaled = x * 65536.0;
    if (!(scaled > -2147483649.0)) return INT32_MIN;
    if (scaled >= 2147483648.0) return INT32_MAX;
    return static_cast<PF_Fixed>(scaled);
}

// ---- Module ----

Module::~Module() {
    if (!handle) return;
#ifdef _WIN32
    FreeLibrary(static_cast<HMODULE>(handle));
#else
    dlclose(handle);
#endif
}

bool Module::Load(const std::string &path, std::string *error) {
#ifdef _WIN32
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        if (error) *error = "cannot load " + path + " (Windows error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    handle = module;
    entry = reinterpret_cast<PF_FilterProc>(reinterpret_cast<void *>(GetProcAddress(module, "main")));
#else
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (error) *error = dlerror();
        return false;
    }
    entry = reinterpret_cast<PF_FilterProc>(dlsym(handle, "main"));
#endif
    if (!entry && error) *error = path + " exports no `main`";
    return entry != nullptr;
}

void *Module::Symbol(const char *name) const {
    if (!handle) return nullptr;
#ifdef _WIN32
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(handle), name));
#else
    return dlsym(handle, name);
#endif
}

// ---- Image ----

Image Image::Make(int32_t width, int32_t height, int32_t rowbytes) {
    Image image;
    image.width = width;
    image.height = height;
    image.rowbytes = rowbytes > 0 ? rowbytes : width * 4;
    image.pixels.assign(static_cast<size_t>(image.rowbytes) * static_cast<size_t>(height), 0);
    return image;
}

PF_LayerDef Image::World() {
    PF_LayerDef world;
    std::memset(&world, 0, sizeof world);
    world.data = pixels.empty() ? nullptr : reinterpret_cast<PF_Pixel *>(pixels.data());
    world.rowbytes = rowbytes;
    world.width = width;
    world.height = height;
    return world;
}

std::vector<uint8_t> Image::Packed() const {
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(width) * height * 4);
    for (int32_t y = 0; y < height; ++y) out.insert(out.end(), Row(y), Row(y) + 4 * width);
    return out;
}

// ---- Host ----

thread_local Host *Host::current = nullptr;

Host::Host(PF_FilterProc entry_) : entry(entry_) {
    utils.copy = &Host::Copy;
    utils.fill = &Host::Fill;
    utils.ansi.sprintf = &Host::Sprintf;
    utils.ansi.strcpy = &Host::Strcpy;
    inData.inter.add_param = &Host::AddParam;
    inData.utils = &utils;
    inData.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
    inData.version.major = 11;
    inData.appl_id = 0x46585443;  // 'FXTC'
    inputLayer.param_type = PF_Param_LAYER;
    BuildParamArray();
}

void Host::FillInData() {
    inData.quality = quality;
    inData.downsample_x = downsampleX;
    inData.downsample_y = downsampleY;
    inData.num_params = static_cast<A_long>(paramArray.size() - 1);
}

PF_Err Host::Call(PF_Cmd command, PF_LayerDef *output) {
    FillInData();
    Host *previous = current;
    current = this;
    PF_Err result = entry(command, &inData, &outData, paramArray.data(), output, nullptr);
    current = previous;
    return result;
}

std::string Host::About() {
    std::memset(outData.return_msg, 0, sizeof outData.return_msg);
    Call(PF_Cmd_ABOUT);
    return std::string(outData.return_msg);
}

PF_Err Host::GlobalSetup() { return Call(PF_Cmd_GLOBAL_SETUP); }
PF_Err Host::GlobalSetdown() { return Call(PF_Cmd_GLOBAL_SETDOWN); }

const std::vector<PF_ParamDef> &Host::ParamsSetup() {
    registered.clear();
    addParamCalls = 0;
    values.clear();
    BuildParamArray();
    Call(PF_Cmd_PARAMS_SETUP);
    ResetValues();
    return registered;
}

void Host::ResetValues() {
    values = registered;
    pointSet.assign(values.size(), false);
    for (PF_ParamDef &def : values) {
        def.uu.change_flags = 0;
        // A popup registered with default 0 is shown as its first choice.
        if (def.param_type == PF_Param_POPUP && def.u.pd.value < 1) def.u.pd.value = def.u.pd.dephault < 1 ? 1 : def.u.pd.dephault;
    }
    BuildParamArray();
}

void Host::BuildParamArray() {
    paramArray.clear();
    paramArray.push_back(&inputLayer);
    for (PF_ParamDef &def : values) paramArray.push_back(&def);
    paramArray.push_back(nullptr);  // the host's array ends with a null entry
}

static bool SameName(const std::string &a, const std::string &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

int Host::SlotOf(const std::string &name) const {
    for (size_t i = 0; i < values.size(); ++i) {
        const PF_ParamDef &def = values[i];
        if (def.name[0] && SameName(def.name, name)) return static_cast<int>(i) + 1;
        if (def.param_type == PF_Param_CHECKBOX && def.u.bd.u.nameptr && SameName(def.u.bd.u.nameptr, name))
            return static_cast<int>(i) + 1;
    }
    return -1;
}

PF_ParamDef *Host::Find(const std::string &name) {
    int slot = SlotOf(name);
    return slot < 0 ? nullptr : &values[static_cast<size_t>(slot) - 1];
}

bool Host::SetSlider(const std::string &name, double value) {
    PF_ParamDef *def = Find(name);
    if (!def || def->param_type != PF_Param_FIX_SLIDER) return false;
    def->u.fd.value = ToFixed(value);
    def->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
    return true;
}

bool Host::SetAngle(const std::string &name, double degrees) {
    PF_ParamDef *def = Find(name);
    if (!def || def->param_type != PF_Param_ANGLE) return false;
    def->u.ad.value = ToFixed(degrees);
    def->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
    return true;
}

bool Host::SetPopup(const std::string &name, int32_t choice) {
    PF_ParamDef *def = Find(name);
    if (!def || def->param_type != PF_Param_POPUP) return false;
    def->u.pd.value = choice;
    def->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
    return true;
}

bool Host::SetCheckbox(const std::string &name, bool on) {
    PF_ParamDef *def = Find(name);
    if (!def || def->param_type != PF_Param_CHECKBOX) return false;
    def->u.bd.value = on ? 1 : 0;
    def->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
    return true;
}

bool Host::SetColor(const std::string &name, PF_Pixel color) {
    PF_ParamDef *def = Find(name);
    if (!def || def->param_type != PF_Param_COLOR) return false;
    def->u.cd.value = color;
    def->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
    return true;
}

bool Host::SetPoint(const std::string &name, double x, double y) {
    int slot = SlotOf(name);
    if (slot < 0 || values[static_cast<size_t>(slot) - 1].param_type != PF_Param_POINT) return false;
    PF_ParamDef &def = values[static_cast<size_t>(slot) - 1];
    def.u.td.x_value = ToFixed(x);
    def.u.td.y_value = ToFixed(y);
    def.uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
    pointSet[static_cast<size_t>(slot) - 1] = true;
    return true;
}

void Host::PlaceDefaultPoints(int32_t width, int32_t height) {
    for (size_t i = 0; i < values.size(); ++i) {
        if (values[i].param_type != PF_Param_POINT || pointSet[i]) continue;
        // A point at its default sits at its registered percent of the rendered frame.
        values[i].u.td.x_value = ToFixed(values[i].u.td.x_dephault / 65536.0 / 100.0 * width);
        values[i].u.td.y_value = ToFixed(values[i].u.td.y_dephault / 65536.0 / 100.0 * height);
    }
}

// The full-resolution layer side whose downsampled size is `rendered`.
static int32_t LayerSide(int32_t rendered, PF_RationalScale ratio) {
    if (ratio.num <= 0 || ratio.den == 0) return rendered;
    return static_cast<int32_t>(std::llround(static_cast<double>(rendered) * ratio.den / ratio.num));
}

void Host::PrepareRender(const Image &input) {
    inData.width = layerWidth > 0 ? layerWidth : LayerSide(input.width, downsampleX);
    inData.height = layerHeight > 0 ? layerHeight : LayerSide(input.height, downsampleY);
    PlaceDefaultPoints(input.width, input.height);
    FillInData();
}

PF_Err Host::Render(const Image &input, Image &output) {
    if (output.pixels.empty() && output.width == 0 && output.height == 0)
        output = Image::Make(input.width, input.height);
    PrepareRender(input);
    Image &source = const_cast<Image &>(input);  // the effect only reads its input layer
    inputLayer.u.ld = source.World();
    PF_LayerDef out = output.World();
    PF_Err result = Call(PF_Cmd_RENDER, &out);
    std::memset(&inputLayer.u.ld, 0, sizeof inputLayer.u.ld);
    return result;
}

// ---- callbacks ----

PF_Err Host::AddParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDef *def) {
    Host *host = reinterpret_cast<Host *>(ref);
    CallRecord record;
    record.name = "add_param";
    record.index = index;
    record.def = *def;
    record.text = def->name;
    host->calls.push_back(record);
    ++host->addParamCalls;
    if (host->addParamCalls == host->failAddParamAt) return host->addParamStatus;
    host->registered.push_back(*def);
    return 0;
}

PF_Err Host::Fill(PF_ProgPtr ref, const PF_Pixel *color, const PF_Rect *rect, PF_EffectWorld *world) {
    Host *host = reinterpret_cast<Host *>(ref);
    CallRecord record;
    record.name = "fill";
    record.color = *color;
    record.wholeImage = rect == nullptr;
    record.world = world;
    host->calls.push_back(record);
    if (host->fillStatus != 0) return host->fillStatus;
    if (!world || !world->data) return 0;
    int32_t left = 0, top = 0, right = world->width, bottom = world->height;
    if (rect) {
        left = std::max<int32_t>(rect->left, 0);
        top = std::max<int32_t>(rect->top, 0);
        right = std::min<int32_t>(rect->right, world->width);
        bottom = std::min<int32_t>(rect->bottom, world->height);
    }
    if (left >= right || top >= bottom) return 0;
    // One row pixel by pixel, the others copied from it: as fast as a host's own fill, so that
    // benchmarks of whole renders measure the effect rather than this loop.
    uint8_t *base = reinterpret_cast<uint8_t *>(world->data);
    uint8_t *first = base + static_cast<intptr_t>(top) * world->rowbytes + 4 * left;
    const PF_Pixel pixel = *color;
    for (int32_t x = 0; x < right - left; ++x) std::memcpy(first + 4 * x, &pixel, 4);
    for (int32_t y = top + 1; y < bottom; ++y)
        std::memcpy(base + static_cast<intptr_t>(y) * world->rowbytes + 4 * left, first,
                    static_cast<size_t>(right - left) * 4);
    return 0;
}

PF_Err Host::Copy(PF_ProgPtr ref, PF_EffectWorld *src, PF_EffectWorld *dst, PF_Rect *srcRect, PF_Rect *dstRect) {
    Host *host = reinterpret_cast<Host *>(ref);
    CallRecord record;
    record.name = "copy";
    record.wholeImage = srcRect == nullptr && dstRect == nullptr;
    record.world = src;
    record.world2 = dst;
    host->calls.push_back(record);
    if (!src || !dst || !src->data || !dst->data) return PF_Err_BAD_CALLBACK_PARAM;
    int32_t w = std::min(src->width, dst->width), h = std::min(src->height, dst->height);
    for (int32_t y = 0; y < h; ++y)
        std::memcpy(reinterpret_cast<uint8_t *>(dst->data) + static_cast<intptr_t>(y) * dst->rowbytes,
                    reinterpret_cast<const uint8_t *>(src->data) + static_cast<intptr_t>(y) * src->rowbytes,
                    static_cast<size_t>(w) * 4);
    return 0;
}

int Host::Sprintf(A_char *dst, const A_char *format, ...) {
    va_list args;
    va_start(args, format);
    // Every destination the interface hands a module is at least 256 characters.
    int n = std::vsnprintf(dst, 256, format, args);
    va_end(args);
    if (current) {
        CallRecord record;
        record.name = "sprintf";
        record.text = dst;
        current->calls.push_back(record);
    }
    return n;
}

A_char *Host::Strcpy(A_char *dst, const A_char *src) {
    std::strcpy(dst, src);
    if (current) {
        CallRecord record;
        record.name = "strcpy";
        record.text = src;
        current->calls.push_back(record);
    }
    return dst;
}

}  // namespace aehost
