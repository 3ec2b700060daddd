// Parameter objects: one per entry of the host's parameter array during a call. Each registers its
// definition with the host at parameter set-up and reads the host's current value at render, in the
// units the render expects.
#ifndef ORV_PARAMS_PARAM_H
#define ORV_PARAMS_PARAM_H

#include <cstdint>

#include "host/ae_interface.h"

namespace orv {

// What GetDefault fills: a float (or a colour for colour rows), then three cleared fields.
struct ParamValue {
    union {
        float number;
        PF_Pixel color;
    } value;
    int16_t extra;
    uint8_t flagA;
    uint8_t flagB;
};

// The target of ExportValue: a header, then one entry per catalogue id.
struct ParamValueEntry {
    uint32_t valueBits;
    int16_t kind;
    int16_t pad;
};
struct ParamValueRecord {
    uint8_t header[8];
    ParamValueEntry entries[146];
};

// The module-wide default flags word: new parameter objects copy it into their definition's flags.
int32_t &DefaultParamFlags();

// fix(x): x x 65536, truncated toward zero to 32 bits.
int32_t ToFixed(double x);

class Param {
public:
    Param(int32_t slot, int32_t shown, const char *name, int16_t catalogueId, int16_t secondId,
          Param *alternate = nullptr, Param *switchParam = nullptr);
    virtual ~Param();
    Param(const Param &) = delete;
    Param &operator=(const Param &) = delete;

    // Fills the definition and hands it to the host's add_param; the host's status.
    virtual int32_t AddParam() = 0;
    virtual void GetRangeInt(int32_t *minimum, int32_t *maximum, int16_t id);
    virtual void GetDefault(ParamValue *value, int16_t id);
    virtual int32_t GetFixed();
    virtual float GetFloat();
    virtual bool GetBool();
    virtual int32_t GetInt();
    virtual void ExportValue(ParamValueRecord *record) = 0;
    virtual void Reserved();

    int32_t Slot() const { return slot; }
    const PF_ParamDef &Definition() const { return definition; }

protected:
    // The host's definition of this slot in the current call (null when the host gave none).
    PF_ParamDef *HostDef() const;
    int32_t Register();            // copies the name, then add_param
    static void WriteEntry(ParamValueRecord *record, int16_t id, uint32_t bits);

    int32_t slot;
    int32_t shown;
    const char *name;
    int16_t catalogueId;
    int16_t secondId;
    PF_ParamDef definition;
    Param *alternate;
    Param *switchParam;
};

class LayerParam : public Param {
public:
    explicit LayerParam(int32_t slot);
    int32_t AddParam() override;  // the input layer is the host's; nothing to register
    void ExportValue(ParamValueRecord *) override {}
};

class SliderParam : public Param {
public:
    SliderParam(int32_t slot, const char *name, int16_t id, int32_t displayScale = 1, bool divideOnRead = false,
                int32_t scalingMode = 0);
    int32_t AddParam() override;
    int32_t GetFixed() override;  // host value, divided by the display scale when divide-on-read
    float GetFloat() override;    // GetFixed x 2^-16
    void ExportValue(ParamValueRecord *record) override;
    virtual void SetFixed(int32_t value);

protected:
    int32_t displayScale;
    uint8_t divideOnRead;
    int32_t scalingMode;  // 0 none, 3 scaled by the display scale
    int16_t precision;
    int16_t displayFlags;
};

// The display scale of sliders shown in percent: the host holds 100 x the value the render reads.
constexpr int32_t kPercentDisplayScale = 100;

// A slider shown in percent of its catalogue value (display scale 100, read back divided).
class PercentSliderParam : public SliderParam {
public:
    PercentSliderParam(int32_t slot, const char *name, int16_t id);
};

class AngleParam : public Param {
public:
    AngleParam(int32_t slot, const char *name, int16_t id, float offset);
    int32_t AddParam() override;
    float GetFloat() override;  // host degrees - offset, rounded once to single precision
    void ExportValue(ParamValueRecord *record) override;

private:
    float offset;
};

class CheckboxParam : public Param {
public:
    CheckboxParam(int32_t slot, int32_t shown, const char *name, const char *label, uint8_t dephault);
    int32_t AddParam() override;
    bool GetBool() override;
    void ExportValue(ParamValueRecord *) override {}
    virtual void SetBool(bool value);
    virtual void SetTrue();

private:
    const char *label;
    uint8_t dephault;
};

class ColorParam : public Param {
public:
    ColorParam(int32_t slot, const char *name, int16_t id);
    int32_t AddParam() override;
    void ExportValue(ParamValueRecord *record) override;
    // Copies the host's colour into `buffer` and returns it.
    virtual PF_Pixel *GetColor(PF_Pixel *buffer);
};

class PointParam : public Param {
public:
    PointParam(int32_t slot, const char *name, int16_t idX, int16_t idY, int32_t unrestricted);
    int32_t AddParam() override;
    void ExportValue(ParamValueRecord *record) override;
    virtual void GetPoint(int32_t *x, int32_t *y);
    virtual void SetPoint(int32_t x, int32_t y);
    // The host point as a fraction of the scaled layer width / height (0 for an empty layer).
    virtual float GetXFraction();
    virtual float GetYFraction();

private:
    int32_t unrestricted;
};

class PopupParam : public Param {
public:
    PopupParam(int32_t slot, const char *name, const char *items, int32_t dephault, int16_t count);
    int32_t AddParam() override;
    int32_t GetInt() override;  // host value, numbered from 1
    void ExportValue(ParamValueRecord *) override {}
    virtual int32_t GetIndex();  // GetInt - 1

private:
    const char *items;
    int32_t dephault;
    int16_t count;
};

}  // namespace orv

#endif
