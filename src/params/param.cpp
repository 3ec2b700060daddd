#include "params/param.h"

#include <cstring>

#include "host/host_context.h"
#include "params/catalogue.h"

namespace orv {

namespace {
constexpr float kFixedToFloat = 1.0f / 65536.0f;
}

int32_t &DefaultParamFlags() {
    // Its value at load; per thread, because every call's CreateParams resets and raises it.
    thread_local int32_t flags = PF_ParamFlag_COLLAPSE_TWIRLY;
    return flags;
}

int32_t ToFixed(double x) {
    double scaled = x * 65536.0;
    if (!(scaled > -2147483649.0)) return INT32_MIN;  // NaN-safe clamp of out-of-range values
    if (scaled >= 2147483648.0) return INT32_MAX;
    return static_cast<int32_t>(scaled);
}

// ---- Param ----

Param::Param(int32_t slot_, int32_t shown_, const char *name_, int16_t catalogueId_, int16_t secondId_,
             Param *alternate_, Param *switchParam_)
    : slot(slot_), shown(shown_), name(name_), catalogueId(catalogueId_), secondId(secondId_), definition(),
      alternate(alternate_), switchParam(switchParam_) {
    std::memset(&definition, 0, sizeof definition);
    definition.flags = DefaultParamFlags();
}

Param::~Param() = default;

void Param::GetRangeInt(int32_t *minimum, int32_t *maximum, int16_t id) {
    const CatalogueEntry &row = CatalogueRow(id);
    *minimum = static_cast<int32_t>(row.minimum);
    *maximum = static_cast<int32_t>(row.maximum);
}

void Param::GetDefault(ParamValue *value, int16_t id) {
    std::memset(value, 0, sizeof *value);
    const CatalogueEntry &row = CatalogueRow(id);
    if (row.kind == kKindColor)
        value->value.color = row.color;
    else
        value->value.number = row.dephault;
}

int32_t Param::GetFixed() { return 0; }
float Param::GetFloat() { return 0.0f; }
bool Param::GetBool() { return false; }
int32_t Param::GetInt() { return 0; }
void Param::Reserved() {}

// The host's array holds in_data num_params entries; a slot beyond them has no value to read.
PF_ParamDef *Param::HostDef() const {
    const HostContext &h = Host();
    if (!h.params || !h.in_data || slot >= h.in_data->num_params) return nullptr;
    return h.params[slot];
}

int32_t Param::Register() {
    const HostContext &h = Host();
    if (!h.in_data || !h.in_data->utils || !h.in_data->utils->ansi.strcpy || !h.in_data->inter.add_param)
        return PF_Err_INVALID_CALLBACK;
    h.in_data->utils->ansi.strcpy(definition.name, name);
    return PF_ADD_PARAM(h.in_data, PF_ParamIndex_APPEND, &definition);
}

void Param::WriteEntry(ParamValueRecord *record, int16_t id, uint32_t bits) {
    if (id < 0 || id >= kCatalogueRows) return;
    record->entries[id].valueBits = bits;
    record->entries[id].kind = 4;
}

static uint32_t FloatBits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// ---- LayerParam ----

LayerParam::LayerParam(int32_t slot_) : Param(slot_, 1, "", kIdNone, kIdNone) {
    definition.param_type = PF_Param_LAYER;
}

int32_t LayerParam::AddParam() { return 0; }

// ---- SliderParam ----

SliderParam::SliderParam(int32_t slot_, const char *name_, int16_t id, int32_t displayScale_, bool divideOnRead_,
                         int32_t scalingMode_)
    : Param(slot_, 1, name_, id, kIdNone), displayScale(displayScale_), divideOnRead(divideOnRead_ ? 1 : 0),
      scalingMode(scalingMode_), precision(2), displayFlags(0) {
    definition.param_type = PF_Param_FIX_SLIDER;
}

int32_t SliderParam::AddParam() {
    ParamValue value;
    GetDefault(&value, catalogueId);
    float d = value.value.number;
    PF_FixedSliderDef &fd = definition.u.fd;
    fd.value_str[0] = 0;
    fd.value_desc[0] = 0;
    float factor = 1.0f;
    if (scalingMode == 3) factor = static_cast<float>(displayScale);
    const CatalogueEntry &row = CatalogueRow(catalogueId);
    float minimum = row.minimum;
    float maximum = row.maximum;
    if (scalingMode != 0) {
        d = static_cast<float>(static_cast<double>(d) * factor);
        if (divideOnRead) {
            minimum = static_cast<float>(static_cast<double>(minimum) * factor);
            maximum = static_cast<float>(static_cast<double>(maximum) * factor);
        }
    }
    fd.slider_min = fd.valid_min = ToFixed(minimum);
    fd.slider_max = fd.valid_max = ToFixed(maximum);
    fd.dephault = fd.value = ToFixed(d);
    fd.precision = precision;
    fd.display_flags = displayFlags;
    return Register();
}

int32_t SliderParam::GetFixed() {
    const PF_ParamDef *host = HostDef();
    if (!host) return 0;
    int32_t value = host->u.fd.value;
    if (divideOnRead && displayScale != 0) {
        // INT32_MIN / -1 is the one quotient that does not fit; no scale here is negative.
        if (!(value == INT32_MIN && displayScale == -1)) value /= displayScale;
    }
    return value;
}

float SliderParam::GetFloat() { return static_cast<float>(GetFixed()) * kFixedToFloat; }

void SliderParam::ExportValue(ParamValueRecord *record) {
    float v = (alternate && switchParam && switchParam->GetBool()) ? alternate->GetFloat() : GetFloat();
    if (scalingMode == 3) v = displayScale != 0 ? v / static_cast<float>(displayScale) : 0.0f;
    WriteEntry(record, catalogueId, FloatBits(v));
}

void SliderParam::SetFixed(int32_t value) {
    PF_ParamDef *host = HostDef();
    if (!host) return;
    host->u.fd.value = value;
    host->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
}

PercentSliderParam::PercentSliderParam(int32_t slot_, const char *name_, int16_t id)
    : SliderParam(slot_, name_, id, kPercentDisplayScale, true, 3) {}

// ---- AngleParam ----

AngleParam::AngleParam(int32_t slot_, const char *name_, int16_t id, float offset_)
    : Param(slot_, 1, name_, id, kIdNone), offset(offset_) {
    definition.param_type = PF_Param_ANGLE;
}

int32_t AngleParam::AddParam() {
    definition.ui_flags = 0;
    definition.ui_width = 0;
    definition.ui_height = 0;
    definition.param_type = PF_Param_ANGLE;
    ParamValue value;
    GetDefault(&value, catalogueId);
    definition.u.ad.dephault = definition.u.ad.value =
        ToFixed(static_cast<double>(value.value.number) + static_cast<double>(offset));
    return Register();
}

float AngleParam::GetFloat() {
    const PF_ParamDef *host = HostDef();
    if (!host) return 0.0f;
    return static_cast<float>(static_cast<double>(host->u.ad.value) / 65536.0 - static_cast<double>(offset));
}

void AngleParam::ExportValue(ParamValueRecord *record) { WriteEntry(record, catalogueId, FloatBits(GetFloat())); }

// ---- CheckboxParam ----

CheckboxParam::CheckboxParam(int32_t slot_, int32_t shown_, const char *name_, const char *label_, uint8_t dephault_)
    : Param(slot_, shown_, name_, kIdNone, kIdNone), label(label_), dephault(dephault_) {
    definition.param_type = PF_Param_CHECKBOX;
}

int32_t CheckboxParam::AddParam() {
    definition.u.bd.u.nameptr = label;
    definition.u.bd.dephault = static_cast<PF_Boolean>(dephault);
    definition.u.bd.value = static_cast<int8_t>(dephault);
    return Register();
}

bool CheckboxParam::GetBool() {
    const PF_ParamDef *host = HostDef();
    return host && host->u.bd.value != 0;
}

void CheckboxParam::SetBool(bool value) {
    PF_ParamDef *host = HostDef();
    if (!host) return;
    host->u.bd.value = value ? 1 : 0;
    host->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
}

void CheckboxParam::SetTrue() { SetBool(true); }

// ---- ColorParam ----

ColorParam::ColorParam(int32_t slot_, const char *name_, int16_t id) : Param(slot_, 1, name_, id, kIdNone) {
    definition.param_type = PF_Param_COLOR;
}

int32_t ColorParam::AddParam() {
    definition.param_type = PF_Param_COLOR;
    const CatalogueEntry &row = CatalogueRow(catalogueId);
    PF_Pixel color = row.kind == kKindColor ? row.color : PF_Pixel{255, 0, 0, 0};
    definition.u.cd.dephault = PF_Pixel{255, color.red, color.green, color.blue};
    return Register();
}

void ColorParam::ExportValue(ParamValueRecord *record) {
    PF_Pixel color;
    GetColor(&color);
    uint32_t bits;
    std::memcpy(&bits, &color, sizeof bits);
    WriteEntry(record, catalogueId, bits);
}

PF_Pixel *ColorParam::GetColor(PF_Pixel *buffer) {
    const PF_ParamDef *host = HostDef();
    *buffer = host ? host->u.cd.value : PF_Pixel{0, 0, 0, 0};
    return buffer;
}

// ---- PointParam ----

PointParam::PointParam(int32_t slot_, const char *name_, int16_t idX, int16_t idY, int32_t unrestricted_)
    : Param(slot_, 1, name_, idX, idY), unrestricted(unrestricted_) {
    definition.param_type = PF_Param_POINT;
}

int32_t PointParam::AddParam() {
    // Horizontal default: the row's reference value; vertical: the second row's default value.
    const CatalogueEntry &rowX = CatalogueRow(catalogueId);
    float horizontal = rowX.kind == kKindColor ? 0.0f : rowX.reference;
    ParamValue vertical;
    GetDefault(&vertical, secondId);
    PF_PointDef &td = definition.u.td;
    td.x_dephault = td.x_value = ToFixed(static_cast<double>(horizontal) * 100.0);
    td.y_dephault = td.y_value = ToFixed(static_cast<double>(vertical.value.number) * 100.0);
    td.restrict_bounds = unrestricted == 0 ? 1 : 0;
    return Register();
}

void PointParam::ExportValue(ParamValueRecord *record) {
    if (catalogueId < 0 || secondId < 0) return;
    WriteEntry(record, catalogueId, FloatBits(GetXFraction()));
    WriteEntry(record, secondId, FloatBits(GetYFraction()));
}

void PointParam::GetPoint(int32_t *x, int32_t *y) {
    const PF_ParamDef *host = HostDef();
    *x = host ? host->u.td.x_value : 0;
    *y = host ? host->u.td.y_value : 0;
}

void PointParam::SetPoint(int32_t x, int32_t y) {
    PF_ParamDef *host = HostDef();
    if (!host) return;
    host->u.td.x_value = x;
    host->u.td.y_value = y;
    host->uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
}

// An empty scaled layer has no fraction to give; 0 keeps the render away from a division by zero.
static float Fraction(int32_t fixed, int32_t size) {
    if (size == 0) return 0.0f;
    return static_cast<float>(static_cast<double>(fixed) / 65536.0 / static_cast<double>(size));
}

float PointParam::GetXFraction() {
    int32_t x, y;
    GetPoint(&x, &y);
    return Fraction(x, Host().scaledWidth);
}

float PointParam::GetYFraction() {
    int32_t x, y;
    GetPoint(&x, &y);
    return Fraction(y, Host().scaledHeight);
}

// ---- PopupParam ----

PopupParam::PopupParam(int32_t slot_, const char *name_, const char *items_, int32_t dephault_, int16_t count_)
    : Param(slot_, 1, name_, kIdNone, kIdNone), items(items_), dephault(dephault_), count(count_) {
    definition.param_type = PF_Param_POPUP;
}

int32_t PopupParam::AddParam() {
    definition.u.pd.value = dephault;
    definition.u.pd.dephault = static_cast<A_short>(dephault);
    definition.u.pd.num_choices = count;
    definition.u.pd.u.namesptr = items;
    return Register();
}

int32_t PopupParam::GetInt() {
    const PF_ParamDef *host = HostDef();
    return host ? host->u.pd.value : 0;
}

// Wraps rather than overflows for a host value of INT32_MIN.
int32_t PopupParam::GetIndex() { return static_cast<int32_t>(static_cast<uint32_t>(GetInt()) - 1u); }

}  // namespace orv
